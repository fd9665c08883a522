// TBitmap: a top-down DIB section with a memory DC for its canvas, BMP
// streaming, transparency by colour and 1-bit masks.
#include "classlib/graphics/Bitmap.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "classlib/SysUtils.h"
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Gdi.h"
#include "platform/image/Bmp.h"
#include "platform/image/Png.h"
#include "platform/image/Resources.h"

namespace qv {

// The canvas of a bitmap: its DC is the bitmap's memory DC, made on first use,
// and every drawing call marks the bitmap changed.
class TBitmapCanvas : public TCanvas {
 public:
  explicit TBitmapCanvas(TBitmap* bitmap) : bitmap_(bitmap) {}
  ~TBitmapCanvas() override { SetHandle(nullptr); }

 protected:
  void CreateHandle() override { SetHandle(bitmap_->MemoryDC()); }
  void Changed() override {
    bitmap_->Changed(this);
    TCanvas::Changed();
  }

 private:
  TBitmap* bitmap_;
};

namespace {

int BitsOf(TPixelFormat f) {
  return f == pf24bit || f == pf1bit ? 24 : 32;
}

// Formats we do not keep row for row are held as 24 bits.
TPixelFormat Normalised(TPixelFormat f) {
  switch (f) {
    case pfDevice:
    case pf32bit:
    case pf24bit:
    case pf1bit:
      return f;
    default:
      return pf24bit;
  }
}

HBITMAP NewDib(int w, int h, int bpp, uint8_t** bits) {
  BITMAPINFO bi{};
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;  // top-down: ScanLine(0) is the top row
  bi.bmiHeader.biBitCount = WORD(bpp);
  void* p = nullptr;
  HBITMAP bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &p, nullptr, 0);
  *bits = static_cast<uint8_t*>(p);
  return bmp;
}

uint32_t RgbOf(TColor c) {
  COLORREF rgb = COLORREF(ColorToRGB(c));
  return PixelRGB(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

}  // namespace

TBitmap::TBitmap() = default;

TBitmap::TBitmap(int AWidth, int AHeight, TPixelFormat Format) : format_(Normalised(Format)) {
  SetSize(AWidth, AHeight);
}

TBitmap::~TBitmap() {
  canvas_.reset();
  if (dc_) {
    SelectObject(dc_, dcOldBitmap_);
    DeleteDC(dc_);
  }
  if (bitmap_) DeleteObject(bitmap_);
  FreeMask();
}

int TBitmap::RowBytes() const {
  return int(gdi::DibStride(width_, BitsOf(format_)));
}

void TBitmap::Allocate(int w, int h, TPixelFormat f) {
  w = std::max(w, 0);
  h = std::max(h, 0);
  uint8_t* bits = nullptr;
  HBITMAP bmp = nullptr;
  if (w > 0 && h > 0) {
    bmp = NewDib(w, h, BitsOf(f), &bits);
    if (!bmp) throw EOutOfMemory("Out of system resources");
    std::memset(bits, 0xFF, size_t(gdi::DibStride(w, BitsOf(f))) * size_t(h));  // a new bitmap is white
  }
  // Keep what overlaps, converting between 24 and 32 bits as needed.
  int cw = std::min(w, width_), ch = std::min(h, height_);
  int oldBpp = BitsOf(format_) / 8, newBpp = BitsOf(f) / 8;
  size_t oldStride = size_t(RowBytes()), newStride = size_t(gdi::DibStride(w, BitsOf(f)));
  for (int y = 0; y < ch; ++y)
    for (int x = 0; x < cw; ++x)
      std::memcpy(bits + y * newStride + size_t(x * newBpp), bits_ + y * oldStride + size_t(x * oldBpp),
                  size_t(std::min(oldBpp, newBpp)));
  if (dc_) SelectObject(dc_, bmp ? static_cast<HGDIOBJ>(bmp) : dcOldBitmap_);
  if (bitmap_) DeleteObject(bitmap_);
  bitmap_ = bmp;
  bits_ = bits;
  width_ = w;
  height_ = h;
  format_ = f;
  FreeMask();
}

void TBitmap::SetSize(int AWidth, int AHeight) {
  if (AWidth == width_ && AHeight == height_) return;
  Allocate(AWidth, AHeight, format_);
  Changed(this);
}

void TBitmap::SetPixelFormat(TPixelFormat Value) {
  Value = Normalised(Value);
  if (Value == format_) return;
  if (Value == pf1bit) return SetMonochrome(true);
  Allocate(width_, height_, Value);
  Changed(this);
}

void TBitmap::SetMonochrome(bool Value) {
  if (Value == Monochrome()) return;
  if (!Value) {
    format_ = pf24bit;  // the pixels are already 24-bit black and white
    return Changed(this);
  }
  Allocate(width_, height_, pf24bit);
  // Like a monochrome device bitmap: white stays white, every other colour is black.
  for (int y = 0; y < height_; ++y) {
    uint8_t* row = bits_ + size_t(y) * size_t(RowBytes());
    for (int x = 0; x < width_; ++x) {
      uint8_t* p = row + x * 3;
      uint8_t v = (p[0] == 0xFF && p[1] == 0xFF && p[2] == 0xFF) ? 0xFF : 0;
      p[0] = p[1] = p[2] = v;
    }
  }
  format_ = pf1bit;
  Changed(this);
}

uint8_t* TBitmap::ScanLine(int Row) {
  if (Monochrome()) throw EInvalidGraphicOperation("Scan line of a monochrome bitmap is not supported");
  if (Row < 0 || Row >= height_ || !bits_) throw EInvalidGraphicOperation("Scan line index out of range");
  GdiFlush();
  FreeMask();  // the caller may change the pixels
  return bits_ + size_t(Row) * size_t(RowBytes());
}

uint32_t TBitmap::PixelAt(int x, int y) const {
  const uint8_t* p = bits_ + size_t(y) * size_t(RowBytes()) + size_t(x * BitsOf(format_) / 8);
  uint8_t a = BitsOf(format_) == 32 ? p[3] : 0xFF;
  return PixelRGB(p[2], p[1], p[0], a);
}

HDC TBitmap::MemoryDC() {
  if (!dc_) {
    dc_ = CreateCompatibleDC(nullptr);
    dcOldBitmap_ = GetCurrentObject(dc_, OBJ_BITMAP);
    if (bitmap_) SelectObject(dc_, bitmap_);
  }
  return dc_;
}

TCanvas* TBitmap::Canvas() {
  if (!canvas_) canvas_ = std::make_unique<TBitmapCanvas>(this);
  return canvas_.get();
}

HBITMAP TBitmap::Handle() {
  return bitmap_;
}

void TBitmap::SetHandle(HBITMAP Value) {
  BITMAP bm;
  if (!Value || GetObjectW(Value, sizeof(bm), &bm) == 0) {
    Allocate(0, 0, format_);
    return Changed(this);
  }
  Allocate(0, 0, format_);
  Allocate(bm.bmWidth, bm.bmHeight, bm.bmBitsPixel == 24 ? pf24bit : pf32bit);
  // Copy through DCs: this converts any depth, a 1-bit bitmap into black and white.
  HDC src = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(src, Value);
  BitBlt(MemoryDC(), 0, 0, width_, height_, src, 0, 0, SRCCOPY);
  SelectObject(src, old);
  DeleteDC(src);
  DeleteObject(Value);
  Changed(this);
}

HBITMAP TBitmap::ReleaseHandle() {
  if (Empty()) return nullptr;
  uint8_t* bits = nullptr;
  HBITMAP copy = NewDib(width_, height_, BitsOf(format_), &bits);
  if (copy) std::memcpy(bits, bits_, size_t(RowBytes()) * size_t(height_));
  return copy;
}

void TBitmap::FreeMask() {
  if (mask_) DeleteObject(mask_);
  mask_ = nullptr;
}

HBITMAP TBitmap::MaskHandle() {
  if (mask_ || Empty()) return mask_;
  uint32_t key = RgbOf(TransparentColor()) & 0xFFFFFF;
  int rowBytes = ((width_ + 15) / 16) * 2;
  std::vector<uint8_t> bits(size_t(rowBytes) * size_t(height_), 0);
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x)
      if ((PixelAt(x, y) & 0xFFFFFF) == key) bits[size_t(y * rowBytes + x / 8)] |= uint8_t(0x80 >> (x % 8));
  mask_ = CreateBitmap(width_, height_, 1, 1, bits.data());
  return mask_;
}

void TBitmap::Mask(TColor TransparentColor) {
  if (Empty()) return;
  uint32_t key = RgbOf(TransparentColor) & 0xFFFFFF;
  std::vector<bool> clear(size_t(width_) * size_t(height_));
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x) clear[size_t(y * width_ + x)] = (PixelAt(x, y) & 0xFFFFFF) == key;
  Allocate(width_, height_, pf24bit);
  for (int y = 0; y < height_; ++y) {
    uint8_t* row = bits_ + size_t(y) * size_t(RowBytes());
    for (int x = 0; x < width_; ++x) std::memset(row + x * 3, clear[size_t(y * width_ + x)] ? 0xFF : 0, 3);
  }
  format_ = pf1bit;
  Changed(this);
}

