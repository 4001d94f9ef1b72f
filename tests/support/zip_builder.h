// Builds ZIP archives for tests with minizip's writer, and damages them on
// purpose (patched header fields, cut-off files).  Header-only so that only
// the test programs that link minizip (through corvane_zip) include it.
#pragma once

#include <minizip/zip.h>
#include <zlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace corvane::testing {

struct ZipItem {
  std::string name;   // stored as given, byte for byte
  std::string data;
  bool link = false;  // stored as a Unix symbolic link whose target is data
  bool store = false; // no compression (the data stands in the archive as it is)
};

// Writes the archive (creating its folder); false when minizip refuses.
inline bool WriteZip(const std::string& path, const std::vector<ZipItem>& items) {
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
  zipFile zf = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
  if (!zf) return false;
  bool ok = true;
  for (const ZipItem& item : items) {
    zip_fileinfo info{};
    unsigned long made_by = 20;
    if (item.link) {
      made_by = (3u << 8) | 20;
      info.external_fa = 0120777ul << 16;
    }
    int method = item.store ? 0 : Z_DEFLATED;
    int level = item.store ? 0 : Z_DEFAULT_COMPRESSION;
    if (zipOpenNewFileInZip4_64(zf, item.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, method,
                                level, 0, -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY,
                                nullptr, 0, made_by, 0, 0) != ZIP_OK) {
      ok = false;
      break;
    }
    if (!item.data.empty() &&
        zipWriteInFileInZip(zf, item.data.data(), static_cast<unsigned>(item.data.size())) != ZIP_OK)
      ok = false;
    if (zipCloseFileInZip(zf) != ZIP_OK) ok = false;
  }
  if (zipClose(zf, nullptr) != ZIP_OK) ok = false;
  return ok;
}

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

// Replaces every occurrence of from by to (same length) in the file; the count.
inline int PatchBytes(const std::string& path, const std::string& from, const std::string& to) {
  std::string bytes = ReadBytes(path);
  int count = 0;
  for (std::size_t pos = bytes.find(from); pos != std::string::npos; pos = bytes.find(from, pos + 1)) {
    bytes.replace(pos, from.size(), to);
    ++count;
  }
  WriteBytes(path, bytes);
  return count;
}

inline std::uint32_t Get32(const std::string& b, std::size_t at) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
}

inline void Put32(std::string& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + static_cast<std::size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// Offset of the central-directory header of entry index (archive order), or npos.
inline std::size_t CentralHeader(const std::string& b, int index) {
  std::size_t eocd = b.rfind(std::string("PK\x05\x06", 4));
  if (eocd == std::string::npos) return std::string::npos;
  std::size_t at = Get32(b, eocd + 16);
  for (int i = 0; i < index && at + 46 <= b.size(); ++i) {
    auto len16 = [&](std::size_t o) { return Get32(b, o) & 0xFFFF; };
    at += 46 + len16(at + 28) + len16(at + 30) + len16(at + 32);
  }
  return at + 46 <= b.size() ? at : std::string::npos;
}

// Sets a 32-bit field of entry index's central-directory header (offset from
// the header's start: 16 CRC, 20 compressed size, 24 uncompressed size).
inline bool PatchCentral32(const std::string& path, int index, std::size_t offset, std::uint32_t value) {
  std::string b = ReadBytes(path);
  std::size_t c = CentralHeader(b, index);
  if (c == std::string::npos) return false;
  Put32(b, c + offset, value);
  WriteBytes(path, b);
  return true;
}

}  // namespace corvane::testing
