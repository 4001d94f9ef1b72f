#include "runtime/files_read_ahead.h"

#include <gtest/gtest.h>

#include <future>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace corvane::runtime {
namespace {

// The real file system, counting the reads of each path; readable from any
// thread like the real one.
class CountingFs : public FileSystemWrapper {
 public:
  CountingFs() : FileSystemWrapper(Fs()) {}
  std::optional<std::string> ReadFile(const std::string& p) override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      ++reads_[p];
    }
    return FileSystemWrapper::ReadFile(p);
  }
  bool ReadsFromAnyThread() const override { return true; }
  int Reads(const std::string& p) {
    std::lock_guard<std::mutex> lock(mutex_);
    return reads_[p];
  }
  int AllReads() {
    std::lock_guard<std::mutex> lock(mutex_);
    int all = 0;
    for (const auto& entry : reads_) all += entry.second;
    return all;
  }

 private:
  std::mutex mutex_;
  std::map<std::string, int> reads_;
};

// Whatever order the caller asks in (list order, skipping and coming back,
// again, a path not listed, a folder, a missing file), and whether it asks
// before the list is made or after, each answer is what ReadFile gives, and
// no file is read more than twice.
TEST(FilesReadAheadTest, AnswersAsReadFileWhateverTheOrder) {
  testing::TempDir dir;
  for (const char* name : {"a", "b", "c", "d", "e"}) dir.Write(name, std::string("text of ") + name);
  dir.Write("folder/x", "");
  struct Case {
    std::vector<std::string> asks;
    std::size_t asks_before_list;
  };
  const std::vector<Case> cases = {{{"a", "b", "c", "d", "e"}, 0},
                                   {{"c", "a", "e", "b"}, 0},
                                   {{"a", "a", "none", "folder", "gone", "e"}, 0},
                                   {{}, 0},
                                   {{"a", "a", "c", "d", "e"}, 2},
                                   {{"c", "a", "b", "e"}, 2}};
  for (const Case& c : cases) {
    CountingFs fs;
    std::promise<void> may_list;
    std::shared_future<void> listing = may_list.get_future().share();
    {
      FilesReadAhead ahead(fs, [&dir, listing] {
        listing.wait();
        std::vector<std::string> list;
        for (const char* name : {"a", "b", "c", "a", "d", "e", "folder", "gone"}) list.push_back(dir / name);
        return list;
      });
      for (std::size_t i = 0; i <= c.asks.size(); ++i) {
        if (i == c.asks_before_list) may_list.set_value();
        if (i < c.asks.size()) EXPECT_EQ(ahead.Read(dir / c.asks[i]), Fs().ReadFile(dir / c.asks[i])) << c.asks[i];
      }
    }
    for (const char* name : {"a", "b", "c", "d", "e"}) EXPECT_LE(fs.Reads(dir / name), 2) << name;
  }
}

// Nobody asks: ending stops the helper without waiting for the rest (it
// never reads further ahead than its bound).  A file system read only on the
// caller's thread gets nothing read ahead.
TEST(FilesReadAheadTest, EndsWithoutReadingTheRestAndOnlyWhereThreadsMayRead) {
  testing::TempDir dir;
  dir.Write("f", "x");
  CountingFs fs;
  {
    FilesReadAhead ahead(fs, [&] { return std::vector<std::string>(2000, std::string()); });
  }
  {
    FilesReadAhead ahead(fs, [&] {
      std::vector<std::string> list;
      for (int i = 0; i < 2000; ++i) list.push_back(dir / ("f" + std::to_string(i)));
      return list;
    });
  }
  EXPECT_LE(fs.AllReads(), 256 + 1);

  FileSystemWrapper one_thread(Fs());
  bool listed = false;
  FilesReadAhead ahead(one_thread, [&] {
    listed = true;
    return std::vector<std::string>{dir / "f"};
  });
  EXPECT_EQ(ahead.Read(dir / "f"), std::optional<std::string>("x"));
  EXPECT_FALSE(listed);
}

}  // namespace
}  // namespace corvane::runtime
