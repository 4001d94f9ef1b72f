// The wizard's progress callback: called once per chunk of a download, it
// must stay cheap while still moving the bar and dropping waiting events.
#include <gtest/gtest.h>

#include "app/download_page.h"
#include "app/download_run.h"
#include "net/http_client.h"
#include "settings/messages.h"
#include "support/headless_fixture.h"

namespace corvane {
namespace {

class DownloadProgressTest : public testing::HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    saved_ = GetHttpLimits();
    ResetDownloadRun();
    tk::Gadget* window = tk::CreateWindow("Corvane", 0, 0, 400, 300, nullptr, tk::kWindowTitleBar);
    fileProgress = tk::CreateProgressBar(10, 10, 300, 20, window);
  }
  void TearDown() override {
    fileProgress = nullptr;
    ResetDownloadRun();
    SetHttpLimits(saved_);
    HeadlessTest::TearDown();
  }
  void SetInterval(int ms) {
    HttpLimits limits = saved_;
    limits.message_interval_ms = ms;
    SetHttpLimits(limits);
  }
  HttpLimits saved_;
};

TEST_F(DownloadProgressTest, MovesTheBarEveryCallAndFetchesMessagesAtMostOncePerInterval) {
  SetInterval(60000);
  ui().ResetPumpStats();
  for (int i = 1; i <= 1000; ++i) {
    DownloadProgress(static_cast<float>(i) / 1000);
    if (i == 500) EXPECT_FLOAT_EQ(static_cast<float>(fileProgress->Progress()), 0.5f);
  }
  EXPECT_FLOAT_EQ(static_cast<float>(fileProgress->Progress()), 1.0f);
  EXPECT_EQ(ui().PumpCount(), 1);  // the first call, then none within the interval

  SetInterval(0);  // no interval: every call with an empty queue fetches
  for (int i = 0; i < 10; ++i) DownloadProgress(0.5f);
  EXPECT_EQ(ui().PumpCount(), 11);
}

TEST_F(DownloadProgressTest, DropsOneWaitingEventPerCallAlsoBetweenFetches) {
  SetInterval(60000);
  DownloadProgress(0.1f);  // the one fetch of the interval
  for (int i = 0; i < 3; ++i) tk::EmitEvent(tk::MakeEvent(tk::kGadgetAction, fileProgress));
  ASSERT_EQ(tk::QueueLength(), 3u);
  DownloadProgress(0.2f);
  EXPECT_EQ(tk::QueueLength(), 2u);
  DownloadProgress(0.3f);
  DownloadProgress(0.4f);
  EXPECT_EQ(tk::QueueLength(), 0u);

  // An event that the fetch itself brings in is dropped by the same call.
  ResetDownloadRun();
  int emitted = 0;
  ui().SetPumpCallback([&emitted] {
    if (emitted++ == 0) tk::EmitEvent(tk::MakeEvent(tk::kGadgetAction, fileProgress));
  });
  DownloadProgress(0.5f);
  ui().SetPumpCallback({});
  EXPECT_EQ(emitted, 2);  // the fetch, and the pass that took the event
  EXPECT_EQ(tk::QueueLength(), 0u);
}

// The size label's speed part: left out while unknown, the time left only
// while it says something, "left" in the user's language when the language
// file has it.
TEST(SizeWithSpeedText, PartsShownOnlyWhenKnown) {
  ResetMessages();
  messages.resize(kMessageCount);
  messages[58] = "File size";
  struct Case {
    double speed;
    long long left;
    const char* word;  // message 89
    const char* text;
  } cases[] = {
      {-1, -1, "", "File size 2 Kb"},
      {1536, -1, "", "File size 2 Kb - 1.5 KB/s"},
      {1536, 1, "", "File size 2 Kb - 1.5 KB/s - 0:01 left"},
      {1536, 1, "rimanenti", "File size 2 Kb - 1.5 KB/s - 0:01 rimanenti"},
      {0.5, kLongestTimeLeft + 1, "", "File size 2 Kb - 0 B/s"},
  };
  for (const Case& c : cases) {
    messages[89] = c.word;
    EXPECT_EQ(SizeWithSpeedText(2048, c.speed, c.left), c.text);
  }
  ResetMessages();
}

}  // namespace
}  // namespace corvane
