// The files of the "lang" folder, listed once, for a step that looks up many
// names in it (a catalogue names a description and a message file per
// record).  Names are found the way the file system resolves them, as
// written first and then with letter case ignored, the first match in
// listing order winning, but without a system call per name.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

namespace runtime {
class FilesReadAhead;
}

class LangFolder {
 public:
  // Lists "lang" now; a folder that cannot be listed holds nothing.
  LangFolder();

  // The name in "lang" of the file that name stands for, or nothing when
  // there is none.  Names come from the catalogue, that is from the server:
  // one that could lead out of "lang" ("../x", "/etc/x", "C:x") names no file.
  std::optional<std::string> Find(const std::string& name) const;

  // The whole text (byte-order mark honoured) of the file that name stands
  // for, or nothing when there is none or it cannot be read.  Read through
  // ahead when given.
  std::optional<std::string> ReadWhole(const std::string& name, runtime::FilesReadAhead* ahead = nullptr) const;

 private:
  static constexpr std::uint32_t kNone = UINT32_MAX;
  std::string_view Folded(std::uint32_t i) const;
  // The slot of table_ that holds folded's first listed name, or the empty
  // slot where it would go.
  std::size_t Slot(std::string_view folded) const;

  std::vector<std::string> names_;    // in listing order
  std::string folded_;                // every name folded, one after another
  std::vector<std::size_t> starts_;   // where each name's folded form starts in folded_, and the end
  std::vector<std::uint32_t> table_;  // open addressing: a first listed name per folded form, or kNone
  std::vector<std::uint32_t> next_;   // per name: the next listed that folds alike, or kNone
};

// The path of the file name in "lang".
std::string LangFilePath(const std::string& name);

// The whole text of "lang/" + name as the file system finds it (case
// ignored when it does not exist as written), or nothing.  No check of name.
// Read through ahead when given.
std::optional<std::string> ReadLangFile(const std::string& name, runtime::FilesReadAhead* ahead = nullptr);

}  // namespace corvane
