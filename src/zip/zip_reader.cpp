#include "zip/zip_reader.h"

#include <minizip/unzip.h>

#include <atomic>
#include <cstdint>
#include <vector>

#include "runtime/file_system.h"
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
};

ZipReader::ZipReader() = default;
ZipReader::~ZipReader() { Close(); }

void ZipReader::Close() {
  if (handle_) unzClose(static_cast<unzFile>(handle_));
  handle_ = nullptr;
  entries_.clear();
  positions_.clear();
}

bool ZipReader::Open(const std::string& path) {
  Close();
  if (path.empty()) return false;
  runtime::FileSystem& fs = runtime::Fs();
  if (fs.Kind(path) != runtime::kFile) return false;
  std::string real = fs.Resolve(path);
  unzFile uf = unzOpen64(real.c_str());
  if (!uf) return false;
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
    if (info.size_filename > 0 &&
        unzGetCurrentFileInfo64(uf, &info, raw.data(), static_cast<uLong>(raw.size()), nullptr, 0,
                                nullptr, 0) != UNZ_OK)
      break;
    ZipEntry e;
    e.name = (info.flag & kUtf8NameFlag) || IsValidUtf8(raw) ? raw : runtime::DecodeLatin1(raw);
    e.folder = FolderOf(e.name);
    e.size = static_cast<long long>(info.uncompressed_size > static_cast<ZPOS64_T>(INT64_MAX)
                                        ? INT64_MAX
                                        : info.uncompressed_size);
    e.is_link = ((info.version >> 8) & 0xFF) == kHostUnix &&
                ((info.external_fa >> 16) & kUnixTypeMask) == kUnixLink;
    e.encrypted = (info.flag & kEncryptedFlag) != 0;
    auto p = std::make_unique<Position>();
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
  if (!handle_) return ZipStatus::kNotOpen;
  int index = Find(name);
  if (index < 0) return ZipStatus::kNoSuchEntry;
  return ExtractEntry(index, path, password);
}

ZipStatus ZipReader::ExtractEntry(int index, const std::string& path, const std::string& password) {
  if (!handle_) return ZipStatus::kNotOpen;
  const ZipEntry* e = Entry(index);
  if (!e) return ZipStatus::kNoSuchEntry;
  const long long cap = ZipEntryCap();
  if (e->size > cap) return ZipStatus::kTooLarge;

  runtime::FileSystem& fs = runtime::Fs();
  if (fs.IsLink(path)) return ZipStatus::kLinkInTheWay;

  unzFile uf = static_cast<unzFile>(handle_);
  if (unzGoToFilePos64(uf, &positions_[static_cast<std::size_t>(index)]->pos) != UNZ_OK)
    return ZipStatus::kCannotOpen;
  // Only an encrypted entry is handed the password: a minizip built without
  // decryption refuses any password, and an encrypted entry read without one
  // would only give noise.
  if (e->encrypted && password.empty()) return ZipStatus::kCannotOpen;
  if (unzOpenCurrentFilePassword(uf, e->encrypted ? password.c_str() : nullptr) != UNZ_OK)
    return ZipStatus::kCannotOpen;

  // The bytes go to a temporary file beside the target, renamed over it only
  // when the entry is whole: a damaged entry, a full disk or a killed process
  // never leaves a cut-short file, nor destroys the file it would replace.
  const std::string temporary = path + ".corvane-part";
  if (fs.IsLink(temporary)) fs.DeleteFile(temporary);  // never write through a link
  auto out = fs.OpenWrite(temporary);
  if (!out) {
    unzCloseCurrentFile(uf);
    fs.DeleteFile(temporary);
    return ZipStatus::kWriteFailed;
  }

  ZipStatus status = ZipStatus::kOk;
  std::vector<char> buffer(1 << 16);
  long long written = 0;
  while (true) {
    int n = unzReadCurrentFile(uf, buffer.data(), static_cast<unsigned>(buffer.size()));
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
  }
  // minizip checks the CRC only when the whole stated size was read, so an
  // entry that ends early is caught by its length.
  if (status == ZipStatus::kOk && written != e->size) status = ZipStatus::kDataError;
  int closed = unzCloseCurrentFile(uf);
  if (status == ZipStatus::kOk && closed == UNZ_CRCERROR) status = ZipStatus::kCrcError;
  else if (status == ZipStatus::kOk && closed != UNZ_OK) status = ZipStatus::kDataError;
  bool flushed = out->Close();
  out.reset();
  if (status == ZipStatus::kOk && !flushed) status = ZipStatus::kWriteFailed;
  if (status == ZipStatus::kOk && !fs.Rename(temporary, path)) status = ZipStatus::kWriteFailed;
  if (status != ZipStatus::kOk) fs.DeleteFile(temporary);
  return status;
}

}  // namespace corvane
