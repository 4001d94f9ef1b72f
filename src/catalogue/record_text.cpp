#include "catalogue/record_text.h"

#include <cstring>
#include <limits>
#include <stdexcept>

namespace corvane {

RecordText& RecordText::operator=(const RecordText& other) {
  if (this != &other) *this = other.view();
  return *this;
}

RecordText& RecordText::operator=(std::string_view text) {
  // The new bytes may lie inside the old ones (a text assigned a part of itself).
  RecordText copy(text);
  Release();
  data_ = copy.data_;
  size_ = copy.size_;
  owned_ = copy.owned_;
  copy.owned_ = false;
  copy.data_ = "";
  return *this;
}

namespace {

std::uint32_t CheckedSize(std::size_t size) {
  // Far beyond any catalogue text; refused as std::string refuses its own limit.
  if (size > std::numeric_limits<std::uint32_t>::max()) throw std::length_error("RecordText");
  return static_cast<std::uint32_t>(size);
}

}  // namespace

void RecordText::Own(std::string_view text) {
  if (text.empty()) return;  // the empty text needs no bytes of its own
  const std::uint32_t size = CheckedSize(text.size());
  char* bytes = new char[text.size() + 1];
  std::memcpy(bytes, text.data(), text.size());
  bytes[text.size()] = '\0';
  data_ = bytes;
  size_ = size;
  owned_ = true;
}

void RecordText::Refer(const char* kept, std::size_t size) {
  const std::uint32_t checked = CheckedSize(size);
  Release();
  data_ = kept;
  size_ = checked;
}

}  // namespace corvane