TColor TBitmap::TransparentColor() const {
  if (transparentMode_ == tmFixed && transparentColor_ != clDefault) return transparentColor_;
  if (Empty()) return clDefault;
  uint32_t p = PixelAt(0, height_ - 1);  // the bottom-left pixel, by convention
  return TColor(RGB(PixelR(p), PixelG(p), PixelB(p)));
}

void TBitmap::SetTransparentColor(TColor Value) {
  transparentColor_ = Value;
  transparentMode_ = Value == clDefault ? tmAuto : tmFixed;
  FreeMask();
  Changed(this);
}

void TBitmap::SetTransparentMode(TTransparentMode Value) {
  if (Value == transparentMode_) return;
  transparentMode_ = Value;
  if (Value == tmAuto) transparentColor_ = clDefault;
  FreeMask();
  Changed(this);
}

void TBitmap::Draw(TCanvas* ACanvas, const RECT& Rect) {
  if (Empty() || !ACanvas) return;
  HDC dest = ACanvas->Handle();
  if (Transparent())
    TransparentBlt(dest, Rect.left, Rect.top, Rect.Width(), Rect.Height(), MemoryDC(), 0, 0, width_, height_,
                   UINT(ColorToRGB(TransparentColor())));
  else
    StretchBlt(dest, Rect.left, Rect.top, Rect.Width(), Rect.Height(), MemoryDC(), 0, 0, width_, height_,
               ACanvas->CopyMode());
}

