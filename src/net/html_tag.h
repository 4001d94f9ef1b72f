// Recognises an HTML page among text files: the tag "<html>" (with or
// without attributes) on any line, in any letter case.  Web servers answer a
// missing file with such a page, which must never pass for a catalogue file.
#pragma once

#include <cstddef>
#include <string>

namespace corvane {

// Finds the tag "<html>" in a body with the line rules applied: CR bytes are
// dropped, LF and NUL end a line (a tag never spans two lines), letters
// compared in lower case.  The tag may carry attributes ("<html lang=en>"):
// web servers' own error pages start that way, and such a page must never be
// taken for a text file.  Works on any amount of data in constant memory.
class HtmlTagScanner {
 public:
  void Feed(const char* data, std::size_t size);
  bool Found() const { return found_; }

 private:
  std::size_t matched_ = 0;
  bool found_ = false;
};

// Whether bytes hold the tag (HtmlTagScanner over all of them).
bool HasHtmlTag(const std::string& bytes);

}  // namespace corvane
