#include "startup_catalogue.h"

#include <cstdio>
#include <vector>

#include "runtime/file_system.h"
#include "runtime/text.h"

namespace corvane::bench {
namespace {

std::string Identifier(int i) {
  char id[16];
  std::snprintf(id, sizeof id, "PROG%03d", i);
  return id;
}

std::string EmbeddedEnglish() {
  const std::string* bytes = runtime::EmbeddedResource("resource/english.lang");
  return bytes ? *bytes : std::string();
}

bool Write(const std::string& path, const std::string& bytes, std::string* error) {
  std::size_t slash = path.rfind('/');
  if (slash != std::string::npos) runtime::Fs().CreateFolderWithParents(path.substr(0, slash));
  if (runtime::Fs().WriteFile(path, bytes)) return true;
  *error = "cannot write " + path;
  return false;
}

}  // namespace

std::string ProgramListText(const std::string& server_root, const std::string& language, int programs) {
  std::vector<std::string> lines;
  for (int i = 1; i <= programs; ++i) {
    const std::string id = Identifier(i);
    const std::string file = runtime::ToLower(id) + ".zip";
    lines.push_back("[" + id + "]");
    // Display names in an order other than the identifiers', so the reader sorts.
    lines.push_back("NAME=" + language + " program " + std::to_string((i * 37) % programs + 1000));
    lines.push_back("URL=" + server_root + "/files/" + file + "|" + server_root + "/mirror/" + file);
    lines.push_back("DESC=Add-on number " + std::to_string(i) + " for the toolchain");
    lines.push_back("WEB=http://www.example.org/" + runtime::ToLower(id));
    lines.push_back("AUTHOR=Author " + std::to_string(i % 17));
    lines.push_back("LICENSE=zlib");
    lines.push_back("PATH=\\lib\\" + runtime::ToLower(id));
    lines.push_back("COPY=*.tn|\\include");
    lines.push_back("[/]");
  }
  return runtime::WriteLines(lines);
}

std::string TranslatedLanguageFile(const std::string& english) {
  std::vector<std::string> lines = runtime::ReadLines(english);
  for (std::string& line : lines) {
    std::size_t mark = line.find("::");
    if (mark != std::string::npos) line.insert(mark + 2, "[de] ");
  }
  return runtime::WriteLines(lines);
}

bool WriteServedCatalogue(const std::string& web_root, const std::string& server_root, int programs,
                          std::string* error) {
  const std::string base = web_root + "/download/corvane/";
  const std::string english = EmbeddedEnglish();
  if (english.empty()) {
    *error = "the program carries no English language file";
    return false;
  }
  std::string list;
  for (const char* language : kServedLanguages) list += std::string(language) + ".lang\r\n";
  if (!Write(base + "version.txt", "1.33\r\n0.99\r\n", error) || !Write(base + "languages.txt", list, error) ||
      !Write(base + "english.lang", english, error) ||
      !Write(base + "deutsch.lang", TranslatedLanguageFile(english), error))
    return false;
  for (const char* language : kServedLanguages) {
    if (!Write(base + "win32.app." + language + ".txt", ProgramListText(server_root, language, programs), error))
      return false;
  }
  return true;
}

bool PrepareProgramFolder(const std::string& home, std::string* error) {
  const std::string english = EmbeddedEnglish();
  const std::string config = runtime::WriteLines({
      "LANGUAGE=ENGLISH", "AUTOUPDATE=FALSE", "URLUPDATE=x", "AUTOEXECUTE=TRUE", "WINRAR=" + home + "/winrar",
      "TARNPATH=" + home + "/tarnic", "SVNPATH=", "DEFAULT_INSTALL=0", "DISABLE_DELETE=1", "APPVERSION=0.99"});
  return Write(home + "/lang/english.lang", runtime::WriteLines(runtime::ReadLines(english)), error) &&
         Write(home + "/data/conf.txt", config, error) && Write(home + "/tarnic/bin/tnc.exe", "tnc", error) &&
         Write(home + "/winrar/unrar.exe", "unrar", error);
}

}  // namespace corvane::bench
