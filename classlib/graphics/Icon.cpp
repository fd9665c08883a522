// TIcon: straight-alpha pixels, drawn by blending a premultiplied copy.
#include "classlib/graphics/Icon.h"

#include "classlib/graphics/Bitmap.h"
#include "platform/gdi/Gdi.h"
#include "platform/image/Bmp.h"
#include "platform/image/Png.h"
#include "platform/image/Resources.h"

namespace qv {

namespace {
uint32_t Premultiplied(uint32_t p) {
  uint32_t a = PixelA(p);
  auto mul = [a](uint32_t c) { return uint8_t((c * a + 127) / 255); };
  return PixelRGB(mul(PixelR(p)), mul(PixelG(p)), mul(PixelB(p)), uint8_t(a));
}
}  // namespace

TIcon::~TIcon() {
  FreeHandle();
}

void TIcon::FreeHandle() {
  if (handle_) DestroyIcon(handle_);
  handle_ = nullptr;
}

HICON TIcon::Handle() {
  if (!handle_ && !Empty()) handle_ = CreateIconFromPixels(pixels_);
  return handle_;
}

void TIcon::SetHandle(HICON Value) {
  if (Value == handle_) return;
  Surface s;
  if (Value && !IconPixels(Value, s)) throw EInvalidGraphic("Invalid icon handle");
  FreeHandle();
  pixels_ = s;
  handle_ = Value;
  Changed(this);
}

HICON TIcon::ReleaseHandle() {
  HICON h = Handle();
  handle_ = nullptr;
  return h;
}

void TIcon::SetPixels(const Surface& Value) {
  FreeHandle();
  pixels_ = Value;
  Changed(this);
}

void TIcon::SetWidth(int Value) {
  if (Value == pixels_.Width) return;
  FreeHandle();
  pixels_ = Surface(Value, pixels_.Height, 0);
  Changed(this);
}

void TIcon::SetHeight(int Value) {
  if (Value == pixels_.Height) return;
  FreeHandle();
  pixels_ = Surface(pixels_.Width, Value, 0);
  Changed(this);
}

void TIcon::Draw(TCanvas* ACanvas, const RECT& Rect) {
  if (Empty() || !ACanvas) return;
  // A premultiplied 32-bit DIB, as AlphaBlend's per-pixel alpha wants.
  TBitmap tmp(pixels_.Width, pixels_.Height, pf32bit);
  for (int y = 0; y < pixels_.Height; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(tmp.ScanLine(y));
    for (int x = 0; x < pixels_.Width; ++x) row[x] = Premultiplied(pixels_.At(x, y));
  }
  BLENDFUNCTION bf;
  bf.AlphaFormat = AC_SRC_ALPHA;
  AlphaBlend(ACanvas->Handle(), Rect.left, Rect.top, Rect.Width(), Rect.Height(), tmp.Canvas()->Handle(), 0,
             0, pixels_.Width, pixels_.Height, bf);
}

void TIcon::LoadFromStream(TStream& Stream) {
  int64_t size = Stream.Size() - Stream.Position();
  std::string data(size_t(size > 0 ? size : 0), '\0');
  if (!data.empty()) Stream.ReadBuffer(data.data(), int64_t(data.size()));
  auto* bytes = reinterpret_cast<const uint8_t*>(data.data());
  Surface s;
  bool ok = false;
  if (data.size() >= 2 && data[0] == 'B' && data[1] == 'M')
    ok = DecodeBmp(bytes, data.size(), s);
  else
    ok = DecodePng(bytes, data.size(), s);
  if (!ok) throw EInvalidGraphic("Icon image is not valid");
  SetPixels(s);
}

void TIcon::SaveToStream(TStream& Stream) {
  std::string out;
  if (!EncodePng(pixels_, out, true)) throw EInvalidGraphicOperation("Cannot save the icon");
  Stream.WriteBuffer(out.data(), int64_t(out.size()));
}

void TIcon::LoadFromResourceName(HINSTANCE, std::string_view ResName) {
  Surface s;
  if (!LoadResourceSurface(ResName, s)) throw EResNotFound("Resource " + std::string(ResName) + " not found");
  SetPixels(s);
}

void TIcon::Assign(TPersistent* Source) {
  if (Source == this) return;
  if (!Source) return SetPixels(Surface());
  if (auto* icon = dynamic_cast<TIcon*>(Source)) return SetPixels(icon->pixels_);
  if (auto* bmp = dynamic_cast<TBitmap*>(Source)) {
    Surface s = bmp->ToSurface();
    if (bmp->Transparent()) {
      COLORREF key = COLORREF(ColorToRGB(bmp->TransparentColor()));
      uint32_t k = PixelRGB(GetRValue(key), GetGValue(key), GetBValue(key)) & 0xFFFFFF;
      for (auto& p : s.Pixels)
        if ((p & 0xFFFFFF) == k) p = 0;
    }
    return SetPixels(s);
  }
  TGraphic::Assign(Source);
}

void TIcon::AssignToBitmap(TBitmap* Dest, TColor Background) {
  Dest->SetPixelFormat(pf24bit);
  Dest->SetSize(pixels_.Width, pixels_.Height);
  Dest->Canvas()->Brush()->SetColor(Background);
  Dest->Canvas()->FillRect(RECT{0, 0, pixels_.Width, pixels_.Height});
  Dest->Canvas()->Draw(0, 0, this);
}

void TIcon::AssignTo(TPersistent* Dest) {
  if (auto* bmp = dynamic_cast<TBitmap*>(Dest)) return AssignToBitmap(bmp, clWhite);
  TGraphic::AssignTo(Dest);
}

}  // namespace qv
