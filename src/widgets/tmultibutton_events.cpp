// TMultiButton's hook: wheel and scroll-bar scrolling and the highlight of the
// row the pointer left.
#include <algorithm>

#include "widgets/tmultibutton.h"

namespace corvane {

int TMultiButton::ClampPosition(int position) const {
  return std::clamp(position, 0, std::max(0, counter - visible));
}

void TMultiButton::PlaceRows(int position) {
  for (int i = 0; i < CountItems(); ++i)
    if (array[i]->panel)
      array[i]->panel->SetShape(0, (i - position) * kRowHeight, width, kRowHeight);
}

void TMultiButton::UpdateScrollRange() {
  // Positions 0 .. counter - rows that fit (none when all rows fit).
  if (slider) slider->SetRange(0, std::max(1, counter - he / kRowHeight + 1));
}

void TMultiButton::Highlight(int index) {
  for (TMultiButton* row : array) PaintRow(row, row->bcolor);
  PaintRow(array[index], array[index]->scolor);
  lit_ = index;
  current_selected = index;
}

void TMultiButton::ScrollIntoView(int index) {
  int position = current_position;
  if (index < position) position = index;
  if (index >= position + std::max(1, visible)) position = index - std::max(1, visible) + 1;
  position = ClampPosition(position);
  if (position == current_position) return;
  current_position = position;
  PlaceRows(position);
  if (slider) slider->SetPosition(position);
}

void TMultiButton::HandleKey(int key) {
  const int count = CountItems();
  if (count == 0) return;
  if (key == tk::kKeyArrowUp || key == tk::kKeyArrowDown) {
    int target = std::clamp(current_selected, 0, count - 1);
    if (lit_ >= 0) target = std::clamp(lit_ + (key == tk::kKeyArrowDown ? 1 : -1), 0, count - 1);
    Highlight(target);
    ScrollIntoView(target);
  } else if (key == tk::kKeySpace && lit_ >= 0 && lit_ < count) {
    tk::Gadget* box = array[lit_]->button;
    if (!box || !box->EnabledOnScreen()) return;
    ScrollIntoView(lit_);
    const int state = box->Check() == 1 ? 0 : 1;
    box->SetCheck(state);
    tk::EmitEvent(tk::MakeEvent(tk::kGadgetAction, box, state));
  }
}

tk::EventPtr TMultiButton::MultiButtonHook(int hook_id, tk::EventPtr data, void* context) {
  auto* list = static_cast<TMultiButton*>(context);
  if (!data || !list) return data;
  return list->HandleEvents(std::move(data));
}

tk::EventPtr TMultiButton::HandleEvents(tk::EventPtr event) {
  if (!event) return event;
  switch (event->id) {
    case tk::kTimerTick:
      return event;
    case tk::kMouseWheel:
      if (event->source && event->source == panel) {
        const long long wanted = current_position - event->data;
        current_position = ClampPosition(static_cast<int>(
            std::clamp<long long>(wanted, 0, std::max(0, counter - visible))));
        PlaceRows(current_position);
        if (slider) slider->SetPosition(current_position);
      }
      return event;
    case tk::kMouseLeave: {
      for (TMultiButton* row : array) PaintRow(row, row->bcolor);
      lit_ = -1;
      if (!event->source) return event;
      for (int i = 0; i < CountItems(); ++i) {
        TMultiButton* row = array[i];
        if (row->panel != event->source) continue;
        Highlight(i);
        if (panel) panel->Focus();
        break;
      }
      return event;
    }
    case tk::kKeyDown:
      if (event->source && event->source == panel) HandleKey(static_cast<int>(event->data));
      return event;
    case tk::kGadgetAction:
      if (event->source && event->source == slider) {
        current_position = ClampPosition(slider->Position());
        PlaceRows(current_position);
      } else if (const int row = RowOfButton(event->source); row >= 0) {
        Highlight(row);  // so that the keys go on from the row clicked
      }
      return event;
    default:
      return event;
  }
}

}  // namespace corvane
