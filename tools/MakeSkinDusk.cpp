// Build-time tool: draws the program's second skin "Dusk" (a dark blue frame
// with a rounded border, a gradient title, caption-button glyphs, a grip, a
// menu line and skinned popup menus) and writes it with its description into
// <folder>/Dusk/.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/Surface.h"
#include "platform/image/Bmp.h"

namespace qv {
namespace {

constexpr uint32_t kKey = 0xFFFF00FF;

uint32_t Rgb(int r, int g, int b) {
  return PixelRGB(uint8_t(std::clamp(r, 0, 255)), uint8_t(std::clamp(g, 0, 255)),
                  uint8_t(std::clamp(b, 0, 255)));
}
uint32_t Grey(int g) {
  return Rgb(g, g, g);
}

// A nine-part frame image of three states of size x size over its alpha
// rows: a see-through quarter circle in each corner, a two-pixel outline,
// and a see-through inside (white alpha) so the background painted first shows.
Surface FrameMask(int size, int radius, uint32_t outer, uint32_t inner) {
  Surface s(3 * size, 2 * size, kKey);
  for (int state = 0; state < 3; ++state)
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x) {
        const int cx = x < radius ? radius - x : x >= size - radius ? x - (size - radius - 1) : 0;
        const int cy = y < radius ? radius - y : y >= size - radius ? y - (size - radius - 1) : 0;
        const bool outside = cx * cx + cy * cy > radius * radius;
        const bool edge = x < 2 || y < 2 || x >= size - 2 || y >= size - 2 ||
                          cx * cx + cy * cy > (radius - 2) * (radius - 2);
        uint32_t image = outside ? kKey
                         : edge  ? (x < 1 || y < 1 || x >= size - 1 || y >= size - 1 ? outer : inner)
                                 : Grey(128);
        int alpha = outside || edge ? 0 : 255;
        s.Set(state * size + x, y, image);
        s.Set(state * size + x, size + y, Grey(alpha));
      }
  return s;
}

// Caption-button glyphs: 18 x 16 frames (normal, hot, pressed) over black
// alpha rows, a rounded face with a white symbol.
enum Symbol { kClose, kMin, kMax, kRestore, kHelp };
bool SymbolPixel(Symbol s, int x, int y) {
  switch (s) {
    case kClose:
      return x >= 5 && x <= 12 && y >= 4 && y <= 11 &&
             (x - 5 == y - 4 || x - 5 == 11 - y || x - 6 == y - 4 || x - 6 == 11 - y);
    case kMin:
      return x >= 5 && x <= 12 && (y == 10 || y == 11);
    case kMax:
      return x >= 5 && x <= 12 && y >= 4 && y <= 11 && (x == 5 || x == 12 || y == 4 || y == 5 || y == 11);
    case kRestore:
      return (x >= 5 && x <= 10 && y >= 6 && y <= 11 && (x == 5 || x == 10 || y == 6 || y == 11)) ||
             (x >= 7 && x <= 12 && y >= 3 && y <= 8 && (y == 3 || x == 12));
    case kHelp:
      return (y == 12 && x >= 8 && x <= 9) || (x >= 6 && x <= 11 && y == 3) ||
             (x == 11 && y >= 3 && y <= 6) || (y == 7 && x >= 8 && x <= 11) || (x == 8 && y >= 7 && y <= 9);
  }
  return false;
}

Surface Glyph(Symbol sym, uint32_t face, uint32_t hot, uint32_t down) {
  Surface s(54, 32, Grey(0));
  const uint32_t faces[3] = {face, hot, down};
  for (int state = 0; state < 3; ++state)
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 18; ++x) {
        const bool corner = (x == 0 || x == 17) && (y == 0 || y == 15);
        uint32_t p = corner ? kKey : SymbolPixel(sym, x, y) ? Rgb(255, 255, 255) : faces[state];
        if (!corner && (x == 0 || y == 0 || x == 17 || y == 15)) p = Rgb(20, 30, 60);
        s.Set(state * 18 + x, y, p);
      }
  return s;
}

// A 14 x 14 grip of dots, three equal states, black alpha.
Surface Grip() {
  Surface s(42, 28, Grey(0));
  for (int state = 0; state < 3; ++state)
    for (int y = 0; y < 14; ++y)
      for (int x = 0; x < 14; ++x) {
        const bool dot = x + y >= 13 && (x % 4 == 1) && (y % 4 == 1);
        s.Set(state * 14 + x, y, dot ? Rgb(200, 210, 235) : kKey);
      }
  return s;
}

