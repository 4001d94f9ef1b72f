// Catalogue loading for any front-end: the list file of a language (fetched
// from the server while the local copy is missing) read into programList,
// and the long description of one record.  No gadget is touched; a server
// that cannot be reached is reported to the observer.
#pragma once

#include <string>

#include "catalogue/tprogram.h"

namespace corvane {

class CatalogueObserver {
 public:
  virtual ~CatalogueObserver() = default;
  // The list file is missing and the server could not supply it.
  virtual void ServerUnreachable() {}
};

// Loads the catalogue in language (empty: the current LANGUAGE, which
// otherwise becomes language).  False, with programList empty, when the
// list file cannot be had.
bool LoadCatalogue(const std::string& language, CatalogueObserver& observer);

// The record of programList with this identifier (letter case ignored), or null.
ProgramPtr FindProgram(const std::string& id);

// Fetches the record's description file in the current LANGUAGE into "lang"
// when it is not there yet (a server page in HTML stands for a missing file)
// and puts its text into Longdesc.  False when there is none.
bool LoadDescription(tprogram& record);

}  // namespace corvane
