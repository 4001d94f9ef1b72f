// A small console program that the Windows process tests start: it prints,
// waits, fails or starts a child of its own as the first argument says.
//
//   console_tool args A B ...     each argument as "[A]" on a line of its own
//   console_tool crlf A B ...     each argument on a line ended by CR LF
//   console_tool stderr TEXT      TEXT on the error stream only
//   console_tool flood N          N bytes on the error stream, then "finished"
//   console_tool input            reads its input to the end, then "done"
//   console_tool exit N           ends with the exit code N
//   console_tool wait [FILE]      writes its process id to FILE, prints
//                                 "started", then waits until it is killed
//   console_tool spawn FILE       starts "console_tool wait", writes its
//                                 process id to FILE, then waits as well
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void Out(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

void WriteProcessId(const char* file, DWORD pid) {
  if (std::FILE* f = std::fopen(file, "w")) {
    std::fprintf(f, "%lu", static_cast<unsigned long>(pid));
    std::fclose(f);
  }
}

[[noreturn]] void WaitForever() {
  for (;;) ::Sleep(1000);
}

int Spawn(const char* pid_file) {
  wchar_t self[MAX_PATH];
  ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring line = L"\"" + std::wstring(self) + L"\" wait";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                        &info)) {
    return 2;
  }
  WriteProcessId(pid_file, info.dwProcessId);
  Out("started\n");
  WaitForever();
}

}  // namespace

int main(int argc, char** argv) {
  // Line ends exactly as written: the tests tell LF and CR LF apart.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "args") {
    for (int i = 2; i < argc; ++i) Out(std::string("[") + argv[i] + "]\n");
    return 0;
  }
  if (mode == "crlf") {
    for (int i = 2; i < argc; ++i) Out(std::string(argv[i]) + "\r\n");
    return 0;
  }
  if (mode == "stderr" && argc > 2) {
    std::fputs(argv[2], stderr);
    return 0;
  }
  if (mode == "flood" && argc > 2) {
    std::string chunk(4096, 'x');
    for (long left = std::atol(argv[2]); left > 0; left -= static_cast<long>(chunk.size())) {
      std::fwrite(chunk.data(), 1, std::min<std::size_t>(chunk.size(), static_cast<std::size_t>(left)), stderr);
    }
    Out("finished\n");
    return 0;
  }
  if (mode == "input") {
    while (std::fgetc(stdin) != EOF) {
    }
    Out("done\n");
    return 0;
  }
  if (mode == "exit" && argc > 2) return std::atoi(argv[2]);
  if (mode == "wait") {
    if (argc > 2) WriteProcessId(argv[2], ::GetCurrentProcessId());
    Out("started\n");
    WaitForever();
  }
  if (mode == "spawn" && argc > 2) return Spawn(argv[2]);
  std::fputs("console_tool: unknown mode\n", stderr);
  return 64;
}
