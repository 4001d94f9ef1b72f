// The installed-state texts: the day cut from a record's date and the lines
// that report an uninstall.
#include "install/installed_marks.h"

#include <gtest/gtest.h>

#include "settings/messages.h"

namespace corvane {
namespace {

TEST(InstalledMarks, DayDropsOnlyATime) {
  const struct {
    const char* date;
    const char* day;
  } cases[] = {
      {"09 Dec 2026 05:10:00", "09 Dec 2026"},
      {"09 Dec 2026", "09 Dec 2026"},  // no time: given whole
      {"", ""},
      {"05:10:00", "05:10:00"},        // a time alone is no day to cut it from
  };
  for (const auto& c : cases) EXPECT_EQ(InstalledDay(c.date), c.day) << c.date;
}

TEST(InstalledMarks, UninstallReportNamesWhatStayedBehind) {
  messages.assign(kMessageCount, "");
  messages[kMsgRemovedFiles] = "Removed files:";
  messages[kMsgPutBack] = "Put back:";
  messages[kMsgKeptChanged] = "Kept:";
  messages[kMsgNotDone] = "Not done:";
  messages[kMsgInstallerNotUndone] = "Installer stays.";
  UninstallResult r;
  EXPECT_TRUE(UninstallReport(r, "Beta").empty()) << "an id that was not recorded";
  r.found = true;
  r.removed = {"a", "b"};
  EXPECT_EQ(UninstallReport(r, "Beta"), std::vector<std::string>{"Beta - Removed files: 2"});
  r.restored = {"tarnic.ini"};
  r.changed = {"lib/beta.tn"};
  r.problems = {"old/x.txt"};
  r.installerRun = true;
  EXPECT_EQ(UninstallReport(r, "Beta"),
            (std::vector<std::string>{"Beta - Removed files: 2, Put back: 1", "  Kept: lib/beta.tn",
                                      "  Not done: old/x.txt", "  Installer stays."}));
  messages.clear();
}

}  // namespace
}  // namespace corvane
