// Installed state end to end over the real install engine: the record read
// back, all-or-nothing installs under a failure injected at every file
// system call in turn, a run cut off and rolled back at the next start,
// uninstall and verify, and every demo package installed and removed again.
#include "install/installed_state.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "catalogue/program_list_reader.h"
#include "install/install_engine.h"
#include "install/install_test_fixture.h"
#include "install/install_undo.h"
#include "install/package_scan.h"
#include "runtime/environment.h"
#include "settings/messages.h"
#include "support/rule_package.h"
#include "support/zip_builder.h"

namespace corvane {
namespace {

namespace fsys = std::filesystem;

std::string Bytes(const fsys::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// Every file (with its bytes) and folder below root.
std::map<std::string, std::string> Tree(const std::string& root) {
  std::map<std::string, std::string> tree;
  for (const auto& e : fsys::recursive_directory_iterator(root)) {
    const std::string rel = e.path().lexically_relative(root).generic_string();
    if (e.is_directory()) {
      tree[rel + "/"] = "";
    } else {
      tree[rel] = Bytes(e.path());
    }
  }
  return tree;
}

class Quiet : public InstallObserver {
 public:
  void InstallLine(const std::string& text) override { lines.push_back(text); }
  bool AcceptMessage(const tprogram&) override { return true; }
  bool StopWanted() override { return ++asked == stop_at; }
  void PackageUndone(const tprogram&, const std::vector<std::string>& left) override { undone += 1 + left.size(); }
  std::vector<std::string> lines;
  int asked = 0, stop_at = -1;
  std::size_t undone = 0;
};

// Fails the n-th call that changes something (any path), once.
class FailOnce : public runtime::FileSystemWrapper {
 public:
  FailOnce(runtime::FileSystem& t, int n) : FileSystemWrapper(t), n_(n) {}
  bool WriteFile(const std::string& p, const std::string& b) override { return Go() && t_.WriteFile(p, b); }
  bool AppendFile(const std::string& p, const std::string& b) override { return Go() && t_.AppendFile(p, b); }
  std::unique_ptr<runtime::WriteStream> OpenWrite(const std::string& p) override {
    return Go() ? t_.OpenWrite(p) : nullptr;
  }
  bool CreateFolder(const std::string& p) override { return Go() && t_.CreateFolder(p); }
  bool CreateFolderWithParents(const std::string& p) override { return Go() && t_.CreateFolderWithParents(p); }
  bool CreateExclusive(const std::string& p) override { return Go() && t_.CreateExclusive(p); }
  bool DeleteFile(const std::string& p) override { return Go() && t_.DeleteFile(p); }
  bool DeleteFolder(const std::string& p) override { return Go() && t_.DeleteFolder(p); }
  bool Rename(const std::string& f, const std::string& t) override { return Go() && t_.Rename(f, t); }
  bool fired() const { return calls_ >= n_; }

 private:
  bool Go() { return ++calls_ != n_; }
  int n_, calls_ = 0;
};

class InstalledStateTest : public InstallScratch {
 protected:
  void SetUp() override {
    InstallScratch::SetUp();
    messages[4] = "undone";
    messages[5] = "partly undone:";
    target = dir / "T";
    dir.Write("T/bin/tnc.exe", "compiler");
    dir.Write("T/pkg/mod/a.txt", "old a");
    dir.Write("T/old/obsolete.txt", "obsolete");
    dir.Write("T/old/deep/more.txt", "more");
    fsys::create_directories(dir / "T/old/empty");
    fsys::create_directories(dir / "data");
    ASSERT_TRUE(testing::WriteZip(dir / "download/pkg.zip", {{"mod/a.txt", "new a"},
                                                              {"mod/b.txt", "b"},
                                                              {"lib/sub/c.txt", "c"},
                                                              {"empty/", ""}}));
  }
  void TearDown() override {
    runtime::SetFs(nullptr);
    InstallScratch::TearDown();
  }
  ProgramPtr Package() { return testing::PackageWithEveryRule("/pkg/mod/a.txt"); }
  void Install(ProgramPtr r, InstallObserver& out) {
    InstallRequest request;
    request.records = {r};
    request.count = 1;
    request.target = target;
    RunInstall(request, out);
  }
  std::string target;
};

TEST_F(InstalledStateTest, RecordReadsBackAndDamageIsRefused) {
  InstalledRecord record{"/x/T", {}};
  InstalledPackage p;
  p.id = "PKG";
  p.name = "The package | with bars";
  p.packageFile = "pkg.zip";
  p.packageSize = 123;
  p.packageSha256 = std::string(64, 'a');
  p.date = "09 Dec 2026 05:10:00";
  p.installerRun = true;
  p.keep = "data/installed/k/1";
  p.folders = {"lib", "lib/sub"};
  p.written = {{"lib/sub/c|d.txt", 1, std::string(64, 'b')}};
  p.replaced = {{"mod/a.txt", "data/installed/k/1/1"}};
  p.deleted = {{"old/x", "data/installed/k/1/2"}};
  p.backups = {"bin/backup/tnc.exe"};
  p.removedFolders = {"old", "old/empty"};
  record.packages = {p, p};
  record.packages[1].id = "OTHER";
  const std::string text = FormatInstalledRecord(record);
  EXPECT_NE(text.find("\r\n[END]\r\n"), std::string::npos);
  InstalledRecord read;
  std::string error;
  ASSERT_TRUE(ParseInstalledRecord(text, read, error)) << error;
  EXPECT_EQ(FormatInstalledRecord(read), text);
  EXPECT_EQ(read.packages[0].written[0].path, "lib/sub/c|d.txt");

  // Each damage below would let uninstall reach outside its folders, or
  // loses the block's meaning: the whole file is refused.
  const std::pair<std::string, std::string> damages[] = {
      {"wrote=1|" + std::string(64, 'b') + "|lib/sub/c|d.txt", "wrote=1|" + std::string(64, 'b') + "|../etc/x"},
      {"folder=lib/sub", "folder=/lib"},
      {"removed=old/empty", "removed=old/../.."},
      {"replaced=data/installed/k/1/1|", "replaced=/etc/passwd|"},
      {"deleted=data/installed/k/1/2|old/x", "deleted=data/installed/k/1/2|old//x"},
      {"keep=data/installed/k/1", "keep=data/../.."},
      {"installer=1", "installer=yes"},
      {"id=OTHER", "id=pkg"},
      {"removed=old/empty\r\n[END]\r\n", "removed=old/empty\r\n"},
      {"date=", "when="},
      {"[TARGET]\r\npath=/x/T", "[TARGET]"},
  };
  for (const auto& [from, to] : damages) {
    std::string damaged = text;
    const std::size_t at = damaged.rfind(from);
    ASSERT_NE(at, std::string::npos) << from;
    damaged.replace(at, from.size(), to);
    EXPECT_FALSE(ParseInstalledRecord(damaged, read, error)) << to;
    EXPECT_TRUE(read.packages.empty());
  }

  // A damaged file is kept aside as it was and read as empty.
  const std::string path = InstalledRecordPath(target);
  dir.Write(path, "[TARGET]\r\ngarbage\r\n");
  EXPECT_TRUE(LoadInstalledRecord(target).packages.empty());
  EXPECT_EQ(dir.Read(path + ".damaged"), "[TARGET]\r\ngarbage\r\n");
  EXPECT_FALSE(dir.Exists(path));
}

TEST_F(InstalledStateTest, AFailureAtAnyCallLeavesTheFolderOldOrWhollyNew) {
  const auto before = Tree(target);
  fsys::copy(target, dir / "T0", fsys::copy_options::recursive);
  auto real = runtime::MakeRealFileSystem();
  int undone = 0, completed = 0;
  for (int n = 1;; ++n) {
    fsys::remove_all(target);
    fsys::remove_all(dir / "data/installed");
    fsys::copy(dir / "T0", target, fsys::copy_options::recursive);
    FailOnce failing(*real, n);
    runtime::SetFs(&failing);
    Quiet out;
    Install(Package(), out);
    runtime::SetFs(nullptr);
    // As the next start does (a failed clean-up may have left the journal).
    RecoverInterruptedInstall();
    const bool recorded = !ListInstalled(target).empty();
    if (!recorded) {
      undone += out.undone > 0;
      EXPECT_EQ(Tree(target), before) << "failing call " << n;
    } else {
      ++completed;
      EXPECT_EQ(out.undone, 0u) << n;
      EXPECT_TRUE(Verify(target, {}).findings.empty()) << n;
      EXPECT_TRUE(Uninstall(target, "PKG").Clean()) << n;
      EXPECT_EQ(Tree(target), before) << "after uninstall, failing call " << n;
    }
    EXPECT_FALSE(dir.Exists("data/install-undo.txt")) << n;
    if (!failing.fired()) break;
  }
  EXPECT_GT(undone, 20);
  EXPECT_GT(completed, 1);  // the last run, with no failure, and log writes
}

TEST_F(InstalledStateTest, StopBetweenTheFilesOfAnArchiveUndoesThePackage) {
  const auto before = Tree(target);
  Quiet out;
  out.stop_at = 3;
  Install(Package(), out);
  EXPECT_EQ(out.undone, 1u);
  EXPECT_EQ(Tree(target), before);
  EXPECT_TRUE(ListInstalled(target).empty());
}

TEST_F(InstalledStateTest, UninstallKeepsChangedFilesAndVerifyFindsThem) {
  const auto before = Tree(target);
  Quiet out;
  Install(Package(), out);
  ASSERT_EQ(ListInstalled(target).size(), 1u);
  EXPECT_EQ(ListInstalled(target)[0].replaced.size(), 1u);  // pkg/mod/a.txt
  EXPECT_EQ(ListInstalled(target)[0].deleted.size(), 2u);   // the old tree's files
  EXPECT_EQ(ListInstalled(target)[0].backups, std::vector<std::string>{"bin/backup/tnc.exe"});
  // Installed again: uninstall must still return to the state before the first.
  Install(Package(), out);
  ASSERT_EQ(ListInstalled(target).size(), 1u);

  dir.Write("T/pkg/mod/b.txt", "edited");
  fsys::remove(dir / "T/pkg/lib/sub/c.txt");
  VerifyResult v = Verify(target, {"pkg", "NOPE"});
  EXPECT_EQ(v.unknown, std::vector<std::string>{"NOPE"});
  ASSERT_EQ(v.findings.size(), 2u);
  EXPECT_EQ(v.findings[0].path + " " + v.findings[1].path, "pkg/mod/b.txt pkg/lib/sub/c.txt");
  EXPECT_EQ(v.findings[0].kind, VerifyFinding::kChanged);
  EXPECT_EQ(v.findings[1].kind, VerifyFinding::kMissing);

  UninstallResult u = Uninstall(target, "pkg");
  EXPECT_TRUE(u.found);
  EXPECT_EQ(u.changed, std::vector<std::string>{"pkg/mod/b.txt"});
  EXPECT_TRUE(u.problems.empty());
  auto after = Tree(target);
  EXPECT_EQ(after["pkg/mod/b.txt"], "edited");
  after.erase("pkg/mod/b.txt");
  EXPECT_EQ(after, before);
  EXPECT_TRUE(ListInstalled(target).empty());
  EXPECT_FALSE(Uninstall(target, "pkg").found);
  // No old copy is left behind, from either install.
  EXPECT_TRUE(fsys::is_empty(dir / InstalledKeepRoot(target)));
}

TEST_F(InstalledStateTest, ARunCutOffIsRolledBackAtTheNextStart) {
  const auto before = Tree(target);
  // As a run killed after these changes leaves it: the journal, the old
  // copies, the files half the package wrote.
  {
    InstallUndo undo;
    ASSERT_TRUE(undo.Begin(target));
    ASSERT_TRUE(undo.BeforeWrite(target + "/pkg/mod/a.txt"));
    dir.Write("T/pkg/mod/a.txt", "new a");
    ASSERT_TRUE(undo.BeforeWrite(target + "/new/deeper/n.txt"));
    dir.Write("T/new/deeper/n.txt", "n");
    ASSERT_TRUE(undo.BeforeDelete(target + "/old"));
    fsys::remove_all(dir / "T/old");
  }
  // A line cut short by the kill names no change that was made.
  std::ofstream(dir / "data/install-undo.txt", std::ios::app) << "new|" << target << "/mod";
  std::vector<std::string> log = RecoverInterruptedInstall();
  EXPECT_EQ(log.back(), "Interrupted install rolled back");
  EXPECT_EQ(Tree(target), before);
  EXPECT_FALSE(dir.Exists("data/install-undo.txt"));
  EXPECT_TRUE(RecoverInterruptedInstall().empty());

  // Cut off after its record was written: the install stands.
  Quiet out;
  Install(Package(), out);
  const auto installed = Tree(target);
  const std::string keep = ListInstalled(target)[0].keep;
  dir.Write("data/install-undo.txt", "begin|" + keep + "|" + RecordTarget(target) + "\r\nnew|" + target + "/pkg/mod/b.txt\r\n");
  RecoverInterruptedInstall();
  EXPECT_EQ(Tree(target), installed);
}

// Every demo package with its catalogue rules: installed, verified and
// removed again, the demo Tarnic folder ends as it began.
TEST_F(InstalledStateTest, EveryDemoPackageInstallsAndUninstallsCleanly) {
  const std::string demo = testing::SourceDir() + "/demo";
  fsys::remove_all(target);
  fsys::copy(demo + "/tarnic", target, fsys::copy_options::recursive);
  std::ifstream list(demo + "/catalogue/win32.app.english.txt.in", std::ios::binary);
  std::ostringstream bytes;
  bytes << list.rdbuf();
  programList.clear();
  ReadProgramList(runtime::ReplaceAll(bytes.str(), "@SERVER@", "http://server"));
  InstallRequest request;
  request.target = target;
  for (const ProgramPtr& r : programList) {
    const std::string file = PackageFileName(*r);
#ifdef _WIN32
    // The demo's installer is a shell script, which Windows cannot start.
    if (file == "epsilon-setup.exe") continue;
#endif
    const std::string source = demo + "/packages/" + file.substr(0, file.rfind('.'));
    if (fsys::is_directory(source)) {
      std::vector<testing::ZipItem> items;
      for (const auto& e : fsys::recursive_directory_iterator(source))
        if (e.is_regular_file())
          items.push_back({e.path().lexically_relative(source).generic_string(), Bytes(e.path())});
      ASSERT_TRUE(testing::WriteZip(dir / ("download/" + file), items));
    } else {
      fsys::copy_file(demo + "/packages/" + file, dir / ("download/" + file), fsys::copy_options::overwrite_existing);
    }
    request.records.push_back(r);
  }
  ASSERT_GE(request.records.size(), 8u);
  request.count = static_cast<int>(request.records.size());
  const auto before = Tree(target);
  Quiet out;
  RunInstall(request, out);
  EXPECT_EQ(out.undone, 0u);
  EXPECT_NE(Tree(target), before);
  std::vector<InstalledPackage> installed = ListInstalled(target);
  ASSERT_EQ(installed.size(), request.records.size());
  VerifyResult v = Verify(target, {});
  EXPECT_TRUE(v.findings.empty());
  EXPECT_GT(v.checked, 8);
  for (auto it = installed.rbegin(); it != installed.rend(); ++it) {
    UninstallResult u = Uninstall(target, it->id);
    EXPECT_TRUE(u.Clean()) << it->id;
    EXPECT_EQ(u.installerRun, it->id == "EPSILON");
  }
  EXPECT_EQ(Tree(target), before);
  EXPECT_TRUE(ListInstalled(target).empty());
  programList.clear();
}

}  // namespace
}  // namespace corvane
