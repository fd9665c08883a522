// Bitmap objects: device-dependent bitmaps (1 and 32 bits per pixel), DIB
// sections (24 and 32 bits, either row order, memory addressable by the
// caller) and the DIB transfers between bitmaps and caller memory.
#include <algorithm>
#include <cstring>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/DibRows.h"
#include "platform/gdi/GdiObject.h"

namespace qv {
using namespace gdi;

namespace gdi {

void Bitmap::Allocate(int w, int h, int bitsPerPixel, ptrdiff_t rowBytes) {
  width = w;
  height = h;
  bpp = bitsPerPixel;
  widthBytes = rowBytes;
  std::size_t bytes = std::size_t(rowBytes) * std::size_t(h);
  // 24-bit rows are packed bytes: zero, not opaque black words.
  store.assign((bytes + 3) / 4, bpp == 1 || bpp == 24 ? 0u : 0xFF000000u);
}

PixelRows Bitmap::Rows() {
  PixelRows r;
  r.width = width;
  r.height = height;
  r.bpp = bpp;
  r.stride = bottomUp ? -widthBytes : widthBytes;
  r.base = Bytes() + (bottomUp ? ptrdiff_t(height - 1) * widthBytes : 0);
  if (store.empty()) r.base = nullptr;
  return r;
}

// Wraps caller memory laid out as the header describes (24/32 bits, or 1 bit).
bool DibRows(const BITMAPINFO* info, const void* bits, PixelRows& rows, int lines) {
  if (!info || !bits) return false;
  const BITMAPINFOHEADER& h = info->bmiHeader;
  if (h.biWidth <= 0 || h.biHeight == 0 || h.biWidth > 1 << 16 || h.biHeight > 1 << 16 ||
      h.biHeight < -(1 << 16))
    return false;
  if (h.biBitCount != 32 && h.biBitCount != 24 && h.biBitCount != 1) return false;
  if (h.biCompression != BI_RGB && !(h.biCompression == BI_BITFIELDS && h.biBitCount == 32)) return false;
  int height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
  if (lines < 0) lines = height;
  ptrdiff_t stride = DibStride(h.biWidth, h.biBitCount);
  rows.width = h.biWidth;
  rows.height = lines;
  rows.bpp = h.biBitCount;
  uint8_t* base = static_cast<uint8_t*>(const_cast<void*>(bits));
  if (h.biHeight < 0) {
    rows.base = base;
    rows.stride = stride;
  } else {
    rows.base = base + ptrdiff_t(lines - 1) * stride;
    rows.stride = -stride;
  }
  return true;
}

}  // namespace gdi

namespace {

// A bound on one bitmap's size (256 MB at 32 bits), so bad sizes fail instead of exhausting memory.
constexpr int64_t kMaxPixels = int64_t(1) << 26;

HBITMAP NewBitmap(int w, int h, int bpp) {
  if (w <= 0 || h <= 0 || w > 1 << 15 || h > 1 << 15 || int64_t(w) * h > kMaxPixels) return nullptr;
  auto b = std::make_unique<Bitmap>();
  ptrdiff_t row = bpp == 1 ? ((w + 15) / 16) * 2 : ptrdiff_t(w) * 4;
  b->Allocate(w, h, bpp, row);
  return static_cast<HBITMAP>(Insert(std::move(b)));
}

}  // namespace

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits) {
  if (planes != 1 || bitsPerPixel == 0) return nullptr;
  HBITMAP h = NewBitmap(width, height, bitsPerPixel == 1 ? 1 : 32);
  Bitmap* b = As<Bitmap>(h);
  if (b && bits) {
    // Colour bitmaps accept 32-bit rows only; other depths start blank.
    if (b->bpp == 1 || bitsPerPixel == 32)
      std::memcpy(b->Bytes(), bits, std::size_t(b->widthBytes) * std::size_t(height));
  }
  return h;
}

HBITMAP CreateBitmapIndirect(const BITMAP* bm) {
  return bm ? CreateBitmap(bm->bmWidth, bm->bmHeight, bm->bmPlanes, bm->bmBitsPixel, bm->bmBits) : nullptr;
}

HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height) {
  Dc* dc = DcOf(hdc);
  if (!dc) return nullptr;
  int bpp = 32;
  if (dc->type == OBJ_MEMDC) {
    Bitmap* cur = As<Bitmap>(dc->s.bitmap);
    bpp = cur && cur->bpp == 1 ? 1 : 32;
  }
  if (width == 0 || height == 0) return static_cast<HBITMAP>(NewBitmap(1, 1, 1));
  return NewBitmap(width, height, bpp);
}

