// The image module: strips decoded from the compiled-in PNG drawings into
// image lists of 16x16 cells (as much larger on a denser screen as its text
// is); the hot and disabled action images derived from the normal ones so
// the three sets always match.
#include "app/forms/Images.h"

#include <algorithm>

#include "app/frames/FrameSupport.h"
#include "platform/gdi/ImageListApi.h"
#include "platform/image/Resources.h"

namespace qv {

TImages* Images = nullptr;

namespace {

// A missing or broken drawing leaves a list of transparent cells, so every
// index stays valid and nothing crashes on a damaged build.
Surface LoadStrip(const char* name, int cells) {
  Surface s;
  if (!LoadResourceSurface(name, s) || s.Height != 16 || s.Width != 16 * cells)
    s = Surface(16 * cells, 16, 0);
  return StripForScreen(s);
}

std::unique_ptr<TBitmap> LoadPicture(const char* name) {
  auto bmp = std::make_unique<TBitmap>();
  Surface s;
  if (LoadResourceSurface(name, s)) bmp->FromSurface(s, true);
  return bmp;
}

void Fill(TImageList* list, const Surface& strip) {
  ImageList_AddSurface(list->Handle(), strip);
}

uint8_t Toward(uint8_t v, int target, int percent) {
  return uint8_t(v + (target - v) * percent / 100);
}

}  // namespace

Surface HotLook(const Surface& normal) {
  Surface out = normal;
  for (uint32_t& p : out.Pixels)
    p = PixelRGB(Toward(PixelR(p), 255, 25), Toward(PixelG(p), 255, 25), Toward(PixelB(p), 255, 25),
                 PixelA(p));
  return out;
}

Surface DisabledLook(const Surface& normal) {
  Surface out = normal;
  for (uint32_t& p : out.Pixels) {
    int grey = (PixelR(p) * 30 + PixelG(p) * 59 + PixelB(p) * 11) / 100;
    auto g = uint8_t(128 + grey / 2);
    p = PixelRGB(g, g, g, PixelA(p));
  }
  return out;
}

TImages::TImages(TComponent* AOwner) : TDataModule(AOwner) {
  SetName("Images");
  SNorm = NewList("SNorm");
  SHot = NewList("SHot");
  SDis = NewList("SDis");
  Surface actions = LoadStrip(resname::Actions, kActionImageCount);
  Fill(SNorm, actions);
  Fill(SHot, HotLook(actions));
  Fill(SDis, DisabledLook(actions));

  PageImages = NewList("PageImages");
  Fill(PageImages, LoadStrip(resname::Pages, 4));
  CatImages = NewList("CatImages");
  Fill(CatImages, LoadStrip(resname::Categories, 4));
  ViewImages = NewList("ViewImages");
  Fill(ViewImages, LoadStrip(resname::Console, 4));
  BrowserImages = NewList("BrowserImages");
  Fill(BrowserImages, LoadStrip(resname::Browser, 8));

  WizardPicture = LoadPicture(resname::Wizard);
  BaseSymbol = LoadPicture(resname::Database);
  AppIcon = LoadPicture(resname::Icon);
}

TImageList* TImages::NewList(const char* name) {
  auto* list = new TImageList(this, ImageCellSize(), ImageCellSize());
  list->SetName(name);
  return list;
}

}  // namespace qv
