// Strips of like gadgets: the tstrip records and tapplication::AddStrip.
#include "widgets/tstrip.h"

#include "widgets/tapplication.h"

namespace corvane {

std::vector<std::shared_ptr<tstrip>> stripList;

std::shared_ptr<tstrip> tstrip::Create(std::vector<std::string> texts, int kind) {
  auto strip = std::make_shared<tstrip>();
  strip->gad_content = std::move(texts);
  strip->gad_tipo = kind;
  stripList.push_back(strip);
  return strip;
}

int tstrip::ClearAll() {
  for (auto& strip : stripList) strip->gad_content.clear();
  stripList.clear();
  return 0;
}

std::vector<tk::Gadget*> tapplication::AddStrip(const std::shared_ptr<tstrip>& strip, int x,
                                                int y, int direction, int w, int h) {
  if (!strip || strip->gad_content.empty()) return {};
  const int n = static_cast<int>(strip->gad_content.size());
  const int reserve = _ok_gadget ? 60 : 0;
  tk::Gadget* t = CheckTarget();
  const int client_w = t ? t->ClientWidth() : 0;
  const int client_h = t ? t->ClientHeight() : 0;
  int cellw = (client_w - 2 * x) / n;
  int cellh = (client_h - y - reserve) / n;
  int gw = cellw, gh = cellh;
  if (w != -1) gw = cellw = w;
  if (h != -1) gh = cellh = h;
  if (direction == 0) gh = 20;
  else if (direction == 1 && x == -1) x = client_w / 2 - gw / 2;
  std::vector<tk::Gadget*> gadgets(n, nullptr);
  for (int i = 0; i < n; ++i) {
    const std::string& text = strip->gad_content[i];
    if (strip->gad_tipo == tstrip::kButtons)
      gadgets[i] = AddButton(text, x, y, gw, gh, tk::kButtonPushLike, "BUTTON");
    else if (strip->gad_tipo == tstrip::kLabels)
      gadgets[i] = AddLabel(text, x, y, gw, gh, tk::kLabelCentre, "LABEL");
    if (direction == 0) x += cellw;
    else if (direction == 1) y += cellh;
  }
  return gadgets;
}

}  // namespace corvane
