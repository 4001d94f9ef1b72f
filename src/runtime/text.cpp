#include "runtime/text.h"

#include <cstdlib>
#include <algorithm>
#include <cstdint>
#include <cstring>

namespace corvane::runtime {
namespace {

// Decodes one UTF-8 sequence at text[i]; advances i.  Invalid bytes decode as
// themselves so that no byte is ever lost.
unsigned NextCodepoint(std::string_view text, std::size_t& i) {
  unsigned char c = static_cast<unsigned char>(text[i]);
  int extra = c >= 0xF0 && c < 0xF8 ? 3 : c >= 0xE0 && c < 0xF0 ? 2 : c >= 0xC2 && c < 0xE0 ? 1 : 0;
  // A lone or truncated sequence decodes as its first byte, so no byte is lost.
  if (extra == 0 || i + extra >= text.size()) {
    ++i;
    return c;
  }
  unsigned cp = c & (0x3F >> extra);
  for (int k = 1; k <= extra; ++k) {
    unsigned char d = static_cast<unsigned char>(text[i + k]);
    if ((d & 0xC0) != 0x80) {
      ++i;
      return c;
    }
    cp = (cp << 6) | (d & 0x3F);
  }
  i += extra + 1;
  return cp;
}

unsigned FoldUpper(unsigned cp) {
  if (cp >= 'a' && cp <= 'z') return cp - 32;
  if ((cp >= 0xE0 && cp <= 0xFE && cp != 0xF7)) return cp - 32;
  return cp;
}

unsigned FoldLower(unsigned cp) {
  if (cp >= 'A' && cp <= 'Z') return cp + 32;
  if ((cp >= 0xC0 && cp <= 0xDE && cp != 0xD7)) return cp + 32;
  return cp;
}

template <typename F>
std::string MapCodepoints(std::string_view text, F f) {
  bool ascii = true;
  for (char c : text) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  if (ascii) {  // one byte a character: no decoding needed
    std::string out(text);
    for (char& c : out) c = static_cast<char>(f(static_cast<unsigned char>(c)));
    return out;
  }
  std::string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t start = i;
    unsigned cp = NextCodepoint(text, i);
    unsigned mapped = f(cp);
    if (mapped == cp)
      out.append(text.substr(start, i - start));
    else
      out = AppendCodepoint(std::move(out), mapped);
  }
  return out;
}

}  // namespace

std::string AppendCodepoint(std::string out, unsigned cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
  return out;
}

std::string DecodeLatin1(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char ch : bytes) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (c < 0x80) {
      out += ch;
    } else {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::string EncodeLatin1(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && static_cast<unsigned char>(text[i]) < 0x80) ++i;
  std::string out(text.substr(0, i));  // plain ASCII is its own encoding
  if (i == text.size()) return out;
  out.reserve(text.size());
  while (i < text.size()) out += static_cast<char>(NextCodepoint(text, i) & 0xFF);
  return out;
}

namespace {

// Whether n bytes are all ASCII other than CR, that is a line that needs no
// decoding: tested eight bytes at a time.
bool IsPlainAscii(const char* p, std::size_t n) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ull, kHigh = 0x8080808080808080ull;
  constexpr std::uint64_t kCr = kOnes * '\r';
  const auto plain = [&](std::size_t at) {
    std::uint64_t w;
    std::memcpy(&w, p + at, 8);
    const std::uint64_t cr = w ^ kCr;  // a zero byte where a CR stands
    return ((w | ((cr - kOnes) & ~cr)) & kHigh) == 0;
  };
  if (n >= 8) {
    for (std::size_t i = 0; i + 8 <= n; i += 8) {
      if (!plain(i)) return false;
    }
    return plain(n - 8);  // the last bytes, overlapping the words before
  }
  for (std::size_t i = 0; i < n; ++i) {
    if (static_cast<unsigned char>(p[i]) >= 0x80 || p[i] == '\r') return false;
  }
  return true;
}

}  // namespace

