#include "package_maker.h"

#include <minizip/zip.h>
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>

#include "runtime/file_system.h"

namespace corvane::bench {
namespace {

const char* const kWords[] = {
    "module", "import", "return", "value", "result", "string", "buffer", "window", "gadget",
    "event",  "queue",  "timer",  "local", "global", "field",  "method", "class",  "array",
    "list",   "map",    "stream", "file",  "folder", "path",   "read",   "write",  "close",
    "open",   "size",   "count",  "index", "first",  "last",   "next",   "print",  "error",
    "if",     "else",   "while",  "for",   "end",    "then",   "and",    "or",     "not",
    "true",   "false",  "null",   "self",  "super",  "new",    "free",   "copy",   "move",
    "=",      "+",      "-",      "(",     ")",      ",",      ":",      ";",      "0",
    "1"};
constexpr int kWordCount = sizeof kWords / sizeof kWords[0];

std::uint64_t Mix(std::uint64_t x) {
  x += 0x9e3779b97f4a7c15ull;
  x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ull;
  x = (x ^ (x >> 27)) * 0x94d049bb133111ebull;
  return x ^ (x >> 31);
}

std::string FolderOf(int index, std::mt19937_64& random) {
  static const char* const kTops[] = {"bin", "lib", "include", "doc", "samples", "res"};
  const char* top = kTops[random() % 6];
  char folder[96];
  std::snprintf(folder, sizeof folder, "tarnic-kit/%s/group%02d/part%d", top, index % 20,
                static_cast<int>(random() % 3));
  return folder;
}

}  // namespace

std::vector<PlannedFile> PlanPackage(int files, long long total_bytes, std::uint64_t seed) {
  files = std::max(files, 1);
  total_bytes = std::max<long long>(total_bytes, files);
  std::mt19937_64 random(seed);
  // Sizes spread over orders of magnitude, as in a real package: many small
  // sources, a few large libraries.
  std::lognormal_distribution<double> spread(0.0, 1.3);
  std::vector<double> weights(static_cast<std::size_t>(files));
  double sum = 0;
  for (double& w : weights) sum += (w = spread(random));

  std::vector<PlannedFile> plan(static_cast<std::size_t>(files));
  const long long spare = total_bytes - files;  // one byte each is given
  long long given = 0;
  std::size_t largest = 0;
  for (std::size_t i = 0; i < plan.size(); ++i) {
    PlannedFile& f = plan[i];
    f.size = 1 + static_cast<long long>(std::floor(weights[i] / sum * static_cast<double>(spare)));
    given += f.size;
    if (f.size > plan[largest].size) largest = i;
    f.binary = random() % 4 == 0;
    f.seed = Mix(seed ^ (i + 1));
    char name[48];
    std::snprintf(name, sizeof name, "/file%04zu.%s", i, f.binary ? "bin" : "tn");
    f.name = FolderOf(static_cast<int>(i), random) + name;
  }
  plan[largest].size += total_bytes - given;  // what rounding left over
  return plan;
}

ContentStream::ContentStream(const PlannedFile& file) : file_(file), left_(file.size), state_(file.seed | 1) {}

std::uint64_t ContentStream::Random() {
  // xorshift64*: fast enough to make 100 MB in a blink.
  state_ ^= state_ >> 12;
  state_ ^= state_ << 25;
  state_ ^= state_ >> 27;
  return state_ * 0x2545f4914f6cdd1dull;
}

std::size_t ContentStream::Next(char* data, std::size_t size) {
  std::size_t n = static_cast<std::size_t>(std::min<long long>(left_, static_cast<long long>(size)));
  std::size_t done = 0;
  if (file_.binary) {
    // The bytes of one random word may straddle two pieces.
    while (done < n) {
      if (word_bytes_ == 0) {
        word_ = Random();
        word_bytes_ = 8;
      }
      data[done++] = static_cast<char>(word_ & 0xff);
      word_ >>= 8;
      --word_bytes_;
    }
  } else {
    while (done < n) {
      if (pending_.empty()) {
        // One line of text: indentation, a handful of words, CR LF.
        std::uint64_t r = Random();
        pending_.assign(static_cast<std::size_t>(r % 4) * 2, ' ');
        const int words = 3 + static_cast<int>((r >> 8) % 8);
        for (int w = 0; w < words; ++w) {
          if (w) pending_ += ' ';
          pending_ += kWords[Random() % kWordCount];
        }
        pending_ += "\r\n";
      }
      std::size_t take = std::min(pending_.size(), n - done);
      pending_.copy(data + done, take);
      pending_.erase(0, take);
      done += take;
    }
  }
  left_ -= static_cast<long long>(n);
  return n;
}

std::string ContentOf(const PlannedFile& file) {
  std::string bytes(static_cast<std::size_t>(file.size), '\0');
  ContentStream stream(file);
  std::size_t at = 0;
  while (std::size_t n = stream.Next(&bytes[at], bytes.size() - at)) at += n;
  return bytes;
}

bool WritePackage(const std::string& path, const std::vector<PlannedFile>& plan, std::string* error) {
  zipFile zip = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
  if (!zip) {
    *error = "cannot create " + path;
    return false;
  }
  zip_fileinfo info{};
  info.tmz_date.tm_year = 2024;
  info.tmz_date.tm_mon = 0;  // January
  info.tmz_date.tm_mday = 15;
  info.tmz_date.tm_hour = 12;
  std::vector<char> block(1 << 16);
  bool ok = true;
  for (const PlannedFile& f : plan) {
    const int zip64 = f.size >= 0xffffffffLL ? 1 : 0;
    if (zipOpenNewFileInZip3_64(zip, f.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                                Z_DEFAULT_COMPRESSION, 0, -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY,
                                nullptr, 0, zip64) != ZIP_OK) {
      *error = "cannot add " + f.name;
      ok = false;
      break;
    }
    ContentStream content(f);
    while (std::size_t n = content.Next(block.data(), block.size())) {
      if (zipWriteInFileInZip(zip, block.data(), static_cast<unsigned>(n)) != ZIP_OK) {
        *error = "cannot write " + f.name;
        ok = false;
        break;
      }
    }
    if (zipCloseFileInZip(zip) != ZIP_OK && ok) {
      *error = "cannot finish " + f.name;
      ok = false;
    }
    if (!ok) break;
  }
  if (zipClose(zip, nullptr) != ZIP_OK && ok) {
    *error = "cannot finish " + path;
    ok = false;
  }
  if (!ok) runtime::Fs().DeleteFile(path);
  return ok;
}

bool WriteRandomFile(const std::string& path, long long bytes, std::uint64_t seed) {
  auto out = runtime::Fs().OpenWrite(path);
  if (!out) return false;
  std::mt19937_64 random(seed);
  std::vector<std::uint64_t> block((1 << 20) / sizeof(std::uint64_t));
  for (long long left = bytes; left > 0;) {
    for (auto& word : block) word = random();
    const std::size_t n = static_cast<std::size_t>(std::min<long long>(left, 1 << 20));
    if (!out->Write(block.data(), n)) return false;
    left -= static_cast<long long>(n);
  }
  return out->Close();
}

}  // namespace corvane::bench
