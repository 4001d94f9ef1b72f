// The registry store's file reader on arbitrary bytes.  Every key and value
// that can be reached is read; then one value is written, which saves the
// whole store.  Checked: a damaged file is reported and kept aside with its
// exact bytes before anything replaces it; the file written afterwards reads
// back without a complaint, holds the new value, and holds everything that
// was readable before, unchanged.
#include <cstdint>
#include <string>
#include <vector>

#include "runtime/registry_store.h"
#include "runtime/text.h"
#include "support/fuzz_check.h"
#include "support/fuzz_environment.h"

using namespace corvane;
using runtime::RegHandle;
using runtime::RegistryStore;
using runtime::RegValue;

namespace {

const std::string kFile = "/mem/reg/registry.txt";
const std::string kProbeKey = "zz-fuzz-probe";
constexpr RegHandle kRoots[] = {runtime::kHkeyClassesRoot, runtime::kHkeyCurrentUser, runtime::kHkeyLocalMachine,
                                runtime::kHkeyUsers};

// Everything readable below key, one line per key and value, in
// enumeration order, up to a budget of calls: each call reads the whole
// file again, and the first few hundred entries say as much as all of them.
// The probe key comes last in its root, so the budget cuts both dumps alike.
void Dump(RegistryStore& store, RegHandle key, const std::string& path, int depth, int* budget, std::string* out) {
  for (std::uint32_t i = 0; *budget > 0; ++i, --*budget) {
    std::string name;
    RegValue value;
    if (!store.EnumValue(key, i, &name, &value)) break;
    *out += path + " : " + name + " = " + std::to_string(value.type) + ":" + value.data + "\n";
  }
  for (std::uint32_t i = 0; *budget > 0 && depth < 600; ++i, --*budget) {
    std::string name;
    if (!store.EnumKey(key, i, &name)) break;
    if (depth == 0 && key == runtime::kHkeyUsers && runtime::EqualsIgnoreCase(name, kProbeKey)) continue;
    RegHandle child = 0;
    FUZZ_CHECK(store.OpenKey(key, name, &child));
    *out += path + "\\" + name + "\n";
    Dump(store, child, path + "\\" + name, depth + 1, budget, out);
    FUZZ_CHECK(store.CloseKey(child));
  }
}

std::string DumpAll(RegistryStore& store) {
  std::string out;
  int budget = 150;
  for (RegHandle root : kRoots) Dump(store, root, runtime::RootName(root), 0, &budget, &out);
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::FuzzRun run;
  fuzz::MemoryFileSystem& fs = fuzz::FuzzFs();
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  fs.Put(kFile, bytes);

  std::vector<std::string> problems;
  RegistryStore store([] { return kFile; });
  store.SetProblemSink([&problems](const std::string& p) { problems.push_back(p); });
  const std::string before = DumpAll(store);
  const bool damaged = !problems.empty();

  RegHandle key = 0;
  const RegValue probe = runtime::MakeTextValue(runtime::kRegSz, "written by the fuzzer");
  FUZZ_CHECK(store.CreateKey(runtime::kHkeyUsers, kProbeKey, &key));
  FUZZ_CHECK(store.SetValue(key, "value", probe));
  // Writing the same again must give the same file: what was written reads
  // back as exactly what it was.
  const std::string written = *fs.Get(kFile);
  FUZZ_CHECK(store.SetValue(key, "value", probe));
  FUZZ_CHECK(*fs.Get(kFile) == written);
  FUZZ_CHECK(store.CloseKey(key));
  FUZZ_CHECK(store.OpenHandles() == 0);
  if (damaged) {
    const std::string* aside = fs.Get(kFile + ".damaged");
    FUZZ_CHECK(aside && *aside == bytes);
  }

  std::vector<std::string> later_problems;
  RegistryStore again([] { return kFile; });
  again.SetProblemSink([&later_problems](const std::string& p) { later_problems.push_back(p); });
  RegValue read;
  FUZZ_CHECK(again.OpenKey(runtime::kHkeyUsers, kProbeKey, &key));
  FUZZ_CHECK(again.QueryValue(key, "value", &read) && read == probe);
  again.CloseKey(key);
  FUZZ_CHECK(later_problems.empty());
  FUZZ_CHECK(DumpAll(again) == before);
  return 0;
}
