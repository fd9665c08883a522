// Build-time tool: draws the program's own skin "Harbour" (a master bitmap of
// rounded, anti-aliased borders in three states, square column-header cells,
// a check-box glyph, arrow glyphs for combo and scroll buttons and a panel
// texture) and writes it with its description into <folder>/Harbour/.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/Surface.h"
#include "platform/image/Bmp.h"
#include "platform/image/Jpeg.h"

namespace qv {
namespace {

constexpr uint32_t kKey = 0xFFFF00FF;

uint32_t Rgb(int r, int g, int b) {
  return PixelRGB(uint8_t(r), uint8_t(g), uint8_t(b));
}
uint32_t Grey(int g) {
  g = std::clamp(g, 0, 255);
  return Rgb(g, g, g);
}

// How much of pixel (x, y) a rounded rectangle covers (4 x 4 samples).
double Coverage(double x, double y, double l, double t, double r, double b, double radius) {
  int in = 0;
  for (int sy = 0; sy < 4; ++sy)
    for (int sx = 0; sx < 4; ++sx) {
      const double px = x + (sx + 0.5) / 4, py = y + (sy + 0.5) / 4;
      if (px < l || px > r || py < t || py > b) continue;
      const double cx = std::clamp(px, l + radius, r - radius), cy = std::clamp(py, t + radius, b - radius);
      if ((px - cx) * (px - cx) + (py - cy) * (py - cy) <= radius * radius) ++in;
    }
  return in / 16.0;
}

struct Look {
  uint32_t line;       // the outline
  uint32_t highlight;  // the inner line along the top
  int highlightAlpha;  // how much of the background shows through it
};

// One state of a nine-part border: a block of size x size image pixels with
// its alpha rows `size` rows below. Outside the rounded shape the key colour;
// the outline opaque (its soft outer edge partly see-through); inside, white
// alpha keeps the background the painter laid first.
void DrawBorderState(Surface& s, int ox, int oy, int size, double radius, const Look& look) {
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const double outer = Coverage(x, y, 0, 0, size, size, radius);
      const double inner = Coverage(x, y, 1, 1, size - 1, size - 1, std::max(0.0, radius - 1));
      uint32_t image = look.line;
      int alpha = 255;
      if (outer == 0) {
        image = kKey;
      } else if (inner < 1) {
        alpha = int(std::lround(255 * (1 - (outer - inner))));
      } else if (y == 1 && look.highlightAlpha < 255) {
        image = look.highlight, alpha = look.highlightAlpha;
      }
      s.Set(ox + x, oy + y, image);
      s.Set(ox + x, oy + size + y, Grey(alpha));
    }
}

// A raised bevel: light top and left, dark bottom and right, the rest see-through.
void DrawBevel(Surface& s, int ox, int oy, int size) {
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      uint32_t image = Grey(128);
      int alpha = 255;
      if (y == 0 || x == 0)
        image = Rgb(255, 255, 255), alpha = 60;
      else if (y == size - 1 || x == size - 1)
        image = Rgb(96, 110, 128), alpha = 40;
      s.Set(ox + x, oy + y, image);
      s.Set(ox + x, oy + size + y, Grey(alpha));
    }
}

// A 13 x 13 check box in three states (clear, checked, greyed), alpha below.
void DrawCheck(Surface& s, int ox, int oy) {
  for (int state = 0; state < 3; ++state)
    for (int y = 0; y < 13; ++y)
      for (int x = 0; x < 13; ++x) {
        const bool edge = x == 0 || y == 0 || x == 12 || y == 12;
        uint32_t image = edge ? Rgb(60, 90, 130) : Rgb(250, 252, 255);
        // The tick: down from (3, 6) to (5, 8), then up to (9, 3), two pixels thick.
        const bool tick = (x >= 3 && x <= 5 && (y == x + 3 || y == x + 4)) ||
                          (x >= 5 && x <= 9 && (y == 13 - x || y == 14 - x));
        if (state > 0 && tick) image = state == 1 ? Rgb(30, 60, 150) : Rgb(150, 150, 150);
        s.Set(ox + state * 13 + x, oy + y, image);
        s.Set(ox + state * 13 + x, oy + 13 + y, Grey(0));
      }
}

