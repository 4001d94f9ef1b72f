// One entry of the catalogue: a program that the catalogue server offers for
// the current platform and language, with the rules the install engine needs.
//
// programList holds the records of the current catalogue in ascending order of
// fullname (byte order of the UTF-8 text, which is the code order of the
// 8-bit characters the files hold); records with equal names stay in the order
// they were added.  packageList holds the records of the packages found in the
// download folder; its filler decides its order.
#pragma once

#include <memory>
#include <memory_resource>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/record_text.h"

namespace corvane {

struct tprogram;
using ProgramPtr = std::shared_ptr<tprogram>;

struct tprogram {
  std::string name;                // identifier, upper case; stem of its description files
  std::string fullname;            // display name and sort key
  RecordText url;                  // address in use; urls[what_url]
  std::pmr::vector<RecordText> urls;  // every download address
  RecordText desc;                 // one-line description
  std::string Longdesc;            // whole text of its description file (see LongDescription)
  RecordText author;
  RecordText web;
  RecordText license;
  RecordText message;              // text shown at installation
  RecordText fDelete;              // delete rule
  RecordText path;                 // destination rule
  RecordText copy;                 // copy rule
  int status = 0;                  // 1 when its row was ticked for download
  int what_url = 0;                // position of url in urls
  RecordText backup;               // backup rule
  RecordText sha256;               // SHA-256 of the package as the catalogue gives it (SHA256=)
  int signed_list = 0;             // 1 when it came from a list file whose signature verified
  RecordText description_file;     // its description file in "lang", not read into Longdesc yet

  tprogram() = default;
  // A record whose address list takes its room from texts.
  explicit tprogram(std::pmr::memory_resource* texts) : urls(texts) {}

  // 1 when this record's fullname sorts after other's (case-sensitive), else 0.
  int Compare(const tprogram& other) const;

  // Empties programList.
  static void ClearAll();
  // Number of slots AddFromArray reads.
  static constexpr int kSlotCount = 14;
  // Builds a record from the reader's 14 slots (identifier, NAME, URL, DESC,
  // description text, WEB, AUTHOR, LICENSE, MESSAGE, PATH, COPY, BACKUP,
  // DELETE, SHA256), inserts it into programList at its sorted place and returns it.
  // Missing slots count as empty.  URL is split at every "|"; url is its
  // first entry (an empty URL gives one empty entry).
  static ProgramPtr AddFromArray(const std::vector<std::string>& slots);
  // Builds a record from the slots as AddFromArray does, without adding it.
  static ProgramPtr FromArray(const std::vector<std::string>& slots);
  // Fills an empty record from kSlotCount slots as FromArray does, copying
  // the texts (the slots keep theirs, and their room for the next record).
  static void Fill(tprogram& record, const std::string* slots);
  // Adds records in one pass: programList ends in the order that adding them
  // one by one with AddFromArray would give.
  static void AddAll(std::vector<ProgramPtr> records);
  // As AddAll(records), given each record's fullname in names (same order):
  // a caller that has them side by side spares the sort a visit to every
  // record, all over memory.
  static void AddAll(std::vector<ProgramPtr> records, const std::vector<std::string_view>& names);
  // Builds a record from the given fields (name turned to upper case),
  // inserts it at its sorted place and returns it.
  static ProgramPtr Add(const std::string& name, const std::string& fullname,
                        const std::string& url, const std::string& desc,
                        const std::string& Longdesc);
  // Prints every record's fullname, one line each, in list order.
  static void Show();
};

// Makes records many at a time: a block of them is one allocation, and their
// long texts and address lists share a few buffers of the block, all released
// when the last of its records is.  A large catalogue then costs a few
// allocations per block rather than several per record.  A record kept after
// its list is emptied keeps its block.
class RecordMaker {
 public:
  // A new empty record.
  ProgramPtr Make();
  // Fills the record Make gave last as tprogram::Fill does, keeping its long
  // texts in the block's buffers.
  void Fill(tprogram& record, const std::string* slots);
  // Sets a text of the record Make gave last to bytes, kept in the block's
  // buffers.
  void Keep(RecordText& text, std::string_view bytes);

 private:
  struct Block;
  static constexpr std::size_t kBlockSize = 64;
  std::shared_ptr<Block> block_;
};

extern std::vector<ProgramPtr> programList;
extern std::vector<ProgramPtr> packageList;

}  // namespace corvane
