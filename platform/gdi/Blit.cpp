// BitBlt, StretchBlt, PatBlt, MaskBlt and the DIB-to-device transfers: the
// ternary raster operations over pattern, source and destination pixels.
#include "platform/gdi/Blit.h"

#include <algorithm>
#include <cstring>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/DibRows.h"
#include "platform/gdi/Transfer.h"

namespace qv {
using namespace gdi;

namespace {

// The brush pattern for one destination span, or null when the rop ignores it.
const uint32_t* PatternRow(const Fill& f, bool used, int y, int x0, int n, std::vector<uint32_t>& buf) {
  if (!used || f.kind == Fill::None) return nullptr;
  if (buf.size() < std::size_t(n)) buf.resize(std::size_t(n));
  FillRow(f, y, x0, n, buf.data());
  return buf.data();
}

// Runs a rop transfer from an already prepared Transfer.
BOOL RunRop(Dc& dest, Transfer& t, uint8_t rop) {
  bool usesP = RopUsesPattern(rop);
  Fill fill;
  if (usesP && !MakeBrushFill(dest, dest.s.brush, fill)) return FALSE;
  if (usesP && fill.kind == Fill::None) fill = SolidFill(0xFF000000u);  // a null brush acts as black
  PixRegion area = TransferArea(dest, t);
  std::vector<uint32_t> pat;
  ForEachSourceSpan(t, area, [&](int y, int x0, int n, const uint32_t* s) {
    const uint32_t* p = PatternRow(fill, usesP, y, x0, n, pat);
    t.dst.Span(y, x0, x0 + n, [&](uint32_t* d, int) { RopSpan(rop, d, s, p, n); });
  });
  return TRUE;
}

BOOL Stretch(HDC hdest, int x, int y, int w, int h, HDC hsrc, int xs, int ys, int ws, int hs, DWORD rop) {
  Dc* dest = DcOf(hdest);
  if (!dest) return FALSE;
  uint8_t r = RopByte(rop);
  Dc* src = nullptr;
  if (RopUsesSource(r)) {
    src = DcOf(hsrc);
    if (!src) return FALSE;
  }
  Transfer t;
  if (!PrepareTransfer(*dest, x, y, w, h, src, xs, ys, ws, hs, t)) return TRUE;  // nothing to draw
  if (!src) {
    // No source: the span fill is the fast path (PATCOPY, PATINVERT, DSTINVERT ...).
    Fill fill = SolidFill(0xFF000000u);
    if (RopUsesPattern(r) && !MakeBrushFill(*dest, dest->s.brush, fill)) return FALSE;
    if (fill.kind == Fill::None) fill = SolidFill(0xFF000000u);  // a null brush acts as black
    FillClipped(t.dst, dest->Clip(), t.dstRect, fill, r);
    return TRUE;
  }
  return RunRop(*dest, t, r);
}

}  // namespace

BOOL BitBlt(HDC dest, int x, int y, int w, int h, HDC src, int xs, int ys, DWORD rop) {
  return Stretch(dest, x, y, w, h, src, xs, ys, w, h, rop);
}

BOOL StretchBlt(HDC dest, int x, int y, int w, int h, HDC src, int xs, int ys, int ws, int hs, DWORD rop) {
  return Stretch(dest, x, y, w, h, src, xs, ys, ws, hs, rop);
}

BOOL PatBlt(HDC dest, int x, int y, int w, int h, DWORD rop) {
  uint8_t r = RopByte(rop);
  if (RopUsesSource(r)) return FALSE;
  return Stretch(dest, x, y, w, h, nullptr, 0, 0, 0, 0, rop);
}

BOOL MaskBlt(HDC hdest, int x, int y, int w, int h, HDC hsrc, int xs, int ys, HBITMAP mask, int xm, int ym,
             DWORD rop4) {
  uint8_t fore = RopByte(rop4), back = uint8_t(rop4 >> 24);
  if (!mask) return BitBlt(hdest, x, y, w, h, hsrc, xs, ys, DWORD(fore) << 16);
  Dc* dest = DcOf(hdest);
  Bitmap* m = As<Bitmap>(mask);
  if (!dest || !m || m->bpp != 1) return FALSE;
  Dc* src = nullptr;
  if (RopUsesSource(fore) || RopUsesSource(back)) {
    src = DcOf(hsrc);
    if (!src) return FALSE;
  }
  if (w <= 0 || h <= 0) return TRUE;
  Transfer t;
  if (!PrepareTransfer(*dest, x, y, w, h, src, xs, ys, w, h, t)) return TRUE;
  Fill fill;
  if (!MakeBrushFill(*dest, dest->s.brush, fill)) return FALSE;
  if (fill.kind == Fill::None) fill = SolidFill(0xFF000000u);
  PixRegion area = TransferArea(*dest, t);
  PixelRows mrows = m->Rows();
  std::vector<uint32_t> pat, fg, bits;
  ForEachSourceSpan(t, area, [&](int py, int x0, int n, const uint32_t* s) {
    const uint32_t* p = PatternRow(fill, true, py, x0, n, pat);
    int my = ym + (py - t.dstRect.top), mx = xm + (x0 - t.dstRect.left);
    bits.assign(std::size_t(n), 0xFFFFFFFFu);
    for (int i = 0; i < n; ++i)
      if (my >= 0 && my < m->height && mx + i >= 0 && mx + i < m->width)
        bits[std::size_t(i)] = mrows.Get(mx + i, my);
    t.dst.Span(py, x0, x0 + n, [&](uint32_t* d, int) {
      fg.assign(d, d + n);
      RopSpan(fore, fg.data(), s, p, n);
      RopSpan(back, d, s, p, n);
      for (int i = 0; i < n; ++i)
        if (bits[std::size_t(i)] & 0xFFFFFF) d[i] = fg[std::size_t(i)];
    });
  });
  return TRUE;
}

// ---- DIBs straight to a DC ----------------------------------------------------

int StretchDIBits(HDC hdc, int xd, int yd, int wd, int hd, int xs, int ys, int ws, int hs, const void* bits,
                  const BITMAPINFO* info, UINT usage, DWORD rop) {
  Dc* dest = DcOf(hdc);
  PixelRows mem;
  if (!dest || usage != DIB_RGB_COLORS || !DibRows(info, bits, mem, -1)) return 0;
  uint8_t r = RopByte(rop);
  // DIB source coordinates count rows from the bottom for bottom-up DIBs.
  if (info->bmiHeader.biHeight > 0) ys = mem.height - ys - hs;
  Transfer t;
  if (!PrepareTransfer(*dest, xd, yd, wd, hd, nullptr, 0, 0, 0, 0, t)) return 0;
  t.src = mem;
  t.srcRect = {xs, ys, xs + ws, ys + hs};
  if (ws < 0) {
    t.srcRect = {xs + ws, ys, xs, ys + hs};
    t.mirrorX = !t.mirrorX;
  }
  if (hs < 0) {
    t.srcRect.top = ys + hs;
    t.srcRect.bottom = ys;
    t.mirrorY = !t.mirrorY;
  }
  if (wd < 0) t.mirrorX = !t.mirrorX;
  if (hd < 0) t.mirrorY = !t.mirrorY;
  if (mem.bpp == 1 && t.dst.bpp != 1) {
    t.convert = 1;
    t.fg = ToPixel(RGB(info->bmiColors[0].rgbRed, info->bmiColors[0].rgbGreen, info->bmiColors[0].rgbBlue));
    const RGBQUAD& c1 = (&info->bmiColors[0])[1];
    t.bg = ToPixel(RGB(c1.rgbRed, c1.rgbGreen, c1.rgbBlue));
  }
  return RunRop(*dest, t, r) ? (hs < 0 ? -hs : hs) : 0;
}

int SetDIBitsToDevice(HDC hdc, int xd, int yd, DWORD w, DWORD h, int xs, int ys, UINT startScan, UINT lines,
                      const void* bits, const BITMAPINFO* info, UINT usage) {
  if (!info || lines == 0) return 0;
  // Only the banded form starting at scan 0 with every line is supported.
  if (startScan != 0) return 0;
  int height = info->bmiHeader.biHeight < 0 ? -info->bmiHeader.biHeight : info->bmiHeader.biHeight;
  if (int(lines) < height) return 0;
  return StretchDIBits(hdc, xd, yd, int(w), int(h), xs, ys, int(w), int(h), bits, info, usage, SRCCOPY)
             ? int(lines)
             : 0;
}

}  // namespace qv
