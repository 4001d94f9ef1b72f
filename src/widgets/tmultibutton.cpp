// TMultiButton: building, filling and querying the list of checkable rows.
// Scrolling and highlighting (the hook) are in tmultibutton_events.cpp.
#include "widgets/tmultibutton.h"

#include <algorithm>

#include "widgets/object_pool.h"

namespace corvane {

namespace {
void SetBack(tk::Gadget* g, const std::array<int, 3>& c) {
  if (g) g->SetBackColor(c[0], c[1], c[2]);
}
void SetFore(tk::Gadget* g, const std::array<int, 3>& c) {
  if (g) g->SetTextColor(c[0], c[1], c[2]);
}
}  // namespace

TMultiButton::~TMultiButton() { tk::RemoveHooksOf(this); }

TMultiButton* TMultiButton::Create(int x, int y, int w, int h, tk::Gadget* container,
                                   const std::string&, const std::string&, const std::string&,
                                   const std::string&, int style) {
  auto* list = widgets_internal::Keep(std::make_unique<TMultiButton>());
  list->panel = tk::CreatePanel(x, y, w - kScrollBarWidth, h, container, tk::kPanelMouse | tk::kPanelKeys, "");
  list->style = style;
  list->slider = tk::CreateSlider(x + w - kScrollBarWidth, y, kScrollBarWidth, h, container,
                                  tk::kSliderScrollBar);
  list->parent = list;
  list->width = w - kScrollBarWidth;
  list->he = h;
  list->visible = h / kRowHeight;
  SetBack(list->panel, list->bcolor);
  if (list->panel) list->panel->Focus();
  list->UpdateScrollRange();
  list->hook_handle_ = tk::AddHook(&TMultiButton::MultiButtonHook, list, 0);
  return list;
}

TMultiButton* CreateMultiButton(int x, int y, int w, int h, tk::Gadget* container,
                                const std::string& t1, const std::string& t2,
                                const std::string& t3, const std::string& t4, int style) {
  return TMultiButton::Create(x, y, w, h, container, t1, t2, t3, t4, style);
}

TMultiButton* TMultiButton::AddItem(const std::string& text, const std::string& label,
                                    const std::string& tip1, const std::string& tip2, int state,
                                    std::any content) {
  if (text.empty()) return nullptr;
  ++counter;
  TMultiButton* row = CreateItem(text, label, tip1, tip2, this, state);
  if (!row) {
    --counter;
    return nullptr;
  }
  array.push_back(row);
  row->content = std::move(content);
  UpdateScrollRange();
  return row;
}

int TMultiButton::AddFromArray(const std::vector<std::string>& texts,
                               const std::vector<std::string>& labels,
                               const std::vector<int>& states) {
  if (texts.size() != labels.size() || texts.size() != states.size()) return 0;
  for (std::size_t i = 0; i < texts.size(); ++i) AddItem(texts[i], labels[i], "", "", states[i]);
  return 0;
}

TMultiButton* TMultiButton::CreateItem(const std::string& text, const std::string& label,
                                       const std::string& tip1, const std::string& tip2,
                                       TMultiButton* owner, int state) {
  if (!owner || !owner->panel) return nullptr;
  const int w = owner->width;
  auto* row = widgets_internal::Keep(std::make_unique<TMultiButton>());
  row->panel = tk::CreatePanel(0, (owner->counter - 1) * kRowHeight, w, kRowHeight, owner->panel,
                               tk::kPanelMouse, "");
  SetBack(row->panel, row->bcolor);
  row->button = tk::CreateButton(text, 5, 1, w - 5, 16, row->panel, tk::kButtonCheck);
  row->label = tk::CreateLabel(label, 23, 20, w - 5, 16, row->panel, tk::kLabelLeft);
  // The texts run the full width; the icon is made after them so that it is
  // drawn over their right end instead of being hidden behind them.
  row->icon = tk::CreatePanel(w - 37, 2, 32, 32, row->panel, 0, "");
  if (row->icon) row->icon->Hide();
  row->line = tk::CreateLabel("", 0, 39, w + 1, 1, row->panel, tk::kLabelSeparator);
  SetBack(row->icon, row->bcolor);
  SetBack(row->button, row->bcolor);
  SetBack(row->label, row->bcolor);
  SetFore(row->button, row->tcolor);
  SetFore(row->label, row->lcolor);
  if (row->button) row->button->SetTooltip(tip1);
  if (row->label) row->label->SetTooltip(tip2);
  if (row->button) row->button->SetCheck(state);
  return row;
}

TMultiButton* TMultiButton::Row(int index) const {
  if (index < 0 || index >= static_cast<int>(array.size())) return nullptr;
  return array[index];
}

int TMultiButton::CountItems() const { return static_cast<int>(array.size()); }

int TMultiButton::CountSelected() const {
  int sum = 0;
  for (TMultiButton* row : array)
    if (row->button) sum += row->button->Check();
  return sum;
}

int TMultiButton::GetItemStatus(int index) const {
  TMultiButton* row = Row(index);
  return row && row->button ? row->button->Check() : 0;
}

int TMultiButton::SetItemStatus(int index, int state) {
  TMultiButton* row = Row(index);
  if (row && row->button) row->button->SetCheck(state);
  return 0;
}

std::vector<int> TMultiButton::ExtractStatus() const {
  if (array.empty()) return {0};
  std::vector<int> states;
  for (int i = 0; i < CountItems(); ++i) states.push_back(GetItemStatus(i));
  return states;
}

int TMultiButton::ChangeState(int state) {
  for (TMultiButton* row : array)
    if (row->button) row->button->SetCheck(state);
  return 0;
}

int TMultiButton::InvertState(int) {
  for (TMultiButton* row : array)
    if (row->button) row->button->SetCheck(row->button->Check() == 1 ? 0 : 1);
  return 0;
}

int TMultiButton::SetTip(int index, const std::string& tip1, const std::string& tip2) {
  TMultiButton* row = Row(index);
  if (!row) return 0;
  if (row->button) row->button->SetTooltip(tip1);
  if (row->label) row->label->SetTooltip(tip2);
  return 0;
}

int TMultiButton::DisableItem(int index) {
  if (TMultiButton* row = Row(index)) {
    if (row->button) row->button->Disable();
    if (row->label) row->label->Disable();
  }
  return 0;
}

int TMultiButton::EnableItem(int index) {
  if (TMultiButton* row = Row(index)) {
    if (row->button) row->button->Enable();
    if (row->label) row->label->Enable();
  }
  return 0;
}

int TMultiButton::Disable() {
  for (TMultiButton* row : array)
    for (tk::Gadget* g : {row->button, row->label, row->icon})
      if (g) g->Disable();
  return 0;
}

int TMultiButton::Enable() {
  for (TMultiButton* row : array)
    for (tk::Gadget* g : {row->button, row->label, row->icon})
      if (g) g->Enable();
  return 0;
}

int TMultiButton::setItemIcon(int index, const tk::IconStripPtr& strip, int icon_index) {
  TMultiButton* row = Row(index);
  if (!row || !strip || !row->icon) return 0;
  tk::PicturePtr picture = tk::IconAt(strip, icon_index);
  if (!picture) return 0;
  row->icon->SetPicture(picture, tk::kPictureIcon);
  row->pix = picture;
  row->icon->Show();
  return 0;
}

void TMultiButton::FocusRowsThenList() {
  for (TMultiButton* row : array)
    if (row->panel) row->panel->Focus();
  if (panel) panel->Focus();
}

int TMultiButton::SetButtonColor(int r, int g, int b) {
  tcolor = {r, g, b};
  for (TMultiButton* row : array) {
    row->tcolor = tcolor;
    SetFore(row->button, tcolor);
  }
  FocusRowsThenList();
  return 0;
}

int TMultiButton::SetLabelColor(int r, int g, int b) {
  lcolor = {r, g, b};
  for (TMultiButton* row : array) {
    row->lcolor = lcolor;
    SetFore(row->label, lcolor);
  }
  FocusRowsThenList();
  return 0;
}

int TMultiButton::SetBackColor(int r, int g, int b) {
  bcolor = {r, g, b};
  for (TMultiButton* row : array) {
    row->bcolor = bcolor;
    SetBack(row->panel, bcolor);
    SetBack(row->icon, bcolor);
  }
  FocusRowsThenList();
  return 0;
}

int TMultiButton::SetSelectColor(int r, int g, int b) {
  scolor = {r, g, b};
  for (TMultiButton* row : array) {
    row->scolor = scolor;
    SetBack(row->panel, scolor);
    SetBack(row->icon, scolor);
  }
  FocusRowsThenList();
  return 0;
}

void TMultiButton::PaintRow(TMultiButton* row, const std::array<int, 3>& colour) {
  for (tk::Gadget* g : {row->panel, row->icon, row->button, row->label}) SetBack(g, colour);
}

int TMultiButton::SetItemBackColor(int index, int r, int g, int b) {
  if (TMultiButton* row = Row(index)) {
    row->bcolor = {r, g, b};
    PaintRow(row, row->bcolor);
    if (row->panel) row->panel->Redraw();
  }
  return 0;
}

int TMultiButton::SetItemSelectColor(int index, int r, int g, int b) {
  if (TMultiButton* row = Row(index)) {
    row->scolor = {r, g, b};
    PaintRow(row, row->scolor);
    if (row->panel) row->panel->Redraw();
  }
  return 0;
}

int TMultiButton::SetItemButtonColor(int index, int r, int g, int b) {
  if (TMultiButton* row = Row(index)) {
    row->tcolor = {r, g, b};
    SetFore(row->button, row->tcolor);
  }
  return 0;
}

int TMultiButton::SetItemLabelColor(int index, int r, int g, int b) {
  if (TMultiButton* row = Row(index)) {
    row->lcolor = {r, g, b};
    SetFore(row->label, row->lcolor);
  }
  return 0;
}

int TMultiButton::RowOfButton(const tk::Gadget* g) const {
  if (!g) return -1;
  for (int i = 0; i < CountItems(); ++i)
    if (array[i]->button == g) return i;
  return -1;
}

int TMultiButton::ClearItems() {
  for (TMultiButton* row : array) {
    for (tk::Gadget** g : {&row->button, &row->label, &row->line, &row->panel, &row->icon}) {
      if (*g && !(*g)->freed()) (*g)->Free();
      *g = nullptr;
    }
    row->pix.reset();
    row->content.reset();
  }
  array.clear();
  counter = 0;
  lit_ = -1;
  // A refill starts at the top: new rows are placed unscrolled, so a position
  // kept from the old rows would hide them above the list at the next scroll.
  current_position = 0;
  if (slider) slider->SetPosition(0);
  UpdateScrollRange();
  if (panel) panel->Focus();
  return 0;
}

int TMultiButton::Free() {
  if (hook_handle_) tk::RemoveHook(hook_handle_);
  hook_handle_ = 0;
  ClearItems();
  for (tk::Gadget** g : {&slider, &panel}) {
    if (*g && !(*g)->freed()) (*g)->Free();
    *g = nullptr;
  }
  return 0;
}

}  // namespace corvane
