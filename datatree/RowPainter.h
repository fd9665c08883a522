// One row of the tree painted into the row buffer: the erase, then for each
// visible column in display order the column colour, grid lines, tree lines
// or bands, the expand button, the check image, the state and normal images,
// the selection highlight and focus rectangle and the cell's content. Every
// step a subclass or a handler can take over (the item and cell events,
// PaintNodeButton, PaintCheckImage, DoGetImageIndex, PaintNodeContent ...)
// stays the tree's and is called back from here in the same order as ever.
#pragma once
#include "datatree/BaseDataTree.h"

namespace qv {

class TRowPainter {
 public:
  // The expand button's side.
  static constexpr int ButtonSize = 9;

  explicit TRowPainter(TBaseDataTree& Tree) : tree_(Tree) {}

  // Node's row into the tree's row buffer: Window is the part of the tree's
  // area painted (tree coordinates), Level the node's depth and ButtonY the
  // vertical centre of its button, check and images.
  void Paint(PDataNode Node, const RECT& Window, TPaintTreeFlags Options, int Level, int ButtonY);

 private:
  struct TRow;

  void Erase(TRow& R);
  // Widens Cell over the empty cells after it; returns how many it covers.
  int SpanEmptyCells(PDataNode Node, TColumnIndex Column, RECT& Cell);
  void PaintCell(const TRow& Row, TColumnIndex Column, TDataTreeColumn* Col, RECT Cell);
  // Grid lines at the cell's bottom and right edge; the cell shrinks by them.
  void PaintGridLines(const TRow& R, TColumnIndex Column, TDataTreeColumn* Col, bool Rtl, RECT& Cell);
  // Tree lines and the expand button in the main column: the indentation's width.
  int PaintIndentation(const TRow& R, const RECT& Cell, bool Rtl, int Mirror);
  // Check, state and normal images from X on: where the content starts.
  int PaintImages(const TRow& R, TDTCellPaintInfo& Info, bool IsMain, int X, bool Rtl, int Mirror);
  void PaintSelection(const TRow& R, const TDTCellPaintInfo& Info);

  TBaseDataTree& tree_;
};

}  // namespace qv
