#include "runtime/command_line.h"

namespace corvane::runtime {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::size_t SkipBlanks(const std::string& text, std::size_t i) {
  while (i < text.size() && IsBlank(text[i])) ++i;
  return i;
}

}  // namespace

ProgramPart SplitProgramPart(const std::string& command_line) {
  ProgramPart part;
  std::size_t i = SkipBlanks(command_line, 0);
  if (i < command_line.size() && command_line[i] == '"') {
    std::size_t close = command_line.find('"', i + 1);
    part.quoted = true;
    if (close == std::string::npos) {
      part.program = command_line.substr(i + 1);
      return part;
    }
    part.program = command_line.substr(i + 1, close - i - 1);
    i = close + 1;
  } else {
    std::size_t end = i;
    while (end < command_line.size() && !IsBlank(command_line[end])) ++end;
    part.program = command_line.substr(i, end - i);
    i = end;
  }
  part.rest = command_line.substr(SkipBlanks(command_line, i));
  return part;
}

std::vector<std::string> SplitArguments(const std::string& text) {
  std::vector<std::string> args;
  std::size_t i = SkipBlanks(text, 0);
  while (i < text.size()) {
    std::string arg;
    bool in_quotes = false;
    while (i < text.size() && (in_quotes || !IsBlank(text[i]))) {
      char c = text[i];
      if (c == '\\') {
        std::size_t run = 0;
        while (i < text.size() && text[i] == '\\') ++run, ++i;
        if (i < text.size() && text[i] == '"') {
          arg.append(run / 2, '\\');
          if (run % 2 == 1) {
            arg += '"';
            ++i;
          }
          // an even run leaves the quote to toggle on the next pass
        } else {
          arg.append(run, '\\');
        }
        continue;
      }
      if (c == '"') {
        if (in_quotes && i + 1 < text.size() && text[i + 1] == '"') {
          arg += '"';
          i += 2;
          continue;
        }
        in_quotes = !in_quotes;
        ++i;
        continue;
      }
      arg += c;
      ++i;
    }
    args.push_back(arg);
    i = SkipBlanks(text, i);
  }
  return args;
}

std::vector<std::string> SplitCommandLine(const std::string& command_line) {
  ProgramPart part = SplitProgramPart(command_line);
  std::vector<std::string> args;
  if (part.program.empty() && !part.quoted) return args;
  args.push_back(part.program);
  for (std::string& a : SplitArguments(part.rest)) args.push_back(std::move(a));
  return args;
}

std::string QuoteArgument(const std::string& argument) {
  std::string out = "\"";
  std::size_t backslashes = 0;
  for (char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    if (c == '"') {
      out.append(backslashes * 2 + 1, '\\');
    } else {
      out.append(backslashes, '\\');
    }
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, '\\');
  out += '"';
  return out;
}

}  // namespace corvane::runtime
