#include "net/partial_download.h"

#include <climits>
#include <set>

#include "runtime/text.h"

namespace corvane {
namespace {

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && runtime::EqualsIgnoreCase(text.substr(text.size() - end.size()), end);
}

// Digits only, without sign or blank, that fit a long long; nullopt otherwise.
std::optional<long long> Number(const std::string& text) {
  if (text.empty() || text.size() > 18) return std::nullopt;
  long long n = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    n = n * 10 + (c - '0');
  }
  return n;
}

}  // namespace

bool IsPartialName(const std::string& name) { return EndsWith(name, kPartSuffix) || EndsWith(name, kNoteSuffix); }

std::optional<PartialNote> ReadPartialNote(const std::string& target) {
  auto bytes = runtime::Fs().ReadFile(NotePath(target));
  if (!bytes) return std::nullopt;
  PartialNote note;
  for (const std::string& line : runtime::ReadLines(*bytes)) {
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    const std::string key = line.substr(0, equals), value = line.substr(equals + 1);
    if (key == "URL") note.url = value;
    else if (key == "SIZE") note.size = Number(value).value_or(-1);
    else if (key == "ETAG") note.etag = value;
    else if (key == "LAST-MODIFIED") note.last_modified = value;
  }
  if (note.size < 0) return std::nullopt;
  return note;
}

bool WritePartialNote(const std::string& target, const PartialNote& note) {
  return runtime::WriteFileAtomic(NotePath(target),
                                  runtime::WriteLines({"URL=" + note.url, "SIZE=" + std::to_string(note.size),
                                                       "ETAG=" + note.etag, "LAST-MODIFIED=" + note.last_modified}));
}

void DiscardPartial(const std::string& target) {
  runtime::Fs().DeleteFile(PartPath(target));
  runtime::Fs().DeleteFile(NotePath(target));
}

std::optional<ContentRange> ParseContentRange(const std::string& value) {
  if (value.compare(0, 6, "bytes ") != 0) return std::nullopt;
  const std::string rest = value.substr(6);
  const std::size_t dash = rest.find('-'), slash = rest.find('/');
  if (dash == std::string::npos || slash == std::string::npos || slash < dash) return std::nullopt;
  auto first = Number(rest.substr(0, dash));
  auto last = Number(rest.substr(dash + 1, slash - dash - 1));
  auto total = Number(rest.substr(slash + 1));
  if (!first || !last || !total || *first > *last || *last >= *total) return std::nullopt;
  return ContentRange{*first, *last, *total};
}

std::vector<std::string> SweepPartialDownloads(runtime::FileSystem& fs, const std::string& folder,
                                               std::int64_t now, std::int64_t max_age_seconds) {
  std::vector<std::string> removed;
  auto names = fs.ListFolder(folder);
  if (!names) return removed;
  const std::set<std::string> present(names->begin(), names->end());
  const std::string prefix = folder.empty() || folder.back() == '/' ? folder : folder + "/";
  auto remove = [&](const std::string& path) {
    if (fs.Kind(path) != runtime::kFolder && fs.DeleteFile(path)) removed.push_back(path);
  };
  for (const std::string& name : *names) {
    const std::string path = prefix + name;
    if (EndsWith(name, kPartSuffix)) {
      const std::string note = name.substr(0, name.size() - 5) + kNoteSuffix;
      const auto written = fs.ModifiedTime(path);
      const bool resumable = present.count(note) && fs.Kind(prefix + note) == runtime::kFile && written &&
                             now - *written <= max_age_seconds;
      if (resumable) continue;
      remove(path);
      if (present.count(note)) remove(prefix + note);
    } else if (EndsWith(name, kNoteSuffix)) {
      const std::string part = name.substr(0, name.size() - 5);
      if (!present.count(part)) remove(path);
    }
  }
  return removed;
}

}  // namespace corvane
