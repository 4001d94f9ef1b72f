#include "catalogue/program_list_reader.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <iterator>
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
#include "runtime/files_read_ahead.h"
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
constexpr char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// Whether the line holds key (any letter case) ending at its "=" at position equals.
bool KeyEndsAt(std::string_view line, std::size_t equals, std::string_view key) {
  if (equals + 1 < key.size()) return false;
  const std::size_t start = equals + 1 - key.size();
  for (std::size_t i = 0; i + 1 < key.size(); ++i) {
    if (AsciiUpper(line[start + i]) != key[i]) return false;
  }
  return true;
}

// Per byte, the keys whose last character before "=" it is (bits over
// kKeys): most lines of a catalogue hold one "=", which then needs one or
// two keys compared rather than all of them.
struct KeysByLastCharacter {
  std::uint16_t keys[256] = {};
  constexpr KeysByLastCharacter() {
    for (std::size_t k = 0; k < std::size(kKeys); ++k) {
      const char last = kKeys[k].text[kKeys[k].text.size() - 2];
      for (int c = 0; c < 256; ++c) {
        if (AsciiUpper(static_cast<char>(c)) == last) keys[c] |= static_cast<std::uint16_t>(1u << k);
      }
    }
  }
};
constexpr KeysByLastCharacter kKeysByLast;

// The slots of the keys found anywhere in the line, one bit per slot.  A key
// ends in "=", so only the text before each "=" of the line needs looking
// at, from the first one, at first_equals.
unsigned SlotsOfKeysIn(std::string_view line, std::size_t first_equals) {
  unsigned slots = 0;
  for (std::size_t eq = first_equals; eq != std::string_view::npos; eq = line.find('=', eq + 1)) {
    if (eq == 0) continue;
    for (unsigned keys = kKeysByLast.keys[static_cast<unsigned char>(line[eq - 1])]; keys != 0; keys &= keys - 1) {
      const Key& key = kKeys[std::countr_zero(keys)];
      if (KeyEndsAt(line, eq, key.text)) slots |= 1u << key.slot;
    }
  }
  return slots;
}

// The header's name: the line without its first and its last character.
void HeaderName(std::string_view line, std::string& out) {
  const auto ascii = [](char c) { return static_cast<unsigned char>(c) < 0x80; };
  if (line.size() >= 2 && ascii(line.front()) && ascii(line.back())) {
    // One byte each: the characters to drop need no counting.
    out.assign(line.substr(1, line.size() - 2));
    return;
  }
  std::size_t count = runtime::CharCount(line);
  if (count < 2) {
    out.clear();
    return;
  }
  out = runtime::CharSubstr(line, 1, static_cast<long long>(count) - 2);
}

// The "lang" paths of the files that the list's MESSAGE= lines name, in
// list order, for reading them ahead.  Only the key as usually written, in
// capitals, is looked for, and only values that need no decoding: a message
// missed here is read when its record is, as any other.
std::vector<std::string> MessageFilesNamed(std::string_view bytes) {
  constexpr std::string_view kKey("MESSAGE="), kLineEnds("\n\0", 2);
  std::vector<std::string> paths;
  for (std::size_t at = bytes.find(kKey); at != std::string_view::npos; at = bytes.find(kKey, at + kKey.size())) {
    const std::size_t before = bytes.substr(0, at).find_last_of(kLineEnds);
    const std::size_t start = before == std::string_view::npos ? 0 : before + 1;
    std::size_t end = bytes.find_first_of(kLineEnds, at);
    if (end == std::string_view::npos) end = bytes.size();
    if (end > start && bytes[end - 1] == '\r') --end;
    const std::string_view line = bytes.substr(start, end - start);
    const std::string value(line.substr(line.find('=') + 1));  // the reader's value: after the first "="
    const bool plain = std::all_of(value.begin(), value.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80 && c != '\r'; });
    if (plain && IsPlainFileName(value)) paths.push_back(LangFilePath(value));
  }
  return paths;
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
  // Opening the message files of a large catalogue costs as much as the
  // rest of its load: a helper thread finds and reads them meanwhile.
  runtime::FilesReadAhead messages_ahead(runtime::Fs(), [&bytes] { return MessageFilesNamed(bytes); });
  // A message file is opened as named (the file system matches the name
  // with case ignored when it does not exist as written) until one is
  // missing: listing "lang" costs more than opening the messages of a large
  // catalogue, while every lookup of a missing name would search it again.
  auto read_message = [&](const std::string& file) -> std::optional<std::string> {
    if (!IsPlainFileName(file)) return std::nullopt;
    if (!lang) {
      if (auto text = ReadLangFile(file, &messages_ahead)) return text;
    }
    return lang_folder().ReadWhole(file, &messages_ahead);
  };
  // The texts of the open record.  They are copied into the record at its
  // "[/]" and kept with their room: a record costs only its own texts.
  std::string slots[tprogram::kSlotCount];
  auto clear_slots = [&slots] {
    for (std::string& slot : slots) slot.clear();
  };
  std::string name;  // empty while no record is open
  std::string header;
  std::string log_text;
  // The file of the record's description, read when the description is first
  // shown: reading the files of every record here would cost more than the
  // rest of a large catalogue's load.
  std::string description_file;
  std::string file;
  // Records are added together at the end: the same order as adding each at
  // its "[/]", without shifting a large list for every record.
  std::vector<ProgramPtr> records;
  records.reserve(bytes.size() / 256);  // a typical record's size, so rarely grown
  // Their names side by side, for the sort.
  std::string names;
  std::vector<std::size_t> name_ends;
  name_ends.reserve(records.capacity());
  RecordMaker maker;

  runtime::LineReader lines(bytes);
  std::string_view line;
  std::string decoded;
  while (lines.Next(line, decoded)) {
    if (line.find('[') != std::string_view::npos) {
      HeaderName(line, header);
      if (header == "/") {
        // A "[/]" with no record open closes nothing, like any other line
        // outside a record; it must not add an empty record.
        if (!name.empty()) {
          records.push_back(maker.Make());
          maker.Fill(*records.back(), slots);
          names += slots[1];
          name_ends.push_back(names.size());
          maker.Keep(records.back()->description_file, description_file);
        }
        clear_slots();
        description_file.clear();
        header.clear();
      }
      name = header;
      slots[0] = name;
      if (!name.empty()) {
        log_text.assign("File: ").append(name);
        LogLine(log_text);
        file.assign(name).append(".").append(LANGUAGE).append(".txt");
        // A name that could lead out of "lang" names no file of ours.
        if (IsPlainFileName(file)) {
          if (description_file.empty()) {
            description_file = file;
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

    const std::size_t equals = line.find('=');
    if (unsigned found = equals == std::string_view::npos ? 0 : SlotsOfKeysIn(line, equals)) {
      const std::string_view value = line.substr(equals + 1);  // after the first "="
      for (; found != 0; found &= found - 1) slots[std::countr_zero(found)].assign(value);
    }

    if (!slots[kMessageSlot].empty()) {
      LogLine(" Reading file <" + slots[kMessageSlot] + ">");
      if (auto text = read_message(slots[kMessageSlot])) {
        slots[kMessageSlot] = *text;
        LogLine(" File: <" + slots[kMessageSlot] + "> caricato...");
      }
    }
  }
  std::vector<std::string_view> name_views;
  name_views.reserve(name_ends.size());
  for (std::size_t i = 0, start = 0; i < name_ends.size(); start = name_ends[i++]) {
    name_views.emplace_back(names.data() + start, name_ends[i] - start);
  }
  tprogram::AddAll(std::move(records), name_views);
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
