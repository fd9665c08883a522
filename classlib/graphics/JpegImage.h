// TJPEGImage: a JPEG graphic. It keeps the file's bytes and decodes them to a
// bitmap when drawn or converted (DIBNeeded), at the chosen Scale, in colour or
// grey. Bad data raises EJPEGError (from the JPEG codec) when loaded.
#pragma once
#include <memory>
#include <string>

#include "classlib/graphics/Graphic.h"
#include "platform/image/Jpeg.h"

namespace qv {

class TBitmap;

enum TJPEGScale { jsFullSize, jsHalf, jsQuarter, jsEighth };
enum TJPEGPerformance { jpBestQuality, jpBestSpeed };
enum TJPEGPixelFormat { jf24Bit, jf8Bit };
using TJPEGQualityRange = int;

class TJPEGImage : public TGraphic {
 public:
  TJPEGImage();
  ~TJPEGImage() override;

  void Draw(TCanvas* ACanvas, const RECT& Rect) override;
  int Width() const override;  // at the current Scale
  int Height() const override;
  void SetWidth(int) override;  // EInvalidGraphicOperation: a JPEG image is not resized
  void SetHeight(int) override;
  bool Empty() const override { return data_.empty(); }

  void LoadFromStream(TStream& Stream) override;
  void SaveToStream(TStream& Stream) override;
  void Assign(TPersistent* Source) override;  // a JPEG image, or a bitmap compressed anew

  TJPEGScale Scale() const { return scale_; }
  void SetScale(TJPEGScale Value);
  bool Grayscale() const { return grayscale_; }
  void SetGrayscale(bool Value);
  TJPEGPerformance Performance() const { return performance_; }
  void SetPerformance(TJPEGPerformance Value);
  TJPEGPixelFormat PixelFormat() const { return pixelFormat_; }
  void SetPixelFormat(TJPEGPixelFormat Value) { pixelFormat_ = Value; }
  TJPEGQualityRange CompressionQuality = 90;
  // Decodes the image now (drawing and Bitmap() do it on demand).
  void DIBNeeded();
  TBitmap* Bitmap();  // the decoded image, owned by this object
  void Compress();    // re-encodes the decoded bitmap (after Assign from a bitmap)

 protected:
  void AssignTo(TPersistent* Dest) override;  // into a TBitmap

 private:
  void FreeBitmap();
  JpegDecodeOptions Options() const;

  std::string data_;  // the file's bytes
  int fullWidth_ = 0, fullHeight_ = 0;
  std::unique_ptr<TBitmap> bitmap_;
  TJPEGScale scale_ = jsFullSize;
  bool grayscale_ = false;
  TJPEGPerformance performance_ = jpBestQuality;
  TJPEGPixelFormat pixelFormat_ = jf24Bit;
};

}  // namespace qv
