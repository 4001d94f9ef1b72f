#include "net/html_tag.h"

namespace corvane {

void HtmlTagScanner::Feed(const char* data, std::size_t size) {
  static constexpr char kName[] = "<html";
  for (std::size_t i = 0; i < size && !found_; ++i) {
    char c = data[i];
    if (c == '\r') continue;
    if (c == '\n' || c == '\0') {
      matched_ = 0;
      continue;
    }
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (matched_ == sizeof kName - 1) {
      if (c == '>' || c == ' ' || c == '\t') {
        found_ = true;
        continue;
      }
      matched_ = 0;
    }
    // No proper prefix of the name recurs inside it, so a mismatch restarts
    // the match at this character.
    if (c == kName[matched_]) {
      ++matched_;
    } else {
      matched_ = c == kName[0] ? 1 : 0;
    }
  }
}

bool HasHtmlTag(const std::string& bytes) {
  HtmlTagScanner scanner;
  scanner.Feed(bytes.data(), bytes.size());
  return scanner.Found();
}

}  // namespace corvane
