// Power requests on POSIX systems.  The program may ask to restart the
// machine only the way Windows lets a desktop program do it; here there is no
// such privilege for it, so the privilege step fails and nothing is ever
// requested from the system.
#include "runtime/power.h"

namespace corvane::runtime {
namespace {

class PosixPower : public Power {
 public:
  bool EnableShutdownPrivilege() override { return false; }
  bool ExitSession(unsigned, unsigned) override { return false; }
  bool SetPowerState(bool, bool) override { return false; }
};

}  // namespace

Power& RealPower() {
  static PosixPower power;
  return power;
}

}  // namespace corvane::runtime
