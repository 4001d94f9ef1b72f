#include "install/package_scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "catalogue/catalogue_names.h"
#include "install/install_page.h"
#include "install/install_test_fixture.h"
#include "widgets/tapplication.h"
#include "widgets/tmultibutton.h"

namespace corvane {
namespace {

ProgramPtr Record(const std::string& fullname, const std::string& url) {
  auto r = std::make_shared<tprogram>();
  r->fullname = fullname;
  r->url = url;
  r->urls = {url};
  return r;
}

class ScanPackagesTest : public InScratchFolder {
 protected:
  void SetUp() override {
    InScratchFolder::SetUp();
    window_ = tk::CreateWindow("Install", 0, 0, 670, 510, nullptr, tk::kWindowTitleBar);
    packageChooser = CreateMultiButton(180, 40, 470, 200, window_, "", "", "", "", 0);
    platformWin32 = 1;
  }
  void TearDown() override {
    programList.clear();
    packageList.clear();
    packageChooser = nullptr;
    platformWin32 = platformLinuxX86 = platformMacosX86 = platformMacosPpc = 0;
    ResetWidgets();
    InScratchFolder::TearDown();
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& r : packageList) names.push_back(r->fullname);
    return names;
  }
  tk::Gadget* window_ = nullptr;
};

TEST_F(ScanPackagesTest, AnEmptyOrMissingFolderGivesAnEmptyList) {
  programList = {Record("A", "http://h/a.zip")};
  dir.Write("download/a.zip", "x");
  ScanPackages();
  ASSERT_EQ(packageChooser->CountItems(), 1);
  std::filesystem::remove(dir / "download/a.zip");
  ScanPackages();
  EXPECT_TRUE(packageList.empty());
  EXPECT_EQ(packageChooser->CountItems(), 0);

  dir.Write("download/a.zip", "x");
  ScanPackages();
  std::filesystem::remove_all(dir / "download");
  ScanPackages();
  EXPECT_TRUE(Logged("failed to read current directory"));
  EXPECT_TRUE(packageList.empty());
  EXPECT_EQ(packageChooser->CountItems(), 0);
}

TEST_F(ScanPackagesTest, MatchesExactFileNamesInCatalogueOrder) {
  programList = {Record("Beta", "http://h/dl/pkg.zip"), Record("Alpha", "http://h/other/pkg.zip"),
                 Record("Case", "http://h/Tool.exe"), Record("Nothing", "http://h/none.rar"),
                 Record("Elsewhere", "http://h/saved.zip")};
  dir.Write("download/pkg.zip", "");
  dir.Write("download/tool.exe", "");      // differs from Tool.exe in case only
  dir.Write("download/saved-2.zip", "");   // saved under another name
  dir.Write("download/unknown.bin", "");
  ScanPackages();
  EXPECT_EQ(Names(), (std::vector<std::string>{"Beta", "Alpha"}));
  ASSERT_EQ(packageChooser->CountItems(), 2);
  const auto& row = *packageChooser->array[1];
  EXPECT_EQ(row.button->Text(), "Alpha");
  EXPECT_EQ(row.label->Text(), "ZIP");
  const ProgramPtr* content = std::any_cast<ProgramPtr>(&row.content);
  ASSERT_TRUE(content);
  EXPECT_EQ(*content, programList[1]);
}

TEST_F(ScanPackagesTest, EveryRowStartsTickedWithTheIconOfItsKind) {
  programList = {Record("Setup", "h/setup.exe"), Record("Lower", "h/lower.zip"), Record("Upper", "h/UPPER.ZIP"),
                 Record("Script", "h/run.bat"), Record("Rar", "h/x.rar"), Record("Doc", "h/readme.txt"),
                 Record("", "h/noname.zip")};
  for (const auto& r : programList) dir.Write("download/" + PackageFileName(*r), "");
  ScanPackages();
  packageChooser->ChangeState(0);
  ScanPackages();
  ASSERT_EQ(packageList.size(), 7u);
  ASSERT_EQ(packageChooser->CountItems(), 6);  // no row for an empty name
  for (int i = 0; i < 6; ++i) EXPECT_EQ(packageChooser->GetItemStatus(i), 1);
  std::vector<std::pair<std::string, int>> icons;
  for (int i = 0; i < 6; ++i) {
    const ProgramPtr* r = std::any_cast<ProgramPtr>(&packageChooser->array[i]->content);
    icons.emplace_back((*r)->fullname, packageRowIcons[i]);
  }
  std::sort(icons.begin(), icons.end());
  EXPECT_EQ(icons, (std::vector<std::pair<std::string, int>>{
                       {"Doc", 0}, {"Lower", 3}, {"Rar", 2}, {"Script", 7}, {"Setup", 1}, {"Upper", 3}}));
}

TEST_F(ScanPackagesTest, ExeIconFollowsTheLastPlatformFlag) {
  EXPECT_EQ(IconForKind("EXE"), 1);
  platformLinuxX86 = 1;
  EXPECT_EQ(IconForKind("EXE"), 5);
  platformMacosPpc = 1;
  EXPECT_EQ(IconForKind("EXE"), 4);
}

}  // namespace
}  // namespace corvane
