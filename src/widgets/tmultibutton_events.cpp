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
      if (!event->source) return event;
      for (int i = 0; i < CountItems(); ++i) {
        TMultiButton* row = array[i];
        if (row->panel != event->source) continue;
        PaintRow(row, row->scolor);
        if (panel) panel->Focus();
        current_selected = i;
        break;
      }
      return event;
    }
    case tk::kGadgetAction:
      if (event->source && event->source == slider) {
        current_position = ClampPosition(slider->Position());
        PlaceRows(current_position);
      }
      return event;
    default:
      return event;
  }
}

}  // namespace corvane