HBITMAP CreateDIBSection(HDC, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section, DWORD) {
  if (bits) *bits = nullptr;
  if (!info || usage != DIB_RGB_COLORS || section) return nullptr;
  const BITMAPINFOHEADER& h = info->bmiHeader;
  int height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
  if (h.biWidth <= 0 || height == 0 || h.biWidth > 1 << 15 || height > 1 << 15) return nullptr;
  if (h.biBitCount != 32 && h.biBitCount != 24 && h.biBitCount != 1) return nullptr;
  if (int64_t(h.biWidth) * height > kMaxPixels) return nullptr;
  auto b = std::make_unique<Bitmap>();
  b->dib = true;
  b->bottomUp = h.biHeight > 0;
  b->Allocate(h.biWidth, height, h.biBitCount, DibStride(h.biWidth, h.biBitCount));
  std::fill(b->store.begin(), b->store.end(), 0u);  // DIB sections start zeroed
  b->header = h;
  b->header.biSize = sizeof(BITMAPINFOHEADER);
  b->header.biSizeImage = DWORD(b->widthBytes * height);
  if (bits) *bits = b->Bytes();
  return static_cast<HBITMAP>(Insert(std::move(b)));
}

LONG GetBitmapBits(HBITMAP bmp, LONG size, void* bits) {
  Bitmap* b = As<Bitmap>(bmp);
  if (!b || size < 0) return 0;
  LONG total = LONG(b->widthBytes * b->height);
  if (!bits) return total;
  LONG n = std::min(size, total);
  // Rows top-down, whatever the memory order.
  PixelRows r = b->Rows();
  LONG done = 0;
  for (int y = 0; y < b->height && done < n; ++y) {
    LONG k = std::min<LONG>(LONG(b->widthBytes), n - done);
    std::memcpy(static_cast<uint8_t*>(bits) + done, r.RowBytes(y), std::size_t(k));
    done += k;
  }
  return done;
}

LONG SetBitmapBits(HBITMAP bmp, DWORD size, const void* bits) {
  Bitmap* b = As<Bitmap>(bmp);
  if (!b || !bits) return 0;
  LONG n = LONG(std::min<std::size_t>(size, std::size_t(b->widthBytes * b->height)));
  PixelRows r = b->Rows();
  LONG done = 0;
  for (int y = 0; y < b->height && done < n; ++y) {
    LONG k = std::min<LONG>(LONG(b->widthBytes), n - done);
    std::memcpy(r.RowBytes(y), static_cast<const uint8_t*>(bits) + done, std::size_t(k));
    done += k;
  }
  return done;
}

namespace {

// Copies scan lines [start, start + lines) counted from the bottom, as DIB
// scan numbers are for bottom-up DIBs, and from the top for top-down ones.
int TransferDIB(Bitmap& b, UINT start, UINT lines, const BITMAPINFO* info, void* bits, bool toBitmap) {
  PixelRows mem;
  if (!DibRows(info, bits, mem, -1)) return 0;
  if (mem.width != b.width) return 0;
  bool bottomUp = info->bmiHeader.biHeight > 0;
  int n = 0;
  std::vector<uint32_t> buf(std::size_t(b.width));
  PixelRows rows = b.Rows();
  for (UINT i = 0; i < lines; ++i) {
    int scan = int(start + i);
    if (scan >= b.height || scan >= mem.height) break;
    int by = bottomUp ? b.height - 1 - scan : scan;
    int my = bottomUp ? mem.height - 1 - scan : scan;
    if (toBitmap) {
      mem.Load(my, 0, b.width, buf.data());
      rows.Store(by, 0, b.width, buf.data());
    } else {
      rows.Load(by, 0, b.width, buf.data());
      mem.Store(my, 0, b.width, buf.data());
    }
    ++n;
  }
  return n;
}

}  // namespace

int GetDIBits(HDC, HBITMAP bmp, UINT start, UINT lines, void* bits, BITMAPINFO* info, UINT usage) {
  Bitmap* b = As<Bitmap>(bmp);
  if (!b || !info || usage != DIB_RGB_COLORS) return 0;
  BITMAPINFOHEADER& h = info->bmiHeader;
  if (!bits) {
    // The query form: describe the bitmap.
    if (h.biBitCount == 0) {
      h.biWidth = b->width;
      h.biHeight = b->height;
      h.biPlanes = 1;
      h.biBitCount = WORD(b->bpp == 1 ? 1 : 32);
      h.biCompression = BI_RGB;
    }
    h.biSizeImage = DWORD(DibStride(h.biWidth, h.biBitCount) * (h.biHeight < 0 ? -h.biHeight : h.biHeight));
    return b->height;
  }
  if (h.biBitCount == 1) {
    // The two-entry colour table of a monochrome DIB: 0 = black, 1 = white.
    RGBQUAD* table = info->bmiColors;
    table[0] = RGBQUAD{0, 0, 0, 0};
    table[1] = RGBQUAD{255, 255, 255, 0};
  }
  return TransferDIB(*b, start, lines, info, bits, false);
}

int SetDIBits(HDC, HBITMAP bmp, UINT start, UINT lines, const void* bits, const BITMAPINFO* info,
              UINT usage) {
  Bitmap* b = As<Bitmap>(bmp);
  if (!b || !info || !bits || usage != DIB_RGB_COLORS) return 0;
  return TransferDIB(*b, start, lines, info, const_cast<void*>(bits), true);
}

}  // namespace qv
