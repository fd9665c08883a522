// One row of the tree painted into the row buffer: the erase, then for each
// visible column in display order the column colour, grid lines, tree lines
// or bands, the expand button, the check image, the state and normal images,
// the selection highlight and focus rectangle and the cell's content. Every
// step a subclass or a handler can take over (the item and cell events,
// PaintNodeButton, PaintCheckImage, DoGetImageIndex, PaintNodeContent ...)
// stays the tree's and is called back from here in the same order as ever.
// The painter sees the tree only through the context the tree hands it.
#pragma once
#include "datatree/BaseDataTree.h"

namespace qv {

// The tree's own painting steps, which it keeps to itself and its subclasses.
class IRowPaintHooks {
 public:
  virtual void Background(HDC DC, const RECT& R, int AbsoluteTop) = 0;
  virtual void CellSelection(HDC DC, const RECT& R, bool Focused, bool DropTarget) = 0;
  virtual void GridLine(HDC DC, const RECT& R, TColor Color, TColor Background) = 0;
  // Lines and bands mirror in the cell when Mirror (MirrorSum = left + right).
  virtual void TreeLines(HDC DC, PDataNode Node, int Left, int Height, int Level, int ButtonY, bool Mirror,
                         int MirrorSum) = 0;
  virtual void Bands(HDC DC, PDataNode Node, int Left, int Height, int Level, bool Mirror, int MirrorSum) = 0;
  virtual void NodeButton(HDC DC, PDataNode Node, int X, int Y) = 0;
  virtual void CheckImage(HDC DC, PDataNode Node, int X, int Y) = 0;
  virtual void Image(TDTCellPaintInfo& Info, const TDTImageInfo& Image, bool DoOverlay) = 0;
  virtual void NodeContent(TDTCellPaintInfo& Info) = 0;

 protected:
  ~IRowPaintHooks() = default;
};

// What one row's painting reads of the tree, as it stands for that row.
struct TRowPaintContext {
  TBaseDataTree* Tree;  // the events' sender and the public queries
  IRowPaintHooks* Hooks;
  HDC DC;  // the row buffer
  TCanvas* Canvas;
  TDTPaintOptions PaintOptions;
  TDTSelectionOptions SelectionOptions;
  TDTMiscOptions MiscOptions;
  TDTAutoOptions AutoOptions;
  TDTHeader* Header;
  PDataNode FocusedNode;
  PDataNode FocusMarkNode;  // where the focus rectangle goes (see FocusMarkNode())
  TColumnIndex FocusedColumn;
  PDataNode DropTarget;
  int DropMarkMode;
  bool Editing;  // an in-place edit runs (its cell is not painted)
  bool Focused;  // selections in the focused colours
  TCustomImageList *CheckImages, *StateImages, *Images;
  int Margin, Indent;
  TDTLineMode LineMode;
  TColor GridLineColor, Color;
  TBiDiMode BiDiMode;
  TAlignment Alignment;
  int Right;           // the row's right end in tree coordinates
  int RowTop;          // the row's absolute top (background pictures)
  int WidestSeen = 0;  // out: the right end of the content painted without columns
};

class TRowPainter {
 public:
  // The expand button's side.
  static constexpr int ButtonSize = 9;

  explicit TRowPainter(TRowPaintContext& Context) : c_(Context) {}

  // Node's row into the context's row buffer: Window is the part of the
  // tree's area painted (tree coordinates), Level the node's depth and
  // ButtonY the vertical centre of its button, check and images.
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

  TRowPaintContext& c_;
};

}  // namespace qv
