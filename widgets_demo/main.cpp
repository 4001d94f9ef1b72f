// corvane-widgets-demo: a window built through tapplication on the FLTK
// backend with three tab pages, a list of ten rows with icons, a tenths
// spinner driving a progress bar, a strip of labels and the OK/Cancel/Info
// band.  Closing the window (or the band's Ok/Cancel) asks before quitting.
//
//   corvane-widgets-demo [--no-confirm]
#include <cstdio>
#include <string>
#include <vector>

#include "demo_icons.h"
#include "toolkit/fltk/fltk_backend.h"
#include "toolkit/toolkit.h"
#include "widgets/tapplication.h"
#include "widgets/tmultibutton.h"
#include "widgets/tspinner.h"
#include "widgets/tstrip.h"

using namespace corvane;

namespace {

constexpr int kMenuAbout = 1003;
constexpr int kMenuExit = 1999;

struct DemoWindow {
  TMultiButton* list = nullptr;
  TSpinner* spinner = nullptr;
  tk::Gadget* progress = nullptr;
  tk::Gadget* tick_all = nullptr;
  tk::Gadget* invert = nullptr;
  tk::Gadget* notes = nullptr;
  tk::Gadget* ask_name = nullptr;
};

tk::IconStripPtr Icons() {
  if (auto strip = tk::LoadIconStrip("incbin::gfx/icons.png")) return strip;
  return demo::DrawIconStrip();
}

void BuildMenus(tapplication& app) {
  tk::Gadget* file = app.AddMenu("&File", 0, "");
  app.AddMenuItem(file, "E&xit", kMenuExit, "");
  tk::Gadget* help = app.AddMenu("&Help", 0, "");
  app.AddMenuItem(help, "&About", kMenuAbout, "");
}

void BuildRowsPage(tapplication& app, DemoWindow& demo) {
  app.AddTabber("Rows", "A list of checkable rows", -1, "", "page_rows");
  auto captions = tstrip::Create({"Tick", "Scroll", "Spin", "Close"}, tstrip::kLabels);
  app.AddStrip(captions, 10, 6, 0, -1, -1);

  demo.list = CreateMultiButton(10, 34, 470, 200, app.CheckTarget(), "", "", "", "", 0);
  const tk::IconStripPtr icons = Icons();
  static const char* kNames[] = {"Editor",  "Debugger", "Profiler", "Formatter", "Linter",
                                 "Packager", "Tutorial", "Samples",  "Manuals",   "Updater"};
  for (int i = 0; i < 10; ++i) {
    demo.list->AddItem(kNames[i], "Version 1." + std::to_string(i) + " - row " + std::to_string(i + 1),
                       "Tick to choose " + std::string(kNames[i]), "", i % 3 == 0 ? 1 : 0);
    demo.list->setItemIcon(i, icons, i % 6);
  }

  demo.spinner = app.AddLabelSpinner("Tenths", 495, 34, 150, 26, 1, "spinner");
  demo.spinner->SetRange(0, 100);
  demo.spinner->SetValue_(25, 1);
  demo.progress = tk::CreateProgressBar(495, 70, 150, 18, app.CheckTarget(), 0);
  if (demo.progress) demo.progress->SetProgress(0.25);
  demo.tick_all = app.AddButton("Tick all", 495, 102, 150, 26, tk::kButtonPushLike, "tick_all");
  demo.invert = app.AddButton("Invert", 495, 136, 150, 26, tk::kButtonPushLike, "invert");
}

void BuildTextPage(tapplication& app, DemoWindow& demo) {
  app.AddTabber("Text", "A read-only text area", -1, "", "page_text");
  demo.notes = app.AddTextArea(10, 10, -1, 200, tk::kTextWordWrap | tk::kTextReadOnly, "notes");
  if (demo.notes)
    demo.notes->SetText(
        "The rows page shows the scrolling list: wheel over it, or drag the scroll bar.\n"
        "The spinner keeps its value between 0.0 and 10.0 and drives the progress bar.\n");
  demo.ask_name = app.AddButton("Ask a name...", 10, 230, 150, 26, tk::kButtonPushLike, "ask");
}

void BuildStripPage(tapplication& app) {
  app.AddTabber("Strips", "Strips of like gadgets", -1, "", "page_strips");
  auto buttons = tstrip::Create({"One", "Two", "Three"}, tstrip::kButtons);
  app.AddStrip(buttons, 10, 10, 0, 120, -1);
  auto labels = tstrip::Create({"North", "Middle", "South"}, tstrip::kLabels);
  app.AddStrip(labels, -1, 60, 1, 200, 30);
}

void Handle(tapplication& app, DemoWindow& demo, const tk::Event& e) {
  if (e.id == tk::kMenuAction) {
    if (e.data == kMenuExit) app.Close();
    if (e.data == kMenuAbout)
      app.About("About the demo", {"Corvane widgets demo", "", "Rows, spinner, strips, band."},
                "https://example.org/corvane", nullptr);
    return;
  }
  if (e.id != tk::kGadgetAction || !e.source) return;
  if (e.source == demo.tick_all) {
    demo.list->ChangeState(1);
  } else if (e.source == demo.invert) {
    demo.list->InvertState(0);
  } else if (demo.spinner && e.source == demo.spinner->AsGadget()) {
    if (demo.progress) demo.progress->SetProgress(demo.spinner->GetValue() / 100.0);
  } else if (e.source == demo.ask_name) {
    const std::string name = app.Requester("Your name:");
    if (demo.notes && !name.empty()) demo.notes->AppendText("Hello, " + name + "\n");
  } else {
    return;
  }
  app.SetMessage(std::to_string(demo.list->CountSelected()) + " of " +
                 std::to_string(demo.list->CountItems()) + " rows ticked");
}

}  // namespace

int main(int argc, char** argv) {
  bool confirm = true;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--no-confirm") {
      confirm = false;
    } else {
      std::fprintf(stderr, "usage: corvane-widgets-demo [--no-confirm]\n");
      return 2;
    }
  }
  std::string error;
  std::unique_ptr<tk::Backend> backend = tk::MakeFltkBackend(&error);
  if (!backend) {
    std::fprintf(stderr, "corvane-widgets-demo: %s\n", error.c_str());
    return 1;
  }
  tk::SetBackend(std::move(backend));

  mainApp = tapplication::Create("Corvane widgets demo", -1, -1, 670, 510, 525);
  tapplication& app = *mainApp;
  app.SetInfo("Corvane widgets demo", "the Corvane developers");
  app.CheckClose(confirm ? 1 : 0);
  app.SetCloseMessage("Close the widgets demo?");
  BuildMenus(app);
  DemoWindow demo;
  BuildRowsPage(app, demo);
  BuildTextPage(app, demo);
  BuildStripPage(app);
  app.ShowTabber(0);
  app.UseTabber(0);
  app.SetRequester();
  app.SetMessage(std::to_string(demo.list->CountSelected()) + " of 10 rows ticked");

  while (app.Running()) {
    tk::EventPtr event = tk::WaitEvent();
    app.Control();
    if (!event) break;
    Handle(app, demo, *event);
  }
  ResetWidgets();
  tk::Shutdown();
  return 0;
}
