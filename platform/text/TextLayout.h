// Laying out formatted text in a rectangle: line breaks, word wrapping, tab
// expansion, mnemonic prefixes, ellipses and alignment. It works over an
// abstract measurer, so it is independent of device contexts and fonts.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "platform/WinTypes.h"

namespace qv {

// DrawText format flags.
inline constexpr UINT DT_TOP = 0x00000000;
inline constexpr UINT DT_LEFT = 0x00000000;
inline constexpr UINT DT_CENTER = 0x00000001;
inline constexpr UINT DT_RIGHT = 0x00000002;
inline constexpr UINT DT_VCENTER = 0x00000004;
inline constexpr UINT DT_BOTTOM = 0x00000008;
inline constexpr UINT DT_WORDBREAK = 0x00000010;
inline constexpr UINT DT_SINGLELINE = 0x00000020;
inline constexpr UINT DT_EXPANDTABS = 0x00000040;
inline constexpr UINT DT_TABSTOP = 0x00000080;
inline constexpr UINT DT_NOCLIP = 0x00000100;
inline constexpr UINT DT_EXTERNALLEADING = 0x00000200;
inline constexpr UINT DT_CALCRECT = 0x00000400;
inline constexpr UINT DT_NOPREFIX = 0x00000800;
inline constexpr UINT DT_EDITCONTROL = 0x00002000;
inline constexpr UINT DT_PATH_ELLIPSIS = 0x00004000;
inline constexpr UINT DT_END_ELLIPSIS = 0x00008000;
inline constexpr UINT DT_MODIFYSTRING = 0x00010000;
inline constexpr UINT DT_RTLREADING = 0x00020000;
inline constexpr UINT DT_WORD_ELLIPSIS = 0x00040000;
inline constexpr UINT DT_NOFULLWIDTHCHARBREAK = 0x00080000;
inline constexpr UINT DT_HIDEPREFIX = 0x00100000;
inline constexpr UINT DT_PREFIXONLY = 0x00200000;

// Widths of characters in the font the text will be drawn with.
class TextMeasurer {
 public:
  virtual ~TextMeasurer() = default;
  virtual int CharWidth(char32_t cp) = 0;
  virtual int Height() = 0;  // of one line, without external leading
  virtual int ExternalLeading() = 0;
  virtual int AveCharWidth() = 0;
};

struct TextLayoutOptions {
  UINT Format = 0;
  int TabLength = 0;  // in average character widths; 0 = the format's or 8
  int LeftMargin = 0, RightMargin = 0;
};

// A piece of a line drawn in one go; lines split into runs at expanded tabs.
struct TextRun {
  int X = 0;  // left edge, logical coordinates
  std::u16string Text;
};

struct TextLine {
  int Top = 0;    // of the line's cell
  int Left = 0;   // of the first run
  int Width = 0;  // of all runs
  std::vector<TextRun> Runs;
  int UnderlineLeft = 0, UnderlineRight = 0;  // the prefixed character; empty when equal
};

struct TextLayout {
  std::vector<TextLine> Lines;
  int LineHeight = 0;
  int Height = 0;          // DrawText's result
  RECT Bounds{};           // the rectangle DT_CALCRECT answers
  bool Clip = true;        // draw clipped to the rectangle
  bool DrawGlyphs = true;  // false with DT_PREFIXONLY: underlines only
  bool Ellipsized = false;
  std::u16string Shown;  // the first line as shown, for DT_MODIFYSTRING
};

TextLayout LayOutText(std::u16string_view text, const RECT& rect, const TextLayoutOptions& options,
                      TextMeasurer& measurer);

}  // namespace qv
