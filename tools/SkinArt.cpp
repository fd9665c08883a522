// The drawings of our skins (see SkinArt.h).
#include "tools/SkinArt.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

#include "platform/image/Bmp.h"

namespace qv::skinart {

uint32_t Rgb(int r, int g, int b) {
  return PixelRGB(uint8_t(std::clamp(r, 0, 255)), uint8_t(std::clamp(g, 0, 255)),
                  uint8_t(std::clamp(b, 0, 255)));
}

uint32_t Grey(int g) {
  return Rgb(g, g, g);
}

namespace {

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

// A bevel: a light line along the top and left, a dark one along the bottom
// and right, the rest see-through. Both lines show on a light panel.
void DrawBevel(Surface& s, int ox, int oy, int size, const Palette& p) {
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      uint32_t image = Grey(128);
      int alpha = 255;
      if (y == size - 1 || x == size - 1)
        image = p.bevelDark, alpha = 40;
      else if (y == 0 || x == 0)
        image = p.bevelLight, alpha = 0;
      s.Set(ox + x, oy + y, image);
      s.Set(ox + x, oy + size + y, Grey(alpha));
    }
}

// A groove of a dark and a light line across a see-through 12 x 12 block:
// down the middle when `vertical`, else along it.
void DrawDivider(Surface& s, int ox, int oy, bool vertical, const Palette& p) {
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 12; ++x) {
      const int across = vertical ? x : y;
      const bool dark = across == 5, light = across == 6;
      s.Set(ox + x, oy + y, dark ? p.bevelDark : light ? Rgb(255, 255, 255) : Grey(128));
      s.Set(ox + x, oy + 12 + y, Grey(dark || light ? 0 : 255));
    }
}

// A 13 x 13 check box in three states (clear, checked, greyed), alpha below.
void DrawCheck(Surface& s, int ox, int oy, const Palette& p) {
  for (int state = 0; state < 3; ++state)
    for (int y = 0; y < 13; ++y)
      for (int x = 0; x < 13; ++x) {
        const bool edge = x == 0 || y == 0 || x == 12 || y == 12;
        uint32_t image = edge ? p.checkEdge : p.checkFace;
        // The tick: down from (3, 6) to (5, 8), then up to (9, 3), two pixels thick.
        const bool tick = (x >= 3 && x <= 5 && (y == x + 3 || y == x + 4)) ||
                          (x >= 5 && x <= 9 && (y == 13 - x || y == 14 - x));
        if (state > 0 && tick) image = state == 1 ? p.checkMark : p.checkGreyed;
        s.Set(ox + state * 13 + x, oy + y, image);
        s.Set(ox + state * 13 + x, oy + 13 + y, Grey(0));
      }
}

// A 13 x 13 radio button in three states (clear, chosen, greyed), alpha below:
// a ring, a face, and a dot when chosen; outside the ring see-through.
void DrawRadio(Surface& s, int ox, int oy, const Palette& p) {
  for (int state = 0; state < 3; ++state)
    for (int y = 0; y < 13; ++y)
      for (int x = 0; x < 13; ++x) {
        const double d = std::hypot(x - 6.0, y - 6.0);
        uint32_t image = kKey;
        int alpha = 255;
        if (d <= 6.3) image = d > 5.1 ? p.checkEdge : p.checkFace, alpha = 0;
        if (state > 0 && d <= 2.6) image = state == 1 ? p.checkMark : p.checkGreyed;
        s.Set(ox + state * 13 + x, oy + y, image);
        s.Set(ox + state * 13 + x, oy + 13 + y, Grey(alpha));
      }
}

