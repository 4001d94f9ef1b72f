// Times the catalogue reader on large list files: writes catalogues of 1,000,
// 10,000 and 100,000 records (description files for half of them, message files
// for a tenth, names in shuffled order) and runs LoadProgramList nine times on
// each, the sizes taking turns, printing the median.  The activity log is
// written as in the program; its echo to the standard output is discarded
// while timing.
//
// Usage: corvane-bench-catalogue [work folder]   (default: a folder
// "corvane-bench-catalogue.tmp" in the current folder, removed afterwards)
#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <random>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include "catalogue/catalogue_names.h"
#include "catalogue/program_list_reader.h"
#include "catalogue/tprogram.h"
#include "log/activity_log.h"
#include "process_usage.h"
#include "runtime/file_system.h"
#include "runtime/text.h"
#include "settings/config.h"

namespace {

using corvane::runtime::Fs;

// Short loads on a shared machine: more runs than elsewhere steady the medians.
constexpr int kRuns = 9;

char Hex(int v) { return "0123456789abcdef"[v & 15]; }

std::string Id(int i) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "Prog%05d", i);
  return buffer;
}

// Writes a new file.  Plain streams: the program's file layer resolves every
// new name against the folder listing, which would make preparing thousands
// of files take longer than the measurement.
bool WriteNew(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  return static_cast<bool>(out.flush());
}

// Writes the list file and the per-program files of a catalogue of n records.
bool WriteCatalogue(int n) {
  std::mt19937 random(12345u + static_cast<unsigned>(n));
  std::vector<int> order(n);
  for (int i = 0; i < n; ++i) order[i] = i;
  std::shuffle(order.begin(), order.end(), random);

  std::vector<std::string> lines;
  for (int k = 0; k < n; ++k) {
    const int i = order[k];
    const std::string id = Id(i);
    std::string name = "Program ";
    for (int c = 0; c < 6; ++c) name += Hex(static_cast<int>(random()));
    lines.push_back("[" + id + "]");
    lines.push_back("NAME=" + name);
    lines.push_back("URL=http://mirror-a.example/files/" + id + ".zip|http://mirror-b.example/" + id +
                    ".zip");
    lines.push_back("DESC=A program for the toolchain, number " + std::to_string(i));
    lines.push_back("WEB=http://www.example.org/" + id);
    lines.push_back("AUTHOR=Author " + std::to_string(i % 97));
    lines.push_back("LICENSE=zlib");
    lines.push_back("PATH=\\lib\\" + id);
    lines.push_back("COPY=*.t|\\include");
    if (i % 10 == 0) lines.push_back("MESSAGE=" + corvane::runtime::ToLower(id) + ".msg.txt");
    lines.push_back("[/]");
    if (i % 2 == 0) {
      // Stored in lower case, looked up with the identifier as written.
      const std::string text = "Long description of " + id + ".\r\nSecond line.\r\n";
      if (!WriteNew("lang/" + corvane::runtime::ToLower(id) + ".english.txt", text)) return false;
    }
    if (i % 10 == 0 &&
        !WriteNew("lang/" + corvane::runtime::ToLower(id) + ".msg.txt", "Close the IDE.")) {
      return false;
    }
  }
  return WriteNew("data/" + corvane::ListFileName(), corvane::runtime::WriteLines(lines));
}

// One timed LoadProgramList after an untimed one, so that the timed load,
// like every reload, first releases a list of its own size.  Wall and
// processor time (user + system: on a loaded machine wall times say more
// about the other work than about the load) in milliseconds; false when the
// load did not give the expected number of records.
bool TimeOneLoad(int expected_records, double* wall_ms, double* processor_ms) {
  corvane::LoadProgramList();
  const std::clock_t cpu_start = std::clock();
  const auto start = std::chrono::steady_clock::now();
  corvane::LoadProgramList();
  const auto stop = std::chrono::steady_clock::now();
  *processor_ms = 1000.0 * static_cast<double>(std::clock() - cpu_start) / CLOCKS_PER_SEC;
  *wall_ms = std::chrono::duration<double, std::milli>(stop - start).count();
  if (static_cast<int>(corvane::programList.size()) == expected_records) return true;
  std::cerr << "error: loaded " << corvane::programList.size() << " records, expected " << expected_records << "\n";
  return false;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Takes the log's echo and keeps nothing: the program echoes to a terminal,
// not into a text that grows with every line.
class DiscardingBuffer : public std::streambuf {
 protected:
  int overflow(int c) override { return traits_type::not_eof(c); }
  std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

}  // namespace

int main(int argc, char** argv) {
  const std::string start = Fs().CurrentFolder();
  const std::string work = argc > 1 ? std::string(argv[1]) : start + "/corvane-bench-catalogue.tmp";
  const bool own_folder = argc <= 1;
  int status = 0;

  corvane::platformWin32 = 1;
  corvane::LANGUAGE = "ENGLISH";
  std::ostringstream report;
  std::streambuf* real_out = std::cout.rdbuf();
  DiscardingBuffer discarded;

  const int sizes[] = {1000, 10000, 100000};
  auto folder_of = [&work](int n) { return work + "/n" + std::to_string(n); };
  for (int n : sizes) {
    const std::string folder = folder_of(n);
    Fs().DeleteFolder(folder);
    if (!Fs().CreateFolderWithParents(folder + "/lang") || !Fs().CreateFolder(folder + "/data") ||
        !Fs().ChangeFolder(folder) || !WriteCatalogue(n)) {
      std::cerr << "error: cannot prepare the catalogue in " << folder << "\n";
      status = 1;
      break;
    }
    Fs().ChangeFolder(start);
  }
  corvane::bench::FlushWrittenFiles();

  // The sizes take turns within each run, so that a slower spell of the
  // machine weighs on all of them rather than on one.
  struct Times {
    std::vector<double> with_log, processor, without_log;
  } times[std::size(sizes)];
  for (int run = 0; run < kRuns && status == 0; ++run) {
    for (std::size_t i = 0; i < std::size(sizes) && status == 0; ++i) {
      const int n = sizes[i];
      double wall = 0, processor = 0, wall_without = 0, unused = 0;
      Fs().ChangeFolder(folder_of(n));
      corvane::OpenLog(folder_of(n) + "/bench_log.txt");
      std::cout.rdbuf(&discarded);
      bool ok = TimeOneLoad(n, &wall, &processor);
      corvane::DisableLog();
      ok = ok && TimeOneLoad(n, &wall_without, &unused);
      std::cout.rdbuf(real_out);
      corvane::ResetLog();
      Fs().ChangeFolder(start);
      if (!ok) status = 1;
      times[i].with_log.push_back(wall);
      times[i].processor.push_back(processor);
      times[i].without_log.push_back(wall_without);
    }
  }
  corvane::tprogram::ClearAll();
  for (std::size_t i = 0; i < std::size(sizes) && status == 0; ++i) {
    char line[240];
    std::snprintf(line, sizeof line,
                  "catalogue load: %6d records: median %9.2f ms with the log, %9.2f ms without "
                  "(%d runs); processor %9.2f ms with the log\n",
                  sizes[i], Median(times[i].with_log), Median(times[i].without_log), kRuns,
                  Median(times[i].processor));
    report << line;
  }
  std::cout.rdbuf(real_out);
  Fs().ChangeFolder(start);
  if (own_folder) Fs().DeleteFolder(work);
  std::cout << report.str();
  return status;
}
