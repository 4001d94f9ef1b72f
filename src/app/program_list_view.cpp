#include "app/program_list_view.h"

#include "app/start_page.h"
#include "catalogue/retrieval.h"
#include "install/install_page.h"
#include "install/installed_marks.h"
#include "install/package_scan.h"
#include "widgets/tmultibutton.h"

namespace corvane {

namespace {

// Sets the line (a row's button or label) of every row from its record.
template <class Text>
void Rewrite(TMultiButton* list, tk::Gadget* TMultiButton::*line, Text text) {
  if (!list) return;
  for (TMultiButton* row : list->array) {
    const ProgramPtr* p = row ? std::any_cast<ProgramPtr>(&row->content) : nullptr;
    if (p && *p && row->*line) (row->*line)->SetText(text(**p));
  }
}

}  // namespace

std::string ProgramRowLabel(const tprogram& program, const InstalledRecord& installed) {
  const InstalledPackage* p = FindInstalled(installed, program.name);
  if (!p) return program.desc;
  return program.desc.empty() ? InstalledMark(*p) : InstalledMark(*p) + " - " + program.desc;
}

void ShowInstalledMarks() {
  const InstalledRecord installed = TarnicRecord();
  Rewrite(programChooser, &TMultiButton::label, [&](const tprogram& p) { return ProgramRowLabel(p, installed); });
  Rewrite(packageChooser, &TMultiButton::button, [&](const tprogram& p) { return PackageRowText(p, installed); });
}

void FillDownloadList() {
  if (!programChooser) return;
  const InstalledRecord installed = TarnicRecord();
  const DownloadedFiles downloaded;
  for (const ProgramPtr& p : programList) {
    if (!p) continue;
    TMultiButton* row = programChooser->AddItem(p->fullname, ProgramRowLabel(*p, installed), p->url, "", 1, p);
    if (!downloaded.Has(*p)) continue;
    p->status = 0;
    if (!row) continue;
    // Colour the row this record really got, not the one at its position in
    // programList: a record without a name has no row.
    int index = programChooser->CountItems() - 1;
    programChooser->SetItemBackColor(index, kDownloadedBack[0], kDownloadedBack[1], kDownloadedBack[2]);
    programChooser->SetItemSelectColor(index, kDownloadedSelect[0], kDownloadedSelect[1],
                                       kDownloadedSelect[2]);
    programChooser->SetItemStatus(index, 0);
  }
}

ProgramPtr ProgramOfRow(int row) {
  if (!programChooser || row < 0 || row >= programChooser->CountItems()) return nullptr;
  TMultiButton* item = programChooser->array[row];
  if (!item) return nullptr;
  if (const ProgramPtr* p = std::any_cast<ProgramPtr>(&item->content)) return *p;
  return nullptr;
}

}  // namespace corvane
