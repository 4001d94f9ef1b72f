#include "widgets/tapplication.h"

#include <gtest/gtest.h>

#include "widgets/tspinner.h"
#include "widgets/widgets_test_fixture.h"

namespace corvane {
namespace {

using testing::WidgetsTest;

class TApplicationTest : public WidgetsTest {};

TEST_F(TApplicationTest, CreateCentresOnTheDesktopAndKeepsTheStyle) {
  tapplication* app = tapplication::Create("T", -1, -1, 400, 300, 1);
  ASSERT_NE(app->window, nullptr);
  EXPECT_EQ(app->window->X(), 1024 / 2 - 200);
  EXPECT_EQ(app->window->Y(), 768 / 2 - 150);
  EXPECT_EQ(app->status, 1);
  EXPECT_EQ(tk::AppTitle(), "T");

  tapplication* main = MakeMainApp(525);
  EXPECT_EQ(main->window->style(), 525);
  EXPECT_EQ(main->x, 1024 / 2 - 335);  // the centre flag wins over x = 10
}

TEST_F(TApplicationTest, AutoCenterFillsFromTheCurrentPosition) {
  tapplication* app = tapplication::Create("T", 0, 0, 600, 400, tk::kWindowTitleBar);
  ASSERT_EQ(app->window->ClientWidth(), 600);
  tk::Gadget* filled = app->AddButton("a", 20, 10, -1, 30, 8, "");
  EXPECT_EQ(filled->Width(), 570);
  tk::Gadget* centred = app->AddButton("b", -1, 10, -1, 30, 8, "");
  EXPECT_EQ(centred->Width(), 591);
  EXPECT_EQ(centred->X(), 5);
}

TEST_F(TApplicationTest, LimitsKeepTheBandFreeAndClipTheWidth) {
  tapplication* app = MakeMainApp(525);
  app->SetRequester();
  const int ch = app->window->ClientHeight(), cw = app->window->ClientWidth();
  tk::Gadget* area = app->AddTextArea(10, 240, 5000, 1000, 3, "");
  EXPECT_EQ(area->Y(), 245);
  EXPECT_EQ(area->Height(), ch - 34 - 240);
  EXPECT_EQ(area->Width(), cw - 10 - 12);

  app->DisableAutoLimit();
  tk::Gadget* free_area = app->AddTextArea(10, 240, 5000, 1000, 3, "");
  EXPECT_EQ(free_area->Height(), 1000);
}

TEST_F(TApplicationTest, RegistryFindsFirstOrLastUnderATag) {
  tapplication* app = MakeMainApp();
  tk::Gadget* first = app->AddLabel("one", 10, 10, 100, 20, 0, "t");
  tk::Gadget* second = app->AddLabel("two", 10, 40, 100, 20, 0, "t");
  EXPECT_EQ(app->FindGadget("t", 0), first);
  EXPECT_EQ(app->FindGadget("t", 1), second);
  EXPECT_EQ(app->FindGadget("", 0), nullptr);
  EXPECT_EQ(app->FindGadget("T", 0), nullptr);

  app->ChangeText("t", "");
  EXPECT_EQ(first->Text(), "one");
  app->ChangeText("t", "uno");
  EXPECT_EQ(first->Text(), "uno");
  EXPECT_EQ(second->Text(), "two");

  app->RemoveGadget(first);
  EXPECT_EQ(app->FindGadget("t", 0), second);
  EXPECT_EQ(app->gadget_list.size(), 1u);
}

TEST_F(TApplicationTest, UnnamedMenusAreNumberedByEveryCall) {
  tapplication* app = MakeMainApp();
  tk::Gadget* file = app->AddMenu("File", 0, "");
  tk::Gadget* named = app->AddMenu("Edit", 0, "20");
  tk::Gadget* help = app->AddMenu("Help", 0, "");
  EXPECT_EQ(app->FindGadget("MENU_0", 1), file);
  EXPECT_EQ(app->FindGadget("20", 1), named);
  EXPECT_EQ(app->FindGadget("MENU_2", 1), help);
  tk::Gadget* exit = app->AddMenuItem(file, "Exit", 1999, "21");
  EXPECT_EQ(exit->parent(), file);
  EXPECT_EQ(exit->Tag(), 1999);

  app->ChangeMenuText("21", "Quit");
  EXPECT_EQ(exit->Text(), "Quit");
  const int updates = app->window->MenuBarUpdates();
  app->FreeMenuItem(exit);
  EXPECT_TRUE(exit->freed());
  EXPECT_EQ(app->FindGadget("21", 0), nullptr);
  EXPECT_EQ(app->window->MenuBarUpdates(), updates + 1);
}

TEST_F(TApplicationTest, TabPagesReceiveGadgetsAndFollowTabClicks) {
  tapplication* app = MakeMainApp();
  tk::Gadget* p0 = app->AddTabber("1.Start", "", -1, "", "50");
  tk::Gadget* p1 = app->AddTabber("2.Download", "", -1, "", "51");
  tk::Gadget* p2 = app->AddTabber("3.Install", "", -1, "", "52");
  ASSERT_EQ(app->_tab.size(), 3u);
  EXPECT_EQ(app->_show_tabber, 2);
  EXPECT_EQ(app->current_tabber, p2);
  EXPECT_TRUE(p2->Visible());
  EXPECT_FALSE(p0->Visible());
  EXPECT_EQ(app->tabber->Items().size(), 3u);
  EXPECT_EQ(app->FindGadget("51", 0), app->tabber);

  app->UseTabber(0);
  tk::Gadget* on_first = app->AddButton("x", 10, 10, 50, 20, 8, "");
  EXPECT_EQ(on_first->parent(), p0);
  EXPECT_TRUE(p2->Visible());
  EXPECT_EQ(app->_show_tabber, 2);

  ASSERT_TRUE(ui().SelectTab(app->tabber, 1));
  EXPECT_EQ(app->_show_tabber, 1);
  EXPECT_EQ(app->current_tabber, p1);
  EXPECT_TRUE(p1->Visible());
  EXPECT_FALSE(p2->Visible());
  EXPECT_EQ(app->tabber->SelectedItem(), 1);
  for (auto& e : DrainQueue()) EXPECT_NE(e->source, app->tabber) << "the tab click is consumed";
}

TEST_F(TApplicationTest, CloseAsksUnlessConfirmationIsOff) {
  tapplication* app = MakeMainApp();
  ui().AnswerNext(false);
  app->Close();
  EXPECT_EQ(app->status, 1);
  ASSERT_EQ(ui().Boxes().size(), 1u);
  EXPECT_EQ(ui().Boxes()[0].kind, tk::BoxKind::Proceed);
  EXPECT_EQ(ui().Boxes()[0].text, "Close?");
  EXPECT_FALSE(ui().Boxes()[0].serious);

  ui().AnswerNext(true);
  app->Close();
  EXPECT_EQ(app->status, -1);
  EXPECT_EQ(app->Running(), 0);

  app->status = 1;
  app->CheckClose(0);
  app->Close();
  EXPECT_EQ(app->status, 3);
  EXPECT_EQ(app->Running(), 0);
  EXPECT_EQ(ui().Boxes().size(), 2u);
}

TEST_F(TApplicationTest, HookTurnsCloseBoxBandAndInfoIntoRequests) {
  tapplication* app = MakeMainApp();
  app->SetInfo("Demo", "Someone");
  app->SetRequester();
  ASSERT_NE(app->_about_gadget, nullptr);

  ASSERT_TRUE(ui().CloseWindow(app->window));
  EXPECT_EQ(app->status, 3);
  auto queued = DrainQueue();
  ASSERT_EQ(queued.size(), 1u) << "the close event still reaches the loop";
  EXPECT_EQ(queued[0]->id, tk::kWindowClose);

  app->status = 1;
  ASSERT_TRUE(ui().Click(app->_cancel_gadget));
  EXPECT_EQ(app->status, 3);
  EXPECT_TRUE(DrainQueue().empty());

  app->status = 1;
  ASSERT_TRUE(ui().Click(app->_about_gadget));
  EXPECT_EQ(app->status, 1);
  ASSERT_EQ(ui().Boxes().size(), 1u);
  EXPECT_EQ(ui().Boxes()[0].kind, tk::BoxKind::Notify);
  EXPECT_EQ(ui().Boxes()[0].text, "Demo\nAuthor : Someone");
  EXPECT_TRUE(DrainQueue().empty());
}

TEST_F(TApplicationTest, ResumeKeepsDeliberatelyDisabledGadgetsOff) {
  tapplication* app = MakeMainApp();
  tk::Gadget* go = app->AddButton("Go", 10, 10, 80, 25, 8, "go");
  tk::Gadget* stop = app->AddButton("Stop", 100, 10, 80, 25, 8, "stop");
  stop->Disable();
  // Paused: everything off.  Resumed: what was on before, and only that.
  auto expect_paused = [&](bool paused) {
    EXPECT_EQ(app->status, paused ? 2 : 1);
    EXPECT_EQ(app->Running(), paused ? 0 : 1);
    EXPECT_EQ(go->Enabled(), !paused);
    EXPECT_EQ(app->window->Enabled(), !paused);
    EXPECT_FALSE(stop->Enabled());
  };
  app->Pause();
  expect_paused(true);
  app->Resume();
  expect_paused(false);
  // Pauses nest (a box over a dialog): only the last Resume restores.
  app->Pause();
  app->Pause();
  app->Resume();
  expect_paused(true);
  app->Resume();
  expect_paused(false);
}

TEST_F(TApplicationTest, ClearAllFreesEverythingAndUnhooks) {
  tapplication* app = MakeMainApp();
  app->AddTabber("A", "", -1, "", "a");
  tk::Gadget* label = app->AddLabel("l", 10, 10, 50, 20, 0, "l");
  TSpinner* spinner = app->AddSpinner(10, 40, 100, 24, 0, "s");
  tk::Gadget* window = app->window;
  app->ClearAll();
  EXPECT_TRUE(label->freed());
  EXPECT_TRUE(window->freed());
  EXPECT_EQ(spinner->panel, nullptr) << "the spinner freed all of its parts";
  EXPECT_TRUE(app->gadget_list.empty());
  EXPECT_EQ(app->FindGadget("l", 1), nullptr);

  tk::EmitEvent(tk::MakeEvent(tk::kWindowClose, window));
  EXPECT_EQ(app->status, 1) << "the hook is gone";
}

TEST_F(TApplicationTest, DialogsSitOverTheMainWindowInsideTheDesktop) {
  tapplication* app = MakeMainApp(tk::kWindowTitleBar);
  int x = 0, y = 0;
  app->CheckWindowLimit(app, x, y, 300, 330);
  EXPECT_EQ(x, 10 + 335 - 150);
  EXPECT_EQ(y, 30);

  app->window->SetShape(900, 700, 670, 510);
  app->CheckWindowLimit(app, x, y, 300, 330);
  EXPECT_EQ(app->x, 900);
  EXPECT_EQ(x, 1024 - 300);
  EXPECT_EQ(y, 768 - 330);

  app->window->SetShape(-400, -50, 670, 510);
  app->CheckWindowLimit(app, x, y, 300, 330);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
}

}  // namespace
}  // namespace corvane
