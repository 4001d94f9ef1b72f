// A registry kept in one text file, for systems that have no registry of
// their own.  The program and the `reg` command both use it, so every
// operation reads the file afresh and every change writes the whole file
// again through WriteFileAtomic: a crash leaves either the old or the new
// file, never half of one, and no process overwrites what another wrote
// before (changes are not merged if two processes change it at the same
// instant).
//
// A file that cannot be parsed is reported through the problem sink, once,
// and read as an empty registry; the next change first copies it beside
// itself as "<file>.damaged" (or ".damaged.2", ...) and refuses to go on if
// that copy fails.  A file that exists but cannot be read makes every
// operation fail, so nothing replaces it.
//
// Keys nest at most 512 levels below their root, as on Windows: a deeper
// path is refused, and a file that names a deeper key is damaged.
//
// The file: a first line "corvane-registry 1"; a line "[ROOT\sub\key]" for
// every key, parents first; below it a line "name=TYPE:data" for each value,
// data as raw bytes; a last line "end".  Bytes below 32, 127 and the
// characters % = [ ] are written as %XX.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "runtime/registry.h"

namespace corvane::runtime {

// $CORVANE_REGISTRY when set, else ($XDG_CONFIG_HOME or ~/.config) +
// "/corvane/registry.txt".
std::string DefaultRegistryPath();

class RegistryStore : public Registry {
 public:
  // path() names the file; it is asked at every operation.
  explicit RegistryStore(std::function<std::string()> path = DefaultRegistryPath);

  bool OpenKey(RegHandle parent, const std::string& sub_path, RegHandle* key) override;
  bool CreateKey(RegHandle parent, const std::string& sub_path, RegHandle* key) override;
  bool QueryValue(RegHandle key, const std::string& name, RegValue* value) override;
  bool SetValue(RegHandle key, const std::string& name, const RegValue& value) override;
  bool DeleteValue(RegHandle key, const std::string& name) override;
  bool DeleteKey(RegHandle parent, const std::string& sub_path) override;
  bool EnumKey(RegHandle key, std::uint32_t index, std::string* name) override;
  bool EnumValue(RegHandle key, std::uint32_t index, std::string* name, RegValue* value) override;
  bool CloseKey(RegHandle key) override;
  void SetProblemSink(std::function<void(const std::string&)> sink) override;

  // Count of open handles (tests check that keys get closed).
  std::size_t OpenHandles() const { return open_.size(); }

  struct Node;
  struct Snapshot;

 private:
  struct OpenKeyInfo {
    RegHandle root;
    std::vector<std::string> segments;
  };
  bool Load(Snapshot* snapshot);
  bool Save(Snapshot& snapshot);
  // The root and segments a handle plus a sub-path stands for; false for a
  // handle that is not open or a malformed sub-path.
  bool Locate(RegHandle parent, const std::string& sub_path, OpenKeyInfo* where) const;
  RegHandle NewHandle(OpenKeyInfo where);
  void Report(const std::string& key, const std::string& message);

  std::function<std::string()> path_;
  std::function<void(const std::string&)> sink_;
  std::map<RegHandle, OpenKeyInfo> open_;
  RegHandle next_handle_ = 1;
  std::string last_report_;
};

}  // namespace corvane::runtime