const char* kOptions = R"(; Dusk: the second skin drawn for Quirvane by its build (tools/MakeSkinDusk.cpp).
[GLOBALINFO]
VERSION=1.0
AUTHOR=Quirvane
DESCRIPTION=Dusk, a dark blue frame
COLOR=0xE9DED6
FONTCOLOR=0x301A10
BICONCLOSE=!CLOSE.BMP!3!1!2
BICONMIN=!MIN.BMP!3!1!2
BICONMAX=!MAX.BMP!3!1!2
BICONNORM=!NORM.BMP!3!1!2
BICONHELP=!HELP.BMP!3!1!2
SICONCLOSE=!CLOSE.BMP!3!1!2
SICONMIN=!MIN.BMP!3!1!2
SICONMAX=!MAX.BMP!3!1!2
TITLEBUTTON=!TITLEBTN.BMP!3!1!2
GRIPIMAGE=!GRIP.BMP!3!1!2
[FORM]
COLOR=0xE9DED6
HOTCOLOR=0xE9DED6
BORDERSMASK=!FRAME.BMP!3!1!0
FONTCOLOR=0x301A10
[FORMTITLE]
COLOR=0x6E4628
HOTCOLOR=0x8A5A32
GRADIENTPERCENT=100
GRADIENTDATA=9069114;6834728;100;0;0
HOTGRADIENTPERCENT=100
HOTGRADIENTDATA=12947282;9069114;100;0;0
FONTCOLOR=0xD8C8C0
HOTFONTCOLOR=0xFFFFFF
[DIALOG]
PARENTCLASS=FORM
[MENULINE]
COLOR=0xE0D0C4
HOTCOLOR=0xE0D0C4
GRADIENTPERCENT=100
GRADIENTDATA=15794160;14733508;100;0;0
FONTCOLOR=0x301A10
[MENUITEM]
COLOR=0xF4ECE6
HOTCOLOR=0xC88A50
TRANSPARENCY=100
HOTTRANSPARENCY=0
FONTCOLOR=0x301A10
HOTFONTCOLOR=0xFFFFFF
[MAINMENU]
COLOR=0xF4ECE6
BORDERSMASK=!MENUFRAME.BMP!3!1!0
[MDIAREA]
COLOR=0x8C6A50
GRADIENTPERCENT=100
GRADIENTDATA=10514512;7030064;100;0;0
[PANEL]
COLOR=0xE9DED6
FONTCOLOR=0x301A10
[BUTTON]
COLOR=0xF0E4DA
HOTCOLOR=0xFFF0E0
FONTCOLOR=0x301A10
HOTFONTCOLOR=0x8A3A10
[EDIT]
COLOR=0xFFFFFF
FONTCOLOR=0
[SCROLLBAR1H]
COLOR=0xD8CCC2
HOTCOLOR=0xE4D8CE
[SCROLLBAR2H]
COLOR=0xD8CCC2
HOTCOLOR=0xE4D8CE
[SCROLLBAR1V]
COLOR=0xD8CCC2
HOTCOLOR=0xE4D8CE
[SCROLLBAR2V]
COLOR=0xD8CCC2
HOTCOLOR=0xE4D8CE
[SCROLLSLIDERH]
COLOR=0x966E50
HOTCOLOR=0xC88A50
[SCROLLSLIDERV]
COLOR=0x966E50
HOTCOLOR=0xC88A50
[SCROLLBTNLEFT]
COLOR=0xB49070
HOTCOLOR=0xC88A50
[SCROLLBTNRIGHT]
COLOR=0xB49070
HOTCOLOR=0xC88A50
[SCROLLBTNTOP]
COLOR=0xB49070
HOTCOLOR=0xC88A50
[SCROLLBTNBOTTOM]
COLOR=0xB49070
HOTCOLOR=0xC88A50
)";

}  // namespace
}  // namespace qv

int main(int argc, char** argv) {
  using namespace qv;
  if (argc != 2) {
    std::fprintf(stderr, "usage: qv_make_skin_dusk <skins folder>\n");
    return 2;
  }
  const std::string dir = std::string(argv[1]) + "/Dusk/";
  std::filesystem::create_directories(dir);
  const uint32_t face = Rgb(110, 90, 150), hot = Rgb(150, 120, 200), down = Rgb(70, 50, 110);
  const std::pair<const char*, Surface> images[] = {
      {"CLOSE.BMP", Glyph(kClose, Rgb(170, 60, 50), Rgb(220, 80, 60), Rgb(130, 40, 30))},
      {"MIN.BMP", Glyph(kMin, face, hot, down)},
      {"MAX.BMP", Glyph(kMax, face, hot, down)},
      {"NORM.BMP", Glyph(kRestore, face, hot, down)},
      {"HELP.BMP", Glyph(kHelp, face, hot, down)},
      {"TITLEBTN.BMP", Glyph(kHelp, Rgb(60, 110, 90), Rgb(80, 150, 120), Rgb(40, 80, 60))},
      {"GRIP.BMP", Grip()},
      {"FRAME.BMP", FrameMask(18, 6, Rgb(20, 30, 50), Rgb(120, 150, 190))},
      {"MENUFRAME.BMP", FrameMask(12, 3, Rgb(60, 70, 90), Rgb(220, 225, 235))},
  };
  for (const auto& [name, surface] : images)
    if (!SaveBmpFile(dir + name, surface, 24)) {
      std::fprintf(stderr, "qv_make_skin_dusk: cannot write %s%s\n", dir.c_str(), name);
      return 1;
    }
  std::ofstream(dir + "Options.dat", std::ios::binary) << kOptions;
  return 0;
}
