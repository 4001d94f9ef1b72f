#include "catalogue/program_list_reader.h"

#include <optional>
#include <string_view>
#include <vector>

#include "catalogue/catalogue_names.h"
#include "catalogue/lang_folder.h"
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

// Keys with the slot each one fills.  Every key ends in "=".
struct Key {
  std::string_view text;
  int slot;
};
constexpr Key kKeys[] = {{"NAME=", 1},    {"URL=", 2},     {"LICENSE=", 7}, {"AUTHOR=", 6},
                         {"DESC=", 3},    {"WEB=", 5},     {"MESSAGE=", 8}, {"PATH=", 9},
                         {"COPY=", 10},   {"BACKUP=", 11}, {"DELETE=", 12}, {"SHA256=", 13}};

constexpr int kMessageSlot = 8;

// ASCII letters raised; keys are ASCII, and no other character folds to an
// ASCII letter.
char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// Whether the line holds key (any letter case) ending at its "=" at position equals.
bool KeyEndsAt(std::string_view line, std::size_t equals, std::string_view key) {
  if (equals + 1 < key.size()) return false;
  const std::size_t start = equals + 1 - key.size();
  for (std::size_t i = 0; i + 1 < key.size(); ++i) {
    if (AsciiUpper(line[start + i]) != key[i]) return false;
  }
  return true;
}

// The slots of the keys found anywhere in the line, one bit per slot.  A key
// ends in "=", so only the text before each "=" of the line needs looking at.
unsigned SlotsOfKeysIn(std::string_view line) {
  unsigned slots = 0;
  for (std::size_t eq = line.find('='); eq != std::string_view::npos; eq = line.find('=', eq + 1)) {
    for (const Key& key : kKeys) {
      if (KeyEndsAt(line, eq, key.text)) slots |= 1u << key.slot;
    }
  }
  return slots;
}

// The header's name: the line without its first and its last character.
std::string HeaderName(const std::string& line) {
  std::size_t count = runtime::CharCount(line);
  if (count < 2) return "";
  return runtime::CharSubstr(line, 1, static_cast<long long>(count) - 2);
}

}  // namespace

const std::string& LongDescription(tprogram& record) {
  if (!record.description_file.empty()) {
    if (auto text = ReadLangFile(record.description_file)) record.Longdesc = std::move(*text);
    record.description_file.clear();
  }
  return record.Longdesc;
}

void ReadProgramList(const std::string& bytes) {
  // A line or more per record: written in blocks rather than line by line.
  const LogBatch batch;
  std::optional<LangFolder> lang;  // listed when first needed
  auto lang_folder = [&lang]() -> const LangFolder& {
    if (!lang) lang.emplace();
    return *lang;
  };
  std::vector<std::string> slots(tprogram::kSlotCount);
  std::string name;  // empty while no record is open
  // The file of the record's description, read when the description is first
  // shown: reading the files of every record here would cost more than the
  // rest of a large catalogue's load.
  std::string description_file;
  // Records are added together at the end: the same order as adding each at
  // its "[/]", without shifting a large list for every record.
  std::vector<ProgramPtr> records;

  runtime::LineReader lines(bytes);
  std::string line;
  while (lines.Next(line)) {
    if (line.find('[') != std::string::npos) {
      std::string header = HeaderName(line);
      if (header == "/") {
        // A "[/]" with no record open closes nothing, like any other line
        // outside a record; it must not add an empty record.
        if (!name.empty()) {
          records.push_back(tprogram::FromArray(std::move(slots)));  // leaves them empty
          records.back()->description_file = std::move(description_file);
        } else {
          slots.assign(tprogram::kSlotCount, "");
        }
        description_file.clear();
        header.clear();
      }
      name = header;
      slots[0] = name;
      if (!name.empty()) {
        LogLine("File: " + name);
        std::string file = name;
        file += '.';
        file += LANGUAGE;
        file += ".txt";
        // A name that could lead out of "lang" names no file of ours.
        if (IsPlainFileName(file)) {
          if (description_file.empty()) {
            description_file = std::move(file);
          } else if (auto own = lang_folder().Find(file)) {
            // The record is still open (no "[/]" before this header): its
            // description is this header's file when there is one, else
            // the earlier header's when that exists.
            description_file = std::move(*own);
          } else if (!lang_folder().Find(description_file)) {
            description_file.clear();
          }
        }
      }
    }
    if (name.empty()) continue;

    if (unsigned found = SlotsOfKeysIn(line)) {
      std::string value = LineValue(line);
      for (int slot = 0; found != 0; ++slot, found >>= 1) {
        if (found == 1) slots[slot] = std::move(value);  // the last (usually only) slot
        else if (found & 1) slots[slot] = value;
      }
    }

    if (!slots[kMessageSlot].empty()) {
      LogLine(" Reading file <" + slots[kMessageSlot] + ">");
      if (auto text = lang_folder().ReadWhole(slots[kMessageSlot])) {
        slots[kMessageSlot] = *text;
        LogLine(" File: <" + slots[kMessageSlot] + "> caricato...");
      }
    }
  }
  tprogram::AddAll(std::move(records));
}

bool LooksLikeCatalogue(const std::string& bytes) {
  if (bytes.find('[') == std::string::npos) return false;
  // A tag starts with "<": the scan (a byte at a time) begins at the first.
  const std::size_t angle = bytes.find('<');
  if (angle == std::string::npos) return true;
  HtmlTagScanner scanner;
  scanner.Feed(bytes.data() + angle, bytes.size() - angle);
  return !scanner.Found();
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
