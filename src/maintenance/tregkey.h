// One open registry key, and the two ways to get one from a full key path
// such as "HKEY_CURRENT_USER\Environment" (root name, then the sub-keys,
// separated by "\" or "/").  Every call goes through runtime::Reg(), so the
// program's own registry store stands behind it on systems without a
// registry, and tests give it a store of their own.
//
// No method reports why it failed: a failure is 0, empty text or null.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace corvane {

class tregkey {
 public:
  // Handle of the predefined root the key lies under; 0 for a new object.
  std::uint32_t root = 0;
  // Handle of the open key; 0 while the object holds none.
  std::uint32_t handle = 0;
  // The key below root, segments joined by "\" (no root name, no leading "\").
  std::string path;

  tregkey() = default;  // root 0, handle 0, path empty
  ~tregkey();           // closes the key
  tregkey(const tregkey&) = delete;
  tregkey& operator=(const tregkey&) = delete;

  // Deletes the named value; 1 on success, 0 on failure or with no key open.
  int removevalue(const std::string& name);
  // Deletes this key (with a non-zero flag its sub-keys first, through
  // Remove_Recurse; otherwise only a key without sub-keys can go).  On
  // success closes the object and answers 1; otherwise 0.
  int remove(int recursive);
  // A REG_DWORD value; 0 for any other type, a missing value or no key.
  int getint(const std::string& name);
  // A REG_QWORD value (all 64 bits); 0 for any other type, a missing value
  // or no key.
  std::int64_t getlong(const std::string& name);
  // The same as getstring: a REG_SZ value only.
  std::string getMultistring(const std::string& name);
  // A REG_SZ value up to its first NUL; empty for any other type (REG_EXPAND_SZ
  // and REG_MULTI_SZ included), a missing value or no key.
  std::string getstring(const std::string& name);
  // Write a REG_DWORD, REG_QWORD or REG_SZ value; 1 on success, 0 otherwise.
  int setint(const std::string& name, int value);
  int setlong(const std::string& name, std::int64_t value);
  int setstring(const std::string& name, const std::string& text);
  // Releases the key unless it is a predefined root; handle becomes 0 in
  // every case, so a second close does nothing.  Always 0.
  int close();

  // Deletes root\path with everything below it; 1 on success, 0 otherwise
  // (also for an empty path: a whole root is never deleted).
  static int Remove_Recurse(std::uint32_t root, const std::string& path);
  // The handle of "HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER",
  // "HKEY_LOCAL_MACHINE" or "HKEY_USERS" (exactly so written); 0 otherwise.
  static std::uint32_t PredefinedKey(const std::string& name);
  // The non-empty pieces of a path split at "\" and "/", in order.
  static std::vector<std::string> ExtractSegments(const std::string& full_path);
};

// The key of a full path opened for reading and writing; null when it does
// not exist, the root is unknown or the path has fewer than two segments.
std::unique_ptr<tregkey> OpenRegKey(const std::string& full_path);
// As OpenRegKey, creating the key and its missing parents first.
std::unique_ptr<tregkey> CreateRegKey(const std::string& full_path);

}  // namespace corvane
