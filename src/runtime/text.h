// Text handling.  Every text inside the program is UTF-8 in a std::string.
// The program's "8-bit" files and wire lines cross the boundary through one
// codec: each byte read becomes the character of the same code (Latin-1);
// each character written becomes its low 8 bits.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace corvane::runtime {

// Bytes -> UTF-8, one character per byte.
std::string DecodeLatin1(std::string_view bytes);
// UTF-8 -> bytes, each character's low 8 bits.  Invalid UTF-8 bytes pass as they are.
std::string EncodeLatin1(std::string_view text);

// Splits 8-bit data into lines: a line ends at LF, at a NUL byte or at the end
// of the data; CR bytes are dropped wherever they stand.  Data ending in a line
// end gives no empty last line.  Lines are returned decoded (UTF-8).
std::vector<std::string> ReadLines(std::string_view bytes);
// The same lines one at a time, each decoded into a buffer the caller reuses:
// data of a million lines costs no allocation per line.
class LineReader {
 public:
  explicit LineReader(std::string_view bytes) : bytes_(bytes) {}
  // The next line into line; false (line untouched) after the last one.
  bool Next(std::string& line);
  // The next line as a view: into the data itself when the line needs no
  // decoding (plain ASCII without CR), else into scratch, which holds it
  // decoded.  The view lasts until the next call.  False after the last one.
  bool Next(std::string_view& line, std::string& scratch);

 private:
  static constexpr std::size_t kUnknown = static_cast<std::size_t>(-1);
  // The first byte c at or after pos_ (the end when none), kept in cached.
  std::size_t Find(char c, std::size_t& cached) const;
  std::string_view bytes_;
  std::size_t pos_ = 0;
  std::size_t lf_ = kUnknown;
  std::size_t nul_ = kUnknown;
};

// Joins lines as 8-bit text, every line ended with CR LF.
std::string WriteLines(const std::vector<std::string>& lines);
// One line as 8-bit bytes ended with CR LF.
std::string WriteLine(std::string_view line);

// A file read whole as one text: a leading EF BB BF selects UTF-8, FF FE
// UTF-16 LE, FE FF UTF-16 BE (the mark is dropped); otherwise each byte is one
// character.
std::string DecodeWholeText(std::string_view bytes);

// Character-level helpers over UTF-8 (a character = one code point).
std::size_t CharCount(std::string_view text);
// Characters [start, start + count) (clamped); count < 0 means to the end.
std::string CharSubstr(std::string_view text, std::size_t start, long long count = -1);
// Byte offset of character index (clamped to the end).
std::size_t CharToByte(std::string_view text, std::size_t char_index);
std::string AppendCodepoint(std::string text, unsigned codepoint);

// Case folding of ASCII and Latin-1 letters.
std::string ToUpper(std::string_view text);
std::string ToLower(std::string_view text);
bool EqualsIgnoreCase(std::string_view a, std::string_view b);
// Byte offset of needle in haystack with case ignored, or npos.
std::size_t FindIgnoreCase(std::string_view haystack, std::string_view needle, std::size_t from = 0);

std::string Trim(std::string_view text);
// Replaces every occurrence of from (non-empty) by to.
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to);
std::vector<std::string> Split(std::string_view text, std::string_view separator);
// Leading integer like C atoi (sign, digits; anything else stops); 0 when none.
long long ToInt(std::string_view text);
double ToDouble(std::string_view text);

}  // namespace corvane::runtime
