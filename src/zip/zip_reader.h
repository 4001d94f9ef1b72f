// The ZIP archive reader.  An archive opened by its path lists its entries in
// the order of its central directory; each entry can be extracted to a file.
// Built over minizip's unzip interface; the archive is read through
// runtime::Fs().OpenReadAt and the output goes through the runtime's file
// system, so that failures can be injected.
//
// Guards that every extraction applies, whoever calls it:
// - an entry is never inflated past ZipEntryCap() bytes (a decompression
//   bomb is refused before anything is written when its stated size is over
//   the cap, and cut off and removed if its data runs past the cap anyway);
// - an entry whose data fails its CRC, runs short of its stated size or
//   cannot be inflated leaves no file behind;
// - an existing symbolic link at the output path is never written through.
//
// Zip64 archives are read whatever the library's age: sizes that the
// 32-bit fields only mark as overflowing are taken from the zip64 extra
// field, and the CRC is checked here on every entry.
//
// Names are what the archive stores, as UTF-8: names flagged as UTF-8 or
// that are valid UTF-8 are kept, other names are read one byte per
// character.  Nothing here checks where a name points; callers that build
// paths from names must check them (see install/entry_name.h).
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace corvane {

// The default cap on the uncompressed size of one entry: 1 GiB.  No package
// of the catalogue comes near it, while a bomb meant to fill the disk does.
inline constexpr long long kDefaultZipEntryCap = 1LL << 30;

// The cap in force; SetZipEntryCap changes it (tests use small caps), a value
// <= 0 restores the default.
long long ZipEntryCap();
void SetZipEntryCap(long long bytes);

// How an extraction ended.
enum class ZipStatus {
  kOk = 0,
  kNoSuchEntry,    // no entry at that position or with that name
  kTooLarge,       // stated or inflated size over ZipEntryCap()
  kCannotOpen,     // unsupported method, damaged header, wrong password
  kLinkInTheWay,   // the output path is a symbolic link
  kWriteFailed,    // the output file could not be created or written
  kDataError,      // the compressed data is damaged or ends early
  kCrcError,       // the inflated bytes do not match the stored CRC
  kNotOpen,        // no archive is open
};

// A short English text for a status, for log lines ("CRC error", ...).
const char* ZipStatusText(ZipStatus status);

struct ZipEntry {
  std::string name;    // the stored name
  std::string folder;  // the text before the last '/' of name, "" at the root
  long long size = 0;  // the stated uncompressed size in bytes
  bool is_link = false;  // stored as a symbolic link (Unix attributes)
  bool encrypted = false;
  unsigned long crc = 0;  // the stored CRC-32 of the uncompressed bytes
};

class ZipReader {
 public:
  ZipReader();
  ~ZipReader();
  ZipReader(const ZipReader&) = delete;
  ZipReader& operator=(const ZipReader&) = delete;

  // Opens the archive at path and reads its whole central directory.  False
  // when the file is missing, is not a ZIP archive or its central directory
  // is damaged or truncated; the reader is then closed.  An open archive is
  // closed first.
  bool Open(const std::string& path);
  // Releases the archive; safe to call when nothing is open.
  void Close();
  bool IsOpen() const { return handle_ != nullptr || empty_; }

  // The number of entries, 0 when closed.
  int Count() const { return static_cast<int>(entries_.size()); }
  // Position 0 .. Count() - 1; outside that range: empty texts, size -1.
  std::string Name(int index) const;
  std::string Folder(int index) const;
  long long Size(int index) const;
  bool IsLink(int index) const;
  // The entry at a position, or null.
  const ZipEntry* Entry(int index) const;
  // The position of the first entry with exactly this stored name, or -1.
  int Find(const std::string& name) const;

  // Extracts one entry to path, with a password ("" for none).  The bytes go
  // to a temporary file beside path that replaces it when whole.  kOk when
  // every stated byte was written and the CRC matched; on any other result
  // the file at path (if any) is left as it was.
  ZipStatus ExtractEntry(int index, const std::string& path, const std::string& password);
  // The same for the first entry with this stored name.
  ZipStatus Extract(const std::string& name, const std::string& path, const std::string& password);

 private:
  struct Position;
  void* handle_ = nullptr;  // minizip's unzFile
  bool empty_ = false;      // a valid archive without entries, which minizip cannot open
  std::vector<ZipEntry> entries_;
  std::vector<std::unique_ptr<Position>> positions_;
  // Kept between entries: a fresh zero-filled buffer for each of thousands
  // of small entries costs more than their bytes.
  std::vector<char> buffer_;
};

}  // namespace corvane
