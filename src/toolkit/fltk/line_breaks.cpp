#include "toolkit/fltk/line_breaks.h"

namespace corvane::tk::fltk {
namespace {

// The number of stored bytes that make the shown byte starting at i: two for
// a CR LF, one otherwise.
std::size_t StoredRun(const std::string& text, std::size_t i) {
  return text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n' ? 2 : 1;
}

}  // namespace

std::string ShownText(const std::string& text) {
  if (text.find('\r') == std::string::npos) return text;
  std::string shown;
  shown.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); i += StoredRun(text, i)) shown += text[i] == '\r' ? '\n' : text[i];
  return shown;
}

std::string ShownAppend(const std::string& before, const std::string& added) {
  // A CR that ended before was shown as a line break of its own; the LF that
  // now follows it belongs to that same break.
  if (!before.empty() && before.back() == '\r' && !added.empty() && added.front() == '\n') {
    return ShownText(added.substr(1));
  }
  return ShownText(added);
}

std::size_t ShownOffset(const std::string& text, std::size_t stored_offset) {
  std::size_t shown = 0;
  for (std::size_t i = 0; i < text.size(); ++shown) {
    const std::size_t next = i + StoredRun(text, i);
    if (stored_offset < next) return shown;
    i = next;
  }
  return shown;
}

std::size_t StoredOffset(const std::string& text, std::size_t shown_offset) {
  std::size_t i = 0;
  for (std::size_t shown = 0; i < text.size() && shown < shown_offset; ++shown) i += StoredRun(text, i);
  return i;
}

}  // namespace corvane::tk::fltk
