#include "zip/zip_reader.h"

#include <minizip/unzip.h>
#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <optional>
#include <vector>

#include "runtime/file_system.h"
#include "zip/archive_io.h"
#include "runtime/temporary_file.h"
#include "runtime/text.h"

namespace corvane {
namespace {

std::atomic<long long> entry_cap{kDefaultZipEntryCap};

constexpr unsigned long kUtf8NameFlag = 1u << 11;
constexpr unsigned long kEncryptedFlag = 1u << 0;
constexpr unsigned kHostUnix = 3;
constexpr unsigned long kUnixTypeMask = 0170000;
constexpr unsigned long kUnixLink = 0120000;

bool IsValidUtf8(const std::string& s) {
  std::size_t i = 0;
  const std::size_t n = s.size();
  while (i < n) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    std::size_t extra;
    if (c < 0x80) extra = 0;
    else if (c >= 0xC2 && c <= 0xDF) extra = 1;
    else if (c >= 0xE0 && c <= 0xEF) extra = 2;
    else if (c >= 0xF0 && c <= 0xF4) extra = 3;
    else return false;
    if (n - i - 1 < extra) return false;
    for (std::size_t k = 1; k <= extra; ++k)
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    i += extra + 1;
  }
  return true;
}

constexpr ZPOS64_T kOverflow32 = 0xFFFFFFFFu;
constexpr unsigned kZip64ExtraId = 0x0001;

std::uint64_t LittleEndian(const std::string& bytes, std::size_t at, std::size_t width) {
  std::uint64_t v = 0;
  for (std::size_t i = 0; i < width; ++i)
    v |= static_cast<std::uint64_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
  return v;
}

// Takes the sizes that the central directory marks as overflowing from the
// zip64 extra field.  Newer minizip builds do this themselves; Debian's 1.1
// compares against an unsigned long -1, which never matches where long has
// 64 bits, and hands the marker on as the size.
void ApplyZip64Sizes(const std::string& extra, unz_file_info64& info) {
  std::size_t at = 0;
  while (at + 4 <= extra.size()) {
    const unsigned id = static_cast<unsigned>(LittleEndian(extra, at, 2));
    const std::size_t length = static_cast<std::size_t>(LittleEndian(extra, at + 2, 2));
    const std::size_t end = std::min(extra.size(), at + 4 + length);
    if (id == kZip64ExtraId) {
      std::size_t field = at + 4;
      for (ZPOS64_T* size : {&info.uncompressed_size, &info.compressed_size}) {
        if (*size != kOverflow32) continue;
        if (field + 8 > end) return;
        *size = LittleEndian(extra, field, 8);
        field += 8;
      }
      return;
    }
    at = end;
  }
}

// A valid archive without entries is its end record alone (and a comment);
// minizip never looks for that record at the file's very first byte.
bool IsBareEndRecord(const std::string& bytes) {
  if (bytes.size() < 22 || bytes.compare(0, 4, "PK\x05\x06") != 0) return false;
  for (std::size_t i = 4; i < 20; ++i)
    if (bytes[i] != 0) return false;
  return LittleEndian(bytes, 20, 2) == bytes.size() - 22;
}

std::string FolderOf(const std::string& name) {
  std::size_t slash = name.rfind('/');
  return slash == std::string::npos ? "" : name.substr(0, slash);
}

}  // namespace

long long ZipEntryCap() { return entry_cap.load(); }
void SetZipEntryCap(long long bytes) { entry_cap = bytes > 0 ? bytes : kDefaultZipEntryCap; }

const char* ZipStatusText(ZipStatus status) {
  switch (status) {
    case ZipStatus::kOk: return "ok";
    case ZipStatus::kNoSuchEntry: return "no such entry";
    case ZipStatus::kTooLarge: return "larger than the size cap";
    case ZipStatus::kCannotOpen: return "cannot open entry";
    case ZipStatus::kLinkInTheWay: return "a symbolic link stands at the output path";
    case ZipStatus::kWriteFailed: return "write failed";
    case ZipStatus::kDataError: return "damaged data";
    case ZipStatus::kCrcError: return "CRC error";
    case ZipStatus::kNotOpen: return "archive not open";
  }
  return "unknown";
}

