// TPen: the description and the lazily made GDI pen.
#include "classlib/graphics/Pen.h"

#include "platform/gdi/GdiObjects.h"

namespace qv {

int PenModeToRop2(TPenMode Mode) {
  static constexpr int rops[] = {R2_BLACK,       R2_WHITE,      R2_NOP,         R2_NOT,
                                 R2_COPYPEN,     R2_NOTCOPYPEN, R2_MERGEPENNOT, R2_MASKPENNOT,
                                 R2_MERGENOTPEN, R2_MASKNOTPEN, R2_MERGEPEN,    R2_NOTMERGEPEN,
                                 R2_MASKPEN,     R2_NOTMASKPEN, R2_XORPEN,      R2_NOTXORPEN};
  return rops[int(Mode)];
}

namespace {
constexpr int kPenStyles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME};
}

TPen::~TPen() {
  FreeHandle();
}

void TPen::FreeHandle() {
  if (handle_) DeleteObject(handle_);
  handle_ = nullptr;
}

HPEN TPen::Handle() {
  if (!handle_) handle_ = CreatePen(kPenStyles[int(style_)], width_, COLORREF(ColorToRGB(color_)));
  return handle_;
}

void TPen::SetHandle(HPEN Value) {
  LOGPEN lp;
  if (!Value || GetObjectW(Value, sizeof(lp), &lp) == 0) return;
  color_ = TColor(lp.lopnColor);
  width_ = lp.lopnWidth.x;
  style_ = psSolid;
  for (int i = 0; i < int(std::size(kPenStyles)); ++i)
    if (kPenStyles[i] == int(lp.lopnStyle & PS_STYLE_MASK)) style_ = TPenStyle(i);
  PenChanged();
}

void TPen::SetColor(TColor Value) {
  if (Value == color_) return;
  color_ = Value;
  PenChanged();
}

void TPen::SetWidth(int Value) {
  if (Value < 0 || Value == width_) return;
  width_ = Value;
  PenChanged();
}

void TPen::SetStyle(TPenStyle Value) {
  if (Value == style_) return;
  style_ = Value;
  PenChanged();
}

void TPen::SetMode(TPenMode Value) {
  if (Value == mode_) return;
  mode_ = Value;
  Changed();
}

void TPen::PenChanged() {
  FreeHandle();
  Changed();
}

void TPen::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TPen*>(Source);
  if (!src) return TPersistent::Assign(Source);
  if (src == this) return;
  color_ = src->color_;
  width_ = src->width_;
  style_ = src->style_;
  mode_ = src->mode_;
  PenChanged();
}

}  // namespace qv
