// Icon and cursor objects: creation from bitmaps, copies back out, and drawing
// through temporary 32-bit DIBs so that clipping, stretching and mapping are
// those of the blit calls.
#include "platform/gdi/Icons.h"

#include <algorithm>
#include <vector>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Blit.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/GdiObject.h"
#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/SystemMetrics.h"

namespace qv {
using namespace gdi;

namespace {

struct Icon : Object {
  Icon() : Object(OBJ_ICON_INTERNAL) {}
  bool isIcon = true, mono = false;
  DWORD hotX = 0, hotY = 0;
  int width = 0, height = 0;
  std::vector<uint32_t> color;  // 0xAARRGGBB, straight alpha
  std::vector<uint8_t> mask;    // 1 = transparent; empty when there is no mask
  bool useAlpha = false;
};

// Our GDI writes opaque alpha on every pixel it draws, so an all-opaque (or
// all-clear) alpha channel says nothing: only a mixed one is taken as alpha.
bool AlphaMeaningful(const std::vector<uint32_t>& px) {
  bool clear = false, opaque = false;
  for (uint32_t p : px) {
    uint32_t a = PixelA(p);
    if (a != 0 && a != 255) return true;
    (a == 0 ? clear : opaque) = true;
  }
  return clear && opaque;
}

bool ReadBitmap(HBITMAP h, int top, int w, int rows, std::vector<uint32_t>& out) {
  Bitmap* b = As<Bitmap>(h);
  if (!b || b->width < w || b->height < top + rows) return false;
  PixelRows src = b->Rows();
  out.resize(std::size_t(w) * std::size_t(rows));
  for (int y = 0; y < rows; ++y)
    for (int x = 0; x < w; ++x) out[std::size_t(y * w + x)] = src.Get(x, top + y);
  return true;
}

bool FillFromBitmaps(Icon& icon, const ICONINFO& info) {
  Bitmap* m = As<Bitmap>(info.hbmMask);
  Bitmap* c = As<Bitmap>(info.hbmColor);
  if (!c && !m) return false;
  std::vector<uint32_t> px, maskPx;
  if (c) {
    icon.width = c->width;
    icon.height = c->height;
    if (!ReadBitmap(info.hbmColor, 0, icon.width, icon.height, px)) return false;
    if (m && !ReadBitmap(info.hbmMask, 0, icon.width, icon.height, maskPx)) return false;
  } else {
    // Monochrome: the AND mask over the XOR image in one double-height bitmap.
    icon.mono = true;
    icon.width = m->width;
    icon.height = m->height / 2;
    if (icon.height <= 0 || !ReadBitmap(info.hbmMask, 0, icon.width, icon.height, maskPx) ||
        !ReadBitmap(info.hbmMask, icon.height, icon.width, icon.height, px))
      return false;
    for (uint32_t& p : px) p = (p & 0xFFFFFF) ? 0xFFFFFFFFu : 0xFF000000u;
  }
  icon.color = std::move(px);
  icon.useAlpha = !icon.mono && AlphaMeaningful(icon.color);
  if (!maskPx.empty()) {
    icon.mask.resize(maskPx.size());
    for (std::size_t i = 0; i < maskPx.size(); ++i) icon.mask[i] = (maskPx[i] & 0xFFFFFF) ? 1 : 0;
  }
  return true;
}

Icon* IconOf(HICON h) {
  Object* o = Lookup(h);
  return o && o->type == OBJ_ICON_INTERNAL ? static_cast<Icon*>(o) : nullptr;
}

// A 1-bit bitmap of w x rows from a predicate (true = white).
template <typename F>
HBITMAP MonoBitmap(int w, int rows, F white) {
  int stride = (w + 15) / 16 * 2;
  std::vector<uint8_t> bits(std::size_t(stride) * std::size_t(rows), 0);
  for (int y = 0; y < rows; ++y)
    for (int x = 0; x < w; ++x)
      if (white(x, y)) bits[std::size_t(y * stride + x / 8)] |= uint8_t(0x80 >> (x % 8));
  return CreateBitmap(w, rows, 1, 1, bits.data());
}

// A memory DC over a 32-bit top-down DIB filled by the caller.
struct TempDib {
  HDC dc = nullptr;
  HBITMAP bmp = nullptr;
  HGDIOBJ old = nullptr;
  uint32_t* bits = nullptr;
  TempDib(int w, int h) {
    BITMAPINFO bi{};
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biBitCount = 32;
    void* p = nullptr;
    bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &p, nullptr, 0);
    bits = static_cast<uint32_t*>(p);
    dc = CreateCompatibleDC(nullptr);
    if (bmp) old = SelectObject(dc, bmp);
  }
  ~TempDib() {
    if (old) SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bmp);
  }
  TempDib(const TempDib&) = delete;
  TempDib& operator=(const TempDib&) = delete;
};

