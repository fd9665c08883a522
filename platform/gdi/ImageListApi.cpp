// Image lists behind checked handles: the images are kept as straight-alpha
// pixels and drawn by alpha blending a premultiplied copy into the DC.
#include "platform/gdi/ImageListApi.h"

#include <algorithm>
#include <array>
#include <memory>
#include <mutex>
#include <set>
#include <vector>

#include "platform/gdi/Gdi.h"
#include "platform/gdi/SystemColors.h"

namespace qv {

namespace {

struct ImageListObject {
  int cx = 16, cy = 16;
  std::vector<Surface> images;
  COLORREF bk = CLR_NONE;
  std::array<int, 15> overlays;
  ImageListObject() { overlays.fill(-1); }
};

// The live lists: a handle is only used after it is found here.
std::mutex registryMutex;
std::set<ImageListObject*> registry;

ImageListObject* Lookup(HIMAGELIST himl) {
  auto* obj = reinterpret_cast<ImageListObject*>(himl);
  std::lock_guard<std::mutex> lock(registryMutex);
  return registry.count(obj) ? obj : nullptr;
}

// The bitmap's pixels as 0xAARRGGBB; `bpp` gets its depth.
bool ReadBitmap(HBITMAP bmp, Surface& out, int* bpp = nullptr) {
  BITMAP bm;
  if (!bmp || GetObjectW(bmp, sizeof(bm), &bm) == 0 || bm.bmWidth <= 0 || bm.bmHeight <= 0) return false;
  out = Surface(bm.bmWidth, bm.bmHeight, 0);
  BITMAPINFO bi{};
  bi.bmiHeader.biWidth = bm.bmWidth;
  bi.bmiHeader.biHeight = -bm.bmHeight;
  bi.bmiHeader.biBitCount = 32;
  HDC dc = CreateCompatibleDC(nullptr);
  int lines = GetDIBits(dc, bmp, 0, UINT(bm.bmHeight), out.Pixels.data(), &bi, DIB_RGB_COLORS);
  DeleteDC(dc);
  if (bpp) *bpp = bm.bmBitsPixel;
  return lines > 0;
}

uint32_t ToPixel(COLORREF c) {
  return PixelRGB(GetRValue(c), GetGValue(c), GetBValue(c));
}

// Cuts a strip into cx-wide cells of cy rows (missing pixels transparent).
int AddCells(ImageListObject* list, const Surface& strip) {
  int first = int(list->images.size());
  int cells = std::max(1, strip.Width / list->cx);
  for (int c = 0; c < cells; ++c) {
    Surface cell(list->cx, list->cy, 0);
    for (int y = 0; y < list->cy && y < strip.Height; ++y)
      for (int x = 0; x < list->cx && c * list->cx + x < strip.Width; ++x)
        cell.Set(x, y, strip.At(c * list->cx + x, y));
    list->images.push_back(std::move(cell));
  }
  return first;
}

uint32_t Mix(uint32_t p, uint32_t over, int percent) {
  auto m = [&](uint8_t a, uint8_t b) { return uint8_t((a * (100 - percent) + b * percent) / 100); };
  return PixelRGB(m(PixelR(p), PixelR(over)), m(PixelG(p), PixelG(over)), m(PixelB(p), PixelB(over)),
                  PixelA(p));
}

// Blends straight-alpha pixels onto the DC at (x, y), cropped to w x h.
void BlendOnto(HDC hdc, int x, int y, const Surface& img, int w, int h) {
  w = std::min(w, img.Width);
  h = std::min(h, img.Height);
  if (w <= 0 || h <= 0) return;
  BITMAPINFO bi{};
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!dib) return;
  auto* px = static_cast<uint32_t*>(bits);
  for (int row = 0; row < h; ++row)
    for (int col = 0; col < w; ++col) {
      uint32_t p = img.At(col, row);
      uint32_t a = PixelA(p);
      auto mul = [a](uint8_t c) { return uint8_t((c * a + 127) / 255); };
      px[row * w + col] = PixelRGB(mul(PixelR(p)), mul(PixelG(p)), mul(PixelB(p)), uint8_t(a));
    }
  HDC src = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(src, dib);
  BLENDFUNCTION bf;
  bf.AlphaFormat = AC_SRC_ALPHA;
  AlphaBlend(hdc, x, y, w, h, src, 0, 0, w, h, bf);
  SelectObject(src, old);
  DeleteDC(src);
  DeleteObject(dib);
}

// Every non-clear pixel in one colour: the shape of the image.
Surface Silhouette(const Surface& img, uint32_t color) {
  Surface s(img.Width, img.Height, 0);
  for (size_t i = 0; i < img.Pixels.size(); ++i)
    if (PixelA(img.Pixels[i]) >= 0x80) s.Pixels[i] = (color & 0xFFFFFF) | 0xFF000000u;
  return s;
}

void DrawMask(HDC hdc, int x, int y, const Surface& img, int w, int h) {
  Surface m(img.Width, img.Height, 0);
  for (size_t i = 0; i < img.Pixels.size(); ++i)
    m.Pixels[i] = PixelA(img.Pixels[i]) >= 0x80 ? 0xFF000000u : 0xFFFFFFFFu;
  BlendOnto(hdc, x, y, m, w, h);
}

}  // namespace

