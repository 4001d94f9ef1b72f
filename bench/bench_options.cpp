#include "bench_options.h"

#include <cstdlib>
#include <iostream>

namespace corvane::bench {

bool BenchOptions::Parse(int argc, char** argv, std::string* error) {
  for (int i = 1; i < argc; i += 2) {
    std::string name = argv[i];
    if (name.rfind("--", 0) != 0 || name.size() < 3) {
      *error = "unexpected argument <" + name + ">";
      return false;
    }
    if (i + 1 >= argc) {
      *error = name + " needs a value";
      return false;
    }
    values_[name.substr(2)] = argv[i + 1];
  }
  return true;
}

std::string BenchOptions::Text(const std::string& name, const std::string& fallback) const {
  auto it = values_.find(name);
  return it == values_.end() ? fallback : it->second;
}

long long BenchOptions::Number(const std::string& name, long long fallback, long long minimum) const {
  auto it = values_.find(name);
  if (it == values_.end() || it->second.empty()) return fallback;
  char* end = nullptr;
  long long value = std::strtoll(it->second.c_str(), &end, 10);
  if (*end != '\0' || value < minimum) return fallback;
  return value;
}

int BenchMain(int argc, char** argv, const char* program, int (*run)(const BenchOptions&)) {
  BenchOptions options;
  std::string error;
  if (!options.Parse(argc, argv, &error)) {
    std::cerr << program << ": " << error << "\n";
    return 2;
  }
  return run(options);
}

}  // namespace corvane::bench
