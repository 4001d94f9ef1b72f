// Test fixture for the widget framework: a fresh headless toolkit per test,
// the framework's objects and module state reset afterwards, and a main
// application whose window is 670 x 510 with the program's style 525.
#pragma once

#include <vector>

#include "support/headless_fixture.h"
#include "widgets/tapplication.h"

namespace corvane::testing {

class WidgetsTest : public HeadlessTest {
 protected:
  void TearDown() override {
    ResetWidgets();
    HeadlessTest::TearDown();
  }
  tapplication* MakeMainApp(int style = 525) {
    mainApp = tapplication::Create("Corvane test", 10, 10, 670, 510, style);
    return mainApp;
  }
  // Every event queued so far, taken off the queue.
  std::vector<tk::EventPtr> DrainQueue() {
    std::vector<tk::EventPtr> events;
    while (tk::EventPtr e = tk::PollEvent()) events.push_back(e);
    return events;
  }
};

}  // namespace corvane::testing
