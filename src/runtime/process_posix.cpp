// Processes on POSIX: fork and exec with non-blocking pipes.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <set>
#include <vector>

#include "runtime/command_line.h"
#include "runtime/environment.h"
#include "runtime/file_system.h"
#include "runtime/process.h"
#include "runtime/text.h"

namespace corvane::runtime {
namespace {

constexpr std::size_t kErrorKeep = 64 * 1024;

using SteadyClock = std::chrono::steady_clock;

int MsLeft(SteadyClock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now());
  return left.count() < 0 ? 0 : static_cast<int>(left.count());
}

bool IsExecutableFile(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

// "tool" and "tool.exe" name the same program.
std::vector<std::string> NameVariants(const std::string& name) {
  const std::string ext = ".exe";
  if (name.size() > ext.size() && EqualsIgnoreCase(name.substr(name.size() - ext.size()), ext)) {
    return {name, name.substr(0, name.size() - ext.size())};
  }
  return {name, name + ext};
}

std::string FirstExecutable(const std::string& folder, const std::string& name) {
  for (const std::string& variant : NameVariants(name)) {
    std::string path = folder.empty() ? variant : folder + "/" + variant;
    std::string resolved = Fs().Resolve(path);
    if (IsExecutableFile(resolved)) return resolved;
  }
  return "";
}

void CloseFd(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

class PosixProcess : public Process {
 public:
  PosixProcess(pid_t pid, int out_fd, int err_fd) : pid_(pid), out_fd_(out_fd), err_fd_(err_fd) {}

  ~PosixProcess() override {
    if (Running()) {
      Terminate();
      int status = 0;
      while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
      }
    }
    CloseFd(out_fd_);
    CloseFd(err_fd_);
  }

  long long ReadOutput(char* buffer, std::size_t size) override {
    DrainError();
    if (out_fd_ < 0) return -1;
    if (size == 0) return 0;
    while (true) {
      ssize_t n = ::read(out_fd_, buffer, size);
      if (n > 0) return n;
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return 0;
      CloseFd(out_fd_);  // end of the pipe, or an error that ends it
      return -1;
    }
  }

  void WaitForOutput(int ms) override {
    auto deadline = SteadyClock::now() + std::chrono::milliseconds(ms);
    while (true) {
      struct pollfd fds[2];
      nfds_t count = 0;
      if (out_fd_ >= 0) fds[count++] = {out_fd_, POLLIN, 0};
      if (err_fd_ >= 0) fds[count++] = {err_fd_, POLLIN, 0};
      int left = MsLeft(deadline);
      int got = ::poll(count ? fds : nullptr, count, left);
      DrainError();
      if (got < 0 && errno != EINTR) return;
      if (out_fd_ >= 0 && got > 0 && fds[0].fd == out_fd_ && fds[0].revents != 0) return;
      if (left == 0) return;
    }
  }

  bool Running() override {
    if (reaped_) return false;
    int status = 0;
    pid_t r = ::waitpid(pid_, &status, WNOHANG);
    if (r == 0) return true;
    if (r < 0 && errno == EINTR) return true;
    reaped_ = true;
    status_ = r == pid_ ? status : -1;
    return false;
  }

  bool WaitForExit(int ms) override {
    auto deadline = SteadyClock::now() + std::chrono::milliseconds(ms);
    while (Running()) {
      if (MsLeft(deadline) == 0) return false;
      DrainError();
      ::poll(nullptr, 0, 1);
    }
    return true;
  }

  void Terminate() override {
    if (reaped_) return;
    ::kill(-pid_, SIGKILL);
    ::kill(pid_, SIGKILL);
  }

  int ExitCode() override {
    if (!reaped_ && Running()) return -1;
    if (status_ >= 0 && WIFEXITED(status_)) return WEXITSTATUS(status_);
    return -1;
  }

  std::string ErrorOutput() override {
    DrainError();
    return error_;
  }

 private:
  void DrainError() {
    char buffer[4096];
    while (err_fd_ >= 0) {
      ssize_t n = ::read(err_fd_, buffer, sizeof buffer);
      if (n > 0) {
        std::size_t keep = std::min<std::size_t>(static_cast<std::size_t>(n), kErrorKeep - error_.size());
        error_.append(buffer, keep);
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;
      CloseFd(err_fd_);
    }
  }

  pid_t pid_;
  int out_fd_, err_fd_;
  bool reaped_ = false;
  int status_ = -1;
  std::string error_;
};

// Finds the program of a command line and the text of its arguments.  An
// unquoted program path with blanks is tried at every blank, shortest first.
bool LocateProgram(const std::string& line, std::string* path, std::string* argv0, std::string* rest) {
  ProgramPart part = SplitProgramPart(line);
  if (part.quoted) {
    if (part.program.empty()) return false;
    *path = FindProgram(part.program);
    *argv0 = part.program;
    *rest = part.rest;
    return !path->empty();
  }
  std::size_t start = line.find_first_not_of(" \t");
  if (start == std::string::npos) return false;
  std::size_t end = start;
  while (end < line.size()) {
    while (end < line.size() && line[end] != ' ' && line[end] != '\t') ++end;
    std::string candidate = line.substr(start, end - start);
    if (candidate.find('"') != std::string::npos) return false;
    std::string found = FindProgram(candidate);
    if (!found.empty()) {
      *path = found;
      *argv0 = candidate;
      *rest = line.substr(end);
      return true;
    }
    // Only a path can go on past a blank; a bare name ends at the first one.
    if (candidate.find_first_of("/\\") == std::string::npos) return false;
    while (end < line.size() && (line[end] == ' ' || line[end] == '\t')) ++end;
  }
  return false;
}

}  // namespace

std::string FindProgram(const std::string& candidate) {
  std::string name = ReplaceAll(candidate, "\\", "/");
  if (name.empty()) return "";
  if (name.find('/') != std::string::npos) return FirstExecutable("", name);

  std::vector<std::string> folders = {ExecutableFolder(), ProgramFolder(), Fs().CurrentFolder()};
  for (const std::string& element : Split(GetEnv("PATH"), std::string(1, PathListSeparator()))) {
    folders.push_back(element.empty() ? "." : element);
  }
  std::set<std::string> seen;
  for (const std::string& folder : folders) {
    if (folder.empty() || !seen.insert(folder).second) continue;
    std::string found = FirstExecutable(folder, name);
    if (!found.empty()) return found;
  }
  return "";
}

std::string ToolTextToUtf8(const std::string& bytes) { return bytes; }

std::unique_ptr<Process> StartSystemProcess(const std::string& command_line) {
  std::string path, argv0, rest;
  if (!LocateProgram(command_line, &path, &argv0, &rest)) return nullptr;

  std::vector<std::string> args = {argv0};
  for (std::string& a : SplitArguments(rest)) args.push_back(std::move(a));
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  int in_pipe[2], out_pipe[2], err_pipe[2], status_pipe[2];
  if (::pipe2(in_pipe, O_CLOEXEC) != 0) return nullptr;
  if (::pipe2(out_pipe, O_CLOEXEC) != 0) {
    ::close(in_pipe[0]), ::close(in_pipe[1]);
    return nullptr;
  }
  if (::pipe2(err_pipe, O_CLOEXEC) != 0) {
    ::close(in_pipe[0]), ::close(in_pipe[1]), ::close(out_pipe[0]), ::close(out_pipe[1]);
    return nullptr;
  }
  if (::pipe2(status_pipe, O_CLOEXEC) != 0) {
    for (int fd : {in_pipe[0], in_pipe[1], out_pipe[0], out_pipe[1], err_pipe[0], err_pipe[1]}) ::close(fd);
    return nullptr;
  }

  pid_t pid = ::fork();
  if (pid == 0) {
    // Child: only async-signal-safe calls from here on.
    ::setpgid(0, 0);
    ::dup2(in_pipe[0], 0);
    ::dup2(out_pipe[1], 1);
    ::dup2(err_pipe[1], 2);
    ::signal(SIGPIPE, SIG_DFL);
    sigset_t none;
    ::sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::execv(path.c_str(), argv.data());
    int err = errno;
    ssize_t ignored = ::write(status_pipe[1], &err, sizeof err);
    (void)ignored;
    ::_exit(127);
  }

  ::close(in_pipe[0]);
  ::close(in_pipe[1]);  // the tool reads an empty input
  ::close(out_pipe[1]);
  ::close(err_pipe[1]);
  ::close(status_pipe[1]);
  if (pid < 0) {
    ::close(out_pipe[0]), ::close(err_pipe[0]), ::close(status_pipe[0]);
    return nullptr;
  }
  ::setpgid(pid, pid);  // also here, so a quick Terminate finds the group

  int exec_error = 0;
  ssize_t got;
  do {
    got = ::read(status_pipe[0], &exec_error, sizeof exec_error);
  } while (got < 0 && errno == EINTR);
  ::close(status_pipe[0]);
  if (got > 0) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    ::close(out_pipe[0]), ::close(err_pipe[0]);
    return nullptr;
  }
  ::fcntl(out_pipe[0], F_SETFL, ::fcntl(out_pipe[0], F_GETFL) | O_NONBLOCK);
  ::fcntl(err_pipe[0], F_SETFL, ::fcntl(err_pipe[0], F_GETFL) | O_NONBLOCK);
  return std::make_unique<PosixProcess>(pid, out_pipe[0], err_pipe[0]);
}

}  // namespace corvane::runtime