uint32_t Premultiplied(uint32_t p) {
  uint32_t a = PixelA(p);
  auto mul = [a](uint32_t c) { return uint8_t((c * a + 127) / 255); };
  return PixelRGB(mul(PixelR(p)), mul(PixelG(p)), mul(PixelB(p)), uint8_t(a));
}

bool Transparent(const Icon& icon, std::size_t i) {
  if (icon.useAlpha) return PixelA(icon.color[i]) == 0;
  return !icon.mask.empty() && icon.mask[i];
}

BOOL DrawBlended(HDC hdc, int x, int y, int cx, int cy, const Icon& icon) {
  TempDib tmp(icon.width, icon.height);
  if (!tmp.bits) return FALSE;
  std::transform(icon.color.begin(), icon.color.end(), tmp.bits, Premultiplied);
  BLENDFUNCTION bf;
  bf.AlphaFormat = AC_SRC_ALPHA;
  return AlphaBlend(hdc, x, y, cx, cy, tmp.dc, 0, 0, icon.width, icon.height, bf);
}

// The classic path: AND the mask (black = keep the image's pixel), then XOR
// (or, for the image alone, copy) the colour.
BOOL DrawMasked(HDC hdc, int x, int y, int cx, int cy, const Icon& icon, UINT flags) {
  int w = icon.width, h = icon.height;
  BOOL ok = TRUE;
  if (flags & DI_MASK) {
    TempDib m(w, h);
    if (!m.bits) return FALSE;
    for (std::size_t i = 0; i < icon.color.size(); ++i)
      m.bits[i] = Transparent(icon, i) ? 0xFFFFFFFFu : 0xFF000000u;
    ok = StretchBlt(hdc, x, y, cx, cy, m.dc, 0, 0, w, h, SRCAND);
  }
  if (flags & DI_IMAGE) {
    TempDib c(w, h);
    if (!c.bits) return FALSE;
    bool both = flags & DI_MASK;
    for (std::size_t i = 0; i < icon.color.size(); ++i) {
      uint32_t p = icon.color[i] | 0xFF000000u;
      // An alpha icon's clear pixels must leave the destination alone when XORed.
      c.bits[i] = both && icon.useAlpha && PixelA(icon.color[i]) == 0 ? 0xFF000000u : p;
    }
    ok = StretchBlt(hdc, x, y, cx, cy, c.dc, 0, 0, w, h, both ? SRCINVERT : SRCCOPY) && ok;
  }
  return ok;
}

}  // namespace

HICON CreateIconIndirect(const ICONINFO* info) {
  if (!info) return nullptr;
  auto icon = std::make_unique<Icon>();
  if (!FillFromBitmaps(*icon, *info) || icon->width <= 0 || icon->height <= 0) return nullptr;
  icon->isIcon = info->fIcon;
  icon->hotX = info->fIcon ? DWORD(icon->width / 2) : info->xHotspot;
  icon->hotY = info->fIcon ? DWORD(icon->height / 2) : info->yHotspot;
  return static_cast<HICON>(Insert(std::move(icon)));
}

