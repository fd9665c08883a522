// The rubber band: the rectangle follows the mouse, and each move changes
// the selection of exactly the rows whose "inside" status changed between
// the previous and the new rectangle.
#include <algorithm>
#include <cstdlib>

#include "classlib/graphics/ImageList.h"
#include "datatree/BaseDataTree.h"
#include "datatree/DataTreeDrawing.h"
#include "platform/gdi/Gdi.h"

namespace qv {

namespace {
RECT Normalized(RECT r) {
  if (r.left > r.right) std::swap(r.left, r.right);
  if (r.top > r.bottom) std::swap(r.top, r.bottom);
  return r;
}
}  // namespace

void TBaseDataTree::StartDrawSelection(POINT Start, bool Ctrl) {
  // Rows toggle against their current state, so no earlier selection is kept.
  band_.Begin(Start, Ctrl);
}

PDataNode TBaseDataTree::BandRowAt(int Y, int& Top, int Edge) {
  // A band's edge moves by a few rows per mouse move: walk from the row this
  // edge's walk reached last when that is close to Y (either way), else ask
  // the position cache.
  constexpr int kNearRows = 64;
  PDataNode run = band_.Row(Edge);
  int top = band_.RowTop(Edge);
  if (run && std::abs(Y - top) <= kNearRows * int(defaultNodeHeight_)) {
    while (run && top > Y) {
      run = GetPreviousVisibleNoInit(run);
      if (run) top -= run->NodeHeight;
    }
    while (run && top + int(run->NodeHeight) <= Y) {
      top += run->NodeHeight;
      run = GetNextVisibleNoInit(run);
    }
    if (run) {
      Top = top;
      return run;
    }
  }
  return GetNodeAt(0, Y, false, Top);
}

bool TBaseDataTree::CalculateSelectionRect(int X, int Y) {
  RECT old = band_.Rect();
  int maxX = std::max(ClientWidth(), RangeX());
  int maxY = std::max(int(ClientHeight()), RangeY());
  int x = std::clamp(X - offsetX_, 0, std::max(0, maxX));
  int y = std::clamp(Y - offsetY_, 0, std::max(0, maxY));
  // The anchor stays the first corner; the corners are not reordered here.
  band_.SetRect(RECT{band_.Start().x, band_.Start().y, x, y});
  return !EqualRect(&old, &band_.Rect());
}

int TBaseDataTree::DrawSelectionTextLeft(PDataNode Node, TColumnIndex Main) {
  int width = 0;
  if (options_->MiscOptions().Contains(toCheckSupport) && checkImages_ && Node->CheckType != ctNone)
    width += CheckImageWidth() + 2;
  for (TDTImageKind kind : {ikNormal, ikState}) {
    TCustomImageList* list = kind == ikState ? stateImages_ : images_;
    bool ghosted = false;
    TCustomImageList* own = nullptr;
    if (DoGetImageIndex(Node, kind, Main, ghosted, &own) < 0) continue;
    if (own) list = own;
    if (list) width += list->Width() + 2;
  }
  return width;
}

bool TBaseDataTree::CollectSelectedNodes(TColumnIndex Main, int NodeLeft, int NodeRight, TAlignment Alignment,
                                         bool RightToLeft, const RECT& OldRect, const RECT& NewRect,
                                         int FromY, int ToY, int Edge, int& EndY, TNodeArray& Add) {
  int maxY = ToY;
  int top;
  PDataNode run = BandRowAt(FromY, top, Edge);
  bool simple = options_->SelectionOptions().Contains(toSimpleDrawSelection);
  bool spans = header_->UseColumns() && options_->AutoOptions().Contains(toAutoSpanColumns);
  TDataTreeColumns* cols = header_->Columns();
  bool changed = false;
  while (run && top <= maxY) {
    int nextTop = top + int(run->NodeHeight);
    bool inOld, inNew;
    if (simple) {
      inOld = nextTop > OldRect.top && top < OldRect.bottom;
      inNew = nextTop > NewRect.top && top < NewRect.bottom;
    } else {
      // The text's extent in the main column: indentation, margin and
      // pictures before it, then the node width placed by the alignment.
      int lead = GetNodeIndent(run) + margin_ + DrawSelectionTextLeft(run, Main);
      int textLeft = RightToLeft ? NodeLeft : NodeLeft + lead;
      int textRight = RightToLeft ? NodeRight - lead : NodeRight;
      if (spans && Main >= 0) {
        // The text may run on over the empty cells beside it.
        for (TColumnIndex c = RightToLeft ? cols->GetPreviousVisibleColumn(Main)
                                          : cols->GetNextVisibleColumn(Main);
             c >= 0 && DoGetCellIsEmpty(run, c) && IsRightToLeft(c) == RightToLeft;
             c = RightToLeft ? cols->GetPreviousVisibleColumn(c) : cols->GetNextVisibleColumn(c))
          (RightToLeft ? textLeft : textRight) += (RightToLeft ? -1 : 1) * cols->Items(c)->Width();
      }
      TAlignment natural = RightToLeft ? taRightJustify : taLeftJustify;
      bool measure = Alignment != natural || (RightToLeft ? textRight > std::min(OldRect.right, NewRect.right)
                                                          : textLeft < std::max(OldRect.left, NewRect.left));
      if (measure) {
        int w = DoGetNodeWidth(run, Main);
        if (w < textRight - textLeft) {
          if (Alignment == taCenter) {
            textLeft = (textLeft + textRight - w) / 2;
            textRight = textLeft + w;
          } else if (Alignment == taLeftJustify) {
            textRight = textLeft + w;
          } else {
            textLeft = textRight - w;
          }
        }
      }
      auto inside = [&](const RECT& r) {
        return textRight >= r.left && textLeft <= r.right && nextTop > r.top && top < r.bottom;
      };
      inOld = inside(OldRect);
      inNew = inside(NewRect);
    }
    band_.SetRow(run, top, Edge);
    if (inOld != inNew) {
      changed = true;
      bool select = band_.Ctrl() ? !run->Has(vsSelected) : inNew;
      if (select)
        Add.push_back(run);
      else if (run->Has(vsSelected))
        InternalRemoveFromSelection(run);
    }
    top = nextTop;
    run = GetNextVisibleNoInit(run);
  }
  EndY = top;
  return changed;
}

bool TBaseDataTree::HandleDrawSelection(RECT OldRect, RECT NewRect) {
  if (root_->TotalCount <= 1 || !states_.Contains(tsDrawSelecting)) return false;
  OldRect = Normalized(OldRect);
  NewRect = Normalized(NewRect);
  TColumnIndex main = header_->MainColumn();
  bool useColumns = header_->UseColumns() && main >= 0;
  TAlignment alignment = useColumns ? header_->Columns()->Items(main)->Alignment() : alignment_;
  int left = 0, right = ClientWidth();
  if (useColumns) {
    left = header_->Columns()->Items(main)->Left();
    right = left + header_->Columns()->Items(main)->Width();
  }
  if (IsRectEmpty(&NewRect)) return false;
  TNodeArray add;
  bool rtl = IsRightToLeft(main);
  int fromY = std::min(OldRect.top, NewRect.top), toY = std::max(OldRect.bottom, NewRect.bottom), endY = 0;
  bool changed;
  int innerTop = std::max(OldRect.top, NewRect.top), innerBottom = std::min(OldRect.bottom, NewRect.bottom);
  if (OldRect.left == NewRect.left && OldRect.right == NewRect.right && innerTop < innerBottom) {
    // Rows wholly between the two top edges' and the two bottom edges'
    // ranges are inside both bands alike: only the edges' rows can change.
    changed = CollectSelectedNodes(main, left, right, alignment, rtl, OldRect, NewRect, fromY, innerTop, 0,
                                   endY, add);
    int lowFrom = std::max(endY, std::min(OldRect.bottom, NewRect.bottom));
    changed |=
        CollectSelectedNodes(main, left, right, alignment, rtl, OldRect, NewRect, lowFrom, toY, 1, endY, add);
  } else {
    changed =
        CollectSelectedNodes(main, left, right, alignment, rtl, OldRect, NewRect, fromY, toY, 0, endY, add);
  }
  if (!changed) return false;
  PackArray();
  if (!add.empty()) InternalAddToSelection(add, false);
  Change(nullptr);
  return true;
}

RECT TBaseDataTree::BandInRow(int RowTop) const {
  RECT r = Normalized(band_.Rect());
  OffsetRect(&r, 0, -RowTop);
  return r;
}

void TBaseDataTree::PaintSelectionRectangle(HDC DC, int WindowOrgX, const RECT& Target,
                                            const RECT& SelectionRect) {
  if (DrawSelectionMode == smBlendedRectangle || states_.Contains(tsUseThemes)) {
    // A wash of the blend colour over the part inside this target, and a
    // frame in the border colour; a band beside the target leaves it alone.
    RECT shifted = Target, inside;
    OffsetRect(&shifted, WindowOrgX, 0);
    if (!IntersectRect(&inside, &SelectionRect, &shifted)) return;
    OffsetRect(&inside, -WindowOrgX, 0);
    BlendRect(nullptr, DC, inside, POINT{}, bmColorWash, SelectionBlendFactor,
              colors_->Get(TDTColors::SelectionRectangleBlendColor));
    HBRUSH border =
        CreateSolidBrush(COLORREF(ColorToRGB(colors_->Get(TDTColors::SelectionRectangleBorderColor))));
    FrameRect(DC, &SelectionRect, border);
    DeleteObject(border);
    return;
  }
  // The inverting dotted frame, with the colours a focus rectangle takes.
  COLORREF text = SetTextColor(DC, RGB(255, 255, 255)), back = SetBkColor(DC, RGB(0, 0, 0));
  DrawFocusRect(DC, &SelectionRect);
  SetTextColor(DC, text);
  SetBkColor(DC, back);
}

void TBaseDataTree::PaintBandBelowRows(HDC TargetDC, const RECT& Window, POINT Target, int From) {
  // What is painted below the rows goes through the row buffer a buffer's
  // height at a time, so the band looks there as it does over the rows.
  int width = Window.right - Window.left;
  for (int top = From; top < Window.bottom; top += rowSize_.cy) {
    int h = std::min<int>(rowSize_.cy, Window.bottom - top);
    int y = Target.y + top - Window.top;
    SetWindowOrgEx(rowDC_, 0, 0, nullptr);
    BitBlt(rowDC_, 0, 0, width, h, TargetDC, Target.x, y, SRCCOPY);
    SetWindowOrgEx(rowDC_, Window.left, 0, nullptr);
    PaintSelectionRectangle(rowDC_, Window.left, RECT{0, 0, width, h}, BandInRow(top));
    SetWindowOrgEx(rowDC_, 0, 0, nullptr);
    BitBlt(TargetDC, Target.x, y, width, h, rowDC_, 0, 0, SRCCOPY);
  }
}

}  // namespace qv
