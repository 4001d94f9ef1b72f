// A private X display for tests that need real windows.
//
//   testing::XvfbDisplay x;
//   if (!x.Start()) GTEST_SKIP() << x.error();
//   ... DISPLAY now names the new display ...
//
// Start() runs Xvfb on a display number it picks itself and points DISPLAY at
// it; the destructor stops that Xvfb and restores DISPLAY.
#pragma once

#include <sys/types.h>

#include <string>

namespace corvane::testing {

class XvfbDisplay {
 public:
  XvfbDisplay() = default;
  ~XvfbDisplay();
  XvfbDisplay(const XvfbDisplay&) = delete;
  XvfbDisplay& operator=(const XvfbDisplay&) = delete;

  // False (with error()) when Xvfb is not installed or does not come up
  // within a few seconds.
  bool Start(int width = 1280, int height = 1024);
  const std::string& name() const { return name_; }  // ":<number>"
  const std::string& error() const { return error_; }

 private:
  pid_t pid_ = -1;
  std::string name_, error_, saved_display_;
  bool had_display_ = false;
};

}  // namespace corvane::testing