// A 9-pixel-high arrow in three states (normal, hot, pressed) side by side,
// alpha below, each state `width` wide with the arrow's 9 x 9 cell at `left`.
// Direction 0 points down, 1 up, 2 left, 3 right.
void DrawArrow(Surface& s, int ox, int oy, int direction, int width = 9, int left = 0) {
  const uint32_t colour[3] = {Rgb(64, 80, 104), Rgb(30, 100, 190), Rgb(20, 50, 110)};
  for (int state = 0; state < 3; ++state)
    for (int y = 0; y < 9; ++y)
      for (int px = 0; px < width; ++px) {
        const int x = px - left;
        // (a, b): across and along the arrow in a cell pointing down.
        const int a = direction < 2 ? x : y, along = direction < 2 ? y : x;
        const int b = direction == 1 || direction == 2 ? 8 - along : along;
        const bool in = x >= 0 && x < 9 && b >= 2 && b <= 5 && std::abs(a - 4) <= 5 - b;
        s.Set(ox + state * width + px, oy + y, in ? colour[state] : Grey(255));
        s.Set(ox + state * width + px, oy + 9 + y, Grey(in ? 0 : 255));
      }
}

// A soft, slightly grained texture for panels.
Surface PanelTexture() {
  Surface t(64, 64);
  uint32_t seed = 12345;
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      seed = seed * 1103515245u + 12345u;
      const int n = int((seed >> 16) % 9) - 4;
      t.Set(x, y, Rgb(226 + n, 232 + n, 240 + n));
    }
  return t;
}

const char* kOptions = R"(; Harbour: the skin drawn for Quirvane by its build (tools/MakeSkin.cpp).
[GLOBALINFO]
VERSION=1.0
AUTHOR=Quirvane
DESCRIPTION=Harbour, a calm blue skin
MASTERBITMAP=MASTER.BMP
COLOR=0xF6F1EC
FONTCOLOR=0x402A1A
SHADOW1COLOR=0
SHADOW1OFFSET=3
SHADOW1BLUR=4
SHADOW1TRANSPARENCY=60
BOXUNCHECKED=@0000,0048,0039,0074,3,1
BOXCHECKED=@0000,0048,0039,0074,3,1
[FORM]
COLOR=0xF6F1EC
GRADIENTPERCENT=100
GRADIENTDATA=16513270;15788258;100;0;0
FONTCOLOR=0x402A1A
[PANEL]
COLOR=0xF8F4F0
GRADIENTPERCENT=80
GRADIENTDATA=16711164;16117480;100;0;0
IMAGEPERCENT=20
PATTERN=PANEL.JPG
BORDERSMASK=# (120,0,144,48) (1,1)
FONTCOLOR=0x402A1A
[BUTTON]
COLOR=0xF9F3EE
GRADIENTPERCENT=100
GRADIENTDATA=16777215;16314602;50;0;0;16314602;15655126;50;0;0
HOTCOLOR=0xFFF4E8
HOTGRADIENTPERCENT=100
HOTGRADIENTDATA=16777215;16773862;50;0;0;16773862;16440510;50;0;0
BORDERSMASK=# (0,0,72,48) (3,1)
FONTCOLOR=0x402A1A
HOTFONTCOLOR=0x7A3A10
TCBOTTOM=0xFFFFFF
FADINGENABLED=TRUE
FADINGITERATIONS=5
[EDIT]
COLOR=0xFFFFFF
FONTCOLOR=0
BORDERSMASK=# (72,0,120,48) (2,1)
[CHECKBOX]
PARENTCLASS=FORM
GRADIENTPERCENT=0
TRANSPARENCY=100
[COLHEADER]
COLOR=0xF4ECE4
GRADIENTPERCENT=100
GRADIENTDATA=16645629;15918568;100;0;0
HOTCOLOR=0xFFF4E8
HOTGRADIENTPERCENT=100
HOTGRADIENTDATA=16777215;16440510;100;0;0
BORDERSMASK=# (192,0,264,48) (3,1)
FONTCOLOR=0x402A1A
HOTFONTCOLOR=0x7A3A10
[COMBOBOX]
COLOR=0xFFFFFF
FONTCOLOR=0
HOTCOLOR=0xFFFBF6
BORDERSMASK=# (72,0,120,48) (2,1)
GLYPHMASK=# (108,80,168,98) (3,1)
[SCROLLBAR1H]
COLOR=0xEDE6E0
GRADIENTPERCENT=100
GRADIENTDATA=15263976;16250871;100;0;0
HOTCOLOR=0xF2EBE4
[SCROLLBAR2H]
PARENTCLASS=SCROLLBAR1H
[SCROLLBAR1V]
COLOR=0xEDE6E0
GRADIENTPERCENT=100
GRADIENTDATA=15263976;16250871;100;1;0
HOTCOLOR=0xF2EBE4
[SCROLLBAR2V]
PARENTCLASS=SCROLLBAR1V
[SCROLLSLIDERH]
COLOR=0xE8D8C8
GRADIENTPERCENT=100
GRADIENTDATA=16777215;15262926;100;0;0
HOTCOLOR=0xFFE8D0
BORDERSMASK=# (0,0,72,48) (3,1)
[SCROLLSLIDERV]
COLOR=0xE8D8C8
GRADIENTPERCENT=100
GRADIENTDATA=16777215;15262926;100;1;0
HOTCOLOR=0xFFE8D0
BORDERSMASK=# (0,0,72,48) (3,1)
[SCROLLBTNBOTTOM]
COLOR=0xF9F3EE
HOTCOLOR=0xFFF4E8
BORDERSMASK=# (0,0,72,48) (3,1)
GLYPHMASK=# (0,80,27,98) (3,1)
[SCROLLBTNTOP]
COLOR=0xF9F3EE
HOTCOLOR=0xFFF4E8
BORDERSMASK=# (0,0,72,48) (3,1)
GLYPHMASK=# (27,80,54,98) (3,1)
[SCROLLBTNLEFT]
COLOR=0xF9F3EE
HOTCOLOR=0xFFF4E8
BORDERSMASK=# (0,0,72,48) (3,1)
GLYPHMASK=# (54,80,81,98) (3,1)
[SCROLLBTNRIGHT]
COLOR=0xF9F3EE
HOTCOLOR=0xFFF4E8
BORDERSMASK=# (0,0,72,48) (3,1)
GLYPHMASK=# (81,80,108,98) (3,1)
)";

}  // namespace
}  // namespace qv

