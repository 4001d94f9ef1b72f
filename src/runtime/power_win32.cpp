// Power requests on Windows.  A desktop program may end the session or put
// the machine to sleep only after enabling SeShutdownPrivilege in its own
// access token; the requests themselves are ExitWindowsEx and
// SetSystemPowerState.
#include <windows.h>

#include "runtime/power.h"

namespace corvane::runtime {
namespace {

// TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY
constexpr DWORD kTokenAccess = 0x28;

class Win32Power : public Power {
 public:
  bool EnableShutdownPrivilege() override {
    LUID shutdown{};
    if (!::LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &shutdown)) return false;
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), kTokenAccess, &token)) return false;
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Luid = shutdown;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    // Success here can still mean "not all assigned"; the request that
    // follows then fails on its own, which is all a caller needs.
    BOOL adjusted = ::AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
    ::CloseHandle(token);
    return adjusted != FALSE;
  }

  bool ExitSession(unsigned flags, unsigned reason) override { return ::ExitWindowsEx(flags, reason) != FALSE; }

  bool SetPowerState(bool suspend, bool force) override {
    return ::SetSystemPowerState(suspend ? TRUE : FALSE, force ? TRUE : FALSE) != FALSE;
  }
};

}  // namespace

Power& RealPower() {
  static Win32Power power;
  return power;
}

}  // namespace corvane::runtime
