#include "catalogue/retrieval.h"

#include <optional>
#include <string>
#include <vector>

#include "catalogue/program_list_reader.h"
#include "catalogue/signed_files.h"
#include "log/activity_log.h"
#include "net/http_client.h"
#include "runtime/file_system.h"
#include "runtime/text.h"
#include "settings/config.h"
#include "settings/server_address.h"
#include "toolkit/toolkit.h"
#include "trust/trusted_keys.h"
#include "widgets/tapplication.h"

namespace corvane {

namespace {

constexpr int kChunkSize = 128;

bool IsLocalFile(const std::string& path) { return runtime::Fs().Kind(path) == runtime::kFile; }

// Downloads base + name into folder + name; 0 without a request for a name
// that would leave the folder.  In strict mode only a file whose signature
// checks out is stored (kRefused otherwise).
int FetchInto(const std::string& base, const std::string& name, const std::string& folder) {
  if (!IsPlainFileName(name)) {
    LogLine("Error - unsafe file name <" + name + ">");
    return 0;
  }
  if (!trust::StrictMode()) return DownloadFile(base + name, folder + name, nullptr, kChunkSize);
  std::string why;
  int result = FetchSigned(base + name, folder + name, &why);
  if (result == kRefused) ReportRefusedFile(name, why);
  return result;
}

// Downloads one optional file of a record when the server really has it as
// text (an HTML page stands for a missing file).
void FetchIfPresent(const std::string& base, const std::string& name, const std::string& folder) {
  if (!IsPlainFileName(name)) return;
  std::string where = ResolveLocation(base + name);
  if (CheckRemoteFile(where) > 0) DownloadFile(where, folder + name, nullptr, kChunkSize);
}

// The "Updating...." window of an info download.  Closing it asks the run to
// end after the record in hand; a hook catches the close as it happens
// because nothing takes events off the queue while the run goes on.
class InfoProgressWindow {
 public:
  InfoProgressWindow() {
    window_ = tk::CreateWindow("Updating...." + LANGUAGE, 100, 100, 300, 200, nullptr,
                               tk::kWindowTitleBar | tk::kWindowCentre);
    label_ = tk::CreateLabel("File", 10, 30, 270, 20, window_, tk::kLabelCentre | tk::kLabelSunken);
    bar_ = tk::CreateProgressBar(10, 100, 270, 20, window_);
    if (window_) tk::AddHook(&InfoProgressWindow::CloseHook, this, kHookPriority);
  }
  ~InfoProgressWindow() {
    tk::RemoveHooksOf(this);
    if (bar_) bar_->Free();
    if (label_) label_->Free();
    if (window_) window_->Free();
  }
  InfoProgressWindow(const InfoProgressWindow&) = delete;
  InfoProgressWindow& operator=(const InfoProgressWindow&) = delete;

  void ShowRecord(const tprogram& p) {
    if (label_) label_->SetText(p.fullname + " info downloading...");
  }
  void ShowProgress(double fraction) {
    if (bar_) bar_->SetProgress(fraction);
  }
  bool CloseRequested() const {
    if (close_seen_) return true;
    tk::EventPtr current = tk::CurrentEvent();
    return window_ && current && current->id == tk::kWindowClose && current->source == window_;
  }

 private:
  // Above the window framework's hook, so the close of this window is seen
  // first; the event is consumed because nothing else is concerned with it.
  static constexpr int kHookPriority = 1;

  static tk::EventPtr CloseHook(int, tk::EventPtr event, void* context) {
    auto* self = static_cast<InfoProgressWindow*>(context);
    if (event && event->id == tk::kWindowClose && event->source == self->window_) {
      self->close_seen_ = true;
      return nullptr;
    }
    return event;
  }

