// TPicture: one graphic of any class, chosen by file extension when loaded.
#include "classlib/graphics/Picture.h"

#include "classlib/SysUtils.h"
#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/Icon.h"
#include "classlib/graphics/JpegImage.h"

namespace qv {

namespace {

std::unique_ptr<TGraphic> GraphicForExtension(const std::string& fileName) {
  auto dot = fileName.rfind('.');
  auto slash = fileName.rfind('/');
  std::string ext = dot == std::string::npos || (slash != std::string::npos && dot < slash)
                        ? std::string()
                        : LowerCase(fileName.substr(dot));
  if (ext == ".bmp" || ext == ".png") return std::make_unique<TBitmap>();
  if (ext == ".jpg" || ext == ".jpeg") return std::make_unique<TJPEGImage>();
  if (ext == ".ico") return std::make_unique<TIcon>();
  throw EInvalidGraphic("Unknown picture file extension (" + ext + ")");
}

// A new, empty graphic of the same class as g.
std::unique_ptr<TGraphic> SameClass(TGraphic* g) {
  if (dynamic_cast<TJPEGImage*>(g)) return std::make_unique<TJPEGImage>();
  if (dynamic_cast<TIcon*>(g)) return std::make_unique<TIcon>();
  return std::make_unique<TBitmap>();
}

}  // namespace

TPicture::TPicture() = default;
TPicture::~TPicture() {
  if (graphic_) graphic_->OnChange = nullptr;
}

void TPicture::Adopt(std::unique_ptr<TGraphic> g) {
  if (graphic_) graphic_->OnChange = nullptr;
  graphic_ = std::move(g);
  if (graphic_) graphic_->OnChange = [this](TObject* sender) { Changed(sender); };
  Changed(this);
}

void TPicture::SetGraphic(TGraphic* Value) {
  if (Value == graphic_.get()) return;
  if (!Value) return Adopt(nullptr);
  auto copy = SameClass(Value);
  copy->Assign(Value);
  Adopt(std::move(copy));
}

TBitmap* TPicture::Bitmap() {
  auto* bmp = dynamic_cast<TBitmap*>(graphic_.get());
  if (!bmp) {
    auto fresh = std::make_unique<TBitmap>();
    bmp = fresh.get();
    Adopt(std::move(fresh));
  }
  return bmp;
}

int TPicture::Width() const {
  return graphic_ ? graphic_->Width() : 0;
}
int TPicture::Height() const {
  return graphic_ ? graphic_->Height() : 0;
}

void TPicture::LoadFromFile(const std::string& FileName) {
  auto g = GraphicForExtension(FileName);
  g->LoadFromFile(FileName);
  Adopt(std::move(g));
}

void TPicture::SaveToFile(const std::string& FileName) {
  if (graphic_) graphic_->SaveToFile(FileName);
}

void TPicture::Assign(TPersistent* Source) {
  if (!Source) return SetGraphic(nullptr);
  if (auto* pic = dynamic_cast<TPicture*>(Source)) return SetGraphic(pic->Graphic());
  if (auto* g = dynamic_cast<TGraphic*>(Source)) return SetGraphic(g);
  TPersistent::Assign(Source);
}

void TPicture::AssignTo(TPersistent* Dest) {
  if (graphic_) return Dest->Assign(graphic_.get());
  TPersistent::AssignTo(Dest);
}

void TPicture::Changed(TObject*) {
  if (OnChange) OnChange(this);
}

}  // namespace qv
