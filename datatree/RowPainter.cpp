#include "datatree/RowPainter.h"

#include <algorithm>
#include <vector>

#include "classlib/graphics/ImageList.h"
#include "datatree/DataTreeDrawing.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/ImageListApi.h"
#include "platform/window/Paint.h"

namespace qv {

// What every cell of the row shares.
struct TRowPainter::TRow {
  PDataNode Node;
  RECT Window;
  TPaintTreeFlags Options;
  int Level, ButtonY;
  HDC DC;
  int Height;
  bool Focused = false, Selected = false, FullRow = false, UseColumns = false, Checks = false;
  // Highlighted in the drop colours: dropped on, or a selected node under the drop mark.
  bool DropTarget = false;
  TColumnIndex Main = 0;
  TColor Back = TColor(0);
  // The row's right end in tree coordinates: the same whatever part is painted.
  int Right = 0;
};

void TRowPainter::Paint(PDataNode Node, const RECT& Window, TPaintTreeFlags Options, int Level, int ButtonY) {
  TRow r{Node, Window, Options, Level, ButtonY, c_.DC, Node->NodeHeight};
  SetWindowOrgEx(r.DC, Window.left, 0, nullptr);
  r.Right = c_.Right;
  r.Focused = c_.Focused;
  r.Selected = Node->Has(vsSelected) && Options.Contains(ptSelection);
  r.FullRow = c_.SelectionOptions.Contains(toFullRowSelect);
  r.DropTarget = Options.Contains(ptSelection) && Node == c_.DropTarget &&
                 (c_.DropMarkMode == dmOnNode || Node->Has(vsSelected));
  Erase(r);

  TDataTreeColumns* cols = c_.Header->Columns();
  r.UseColumns = c_.Header->UseColumns();
  r.Main = c_.Header->MainColumn();
  std::vector<int32_t> order;
  if (r.UseColumns)
    order = cols->PositionToIndex();
  else
    order.push_back(NoColumn);
  r.Checks = c_.MiscOptions.Contains(toCheckSupport) && c_.CheckImages;
  int spanned = 0;
  for (int32_t column : order) {
    TDataTreeColumn* col = column >= 0 ? cols->Items(column) : nullptr;
    if (col && !col->Visible()) continue;
    if (Options.Contains(ptMainColumnOnly) && column != r.Main) continue;
    RECT cell =
        col ? RECT{col->Left(), 0, col->Left() + col->Width(), r.Height} : RECT{0, 0, r.Right, r.Height};
    if (col && spanned > 0) {
      --spanned;  // covered by the text of a cell to its left
      continue;
    }
    if (col && c_.AutoOptions.Contains(toAutoSpanColumns)) spanned = SpanEmptyCells(Node, column, cell);
    if (cell.right <= Window.left) continue;
    if (cell.left >= Window.right) break;
    PaintCell(r, column, col, cell);
  }
  if (r.FullRow && Node == c_.FocusMarkNode && r.Focused && Options.Contains(ptFocusRect)) {
    // Round the row as far as its highlight goes, whatever part of it is painted.
    RECT fr{0, 0, r.Right, r.Height};
    DrawFocusRect(r.DC, &fr);
  }
  if (c_.Tree->OnAfterItemPaint)
    c_.Tree->OnAfterItemPaint(c_.Tree, c_.Canvas, Node, RECT{Window.left, 0, Window.right, r.Height});
}

void TRowPainter::Erase(TRow& R) {
  TBaseDataTree* t = c_.Tree;
  RECT row{R.Window.left, 0, R.Window.right, R.Height};
  R.Back = c_.Color;
  TItemEraseAction action = eaDefault;
  if (t->OnBeforeItemErase) t->OnBeforeItemErase(t, c_.Canvas, R.Node, row, R.Back, action);
  if (action != eaNone) {
    HBRUSH b = CreateSolidBrush(COLORREF(ColorToRGB(R.Back)));
    FillRect(R.DC, &row, b);
    DeleteObject(b);
    if (action == eaDefault && R.Options.Contains(ptBackground) && c_.PaintOptions.Contains(toShowBackground))
      c_.Hooks->Background(R.DC, row, c_.RowTop);
    if (action == eaDefault && R.Selected && R.FullRow)
      c_.Hooks->CellSelection(R.DC, RECT{0, 0, R.Right, R.Height}, R.Focused, false);
  }
  if (t->OnAfterItemErase) t->OnAfterItemErase(t, c_.Canvas, R.Node, row);
}

int TRowPainter::SpanEmptyCells(PDataNode Node, TColumnIndex Column, RECT& Cell) {
  // The text may run on over the empty cells that follow.
  TDataTreeColumns* cols = c_.Header->Columns();
  int spanned = 0;
  for (TColumnIndex next = cols->GetNextVisibleColumn(Column);
       next >= 0 && c_.Tree->DoGetCellIsEmpty(Node, next); next = cols->GetNextVisibleColumn(next)) {
    Cell.right += cols->Items(next)->Width();
    ++spanned;
  }
  return spanned;
}

void TRowPainter::PaintCell(const TRow& Row, TColumnIndex Column, TDataTreeColumn* Col, RECT Cell) {
  TBaseDataTree* t = c_.Tree;
  // The editor covers the cell being edited: neither its selection nor its
  // content is painted under it.
  const bool edited =
      c_.Editing && Row.Node == c_.FocusedNode && (!Row.UseColumns || Column == c_.FocusedColumn);
  TRow R = Row;
  if (edited) {
    R.Options.Exclude(ptSelection);
    R.Selected = R.DropTarget = false;
  }
  TDTCellPaintInfo info;
  info.Canvas = c_.Canvas;
  info.DC = R.DC;
  info.PaintOptions = R.Options;
  info.Node = R.Node;
  info.Column = Column;
  info.Position = Col ? int(Col->Position()) : 0;
  info.CellRect = Cell;
  info.Alignment = Col ? Col->Alignment() : c_.Alignment;
  info.BidiMode = Col ? Col->BiDiMode() : c_.BiDiMode;
  // Right to left: the cell is laid out as usual, then every position is
  // mirrored in it, and the alignment with it.
  const bool rtl = info.BidiMode != bdLeftToRight;
  const int mirror = Cell.left + Cell.right;
  if (rtl)
    info.Alignment = info.Alignment == taLeftJustify    ? taRightJustify
                     : info.Alignment == taRightJustify ? taLeftJustify
                                                        : taCenter;
  int saved = SaveDC(R.DC);
  if (Col) IntersectClipRect(R.DC, Cell.left, Cell.top, Cell.right, Cell.bottom);
  if (Col && R.Options.Contains(ptColumnColor) && !Col->Options().Contains(coParentColor) &&
      !(R.Selected && R.FullRow)) {
    HBRUSH cb = CreateSolidBrush(COLORREF(ColorToRGB(Col->Color())));
    FillRect(R.DC, &Cell, cb);
    DeleteObject(cb);
  }
  if (R.Options.Contains(ptGridLines)) PaintGridLines(R, Column, Col, rtl, Cell);
  if (t->OnBeforeCellPaint) t->OnBeforeCellPaint(t, c_.Canvas, R.Node, Column, Cell);
  // Full-row select: every cell is the drop target's, under its lines and images.
  if (R.DropTarget && R.FullRow) c_.Hooks->CellSelection(R.DC, Cell, R.Focused, true);
  int x = Cell.left;
  bool isMain = Column == R.Main || !R.UseColumns;
  if (isMain) x += PaintIndentation(R, Cell, rtl, mirror);
  x = PaintImages(R, info, isMain, x + c_.Margin, rtl, mirror);
  info.ContentRect =
      rtl ? RECT{Cell.left, Cell.top, mirror - x, Cell.bottom} : RECT{x, Cell.top, Cell.right, Cell.bottom};
  info.NodeWidth = t->DoGetNodeWidth(R.Node, Column);
  // Without columns the content is as wide as the widest row painted.
  if (!R.UseColumns) c_.WidestSeen = std::max(c_.WidestSeen, x + info.NodeWidth + c_.Margin);
  PaintSelection(R, info);
  if (!edited) c_.Hooks->NodeContent(info);
  if (t->OnAfterCellPaint) t->OnAfterCellPaint(t, c_.Canvas, R.Node, Column, info.CellRect);
  RestoreDC(R.DC, saved);
}

void TRowPainter::PaintGridLines(const TRow& R, TColumnIndex Column, TDataTreeColumn* Col, bool Rtl,
                                 RECT& Cell) {
  TDataTreeColumns* cols = c_.Header->Columns();
  if (c_.PaintOptions.Contains(toShowHorzGridLines)) {
    RECT g{Cell.left, R.Height - 1, Cell.right, R.Height};
    // With bands the main column's line starts after the node's indentation.
    if (c_.LineMode == lmBands && (Column == R.Main || !R.UseColumns)) {
      int levels = R.Level + (c_.PaintOptions.Contains(toShowRoot) ? 1 : 0);
      (Rtl ? g.right : g.left) += (Rtl ? -1 : 1) * c_.Indent * levels;
    }
    c_.Hooks->GridLine(R.DC, g, c_.GridLineColor, R.Back);
    Cell.bottom -= 1;
  }
  bool lastAuto = c_.Header->Options().Contains(hoAutoResize) && Column == cols->GetLastVisibleColumn();
  if (Col && c_.PaintOptions.Contains(toShowVertGridLines) && !lastAuto) {
    RECT g{Cell.right - 1, 0, Cell.right, R.Height};
    c_.Hooks->GridLine(R.DC, g, c_.GridLineColor, R.Back);
    Cell.right -= 1;
  }
}

int TRowPainter::PaintIndentation(const TRow& R, const RECT& Cell, bool Rtl, int Mirror) {
  PDataNode node = R.Node;
  int indent = c_.Indent;
  int indentWidth = (R.Level + (c_.PaintOptions.Contains(toShowRoot) ? 1 : 0)) * indent;
  if (c_.PaintOptions.Contains(toShowTreeLines)) {
    if (c_.LineMode == lmBands) {
      if (R.Options.Contains(ptGridLines))
        c_.Hooks->Bands(R.DC, node, Cell.left, R.Height, R.Level, Rtl, Mirror);
    } else {
      c_.Hooks->TreeLines(R.DC, node, Cell.left, R.Height, R.Level, R.ButtonY, Rtl, Mirror);
    }
  }
  bool buttons = c_.PaintOptions.Contains(toShowButtons) && node->Has(vsHasChildren) &&
                 !(c_.AutoOptions.Contains(toAutoHideButtons) && node->Has(vsAllChildrenHidden));
  if (buttons && indentWidth > 0) {
    int bx = Cell.left + indentWidth - indent + (indent - ButtonSize) / 2;
    c_.Hooks->NodeButton(R.DC, node, Rtl ? Mirror - bx - ButtonSize : bx, R.ButtonY - ButtonSize / 2);
  }
  return indentWidth;
}

int TRowPainter::PaintImages(const TRow& R, TDTCellPaintInfo& Info, bool IsMain, int X, bool Rtl,
                             int Mirror) {
  PDataNode node = R.Node;
  auto place = [&](int Left, int Width) { return Rtl ? Mirror - Left - Width : Left; };
  if (IsMain && R.Checks && node->CheckType != ctNone) {
    c_.Hooks->CheckImage(R.DC, node, place(X, c_.CheckImages->Width()),
                         R.ButtonY - c_.CheckImages->Height() / 2);
    X += c_.CheckImages->Width() + 2;
  }
  TColumnIndex column = Info.Column;
  for (TDTImageKind kind : {ikState, ikNormal}) {
    TDTImageInfo image;
    image.Images = kind == ikState ? c_.StateImages : c_.Images;
    TCustomImageList* own = nullptr;
    image.Index = c_.Tree->DoGetImageIndex(
        node, kind == ikNormal && node->Has(vsSelected) ? ikSelected : kind, column, image.Ghosted, &own);
    if (image.Index < 0 && kind == ikNormal && node->Has(vsSelected))
      image.Index = c_.Tree->DoGetImageIndex(node, ikNormal, column, image.Ghosted, &own);
    if (own) image.Images = own;  // the handler's list replaces the tree's
    if (!image.Images || image.Index < 0) continue;
    int w = image.Images->Width();
    image.XPos = place(X, w);
    image.YPos = R.ButtonY - image.Images->Height() / 2;
    c_.Hooks->Image(Info, image, kind == ikNormal);
    X += w + 2;
  }
  return X;
}

// The highlight behind the content (the whole row's was painted with the
// erase under full-row select) and the focus rectangle of the focused cell.
void TRowPainter::PaintSelection(const TRow& R, const TDTCellPaintInfo& Info) {
  TColumnIndex column = Info.Column, focusColumn = c_.FocusedColumn;
  bool focusCell = R.Node == c_.FocusMarkNode && (!R.UseColumns || column == focusColumn || R.FullRow);
  bool focusRect = focusCell && R.Focused && R.Options.Contains(ptFocusRect);
  int textWidth = Info.NodeWidth;
  if ((R.Selected || R.DropTarget) && !R.FullRow &&
      (column == focusColumn || !R.UseColumns || column == R.Main)) {
    RECT sr = Info.ContentRect;
    if (Info.Alignment == taRightJustify)
      sr.left = std::max(sr.left, sr.right - textWidth);
    else if (Info.Alignment == taCenter)
      sr.left = std::max(sr.left, sr.left + (sr.right - sr.left - textWidth) / 2);
    sr.right = std::min<int>(sr.right, sr.left + textWidth);
    c_.Hooks->CellSelection(R.DC, sr, R.Focused, R.DropTarget);
    if (focusRect) DrawFocusRect(R.DC, &sr);
  } else if (focusRect && column == focusColumn && R.UseColumns && !R.FullRow) {
    RECT fr = Info.ContentRect;
    fr.right = std::min<int>(fr.right, fr.left + textWidth);
    DrawFocusRect(R.DC, &fr);
  }
}

}  // namespace qv
