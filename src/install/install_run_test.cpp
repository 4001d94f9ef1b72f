// The installation reported through a recording observer: what a front-end
// without a window (the command line) sees and decides.
#include <gtest/gtest.h>

#include <filesystem>

#include "install/install_engine.h"
#include "install/install_test_fixture.h"
#include "runtime/environment.h"
#include "settings/messages.h"
#include "support/zip_builder.h"

namespace corvane {
namespace {

class Recorder : public InstallObserver {
 public:
  void NoTarget() override { events.push_back("no target"); }
  void InstallStarted() override { events.push_back("started"); }
  void InstallFinished() override { events.push_back("finished"); }
  void InstallLine(const std::string& text) override { events.push_back("| " + text); }
  bool StopWanted() override { return stop; }
  bool AcceptMessage(const tprogram& r) override {
    events.push_back("message " + r.name);
    return accept;
  }
  bool AllowInstaller(const tprogram& r) override {
    events.push_back("installer? " + r.name);
    return allowInstaller;
  }
  void PackageDone(int k, double, const tprogram& r) override {
    events.push_back("done " + std::to_string(k) + " " + r.name);
  }
  void RestartWanted() override { events.push_back("restart"); }
  bool Has(const std::string& e) const { return std::find(events.begin(), events.end(), e) != events.end(); }
  std::vector<std::string> events;
  bool stop = false, accept = true, allowInstaller = true;
};

class InstallRunTest : public InstallScratch {
 protected:
  void SetUp() override {
    InstallScratch::SetUp();
    messages[81] = "Installing...";
    request.target = dir / "T";
    std::filesystem::create_directories(request.target);
    ASSERT_TRUE(testing::WriteZip(dir / "download/a.zip", {{"a.txt", "a"}}));
    dir.Write("download/setup.exe", "#!/bin/sh\necho ran > \"$0.ran\"\n");
  }
  ProgramPtr Record(const std::string& name, const std::string& file, const std::string& message = "") {
    auto r = std::make_shared<tprogram>();
    r->name = r->fullname = name;
    r->url = "http://server/" + file;
    r->message = message;
    return r;
  }
  InstallRequest request;
  Recorder seen;
};

TEST_F(InstallRunTest, TheObserverDecidesAndHearsEveryStep) {
  struct Case {
    const char* what;
    bool noTarget, stop, accept, allowInstaller;
    bool unpacked, installerRan;
    std::vector<std::string> expected;  // events that must be there, in this order
    std::vector<std::string> absent;
  } cases[] = {
      {"all accepted", false, false, true, true, true, true,
       {"started", "message ZIPPER", "done 1 ZIPPER", "installer? Setup MinGW", "done 2 Setup MinGW", "finished",
        "restart"},
       {}},
      {"message refused, installer not allowed", false, false, false, false, false, false,
       {"started", "message ZIPPER", "| Blocked by user!", "installer? Setup MinGW",
        "| Installer not run: <setup.exe>", "finished", "restart"},
       {}},
      {"stopped before the first package", false, true, true, true, false, false, {"started", "finished"},
       {"message ZIPPER", "installer? Setup MinGW", "restart"}},
      {"no target", true, false, true, true, false, false, {"no target"}, {"started", "finished"}},
  };
  for (const Case& c : cases) {
    std::filesystem::remove_all(request.target + "/a");
    std::filesystem::remove(dir / "download/setup.exe.ran");
    seen = Recorder{};
    seen.stop = c.stop;
    seen.accept = c.accept;
    seen.allowInstaller = c.allowInstaller;
    InstallRequest r = request;
    if (c.noTarget) r.target.clear();
    r.records = {Record("ZIPPER", "a.zip", "Read me first"), Record("Setup MinGW", "setup.exe")};
    r.count = 2;
    EXPECT_EQ(RunInstall(r, seen), 0);
    auto at = seen.events.begin();
    for (const std::string& e : c.expected) {
      at = std::find(at, seen.events.end(), e);
      EXPECT_NE(at, seen.events.end()) << c.what << ": " << e;
    }
    for (const std::string& e : c.absent) EXPECT_FALSE(seen.Has(e)) << c.what << ": " << e;
    EXPECT_EQ(dir.Exists("T/a/a.txt"), c.unpacked) << c.what;
    EXPECT_EQ(dir.Exists("download/setup.exe.ran"), c.installerRan) << c.what;
  }
}

}  // namespace
}  // namespace corvane