int main(int argc, char** argv) {
  using namespace qv;
  if (argc != 2) {
    std::fprintf(stderr, "usage: qv_make_skin <skins folder>\n");
    return 2;
  }
  const std::string dir = std::string(argv[1]) + "/Harbour/";
  std::filesystem::create_directories(dir);
  Surface master(264, 104, kKey);
  const Look button[3] = {{Rgb(112, 128, 150), Rgb(255, 255, 255), 110},
                          {Rgb(40, 110, 200), Rgb(255, 255, 255), 90},
                          {Rgb(30, 70, 140), Rgb(200, 210, 230), 200}};
  for (int state = 0; state < 3; ++state) DrawBorderState(master, state * 24, 0, 24, 4.5, button[state]);
  const Look edit[2] = {{Rgb(138, 152, 170), Rgb(255, 255, 255), 255},
                        {Rgb(51, 140, 240), Rgb(255, 255, 255), 255}};
  for (int state = 0; state < 2; ++state) DrawBorderState(master, 72 + state * 24, 0, 24, 1.5, edit[state]);
  DrawBevel(master, 120, 0, 24);
  DrawCheck(master, 0, 48);
  const Look header[3] = {{Rgb(170, 180, 196), Rgb(255, 255, 255), 120},
                          {Rgb(40, 110, 200), Rgb(255, 255, 255), 90},
                          {Rgb(30, 70, 140), Rgb(200, 210, 230), 200}};
  for (int state = 0; state < 3; ++state) DrawBorderState(master, 192 + state * 24, 0, 24, 0, header[state]);
  for (int direction = 0; direction < 4; ++direction) DrawArrow(master, direction * 27, 80, direction);
  DrawArrow(master, 108, 80, 0, 20, 6);  // the combo box's, clear of its frame
  if (!SaveBmpFile(dir + "MASTER.BMP", master, 24)) {
    std::fprintf(stderr, "qv_make_skin: cannot write %sMASTER.BMP\n", dir.c_str());
    return 1;
  }
  std::ofstream(dir + "PANEL.JPG", std::ios::binary) << EncodeJpeg(PanelTexture(), 92);
  std::ofstream(dir + "Options.dat", std::ios::binary) << kOptions;
  return 0;
}
