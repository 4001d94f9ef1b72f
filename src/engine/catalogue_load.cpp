#include "engine/catalogue_load.h"

#include "catalogue/catalogue_names.h"
#include "catalogue/program_list_reader.h"
#include "log/activity_log.h"
#include "net/http_client.h"
#include "runtime/file_system.h"
#include "runtime/text.h"
#include "settings/config.h"
#include "settings/server_address.h"

namespace corvane {

bool LoadCatalogue(const std::string& language, CatalogueObserver& observer) {
  if (!language.empty()) LANGUAGE = language;
  if (LoadProgramListQuietly()) return true;
  LogLine("Error - cannot connect to the site");
  observer.ServerUnreachable();
  return false;
}

ProgramPtr FindProgram(const std::string& id) {
  const std::string wanted = runtime::ToUpper(id);
  for (const ProgramPtr& record : programList)
    if (record && runtime::ToUpper(record->name) == wanted) return record;
  return nullptr;
}

bool LoadDescription(tprogram& record) {
  const std::string name = DescriptionFileName(record.name);
  if (!IsPlainFileName(name)) return false;
  const std::string path = "lang/" + name;
  runtime::FileSystem& fs = runtime::Fs();
  if (fs.Kind(path) != runtime::kFile) {
    const std::string where = ResolveLocation(CatalogueBase() + name);
    if (CheckRemoteFile(where) > 0) DownloadFile(where, fs.CurrentFolder() + "/" + path, nullptr, 0);
  }
  auto bytes = fs.ReadFile(path);
  if (!bytes) return false;
  record.Longdesc = runtime::DecodeWholeText(*bytes);
  record.description_file.clear();  // read now: LongDescription has nothing left to read
  return true;
}

}  // namespace corvane