HIMAGELIST ImageList_Create(int cx, int cy, UINT, int, int) {
  if (cx <= 0 || cy <= 0) return nullptr;
  auto obj = std::make_unique<ImageListObject>();
  obj->cx = cx;
  obj->cy = cy;
  std::lock_guard<std::mutex> lock(registryMutex);
  registry.insert(obj.get());
  return reinterpret_cast<HIMAGELIST>(obj.release());
}

BOOL ImageList_Destroy(HIMAGELIST himl) {
  ImageListObject* obj = Lookup(himl);
  if (!obj) return FALSE;
  {
    std::lock_guard<std::mutex> lock(registryMutex);
    registry.erase(obj);
  }
  delete obj;
  return TRUE;
}

int ImageList_Add(HIMAGELIST himl, HBITMAP image, HBITMAP mask) {
  ImageListObject* list = Lookup(himl);
  Surface strip, m;
  int bpp = 0;
  if (!list || !ReadBitmap(image, strip, &bpp)) return -1;
  // A 32-bit image keeps its alpha unless it has none at all.
  bool hasAlpha = bpp == 32 && std::any_of(strip.Pixels.begin(), strip.Pixels.end(),
                                           [](uint32_t p) { return PixelA(p) != 0 && PixelA(p) != 0xFF; });
  if (!hasAlpha || mask)
    for (auto& p : strip.Pixels) p |= 0xFF000000u;
  if (mask && ReadBitmap(mask, m))
    for (int y = 0; y < std::min(strip.Height, m.Height); ++y)
      for (int x = 0; x < std::min(strip.Width, m.Width); ++x)
        if ((m.At(x, y) & 0xFFFFFF) != 0) strip.Set(x, y, 0);
  return AddCells(list, strip);
}

int ImageList_AddMasked(HIMAGELIST himl, HBITMAP image, COLORREF mask) {
  ImageListObject* list = Lookup(himl);
  Surface strip;
  if (!list || !ReadBitmap(image, strip)) return -1;
  uint32_t key = ToPixel(mask) & 0xFFFFFF;
  for (auto& p : strip.Pixels) p = (p & 0xFFFFFF) == key ? 0 : (p | 0xFF000000u);
  return AddCells(list, strip);
}

int ImageList_AddSurface(HIMAGELIST himl, const Surface& strip) {
  ImageListObject* list = Lookup(himl);
  if (!list || strip.Width <= 0 || strip.Height <= 0) return -1;
  return AddCells(list, strip);
}

BOOL ImageList_Replace(HIMAGELIST himl, int i, HBITMAP image, HBITMAP mask) {
  ImageListObject* list = Lookup(himl);
  if (!list || i < 0 || i >= int(list->images.size())) return FALSE;
  int added = ImageList_Add(himl, image, mask);
  if (added < 0) return FALSE;
  list->images[size_t(i)] = std::move(list->images[size_t(added)]);
  list->images.resize(size_t(added));
  return TRUE;
}

