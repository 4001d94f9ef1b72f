// The machine's power requests: the shutdown privilege of this process, the
// end of the session (log off, restart, power off) and suspend/hibernate.
//
// Power is abstract so that tests see the requests that would have been made
// through RecordingPower, and so that no test ever acts on the machine it runs
// on.  On Windows the real one enables SeShutdownPrivilege and calls
// ExitWindowsEx / SetSystemPowerState; on other systems the privilege step
// fails, so callers never get as far as a request.
#pragma once

#include <string>
#include <vector>

namespace corvane::runtime {

// ExitWindowsEx flags.
inline constexpr unsigned kExitLogOff = 0, kExitReboot = 2, kExitForce = 4, kExitPowerOff = 8;

class Power {
 public:
  virtual ~Power() = default;
  // Enables the shutdown privilege in this process's token; true when enabled.
  virtual bool EnableShutdownPrivilege() = 0;
  // Ends the session with the ExitWindowsEx flags and reason; true when the
  // system accepted the request.
  virtual bool ExitSession(unsigned flags, unsigned reason) = 0;
  // Suspends (suspend true) or hibernates; force skips asking the programs.
  // True when the system accepted the request.
  virtual bool SetPowerState(bool suspend, bool force) = 0;
};

// This machine's power interface (never acts on systems other than Windows).
Power& RealPower();
// The one the program uses; SetPower(nullptr) restores the real one.  The
// caller keeps ownership.
Power& PowerControl();
void SetPower(Power* power);

// Records every request and acts on nothing.  grant decides what the
// privilege step answers.
class RecordingPower : public Power {
 public:
  struct Request {
    std::string what;  // "privilege", "exit" or "power-state"
    unsigned flags = 0;   // exit: flags; power-state: 1 for suspend
    unsigned reason = 0;  // exit: reason; power-state: 1 for force
  };
  bool grant = true;
  std::vector<Request> requests;

  bool EnableShutdownPrivilege() override {
    requests.push_back({"privilege", 0, 0});
    return grant;
  }
  bool ExitSession(unsigned flags, unsigned reason) override {
    requests.push_back({"exit", flags, reason});
    return true;
  }
  bool SetPowerState(bool suspend, bool force) override {
    requests.push_back({"power-state", suspend ? 1u : 0u, force ? 1u : 0u});
    return true;
  }
};

}  // namespace corvane::runtime
