// The test skins, drawn here and written to a temporary skin directory:
// "TestSkin" with every value form, inheritance probes and a master bitmap
// whose pixels name their own position, "Second", a folder without a
// description, and "Broken" with malformed values.
#pragma once
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/Surface.h"
#include "platform/image/Bmp.h"
#include "platform/image/Jpeg.h"
#include "tests/common/TempDir.h"

namespace qv::test {

// A pixel that names its place: red = x, green = y (both below 256), blue 100.
inline uint32_t Coded(int x, int y, int blue = 100) {
  return PixelRGB(uint8_t(x), uint8_t(y), uint8_t(blue));
}
constexpr uint32_t kKey = 0xFFFF00FF;     // the transparent key as a surface pixel
constexpr uint32_t kOpaque = 0xFF000000;  // black alpha: the image pixel shows unchanged

inline void FillAlphaRows(Surface& s, int left, int top, int right, int bottom) {
  for (int y = top; y < bottom; ++y)
    for (int x = left; x < right; ++x) s.Set(x, y, kOpaque);
}

inline Surface MasterSurface() {
  Surface s(256, 256);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) s.Set(x, y, Coded(x, y));
  FillAlphaRows(s, 64, 24, 112, 48);   // FORM border: (64,0,112,48), 2 states, alpha below
  FillAlphaRows(s, 112, 24, 160, 48);  // FORMTITLE border, free form
  FillAlphaRows(s, 0, 21, 63, 42);     // BICONCLOSE glyph, 3 states of 21 x 21
  FillAlphaRows(s, 0, 184, 48, 208);   // MENUITEM border
  // Transparent runs of 3, 2 and 1 pixels at the start of the FORM border's
  // first rows, in the top-left corner part of each state.
  for (int state = 0; state < 2; ++state)
    for (int row = 0; row < 3; ++row)
      for (int x = 0; x < 3 - row; ++x) s.Set(64 + state * 24 + x, row, kKey);
  // ...and mirrored in each top-right corner part.
  for (int state = 0; state < 2; ++state)
    for (int row = 0; row < 3; ++row)
      for (int x = 0; x < 3 - row; ++x) s.Set(64 + state * 24 + 23 - x, row, kKey);
  return s;
}

// 180 x 120: nine parts of 20 x 20 per state, three states, image rows
// 0..59 coded by position, alpha rows 60..119 black.
inline Surface Border9Surface() {
  Surface s(180, 120);
  for (int y = 0; y < 120; ++y)
    for (int x = 0; x < 180; ++x) s.Set(x, y, y < 60 ? Coded(x, y, 50) : kOpaque);
  return s;
}

inline Surface Solid(int w, int h, uint32_t c) {
  return Surface(w, h, c);
}

inline void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

inline const char* kTestSkinOptions = R"([GLOBALINFO]
VERSION=1.5
AUTHOR=test
DESCRIPTION=self-made
MASTERBITMAP=MASTER.BMP
SHADOW1COLOR=$000000
SHADOW1OFFSET=3
SHADOW1BLUR=4
SHADOW1TRANSPARENCY=50
COLOR=0xC0C0C0
FONTCOLOR=0
BICONCLOSE=@0000,0000,0063,0042,3,1
[FORM]
COLOR=12632256
HOTCOLOR=12632256
RESERVEDBOOLEAN=TRUE
BORDERSMASK=^0064,0000,0112,0048,0008,0008,0008,0008,2,1,0,4
[FORMTITLE]
PARENTCLASS=FORM
GRADIENTPERCENT=100
GRADIENTDATA=16753188;16777215;100;0;0
HOTGRADIENTPERCENT=100
HOTGRADIENTDATA=255;65280;100;1;0
FONTCOLOR=0xFFFFFF
HOTFONTCOLOR=0xFFFF00
TCLEFT=0
TCBOTTOM=0
BORDERSMASK=# (112,0,160,48) (2,1,4)
TITLEBAR=# (160,0,196,24) (2,0,0,0)
[MENUITEM]
COLOR=16777215
HOTCOLOR=16711680
TRANSPARENCY=50
BORDERSMASK=# (0,160,48,208) (2,1,4)
[PLAINBORDER]
BORDERSMASK=# (160,100,184,124) (1,0)
[MDIAREA]
PATTERN=PATTERN.JPG
IMAGEPERCENT=50
COLOR=8421504
[EDIT]
COLOR=16777215
FONTCOLOR=0
BORDERSMASK=BORDER9.BMP
FADINGENABLED=true
FADINGITERATIONS=5
[BUTTON]
COLOR=12632256
HOTCOLOR=14737632
GRADIENTPERCENT=60
GRADIENTDATA=16777215;8421504;100;0;0
IMAGEPERCENT=20
PATTERN=TEX.JPG
HOTPATTERN=~0200,0200,0232,0232,00
BORDERSMASK=!GLYPH.BMP!3!1!0
TCLEFT=255
[BIG]
PATTERN=P300.JPG
HOTPATTERN=P299.JPG
[LOWER]
BANG=!lower.bmp!3!1!0
PLAIN=lower.bmp
[CHILD]
PARENTCLASS=BUTTON
TCLEFT=-1
[GRANDCHILD]
PARENTCLASS=CHILD
[SELF]
PARENTCLASS=SELF
[LOOPA]
PARENTCLASS=LOOPB
[LOOPB]
PARENTCLASS=LOOPA
[BAD]
SHADOWENABLED=1
[LOWERTRUE]
SHADOWENABLED=true
[SYSCOLOR]
COLOR=-2147483633
HOTCOLOR=-2147483633
[HASH]
X=#
Y=# (1,2,3,4) (0,-1)
)";

// Writes the skins under <dir>/Skins and returns that folder (ending in "/").
inline std::string MakeTestSkins(const TempDir& dir) {
  namespace fs = std::filesystem;
  const std::string root = dir.Path() + "Skins/";
  const std::string t = root + "TestSkin/";
  fs::create_directories(t);
  fs::create_directories(root + "Second");
  fs::create_directories(root + "NoOptions");
  fs::create_directories(root + "Broken");
  SaveBmpFile(t + "MASTER.BMP", MasterSurface(), 24);
  SaveBmpFile(t + "BORDER9.BMP", Border9Surface(), 24);
  SaveBmpFile(t + "GLYPH.BMP", Border9Surface(), 24);
  SaveBmpFile(t + "lower.bmp", Solid(9, 6, 0xFF3366CC), 24);
  WriteText(t + "P300.JPG", EncodeJpeg(Solid(300, 300, 0xFF808080), 90));
  WriteText(t + "P299.JPG", EncodeJpeg(Solid(299, 300, 0xFF808080), 90));
  WriteText(t + "TEX.JPG", EncodeJpeg(Solid(64, 64, 0xFF2040C0), 90));
  WriteText(t + "PATTERN.JPG", EncodeJpeg(Solid(300, 300, 0xFF406080), 90));
  WriteText(t + "Options.dat", kTestSkinOptions);
  WriteText(root + "Second/Options.dat", "[GLOBALINFO]\nVERSION=2\n[EDIT]\nCOLOR=255\n");
  WriteText(root + "Broken/Options.dat", "[GLOBALINFO]\nVERSION=1\n[EDIT]\nX=^0001,0002\n");
  return root;
}

}  // namespace qv::test
