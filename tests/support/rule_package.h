// A catalogue record that uses every install rule, for the tests that
// install a package and take it back: download/pkg.zip unpacks into the
// target's pkg/, tnc.exe is backed up, copy_source (a file the package
// writes or replaces) is copied to bin/copied.txt, and the old/ tree is
// deleted.
#pragma once

#include <memory>
#include <string>

#include "catalogue/tprogram.h"

namespace corvane::testing {

inline ProgramPtr PackageWithEveryRule(const std::string& copy_source) {
  auto r = std::make_shared<tprogram>();
  r->name = "PKG";
  r->fullname = "The package";
  r->url = "http://server/pkg.zip";
  r->urls = {r->url};
  r->backup = "/bin/tnc.exe";
  r->copy = copy_source + ",/bin/copied.txt";
  r->fDelete = "/old";
  return r;
}

}  // namespace corvane::testing