struct ZipReader::Position {
  unz64_file_pos pos;
  // minizip checks the CRC itself when it knows the true size: only sizes
  // taken from the zip64 extra field need our own check.
  bool own_crc = true;
};

ZipReader::ZipReader() = default;
ZipReader::~ZipReader() { Close(); }

void ZipReader::Close() {
  if (handle_) unzClose(static_cast<unzFile>(handle_));
  handle_ = nullptr;
  empty_ = false;
  entries_.clear();
  positions_.clear();
}

bool ZipReader::Open(const std::string& path) {
  Close();
  if (path.empty()) return false;
  runtime::FileSystem& fs = runtime::Fs();
  if (fs.Kind(path) != runtime::kFile) return false;
  zlib_filefunc64_def functions = ArchiveFileFunctions();
  unzFile uf = unzOpen2_64(path.c_str(), &functions);
  if (!uf) {
    constexpr long long kLargestBareRecord = 22 + 0xFFFF;
    const long long size = fs.FileSize(path);
    if (size < 0 || size > kLargestBareRecord) return false;
    std::optional<std::string> bytes = fs.ReadFile(path);
    empty_ = bytes && IsBareEndRecord(*bytes);
    return empty_;
  }
  handle_ = uf;

  unz_global_info64 global;
  if (unzGetGlobalInfo64(uf, &global) != UNZ_OK) {
    Close();
    return false;
  }
  if (global.number_entry == 0) return true;
  int rc = unzGoToFirstFile(uf);
  while (rc == UNZ_OK) {
    unz_file_info64 info;
    if (unzGetCurrentFileInfo64(uf, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) break;
    std::string raw(info.size_filename, '\0');
    std::string extra(info.size_file_extra, '\0');
    if ((info.size_filename > 0 || info.size_file_extra > 0) &&
        unzGetCurrentFileInfo64(uf, &info, raw.data(), static_cast<uLong>(raw.size()), extra.data(),
                                static_cast<uLong>(extra.size()), nullptr, 0) != UNZ_OK)
      break;
    const ZPOS64_T stated = info.uncompressed_size;
    ApplyZip64Sizes(extra, info);
    ZipEntry e;
    e.name = (info.flag & kUtf8NameFlag) || IsValidUtf8(raw) ? raw : runtime::DecodeLatin1(raw);
    e.folder = FolderOf(e.name);
    e.size = static_cast<long long>(info.uncompressed_size > static_cast<ZPOS64_T>(INT64_MAX)
                                        ? INT64_MAX
                                        : info.uncompressed_size);
    e.is_link = ((info.version >> 8) & 0xFF) == kHostUnix &&
                ((info.external_fa >> 16) & kUnixTypeMask) == kUnixLink;
    e.encrypted = (info.flag & kEncryptedFlag) != 0;
    e.crc = info.crc;
    auto p = std::make_unique<Position>();
    p->own_crc = stated != info.uncompressed_size;
    if (unzGetFilePos64(uf, &p->pos) != UNZ_OK) break;
    entries_.push_back(std::move(e));
    positions_.push_back(std::move(p));
    rc = unzGoToNextFile(uf);
  }
  // The directory must be read to its stated end: anything short of that is
  // a damaged or truncated archive.
  if (rc != UNZ_END_OF_LIST_OF_FILE || entries_.size() != global.number_entry) {
    Close();
    return false;
  }
  return true;
}

const ZipEntry* ZipReader::Entry(int index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return &entries_[static_cast<std::size_t>(index)];
}

std::string ZipReader::Name(int index) const {
  const ZipEntry* e = Entry(index);
  return e ? e->name : "";
}

std::string ZipReader::Folder(int index) const {
  const ZipEntry* e = Entry(index);
  return e ? e->folder : "";
}

long long ZipReader::Size(int index) const {
  const ZipEntry* e = Entry(index);
  return e ? e->size : -1;
}

bool ZipReader::IsLink(int index) const {
  const ZipEntry* e = Entry(index);
  return e && e->is_link;
}

int ZipReader::Find(const std::string& name) const {
  for (int i = 0; i < Count(); ++i)
    if (entries_[static_cast<std::size_t>(i)].name == name) return i;
  return -1;
}

ZipStatus ZipReader::Extract(const std::string& name, const std::string& path,
                             const std::string& password) {
  if (!IsOpen()) return ZipStatus::kNotOpen;
  int index = Find(name);
  if (index < 0) return ZipStatus::kNoSuchEntry;
  return ExtractEntry(index, path, password);
}

ZipStatus ZipReader::ExtractEntry(int index, const std::string& path, const std::string& password) {
  if (!IsOpen()) return ZipStatus::kNotOpen;
  const ZipEntry* e = Entry(index);
  if (!e) return ZipStatus::kNoSuchEntry;
  const long long cap = ZipEntryCap();
  if (e->size > cap) return ZipStatus::kTooLarge;

  runtime::FileSystem& fs = runtime::Fs();
  if (fs.IsLink(path)) return ZipStatus::kLinkInTheWay;

  unzFile uf = static_cast<unzFile>(handle_);
  Position& position = *positions_[static_cast<std::size_t>(index)];
  if (unzGoToFilePos64(uf, &position.pos) != UNZ_OK) return ZipStatus::kCannotOpen;
  // Only an encrypted entry is handed the password: a minizip built without
  // decryption refuses any password, and an encrypted entry read without one
  // would only give noise.
  if (e->encrypted && password.empty()) return ZipStatus::kCannotOpen;
  if (unzOpenCurrentFilePassword(uf, e->encrypted ? password.c_str() : nullptr) != UNZ_OK)
    return ZipStatus::kCannotOpen;

  // The bytes go to a temporary file beside the target, renamed over it only
  // when the entry is whole: a damaged entry, a full disk or a killed process
  // never leaves a cut-short file, nor destroys the file it would replace.
  std::string temporary;
  auto out = runtime::OpenTemporaryBeside(fs, path, &temporary);
  if (!out) {
    unzCloseCurrentFile(uf);
    if (!temporary.empty()) fs.DeleteFile(temporary);
    return ZipStatus::kWriteFailed;
  }

  ZipStatus status = ZipStatus::kOk;
  if (buffer_.empty()) buffer_.resize(1 << 16);
  std::vector<char>& buffer = buffer_;
  long long written = 0;
  uLong crc = crc32(0L, Z_NULL, 0);
  while (true) {
    // Never past the stated size: a library that misread a zip64 size would
    // hand on the bytes after the entry.  Data that runs on fails the CRC.
    const long long room = std::min<long long>(static_cast<long long>(buffer.size()), e->size - written);
    int n = unzReadCurrentFile(uf, buffer.data(), static_cast<unsigned>(room));
    if (n < 0) {
      status = ZipStatus::kDataError;
      break;
    }
    if (n == 0) break;
    written += n;
    if (written > cap) {
      status = ZipStatus::kTooLarge;
      break;
    }
    if (!out->Write(buffer.data(), static_cast<std::size_t>(n))) {
      status = ZipStatus::kWriteFailed;
      break;
    }
    if (position.own_crc) crc = crc32(crc, reinterpret_cast<const Bytef*>(buffer.data()), static_cast<uInt>(n));
  }
  // minizip checks the CRC only when the whole stated size was read, so an
  // entry that ends early is caught by its length.
  if (status == ZipStatus::kOk && written != e->size) status = ZipStatus::kDataError;
  int closed = unzCloseCurrentFile(uf);
  const bool crc_wrong = closed == UNZ_CRCERROR || (position.own_crc && crc != e->crc);
  if (status == ZipStatus::kOk && crc_wrong) status = ZipStatus::kCrcError;
  else if (status == ZipStatus::kOk && closed != UNZ_OK) status = ZipStatus::kDataError;
  bool flushed = out->Close();
  out.reset();
  if (status == ZipStatus::kOk && !flushed) status = ZipStatus::kWriteFailed;
  if (status == ZipStatus::kOk && !fs.Rename(temporary, path)) status = ZipStatus::kWriteFailed;
  if (status != ZipStatus::kOk) fs.DeleteFile(temporary);
  return status;
}

}  // namespace corvane
