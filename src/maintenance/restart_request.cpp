#include "maintenance/restart_request.h"

#include "runtime/power.h"

namespace corvane {
namespace {

unsigned ForceFlag(int force) { return force != 0 ? runtime::kExitForce : 0; }

int ExitWith(unsigned flags, int force) {
  if (EnableShutdownPrivilege() == 0) return 0;
  runtime::PowerControl().ExitSession(flags | ForceFlag(force), 0);
  return 0;
}

int PowerState(bool suspend, int force) {
  if (EnableShutdownPrivilege() == 0) return 0;
  runtime::PowerControl().SetPowerState(suspend, force != 0);
  return 0;
}

}  // namespace

int EnableShutdownPrivilege() { return runtime::PowerControl().EnableShutdownPrivilege() ? 1 : 0; }

int SuspendSystem(int force) { return PowerState(true, force); }
int HibernateSystem(int force) { return PowerState(false, force); }
int PowerOffSystem(int force) { return ExitWith(runtime::kExitPowerOff, force); }
int RestartSystem(int force) { return ExitWith(runtime::kExitReboot, force); }
int LogOffUser(int force) { return ExitWith(runtime::kExitLogOff, force); }

}  // namespace corvane
