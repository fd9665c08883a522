// The skin "Lists" of the list-view and combo-box tests: the bars of "Bars"
// (scroll bars, buttons) plus plain colours for the edit frame, the column
// headers and the combo boxes, each colour telling which part painted.
#pragma once
#include "tests/skin/controls/BarsSkin.h"

namespace qv::test {

constexpr TColor kEdit = 0x305030, kHeader = 0x703050, kHeaderHot = 0xA05070, kCombo = 0x507030;

inline std::string MakeListsSkin(const std::string& root) {
  std::filesystem::create_directories(root + "Lists");
  std::ofstream(root + "Lists/Options.dat", std::ios::binary)
      << kBarsOptions
      << "[EDIT]\nCOLOR=0x305030\nHOTCOLOR=0x305030\nFONTCOLOR=0\n"
         "[COLHEADER]\nCOLOR=0x703050\nHOTCOLOR=0xA05070\nFONTCOLOR=0\nHOTFONTCOLOR=0\n"
         "[COMBOBOX]\nCOLOR=0x507030\nHOTCOLOR=0x507030\nFONTCOLOR=0\n";
  return "Lists";
}

}  // namespace qv::test
