#include "runtime/file_system.h"

#include <atomic>
#include <map>
#include <string>

#include "runtime/clock.h"
#include "runtime/resources_table.h"

namespace corvane::runtime {
namespace {
FileSystem* g_override = nullptr;

FileSystem& RealFs() {
  static std::unique_ptr<FileSystem> real = MakeRealFileSystem();
  return *real;
}
}  // namespace

FileSystem& Fs() { return g_override ? *g_override : RealFs(); }
void SetFs(FileSystem* fs) { g_override = fs; }

const std::string* EmbeddedResource(const std::string& name) {
  static const std::map<std::string, std::string> table = [] {
    std::map<std::string, std::string> t;
    for (const EmbeddedEntry* r = kEmbeddedResources; r->name; ++r)
      t.emplace(r->name, std::string(reinterpret_cast<const char*>(r->data), r->size));
    return t;
  }();
  std::string key = name;
  for (char& c : key)
    if (c == '\\') c = '/';
  auto it = table.find(key);
  return it == table.end() ? nullptr : &it->second;
}

bool WriteFileAtomic(const std::string& path, const std::string& bytes) {
  FileSystem& fs = Fs();
  static std::atomic<unsigned> counter{0};
  std::string temp = path + ".tmp" + std::to_string(Clk().MonotonicMs() % 100000) + "_" +
                     std::to_string(counter++);
  auto out = fs.OpenWrite(temp);
  if (!out) return false;
  bool ok = out->Write(bytes.data(), bytes.size());
  ok = out->Close() && ok;
  out.reset();
  if (ok && fs.Rename(temp, path)) return true;
  fs.DeleteFile(temp);
  return false;
}

}  // namespace corvane::runtime
