// Archives made at test time by other ZIP writers (Info-ZIP zip, also with
// forced zip64, Python's zipfile, bsdtar, 7-Zip) unpack to the tree that
// unzip makes of them.  The tools are installed by the project's setup; a
// missing tool fails the test rather than letting it pass unseen.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>

#include "install/extract_zip.h"
#include "install/install_test_fixture.h"
#include "support/zip_builder.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;
using ExtractToolsTest = InScratchFolder;

bool Shell(const std::string& command) { return std::system(command.c_str()) == 0; }

// Relative path -> bytes of every file of some size below root.
std::map<std::string, std::string> Tree(const std::string& root) {
  std::map<std::string, std::string> tree;
  for (const auto& e : fs::recursive_directory_iterator(root))
    if (e.is_regular_file() && e.file_size() > 0)
      tree[fs::relative(e.path(), root).generic_string()] = testing::ReadBytes(e.path().string());
  return tree;
}

constexpr char kPythonWriter[] = R"(
import os, sys, zipfile
source, target, mode = sys.argv[1], sys.argv[2], sys.argv[3]
with zipfile.ZipFile(target, 'w') as z:
    for folder, _, files in os.walk(source):
        for name in sorted(files):
            path = os.path.join(folder, name)
            stored = name.endswith('.dat')
            info = zipfile.ZipInfo(os.path.relpath(path, source))
            info.compress_type = zipfile.ZIP_STORED if stored else zipfile.ZIP_DEFLATED
            with open(path, 'rb') as f, z.open(info, 'w', force_zip64=(mode == 'zip64')) as out:
                out.write(f.read())
)";

TEST_F(ExtractToolsTest, ArchivesOfOtherToolsUnpackAsUnzipUnpacksThem) {
  for (const char* tool : {"zip", "unzip", "python3", "bsdtar", "7z"})
    ASSERT_TRUE(Shell(std::string("command -v ") + tool + " >/dev/null")) << tool << " is not installed";
  std::string noise;
  for (int i = 0; i < 300000; ++i) noise += static_cast<char>((i * 7919 + i / 13) & 0xFF);
  dir.Write("src/readme.txt", "hello\r\nworld\r\n");
  dir.Write("src/bin/tool.dat", noise);
  dir.Write("src/docs/deep/a b.txt", std::string(100000, 'z'));
  dir.Write("src/docs/\xc3\xbc" "n\xc3\xaf" "code.txt", "utf-8 name");
  dir.Write("src/empty.txt", "");
  dir.Write("writer.py", kPythonWriter);
  fs::create_directories(dir / "unzip");
  const std::map<std::string, std::string> archives = {
      {"zip", "cd src && zip -q -r ../zip.zip ."},
      {"zip64", "cd src && zip -q -r -fz ../zip64.zip ."},
      {"zip64stored", "cd src && zip -q -r -fz -0 ../zip64stored.zip ."},
      {"python", "python3 writer.py src python.zip plain"},
      {"python64", "python3 writer.py src python64.zip zip64"},
      {"bsdtar", "cd src && bsdtar --format zip -cf ../bsdtar.zip ."},
      {"sevenzip", "cd src && 7z a -tzip -bd ../sevenzip.zip . >/dev/null"},
  };
  const auto source = Tree(dir / "src");
  ASSERT_EQ(source.size(), 4u);
  for (const auto& [name, command] : archives) {
    ASSERT_TRUE(Shell("cd '" + dir.path() + "' && " + command)) << command;
    ASSERT_TRUE(Shell("unzip -q -o '" + (dir / name) + ".zip' -d '" + (dir / ("unzip/" + name)) + "'")) << name;
    EXPECT_EQ(ExtractZip(name + ".zip", dir / ("ours/" + name), "", 0, ""), 1) << name;
    const auto ours = Tree(dir / ("ours/" + name));
    EXPECT_EQ(ours, Tree(dir / ("unzip/" + name))) << name;
    EXPECT_EQ(ours, source) << name;
  }
  EXPECT_FALSE(LogMentions("Extract failed") || LogMentions("refused"));
}

// The work for one entry grows with the depth of its path, not with its
// square or cube: counted in calls to the system, not timed.
TEST_F(ExtractToolsTest, ADeepPathCostsWorkInProportionToItsDepth) {
  auto calls = [&](int depth) {
    std::string name;
    for (int i = 0; i < depth; ++i) name += i % 2 ? "Dir/" : "d/";
    name += "f.txt";
    const std::string archive = "deep" + std::to_string(depth) + ".zip";
    EXPECT_TRUE(testing::WriteZip(dir / archive, {{name, "x"}}));
    const std::uint64_t before = runtime::SystemCallCount();
    EXPECT_EQ(ExtractZip(archive, dir / "T", "", 1, ""), 1);
    const std::uint64_t spent = runtime::SystemCallCount() - before;
    EXPECT_EQ(dir.Read("T/" + archive.substr(0, archive.size() - 4) + "/" + name), "x") << depth;
    return spent;
  };
  const std::uint64_t shallow = calls(150), deep = calls(300);
  EXPECT_LT(deep, shallow * 5 / 2) << shallow << " calls at depth 150, " << deep << " at 300";
}

// New files cost a few calls each, however many share a folder: a name
// looked up with case ignored before it exists lists its folder once per
// archive, not once per name.
TEST_F(ExtractToolsTest, ManyNewFilesInOneFolderCostFewCallsEach) {
  std::vector<testing::ZipItem> items;
  for (int i = 0; i < 400; ++i) items.push_back({(i % 4 ? "big/" : "small/") + std::to_string(i) + ".txt", "x"});
  ASSERT_TRUE(testing::WriteZip(dir / "many.zip", items));
  const std::uint64_t before = runtime::SystemCallCount();
  EXPECT_EQ(ExtractZip("many.zip", dir / "T", "", 1, ""), 1);
  const std::uint64_t spent = runtime::SystemCallCount() - before;
  EXPECT_EQ(dir.Read("T/many/big/399.txt"), "x");
  EXPECT_LT(spent, 400u * 8) << spent << " calls for 400 entries";
}

}  // namespace
}  // namespace corvane
