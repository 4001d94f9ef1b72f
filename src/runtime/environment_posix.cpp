#include <sys/utsname.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "runtime/environment.h"
#include "runtime/file_system.h"

namespace corvane::runtime {
namespace {
std::string g_program_folder;

// An installed copy (anything below /usr, or <prefix>/lib/corvane, where
// `cmake --install` puts the program) is shared by every user and replaced by
// upgrades: its folder never holds data, even for root, who could write it.
bool InstalledFolder(const std::string& folder) {
  static const std::string kInstalled = "/lib/corvane";
  if (folder.rfind("/usr/", 0) == 0) return true;
  return folder.size() >= kInstalled.size() &&
         folder.compare(folder.size() - kInstalled.size(), kInstalled.size(), kInstalled) == 0;
}
}  // namespace

std::string GetEnv(const std::string& name) {
  const char* v = std::getenv(name.c_str());
  return v ? v : "";
}

void SetEnv(const std::string& name, const std::string& value) { ::setenv(name.c_str(), value.c_str(), 1); }
void UnsetEnv(const std::string& name) { ::unsetenv(name.c_str()); }

char PathListSeparator() { return ':'; }

std::string SystemName() {
  struct utsname u;
  if (::uname(&u) == 0 && u.sysname[0]) return u.sysname;
  return "Linux";
}

std::string ExecutableFolder() {
  std::vector<char> buf(4096);
  ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size() - 1);
  if (n <= 0) return "";
  std::string path(buf.data(), static_cast<std::size_t>(n));
  std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? "" : (slash == 0 ? "/" : path.substr(0, slash));
}

std::string ChooseProgramFolder(const std::string& home) {
  if (!home.empty()) return Fs().Absolute(home);
  std::string exe = ExecutableFolder();
  if (!exe.empty() && !InstalledFolder(exe) && ::access(exe.c_str(), W_OK) == 0) return exe;
  std::string data = GetEnv("XDG_DATA_HOME");
  if (data.empty()) {
    std::string user_home = GetEnv("HOME");
    data = (user_home.empty() ? std::string("/tmp") : user_home) + "/.local/share";
  }
  return data + "/corvane";
}

bool EnterProgramFolder(const std::string& folder) {
  FileSystem& fs = Fs();
  if (fs.Kind(folder) != kFolder && !fs.CreateFolderWithParents(folder)) return false;
  if (!fs.ChangeFolder(folder)) return false;
  g_program_folder = fs.CurrentFolder();
  return true;
}

const std::string& ProgramFolder() { return g_program_folder; }

}  // namespace corvane::runtime
