// DrawText and DrawTextEx: the layout over the DC's font, then each run drawn
// like ExtTextOut would, clipped to the rectangle unless DT_NOCLIP.
#include <algorithm>
#include <cstring>

#include "platform/Utf.h"
#include "platform/text/FontEngine.h"
#include "platform/text/Text.h"
#include "platform/text/TextPaint.h"

namespace qv {
namespace {

class FontMeasurer : public TextMeasurer {
 public:
  explicit FontMeasurer(Font& font) : font_(font) {}
  int CharWidth(char32_t cp) override { return font_.Advance(cp); }
  int Height() override { return font_.Metrics().Height; }
  int ExternalLeading() override { return font_.Metrics().ExternalLeading; }
  int AveCharWidth() override { return font_.Metrics().AveCharWidth; }

 private:
  Font& font_;
};

int DrawTextCore(HDC hdc, std::u16string_view text, RECT* rect, UINT format, DRAWTEXTPARAMS* params,
                 std::u16string* shown) {
  if (!rect) return 0;
  auto lock = FontEngine::Instance().Lock();
  TextContext ctx;
  if (!ctx.Load(hdc)) return 0;
  Font& font = *ctx.TheFont;
  FontMeasurer measurer(font);
  TextLayoutOptions options{format};
  if (params) {
    options.TabLength = params->iTabLength;
    options.LeftMargin = params->iLeftMargin;
    options.RightMargin = params->iRightMargin;
    params->uiLengthDrawn = UINT(text.size());
  }
  const TextLayout layout = LayOutText(text, *rect, options, measurer);
  if (shown && layout.Ellipsized) *shown = layout.Shown;
  if (format & DT_CALCRECT) {
    *rect = layout.Bounds;
    return layout.Height;
  }
  const DCView& v = ctx.View;
  PixelPainter painter(v.pixels, v.clip);
  RECT clip = *rect;
  OffsetRect(&clip, v.offset.x, v.offset.y);
  if (layout.Clip) painter.NarrowClip(clip);
  const int ascent = font.Metrics().Ascent;
  for (const TextLine& line : layout.Lines) {
    if (layout.Clip && line.Top >= rect->bottom) break;  // nothing below the rectangle shows
    const double baseline = line.Top + ascent + v.offset.y;
    for (const TextRun& run : line.Runs)
      PaintRun(ctx, painter, run.X + v.offset.x, baseline, run.Text, nullptr,
               RunWidth(font, run.Text, nullptr), true, layout.DrawGlyphs);
    if (line.UnderlineRight > line.UnderlineLeft)
      PaintUnderline(ctx, painter, line.UnderlineLeft + v.offset.x, baseline, 0,
                     line.UnderlineRight - line.UnderlineLeft);
  }
  return layout.Height;
}

// Writes the shortened text over the caller's buffer (it holds count + 4 units).
template <typename Char>
void WriteBack(Char* text, int count, std::basic_string_view<Char> shown) {
  const std::size_t room = std::size_t(count) + 4;
  const std::size_t n = std::min(shown.size(), room - 1);
  std::copy_n(shown.data(), n, text);
  text[n] = 0;
}

}  // namespace

int DrawTextW(HDC hdc, const WCHAR* text, int count, RECT* rect, UINT format) {
  if (!text && count != 0) return 0;
  return DrawTextCore(hdc, WideView(text, count), rect, format & ~DT_MODIFYSTRING, nullptr, nullptr);
}

int DrawTextA(HDC hdc, const char* text, int count, RECT* rect, UINT format) {
  if (!text && count != 0) return 0;
  const std::u16string wide = Utf8ToUtf16(NarrowView(text, count));
  return DrawTextCore(hdc, wide, rect, format & ~DT_MODIFYSTRING, nullptr, nullptr);
}

int DrawTextExW(HDC hdc, WCHAR* text, int count, RECT* rect, UINT format, DRAWTEXTPARAMS* params) {
  if (!text && count != 0) return 0;
  if (params && params->cbSize != sizeof(DRAWTEXTPARAMS)) return 0;
  const std::u16string_view view = WideView(text, count);
  std::u16string shown;
  int height = DrawTextCore(hdc, view, rect, format, params, &shown);
  if ((format & DT_MODIFYSTRING) && !shown.empty() && text)
    WriteBack<char16_t>(text, int(view.size()), shown);
  return height;
}

int DrawTextExA(HDC hdc, char* text, int count, RECT* rect, UINT format, DRAWTEXTPARAMS* params) {
  if (!text && count != 0) return 0;
  if (params && params->cbSize != sizeof(DRAWTEXTPARAMS)) return 0;
  const std::string_view narrow = NarrowView(text, count);
  const std::u16string wide = Utf8ToUtf16(narrow);
  std::u16string shown;
  int height = DrawTextCore(hdc, wide, rect, format, params, &shown);
  if ((format & DT_MODIFYSTRING) && !shown.empty() && text) {
    const std::string utf8 = Utf16ToUtf8(shown);
    WriteBack<char>(text, int(narrow.size()), utf8);
  }
  return height;
}

}  // namespace qv
