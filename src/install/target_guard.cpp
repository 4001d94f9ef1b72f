#include "install/target_guard.h"

#include <vector>

#include "runtime/file_system.h"
#include "runtime/text.h"

namespace corvane {
namespace {

std::vector<std::string> Components(const std::string& normalised) {
  std::vector<std::string> parts;
  for (std::string& p : runtime::Split(normalised, "/"))
    if (!p.empty()) parts.push_back(std::move(p));
  return parts;
}

}  // namespace

std::string NormalisedPath(const std::string& path) {
  return runtime::Fs().Absolute(runtime::ReplaceAll(path, "\\", "/"));
}

bool IsStrictlyInside(const std::string& target, const std::string& path) {
  if (target.empty() || path.empty()) return false;
  std::vector<std::string> t = Components(NormalisedPath(target));
  std::vector<std::string> p = Components(NormalisedPath(path));
  if (p.size() <= t.size()) return false;
  for (std::size_t i = 0; i < t.size(); ++i)
    if (t[i] != p[i]) return false;
  return true;
}

std::string LinkBelow(const std::string& target, const std::string& path, bool include_last) {
  std::string base = NormalisedPath(target);
  std::vector<std::string> t = Components(base);
  std::vector<std::string> p = Components(NormalisedPath(path));
  std::size_t end = include_last ? p.size() : (p.empty() ? 0 : p.size() - 1);
  std::string walk = base == "/" ? "" : base;
  runtime::FileSystem& fs = runtime::Fs();
  for (std::size_t i = t.size(); i < end; ++i) {
    walk += "/" + p[i];
    if (fs.IsLink(walk)) return walk;
    // Nothing exists below a missing component, so no link either; looking
    // further would cost a search of the whole path at every level.
    if (fs.Kind(walk) == runtime::kNone) break;
  }
  return "";
}

}  // namespace corvane
