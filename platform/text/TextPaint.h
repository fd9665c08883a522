// Internal: drawing runs of text on a DC. ExtTextOut and DrawText both come
// here, after fetching the DC's state and its font once per call.
// Private to its folder: scripts/check-includes.py refuses it anywhere else.
#pragma once
#include <string_view>

#include "platform/gdi/DeviceContext.h"
#include "platform/text/Font.h"
#include "platform/text/PixelPainter.h"

namespace qv {

// The DC's state and font for one call; the caller holds the font engine lock.
struct TextContext {
  DCView View;
  Font* TheFont = nullptr;
  bool Load(HDC hdc);
};

// Unit vectors of the baseline direction and of "down" across it, on the pixel grid.
struct TextDirection {
  double Ux = 1, Uy = 0, Nx = 0, Ny = 1;
  static TextDirection For(int escapement);
};

// The logical font's request.
FontRequest RequestOf(const LOGFONTW& lf);
// The font for a DC's LOGFONTW; a small memo keeps the warm path free of hashing.
Font* FontFor(const LOGFONTW& lf);

// Sum of the advances; dx (one entry per UTF-16 unit) replaces the font's.
int RunWidth(Font& font, std::u16string_view text, const int* dx);

// Draws a run whose baseline starts at the pixel position (ox, oy): the opaque
// cell when the DC's background mode is OPAQUE (and `opaque`), the glyphs when
// `glyphs`, then the font's underline and strike-out.
void PaintRun(const TextContext& ctx, PixelPainter& painter, double ox, double oy, std::u16string_view text,
              const int* dx, int width, bool opaque, bool glyphs = true);
// A line under [from, to) along the baseline (the mnemonic underline).
void PaintUnderline(const TextContext& ctx, PixelPainter& painter, double ox, double oy, int from, int to);

// Code units of a zero-terminated or counted string; negative counts mean "to the zero".
std::u16string_view WideView(const WCHAR* text, int count);
std::string_view NarrowView(const char* text, int count);

}  // namespace qv
