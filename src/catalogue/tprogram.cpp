#include "catalogue/tprogram.h"

#include <algorithm>
#include <iterator>

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

void tprogram::AddAll(const std::vector<ProgramPtr>& records) {
  std::vector<ProgramPtr> batch = records;
  std::stable_sort(batch.begin(), batch.end(), SortsBefore);
  // The merge takes the list's record first among equal names, as one-by-one
  // insertion after every existing record of the same name does.
  std::vector<ProgramPtr> merged;
  merged.reserve(programList.size() + batch.size());
  std::merge(programList.begin(), programList.end(), batch.begin(), batch.end(),
             std::back_inserter(merged), SortsBefore);
  programList = std::move(merged);
}

ProgramPtr tprogram::FromArray(const std::vector<std::string>& slots) {
  auto slot = [&slots](std::size_t i) -> const std::string& {
    static const std::string kEmpty;
    return i < slots.size() ? slots[i] : kEmpty;
  };
  auto p = std::make_shared<tprogram>();
  p->name = runtime::ToUpper(slot(0));
  p->fullname = slot(1);
  p->urls = runtime::Split(slot(2), "|");
  if (p->urls.empty()) p->urls.push_back("");
  p->url = p->urls.front();
  p->desc = slot(3);
  p->Longdesc = slot(4);
  p->web = slot(5);
  p->author = slot(6);
  p->license = slot(7);
  p->message = slot(8);
  p->path = slot(9);
  p->copy = slot(10);
  p->backup = slot(11);
  p->fDelete = slot(12);
  p->sha256 = slot(13);
  return p;
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
