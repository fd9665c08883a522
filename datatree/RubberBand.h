// The rubber band the mouse draws to select rows: its rectangle in content
// coordinates (the moving corner may lie on any side of the start), the
// selection it started from, whether Ctrl makes it toggle that selection,
// and the last row its walk reached (where the next move carries on).
#pragma once
#include "datatree/DataTreeTypes.h"
#include "platform/WinTypes.h"

namespace qv {

class TRubberBand {
 public:
  // A band begins at Start over the selection Before (any order).
  void Begin(POINT Start, bool Ctrl, TNodeArray Before);
  POINT Start() const { return start_; }
  // Whether Ctrl was held when the band began (it toggles the rows it meets).
  bool Ctrl() const { return ctrl_; }
  const RECT& Rect() const { return rect_; }
  void SetRect(const RECT& R) { rect_ = R; }
  // The moving corner goes to X, Y.
  void MoveCorner(int X, int Y) {
    rect_.right = X;
    rect_.bottom = Y;
  }
  // Whether the band covers an area (a line or a point draws nothing).
  bool HasArea() const { return rect_.left != rect_.right && rect_.top != rect_.bottom; }
  // Whether a row Inside the band or not ends up selected: the band adds to
  // the earlier selection, or with Ctrl toggles it.
  bool Wants(PDataNode Row, bool Inside) const;
  // The band ends: its rectangle and earlier selection go.
  void End();

  PDataNode Row() const { return row_; }
  int RowTop() const { return rowTop_; }
  void SetRow(PDataNode Row, int Top) {
    row_ = Row;
    rowTop_ = Top;
  }
  // Rows may have moved or changed height: the walk starts afresh.
  void ForgetRow() { row_ = nullptr; }
  // Node is going away: neither the walk nor the earlier selection keeps it.
  void ForgetNode(PDataNode Node);
  // Every node goes at once.
  void DropNodes();

 private:
  RECT rect_{};
  POINT start_{};
  bool ctrl_ = false;
  TNodeArray before_;  // sorted by address
  PDataNode row_ = nullptr;
  int rowTop_ = 0;
};

}  // namespace qv
