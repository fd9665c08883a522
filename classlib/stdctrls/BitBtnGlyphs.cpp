// Pixel art for the standard kinds of TBitBtn, one letter per pixel:
// '.' transparent, K black, G/g green, R/r red, B/b blue, Y yellow, W white,
// N brown, S grey.
#include "classlib/stdctrls/BitBtnGlyphs.h"

#include <array>
#include <map>
#include <memory>

#include "classlib/graphics/Canvas.h"
#include "classlib/stdctrls/BitBtn.h"

namespace qv {

namespace {

using Art = std::array<const char*, 16>;

// clang-format off
constexpr Art kCheck = {
    "................",
    "................",
    "..............G.",
    ".............GG.",
    "............GGg.",
    "...........GGg..",
    "..G.......GGg...",
    ".GGG.....GGg....",
    ".gGGG...GGg.....",
    "..gGGG.GGg......",
    "...gGGGGg.......",
    "....gGGg........",
    ".....gg.........",
    "................",
    "................",
    "................",
};

constexpr Art kCross = {
    "................",
    "................",
    "..RR.......RR...",
    "..RRR.....RRR...",
    "...RRR...RRR....",
    "....RRR.RRR.....",
    ".....RRRRR......",
    "......RRR.......",
    ".....RRRRR......",
    "....RRR.RRR.....",
    "...RRR...RRR....",
    "..RRR.....RRR...",
    "..RR.......RR...",
    "................",
    "................",
    "................",
};

constexpr Art kQuestion = {
    "................",
    ".....BBBBB......",
    "....BBbbbBB.....",
    "...BBb...bBB....",
    "...BB.....BB....",
    "..........BB....",
    ".........BBb....",
    "........BBb.....",
    ".......BBb......",
    ".......BB.......",
    ".......BB.......",
    "................",
    ".......BB.......",
    ".......BB.......",
    "................",
    "................",
};

constexpr Art kNoEntry = {
    "................",
    ".....RRRRRR.....",
    "....RRRRRRRR....",
    "...RRr....RRR...",
    "..RRR....RRRRR..",
    "..RR....RRR.RR..",
    "..RR...RRR..RR..",
    "..RR..RRR...RR..",
    "..RR.RRR....RR..",
    "..RRRRR....RRR..",
    "...RRR....rRR...",
    "....RRRRRRRR....",
    ".....RRRRRR.....",
    "................",
    "................",
    "................",
};

constexpr Art kDoor = {
    "................",
    "...KKKKKKKKKK...",
    "...KNNNNNNNNK...",
    "...KNnNNNNNNK...",
    "...KNnNNNNNNK...",
    "...KNnNNNNNNK...",
    "...KNnNNNNNNK...",
    "...KNnNNNNYNK...",
    "...KNnNNNNYNK...",
    "...KNnNNNNNNK...",
    "...KNnNNNNNNK...",
    "...KNnNNNNNNK...",
    "...KNnNNNNNNK...",
    "...KKKKKKKKKK...",
    "................",
    "................",
};

constexpr Art kAbort = {
    "................",
    ".....RRRRRR.....",
    "...RRRRRRRRRR...",
    "..RRRRRRRRRRRR..",
    "..RRRWWRRWWRRR..",
    ".RRRRRWWWWRRRRR.",
    ".RRRRRRWWRRRRRR.",
    ".RRRRRWWWWRRRRR.",
    "..RRRWWRRWWRRR..",
    "..RRRRRRRRRRRR..",
    "...RRRRRRRRRR...",
    ".....RRRRRR.....",
    "................",
    "................",
    "................",
    "................",
};

constexpr Art kRetry = {
    "................",
    ".....GGGGG......",
    "...GGg...gGG....",
    "..GG.......GG...",
    ".GG.........GG..",
    ".GG.........GG..",
    ".GG.......GGGGGG",
    ".GG........GGGG.",
    "..GG........GG..",
    "...GGg..........",
    ".....GGGGG......",
    "................",
    "................",
    "................",
    "................",
    "................",
};

constexpr Art kIgnore = {
    "................",
    "................",
    "......BBBBB.....",
    "....BB.....BB...",
    "...B.........B..",
    "..B...........B.",
    "..B..........BBB",
    "..B...........B.",
    "..S.............",
    "..S.............",
    "SSSSS...SSSSS...",
    "..S.............",
    "..S.............",
    "................",
    "................",
    "................",
};

constexpr Art kAll = {
    "................",
    "................",
    "..............G.",
    ".........G...GG.",
    "........GG..GGg.",
    ".......GGg.GGg..",
    "..G...GGg.GGg...",
    ".GGG.GGg.GGg....",
    ".gGGGGg.GGg.....",
    "..gGGg.GGg......",
    "...gGGGGg.......",
    "....gGGg........",
    ".....gg.........",
    "................",
    "................",
    "................",
};
// clang-format on

TColor ColorOf(char c) {
  switch (c) {
    case 'K':
      return clBlack;
    case 'G':
      return TColor(0x00A000);
    case 'g':
      return TColor(0x005000);
    case 'R':
      return TColor(0x0000D0);
    case 'r':
      return TColor(0x000080);
    case 'B':
      return TColor(0xC00000);
    case 'b':
      return TColor(0x800000);
    case 'Y':
      return clYellow;
    case 'W':
      return clWhite;
    case 'N':
      return TColor(0x2060A0);
    case 'n':
      return TColor(0x104070);
    case 'S':
      return clGray;
    default:
      return clFuchsia;
  }
}

std::unique_ptr<TBitmap> Draw(const Art& art) {
  auto bmp = std::make_unique<TBitmap>(16, 16, pf24bit);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) bmp->Canvas()->SetPixels(x, y, ColorOf(art[size_t(y)][x]));
  bmp->SetTransparentColor(clFuchsia);
  return bmp;
}

const Art* ArtOf(TBitBtnKind kind) {
  switch (kind) {
    case bkOK:
    case bkYes:
      return &kCheck;
    case bkCancel:
      return &kCross;
    case bkHelp:
      return &kQuestion;
    case bkNo:
      return &kNoEntry;
    case bkClose:
      return &kDoor;
    case bkAbort:
      return &kAbort;
    case bkRetry:
      return &kRetry;
    case bkIgnore:
      return &kIgnore;
    case bkAll:
      return &kAll;
    default:
      return nullptr;
  }
}

}  // namespace

TBitmap* KindGlyph(TBitBtnKind Kind) {
  // Built on first use from the thread that paints.
  // Kinds that share a picture share its bitmap.
  static std::map<const Art*, std::unique_ptr<TBitmap>> cache;
  const Art* art = ArtOf(Kind);
  if (!art) return nullptr;
  auto& slot = cache[art];
  if (!slot) slot = Draw(*art);
  return slot.get();
}

}  // namespace qv
