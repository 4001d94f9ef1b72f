// A description of a strip of like gadgets (buttons or labels), laid out by
// tapplication::AddStrip.  Every strip made by tstrip::Create is also kept in
// stripList until tstrip::ClearAll.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace corvane {

struct tstrip {
  static constexpr int kButtons = 1;
  static constexpr int kLabels = 2;

  std::vector<std::string> gad_content;  // one text per gadget
  int gad_tipo = 0;                      // kButtons, kLabels; other kinds make nothing

  // A new strip with these texts and kind, appended to stripList.
  static std::shared_ptr<tstrip> Create(std::vector<std::string> texts, int kind);
  // Empties the texts of every strip in stripList and empties the list.
  static int ClearAll();
};

extern std::vector<std::shared_ptr<tstrip>> stripList;

}  // namespace corvane
