// The rubber band: the rectangle follows the mouse, and each move changes
// the selection of exactly the rows whose "inside" status changed between
// the previous and the new rectangle.
#include <algorithm>

#include "classlib/graphics/ImageList.h"
#include "datatree/BaseDataTree.h"

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
  band_.Begin(Start, Ctrl, {});
}

PDataNode TBaseDataTree::BandRowAt(int Y, int& Top) {
  // A band grows by a few rows per mouse move: walk on from the last row it
  // visited when that is close above Y, else ask the position cache.
  constexpr int kNearRows = 64;
  if (band_.Row() && band_.RowTop() <= Y && Y - band_.RowTop() <= kNearRows * int(defaultNodeHeight_)) {
    PDataNode run = band_.Row();
    int top = band_.RowTop();
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
  int maxY = std::max(ClientHeight() - int(headerRect_.bottom), RangeY());
  int x = std::clamp(X - offsetX_, 0, std::max(0, maxX));
  int y = std::clamp(Y - int(headerRect_.bottom) - offsetY_, 0, std::max(0, maxY));
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
                                         int FromY, int ToY, int& EndY, TNodeArray& Add) {
  int maxY = ToY;
  int top;
  PDataNode run = BandRowAt(FromY, top);
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
    band_.SetRow(run, top);
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
    changed =
        CollectSelectedNodes(main, left, right, alignment, rtl, OldRect, NewRect, fromY, innerTop, endY, add);
    int lowFrom = std::max(endY, std::min(OldRect.bottom, NewRect.bottom));
    changed |=
        CollectSelectedNodes(main, left, right, alignment, rtl, OldRect, NewRect, lowFrom, toY, endY, add);
  } else {
    changed =
        CollectSelectedNodes(main, left, right, alignment, rtl, OldRect, NewRect, fromY, toY, endY, add);
  }
  if (!changed) return false;
  PackArray();
  if (!add.empty()) InternalAddToSelection(add, false);
  Change(nullptr);
  return true;
}

}  // namespace qv
