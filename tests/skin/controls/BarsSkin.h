// The skin "Bars" the label, bit-button and scroll-bar tests load: plain
// colours per section (a distinct one per part and state, so a pixel tells
// which part painted it), a global font colour, and a button border mask
// whose top-left corner is transparent. "Magenta" has the no-colour value
// as its global font colour.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "platform/image/Bmp.h"
#include "tests/common/TempDir.h"
#include "tests/skin/SkinnedFormTest.h"

namespace qv::test {

// Part colours (TColor: red in the low byte).
constexpr TColor kBar1 = 0x400000, kBar1Hot = 0x800000, kBar2 = 0x004000, kBar2Hot = 0x008000;
constexpr TColor kSlider = 0x000040, kSliderHot = 0x000080, kSliderDown = 0x0000C0;
constexpr TColor kBtn1 = 0x404000, kBtn1Hot = 0x808000, kBtn2 = 0x004040, kBtn2Hot = 0x008080;
constexpr TColor kFace = 0x606060, kFaceHot = 0x909090, kGlobalFont = 0x0000FF, kBorder = 0x202020;

inline const char* kBarsOptions = R"([GLOBALINFO]
VERSION=1
COLOR=12632256
FONTCOLOR=255
[SCROLLBAR1H]
COLOR=0x400000
HOTCOLOR=0x800000
[SCROLLBAR2H]
COLOR=0x004000
HOTCOLOR=0x008000
[SCROLLSLIDERH]
COLOR=0x000040
HOTCOLOR=0x000080
[SCROLLBTNLEFT]
COLOR=0x404000
HOTCOLOR=0x808000
[SCROLLBTNRIGHT]
COLOR=0x004040
HOTCOLOR=0x008080
[SCROLLBAR1V]
COLOR=0x400000
HOTCOLOR=0x800000
[SCROLLBAR2V]
COLOR=0x004000
HOTCOLOR=0x008000
[SCROLLSLIDERV]
COLOR=0x000040
HOTCOLOR=0x000080
[SCROLLBTNTOP]
COLOR=0x404000
HOTCOLOR=0x808000
[SCROLLBTNBOTTOM]
COLOR=0x004040
HOTCOLOR=0x008080
[BUTTON]
COLOR=0x606060
HOTCOLOR=0x909090
FONTCOLOR=0
HOTFONTCOLOR=0
BORDERSMASK=!BTN.BMP!3!1!0
)";

// Three states of 12 x 12 (nine parts of 4 x 4), image rows over alpha rows:
// a dark frame, the top-left pixel of each state transparent.
inline Surface ButtonMaskSurface() {
  Surface s(36, 24);
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 36; ++x) {
      if (y >= 12) {
        s.Set(x, y, 0xFF000000);  // alpha rows: the image shows as it is
        continue;
      }
      const int cx = x % 12;
      const bool edge = cx == 0 || cx == 11 || y == 0 || y == 11;
      s.Set(x, y, cx == 0 && y == 0 ? 0xFFFF00FF : edge ? PixelRGB(0x20, 0x20, 0x20) : 0xFF606060);
    }
  return s;
}

inline std::string MakeBarsSkins(const TempDir& dir) {
  namespace fs = std::filesystem;
  const std::string root = dir.Path() + "Skins/";
  fs::create_directories(root + "Bars");
  fs::create_directories(root + "Magenta");
  std::ofstream(root + "Bars/Options.dat", std::ios::binary) << kBarsOptions;
  SaveBmpFile(root + "Bars/BTN.BMP", ButtonMaskSurface(), 24);
  std::ofstream(root + "Magenta/Options.dat", std::ios::binary)
      << "[GLOBALINFO]\nVERSION=1\nFONTCOLOR=16711935\n";
  return root;
}

inline uint32_t Rgb(TColor c) {
  c = ColorToRGB(c);
  return PixelRGB(uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16)) & 0xFFFFFF;
}

// A form on the headless screen and, on demand, a skin manager with "Bars".
class SkinnedControlsTest : public SkinnedFormTest {
 protected:
  void SetUp() override {
    root = MakeBarsSkins(dir);
    form = new TForm(nullptr);
    form->SetBorderStyle(bsNone);
    form->SetBounds(0, 0, 400, 300);
    form->Show();
    backend.Pump();
  }
  void LoadSkin(const std::string& name = "Bars") { SkinnedFormTest::LoadSkin(name); }
};

}  // namespace qv::test
