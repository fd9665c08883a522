// The rubber band the mouse draws to select rows: its rectangle in content
// coordinates (the moving corner may lie on any side of the start), whether
// Ctrl makes it toggle the rows it meets, and the last row each edge's walk
// reached (where the next move carries on).
#pragma once
#include "datatree/DataTreeTypes.h"
#include "platform/WinTypes.h"

namespace qv {

class TRubberBand {
 public:
  // A band begins at Start.
  void Begin(POINT Start, bool Ctrl);
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
  // The band ends: its rectangle goes.
  void End();

  // The walk's last row per edge: a band that keeps its top and moves its
  // bottom (or the reverse) walks the rows near each edge, each from where
  // that edge's walk stopped before (Edge 0 the upper walk, 1 the lower).
  PDataNode Row(int Edge = 0) const { return rows_[Edge].Node; }
  int RowTop(int Edge = 0) const { return rows_[Edge].Top; }
  void SetRow(PDataNode Row, int Top, int Edge = 0) { rows_[Edge] = TWalkRow{Row, Top}; }
  // Rows may have moved or changed height: the walks start afresh.
  void ForgetRow() { rows_[0].Node = rows_[1].Node = nullptr; }
  // Node is going away: no walk keeps it.
  void ForgetNode(PDataNode Node);
  // Every node goes at once.
  void DropNodes() { ForgetRow(); }

 private:
  RECT rect_{};
  POINT start_{};
  bool ctrl_ = false;
  struct TWalkRow {
    PDataNode Node = nullptr;
    int Top = 0;
  };
  TWalkRow rows_[2];
};

}  // namespace qv
