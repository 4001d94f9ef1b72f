#include "catalogue/record_text.h"

#include <cstring>

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

void RecordText::Own(std::string_view text) {
  if (text.empty()) return;  // the empty text needs no bytes of its own
  char* bytes = new char[text.size() + 1];
  std::memcpy(bytes, text.data(), text.size());
  bytes[text.size()] = '\0';
  data_ = bytes;
  size_ = text.size();
  owned_ = true;
}

void RecordText::Release() {
  if (owned_) delete[] data_;
  data_ = "";
  size_ = 0;
  owned_ = false;
}

void RecordText::Refer(const char* kept, std::size_t size) {
  Release();
  data_ = kept;
  size_ = size;
}

}  // namespace corvane