int ImageList_ReplaceIcon(HIMAGELIST himl, int i, HICON icon) {
  ImageListObject* list = Lookup(himl);
  Surface px;
  if (!list || !IconPixels(icon, px) || i < -1 || i >= int(list->images.size())) return -1;
  // An icon of another size is cropped or padded to the cell, as cells are not scaled.
  Surface cell(list->cx, list->cy, 0);
  for (int y = 0; y < std::min(cell.Height, px.Height); ++y)
    for (int x = 0; x < std::min(cell.Width, px.Width); ++x) cell.Set(x, y, px.At(x, y));
  if (i == -1) return AddCells(list, cell);
  list->images[size_t(i)] = cell;
  return i;
}

HICON ImageList_GetIcon(HIMAGELIST himl, int i, UINT) {
  Surface px;
  return ImageList_GetSurface(himl, i, px) ? CreateIconFromPixels(px) : nullptr;
}

BOOL ImageList_Remove(HIMAGELIST himl, int i) {
  ImageListObject* list = Lookup(himl);
  if (!list) return FALSE;
  if (i == -1) {
    list->images.clear();
    list->overlays.fill(-1);
    return TRUE;
  }
  if (i < 0 || i >= int(list->images.size())) return FALSE;
  list->images.erase(list->images.begin() + i);
  // Overlays follow their images.
  for (int& o : list->overlays) o = o == i ? -1 : (o > i ? o - 1 : o);
  return TRUE;
}

int ImageList_GetImageCount(HIMAGELIST himl) {
  ImageListObject* list = Lookup(himl);
  return list ? int(list->images.size()) : 0;
}

BOOL ImageList_SetImageCount(HIMAGELIST himl, UINT count) {
  ImageListObject* list = Lookup(himl);
  if (!list) return FALSE;
  list->images.resize(count, Surface(list->cx, list->cy, 0));
  return TRUE;
}

BOOL ImageList_GetIconSize(HIMAGELIST himl, int* cx, int* cy) {
  ImageListObject* list = Lookup(himl);
  if (!list) return FALSE;
  if (cx) *cx = list->cx;
  if (cy) *cy = list->cy;
  return TRUE;
}

BOOL ImageList_SetIconSize(HIMAGELIST himl, int cx, int cy) {
  ImageListObject* list = Lookup(himl);
  if (!list || cx <= 0 || cy <= 0) return FALSE;
  list->cx = cx;
  list->cy = cy;
  return ImageList_Remove(himl, -1);
}

COLORREF ImageList_SetBkColor(HIMAGELIST himl, COLORREF clrBk) {
  ImageListObject* list = Lookup(himl);
  if (!list) return CLR_NONE;
  COLORREF old = list->bk;
  // A value beyond the RGB range other than CLR_DEFAULT (a class library's
  // "no colour", say) means no background, as CLR_NONE does.
  list->bk = (clrBk >> 24) != 0 && clrBk != CLR_DEFAULT ? CLR_NONE : clrBk;
  return old;
}

COLORREF ImageList_GetBkColor(HIMAGELIST himl) {
  ImageListObject* list = Lookup(himl);
  return list ? list->bk : CLR_NONE;
}

BOOL ImageList_SetOverlayImage(HIMAGELIST himl, int image, int overlay) {
  ImageListObject* list = Lookup(himl);
  if (!list || overlay < 1 || overlay > 15 || image < -1 || image >= int(list->images.size())) return FALSE;
  list->overlays[size_t(overlay - 1)] = image;
  return TRUE;
}

