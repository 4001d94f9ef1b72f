#include "app/command_line.h"

namespace corvane::app {

namespace {

// Matches "--name VALUE" and "--name=VALUE"; advances i past what it used.
bool TakeValue(const std::vector<std::string>& args, std::size_t& i, const std::string& name,
               std::string* value, std::string* error) {
  const std::string& arg = args[i];
  if (arg == name) {
    if (i + 1 >= args.size() || args[i + 1].empty()) {
      *error = "option " + name + " needs a value";
      return true;
    }
    *value = args[++i];
    return true;
  }
  if (arg.rfind(name + "=", 0) == 0) {
    *value = arg.substr(name.size() + 1);
    if (value->empty()) *error = "option " + name + " needs a value";
    return true;
  }
  return false;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
  CommandLine line;
  for (std::size_t i = 0; i < args.size() && line.error.empty(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      line.help = true;
    } else if (arg == "--version") {
      line.version = true;
    } else if (TakeValue(args, i, "--server", &line.server, &line.error) ||
               TakeValue(args, i, "--home", &line.home, &line.error)) {
      // taken
    } else if (std::string key; TakeValue(args, i, "--trust-key", &key, &line.error)) {
      line.trust_keys.push_back(key);
    } else if (arg.rfind("-", 0) == 0) {
      line.error = "unknown option " + arg;
    } else {
      line.error = "unexpected argument " + arg;
    }
  }
  return line;
}

std::string UsageText() {
  return "Usage: corvane [--server URL] [--home DIR] [--trust-key FILE]... [--help] [--version]\n"
         "\n"
         "Downloads and installs add-on programs for the Tarnic toolchain.\n"
         "\n"
         "  --server URL  catalogue server root, e.g. http://127.0.0.1:8080\n"
         "                (default: $CORVANE_SERVER, else " CORVANE_SERVER_ROOT ")\n"
         "  --home DIR    program folder holding lang, data, download and dati\n"
         "                (default: the program's own folder when writable,\n"
         "                else $XDG_DATA_HOME/corvane)\n"
         "  --trust-key FILE  a minisign public key the catalogue must be signed\n"
         "                with (repeatable; see also data/trusted-keys.txt)\n"
         "  --help        show this text and exit\n"
         "  --version     show the version and exit\n";
}

}  // namespace corvane::app
