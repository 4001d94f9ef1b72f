#include "app/program_list_view.h"

#include "app/start_page.h"
#include "catalogue/retrieval.h"
#include "widgets/tmultibutton.h"

namespace corvane {

void FillDownloadList() {
  if (!programChooser) return;
  for (const ProgramPtr& p : programList) {
    if (!p) continue;
    TMultiButton* row = programChooser->AddItem(p->fullname, p->desc, p->url, "", 1, p);
    if (!IsDownloaded(p)) continue;
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
