// TBitmap: a device-independent bitmap (24 or 32 bits, or a 1-bit mask)
// with row access, a canvas drawing on it, transparency by colour, masks, and
// BMP loading and saving. A new bitmap is white.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "classlib/graphics/Canvas.h"
#include "classlib/graphics/Graphic.h"
#include "platform/Surface.h"

namespace qv {

enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };
enum TTransparentMode { tmAuto, tmFixed };

class TBitmapCanvas;

class TBitmap : public TGraphic {
 public:
  TBitmap();
  TBitmap(int AWidth, int AHeight, TPixelFormat Format = pfDevice);
  ~TBitmap() override;

  int Width() const override { return width_; }
  int Height() const override { return height_; }
  void SetWidth(int Value) override { SetSize(Value, height_); }
  void SetHeight(int Value) override { SetSize(width_, Value); }
  // Keeps the overlapping pixels; new ones are white.
  void SetSize(int AWidth, int AHeight);
  bool Empty() const override { return width_ == 0 || height_ == 0; }
  // pfDevice and every depth we do not keep become 32 bits; pf24bit keeps 24.
  TPixelFormat PixelFormat() const { return format_; }
  void SetPixelFormat(TPixelFormat Value);
  bool Monochrome() const { return format_ == pf1bit; }
  void SetMonochrome(bool Value);

  // The bytes of row Row, top row 0: B,G,R per pixel at 24 bits, B,G,R,A at
  // 32. EInvalidGraphicOperation "Scan line index out of range" for a bad row;
  // a monochrome bitmap (kept as black and white 24-bit pixels) has no 1-bit
  // rows and raises EInvalidGraphicOperation too.
  uint8_t* ScanLine(int Row);
  int RowBytes() const;  // the distance between rows

  // The canvas draws straight into the bitmap (a memory DC with it selected).
  TCanvas* Canvas();
  HBITMAP Handle();  // owned by the bitmap; null when empty
  // Adopts Value (a bitmap the caller made and hands over); its pixels are copied.
  void SetHandle(HBITMAP Value);
  HBITMAP ReleaseHandle();  // hands a copy of the pixels over as a new bitmap
  // A 1-bit mask: 1 (white) where the pixel is TransparentColor, else 0.
  HBITMAP MaskHandle();
  // Turns the bitmap into that mask.
  void Mask(TColor TransparentColor);

  TColor TransparentColor() const;         // tmAuto: the bottom-left pixel
  void SetTransparentColor(TColor Value);  // sets tmFixed
  TTransparentMode TransparentMode() const { return transparentMode_; }
  void SetTransparentMode(TTransparentMode Value);

  void Draw(TCanvas* ACanvas, const RECT& Rect) override;
  // EInvalidGraphic "Bitmap image is not valid" for bad data.
  void LoadFromStream(TStream& Stream) override;
  void SaveToStream(TStream& Stream) override;  // BMP, 24 or 32 bits
  // One of the program's compiled-in images (PNG or BMP); EResNotFound when missing.
  void LoadFromResourceName(HINSTANCE Instance, std::string_view ResName);
  void Assign(TPersistent* Source) override;
  void Dormant() {}
  void FreeImage() {}

  // The pixels as 0xAARRGGBB (alpha 0xFF at 24 bits), and back.
  Surface ToSurface() const;
  // hasAlpha picks 32 bits with the surface's alpha, otherwise 24 bits.
  void FromSurface(const Surface& Pixels, bool HasAlpha);

 protected:
  void Changed(TObject* Sender) override;

 private:
  friend class TBitmapCanvas;
  void Allocate(int w, int h, TPixelFormat f);
  void FreeMask();
  HDC MemoryDC();
  uint32_t PixelAt(int x, int y) const;  // 0xAARRGGBB

  int width_ = 0, height_ = 0;
  TPixelFormat format_ = pfDevice;
  HBITMAP bitmap_ = nullptr;
  uint8_t* bits_ = nullptr;  // rows top-down, owned by bitmap_
  HBITMAP mask_ = nullptr;
  HDC dc_ = nullptr;  // the canvas's memory DC, holding bitmap_
  HGDIOBJ dcOldBitmap_ = nullptr;
  std::unique_ptr<TBitmapCanvas> canvas_;
  TColor transparentColor_ = clDefault;
  TTransparentMode transparentMode_ = tmAuto;
};

class EResNotFound : public Exception {
 public:
  using Exception::Exception;
};

}  // namespace qv
