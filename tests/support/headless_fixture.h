// Running a test on the headless toolkit backend.
//
//   class MyTest : public corvane::testing::HeadlessTest {};
//   TEST_F(MyTest, Something) {
//     tk::Gadget* w = tk::CreateWindow("T", 0, 0, 300, 200, nullptr, 1);
//     ui().AnswerNext(false);          // the next Confirm/Proceed answers Cancel/No
//     ...
//     EXPECT_EQ(ui().Boxes().size(), 1u);
//   }
//
// HeadlessTest installs a fresh tk::HeadlessBackend before each test (the
// toolkit's gadgets, hooks, queue and timers start empty) and shuts the
// toolkit down after it.  HeadlessToolkit does the same for code that is not
// a gtest fixture: construct it, use backend(), let it go out of scope.
#pragma once

#include <gtest/gtest.h>

#include "toolkit/headless/headless_backend.h"

namespace corvane::testing {

class HeadlessToolkit {
 public:
  explicit HeadlessToolkit(int desktop_width = 1024, int desktop_height = 768);
  ~HeadlessToolkit();
  HeadlessToolkit(const HeadlessToolkit&) = delete;
  HeadlessToolkit& operator=(const HeadlessToolkit&) = delete;
  tk::HeadlessBackend& backend() { return *backend_; }

 private:
  tk::HeadlessBackend* backend_;  // owned by the toolkit
};

class HeadlessTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // The backend installed for this test.
  tk::HeadlessBackend& ui() { return toolkit_->backend(); }

 private:
  std::unique_ptr<HeadlessToolkit> toolkit_;
};

}  // namespace corvane::testing
