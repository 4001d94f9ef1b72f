// Asking the system to restart, power off, suspend or hibernate the machine,
// or to end the user's session.  Each request first enables the shutdown
// privilege of this process and does nothing at all when that fails (always
// so on systems other than Windows).  The requests go through
// runtime::PowerControl(), which tests replace with a runtime::RecordingPower.
#pragma once

namespace corvane {

// 1 when the shutdown privilege is now enabled, 0 when it could not be.
int EnableShutdownPrivilege();

// force 1 makes the system close other programs without asking them; any
// other non-zero value counts as 1.  Each answers 0 whether or not the
// system took the request.
int SuspendSystem(int force);
int HibernateSystem(int force);
int PowerOffSystem(int force);   // exit flags EWX_POWEROFF (+ EWX_FORCE)
int RestartSystem(int force);    // exit flags EWX_REBOOT (+ EWX_FORCE): 2, or 6 when forced
int LogOffUser(int force);       // exit flags EWX_LOGOFF (+ EWX_FORCE): 0, or 4 when forced

}  // namespace corvane
