#include "maintenance/tregkey.h"

#include "log/activity_log.h"
#include "runtime/registry.h"
#include "runtime/text.h"

namespace corvane {
namespace {

// The registry, with its store's trouble (a damaged file) going to the log.
runtime::Registry& Registry() {
  runtime::Registry& reg = runtime::Reg();
  reg.SetProblemSink([](const std::string& message) { LogLine(message); });
  return reg;
}

std::unique_ptr<tregkey> OpenOrCreate(const std::string& full_path, bool create) {
  std::vector<std::string> segments = tregkey::ExtractSegments(full_path);
  if (segments.size() < 2) return nullptr;
  std::uint32_t root = tregkey::PredefinedKey(segments[0]);
  if (root == 0) return nullptr;
  std::string sub_path;
  for (std::size_t i = 1; i < segments.size(); ++i) sub_path += (i > 1 ? "\\" : "") + segments[i];
  runtime::RegHandle handle = 0;
  bool ok = create ? Registry().CreateKey(root, sub_path, &handle) : Registry().OpenKey(root, sub_path, &handle);
  if (!ok) return nullptr;
  auto key = std::make_unique<tregkey>();
  key->root = root;
  key->handle = handle;
  key->path = sub_path;
  return key;
}

}  // namespace

tregkey::~tregkey() { close(); }

int tregkey::removevalue(const std::string& name) {
  if (handle == 0) return 0;
  return Registry().DeleteValue(handle, name) ? 1 : 0;
}

int tregkey::remove(int recursive) {
  if (handle == 0) return 0;
  bool removed = recursive != 0 ? Remove_Recurse(root, path) == 1 : Registry().DeleteKey(root, path);
  if (!removed) return 0;
  close();
  return 1;
}

int tregkey::getint(const std::string& name) {
  runtime::RegValue value;
  if (handle == 0 || !Registry().QueryValue(handle, name, &value) || value.type != runtime::kRegDword) return 0;
  return static_cast<int>(static_cast<std::uint32_t>(runtime::ValueNumber(value)));
}

std::int64_t tregkey::getlong(const std::string& name) {
  runtime::RegValue value;
  if (handle == 0 || !Registry().QueryValue(handle, name, &value) || value.type != runtime::kRegQword) return 0;
  return static_cast<std::int64_t>(runtime::ValueNumber(value));
}

std::string tregkey::getMultistring(const std::string& name) { return getstring(name); }

std::string tregkey::getstring(const std::string& name) {
  runtime::RegValue value;
  if (handle == 0 || !Registry().QueryValue(handle, name, &value) || value.type != runtime::kRegSz) return "";
  return runtime::ValueText(value);
}

int tregkey::setint(const std::string& name, int value) {
  if (handle == 0) return 0;
  return Registry().SetValue(handle, name, runtime::MakeDwordValue(static_cast<std::uint32_t>(value))) ? 1 : 0;
}

int tregkey::setlong(const std::string& name, std::int64_t value) {
  if (handle == 0) return 0;
  return Registry().SetValue(handle, name, runtime::MakeQwordValue(static_cast<std::uint64_t>(value))) ? 1 : 0;
}

int tregkey::setstring(const std::string& name, const std::string& text) {
  if (handle == 0) return 0;
  return Registry().SetValue(handle, name, runtime::MakeTextValue(runtime::kRegSz, text)) ? 1 : 0;
}

int tregkey::close() {
  if (handle != 0 && !runtime::IsPredefinedKey(handle)) Registry().CloseKey(handle);
  handle = 0;
  return 0;
}

int tregkey::Remove_Recurse(std::uint32_t root, const std::string& path) {
  if (path.empty()) return 0;  // never a whole root
  runtime::Registry& reg = Registry();
  if (reg.DeleteKey(root, path)) return 1;
  runtime::RegHandle key = 0;
  if (!reg.OpenKey(root, path, &key)) return 0;
  // All names first: deleting while enumerating would skip every other one.
  std::vector<std::string> names;
  std::string name;
  for (std::uint32_t i = 0; reg.EnumKey(key, i, &name); ++i) names.push_back(name);
  for (const std::string& sub : names) Remove_Recurse(root, path + "\\" + sub);
  reg.CloseKey(key);
  return reg.DeleteKey(root, path) ? 1 : 0;
}

std::uint32_t tregkey::PredefinedKey(const std::string& name) {
  std::uint32_t root = runtime::RootFromName(name);
  return root != 0 && runtime::RootName(root) == name ? root : 0;
}

std::vector<std::string> tregkey::ExtractSegments(const std::string& full_path) {
  std::vector<std::string> segments;
  for (std::string& s : runtime::Split(runtime::ReplaceAll(full_path, "/", "\\"), "\\")) {
    if (!s.empty()) segments.push_back(std::move(s));
  }
  return segments;
}

std::unique_ptr<tregkey> OpenRegKey(const std::string& full_path) { return OpenOrCreate(full_path, false); }

std::unique_ptr<tregkey> CreateRegKey(const std::string& full_path) { return OpenOrCreate(full_path, true); }

}  // namespace corvane
