// Drawing runs: the opaque cell, the glyphs along the (possibly rotated)
// baseline, and the lines the font or a mnemonic asks for.
#include "platform/text/TextPaint.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/text/FontEngine.h"

namespace qv {
namespace {

// COLORREF 0x00BBGGRR to an opaque 0xAARRGGBB pixel.
uint32_t PixelOf(COLORREF c) {
  return 0xFF000000u | (c & 0xFFu) << 16 | (c & 0xFF00u) | (c >> 16 & 0xFFu);
}

char32_t NextCodePoint(std::u16string_view s, std::size_t& i) {
  char32_t c = s[i++];
  if (c >= 0xD800 && c <= 0xDBFF && i < s.size() && s[i] >= 0xDC00 && s[i] <= 0xDFFF)
    c = 0x10000 + ((c - 0xD800) << 10) + (s[i++] - 0xDC00);
  return c;
}

// A band across the run: along the baseline [a0, a1), across it [d0, d1) (down positive).
void FillBand(PixelPainter& painter, const TextDirection& dir, double ox, double oy, double a0, double a1,
              double d0, double d1, uint32_t pixel) {
  if (dir.Uy == 0 && dir.Ux == 1) {
    painter.FillRect(RECT{int(std::lround(ox + a0)), int(std::lround(oy + d0)), int(std::lround(ox + a1)),
                          int(std::lround(oy + d1))},
                     pixel);
    return;
  }
  auto at = [&](double a, double d, double& x, double& y) {
    x = ox + dir.Ux * a + dir.Nx * d;
    y = oy + dir.Uy * a + dir.Ny * d;
  };
  double xs[4], ys[4];
  at(a0, d0, xs[0], ys[0]);
  at(a1, d0, xs[1], ys[1]);
  at(a1, d1, xs[2], ys[2]);
  at(a0, d1, xs[3], ys[3]);
  painter.FillQuad(xs, ys, pixel);
}

}  // namespace

TextDirection TextDirection::For(int escapement) {
  int tenths = ((escapement % 3600) + 3600) % 3600;
  TextDirection d;
  switch (tenths) {
    case 0:
      return d;
    case 900:
      d.Ux = 0, d.Uy = -1;
      break;
    case 1800:
      d.Ux = -1, d.Uy = 0;
      break;
    case 2700:
      d.Ux = 0, d.Uy = 1;
      break;
    default:
      d.Ux = std::cos(tenths * M_PI / 1800.0);
      d.Uy = -std::sin(tenths * M_PI / 1800.0);
  }
  // "Down" is the baseline direction turned clockwise on screen.
  d.Nx = -d.Uy;
  d.Ny = d.Ux;
  return d;
}

FontRequest RequestOf(const LOGFONTW& lf) {
  FontRequest r;
  std::size_t n = 0;
  while (n < std::size_t(LF_FACESIZE) && lf.lfFaceName[n]) ++n;
  r.FaceName.assign(lf.lfFaceName, n);
  r.Height = lf.lfHeight;
  r.Escapement = lf.lfEscapement % 3600;
  r.Weight = lf.lfWeight;
  r.Italic = lf.lfItalic != 0;
  r.Underline = lf.lfUnderline != 0;
  r.StrikeOut = lf.lfStrikeOut != 0;
  return r;
}

// Threads draw text side by side: each remembers its own last font, and the
// engine's lock guards the shared cache (fonts live as long as the process).
Font* FontFor(const LOGFONTW& lf) {
  thread_local LOGFONTW lastLogFont;
  thread_local Font* last = nullptr;
  if (last && std::memcmp(&lastLogFont, &lf, sizeof lf) == 0) return last;
  auto lock = FontEngine::Instance().Lock();
  Font* font = FontEngine::Instance().Get(RequestOf(lf));
  if (font) std::memcpy(&lastLogFont, &lf, sizeof lf);
  return last = font;
}

bool TextContext::Load(HDC hdc) {
  if (!GetDCView(hdc, View)) return false;
  TheFont = FontFor(View.font);
  return TheFont != nullptr;
}

int RunWidth(Font& font, std::u16string_view text, const int* dx) {
  long width = 0;
  for (std::size_t i = 0; i < text.size();) {
    std::size_t start = i;
    char32_t cp = NextCodePoint(text, i);
    if (dx) {
      for (std::size_t k = start; k < i; ++k) width += dx[k];
    } else {
      width += font.Advance(cp);
    }
  }
  return int(std::clamp(width, -1000000L, 1000000L));
}

void PaintRun(const TextContext& ctx, PixelPainter& painter, double ox, double oy, std::u16string_view text,
              const int* dx, int width, bool opaque, bool glyphs) {
  Font& font = *ctx.TheFont;
  const FontMetrics& m = font.Metrics();
  const TextDirection dir = TextDirection::For(font.Escapement());
  if (opaque && ctx.View.bkMode == OPAQUE)
    FillBand(painter, dir, ox, oy, 0, width, -m.Ascent, m.Descent, PixelOf(ctx.View.bkColor));
  const uint32_t ink = PixelOf(ctx.View.textColor);
  if (glyphs) {
    const bool straight = dir.Uy == 0 && dir.Ux == 1;
    const int px0 = int(std::lround(ox)), py0 = int(std::lround(oy));
    long along = 0;
    for (std::size_t i = 0; i < text.size();) {
      std::size_t start = i;
      const Glyph& g = font.GlyphFor(NextCodePoint(text, i));
      int x = straight ? px0 + int(along) : int(std::lround(ox + dir.Ux * double(along)));
      int y = straight ? py0 : int(std::lround(oy + dir.Uy * double(along)));
      painter.BlendGlyph(g, x + g.Left, y - g.Top, ink);
      if (dx) {
        for (std::size_t k = start; k < i; ++k) along += dx[k];
      } else {
        along += g.Advance;
      }
      if (along > 1000000 || along < -1000000) break;  // hostile dx: nothing more is visible
    }
  }
  if (m.Underline)
    FillBand(painter, dir, ox, oy, 0, width, m.UnderlineOffset, m.UnderlineOffset + m.UnderlineThickness,
             ink);
  if (m.StrikeOut)
    FillBand(painter, dir, ox, oy, 0, width, -m.StrikeoutOffset, -m.StrikeoutOffset + m.StrikeoutThickness,
             ink);
}

void PaintUnderline(const TextContext& ctx, PixelPainter& painter, double ox, double oy, int from, int to) {
  const FontMetrics& m = ctx.TheFont->Metrics();
  FillBand(painter, TextDirection::For(ctx.TheFont->Escapement()), ox, oy, from, to, m.UnderlineOffset,
           m.UnderlineOffset + m.UnderlineThickness, PixelOf(ctx.View.textColor));
}

std::u16string_view WideView(const WCHAR* text, int count) {
  if (!text) return {};
  if (count < 0) return std::u16string_view(text);
  return std::u16string_view(text, std::size_t(count));
}

std::string_view NarrowView(const char* text, int count) {
  if (!text) return {};
  if (count < 0) return std::string_view(text);
  return std::string_view(text, std::size_t(count));
}

}  // namespace qv
