// TBrush: the description and the lazily made GDI brush.
#include "classlib/graphics/Brush.h"

#include "classlib/graphics/Bitmap.h"
#include "platform/gdi/GdiObjects.h"

namespace qv {

namespace {
constexpr int kHatches[] = {HS_HORIZONTAL, HS_VERTICAL, HS_FDIAGONAL, HS_BDIAGONAL, HS_CROSS, HS_DIAGCROSS};
}

TBrush::~TBrush() {
  FreeHandle();
}

void TBrush::FreeHandle() {
  if (handle_) DeleteObject(handle_);
  handle_ = nullptr;
}

HBRUSH TBrush::Handle() {
  if (handle_) return handle_;
  COLORREF c = COLORREF(ColorToRGB(color_));
  if (bitmap_ && !bitmap_->Empty())
    handle_ = CreatePatternBrush(bitmap_->Handle());
  else if (style_ == bsSolid)
    handle_ = CreateSolidBrush(c);
  else if (style_ == bsClear)
    handle_ = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
  else
    handle_ = CreateHatchBrush(kHatches[int(style_) - int(bsHorizontal)], c);
  return handle_;
}

void TBrush::SetHandle(HBRUSH Value) {
  LOGBRUSH lb;
  if (!Value || GetObjectW(Value, sizeof(lb), &lb) == 0) return;
  bitmap_ = nullptr;
  color_ = TColor(lb.lbColor);
  if (lb.lbStyle == BS_NULL)
    style_ = bsClear;
  else if (lb.lbStyle == BS_HATCHED && lb.lbHatch <= uintptr_t(HS_DIAGCROSS))
    style_ = TBrushStyle(int(bsHorizontal) + int(lb.lbHatch));
  else
    style_ = bsSolid;
  BrushChanged();
}

void TBrush::SetColor(TColor Value) {
  // A clear brush given a colour becomes solid, as in the class library, also
  // when the colour is the one it already has: a paint that sets its face
  // colour after an earlier paint left the brush clear must fill again.
  if (Value == color_ && !bitmap_ && style_ != bsClear) return;
  color_ = Value;
  bitmap_ = nullptr;
  if (style_ == bsClear) style_ = bsSolid;
  BrushChanged();
}

void TBrush::SetStyle(TBrushStyle Value) {
  if (Value == style_ && !bitmap_) return;
  style_ = Value;
  bitmap_ = nullptr;
  BrushChanged();
}

void TBrush::SetBitmap(TBitmap* Value) {
  bitmap_ = Value;
  BrushChanged();
}

void TBrush::BrushChanged() {
  FreeHandle();
  Changed();
}

void TBrush::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TBrush*>(Source);
  if (!src) return TPersistent::Assign(Source);
  if (src == this) return;
  color_ = src->color_;
  style_ = src->style_;
  bitmap_ = src->bitmap_;
  BrushChanged();
}

}  // namespace qv
