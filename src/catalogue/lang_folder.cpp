#include "catalogue/lang_folder.h"

#include <functional>

#include "catalogue/catalogue_names.h"
#include "runtime/file_system.h"
#include "runtime/files_read_ahead.h"
#include "runtime/text.h"

namespace corvane {

namespace {

// Lower case as the file system's case-ignoring match folds names.
void Fold(std::string_view name, std::string& out) {
  for (char c : name) {
    if (static_cast<unsigned char>(c) >= 0x80) {
      out += runtime::ToLower(name);
      return;
    }
  }
  for (char c : name) out += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

LangFolder::LangFolder() {
  if (auto names = runtime::Fs().ListFolder("lang")) names_ = std::move(*names);
  starts_.reserve(names_.size() + 1);
  for (const std::string& name : names_) {
    starts_.push_back(folded_.size());
    Fold(name, folded_);
  }
  starts_.push_back(folded_.size());
  // A table at most half full, so that probes stay short.
  std::size_t size = 16;
  while (size < 2 * names_.size()) size *= 2;
  table_.assign(size, kNone);
  next_.assign(names_.size(), kNone);
  // Going backwards, each name goes before those that fold alike and come
  // later: the chains (rare: names that differ in letter case only) keep
  // listing order, and the table holds the first listed.
  for (std::size_t i = names_.size(); i-- > 0;) {
    const auto at = static_cast<std::uint32_t>(i);
    std::uint32_t& slot = table_[Slot(Folded(at))];
    next_[at] = slot;
    slot = at;
  }
}

std::string_view LangFolder::Folded(std::uint32_t i) const {
  return std::string_view(folded_).substr(starts_[i], starts_[i + 1] - starts_[i]);
}

std::size_t LangFolder::Slot(std::string_view folded) const {
  const std::size_t mask = table_.size() - 1;
  std::size_t slot = std::hash<std::string_view>()(folded) & mask;
  while (table_[slot] != kNone && Folded(table_[slot]) != folded) slot = (slot + 1) & mask;
  return slot;
}

std::optional<std::string> LangFolder::Find(const std::string& name) const {
  if (!IsPlainFileName(name)) return std::nullopt;
  std::string key;
  Fold(name, key);
  const std::uint32_t first = table_[Slot(key)];
  if (first == kNone) return std::nullopt;
  for (std::uint32_t at = first; at != kNone; at = next_[at]) {
    if (names_[at] == name) return name;
  }
  return names_[first];
}

std::optional<std::string> LangFolder::ReadWhole(const std::string& name, runtime::FilesReadAhead* ahead) const {
  auto actual = Find(name);
  if (!actual) return std::nullopt;
  return ReadLangFile(*actual, ahead);
}

std::string LangFilePath(const std::string& name) { return "lang/" + name; }

std::optional<std::string> ReadLangFile(const std::string& name, runtime::FilesReadAhead* ahead) {
  const std::string path = LangFilePath(name);
  auto bytes = ahead ? ahead->Read(path) : runtime::Fs().ReadFile(path);
  if (!bytes) return std::nullopt;
  return runtime::DecodeWholeText(*bytes);
}

}  // namespace corvane