// A 9-pixel-high arrow in three states (normal, hot, pressed) side by side,
// alpha below, each state `width` wide with the arrow's 9 x 9 cell at `left`.
// Direction 0 points down, 1 up, 2 left, 3 right.
void DrawArrow(Surface& s, int ox, int oy, int direction, const Palette& p, int width = 9, int left = 0) {
  for (int state = 0; state < 3; ++state)
    for (int y = 0; y < 9; ++y)
      for (int px = 0; px < width; ++px) {
        const int x = px - left;
        // (a, b): across and along the arrow in a cell pointing down.
        const int a = direction < 2 ? x : y, along = direction < 2 ? y : x;
        const int b = direction == 1 || direction == 2 ? 8 - along : along;
        const bool in = x >= 0 && x < 9 && b >= 2 && b <= 5 && std::abs(a - 4) <= 5 - b;
        s.Set(ox + state * width + px, oy + y, in ? p.arrow[state] : Grey(255));
        s.Set(ox + state * width + px, oy + 9 + y, Grey(in ? 0 : 255));
      }
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

Surface Glyph(Symbol sym, const uint32_t (&faces)[3], uint32_t outline) {
  Surface s(54, 32, Grey(0));
  for (int state = 0; state < 3; ++state)
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 18; ++x) {
        const bool corner = (x == 0 || x == 17) && (y == 0 || y == 15);
        uint32_t p = corner ? kKey : SymbolPixel(sym, x, y) ? Rgb(255, 255, 255) : faces[state];
        if (!corner && (x == 0 || y == 0 || x == 17 || y == 15)) p = outline;
        s.Set(state * 18 + x, y, p);
      }
  return s;
}

// A 14 x 14 grip of dots, three equal states, black alpha.
Surface Grip(uint32_t dots) {
  Surface s(42, 28, Grey(0));
  for (int state = 0; state < 3; ++state)
    for (int y = 0; y < 14; ++y)
      for (int x = 0; x < 14; ++x) {
        const bool dot = x + y >= 13 && (x % 4 == 1) && (y % 4 == 1);
        s.Set(state * 14 + x, y, dot ? dots : kKey);
      }
  return s;
}

}  // namespace

Surface DrawMaster(const Palette& p) {
  Surface master(336, 128, kKey);
  for (int state = 0; state < 3; ++state) DrawBorderState(master, state * 24, 0, 24, 4.5, p.button[state]);
  for (int state = 0; state < 2; ++state) DrawBorderState(master, 72 + state * 24, 0, 24, 1.5, p.edit[state]);
  DrawBevel(master, 120, 0, 24, p);
  for (int state = 0; state < 3; ++state)
    DrawBorderState(master, 192 + state * 24, 0, 24, 0, p.header[state]);
  for (int state = 0; state < 3; ++state) DrawBorderState(master, 264 + state * 12, 0, 12, 2, p.small[state]);
  DrawDivider(master, 300, 0, true, p);
  DrawDivider(master, 312, 0, false, p);
  DrawCheck(master, 0, 48, p);
  DrawRadio(master, 39, 48, p);
  for (int direction = 0; direction < 4; ++direction) DrawArrow(master, direction * 27, 80, direction, p);
  DrawArrow(master, 108, 80, 0, p, 20, 6);  // the combo box's, clear of its frame
  return master;
}

bool WriteFormImages(const std::string& dir, const Palette& p, std::string& failed) {
  const std::pair<const char*, Surface> images[] = {
      {"CLOSE.BMP", Glyph(kClose, p.closeFace, p.frameOuter)},
      {"MIN.BMP", Glyph(kMin, p.face, p.frameOuter)},
      {"MAX.BMP", Glyph(kMax, p.face, p.frameOuter)},
      {"NORM.BMP", Glyph(kRestore, p.face, p.frameOuter)},
      {"HELP.BMP", Glyph(kHelp, p.face, p.frameOuter)},
      {"TITLEBTN.BMP", Glyph(kHelp, p.titleFace, p.frameOuter)},
      {"GRIP.BMP", Grip(p.grip)},
      {"FRAME.BMP", FrameMask(18, 6, p.frameOuter, p.frameInner)},
      {"MENUFRAME.BMP", FrameMask(12, 3, p.menuOuter, p.menuInner)},
  };
  for (const auto& [name, surface] : images)
    if (!SaveBmpFile(dir + name, surface, 24)) {
      failed = name;
      return false;
    }
  return true;
}

}  // namespace qv::skinart
