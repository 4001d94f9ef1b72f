// tapplication's modal dialogs (About, UserRequest, Requester) and the
// OK/Cancel/Info band.  The dialogs run a nested event loop on the GUI
// thread; events they do not wait for are dropped.
#include <initializer_list>

#include "widgets/tapplication.h"

namespace corvane {

namespace {

void FreeOnce(std::initializer_list<tk::Gadget*> gadgets) {
  for (tk::Gadget* g : gadgets)
    if (g && !g->freed()) g->Free();
}

// Takes events until `done` says so.  A null event means nothing can ever
// arrive (a headless run with nothing left to do); the dialog then ends as if
// it had been closed rather than waiting forever.
template <class Done>
void RunDialogLoop(Done done) {
  for (;;) {
    tk::EventPtr event = tk::WaitEvent();
    if (!event || done(*event)) return;
  }
}

bool IsAction(const tk::Event& e, const tk::Gadget* g) {
  return g && e.id == tk::kGadgetAction && e.source == g;
}
bool IsClose(const tk::Event& e, const tk::Gadget* window) {
  return window && e.id == tk::kWindowClose && e.source == window;
}

}  // namespace

int tapplication::SetRequester() {
  if (!window) return 0;
  int off = 60;
  if (style & tk::kWindowMenu) off += 20;
  if (style & tk::kWindowStatus) off += 20;
  _ok_gadget = AddButton(" Cancel", 5, h - off, 80, 30, tk::kButtonPushLike, "BUTTON");
  _cancel_gadget = AddButton("   Ok  ", w - 90, h - off, 80, 30, tk::kButtonPushLike, "BUTTON");
  if (!_appname.empty())
    _about_gadget = AddButton(" Info ", 88, h - off, 80, 30, tk::kButtonPushLike, "BUTTON");
  _requester = 1;
  return 0;
}

int tapplication::About(const std::string& title, const std::vector<std::string>& lines,
                        const std::string& link, tk::PicturePtr picture) {
  if (mainApp) mainApp->Pause();
  int dx = 0, dy = 0;
  CheckWindowLimit(mainApp, dx, dy, 300, 330);
  tk::Gadget* dialog = tk::CreateWindow(title, dx, dy, 300, 330, nullptr, tk::kWindowTitleBar);
  tk::Gadget* picture_panel = nullptr;
  if (picture && dialog) {
    picture_panel = tk::CreatePanel(1, 1, 280, 125, dialog, 0, "");
    if (picture_panel) picture_panel->SetPicture(picture, tk::kPictureCentre);
  }
  tk::Gadget* ok = tk::CreateButton("OK", 110, 260, 80, 25, dialog, tk::kButtonPushLike);
  tk::Gadget* text = nullptr;
  if (!lines.empty() && dialog) {
    text = tk::CreateTextArea(10, 130, 275, 100, dialog, tk::kTextWordWrap | tk::kTextReadOnly);
    if (text) {
      for (const std::string& line : lines) text->AppendText(line + "\n");
      text->SetSelection(0, 0);  // shown from its first line (the version), not scrolled to the end
    }
  }
  tk::Gadget* hyperlink = nullptr;
  if (!link.empty() && dialog)
    hyperlink = tk::CreateHyperlink(link, 10, 235, 275, 20, dialog, tk::kLabelCentre, link);
  if (dialog)
    RunDialogLoop([&](const tk::Event& e) { return IsAction(e, ok) || IsClose(e, dialog); });
  FreeOnce({ok, picture_panel, text, hyperlink, dialog});
  if (mainApp) mainApp->Resume();
  return 0;
}

int tapplication::UserRequest(const std::string& title, const std::vector<std::string>& lines,
                              int width) {
  if (mainApp) mainApp->Pause();
  int dx = 0, dy = 0;
  CheckWindowLimit(mainApp, dx, dy, width, 330);
  tk::Gadget* dialog = tk::CreateWindow(title, dx, dy, width, 330, nullptr, tk::kWindowTitleBar);
  tk::Gadget* ok = tk::CreateButton("OK", width / 2 - 40, 265, 80, 25, dialog, tk::kButtonPushLike);
  tk::Gadget* text = nullptr;
  if (!lines.empty() && dialog) {
    text = tk::CreateTextArea(10, 10, dialog->ClientWidth() - 20, 245, dialog,
                              tk::kTextWordWrap | tk::kTextReadOnly);
    if (text) {
      for (const std::string& line : lines)
        if (!line.empty()) text->AppendText(line + "\n");
      text->SetSelection(0, 0, true);
    }
  }
  if (dialog)
    RunDialogLoop([&](const tk::Event& e) { return IsAction(e, ok) || IsClose(e, dialog); });
  FreeOnce({ok, text, dialog});
  if (mainApp) mainApp->Resume();
  return 0;
}

std::string tapplication::Requester(const std::string& prompt) {
  tk::Gadget* dialog =
      tk::CreateWindow("Requester:" + _appname, x, y, w, h / 2, nullptr, tk::kWindowTitleBar);
  if (!dialog) return "";
  tk::Gadget* label = tk::CreateLabel(prompt, 10, 10, w - 30, 40, dialog, tk::kLabelLeft);
  tk::Gadget* field = tk::CreateTextField(10, 50, w - 30, 20, dialog, 0);
  tk::Gadget* ok = tk::CreateButton(" OK ", w - 95, h / 2 - 60, 85, 25, dialog, tk::kButtonOk);
  tk::Gadget* cancel = tk::CreateButton("Cancel", 5, h / 2 - 60, 85, 25, dialog, tk::kButtonCancel);
  if (field) field->Focus();
  std::string result;
  bool confirmed = false;
  RunDialogLoop([&](const tk::Event& e) {
    if (IsAction(e, field)) {
      result = field->Text();
      return false;
    }
    if (IsAction(e, ok)) {
      // The field's own text counts, whether or not it reported its last edit.
      if (field) result = field->Text();
      confirmed = true;
      return true;
    }
    return IsAction(e, cancel) || IsClose(e, dialog);
  });
  // Cancel, the close box, or nothing left that could arrive: no text.
  if (!confirmed) result.clear();
  FreeOnce({label, field, ok, cancel, dialog});
  return result;
}

}  // namespace corvane
