#include "catalogue/program_list_reader.h"

#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "catalogue/catalogue_names.h"
#include "catalogue/retrieval.h"
#include "catalogue/signed_files.h"
#include "catalogue/tprogram.h"
#include "log/activity_log.h"
#include "net/html_tag.h"
#include "runtime/file_system.h"
#include "runtime/text.h"
#include "settings/config.h"
#include "toolkit/toolkit.h"
#include "trust/trusted_keys.h"

namespace corvane {

namespace {

// Keys in the order they are tested, with the slot each one fills.
struct Key {
  const char* text;
  int slot;
};
constexpr Key kKeys[] = {{"NAME=", 1},    {"URL=", 2},     {"LICENSE=", 7}, {"AUTHOR=", 6},
                         {"DESC=", 3},    {"WEB=", 5},     {"MESSAGE=", 8}, {"PATH=", 9},
                         {"COPY=", 10},   {"BACKUP=", 11}, {"DELETE=", 12}, {"SHA256=", 13}};

constexpr int kDescriptionSlot = 4;
constexpr int kMessageSlot = 8;

// The files of "lang", listed once per load.  Names are looked up the way the
// file system resolves them (as written first, then with case ignored, the
// first match in listing order winning) but without listing the folder again
// for every line of a catalogue that may hold thousands of records.
class LangFolder {
 public:
  LangFolder() {
    auto names = runtime::Fs().ListFolder("lang");
    if (!names) return;
    for (const auto& n : *names) {
      exact_.insert(n);
      folded_.emplace(runtime::ToLower(n), n);  // keeps the first of equal names
    }
  }

  // The whole text of "lang/" + name (byte-order mark honoured), or nothing
  // when there is no such file.  Names come from the catalogue, that is from
  // the server: one that could lead out of "lang" ("../x", "/etc/x", "C:x")
  // names no file of ours.
  std::optional<std::string> ReadWhole(const std::string& name) const {
    if (!IsPlainFileName(name)) return std::nullopt;
    std::string actual = name;
    if (!exact_.count(name)) {
      auto hit = folded_.find(runtime::ToLower(name));
      if (hit == folded_.end()) return std::nullopt;
      actual = hit->second;
    }
    auto bytes = runtime::Fs().ReadFile("lang/" + actual);
    if (!bytes) return std::nullopt;
    return runtime::DecodeWholeText(*bytes);
  }

 private:
  std::unordered_set<std::string> exact_;
  std::unordered_map<std::string, std::string> folded_;
};

// Keys are ASCII, and no other character folds to an ASCII letter, so the
// keys are found in a line whose ASCII letters alone are raised.
std::string AsciiUpper(const std::string& line) {
  std::string upper = line;
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return upper;
}

// The header's name: the line without its first and its last character.
std::string HeaderName(const std::string& line) {
  std::size_t count = runtime::CharCount(line);
  if (count < 2) return "";
  return runtime::CharSubstr(line, 1, static_cast<long long>(count) - 2);
}

}  // namespace

void ReadProgramList(const std::string& bytes) {
  // A line or more per record: written in blocks rather than line by line.
  const LogBatch batch;
  const LangFolder lang;
  std::vector<std::string> slots(tprogram::kSlotCount);
  std::string name;  // empty while no record is open
  // Records are added together at the end: the same order as adding each at
  // its "[/]", without shifting a large list for every record.
  std::vector<ProgramPtr> records;

  for (const std::string& line : runtime::ReadLines(bytes)) {
    if (line.find('[') != std::string::npos) {
      std::string header = HeaderName(line);
      if (header == "/") {
        // A "[/]" with no record open closes nothing, like any other line
        // outside a record; it must not add an empty record.
        if (!name.empty()) records.push_back(tprogram::FromArray(slots));
        slots.assign(tprogram::kSlotCount, "");
        header.clear();
      }
      name = header;
      slots[0] = name;
      if (!name.empty()) {
        LogLine("File: " + name);
        // The description depends only on the identifier, so reading it once
        // per header gives the same text as reading it on every line.
        if (auto text = lang.ReadWhole(name + "." + LANGUAGE + ".txt")) {
          slots[kDescriptionSlot] = *text;
        }
      }
    }
    if (name.empty()) continue;

    const std::string upper = AsciiUpper(line);
    for (const Key& key : kKeys) {
      if (upper.find(key.text) != std::string::npos) slots[key.slot] = LineValue(line);
    }

    if (!slots[kMessageSlot].empty()) {
      LogLine(" Reading file <" + slots[kMessageSlot] + ">");
      if (auto text = lang.ReadWhole(slots[kMessageSlot])) {
        slots[kMessageSlot] = *text;
        LogLine(" File: <" + slots[kMessageSlot] + "> caricato...");
      }
    }
  }
  tprogram::AddAll(records);
}

bool LooksLikeCatalogue(const std::string& bytes) {
  return bytes.find('[') != std::string::npos && !HasHtmlTag(bytes);
}

void LoadProgramList() {
  if (!LoadProgramListQuietly()) ReportUnreachableServer();
}

bool LoadProgramListQuietly() {
  tprogram::ClearAll();
  LogLine("Loading info list of program...." + LANGUAGE);
  const std::string path = "data/" + ListFileName();
  const bool strict = trust::StrictMode();
  auto bytes = runtime::Fs().ReadFile(path);
  if (bytes && strict) {
    // Only a copy that was verified is used; any other one is fetched again.
    if (std::string why = CheckStoredSignature(path, *bytes); !why.empty()) {
      LogLine("Stored list file <" + path + "> not verified: " + why);
      bytes.reset();
    }
  }
  if (!bytes || !LooksLikeCatalogue(*bytes)) {
    if (bytes) LogLine("List file <" + ListFileName() + "> is no catalogue - fetched again");
    int first = 0;
    DownloadListFiles(&first, nullptr);
    if (first == kRefused) return true;  // the user has been told why; not an unreachable server
    bytes = !strict || first == 1 ? runtime::Fs().ReadFile(path) : std::nullopt;
  }
  if (!bytes) return false;
  LogLine("");
  ReadProgramList(*bytes);
  if (strict) {
    for (const ProgramPtr& p : programList) p->signed_list = 1;
  }
  return true;
}

}  // namespace corvane
