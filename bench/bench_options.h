// The command line of a bench program: "--name value" pairs.
#pragma once

#include <map>
#include <string>

namespace corvane::bench {

class BenchOptions {
 public:
  // False with a message when an argument is not "--name" followed by a value.
  bool Parse(int argc, char** argv, std::string* error);
  // The value given, or fallback.
  std::string Text(const std::string& name, const std::string& fallback = "") const;
  // The value as a whole number of at least minimum, or fallback when it is
  // missing or not such a number.
  long long Number(const std::string& name, long long fallback, long long minimum = 1) const;

 private:
  std::map<std::string, std::string> values_;
};

// The main() of a bench program: its options parsed (exit 2 with a message
// naming the program when they cannot be), then run's result.
int BenchMain(int argc, char** argv, const char* program, int (*run)(const BenchOptions&));

}  // namespace corvane::bench
