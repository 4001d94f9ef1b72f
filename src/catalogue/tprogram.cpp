#include "catalogue/tprogram.h"

#include <algorithm>
#include <cstdint>
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
  // Sorted by a number made of eight bytes of each name, taken from where the
  // names start to differ: it decides most comparisons without following
  // every record of a large catalogue to its name.  Names whose numbers are
  // equal are compared whole.
  std::size_t common = records.empty() ? 0 : records.front()->fullname.size();
  for (const ProgramPtr& p : records) {
    const std::string& first = records.front()->fullname;
    const std::size_t n = std::min(common, p->fullname.size());
    common = static_cast<std::size_t>(std::mismatch(first.begin(), first.begin() + n, p->fullname.begin()).first -
                                      first.begin());
  }
  struct Entry {
    std::uint64_t key;
    std::string_view name;
    std::size_t index;
  };
  std::vector<Entry> order;
  order.reserve(records.size());
  for (std::size_t i = 0; i < records.size(); ++i) {
    const std::string_view name = std::string_view(records[i]->fullname).substr(common);
    std::uint64_t key = 0;
    for (std::size_t k = 0; k < 8; ++k) {
      key = (key << 8) | (k < name.size() ? static_cast<unsigned char>(name[k]) : 0u);
    }
    order.push_back({key, name, i});
  }
  // Bytes compare unsigned, as Compare does; a missing byte counts as 0, so
  // only equal numbers can hide a difference.
  std::stable_sort(order.begin(), order.end(), [](const Entry& a, const Entry& b) {
    return a.key != b.key ? a.key < b.key : a.name < b.name;
  });
  std::vector<ProgramPtr> batch;
  batch.reserve(records.size());
  for (const Entry& entry : order) batch.push_back(std::move(records[entry.index]));
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

void tprogram::Fill(tprogram& p, const std::string* slots) {
  p.name = runtime::ToUpper(slots[0]);
  p.fullname = slots[1];
  p.urls = runtime::Split(slots[2], "|");
  p.url = p.urls.front();  // Split gives at least one text
  p.desc = slots[3];
  p.Longdesc = slots[4];
  p.web = slots[5];
  p.author = slots[6];
  p.license = slots[7];
  p.message = slots[8];
  p.path = slots[9];
  p.copy = slots[10];
  p.backup = slots[11];
  p.fDelete = slots[12];
  p.sha256 = slots[13];
}

ProgramPtr RecordMaker::Make() {
  if (!block_ || block_->size() == block_->capacity()) {
    block_ = std::make_shared<std::vector<tprogram>>();
    block_->reserve(kBlockSize);
  }
  block_->emplace_back();
  // Shares the block's ownership; the vector never grows past its first
  // room, so the record does not move.
  return ProgramPtr(block_, &block_->back());
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