BOOL GetIconInfo(HICON h, ICONINFO* info) {
  Icon* icon = IconOf(h);
  if (!icon || !info) return FALSE;
  int w = icon->width, ht = icon->height;
  info->fIcon = icon->isIcon;
  info->xHotspot = icon->hotX;
  info->yHotspot = icon->hotY;
  auto masked = [&](int x, int y) {
    std::size_t i = std::size_t(y * w + x);
    return !icon->mask.empty() ? icon->mask[i] != 0 : icon->useAlpha && PixelA(icon->color[i]) == 0;
  };
  if (icon->mono) {
    info->hbmColor = nullptr;
    info->hbmMask = MonoBitmap(w, 2 * ht, [&](int x, int y) {
      return y < ht ? masked(x, y) : (icon->color[std::size_t((y - ht) * w + x)] & 0xFFFFFF) != 0;
    });
    return info->hbmMask != nullptr;
  }
  info->hbmColor = CreateBitmap(w, ht, 1, 32, icon->color.data());
  info->hbmMask = MonoBitmap(w, ht, masked);
  return info->hbmColor && info->hbmMask;
}

HICON CopyIcon(HICON h) {
  Icon* icon = IconOf(h);
  if (!icon) return nullptr;
  auto copy = std::make_unique<Icon>(*icon);
  copy->refs = 0;
  copy->deletePending = false;
  return static_cast<HICON>(Insert(std::move(copy)));
}

BOOL DestroyIcon(HICON h) {
  if (!IconOf(h)) return FALSE;
  Erase(h);
  return TRUE;
}

HICON CreateIconFromPixels(const Surface& pixels) {
  if (pixels.Width <= 0 || pixels.Height <= 0) return nullptr;
  auto icon = std::make_unique<Icon>();
  icon->width = pixels.Width;
  icon->height = pixels.Height;
  icon->color = pixels.Pixels;
  icon->mask.resize(icon->color.size());
  for (std::size_t i = 0; i < icon->color.size(); ++i) icon->mask[i] = PixelA(icon->color[i]) == 0;
  icon->useAlpha = AlphaMeaningful(icon->color);
  icon->hotX = DWORD(icon->width / 2);
  icon->hotY = DWORD(icon->height / 2);
  return static_cast<HICON>(Insert(std::move(icon)));
}

bool IconPixels(HICON h, Surface& out) {
  Icon* icon = IconOf(h);
  if (!icon) return false;
  out = Surface(icon->width, icon->height, 0);
  for (std::size_t i = 0; i < icon->color.size(); ++i) {
    uint32_t p = icon->color[i];
    if (!icon->useAlpha) p |= 0xFF000000u;
    out.Pixels[i] = Transparent(*icon, i) ? 0 : p;
  }
  return true;
}

bool IconSize(HICON h, int& width, int& height) {
  Icon* icon = IconOf(h);
  if (!icon) return false;
  width = icon->width;
  height = icon->height;
  return true;
}

BOOL DrawIcon(HDC hdc, int x, int y, HICON icon) {
  return DrawIconEx(hdc, x, y, icon, 0, 0, 0, nullptr, DI_NORMAL);
}

BOOL DrawIconEx(HDC hdc, int x, int y, HICON h, int cx, int cy, UINT, HBRUSH, UINT flags) {
  Icon* found = IconOf(h);
  if (!found || !DcOf(hdc) || !(flags & DI_NORMAL)) return FALSE;
  Icon icon = *found;  // drawing may run arbitrary blits; keep a stable copy
  if (cx == 0)
    cx = flags & DI_DEFAULTSIZE ? GetSystemMetrics(icon.isIcon ? SM_CXICON : SM_CXCURSOR) : icon.width;
  if (cy == 0)
    cy = flags & DI_DEFAULTSIZE ? GetSystemMetrics(icon.isIcon ? SM_CYICON : SM_CYCURSOR) : icon.height;
  if ((flags & DI_NORMAL) == DI_NORMAL && icon.useAlpha) return DrawBlended(hdc, x, y, cx, cy, icon);
  return DrawMasked(hdc, x, y, cx, cy, icon, flags);
}

}  // namespace qv
