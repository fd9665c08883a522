// TPen: colour, width, style and the raster mode lines are drawn with, and
// its GDI pen, made lazily and made again after a change.
#pragma once
#include "classlib/graphics/GraphicsObject.h"
#include "platform/gdi/GdiTypes.h"

namespace qv {

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum TPenMode {
  pmBlack,
  pmWhite,
  pmNop,
  pmNot,
  pmCopy,
  pmNotCopy,
  pmMergePenNot,
  pmMaskPenNot,
  pmMergeNotPen,
  pmMaskNotPen,
  pmMerge,
  pmNotMerge,
  pmMask,
  pmNotMask,
  pmXor,
  pmNotXor
};
// The SetROP2 code of a pen mode.
int PenModeToRop2(TPenMode Mode);

class TPen : public TGraphicsObject {
 public:
  TPen() = default;
  ~TPen() override;

  HPEN Handle();
  void SetHandle(HPEN Value);  // takes the description; the handle stays the caller's
  TColor Color() const { return color_; }
  void SetColor(TColor Value);
  int Width() const { return width_; }
  void SetWidth(int Value);
  TPenStyle Style() const { return style_; }
  void SetStyle(TPenStyle Value);
  // Applied by the canvas (SetROP2); does not change the handle.
  TPenMode Mode() const { return mode_; }
  void SetMode(TPenMode Value);

  void Assign(TPersistent* Source) override;

 private:
  void FreeHandle();
  void PenChanged();

  HPEN handle_ = nullptr;
  TColor color_ = clBlack;
  int width_ = 1;
  TPenStyle style_ = psSolid;
  TPenMode mode_ = pmCopy;
};

}  // namespace qv
