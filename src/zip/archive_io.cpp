#include "zip/archive_io.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "runtime/file_system.h"

namespace corvane {
namespace {

// Large enough that a data window is refilled a few hundred times for a
// 100 MiB archive, small enough to cost nothing beside inflating it.
constexpr std::size_t kWindow = 256 * 1024;

struct Window {
  std::uint64_t start = 0;
  std::vector<char> bytes;  // empty until filled
  bool Holds(std::uint64_t offset) const { return !bytes.empty() && offset >= start && offset - start < bytes.size(); }
};

struct Archive {
  std::unique_ptr<runtime::ReadAtFile> file;
  std::uint64_t position = 0;
  bool failed = false;
  Window windows[2];

  // Copies up to size bytes at position from the windows, refilling the
  // one nearer to position (the other keeps serving the other stream of
  // reads); the count copied, 0 at the end, -1 on a read error.
  long long Read(char* data, std::size_t size) {
    std::size_t done = 0;
    while (done < size && position < file->Size()) {
      Window* window = windows[0].Holds(position) ? &windows[0] : windows[1].Holds(position) ? &windows[1] : nullptr;
      if (!window) {
        window = Distance(windows[0]) <= Distance(windows[1]) ? &windows[0] : &windows[1];
        window->bytes.resize(kWindow);
        const long long got = file->ReadAt(position, window->bytes.data(), kWindow);
        if (got <= 0) {
          window->bytes.clear();
          if (got < 0) return -1;
          break;
        }
        window->start = position;
        window->bytes.resize(static_cast<std::size_t>(got));
      }
      const std::size_t at = static_cast<std::size_t>(position - window->start);
      const std::size_t n = std::min(size - done, window->bytes.size() - at);
      std::memcpy(data + done, window->bytes.data() + at, n);
      done += n;
      position += n;
    }
    return static_cast<long long>(done);
  }

  std::uint64_t Distance(const Window& window) const {
    if (window.bytes.empty()) return 0;
    return window.start > position ? window.start - position : position - window.start;
  }
};

voidpf ZCALLBACK Open(voidpf, const void* path, int mode) {
  if (!path || (mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) != ZLIB_FILEFUNC_MODE_READ) return nullptr;
  auto file = runtime::Fs().OpenReadAt(static_cast<const char*>(path));
  if (!file) return nullptr;
  auto* archive = new Archive;
  archive->file = std::move(file);
  return archive;
}

uLong ZCALLBACK Read(voidpf, voidpf stream, void* data, uLong size) {
  auto* archive = static_cast<Archive*>(stream);
  const long long n = archive->Read(static_cast<char*>(data), size);
  if (n < 0) {
    archive->failed = true;
    return 0;
  }
  return static_cast<uLong>(n);
}

uLong ZCALLBACK Write(voidpf, voidpf, const void*, uLong) { return 0; }

ZPOS64_T ZCALLBACK Tell(voidpf, voidpf stream) { return static_cast<Archive*>(stream)->position; }

long ZCALLBACK Seek(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
  auto* archive = static_cast<Archive*>(stream);
  std::uint64_t base = 0;
  switch (origin) {
    case ZLIB_FILEFUNC_SEEK_SET: base = 0; break;
    case ZLIB_FILEFUNC_SEEK_CUR: base = archive->position; break;
    case ZLIB_FILEFUNC_SEEK_END: base = archive->file->Size(); break;
    default: return -1;
  }
  archive->position = base + offset;
  return 0;
}

int ZCALLBACK Close(voidpf, voidpf stream) {
  delete static_cast<Archive*>(stream);
  return 0;
}

int ZCALLBACK Error(voidpf, voidpf stream) { return static_cast<Archive*>(stream)->failed ? 1 : 0; }

}  // namespace

zlib_filefunc64_def ArchiveFileFunctions() {
  zlib_filefunc64_def functions{};
  functions.zopen64_file = Open;
  functions.zread_file = Read;
  functions.zwrite_file = Write;
  functions.ztell64_file = Tell;
  functions.zseek64_file = Seek;
  functions.zclose_file = Close;
  functions.zerror_file = Error;
  functions.opaque = nullptr;
  return functions;
}

}  // namespace corvane
