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

// The switches of the commands, with the commands that take each.
struct Switch {
  const char* name;
  bool CommandLine::*flag;
  const char* commands;
};
constexpr Switch kSwitches[] = {
    {"--json", &CommandLine::json, " list show packages installed "},
    {"--sizes", &CommandLine::sizes, " list "},
    {"--all", &CommandLine::all, " download install "},
    {"--yes", &CommandLine::yes, " install uninstall "},
    {"--quiet", &CommandLine::quiet, " list show download install packages installed uninstall verify "},
    {"--verbose", &CommandLine::verbose, " list show download install packages installed uninstall verify "},
};

const Switch* FindSwitch(const std::string& arg) {
  for (const Switch& s : kSwitches)
    if (arg == s.name) return &s;
  return nullptr;
}

// What a command line with a command must hold besides its words.
void CheckCommand(CommandLine& line) {
  if (!line.error.empty() || line.help) return;
  const std::string padded = " " + line.command + " ";
  for (const Switch& s : kSwitches)
    if (line.*s.flag && std::string(s.commands).find(padded) == std::string::npos)
      line.error = std::string("option ") + s.name + " does not go with " +
                   (line.command.empty() ? "the wizard" : line.command);
  if (!line.error.empty()) return;
  if (!line.language.empty() && line.command.empty()) line.error = "option --language needs a command";
  else if (line.quiet && line.verbose) line.error = "--quiet and --verbose exclude each other";
  else if (line.command == "show" && line.ids.size() != 1) line.error = "show needs exactly one ID";
  else if ((line.command == "download" || line.command == "install") && line.ids.empty() && !line.all)
    line.error = line.command + " needs an ID or --all";
  else if ((line.command == "download" || line.command == "install") && !line.ids.empty() && line.all)
    line.error = "--all takes no ID";
  else if (line.command == "uninstall" && line.ids.empty())
    line.error = "uninstall needs an ID";
  else if ((line.command == "list" || line.command == "packages" || line.command == "installed") &&
           !line.ids.empty())
    line.error = "unexpected argument " + line.ids.front();
}

}  // namespace

bool IsCommand(const std::string& word) {
  return word == "list" || word == "show" || word == "download" || word == "install" || word == "packages" ||
         word == "installed" || word == "uninstall" || word == "verify";
}

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
  CommandLine line;
  for (std::size_t i = 0; i < args.size() && line.error.empty(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      line.help = true;
    } else if (arg == "--version") {
      line.version = true;
    } else if (TakeValue(args, i, "--server", &line.server, &line.error) ||
               TakeValue(args, i, "--home", &line.home, &line.error) ||
               TakeValue(args, i, "--language", &line.language, &line.error)) {
      // taken
    } else if (const Switch* s = FindSwitch(arg)) {
      line.*s->flag = true;
    } else if (std::string key; TakeValue(args, i, "--trust-key", &key, &line.error)) {
      line.trust_keys.push_back(key);
    } else if (arg.rfind("-", 0) == 0) {
      line.error = "unknown option " + arg;
    } else if (line.command.empty() && IsCommand(arg)) {
      line.command = arg;
    } else if (!line.command.empty()) {
      line.ids.push_back(arg);
    } else {
      line.error = "unexpected argument " + arg;
    }
  }
  CheckCommand(line);
  return line;
}

std::string UsageText() {
  return "Usage: corvane [--server URL] [--home DIR] [--trust-key FILE]... [--help] [--version]\n"
         "       corvane COMMAND [ID...] [options]\n"
         "\n"
         "Downloads and installs add-on programs for the Tarnic toolchain.  Without\n"
         "a command it opens the wizard's window; a command needs no display.\n"
         "\n"
         "Commands:\n"
         "  list [--language L] [--json] [--sizes]   the catalogue\n"
         "  show ID [--json]                         one program's details\n"
         "  download ID... | --all                   fetch packages into download/\n"
         "  install ID... | --all [--yes]            install (downloading what is missing)\n"
         "  packages [--json]                        the packages in download/\n"
         "  installed [--json]                       the programs installed into TARNPATH\n"
         "  uninstall ID... [--yes]                  remove installed programs (changed\n"
         "                                           files are kept and named)\n"
         "  verify [ID...]                           name the installed files changed or\n"
         "                                           missing since their install\n"
         "\n"
         "Options:\n"
         "  --server URL    catalogue server root, e.g. http://127.0.0.1:8080 or\n"
         "                  https://catalogue.example.org (a private CA: $CORVANE_CA_FILE)\n"
         "                  (default: $CORVANE_SERVER, else " CORVANE_SERVER_ROOT ")\n"
         "  --home DIR      program folder holding lang, data, download and dati\n"
         "                  (default: the program's own folder when writable,\n"
         "                  else $XDG_DATA_HOME/corvane)\n"
         "  --trust-key FILE  a minisign public key the catalogue must be signed\n"
         "                  with (repeatable; see also data/trusted-keys.txt)\n"
         "  --language L    catalogue language (default: the configured one)\n"
         "  --yes           install or uninstall without asking, installers included\n"
         "  --quiet         print errors only;  --verbose  also the activity log\n"
         "  --help          show this text and exit\n"
         "  --version       show the version and exit\n"
         "\n"
         "Exit status: 0 done, 1 some item failed (verify: a file changed or missing),\n"
         "2 usage error, 3 server not reachable, 4 refused by the signed catalogue\n"
         "(no checksum), 5 done but a restart is wanted, 130 interrupted (Ctrl-C).\n"
         "\n"
         "Examples:\n"
         "  corvane list --server http://127.0.0.1:8080\n"
         "  corvane show BETALIB\n"
         "  corvane install BETALIB GAMMAKIT --yes\n"
         "  corvane verify && corvane uninstall BETALIB --yes\n";
}

}  // namespace corvane::app
