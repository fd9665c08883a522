// The drawings both of our skins are made of: the master bitmap of borders,
// glyphs and arrows (the same layout in every skin, so that the descriptions
// name the same rectangles), and the frame, caption-button and grip images of
// skinned forms. A palette gives each skin its colours.
#pragma once
#include <cstdint>
#include <string>

#include "platform/Surface.h"

namespace qv::skinart {

constexpr uint32_t kKey = 0xFFFF00FF;  // the transparent colour of skin images

uint32_t Rgb(int r, int g, int b);
uint32_t Grey(int g);

// One state of a rounded outline: its line, and the inner line along its top
// with how much of the background shows through it (255 = none of the line).
struct Look {
  uint32_t line;
  uint32_t highlight;
  int highlightAlpha;
};

struct Palette {
  Look button[3];       // normal, hot, pressed
  Look edit[2];         // normal, focused
  Look header[3];       // column headers: normal, hot, pressed
  Look small[3];        // the small buttons of spin edits
  uint32_t bevelLight;  // the panel bevel's top and left line
  uint32_t bevelDark;   // its bottom and right line
  uint32_t arrow[3];    // arrow glyphs: normal, hot, pressed
  uint32_t checkEdge, checkFace, checkMark, checkGreyed;
  // Forms: the frame's outer and inner line, the caption buttons' faces
  // (normal, hot, pressed), the close button's, the title button's, the grip's dots.
  uint32_t frameOuter, frameInner, menuOuter, menuInner;
  uint32_t face[3], closeFace[3], titleFace[3], grip;
};

// The master bitmap, 336 x 128. Its parts (left, top, right, bottom), each
// with its alpha rows below its image rows:
//   (0,0,72,48)     button outline, 3 states      (72,0,120,48)  edit outline, 2 states
//   (120,0,144,48)  panel bevel                   (192,0,264,48) column header, 3 states
//   (264,0,300,24)  small button outline, 3 states (300,0,312,24) vertical divider
//   (312,0,324,24)  horizontal divider            (0,48,39,74)   check box, 3 states
//   (39,48,78,74)   radio button, 3 states        (0..108,80,..,98) scroll arrows down, up, left, right
//   (108,80,168,98) combo box arrow, 3 states 20 wide
Surface DrawMaster(const Palette& p);

// Writes FRAME.BMP, MENUFRAME.BMP, the caption buttons CLOSE, MIN, MAX, NORM,
// HELP, TITLEBTN and GRIP.BMP into the skin folder `dir`; false when one
// cannot be written (its name in `failed`).
bool WriteFormImages(const std::string& dir, const Palette& p, std::string& failed);

}  // namespace qv::skinart
