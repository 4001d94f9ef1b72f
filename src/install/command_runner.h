// Running external tools from the GUI thread, and the Install page's output.
//
// RunCommand starts a tool (a RAR extractor, an installer, `reg`, a compiler)
// and collects what it prints while keeping the window alive: it polls the
// tool, never blocks on it, and stops it when the user presses the Install
// page's STOP button.
#pragma once

#include <string>

namespace corvane {

// The text returned instead of the output when the user stopped the tool.
inline constexpr const char* kCommandStopped = "BREAK";

// Logs "Cmd: <command_line>", runs the command line (Windows rules, see
// runtime/command_line.h) in the current folder and returns the lines of its
// standard output, each without its line end, joined with nothing between
// them.  Standard error is not part of the result.  A line longer than 4096
// bytes comes in 4096-byte pieces; a last line without a line end counts.
//
// While the tool runs, waiting GUI events are taken off the queue (they are
// not dispatched).  When the event most recently taken off the queue, here
// or anywhere else, is a click of the STOP button (installStopButton), the
// tool is killed, "Process blocked by user..." is logged and the result is
// exactly "BREAK"; a click still current when a command starts stops it
// before it is started.
//
// Empty text when the tool cannot be started (the same as a tool that
// printed nothing).
std::string RunCommand(const std::string& command_line);

// Appends text and a line end to the Install page's output area
// (installOutput); does nothing while there is none.
void AddOutputLine(const std::string& text);

// 1 when some element of PATH contains text, letter case ignored, else 0.
// PATH elements are separated by ';' on Windows and ':' elsewhere; an empty
// text is found in any PATH with at least one element.
int FoundInPath(const std::string& text);

}  // namespace corvane