BOOL ImageList_Copy(HIMAGELIST dest, int iDst, HIMAGELIST src, int iSrc, UINT) {
  ImageListObject *d = Lookup(dest), *s = Lookup(src);
  if (!d || !s || iSrc < 0 || iSrc >= int(s->images.size()) || iDst < 0 || iDst >= int(d->images.size()))
    return FALSE;
  Surface copy = s->images[size_t(iSrc)];
  Surface cell(d->cx, d->cy, 0);
  for (int y = 0; y < std::min(d->cy, copy.Height); ++y)
    for (int x = 0; x < std::min(d->cx, copy.Width); ++x) cell.Set(x, y, copy.At(x, y));
  d->images[size_t(iDst)] = std::move(cell);
  return TRUE;
}

BOOL ImageList_GetSurface(HIMAGELIST himl, int i, Surface& out) {
  ImageListObject* list = Lookup(himl);
  if (!list || i < 0 || i >= int(list->images.size())) return FALSE;
  out = list->images[size_t(i)];
  return TRUE;
}

BOOL ImageList_Draw(HIMAGELIST himl, int i, HDC hdc, int x, int y, UINT fStyle) {
  return ImageList_DrawEx(himl, i, hdc, x, y, 0, 0, CLR_DEFAULT, CLR_DEFAULT, fStyle);
}

BOOL ImageList_DrawEx(HIMAGELIST himl, int i, HDC hdc, int x, int y, int dx, int dy, COLORREF rgbBk,
                      COLORREF rgbFg, UINT fStyle) {
  ImageListObject* list = Lookup(himl);
  if (!list || i < 0 || i >= int(list->images.size())) return FALSE;
  int w = dx > 0 ? dx : list->cx, h = dy > 0 ? dy : list->cy;
  Surface img = list->images[size_t(i)];
  if (fStyle & ILD_MASK) {
    DrawMask(hdc, x, y, img, w, h);
    return TRUE;
  }
  if (fStyle & ILD_DISABLED) {
    // The embossed look: the shape in the highlight colour, then offset by one
    // pixel up-left in the shadow colour; an overlay takes the same look.
    int overlay = int((fStyle & ILD_OVERLAYMASK) >> 8);
    if (overlay >= 1 && overlay <= 15) {
      int oi = list->overlays[size_t(overlay - 1)];
      if (oi >= 0 && oi < int(list->images.size())) {
        const Surface& o = list->images[size_t(oi)];
        for (size_t k = 0; k < img.Pixels.size() && k < o.Pixels.size(); ++k)
          if (PixelA(o.Pixels[k]) >= 0x80) img.Pixels[k] = o.Pixels[k];
      }
    }
    BlendOnto(hdc, x + 1, y + 1, Silhouette(img, ToPixel(GetSysColor(COLOR_BTNHIGHLIGHT))), w - 1, h - 1);
    BlendOnto(hdc, x, y, Silhouette(img, ToPixel(GetSysColor(COLOR_BTNSHADOW))), w, h);
    return TRUE;
  }
  COLORREF bk = rgbBk == CLR_DEFAULT ? list->bk : rgbBk;
  if (!(fStyle & ILD_TRANSPARENT) && bk != CLR_NONE) {
    RECT r{x, y, x + w, y + h};
    HBRUSH brush = CreateSolidBrush(bk);
    FillRect(hdc, &r, brush);
    DeleteObject(brush);
  }
  int percent = (fStyle & ILD_BLEND50) ? 50 : (fStyle & ILD_BLEND25) ? 25 : 0;
  if (percent) {
    uint32_t fg = ToPixel(rgbFg == CLR_DEFAULT || rgbFg == CLR_NONE ? GetSysColor(COLOR_HIGHLIGHT) : rgbFg);
    for (auto& p : img.Pixels) p = Mix(p, fg, percent);
  }
  BlendOnto(hdc, x, y, img, w, h);
  int overlay = int((fStyle & ILD_OVERLAYMASK) >> 8);
  if (overlay >= 1 && overlay <= 15) {
    int oi = list->overlays[size_t(overlay - 1)];
    if (oi >= 0 && oi < int(list->images.size())) BlendOnto(hdc, x, y, list->images[size_t(oi)], w, h);
  }
  return TRUE;
}

}  // namespace qv
