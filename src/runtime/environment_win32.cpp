// Environment and program folder on Windows.  Variables are read and set in
// the process's own environment block, the one child processes inherit.
#include <windows.h>

#include <vector>

#include "runtime/environment.h"
#include "runtime/file_system.h"
#include "runtime/wide_text.h"

namespace corvane::runtime {
namespace {

std::string g_program_folder;

// True when a file can be created in the folder (Program Files usually
// refuses an ordinary user).
bool FolderWritable(const std::string& folder) {
  std::wstring probe = WidePath(folder + "/.corvane-write-test");
  HANDLE h = ::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  ::CloseHandle(h);
  return true;
}

}  // namespace

std::string GetEnv(const std::string& name) {
  std::wstring wide_name = Utf8ToWide(name);
  std::vector<wchar_t> buffer(256);
  while (true) {
    DWORD n = ::GetEnvironmentVariableW(wide_name.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return "";
    if (n < buffer.size()) return WideToUtf8(buffer.data(), n);
    buffer.resize(n + 1);
  }
}

void SetEnv(const std::string& name, const std::string& value) {
  ::SetEnvironmentVariableW(Utf8ToWide(name).c_str(), Utf8ToWide(value).c_str());
}

void UnsetEnv(const std::string& name) { ::SetEnvironmentVariableW(Utf8ToWide(name).c_str(), nullptr); }

char PathListSeparator() { return ';'; }

std::string SystemName() { return "Windows"; }

std::string ExecutableFolder() {
  std::vector<wchar_t> buffer(MAX_PATH);
  while (true) {
    DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return "";
    if (n < buffer.size()) {
      std::string path = ForwardSlashes(WideToUtf8(buffer.data(), n));
      std::size_t slash = path.rfind('/');
      if (slash == std::string::npos) return "";
      // "C:/corvane.exe" lies in "C:/", not in "C:".
      return slash == 2 && path[1] == ':' ? path.substr(0, 3) : path.substr(0, slash);
    }
    buffer.resize(buffer.size() * 2);
  }
}

std::string ChooseProgramFolder(const std::string& home) {
  if (!home.empty()) return Fs().Absolute(home);
  std::string exe = ExecutableFolder();
  if (!exe.empty() && FolderWritable(exe)) return exe;
  std::string data = GetEnv("LOCALAPPDATA");
  if (data.empty()) data = GetEnv("APPDATA");
  if (data.empty()) data = GetEnv("TEMP");
  return ForwardSlashes(data) + "/corvane";
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
