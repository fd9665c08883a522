// What the demo canvas draws: a title, a gradient, a blended rectangle, a
// picture drawn in code, grid lines, text rows, and the status band.
#include <cmath>
#include <string>

#include "demo/DemoLayout.h"
#include "demo/DemoWindows.h"
#include "platform/gdi/Gdi.h"
#include "platform/text/Text.h"

namespace qv::demo {
namespace {

HFONT UiFont(bool bold) {
  return CreateFontW(-12, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0,
                     u"Tahoma");
}

// A 32-bit top-down DIB section and a memory DC holding it.
struct MemoryBitmap {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr, old = nullptr;
  uint32_t* bits = nullptr;
  MemoryBitmap(HDC like, int w, int h) {
    BITMAPINFO bi{};
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biBitCount = 32;
    void* p = nullptr;
    bitmap = CreateDIBSection(like, &bi, DIB_RGB_COLORS, &p, nullptr, 0);
    bits = static_cast<uint32_t*>(p);
    dc = CreateCompatibleDC(like);
    old = static_cast<HBITMAP>(SelectObject(dc, bitmap));
  }
  ~MemoryBitmap() {
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
  }
};

void PaintGradient(HDC dc) {
  const RECT& r = kGradientRect;
  TRIVERTEX v[2];
  v[0].x = r.left, v[0].y = r.top, v[0].Red = 0xFF00;
  v[1].x = r.right, v[1].y = r.bottom, v[1].Blue = 0xFF00;
  GRADIENT_RECT mesh{0, 1};
  GradientFill(dc, v, 2, &mesh, 1, GRADIENT_FILL_RECT_H);
}

void PaintBlend(HDC dc) {
  const RECT& r = kBlendRect;
  HBRUSH under = CreateSolidBrush(kBlendUnder);
  FillRect(dc, &r, under);
  DeleteObject(under);
  MemoryBitmap over(dc, r.Width(), r.Height());
  RECT all{0, 0, r.Width(), r.Height()};
  HBRUSH red = CreateSolidBrush(kBlendOver);
  FillRect(over.dc, &all, red);
  DeleteObject(red);
  BLENDFUNCTION half{AC_SRC_OVER, 0, 128, 0};
  AlphaBlend(dc, r.left, r.top, r.Width(), r.Height(), over.dc, 0, 0, r.Width(), r.Height(), half);
}

// An orange disc on a checkerboard, drawn pixel by pixel into a bitmap.
void PaintPicture(HDC dc) {
  const RECT& r = kImageRect;
  int w = r.Width(), h = r.Height();
  MemoryBitmap pic(dc, w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      double dx = x - w / 2.0 + 0.5, dy = y - h / 2.0 + 0.5;
      bool disc = std::sqrt(dx * dx + dy * dy) < w * 0.4;
      bool light = ((x / 4) + (y / 4)) % 2 == 0;
      pic.bits[y * w + x] = disc ? 0xFFFF8C00u : light ? 0xFFFFFFFFu : 0xFFC0C0C0u;
    }
  BitBlt(dc, r.left, r.top, w, h, pic.dc, 0, 0, SRCCOPY);
}

void PaintGrid(HDC dc) {
  const RECT& g = kGridRect;
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(170, 170, 200));
  HGDIOBJ old = SelectObject(dc, pen);
  for (int x = g.left; x <= g.right; x += kGridStep)
    MoveToEx(dc, x, g.top, nullptr), LineTo(dc, x, g.bottom + 1);
  for (int y = g.top; y <= g.bottom; y += kGridStep)
    MoveToEx(dc, g.left, y, nullptr), LineTo(dc, g.right + 1, y);
  HPEN dark = CreatePen(PS_SOLID, 2, RGB(40, 40, 120));
  SelectObject(dc, dark);
  MoveToEx(dc, g.left, g.bottom, nullptr);
  LineTo(dc, g.right, g.top);
  SelectObject(dc, old);
  DeleteObject(pen);
  DeleteObject(dark);
}

void PaintRows(HDC dc) {
  for (int i = 0; i < kRowCount; ++i) {
    int y = kRowsTop + i * kRowHeight;
    if (i % 2) {
      RECT band{0, y, kContent.cx, y + kRowHeight};
      HBRUSH b = CreateSolidBrush(RGB(240, 244, 250));
      FillRect(dc, &band, b);
      DeleteObject(b);
    }
    std::u16string text = u"Row " + std::u16string(1, char16_t('0' + i / 10)) + char16_t('0' + i % 10) +
                          u": disc catalogue entry, a name long enough to be shortened at the end";
    RECT cell{10, y, 420, y + kRowHeight};
    DrawTextW(dc, text.c_str(), int(text.size()), &cell, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
  }
}

}  // namespace

void PaintContent(HDC dc) {
  RECT all{0, 0, kContent.cx, kContent.cy};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 0, 0));
  HFONT bold = UiFont(true), normal = UiFont(false);
  HGDIOBJ old = SelectObject(dc, bold);
  RECT title = kTitleRect;
  DrawTextW(dc, u"Quirvane platform demo", -1, &title, DT_SINGLELINE | DT_VCENTER);
  SelectObject(dc, normal);
  PaintGradient(dc);
  PaintBlend(dc);
  PaintPicture(dc);
  PaintGrid(dc);
  PaintRows(dc);
  SelectObject(dc, old);
  DeleteObject(bold);
  DeleteObject(normal);
}

void PaintStatus(HDC dc, const RECT& band, const CanvasState& s, bool focused) {
  FillRect(dc, &band, reinterpret_cast<HBRUSH>(uintptr_t(COLOR_BTNFACE + 1)));
  HFONT font = UiFont(false);
  HGDIOBJ old = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 0, 0));
  std::u16string line1 = u"Key: " + s.lastKey + u"    Click: " + s.lastClick;
  std::u16string ticks;
  for (int n = s.ticks; ticks.empty() || n; n /= 10) ticks.insert(ticks.begin(), char16_t('0' + n % 10));
  std::u16string line2 = u"Ticks: " + ticks + (focused ? u"    (focused)" : u"");
  RECT r1{band.left + 6, band.top + 3, band.right - 6, band.top + 20};
  RECT r2{band.left + 6, band.top + 20, band.right - 6, band.bottom - 3};
  DrawTextW(dc, line1.c_str(), int(line1.size()), &r1, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
  DrawTextW(dc, line2.c_str(), int(line2.size()), &r2, DT_SINGLELINE | DT_VCENTER);
  if (focused) {
    RECT f = band;
    InflateRect(&f, -1, -1);
    DrawFocusRect(dc, &f);
  }
  SelectObject(dc, old);
  DeleteObject(font);
}

}  // namespace qv::demo
