// Metrics, extents and the single-line output calls. Every call takes the font
// engine's lock for its whole duration: faces and glyph caches are shared.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "platform/Utf.h"
#include "platform/text/FontEngine.h"
#include "platform/text/Text.h"
#include "platform/text/TextPaint.h"

namespace qv {
namespace {

template <typename TM>
void FillMetrics(const Font& font, TM& tm) {
  const FontMetrics& m = font.Metrics();
  tm = TM{};
  tm.tmHeight = m.Height;
  tm.tmAscent = m.Ascent;
  tm.tmDescent = m.Descent;
  tm.tmInternalLeading = m.InternalLeading;
  tm.tmExternalLeading = m.ExternalLeading;
  tm.tmAveCharWidth = m.AveCharWidth;
  tm.tmMaxCharWidth = m.MaxCharWidth;
  tm.tmWeight = m.Weight;
  tm.tmFirstChar = 0x20;
  tm.tmLastChar = sizeof(tm.tmLastChar) == 1 ? 0xFF : 0xFFFC;
  tm.tmDefaultChar = 0x1F;
  tm.tmBreakChar = 0x20;
  tm.tmItalic = m.Italic;
  tm.tmUnderlined = m.Underline;
  tm.tmStruckOut = m.StrikeOut;
  tm.tmPitchAndFamily = BYTE(TMPF_VECTOR | TMPF_TRUETYPE | (m.FixedPitch ? 0 : TMPF_FIXED_PITCH));
  tm.tmCharSet = DEFAULT_CHARSET;
}

// The narrow string's dx (one entry per byte) as one entry per UTF-16 unit.
std::vector<int> WideDx(std::string_view text, const int* dx) {
  std::vector<int> out;
  for (std::size_t i = 0; i < text.size();) {
    std::size_t start = i;
    char32_t cp = DecodeUtf8(text, i);
    int sum = 0;
    for (std::size_t k = start; k < i; ++k) sum += dx[k];
    out.push_back(sum);
    if (cp >= 0x10000 && cp <= 0x10FFFF) out.push_back(0);
  }
  return out;
}

BOOL ExtTextOutCore(HDC hdc, int x, int y, UINT options, const RECT* rect, std::u16string_view text,
                    const int* dx) {
  auto lock = FontEngine::Instance().Lock();
  TextContext ctx;
  if (!ctx.Load(hdc)) return FALSE;
  DCView& v = ctx.View;
  const UINT align = v.textAlign;
  if (align & TA_UPDATECP) x = v.currentPos.x, y = v.currentPos.y;
  Font& font = *ctx.TheFont;
  const FontMetrics& m = font.Metrics();
  const int width = RunWidth(font, text, dx);
  // The reference point's place in the run, in text space.
  const int along = (align & TA_CENTER) == TA_CENTER ? -width / 2 : (align & TA_RIGHT) ? -width : 0;
  const int down = (align & TA_BASELINE) == TA_BASELINE ? 0 : (align & TA_BOTTOM) ? -m.Descent : m.Ascent;
  const TextDirection dir = TextDirection::For(font.Escapement());
  const double ox = x + v.offset.x + dir.Ux * along + dir.Nx * down;
  const double oy = y + v.offset.y + dir.Uy * along + dir.Ny * down;

  PixelPainter painter(v.pixels, v.clip);
  if (rect) {
    RECT r = *rect;
    OffsetRect(&r, v.offset.x, v.offset.y);
    if (options & ETO_OPAQUE)
      painter.FillRect(
          r, 0xFF000000u | (v.bkColor & 0xFFu) << 16 | (v.bkColor & 0xFF00u) | (v.bkColor >> 16 & 0xFFu));
    if (options & ETO_CLIPPED) painter.NarrowClip(r);
  }
  PaintRun(ctx, painter, ox, oy, text, dx, width, true);
  if (align & TA_UPDATECP) {
    const int move = (align & TA_CENTER) == TA_CENTER ? 0 : (align & TA_RIGHT) ? -width : width;
    SetDCCurrentPos(hdc, POINT{x + int(std::lround(dir.Ux * move)), y + int(std::lround(dir.Uy * move))});
  }
  return TRUE;
}

// Runs f(font) under the lock with the DC's font; false when the DC is not valid.
template <typename F>
BOOL WithFont(HDC hdc, F&& f) {
  auto lock = FontEngine::Instance().Lock();
  TextContext ctx;
  if (!ctx.Load(hdc)) return FALSE;
  return f(*ctx.TheFont, ctx) ? TRUE : FALSE;
}

}  // namespace

BOOL GetTextMetricsW(HDC hdc, TEXTMETRICW* tm) {
  if (!tm) return FALSE;
  return WithFont(hdc, [&](Font& font, TextContext&) { return FillMetrics(font, *tm), true; });
}

BOOL GetTextMetricsA(HDC hdc, TEXTMETRICA* tm) {
  if (!tm) return FALSE;
  return WithFont(hdc, [&](Font& font, TextContext&) { return FillMetrics(font, *tm), true; });
}

int GetTextFaceW(HDC hdc, int count, WCHAR* name) {
  std::u16string face;
  if (!WithFont(hdc, [&](Font& font, TextContext&) { return face = font.FaceName(), true; })) return 0;
  if (!name) return int(face.size()) + 1;
  if (count <= 0) return 0;
  std::size_t n = std::min(face.size(), std::size_t(count - 1));
  std::copy_n(face.data(), n, name);
  name[n] = 0;
  return int(n);
}

int GetTextFaceA(HDC hdc, int count, char* name) {
  std::string face;
  if (!WithFont(hdc, [&](Font& font, TextContext&) { return face = Utf16ToUtf8(font.FaceName()), true; }))
    return 0;
  if (!name) return int(face.size()) + 1;
  if (count <= 0) return 0;
  std::size_t n = std::min(face.size(), std::size_t(count - 1));
  std::memcpy(name, face.data(), n);
  name[n] = 0;
  return int(n);
}

BOOL GetTextExtentPoint32W(HDC hdc, const WCHAR* text, int count, SIZE* size) {
  if (!size || count < 0 || (count > 0 && !text)) return FALSE;
  return WithFont(hdc, [&](Font& font, TextContext&) {
    *size = SIZE{RunWidth(font, WideView(text, count), nullptr), font.Metrics().Height};
    return true;
  });
}

BOOL GetTextExtentPoint32A(HDC hdc, const char* text, int count, SIZE* size) {
  if (!size || count < 0 || (count > 0 && !text)) return FALSE;
  const std::u16string wide = Utf8ToUtf16(NarrowView(text, count));
  return GetTextExtentPoint32W(hdc, wide.data(), int(wide.size()), size);
}

BOOL GetTextExtentExPointW(HDC hdc, const WCHAR* text, int count, int maxExtent, int* fit, int* partial,
                           SIZE* size) {
  if (count < 0 || (count > 0 && !text)) return FALSE;
  return WithFont(hdc, [&](Font& font, TextContext&) {
    const std::u16string_view s = WideView(text, count);
    long x = 0;
    int fits = 0;
    for (std::size_t i = 0; i < s.size();) {
      std::size_t start = i;
      char32_t cp = s[i++];
      if (cp >= 0xD800 && cp <= 0xDBFF && i < s.size() && s[i] >= 0xDC00 && s[i] <= 0xDFFF)
        cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i++] - 0xDC00);
      x += font.Advance(cp);
      for (std::size_t k = start; k < i; ++k) {
        if (partial) partial[k] = int(x);
        if (x <= maxExtent) fits = int(k + 1);
      }
    }
    if (fit) *fit = fits;
    if (size) *size = SIZE{LONG(x), font.Metrics().Height};
    return true;
  });
}

