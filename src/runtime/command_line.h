// Command lines written the Windows way: one text, blanks separate the
// arguments, double quotes group them, no shell and no wildcards.  The
// program's callers compose such texts ("reg.exe add \"HKLM\\...\" /f"), and
// on systems that start programs from an argument list they are split here
// by the rules Windows programs apply to their own command line.
#pragma once

#include <string>
#include <vector>

namespace corvane::runtime {

// The program part of a command line: the text up to the first blank, or,
// when the line starts with a double quote, the text up to the next double
// quote (backslashes are taken literally here, as Windows does for the
// program name).  *rest receives what follows (leading blanks kept out).
// quoted tells whether the program part was in quotes.
struct ProgramPart {
  std::string program;
  std::string rest;
  bool quoted = false;
};
ProgramPart SplitProgramPart(const std::string& command_line);

// The arguments of the text after the program part, by the C runtime's
// rules: blanks and tabs separate outside quotes; '"' opens and closes a
// quoted part; 2n backslashes before '"' give n backslashes and a quote
// toggle, 2n+1 give n backslashes and a literal '"'; other backslashes are
// literal; "" inside a quoted part gives a literal '"'.
std::vector<std::string> SplitArguments(const std::string& text);

// The whole line as an argument list (program first).  Empty for a blank line.
std::vector<std::string> SplitCommandLine(const std::string& command_line);

// One argument written so that SplitArguments gives it back unchanged:
// always in double quotes; an embedded '"' is escaped and the backslashes
// before it, or before the closing quote, are doubled.  For a text with no
// '"' and no trailing backslash this is just Q + text + Q.
std::string QuoteArgument(const std::string& argument);

}  // namespace corvane::runtime
