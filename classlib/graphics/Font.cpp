// TFont: the description, its LOGFONTW and the lazily made GDI font.
#include "classlib/graphics/Font.h"

#include <cmath>

#include "platform/Utf.h"
#include "platform/gdi/GdiObjects.h"

namespace qv {

namespace {
// Rounded a * b / c, as MulDiv rounds.
int MulDivRound(int a, int b, int c) {
  return int(std::lround(double(a) * b / c));
}
}  // namespace

TFont::TFont() = default;

TFont::~TFont() {
  FreeHandle();
}

void TFont::FreeHandle() {
  // A font still selected somewhere is deleted by the GDI when deselected.
  if (handle_) DeleteObject(handle_);
  handle_ = nullptr;
}

HFONT TFont::Handle() {
  if (!handle_) {
    LOGFONTW lf = GetLogFont();
    handle_ = CreateFontIndirectW(&lf);
  }
  return handle_;
}

LOGFONTW TFont::GetLogFont() const {
  LOGFONTW lf;
  lf.lfHeight = height_;
  lf.lfEscapement = orientation_;
  lf.lfOrientation = orientation_;
  lf.lfWeight = style_.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = style_.Contains(fsItalic);
  lf.lfUnderline = style_.Contains(fsUnderline);
  lf.lfStrikeOut = style_.Contains(fsStrikeOut);
  lf.lfCharSet = charset_;
  lf.lfQuality = BYTE(quality_);
  lf.lfPitchAndFamily = pitch_ == fpFixed      ? FIXED_PITCH
                        : pitch_ == fpVariable ? VARIABLE_PITCH
                                               : DEFAULT_PITCH;
  std::u16string face = Utf8ToUtf16(name_);
  size_t n = std::min(face.size(), size_t(LF_FACESIZE - 1));
  std::copy_n(face.begin(), n, lf.lfFaceName);
  lf.lfFaceName[n] = 0;
  return lf;
}

void TFont::SetHandle(HFONT Value) {
  LOGFONTW lf;
  if (!Value || GetObjectW(Value, sizeof(lf), &lf) == 0) return;
  std::u16string face;
  for (int i = 0; i < LF_FACESIZE && lf.lfFaceName[i]; ++i) face += lf.lfFaceName[i];
  name_ = Utf16ToUtf8(face);
  height_ = lf.lfHeight;
  orientation_ = lf.lfEscapement;
  style_ = TFontStyles();
  if (lf.lfWeight >= FW_SEMIBOLD) style_.Include(fsBold);
  if (lf.lfItalic) style_.Include(fsItalic);
  if (lf.lfUnderline) style_.Include(fsUnderline);
  if (lf.lfStrikeOut) style_.Include(fsStrikeOut);
  charset_ = lf.lfCharSet;
  BYTE pitch = lf.lfPitchAndFamily & 3;
  pitch_ = pitch == FIXED_PITCH ? fpFixed : pitch == VARIABLE_PITCH ? fpVariable : fpDefault;
  FontChanged();
}

void TFont::SetName(const std::string& Value) {
  if (Value.empty() || Value == name_) return;
  name_ = Value;
  FontChanged();
}

int TFont::Size() const {
  return -MulDivRound(height_, 72, pixelsPerInch_);
}

void TFont::SetSize(int Value) {
  SetHeight(-MulDivRound(Value, pixelsPerInch_, 72));
}

void TFont::SetHeight(int Value) {
  if (Value == height_) return;
  height_ = Value;
  FontChanged();
}

void TFont::SetPixelsPerInch(int Value) {
  if (Value <= 0 || Value == pixelsPerInch_) return;
  int size = Size();
  pixelsPerInch_ = Value;
  height_ = -MulDivRound(size, pixelsPerInch_, 72);
  FontChanged();
}

void TFont::SetColor(TColor Value) {
  if (Value == color_) return;
  color_ = Value;
  Changed();  // the colour is the canvas's text colour, not part of the handle
}

void TFont::SetStyle(TFontStyles Value) {
  if (Value == style_) return;
  style_ = Value;
  FontChanged();
}

void TFont::SetCharset(TFontCharset Value) {
  if (Value == charset_) return;
  charset_ = Value;
  FontChanged();
}

void TFont::SetPitch(TFontPitch Value) {
  if (Value == pitch_) return;
  pitch_ = Value;
  FontChanged();
}

void TFont::SetQuality(TFontQuality Value) {
  if (Value == quality_) return;
  quality_ = Value;
  FontChanged();
}

void TFont::SetOrientation(int Value) {
  if (Value == orientation_) return;
  orientation_ = Value;
  FontChanged();
}

void TFont::FontChanged() {
  FreeHandle();
  Changed();
}

void TFont::Changed() {
  TGraphicsObject::Changed();
}

void TFont::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TFont*>(Source);
  if (!src) return TPersistent::Assign(Source);
  if (src == this) return;
  name_ = src->name_;
  pixelsPerInch_ = src->pixelsPerInch_;
  // Same density: the height is exact; otherwise the point size carries over.
  height_ =
      src->pixelsPerInch_ == pixelsPerInch_ ? src->height_ : -MulDivRound(src->Size(), pixelsPerInch_, 72);
  color_ = src->color_;
  style_ = src->style_;
  charset_ = src->charset_;
  pitch_ = src->pitch_;
  quality_ = src->quality_;
  orientation_ = src->orientation_;
  FontChanged();
}

}  // namespace qv
