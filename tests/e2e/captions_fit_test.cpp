// The main window in a real FLTK window (under Xvfb): every caption that
// comes from the language files fits its control, in both of the demo's
// languages.
#include "e2e/app_harness.h"

#include <fstream>
#include <iterator>

#include "app/download_page.h"
#include "app/download_run.h"
#include "app/languages.h"
#include "app/main_menus.h"
#include "settings/config.h"
#include "settings/messages.h"
#include "support/xvfb_display.h"
#include "toolkit/fltk/captions.h"
#include "toolkit/fltk/fltk_backend.h"

namespace corvane::testing {
namespace {

// Started by the first test that needs it and stopped when the program ends:
// FLTK keeps its connection to the display open until then.
class DisplayEnvironment : public ::testing::Environment {
 public:
  static XvfbDisplay* Get() {
    if (!display_) {
      display_ = new XvfbDisplay;
      display_->Start();
    }
    return display_;
  }
  void TearDown() override {
    delete display_;
    display_ = nullptr;
  }

 private:
  static inline XvfbDisplay* display_ = nullptr;
};
const auto* environment = ::testing::AddGlobalTestEnvironment(new DisplayEnvironment);

std::string SourceFile(const std::string& relative) {
  std::ifstream in(SourceDir() + "/" + relative, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// "tag: text" of every button and label registered under a message number
// whose caption does not fit.
std::vector<std::string> Misfits() {
  std::vector<std::string> found;
  for (const tgad& entry : mainApp->gadget_list_search) {
    const tk::Kind kind = entry.g->Target()->kind();
    if (entry.tag.find_first_not_of("0123456789") != std::string::npos) continue;
    if (kind != tk::Kind::Button && kind != tk::Kind::Label) continue;
    if (!tk::CaptionFits(*entry.g->Target())) found.push_back(entry.tag + ": " + entry.g->Text());
  }
  return found;
}

// The size label at its longest while a file comes in (a 4 GB file, the
// widest speed and time left) is drawn at the usual size, not shrunk.
bool LongestSizeTextFits() {
  downloadSizeLabel->SetText(SizeWithSpeedText(4LL * 1024 * 1024 * 1024 - 1, 1023.9 * 1024, kLongestTimeLeft));
  return tk::CaptionSize(*downloadSizeLabel) == tk::fltk::kCaptionSize && tk::CaptionFits(*downloadSizeLabel);
}

TEST(CaptionsFit, EveryCaptionFitsItsControlInEnglishAndItalian) {
  XvfbDisplay* display = DisplayEnvironment::Get();
  if (display->name().empty()) GTEST_SKIP() << display->error();
  const std::string italian = SourceFile("demo/catalogue/italiano.lang");
  ASSERT_FALSE(italian.empty());

  AppHarness app;
  std::string error;
  std::unique_ptr<tk::Backend> window_system = tk::MakeFltkBackend(&error);
  ASSERT_NE(window_system, nullptr) << error;
  tk::Shutdown();  // the harness's headless backend goes
  app.ui = nullptr;
  tk::SetBackend(std::move(window_system));

  app.ServeStandardFiles({"english.lang", "italiano.lang"});
  app.server.Serve("/download/corvane/italiano.lang", italian);
  app.ServeCatalogue("english", app.Catalogue(Programs(12)));
  app.ServeCatalogue("italiano", app.Catalogue(Programs(12)));
  app.PrepareHome();
  app.Start();
  ASSERT_EQ(languageList, (std::vector<std::string>{"ENGLISH", "ITALIANO"}));
  EXPECT_EQ(Misfits(), std::vector<std::string>{});
  EXPECT_TRUE(LongestSizeTextFits()) << downloadSizeLabel->Text();
  SelectLanguage(kTagFirstLanguage + 1);
  ASSERT_EQ(LANGUAGE, "ITALIANO");
  EXPECT_EQ(Misfits(), std::vector<std::string>{});
  EXPECT_TRUE(LongestSizeTextFits()) << downloadSizeLabel->Text();
}

}  // namespace
}  // namespace corvane::testing
