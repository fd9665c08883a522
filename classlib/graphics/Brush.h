// TBrush: colour and style (solid, clear, hatches) or an 8x8 pattern bitmap,
// and its GDI brush, made lazily and made again after a change.
#pragma once
#include "classlib/graphics/GraphicsObject.h"
#include "platform/gdi/GdiTypes.h"

namespace qv {

class TBitmap;

enum TBrushStyle {
  bsSolid,
  bsClear,
  bsHorizontal,
  bsVertical,
  bsFDiagonal,
  bsBDiagonal,
  bsCross,
  bsDiagCross
};

class TBrush : public TGraphicsObject {
 public:
  TBrush() = default;
  ~TBrush() override;

  HBRUSH Handle();
  void SetHandle(HBRUSH Value);  // takes the description; the handle stays the caller's
  TColor Color() const { return color_; }
  void SetColor(TColor Value);  // a solid colour also ends a pattern
  TBrushStyle Style() const { return style_; }
  void SetStyle(TBrushStyle Value);
  // A pattern brush from the bitmap's top-left 8x8 pixels (copied when the
  // handle is made; the bitmap stays the caller's). Null ends the pattern.
  TBitmap* Bitmap() const { return bitmap_; }
  void SetBitmap(TBitmap* Value);

  void Assign(TPersistent* Source) override;

 private:
  void FreeHandle();
  void BrushChanged();

  HBRUSH handle_ = nullptr;
  TColor color_ = clWhite;
  TBrushStyle style_ = bsSolid;
  TBitmap* bitmap_ = nullptr;
};

}  // namespace qv
