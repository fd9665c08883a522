// TJPEGImage: the file's bytes, decoded on demand at the chosen scale.
#include "classlib/graphics/JpegImage.h"

#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/Canvas.h"

namespace qv {

TJPEGImage::TJPEGImage() = default;
TJPEGImage::~TJPEGImage() = default;

JpegDecodeOptions TJPEGImage::Options() const {
  JpegDecodeOptions o;
  o.ScaleDenominator = 1 << int(scale_);
  o.Grayscale = grayscale_;
  o.FastDct = performance_ == jpBestSpeed;
  return o;
}

void TJPEGImage::FreeBitmap() {
  bitmap_.reset();
}

int TJPEGImage::Width() const {
  return (fullWidth_ + (1 << int(scale_)) - 1) >> int(scale_);
}
int TJPEGImage::Height() const {
  return (fullHeight_ + (1 << int(scale_)) - 1) >> int(scale_);
}

void TJPEGImage::SetWidth(int) {
  throw EInvalidGraphicOperation("Cannot change the size of a JPEG image");
}
void TJPEGImage::SetHeight(int) {
  throw EInvalidGraphicOperation("Cannot change the size of a JPEG image");
}

void TJPEGImage::LoadFromStream(TStream& Stream) {
  int64_t size = Stream.Size() - Stream.Position();
  std::string data(size_t(size > 0 ? size : 0), '\0');
  if (!data.empty()) Stream.ReadBuffer(data.data(), int64_t(data.size()));
  // Decode once now, so bad data fails here rather than when drawn.
  Surface full = DecodeJpeg(reinterpret_cast<const uint8_t*>(data.data()), data.size());
  data_ = std::move(data);
  fullWidth_ = full.Width;
  fullHeight_ = full.Height;
  FreeBitmap();
  if (scale_ == jsFullSize && !grayscale_) {
    bitmap_ = std::make_unique<TBitmap>();
    bitmap_->FromSurface(full, false);
  }
  Changed(this);
}

void TJPEGImage::SaveToStream(TStream& Stream) {
  if (data_.empty()) Compress();
  if (!data_.empty()) Stream.WriteBuffer(data_.data(), int64_t(data_.size()));
}

void TJPEGImage::DIBNeeded() {
  if (bitmap_ || data_.empty()) return;
  Surface s = DecodeJpeg(reinterpret_cast<const uint8_t*>(data_.data()), data_.size(), Options());
  bitmap_ = std::make_unique<TBitmap>();
  bitmap_->FromSurface(s, false);
}

TBitmap* TJPEGImage::Bitmap() {
  DIBNeeded();
  if (!bitmap_) bitmap_ = std::make_unique<TBitmap>();
  return bitmap_.get();
}

void TJPEGImage::Compress() {
  if (!bitmap_ || bitmap_->Empty()) return;
  Surface s = bitmap_->ToSurface();
  data_ = EncodeJpeg(s, CompressionQuality);
  fullWidth_ = s.Width << int(scale_);
  fullHeight_ = s.Height << int(scale_);
}

void TJPEGImage::Draw(TCanvas* ACanvas, const RECT& Rect) {
  DIBNeeded();
  if (bitmap_) bitmap_->Draw(ACanvas, Rect);
}

void TJPEGImage::SetScale(TJPEGScale Value) {
  if (Value == scale_) return;
  scale_ = Value;
  FreeBitmap();
  Changed(this);
}

void TJPEGImage::SetGrayscale(bool Value) {
  if (Value == grayscale_) return;
  grayscale_ = Value;
  FreeBitmap();
  Changed(this);
}

void TJPEGImage::SetPerformance(TJPEGPerformance Value) {
  if (Value == performance_) return;
  performance_ = Value;
  FreeBitmap();
}

void TJPEGImage::Assign(TPersistent* Source) {
  if (Source == this) return;
  if (auto* jpg = dynamic_cast<TJPEGImage*>(Source)) {
    data_ = jpg->data_;
    fullWidth_ = jpg->fullWidth_;
    fullHeight_ = jpg->fullHeight_;
    scale_ = jpg->scale_;
    grayscale_ = jpg->grayscale_;
    performance_ = jpg->performance_;
    CompressionQuality = jpg->CompressionQuality;
    FreeBitmap();
    return Changed(this);
  }
  if (auto* bmp = dynamic_cast<TBitmap*>(Source)) {
    bitmap_ = std::make_unique<TBitmap>();
    bitmap_->Assign(bmp);
    scale_ = jsFullSize;
    Compress();
    return Changed(this);
  }
  TGraphic::Assign(Source);
}

void TJPEGImage::AssignTo(TPersistent* Dest) {
  if (auto* bmp = dynamic_cast<TBitmap*>(Dest)) {
    DIBNeeded();
    if (bitmap_)
      bmp->Assign(bitmap_.get());
    else
      bmp->Assign(nullptr);
    return;
  }
  TGraphic::AssignTo(Dest);
}

}  // namespace qv
