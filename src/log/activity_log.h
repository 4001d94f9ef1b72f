// The activity log: one time-stamped line per step of the program, in a
// plain 8-bit text file the user can send when something went wrong.  Every
// line is also echoed (without its time) to the standard output.
//
// The file is reopened, appended to and closed for every line, so nothing is
// held open and a crash loses at most the line being written.  Logging before
// OpenLog (or after DisableLog) is dropped silently, the echo included.
// None of these operations reports failure: a log that cannot be written
// costs only its lines in the file.
#pragma once

#include <iosfwd>
#include <string>

namespace corvane {

// The path of the log file, set by OpenLog.
extern std::string logFileName;
// 1 while lines are written, 0 before OpenLog and after DisableLog.
extern int logEnabled;

// Creates the log file anew (an existing one is emptied) and writes the
// opening block.  An empty name means "dati/" + today's date ("%d %b %Y",
// C locale) + "_log.txt"; the folder "dati" is created for it.
void OpenLog(const std::string& name = "");

// Like OpenLog, but keeps what the file holds and appends to it: a second
// front-end running on the same day must not empty the day's log.
void AppendToLog(const std::string& name = "");

// Where LogLine echoes its lines: standard output until changed; null
// echoes nowhere (the command line keeps its output for the user).
void SetLogEcho(std::ostream* stream);

// Appends "HH:MM:SS : " + text to the file and echoes text to the standard
// output.  The text "*-" stands for a rule of 78 dashes.
void LogLine(const std::string& text);

// Turns logging on and logs "Log: Enabled".
void EnableLog();
// Logs "Log: Disabled" and turns logging off.
void DisableLog();

// Writes the end-of-program block (memory figures and the closing time).
// Does nothing while logging is off.
void LogEndOfProgram();

// While one is alive, LogLine keeps its lines (file and echo) in memory and
// writes them in large blocks, at the latest when the outermost batch ends:
// a step that logs a line per record of a large catalogue would otherwise
// spend most of its time opening and closing the file.  A crash inside a
// batch loses the lines not yet written.  Batches nest.
class LogBatch {
 public:
  LogBatch();
  ~LogBatch();
  LogBatch(const LogBatch&) = delete;
  LogBatch& operator=(const LogBatch&) = delete;
};

// Back to the state before OpenLog (no file, logging off), for a program run
// that starts again inside the same process.
void ResetLog();

}  // namespace corvane
