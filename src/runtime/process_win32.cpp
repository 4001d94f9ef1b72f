// Processes on Windows: CreateProcess with the tool's standard streams on
// anonymous pipes, read without blocking through PeekNamedPipe.
//
// The command line goes to the system unchanged, so the tool splits it the
// way it always does, and the system's own search finds the program (the
// folder of this executable, the current folder, the system folders, PATH;
// ".exe" added to a bare name; an unquoted path with blanks tried piece by
// piece).  Console tools get no console window; a tool with windows of its
// own (an installer) shows them as usual.  The tool runs in a job object so
// that stopping it also stops whatever it started.
#include <windows.h>

#include <algorithm>
#include <set>
#include <vector>

#include "runtime/environment.h"
#include "runtime/file_system.h"
#include "runtime/process.h"
#include "runtime/text.h"
#include "runtime/wide_text.h"

namespace corvane::runtime {
namespace {

constexpr std::size_t kErrorKeep = 64 * 1024;

void CloseIfOpen(HANDLE& h) {
  if (h != nullptr && h != INVALID_HANDLE_VALUE) ::CloseHandle(h);
  h = nullptr;
}

class Win32Process : public Process {
 public:
  Win32Process(HANDLE process, HANDLE job, HANDLE out, HANDLE err)
      : process_(process), job_(job), out_(out), err_(err) {}

  ~Win32Process() override {
    if (Running()) {
      Terminate();
      ::WaitForSingleObject(process_, 5000);
    }
    CloseIfOpen(out_);
    CloseIfOpen(err_);
    CloseIfOpen(job_);
    CloseIfOpen(process_);
  }

  long long ReadOutput(char* buffer, std::size_t size) override {
    DrainError();
    if (!out_) return -1;
    if (size == 0) return 0;
    DWORD available = 0;
    if (!::PeekNamedPipe(out_, nullptr, 0, nullptr, &available, nullptr)) {
      CloseIfOpen(out_);  // every writer has gone: the end of the output
      return -1;
    }
    if (available == 0) return 0;
    DWORD got = 0;
    DWORD want = static_cast<DWORD>(std::min<std::size_t>(size, available));
    if (!::ReadFile(out_, buffer, want, &got, nullptr)) {
      CloseIfOpen(out_);
      return -1;
    }
    return got;
  }

  void WaitForOutput(int ms) override {
    ULONGLONG deadline = ::GetTickCount64() + static_cast<ULONGLONG>(ms < 0 ? 0 : ms);
    while (true) {
      DrainError();
      if (!out_) return;
      DWORD available = 0;
      if (!::PeekNamedPipe(out_, nullptr, 0, nullptr, &available, nullptr) || available > 0) return;
      if (::GetTickCount64() >= deadline) return;
      // Anonymous pipes cannot be waited on; a short sleep keeps this cheap.
      ::Sleep(1);
    }
  }

  bool Running() override { return ::WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

  bool WaitForExit(int ms) override {
    ULONGLONG deadline = ::GetTickCount64() + static_cast<ULONGLONG>(ms < 0 ? 0 : ms);
    while (true) {
      DrainError();
      ULONGLONG now = ::GetTickCount64();
      DWORD slice = now >= deadline ? 0 : static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, 5));
      // Drain between slices so a tool writing much to its error stream
      // never blocks on a full pipe while we wait for it.
      if (::WaitForSingleObject(process_, slice) != WAIT_TIMEOUT) return true;
      if (slice == 0) return false;
    }
  }

  void Terminate() override {
    if (!Running()) return;
    killed_ = true;
    if (!job_ || !::TerminateJobObject(job_, 1)) ::TerminateProcess(process_, 1);
  }

  int ExitCode() override {
    if (Running() || killed_) return -1;
    DWORD code = 0;
    if (!::GetExitCodeProcess(process_, &code)) return -1;
    return static_cast<int>(code);
  }

  std::string ErrorOutput() override {
    DrainError();
    return error_;
  }

