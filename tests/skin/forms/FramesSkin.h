// The skin "Frames" the form tests load: a plain colour per section and state
// (so a pixel tells which part painted it), caption-button glyphs of 16 x 14
// in three coloured states, a form border whose corners are see-through, and
// "Plain", a second skin with only a form colour. FormsTest is the fixture:
// a captioned form on the headless screen with a provider and, on demand, a
// manager that loads one of them.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "platform/image/Bmp.h"
#include "skin/forms/skDialogs.h"
#include "skin/forms/skinProvider.h"
#include "tests/common/TempDir.h"
#include "tests/skin/SkinnedFormTest.h"

namespace qv::test {

// Screen pixels (0xRRGGBB) of the sections: active (hot) and inactive states.
constexpr uint32_t kFrame = 0x404040, kFrameActive = 0x484848, kTitle = 0x000080, kTitleActive = 0x0000A0;
constexpr uint32_t kMenuLine = 0x008000, kMenuItem = 0x808000, kMenuItemHot = 0xC0C000, kPopup = 0x006060;
constexpr uint32_t kEdge = 0x101010, kMdiArea = 0x802020;
// The glyph states: close, minimise, maximise, restore (normal, hot, pressed).
constexpr uint32_t kClose[3] = {0xC00000, 0xE00000, 0xFF0000}, kMin[3] = {0x00C000, 0x00E000, 0x00FF00},
                   kMax[3] = {0x0000C0, 0x0000E0, 0x0000FF}, kNorm[3] = {0xC0C000, 0xE0E000, 0xFFFF00};

inline const char* kFramesOptions = R"([GLOBALINFO]
VERSION=1
COLOR=0xC0C0C0
FONTCOLOR=0
BICONCLOSE=!CLOSE.BMP!3!1!2
BICONMIN=!MIN.BMP!3!1!2
BICONMAX=!MAX.BMP!3!1!2
BICONNORM=!NORM.BMP!3!1!2
[FORM]
COLOR=0x404040
HOTCOLOR=0x484848
BORDERSMASK=!FRAME.BMP!3!1!0
[FORMTITLE]
COLOR=0x800000
HOTCOLOR=0xA00000
FONTCOLOR=16777215
HOTFONTCOLOR=16777215
[MENULINE]
COLOR=0x008000
HOTCOLOR=0x008000
[MENUITEM]
COLOR=0x008080
HOTCOLOR=0x00C0C0
FONTCOLOR=0
HOTFONTCOLOR=0
[MAINMENU]
COLOR=0x606000
BORDERSMASK=!FRAME.BMP!3!1!0
[MDIAREA]
COLOR=0x202080
[DIALOG]
COLOR=0x303030
HOTCOLOR=0x303030
)";

// Three states of a 16 x 14 glyph, image rows over black alpha rows.
inline Surface GlyphSurface(const uint32_t* Colours) {
  Surface s(48, 28);
  for (int y = 0; y < 28; ++y)
    for (int x = 0; x < 48; ++x) s.Set(x, y, y >= 14 ? 0xFF000000 : 0xFF000000 | Colours[x / 16]);
  return s;
}

// Three states of 12 x 12 (nine parts of 4 x 4): a one-pixel dark edge with
// see-through corner pixels, a see-through inside (alpha white).
inline Surface FrameMaskSurface() {
  Surface s(36, 24);
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 36; ++x) {
      const int cx = x % 12;
      const bool edge = cx == 0 || cx == 11 || y == 0 || y == 11;
      const bool corner = (cx == 0 || cx == 11) && (y == 0 || y == 11);
      s.Set(x, y, corner ? 0xFFFF00FF : 0xFF000000 | kEdge);
      s.Set(x, y + 12, edge ? 0xFF000000 : 0xFFFFFFFF);
    }
  return s;
}

inline std::string MakeFramesSkins(const TempDir& dir) {
  namespace fs = std::filesystem;
  const std::string root = dir.Path() + "Skins/";
  fs::create_directories(root + "Frames");
  fs::create_directories(root + "Plain");
  std::ofstream(root + "Frames/Options.dat", std::ios::binary) << kFramesOptions;
  SaveBmpFile(root + "Frames/CLOSE.BMP", GlyphSurface(kClose), 24);
  SaveBmpFile(root + "Frames/MIN.BMP", GlyphSurface(kMin), 24);
  SaveBmpFile(root + "Frames/MAX.BMP", GlyphSurface(kMax), 24);
  SaveBmpFile(root + "Frames/NORM.BMP", GlyphSurface(kNorm), 24);
  SaveBmpFile(root + "Frames/FRAME.BMP", FrameMaskSurface(), 24);
  std::ofstream(root + "Plain/Options.dat", std::ios::binary)
      << "[GLOBALINFO]\nVERSION=1\nCOLOR=0x808080\n[FORM]\nCOLOR=0x202020\nHOTCOLOR=0x202020\n";
  return root;
}

// A captioned form at (40, 30) with a provider, and a manager on demand.
class FormsTest : public SkinnedFormTest {
 protected:
  void SetUp() override {
    UseSkinnedForms();
    root = MakeFramesSkins(dir);
    form = new TForm(nullptr);
    form->SetBounds(40, 30, 320, 220);
    form->SetCaption("Skinned");
  }
  void AddProvider() {
    provider = new TSkinProvider(form);
    provider->AfterConstruction();
  }
  void Show() {
    form->Show();
    backend.Pump();
  }
  void LoadSkin(const std::string& name = "Frames") { SkinnedFormTest::LoadSkin(name); }
  // A point of the form's window, in window coordinates.
  uint32_t WinAt(int x, int y) { return At(form->Left() + x, form->Top() + y); }
  // Colours equal but for the rounding of a see-through mask pixel.
  static bool Near(uint32_t a, uint32_t b) {
    for (int shift = 0; shift < 24; shift += 8)
      if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > 1) return false;
    return true;
  }
  TSkinProvider* provider = nullptr;
};

}  // namespace qv::test
