#include <gtest/gtest.h>

#include <functional>

#include "widgets/tapplication.h"
#include "widgets/tstrip.h"
#include "widgets/widgets_test_fixture.h"

namespace corvane {
namespace {

class DialogsTest : public testing::WidgetsTest {
 protected:
  // The newest live window with this title, and a live gadget in it.
  static tk::Gadget* Window(const std::string& title) {
    const auto& all = tk::AllGadgets();
    for (auto it = all.rbegin(); it != all.rend(); ++it)
      if ((*it)->kind() == tk::Kind::Window && !(*it)->freed() && (*it)->Text() == title) return *it;
    return nullptr;
  }
  static tk::Gadget* Child(tk::Gadget* window, tk::Kind kind, const std::string& text = "") {
    if (!window) return nullptr;
    for (tk::Gadget* g : window->children())
      if (g->kind() == kind && (text.empty() || g->Text() == text)) return g;
    return nullptr;
  }
  // Runs the steps one per idle moment of the dialog's loop.
  void Script(std::vector<std::function<void()>> steps) {
    auto shared = std::make_shared<std::vector<std::function<void()>>>(std::move(steps));
    auto next = std::make_shared<std::size_t>(0);
    ui().SetIdleCallback([shared, next] {
      if (*next < shared->size()) (*shared)[(*next)++]();
    });
  }
};

TEST_F(DialogsTest, RequesterReturnsTheTypedTextOnlyOnOk) {
  tapplication* app = MakeMainApp();
  const std::string title = "Requester:Corvane test";
  Script({[&] { ui().TypeText(Child(Window(title), tk::Kind::TextField), "Tarnic"); },
          [&] { ui().Click(Child(Window(title), tk::Kind::Button, " OK ")); }});
  EXPECT_EQ(app->Requester("Name?"), "Tarnic");
  EXPECT_EQ(Window(title), nullptr) << "the dialog is freed";

  Script({[&] { ui().TypeText(Child(Window(title), tk::Kind::TextField), "lost"); },
          [&] { ui().CloseWindow(Window(title)); }});
  EXPECT_EQ(app->Requester("Name?"), "");

  Script({[&] { ui().TypeText(Child(Window(title), tk::Kind::TextField), "lost"); },
          [&] { ui().Click(Child(Window(title), tk::Kind::Button, "Cancel")); }});
  EXPECT_EQ(app->Requester("Name?"), "");
}

TEST_F(DialogsTest, AboutPausesTheMainWindowUntilOk) {
  tapplication* app = MakeMainApp();
  tk::Gadget* go = app->AddButton("Go", 10, 10, 80, 25, 8, "go");
  std::string shown;
  bool paused = false;
  int caret = -1;
  Script({[&] {
    tk::Gadget* box = Window("About");
    paused = app->status == 2 && !go->Enabled();
    shown = Child(box, tk::Kind::TextArea)->Text();
    caret = Child(box, tk::Kind::TextArea)->SelectionStart();
    ASSERT_NE(Child(box, tk::Kind::Hyperlink), nullptr);
    ui().Click(Child(box, tk::Kind::Button, "OK"));
  }});
  app->About("About", {"Corvane", "", "1.33"}, "http://example.org", nullptr);
  EXPECT_TRUE(paused);
  EXPECT_EQ(shown, "Corvane\n\n1.33\n");
  EXPECT_EQ(caret, 0) << "shown from the first line";
  EXPECT_EQ(app->status, 1);
  EXPECT_TRUE(go->Enabled());
  EXPECT_EQ(Window("About"), nullptr);
}

TEST_F(DialogsTest, UserRequestSkipsEmptyLinesAndEndsOnClose) {
  tapplication* app = MakeMainApp();
  std::string shown;
  int caret = -1;
  Script({[&] {
    tk::Gadget* area = Child(Window("Versions"), tk::Kind::TextArea);
    shown = area->Text();
    caret = area->SelectionStart();
    ui().CloseWindow(Window("Versions"));
  }});
  app->UserRequest("Versions", {"gcc 12", "", "ld 2.40"}, 400);
  EXPECT_EQ(shown, "gcc 12\nld 2.40\n");
  EXPECT_EQ(caret, 0);
  EXPECT_EQ(app->status, 1);
}

TEST_F(DialogsTest, DialogWithNothingToWaitForEnds) {
  tapplication* app = MakeMainApp();
  app->About("About", {}, "", nullptr);  // no idle script: nothing can arrive
  EXPECT_EQ(app->status, 1);
  EXPECT_EQ(app->Requester("?"), "");
}

TEST_F(DialogsTest, BandSitsAtTheBottomOfTheWindow) {
  tapplication* app = MakeMainApp(525);
  app->SetRequester();
  ASSERT_NE(app->_ok_gadget, nullptr);
  EXPECT_EQ(app->_ok_gadget->Text(), " Cancel");
  EXPECT_EQ(app->_ok_gadget->Y(), 510 - 100);
  EXPECT_EQ(app->_cancel_gadget->X(), 670 - 90);
  EXPECT_EQ(app->_about_gadget->X(), 88);
  EXPECT_EQ(app->_requester, 1);

  tapplication* nameless = tapplication::Create("", 0, 0, 300, 200, tk::kWindowTitleBar);
  nameless->SetRequester();
  EXPECT_EQ(nameless->_about_gadget, nullptr);
  EXPECT_EQ(nameless->_ok_gadget->Y(), 140);
}

TEST_F(DialogsTest, StripOfLabelsSharesTheWidth) {
  tapplication* app = tapplication::Create("S", 0, 0, 420, 300, tk::kWindowTitleBar);
  ASSERT_EQ(app->window->ClientWidth(), 420);
  auto strip = tstrip::Create({"a", "b", "c", "d"}, tstrip::kLabels);
  auto labels = app->AddStrip(strip, 10, 10, 0, -1, -1);
  ASSERT_EQ(labels.size(), 4u);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(labels[i]->X(), 10 + 100 * i);
    EXPECT_EQ(labels[i]->Width(), 100);
    EXPECT_EQ(labels[i]->Height(), 20);
    EXPECT_EQ(labels[i]->style(), tk::kLabelCentre);
  }
  EXPECT_EQ(app->FindGadget("LABEL", 0), labels[0]);

  auto buttons = app->AddStrip(tstrip::Create({"x", "y"}, tstrip::kButtons), -1, 0, 1, 100, 40);
  EXPECT_EQ(buttons[0]->X(), 160);
  EXPECT_EQ(buttons[1]->Y(), 40);
  EXPECT_TRUE(app->AddStrip(nullptr, 0, 0, 0, -1, -1).empty());
  EXPECT_EQ(app->AddStrip(tstrip::Create({"q"}, 7), 0, 0, 0, -1, -1), std::vector<tk::Gadget*>{nullptr});

  tstrip::ClearAll();
  EXPECT_TRUE(strip->gad_content.empty());
  EXPECT_TRUE(stripList.empty());
}

}  // namespace
}  // namespace corvane