 private:
  void DrainError() {
    char buffer[4096];
    while (err_) {
      DWORD available = 0;
      if (!::PeekNamedPipe(err_, nullptr, 0, nullptr, &available, nullptr)) {
        CloseIfOpen(err_);
        return;
      }
      if (available == 0) return;
      DWORD got = 0;
      if (!::ReadFile(err_, buffer, std::min<DWORD>(available, sizeof buffer), &got, nullptr) || got == 0) {
        CloseIfOpen(err_);
        return;
      }
      std::size_t keep = std::min<std::size_t>(got, kErrorKeep - error_.size());
      error_.append(buffer, keep);
    }
  }

  HANDLE process_;
  HANDLE job_;
  HANDLE out_;
  HANDLE err_;
  bool killed_ = false;
  std::string error_;
};

// A pipe whose write end the tool inherits and whose read end stays ours.
bool MakePipe(HANDLE* read_end, HANDLE* write_end) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  if (!::CreatePipe(read_end, write_end, &inherit, 0)) return false;
  ::SetHandleInformation(*read_end, HANDLE_FLAG_INHERIT, 0);
  return true;
}

// "tool" and "tool.exe" name the same program.
std::vector<std::string> NameVariants(const std::string& name) {
  const std::string ext = ".exe";
  if (name.size() > ext.size() && EqualsIgnoreCase(name.substr(name.size() - ext.size()), ext)) {
    return {name, name.substr(0, name.size() - ext.size())};
  }
  return {name, name + ext};
}

std::string FirstFile(const std::string& folder, const std::string& name) {
  for (const std::string& variant : NameVariants(name)) {
    std::string path = folder.empty() ? variant : folder + "/" + variant;
    if (Fs().Kind(path) == kFile) return ForwardSlashes(path);
  }
  return "";
}

}  // namespace

std::string FindProgram(const std::string& candidate) {
  std::string name = ForwardSlashes(candidate);
  if (name.empty()) return "";
  if (name.find('/') != std::string::npos || name.find(':') != std::string::npos) return FirstFile("", name);
  std::vector<std::string> folders = {ExecutableFolder(), ProgramFolder(), Fs().CurrentFolder()};
  for (const std::string& element : Split(GetEnv("PATH"), ";")) {
    std::string folder = Trim(element);
    if (folder.size() >= 2 && folder.front() == '"' && folder.back() == '"') folder = folder.substr(1, folder.size() - 2);
    if (!folder.empty()) folders.push_back(ForwardSlashes(folder));
  }
  std::set<std::string> seen;
  for (const std::string& folder : folders) {
    if (folder.empty() || !seen.insert(ToLower(folder)).second) continue;
    std::string found = FirstFile(folder, name);
    if (!found.empty()) return found;
  }
  return "";
}

// Console tools write in the OEM code page.
std::string ToolTextToUtf8(const std::string& bytes) { return CodePageToUtf8(bytes, CP_OEMCP); }

std::unique_ptr<Process> StartSystemProcess(const std::string& command_line) {
  if (Trim(command_line).empty()) return nullptr;

  HANDLE out_read = nullptr, out_write = nullptr, err_read = nullptr, err_write = nullptr;
  if (!MakePipe(&out_read, &out_write)) return nullptr;
  if (!MakePipe(&err_read, &err_write)) {
    CloseIfOpen(out_read), CloseIfOpen(out_write);
    return nullptr;
  }
  // An empty input: the tool reads the end of its input at once.
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE in = ::CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0,
                            nullptr);

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in;
  startup.hStdOutput = out_write;
  startup.hStdError = err_write;
  PROCESS_INFORMATION info{};
  std::wstring line = Utf8ToWide(command_line);  // CreateProcessW may write into it
  line.push_back(L'\0');
  BOOL started = ::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW | CREATE_SUSPENDED,
                                  nullptr, nullptr, &startup, &info);
  // Only the tool holds the write ends now, so the pipes end when it does.
  CloseIfOpen(out_write);
  CloseIfOpen(err_write);
  CloseIfOpen(in);
  if (!started) {
    CloseIfOpen(out_read), CloseIfOpen(err_read);
    return nullptr;
  }
  HANDLE job = ::CreateJobObjectW(nullptr, nullptr);
  if (job && !::AssignProcessToJobObject(job, info.hProcess)) CloseIfOpen(job);
  ::ResumeThread(info.hThread);
  ::CloseHandle(info.hThread);
  return std::make_unique<Win32Process>(info.hProcess, job, out_read, err_read);
}

}  // namespace corvane::runtime