std::size_t LineReader::Find(char c, std::size_t& cached) const {
  // Looked for again only once passed: data of many lines, or with NUL bytes
  // and few LF, is searched once over, not once a line.
  if (cached == kUnknown || cached < pos_) {
    const void* hit = std::memchr(bytes_.data() + pos_, c, bytes_.size() - pos_);
    cached = hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - bytes_.data()) : bytes_.size();
  }
  return cached;
}

bool LineReader::Next(std::string& line) {
  std::string_view view;
  if (!Next(view, line)) return false;
  if (view.data() != line.data()) line.assign(view);
  return true;
}

bool LineReader::Next(std::string_view& line, std::string& scratch) {
  if (pos_ >= bytes_.size()) return false;
  const char* const data = bytes_.data();
  const std::size_t end = std::min(Find('\n', lf_), Find('\0', nul_));
  // A line end is consumed with its line; the data's last line may have none.
  const std::size_t start = pos_;
  pos_ = end < bytes_.size() ? end + 1 : end;

  std::size_t stop = end;
  if (stop > start && data[stop - 1] == '\r') --stop;  // the usual CR LF
  if (IsPlainAscii(data + start, stop - start)) {
    line = std::string_view(data + start, stop - start);
    return true;
  }
  scratch.clear();
  for (std::size_t i = start; i < stop; ++i) {
    const unsigned char c = static_cast<unsigned char>(data[i]);
    if (c < 0x80) {
      if (c != '\r') scratch += static_cast<char>(c);
    } else {
      scratch += static_cast<char>(0xC0 | (c >> 6));
      scratch += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  line = scratch;
  return true;
}

std::vector<std::string> ReadLines(std::string_view bytes) {
  std::vector<std::string> lines;
  LineReader reader(bytes);
  std::string line;
  while (reader.Next(line)) lines.push_back(line);
  return lines;
}

std::string WriteLine(std::string_view line) { return EncodeLatin1(line) + "\r\n"; }

std::string WriteLines(const std::vector<std::string>& lines) {
  std::string out;
  for (const auto& l : lines) out += WriteLine(l);
  return out;
}

std::string DecodeWholeText(std::string_view bytes) {
  auto starts = [&](std::string_view mark) { return bytes.substr(0, mark.size()) == mark; };
  if (starts("\xEF\xBB\xBF")) return std::string(bytes.substr(3));
  bool le = starts("\xFF\xFE"), be = starts("\xFE\xFF");
  if (le || be) {
    std::string out;
    std::size_t i = 2;
    while (i + 1 < bytes.size()) {
      unsigned lo = static_cast<unsigned char>(bytes[le ? i : i + 1]);
      unsigned hi = static_cast<unsigned char>(bytes[le ? i + 1 : i]);
      unsigned unit = (hi << 8) | lo;
      i += 2;
      if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < bytes.size()) {
        unsigned lo2 = static_cast<unsigned char>(bytes[le ? i : i + 1]);
        unsigned hi2 = static_cast<unsigned char>(bytes[le ? i + 1 : i]);
        unsigned next = (hi2 << 8) | lo2;
        if (next >= 0xDC00 && next < 0xE000) {
          unit = 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00);
          i += 2;
        }
      }
      out = AppendCodepoint(std::move(out), unit);
    }
    return out;
  }
  return DecodeLatin1(bytes);
}

std::size_t CharCount(std::string_view text) {
  std::size_t n = 0, i = 0;
  while (i < text.size()) {
    NextCodepoint(text, i);
    ++n;
  }
  return n;
}

std::size_t CharToByte(std::string_view text, std::size_t char_index) {
  std::size_t i = 0;
  for (std::size_t n = 0; n < char_index && i < text.size(); ++n) NextCodepoint(text, i);
  return i;
}

