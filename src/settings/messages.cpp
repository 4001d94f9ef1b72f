#include "settings/messages.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "log/activity_log.h"
#include "runtime/file_system.h"
#include "runtime/text.h"

namespace corvane {

std::vector<std::string> messages(kMessageCount);
std::vector<std::string> languageList;

namespace {

const char kSeparator[] = "::";

// The message number before "::": leading blanks, an optional sign, then
// digits; -1 for anything that cannot be a place in the table.  Parsed here
// rather than with a general integer reader so that a huge number can never
// wrap round into 0..99.
long long MessageNumber(const std::string& head) {
  std::size_t i = 0;
  while (i < head.size() && (head[i] == ' ' || head[i] == '\t')) ++i;
  bool negative = false;
  if (i < head.size() && (head[i] == '+' || head[i] == '-')) negative = head[i++] == '-';
  long long number = 0;
  for (; i < head.size() && head[i] >= '0' && head[i] <= '9'; ++i) {
    number = number * 10 + (head[i] - '0');
    if (number >= kMessageCount) return -1;
  }
  return negative && number != 0 ? -1 : number;
}

// Stores one language-file line.  A line without "::" counts as number 0
// (unused) with its first character dropped, as the format always did.
void StoreMessageLine(const std::string& raw) {
  std::size_t separator = raw.find(kSeparator);
  long long number = separator == std::string::npos ? 0 : MessageNumber(raw.substr(0, separator));
  if (number < 0) return;  // outside the table: changes nothing

  // "<br>" holds no ':' so the replacement cannot move the first "::".
  const std::string line = runtime::ReplaceAll(raw, "<br>", "\n");
  separator = line.find(kSeparator);
  std::string text;
  if (separator != std::string::npos) {
    text = line.substr(separator + 2);
  } else if (!line.empty()) {
    text = runtime::CharSubstr(line, 1);
  }
  messages[static_cast<std::size_t>(number)] = text;
}

}  // namespace

void LoadLocale() {
  LogLine("Load Locale...");
  if (messages.size() != kMessageCount) messages.resize(kMessageCount);
  std::optional<std::string> bytes = runtime::Fs().ReadFile("lang/" + LANGUAGE + ".lang");
  if (bytes) {
    for (const std::string& line : runtime::ReadLines(*bytes)) StoreMessageLine(line);
  }
  LogLine("Locale - OK");
}

std::vector<std::string> ListFiles(const std::string& folder, const std::string& extension) {
  if (runtime::Fs().Kind(folder) == runtime::kNone) runtime::Fs().CreateFolder(folder);
  std::vector<std::string> entries;
  std::optional<std::vector<std::string>> names = runtime::Fs().ListFolder(folder);
  if (!names) return entries;
  const std::string wanted = runtime::ToUpper(extension);
  for (const std::string& name : *names) {
    const std::string upper = runtime::ToUpper(name);
    std::size_t at = upper.find(wanted);
    if (at != std::string::npos) entries.push_back(upper.substr(0, at));
  }
  // std::string compares bytes as unsigned, which for UTF-8 is code-point order.
  std::sort(entries.begin(), entries.end());
  return entries;
}

void ResetMessages() {
  messages.assign(kMessageCount, std::string());
  languageList.clear();
}

}  // namespace corvane
