#include "catalogue/tprogram.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <string_view>
#include <utility>

#include "runtime/text.h"
#include "toolkit/toolkit.h"

namespace corvane {

std::vector<ProgramPtr> programList;
std::vector<ProgramPtr> packageList;

namespace {

bool SortsBefore(const ProgramPtr& a, const ProgramPtr& b) { return b->Compare(*a) == 1; }

// Places the record after every record whose name does not sort after it: the
// order a stable sort of the appended list would give, without re-sorting the
// whole list for every record of a large catalogue.
ProgramPtr InsertSorted(ProgramPtr record) {
  programList.insert(std::upper_bound(programList.begin(), programList.end(), record, SortsBefore),
                     record);
  return record;
}

struct KeyedIndex {
  std::uint64_t key;
  std::size_t index;
};

// Sorts by key, keeping the order of equal keys: a byte of the key at a time
// from the last, in time that grows with the count alone.
void SortByKey(std::vector<KeyedIndex>& entries) {
  std::vector<KeyedIndex> other(entries.size());
  for (int shift = 0; shift < 64; shift += 8) {
    std::size_t counts[256] = {};
    for (const KeyedIndex& e : entries) ++counts[(e.key >> shift) & 0xFF];
    // A byte that every key shares orders nothing.
    if (!entries.empty() && counts[(entries.front().key >> shift) & 0xFF] == entries.size()) continue;
    std::size_t start = 0;
    for (std::size_t& count : counts) start += std::exchange(count, start);
    for (const KeyedIndex& e : entries) other[counts[(e.key >> shift) & 0xFF]++] = e;
    entries.swap(other);
  }
}

}  // namespace

int tprogram::Compare(const tprogram& other) const {
  // std::string compares as unsigned bytes, and UTF-8 byte order is code order.
  return fullname.compare(other.fullname) > 0 ? 1 : 0;
}

void tprogram::ClearAll() { programList.clear(); }

ProgramPtr tprogram::AddFromArray(const std::vector<std::string>& slots) {
  return InsertSorted(FromArray(slots));
}

void tprogram::AddAll(std::vector<ProgramPtr> records) {
  std::vector<std::string_view> names;
  names.reserve(records.size());
  for (const ProgramPtr& p : records) names.push_back(p->fullname);
  AddAll(std::move(records), names);
}

void tprogram::AddAll(std::vector<ProgramPtr> records, const std::vector<std::string_view>& names) {
  // Sorted by a number made of eight bytes of each name, taken from where the
  // names start to differ: it decides most comparisons without comparing
  // whole names.  Names whose numbers are equal are compared whole.
  std::size_t common = names.empty() ? 0 : names.front().size();
  for (const std::string_view name : names) {
    const std::string_view first = names.front();
    const std::size_t n = std::min(common, name.size());
    common = static_cast<std::size_t>(std::mismatch(first.begin(), first.begin() + n, name.begin()).first -
                                      first.begin());
  }
  std::vector<KeyedIndex> order;
  order.reserve(records.size());
  for (std::size_t i = 0; i < records.size(); ++i) {
    const std::string_view name = names[i].substr(common);
    std::uint64_t key = 0;
    for (std::size_t k = 0; k < 8; ++k) {
      key = (key << 8) | (k < name.size() ? static_cast<unsigned char>(name[k]) : 0u);
    }
    order.push_back({key, i});
  }
  // Bytes compare unsigned, as Compare does; a missing byte counts as 0, so
  // only equal numbers can hide a difference.
  SortByKey(order);
  for (auto run = order.begin(); run != order.end();) {
    const auto end = std::find_if(run, order.end(), [&](const KeyedIndex& e) { return e.key != run->key; });
    if (end - run > 1) {
      std::stable_sort(run, end, [&](const KeyedIndex& a, const KeyedIndex& b) {
        return names[a.index].substr(common) < names[b.index].substr(common);
      });
    }
    run = end;
  }
  std::vector<ProgramPtr> batch;
  batch.reserve(records.size());
  for (const KeyedIndex& entry : order) batch.push_back(std::move(records[entry.index]));
  if (programList.empty()) {
    programList = std::move(batch);
    return;
  }
  // The merge takes the list's record first among equal names, as one-by-one
  // insertion after every existing record of the same name does.
  std::vector<ProgramPtr> merged;
  merged.reserve(programList.size() + batch.size());
  std::merge(programList.begin(), programList.end(), batch.begin(), batch.end(),
             std::back_inserter(merged), SortsBefore);
  programList = std::move(merged);
}

ProgramPtr tprogram::FromArray(const std::vector<std::string>& slots) {
  auto p = std::make_shared<tprogram>();
  if (slots.size() >= kSlotCount) {
    Fill(*p, slots.data());
  } else {
    std::vector<std::string> all = slots;
    all.resize(kSlotCount);
    Fill(*p, all.data());
  }
  return p;
}

namespace {

// Fills p from the reader's slots: keep(text, bytes) sets one of its long
// texts, same(text, kept) sets one to a text set already.
template <typename Keep, typename Same>
void FillRecord(tprogram& p, const std::string* slots, Keep keep, Same same) {
  p.name = runtime::ToUpper(slots[0]);
  p.fullname = slots[1];
  // URL is split at every "|"; an empty URL gives one empty entry.
  const std::string_view urls = slots[2];
  p.urls.clear();
  p.urls.resize(static_cast<std::size_t>(std::count(urls.begin(), urls.end(), '|')) + 1);
  std::size_t start = 0;
  for (RecordText& url : p.urls) {
    const std::size_t bar = std::min(urls.find('|', start), urls.size());
    keep(url, urls.substr(start, bar - start));
    start = bar + 1;
  }
  same(p.url, p.urls.front());
  keep(p.desc, slots[3]);
  p.Longdesc = slots[4];
  keep(p.web, slots[5]);
  keep(p.author, slots[6]);
  keep(p.license, slots[7]);
  keep(p.message, slots[8]);
  keep(p.path, slots[9]);
  keep(p.copy, slots[10]);
  keep(p.backup, slots[11]);
  keep(p.fDelete, slots[12]);
  keep(p.sha256, slots[13]);
}

}  // namespace

void tprogram::Fill(tprogram& p, const std::string* slots) {
  FillRecord(
      p, slots, [](RecordText& text, std::string_view bytes) { text = bytes; },
      [](RecordText& text, const RecordText& kept) { text = kept; });
}

struct RecordMaker::Block {
  // A usual block's texts fit in the first buffer.
  Block() : texts(16 * 1024) {}
  // Declared before the records, so released after the texts that view them.
  std::pmr::monotonic_buffer_resource texts;
  std::vector<tprogram> records;
};

ProgramPtr RecordMaker::Make() {
  if (!block_ || block_->records.size() == kBlockSize) {
    block_ = std::make_shared<Block>();
    block_->records.reserve(kBlockSize);
  }
  // Its address list takes its room from the block too.
  block_->records.emplace_back(&block_->texts);
  // Shares the block's ownership; the vector never grows past its first
  // room, so the record does not move.
  return ProgramPtr(block_, &block_->records.back());
}

void RecordMaker::Fill(tprogram& record, const std::string* slots) {
  FillRecord(
      record, slots, [this](RecordText& text, std::string_view bytes) { Keep(text, bytes); },
      [](RecordText& text, const RecordText& kept) { text.Refer(kept.data(), kept.size()); });
}

void RecordMaker::Keep(RecordText& text, std::string_view bytes) {
  if (bytes.empty()) {
    text.clear();
    return;
  }
  char* kept = static_cast<char*>(block_->texts.allocate(bytes.size() + 1, 1));
  std::memcpy(kept, bytes.data(), bytes.size());
  kept[bytes.size()] = '\0';
  text.Refer(kept, bytes.size());
}

ProgramPtr tprogram::Add(const std::string& name, const std::string& fullname,
                         const std::string& url, const std::string& desc,
                         const std::string& Longdesc) {
  auto p = std::make_shared<tprogram>();
  p->name = runtime::ToUpper(name);
  p->fullname = fullname;
  p->url = url;
  // Keeps url == urls[what_url], which the download run relies on.
  p->urls.push_back(url);
  p->desc = desc;
  p->Longdesc = Longdesc;
  return InsertSorted(p);
}

void tprogram::Show() {
  for (const auto& p : programList) tk::Print(p->fullname);
}

}  // namespace corvane