std::string CharSubstr(std::string_view text, std::size_t start, long long count) {
  std::size_t from = CharToByte(text, start);
  if (count < 0) return std::string(text.substr(from));
  std::string_view rest = text.substr(from);
  std::size_t len = CharToByte(rest, static_cast<std::size_t>(count));
  return std::string(rest.substr(0, len));
}

std::string ToUpper(std::string_view text) { return MapCodepoints(text, FoldUpper); }
std::string ToLower(std::string_view text) { return MapCodepoints(text, FoldLower); }

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() == b.size()) {
    bool plain = true;
    for (std::size_t i = 0; i < a.size(); ++i) {
      char x = a[i], y = b[i];
      if (static_cast<unsigned char>(x) >= 0x80 || static_cast<unsigned char>(y) >= 0x80) {
        plain = false;
        break;
      }
      if (FoldUpper(static_cast<unsigned char>(x)) != FoldUpper(static_cast<unsigned char>(y)))
        return false;
    }
    if (plain) return true;
  }
  return ToUpper(a) == ToUpper(b);
}

std::size_t FindIgnoreCase(std::string_view haystack, std::string_view needle, std::size_t from) {
  // Folding keeps byte lengths for ASCII and Latin-1, so offsets carry over.
  std::string h = ToUpper(haystack), n = ToUpper(needle);
  if (h.size() != haystack.size()) {
    // Some character changed its byte length; search the folded text and map back by characters.
    std::size_t pos = h.find(n, 0);
    while (pos != std::string::npos) {
      std::size_t chars = CharCount(std::string_view(h).substr(0, pos));
      std::size_t byte = CharToByte(haystack, chars);
      if (byte >= from) return byte;
      pos = h.find(n, pos + 1);
    }
    return std::string::npos;
  }
  return h.find(n, from);
}

std::string Trim(std::string_view text) {
  std::size_t b = 0, e = text.size();
  while (b < e && (text[b] == ' ' || text[b] == '\t' || text[b] == '\r' || text[b] == '\n')) ++b;
  while (e > b && (text[e - 1] == ' ' || text[e - 1] == '\t' || text[e - 1] == '\r' || text[e - 1] == '\n')) --e;
  return std::string(text.substr(b, e - b));
}

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
  if (from.empty()) return std::string(text);
  std::string out;
  std::size_t pos = 0;
  while (true) {
    std::size_t hit = text.find(from, pos);
    if (hit == std::string_view::npos) break;
    out.append(text.substr(pos, hit - pos));
    out.append(to);
    pos = hit + from.size();
  }
  out.append(text.substr(pos));
  return out;
}

std::vector<std::string> Split(std::string_view text, std::string_view separator) {
  std::vector<std::string> parts;
  if (separator.empty()) {
    parts.emplace_back(text);
    return parts;
  }
  std::size_t count = 1;
  for (std::size_t hit = text.find(separator); hit != std::string_view::npos;
       hit = text.find(separator, hit + separator.size()))
    ++count;
  parts.reserve(count);
  std::size_t pos = 0;
  while (true) {
    std::size_t hit = text.find(separator, pos);
    if (hit == std::string_view::npos) break;
    parts.emplace_back(text.substr(pos, hit - pos));
    pos = hit + separator.size();
  }
  parts.emplace_back(text.substr(pos));
  return parts;
}

long long ToInt(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  unsigned long long value = 0;
  bool any = false;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    any = true;
    // Saturate instead of wrapping: an overlong number must not change sign.
    constexpr unsigned long long kMax = 9223372036854775807ULL;
    unsigned digit = static_cast<unsigned>(text[i] - '0');
    value = value > (kMax - digit) / 10 ? kMax : value * 10 + digit;
  }
  if (!any) return 0;
  long long v = static_cast<long long>(value);
  return negative ? -v : v;
}

double ToDouble(std::string_view text) {
  std::string s(text);
  return std::strtod(s.c_str(), nullptr);
}

}  // namespace corvane::runtime
