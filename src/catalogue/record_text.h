// A text of a catalogue record.  The records the catalogue reader makes keep
// their long texts in one buffer per block of records (see RecordMaker)
// rather than in an allocation each: a large catalogue is then made and
// released without hundreds of thousands of allocations.  Such a text is a
// view into its block's buffer; every other text, and every copy, owns its
// bytes, so a copy may outlive the record it came from.
//
// It reads like a std::string: it converts to one (and to a string view),
// compares and concatenates with texts, and has the usual read-only calls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

namespace corvane {

class RecordText {
 public:
  static constexpr std::size_t npos = std::string_view::npos;

  RecordText() = default;
  RecordText(std::string_view text) { Own(text); }
  RecordText(const std::string& text) { Own(text); }
  RecordText(const char* text) { Own(text); }
  RecordText(const RecordText& other) { Own(other.view()); }
  RecordText& operator=(const RecordText& other);
  RecordText& operator=(std::string_view text);
  RecordText& operator=(const std::string& text) { return *this = std::string_view(text); }
  RecordText& operator=(const char* text) { return *this = std::string_view(text); }
  ~RecordText() {
    if (owned_) delete[] data_;
  }

  std::string_view view() const { return {data_, size_}; }
  operator std::string_view() const { return view(); }
  operator std::string() const { return std::string(view()); }
  std::string str() const { return std::string(view()); }

  // Always followed by a NUL.
  const char* c_str() const { return data_; }
  const char* data() const { return data_; }
  std::size_t size() const { return size_; }
  std::size_t length() const { return size_; }
  bool empty() const { return size_ == 0; }
  char operator[](std::size_t i) const { return data_[i]; }
  char front() const { return data_[0]; }
  char back() const { return data_[size_ - 1]; }
  const char* begin() const { return data_; }
  const char* end() const { return data_ + size_; }

  std::size_t find(std::string_view what, std::size_t from = 0) const { return view().find(what, from); }
  std::size_t find(char c, std::size_t from = 0) const { return view().find(c, from); }
  std::size_t rfind(std::string_view what, std::size_t from = npos) const { return view().rfind(what, from); }
  std::size_t rfind(char c, std::size_t from = npos) const { return view().rfind(c, from); }
  std::size_t find_first_of(std::string_view set, std::size_t from = 0) const { return view().find_first_of(set, from); }
  std::size_t find_first_not_of(std::string_view set, std::size_t from = 0) const {
    return view().find_first_not_of(set, from);
  }
  std::string substr(std::size_t pos, std::size_t n = npos) const { return std::string(view().substr(pos, n)); }
  int compare(std::string_view other) const { return view().compare(other); }

  void clear() { Release(); }

  friend bool operator==(const RecordText& a, std::string_view b) { return a.view() == b; }
  friend bool operator==(const RecordText& a, const RecordText& b) { return a.view() == b.view(); }
  friend bool operator==(const RecordText& a, const std::string& b) { return a.view() == b; }
  friend bool operator==(const RecordText& a, const char* b) { return a.view() == b; }
  friend bool operator<(const RecordText& a, const RecordText& b) { return a.view() < b.view(); }
  friend std::string operator+(const RecordText& a, std::string_view b) { return a.str().append(b); }
  friend std::string operator+(std::string_view a, const RecordText& b) { return std::string(a).append(b.view()); }
  friend std::string operator+(const RecordText& a, const RecordText& b) { return a.str().append(b.view()); }
  friend std::string operator+(const RecordText& a, const char* b) { return a.str().append(b); }
  friend std::string operator+(const char* a, const RecordText& b) { return std::string(a).append(b.view()); }
  friend std::string operator+(const RecordText& a, const std::string& b) { return a.str().append(b); }
  friend std::string operator+(const std::string& a, const RecordText& b) { return std::string(a).append(b.view()); }
  friend std::ostream& operator<<(std::ostream& out, const RecordText& text) { return out << text.view(); }

 private:
  friend class RecordMaker;

  void Own(std::string_view text);
  void Release() {
    if (owned_) delete[] data_;
    data_ = "";
    size_ = 0;
    owned_ = false;
  }
  // Makes this text a view of bytes kept elsewhere, followed by a NUL.
  void Refer(const char* kept, std::size_t size);

  // Sixteen bytes in all: a record holds a dozen texts, and a large
  // catalogue a hundred thousand records.
  const char* data_ = "";
  std::uint32_t size_ = 0;
  bool owned_ = false;
};

}  // namespace corvane