BOOL GetCharWidth32W(HDC hdc, UINT first, UINT last, int* widths) {
  if (!widths || last < first || last > 0x10FFFF) return FALSE;
  return WithFont(hdc, [&](Font& font, TextContext&) {
    for (UINT c = first; c <= last; ++c) widths[c - first] = font.Advance(c);
    return true;
  });
}

BOOL GetCharABCWidthsW(HDC hdc, UINT first, UINT last, ABC* abc) {
  if (!abc || last < first || last > 0x10FFFF) return FALSE;
  return WithFont(hdc, [&](Font& font, TextContext&) {
    for (UINT c = first; c <= last; ++c) {
      const Glyph& g = font.GlyphFor(c);
      ABC& out = abc[c - first];
      if (g.Width > 0) {
        out.abcA = g.Left;
        out.abcB = UINT(g.Width);
        out.abcC = g.Advance - g.Left - g.Width;
      } else {
        out = ABC{0, 0, g.Advance};
      }
    }
    return true;
  });
}

BOOL ExtTextOutW(HDC hdc, int x, int y, UINT options, const RECT* rect, const WCHAR* text, UINT count,
                 const int* dx) {
  if (count > 0 && !text) return FALSE;
  return ExtTextOutCore(hdc, x, y, options, rect, WideView(text, int(std::min<UINT>(count, 0x7FFFFFFF))), dx);
}

BOOL ExtTextOutA(HDC hdc, int x, int y, UINT options, const RECT* rect, const char* text, UINT count,
                 const int* dx) {
  if (count > 0 && !text) return FALSE;
  const std::string_view narrow = NarrowView(text, int(std::min<UINT>(count, 0x7FFFFFFF)));
  const std::u16string wide = Utf8ToUtf16(narrow);
  const std::vector<int> wideDx = dx ? WideDx(narrow, dx) : std::vector<int>{};
  return ExtTextOutCore(hdc, x, y, options, rect, wide, dx ? wideDx.data() : nullptr);
}

BOOL TextOutW(HDC hdc, int x, int y, const WCHAR* text, int count) {
  if (count < 0) return FALSE;
  return ExtTextOutW(hdc, x, y, 0, nullptr, text, UINT(count), nullptr);
}

BOOL TextOutA(HDC hdc, int x, int y, const char* text, int count) {
  if (count < 0) return FALSE;
  return ExtTextOutA(hdc, x, y, 0, nullptr, text, UINT(count), nullptr);
}

}  // namespace qv
