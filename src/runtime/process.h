// External programs started with their standard streams on pipes.
//
// A command line is one text written the Windows way (see command_line.h).
// A program named without a folder is looked for in the executable's folder,
// the program folder, the current folder and then every PATH element; with a
// folder, relative to the current folder.  Either way `\` counts as a
// separator, letter case is ignored, and "name" and "name.exe" stand for one
// another.  An unquoted program path with blanks in it is tried piece by
// piece ("C:\Program Files\x\tool a" tries "C:\Program", then
// "C:\Program Files\x\tool", ...), as Windows does.
//
// The tool gets an empty standard input (end of file at once), runs in the
// current folder in a process group of its own, and its standard error is
// drained and kept (up to 64 KiB) so that a chatty tool never blocks on a
// full pipe.  Nothing here waits for a tool unless asked to.
#pragma once

#include <functional>
#include <memory>
#include <string>

namespace corvane::runtime {

class Process {
 public:
  // Destroying a tool that still runs terminates it with its process group
  // and collects it, so no zombie is left behind.
  virtual ~Process() = default;

  // Reads up to size bytes that the output pipe holds now, never waiting.
  // Answers the count read (> 0), 0 when nothing is waiting yet, -1 once the
  // pipe has reached its end (every writer has closed it).
  virtual long long ReadOutput(char* buffer, std::size_t size) = 0;
  // Waits up to ms milliseconds for output (or for the pipe's end); returns
  // early when there is something to read.
  virtual void WaitForOutput(int ms) = 0;
  // True while the tool has not ended.  Collects an ended tool.
  virtual bool Running() = 0;
  // Waits up to ms milliseconds for the tool to end; true when it has ended.
  virtual bool WaitForExit(int ms) = 0;
  // Kills the tool and every process of its group.  It has ended once
  // Running() answers false (usually at once).
  virtual void Terminate() = 0;
  // The exit status once ended; -1 while running or when killed by a signal.
  virtual int ExitCode() = 0;
  // What the tool wrote to its standard error so far (first 64 KiB).
  virtual std::string ErrorOutput() = 0;
};

// Starts the command line.  Null when the line is blank, the program cannot
// be found, or it cannot be started.
std::unique_ptr<Process> StartProcess(const std::string& command_line);
// What StartProcess does on this system, whatever starter is set.
std::unique_ptr<Process> StartSystemProcess(const std::string& command_line);

// Tests put a starter of scripted processes in place of the system's; an
// empty one restores it.
using ProcessStarter = std::function<std::unique_ptr<Process>(const std::string& command_line)>;
void SetProcessStarter(ProcessStarter starter);

// The file that the program part of a command line names, found as the
// header says; empty when there is none.  candidate is the program text as
// written (without quotes).
std::string FindProgram(const std::string& candidate);

// A tool's output bytes as program text.  Tools on this system write UTF-8,
// so the bytes are the text; a Windows build turns its code page into UTF-8.
std::string ToolTextToUtf8(const std::string& bytes);

}  // namespace corvane::runtime
