// What a package run is told before it changes the Tarnic folder, so that
// every change can be put back.  The install engine hands one to each step
// that writes (unpacking, BACKUP, COPY, DELETE); a step whose guard answers
// false leaves that path untouched and counts as failed.
#pragma once

#include <string>

namespace corvane {

class ChangeGuard {
 public:
  virtual ~ChangeGuard() = default;
  // path (a folder) and any missing parents are about to be created.
  virtual bool BeforeCreateFolder(const std::string& path) = 0;
  // The file at path is about to be written (created or replaced).
  virtual bool BeforeWrite(const std::string& path) = 0;
  // The file, link or folder tree at path is about to be deleted.  A
  // symbolic link is taken away by the guard itself (set aside, so that it
  // can be put back): the caller finds it gone.
  virtual bool BeforeDelete(const std::string& path) = 0;
};

}  // namespace corvane
