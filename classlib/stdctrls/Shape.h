// TShape: a rectangle, square, rounded rectangle or square, ellipse or
// circle in its own pen and brush.
#pragma once
#include <memory>

#include "classlib/controls/CustomControl.h"

namespace qv {

enum TShapeType { stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle };

class TShape : public TGraphicControl {
 public:
  explicit TShape(TComponent* AOwner);
  ~TShape() override;
  TShapeType Shape() const { return shape_; }
  void SetShape(TShapeType Value);
  TPen* Pen() const { return pen_.get(); }
  TBrush* Brush() const { return brush_.get(); }

 protected:
  void Paint() override;

 private:
  TShapeType shape_ = stRectangle;
  std::unique_ptr<TPen> pen_;
  std::unique_ptr<TBrush> brush_;
};

}  // namespace qv