  tk::Gadget* window_ = nullptr;
  tk::Gadget* label_ = nullptr;
  tk::Gadget* bar_ = nullptr;
  bool close_seen_ = false;
};

}  // namespace

void ReportUnreachableServer() {
  tk::Notify("Unable to connect to the site!", false);
  LogLine("Error - cannot connect to the site");
}

void DownloadListFiles(int* first, int* second) {
  const std::string base = CatalogueBase();
  const std::string folder = runtime::Fs().CurrentFolder() + "/data/";
  int a = FetchInto(base, ListFileName(), folder);
  int b = FetchInto(base, EnglishListFileName(), folder);
  if (first) *first = a;
  if (second) *second = b;
}

void FetchProgramList() {
  LogLine("Download Application List..." + LANGUAGE);
  const std::string list = ListFileName();
  const std::string english = EnglishListFileName();
  // A file kept by an older version may be a web server's error page, or
  // empty: that is fetched again rather than trusted for good.  A signed
  // list file is fetched again every time: a refused one never replaces the
  // copy that was verified before.
  if (std::optional<std::string> bytes = runtime::Fs().ReadFile("data/" + list); bytes && !trust::StrictMode()) {
    if (LooksLikeCatalogue(*bytes)) return;
    LogLine("List file <" + list + "> is no catalogue - fetched again");
  }
  int first = 0, second = 0;
  DownloadListFiles(&first, &second);
  LogLine("File 1 : " + list + " " + std::to_string(first));
  LogLine("File 2 : " + english + " " + std::to_string(second));
  LogLine("");
  // A refused file has been reported already: the server did answer.
  if (first != kRefused && !IsLocalFile("data/" + list)) ReportUnreachableServer();
}

void FetchProgramInfo() {
  // Paused, not disabled and enabled again wholesale: the buttons disabled on
  // purpose (STOP while nothing runs) stay so afterwards.
  if (mainApp) mainApp->Pause();
  LogLine("Download info " + LANGUAGE);
  {
    InfoProgressWindow progress;
    if (programList.empty()) {
      tk::Notify("No info about programs!", false);
      LogLine("No info about programs.");
    } else {
      // The run works on the records as they are now, whatever refills the list.
      const std::vector<ProgramPtr> records = programList;
      const std::size_t count = records.size();
      const std::string base = CatalogueBase();
      const std::string folder = runtime::Fs().CurrentFolder() + "/Lang/";
      std::size_t position = 0;
      int attempts = 0;
      progress.ShowRecord(*records[0]);

      while (true) {
        const tprogram& p = *records[position];
        const std::string description = DescriptionFileName(p.name);
        bool advance = true;
        if (!IsPlainFileName(description)) {
          LogLine("File: " + description + " unsafe name, skipped...");
        } else {
          long long size = FileSizeRemote(base + description);
          LogLine("FileSize: " + std::to_string(size) + " of " + base + description);
          std::string where = ResolveLocation(base + description);
          if (CheckRemoteFile(where) > 0) {
            int result = DownloadFile(where, folder + description, nullptr, kChunkSize);
            FetchIfPresent(base, EnglishDescriptionFileName(p.name), folder);
            LogLine("Check for INFO files..." + p.name);
            FetchIfPresent(base, InfoFileName(p.name), folder);
            FetchIfPresent(base, EnglishInfoFileName(p.name), folder);
            if (result != 1 && ++attempts < kInfoDownloadAttempts) {
              advance = false;  // the same record again in the next turn
            } else if (result != 1) {
              LogLine("File: " + description + " download failed, skipped...");
            }
          } else {
            LogLine("File: " + description + " not found..." + std::to_string(position) + " " +
                    std::to_string(count));
          }
        }
        if (advance) {
          attempts = 0;
          ++position;
          progress.ShowProgress(static_cast<double>(position) / static_cast<double>(count));
          if (position < count) progress.ShowRecord(*records[position]);
        }
        tk::ProcessMessages();
        if (position >= count || progress.CloseRequested()) break;
      }
    }
  }
  if (mainApp) mainApp->Resume();
}

namespace {

std::string PackageName(const tprogram& program) {
  std::size_t slash = program.url.rfind('/');
  return slash == std::string::npos ? program.url.str() : program.url.substr(slash + 1);
}

}  // namespace

int IsDownloaded(const tprogram& program) {
  const std::string file = PackageName(program);
  if (file.empty()) return 0;
  return IsLocalFile("download/" + file) ? 1 : 0;
}

DownloadedFiles::DownloadedFiles() {
  if (std::optional<std::vector<std::string>> names = runtime::Fs().ListFolder("download"))
    for (const std::string& name : *names) names_.insert(runtime::ToUpper(name));
}

bool DownloadedFiles::Has(const tprogram& program) const {
  const std::string file = PackageName(program);
  // Only a listed name is asked about: it may be a folder.
  return !file.empty() && names_.count(runtime::ToUpper(file)) > 0 && IsDownloaded(program) == 1;
}

int IsDownloaded(const ProgramPtr& program) { return program ? IsDownloaded(*program) : 0; }

}  // namespace corvane
