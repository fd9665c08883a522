// TImage: the destination rectangle of each sizing mode, painting, and
// following changes of the picture.
#include "classlib/stdctrls/Image.h"

#include "classlib/graphics/Bitmap.h"

namespace qv {

TImage::TImage(TComponent* AOwner) : TGraphicControl(AOwner), picture_(std::make_unique<TPicture>()) {
  ControlStyle().Include(csReplicatable);
  SetBounds(0, 0, 105, 105);
  picture_->OnChange = [this](TObject*) { PictureChanged(); };
}

TImage::~TImage() {
  picture_->OnChange = nullptr;
}

TCanvas* TImage::Canvas() {
  if (!picture_->Graphic()) {
    TBitmap* b = picture_->Bitmap();
    b->SetSize(Width(), Height());
  }
  TBitmap* b = dynamic_cast<TBitmap*>(picture_->Graphic());
  if (!b) throw EInvalidOperation("Can only modify an image if it contains a bitmap");
  return b->Canvas();
}

void TImage::PictureChanged() {
  if (autoSize_ && picture_->Width() > 0 && picture_->Height() > 0)
    SetBounds(Left(), Top(), picture_->Width(), picture_->Height());
  if (TGraphic* g = picture_->Graphic(); g && g->Transparent() != transparent_)
    g->SetTransparent(transparent_);
  if (!drawing_) Invalidate();
}

void TImage::SetAutoSize(bool Value) {
  autoSize_ = Value;
  PictureChanged();
}

void TImage::SetCenter(bool Value) {
  center_ = Value;
  PictureChanged();
}

void TImage::SetStretch(bool Value) {
  stretch_ = Value;
  PictureChanged();
}

void TImage::SetProportional(bool Value) {
  proportional_ = Value;
  PictureChanged();
}

void TImage::SetTransparent(bool Value) {
  transparent_ = Value;
  PictureChanged();
}

RECT TImage::DestRect() {
  int w = picture_->Width(), h = picture_->Height();
  int cw = ClientWidth(), ch = ClientHeight();
  if (stretch_ || (proportional_ && (w > cw || h > ch))) {
    if (proportional_ && w > 0 && h > 0) {
      // Scale to fit, keeping the picture's shape.
      if (int64_t(cw) * h > int64_t(ch) * w) {
        w = int(int64_t(w) * ch / h), h = ch;
      } else {
        h = int(int64_t(h) * cw / w), w = cw;
      }
    } else {
      w = cw, h = ch;
    }
  }
  RECT r{0, 0, w, h};
  if (center_) OffsetRect(&r, (cw - w) / 2, (ch - h) / 2);
  return r;
}

void TImage::Paint() {
  TGraphic* g = picture_->Graphic();
  if (!g || g->Empty()) return;
  drawing_ = true;
  TGraphicControl::Canvas()->StretchDraw(DestRect(), g);
  drawing_ = false;
}

}  // namespace qv