Surface TBitmap::ToSurface() const {
  Surface s(width_, height_);
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x) s.Set(x, y, PixelAt(x, y));
  return s;
}

void TBitmap::FromSurface(const Surface& Pixels, bool HasAlpha) {
  Allocate(0, 0, format_);
  Allocate(Pixels.Width, Pixels.Height, HasAlpha ? pf32bit : pf24bit);
  int bpp = BitsOf(format_) / 8;
  for (int y = 0; y < height_; ++y) {
    uint8_t* row = bits_ + size_t(y) * size_t(RowBytes());
    for (int x = 0; x < width_; ++x) {
      uint32_t p = Pixels.At(x, y);
      uint8_t* d = row + x * bpp;
      d[0] = PixelB(p), d[1] = PixelG(p), d[2] = PixelR(p);
      if (bpp == 4) d[3] = PixelA(p);
    }
  }
  Changed(this);
}

void TBitmap::LoadFromStream(TStream& Stream) {
  int64_t size = Stream.Size() - Stream.Position();
  std::string data(size_t(std::max<int64_t>(size, 0)), '\0');
  if (!data.empty()) Stream.ReadBuffer(data.data(), int64_t(data.size()));
  auto* bytes = reinterpret_cast<const uint8_t*>(data.data());
  Surface s;
  bool alpha = false, ok = false;
  if (data.size() >= 2 && data[0] == 'B' && data[1] == 'M') {
    BmpInfo info;
    ok = DecodeBmp(bytes, data.size(), s, nullptr, &info);
    // A 32-bit file keeps its alpha bytes even when they say nothing.
    alpha = info.BitCount == 32;
  } else if (data.size() >= 8 && data.compare(0, 8, "\x89PNG\r\n\x1a\n") == 0) {
    ok = DecodePng(bytes, data.size(), s, nullptr, &alpha);
  }
  if (!ok) throw EInvalidGraphic("Bitmap image is not valid");
  FromSurface(s, alpha);
}

void TBitmap::SaveToStream(TStream& Stream) {
  std::string data = EncodeBmp(ToSurface(), BitsOf(format_));
  if (data.empty()) throw EInvalidGraphicOperation("Cannot save an empty bitmap");
  Stream.WriteBuffer(data.data(), int64_t(data.size()));
}

void TBitmap::LoadFromResourceName(HINSTANCE, std::string_view ResName) {
  Surface s;
  bool alpha = false;
  if (!LoadResourceSurface(ResName, s, &alpha))
    throw EResNotFound("Resource " + std::string(ResName) + " not found");
  FromSurface(s, alpha);
}

void TBitmap::Assign(TPersistent* Source) {
  if (Source == this) return;
  if (!Source) {
    Allocate(0, 0, format_);
    return Changed(this);
  }
  auto* src = dynamic_cast<TBitmap*>(Source);
  if (!src) return TGraphic::Assign(Source);
  Allocate(0, 0, src->format_);
  Allocate(src->width_, src->height_, src->format_);
  if (bits_) std::memcpy(bits_, src->bits_, size_t(RowBytes()) * size_t(height_));
  transparentColor_ = src->transparentColor_;
  transparentMode_ = src->transparentMode_;
  SetTransparent(src->Transparent());
  Changed(this);
}

void TBitmap::Changed(TObject* Sender) {
  FreeMask();
  TGraphic::Changed(Sender);
}

}  // namespace qv
