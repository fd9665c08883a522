// Where nodes are: the node at a pixel, a node's top and display rectangle,
// the hit test with its row parts, the widest cell of a column, and lookups
// in the position cache.
#include <algorithm>

#include "classlib/graphics/ImageList.h"
#include "datatree/BaseDataTree.h"

namespace qv {

namespace {
// Pixel positions are summed in 64 bits; what leaves as an int is clamped.
int ClampToInt(int64_t Value) {
  return int(std::clamp<int64_t>(Value, INT32_MIN, INT32_MAX));
}
}  // namespace

PDataNode TBaseDataTree::FindInPositionCache(PDataNode Node, int& CurrentPos) const {
  int64_t top;
  PDataNode found = store_.FindInCache(Node, top);
  CurrentPos = ClampToInt(top);
  return found;
}

PDataNode TBaseDataTree::FindInPositionCache(int Position, int& CurrentPos) const {
  int64_t top;
  PDataNode found = store_.FindInCache(int64_t(Position), top);
  CurrentPos = ClampToInt(top);
  return found;
}

PDataNode TBaseDataTree::GetNodeAt(int X, int Y, bool Relative, int& NodeTop) {
  (void)X;
  int64_t y = Y;
  if (Relative) y -= int64_t(offsetY_);
  if (y < 0) y = 0;
  int64_t top = 0;
  PDataNode run = nullptr;
  if (states_.Contains(tsUseCache)) run = store_.FindNearRow(y, top);
  if (!run) {
    run = GetFirstVisibleNoInit();
    top = 0;
  }
  PDataNode result = nullptr;
  while (run && run != root_) {
    if (run->Has(vsVisible) && top + run->TotalHeight > y) {
      if (top + run->NodeHeight > y || !run->Has(vsExpanded) || !run->FirstChild) {
        result = run;
        break;
      }
      top += run->NodeHeight;
      run = run->FirstChild;
      continue;
    }
    if (run->Has(vsVisible)) top += run->TotalHeight;
    // Next sibling, climbing when a list ends.
    while (run != root_ && !run->NextSibling) run = run->Parent;
    if (run == root_) break;
    run = run->NextSibling;
  }
  NodeTop = ClampToInt(Relative ? top + offsetY_ : top);
  return result;
}

PDataNode TBaseDataTree::GetTopNode() {
  int top;
  return GetNodeAt(0, 0, true, top);  // the first row of the client area
}

int TBaseDataTree::NodeTop(PDataNode Node) {
  // From the nearest cached node at or before this one when the cache holds,
  // walking forward in visible order.
  if (states_.Contains(tsUseCache) && !store_.CacheEmpty()) {
    int64_t top;
    PDataNode run = store_.FindNearRow(Node, top);
    while (run && run != Node) {
      top += run->NodeHeight;
      run = GetNextVisibleNoInit(run);
    }
    if (run == Node) return ClampToInt(top);
  }
  // Absolute top of a fully visible node: the rows above it, found by adding
  // what lies before it level by level.
  int64_t top = 0;
  for (PDataNode run = Node; run != root_; run = run->Parent) {
    for (PDataNode s = run->PrevSibling; s; s = s->PrevSibling)
      if (s->Has(vsVisible)) top += s->TotalHeight;
    if (run->Parent != root_) top += run->Parent->NodeHeight;
  }
  return ClampToInt(top);
}

int TBaseDataTree::CheckImageWidth() const {
  return checkImages_ ? checkImages_->Width() : 16;
}

int TBaseDataTree::GetNodeIndent(PDataNode Node) const {
  int level = int(GetNodeLevel(Node));
  if (options_->PaintOptions().Contains(toShowRoot)) ++level;
  return level * int(indent_);
}

RECT TBaseDataTree::GetDisplayRect(PDataNode Node, TColumnIndex Column, bool TextOnly, bool Unclipped) {
  DTAssert(Node != nullptr, "Node must not be nil.");
  DTAssert(Node != root_, "Node must not be the hidden root node.");
  InitIfNeeded(Node);
  RECT r{0, 0, 0, 0};
  if (!IsNodeVisible(Node)) return r;
  TColumnIndex main = header_->MainColumn();
  int top = NodeTop(Node);
  // A node past an int's reach stays at its end rather than wrapping.
  r.top = ClampToInt(int64_t(top) + offsetY_);
  r.bottom = ClampToInt(int64_t(r.top) + Node->NodeHeight);
  TDataTreeColumns* cols = header_->Columns();
  if (Column > NoColumn && cols->IsValidColumn(Column)) {
    cols->GetColumnBounds(Column, r.left, r.right);
    r.right -= 1;
  } else {
    r.left = offsetX_;
    r.right = std::max(ClientWidth(), RangeX()) + offsetX_;
  }
  if (TextOnly) {
    int offset = margin_;
    bool isMain = Column == main || (Column <= NoColumn && main <= NoColumn);
    if (isMain) {
      offset += GetNodeIndent(Node);
      if (options_->MiscOptions().Contains(toCheckSupport) && checkImages_ && Node->CheckType != ctNone)
        offset += CheckImageWidth() + 2;
    }
    if (stateImages_ && HasImage(Node, ikState, Column)) offset += stateImages_->Width() + 2;
    if (images_ && HasImage(Node, ikNormal, Column)) offset += images_->Width() + 2;
    int width = DoGetNodeWidth(Node, Column);
    int columnLeft = r.left, columnRight = r.right;
    int cellLeft = r.left + offset;
    int cellRight = r.right;
    TAlignment align =
        Column >= 0 && cols->IsValidColumn(Column) ? cols->Items(Column)->Alignment() : alignment_;
    // Right to left: laid out as usual, then mirrored in the cell (which
    // mirrors the alignment with it).
    bool rtl = IsRightToLeft(Column);
    switch (align) {
      case taRightJustify:
        r.left = std::max(cellLeft, cellRight - width);
        if (Unclipped) r.left = cellRight - width;
        break;
      case taCenter:
        r.left = std::max(cellLeft, cellLeft + (cellRight - cellLeft - width) / 2);
        r.right = r.left + width;
        break;
      default:
        r.left = cellLeft;
        r.right = r.left + width;
    }
    if (!Unclipped) r.right = std::min(r.right, cellRight);
    if (rtl) {
      // Laid out from the right edge: the same rectangle mirrored in the cell.
      int left = columnLeft + columnRight - r.right, right = columnLeft + columnRight - r.left;
      r.left = left, r.right = right;
    }
  }
  return r;
}

void TBaseDataTree::DetermineHitPositionLTR(THitInfo& HitInfo, int Offset, int Right, TAlignment Alignment) {
  PDataNode node = HitInfo.HitNode;
  bool isMain = HitInfo.HitColumn == header_->MainColumn() || (HitInfo.HitColumn <= NoColumn);
  int indent = isMain ? GetNodeIndent(node) : 0;
  if (Offset < indent) {
    // Inside the indentation: the last level's box is the button, and only
    // where there is no button is it the indentation.
    bool buttons = options_->PaintOptions().Contains(toShowButtons) && node->Has(vsHasChildren);
    if (buttons && Offset >= indent - int(indent_))
      HitInfo.HitPositions.Include(hpOnItemButton);
    else
      HitInfo.HitPositions.Include(hpOnItemIndent);
    return;
  }
  // A report's other columns are plain cells.
  if (!isMain && options_->MiscOptions().Contains(toReportMode)) return;
  // The margin belongs to the first zone after it: check, images or text.
  int x = indent + margin_;
  if (isMain && options_->MiscOptions().Contains(toCheckSupport) && checkImages_ &&
      node->CheckType != ctNone) {
    x += CheckImageWidth() + 2;
    if (Offset < x) {
      HitInfo.HitPositions.Include(hpOnItemCheckbox);
      return;
    }
  }
  if (stateImages_ && HasImage(node, ikState, HitInfo.HitColumn)) {
    x += stateImages_->Width() + 2;
    if (Offset < x) {
      HitInfo.HitPositions.Include(hpOnStateIcon);
      return;
    }
  }
  if (images_ && HasImage(node, ikNormal, HitInfo.HitColumn)) {
    x += images_->Width() + 2;
    if (Offset < x) {
      HitInfo.HitPositions.Include(hpOnNormalIcon);
      return;
    }
  }
  int width = DoGetNodeWidth(node, HitInfo.HitColumn);
  if (width <= Right - x) {
    if (Alignment == taRightJustify && Offset < Right - width) {
      HitInfo.HitPositions.Include(hpOnItemLeft);
      return;
    }
    int start = (x + Right - width) / 2;
    if (Alignment == taCenter && (Offset < start || Offset >= start + width)) {
      HitInfo.HitPositions.Include(Offset < start ? hpOnItemLeft : hpOnItemRight);
      return;
    }
    if (Alignment == taLeftJustify && Offset >= x + width) {
      HitInfo.HitPositions.Include(hpOnItemRight);
      return;
    }
  }
  HitInfo.HitPositions.Include(hpOnItemLabel);
}

void TBaseDataTree::GetHitTestInfoAt(int X, int Y, bool Relative, THitInfo& HitInfo) {
  HitInfo = THitInfo{};
  int clientW = HandleAllocated() ? ClientWidth() : Width();
  int clientH = HandleAllocated() ? ClientHeight() : Height();
  if (X < 0) HitInfo.HitPositions.Include(hpToLeft);
  if (X > std::max(clientW, RangeX())) HitInfo.HitPositions.Include(hpToRight);
  if (Y < 0) HitInfo.HitPositions.Include(hpAbove);
  if (Y > std::max(clientH, RangeY())) HitInfo.HitPositions.Include(hpBelow);
  if (!HitInfo.HitPositions.Empty()) return;
  int absX = X;
  TDataTreeColumns* cols = header_->Columns();
  if (Relative) {
    if (X >= cols->GetVisibleFixedWidth()) absX = ClampToInt(int64_t(X) - offsetX_);
    Y = ClampToInt(int64_t(Y) - offsetY_);
  }
  int top;
  HitInfo.HitNode = GetNodeAt(absX, Y, false, top);
  if (!HitInfo.HitNode) {
    HitInfo.HitPositions.Include(hpNowhere);
    return;
  }
  InitIfNeeded(HitInfo.HitNode);
  int left = 0, right = std::max(clientW, RangeX());
  TAlignment align = alignment_;
  if (header_->UseColumns()) {
    HitInfo.HitColumn = cols->GetColumnAndBounds(POINT{X, 0}, left, right, Relative);
    if (HitInfo.HitColumn == InvalidColumn) {
      HitInfo.HitPositions.Include(hpNowhere);
      return;
    }
    if (options_->AutoOptions().Contains(toAutoSpanColumns)) {
      TColumnIndex prev = cols->GetPreviousVisibleColumn(HitInfo.HitColumn);
      while (prev >= 0 && DoGetCellIsEmpty(HitInfo.HitNode, prev)) {
        left -= cols->Items(prev)->Width();
        HitInfo.HitColumn = prev;
        prev = cols->GetPreviousVisibleColumn(prev);
      }
      TColumnIndex next = cols->GetNextVisibleColumn(HitInfo.HitColumn);
      while (next >= 0 && DoGetCellIsEmpty(HitInfo.HitNode, next)) {
        right += cols->Items(next)->Width();
        next = cols->GetNextVisibleColumn(next);
      }
    }
    align = cols->Items(HitInfo.HitColumn)->Alignment();
    if (Relative && X >= cols->GetVisibleFixedWidth()) {
      // left and right are already in client coordinates.
    }
    X -= left;
    right -= left;
  } else {
    X = absX;
  }
  HitInfo.HitPositions.Include(hpOnItem);
  if (IsRightToLeft(HitInfo.HitColumn))
    DetermineHitPositionRTL(HitInfo, X, right, align);
  else
    DetermineHitPositionLTR(HitInfo, X, right, align);
}

void TBaseDataTree::DetermineHitPositionRTL(THitInfo& HitInfo, int Offset, int Right, TAlignment Alignment) {
  // The cell laid out from its right edge: the same test on the mirrored
  // offset (which mirrors the alignment too), with the sides swapped back.
  DetermineHitPositionLTR(HitInfo, Right - 1 - Offset, Right, Alignment);
  bool left = HitInfo.HitPositions.Contains(hpOnItemLeft),
       right = HitInfo.HitPositions.Contains(hpOnItemRight);
  HitInfo.HitPositions.Exclude(hpOnItemLeft);
  HitInfo.HitPositions.Exclude(hpOnItemRight);
  if (left) HitInfo.HitPositions.Include(hpOnItemRight);
  if (right) HitInfo.HitPositions.Include(hpOnItemLeft);
}

int TBaseDataTree::GetMaxColumnWidth(TColumnIndex Column) {
  int width = 0;
  bool isMain = Column == header_->MainColumn();
  for (PDataNode run = GetFirstVisible(); run; run = GetNextVisible(run)) {
    int w = DoGetNodeWidth(run, Column) + margin_;
    if (isMain) {
      w += GetNodeIndent(run);
      if (options_->MiscOptions().Contains(toCheckSupport) && checkImages_ && run->CheckType != ctNone)
        w += CheckImageWidth() + 2;
    }
    if (images_ && HasImage(run, ikNormal, Column)) w += images_->Width() + 2;
    if (stateImages_ && HasImage(run, ikState, Column)) w += stateImages_->Width() + 2;
    width = std::max(width, w);
  }
  // The column's vertical grid line takes a pixel of its own.
  if (options_->PaintOptions().Contains(toShowVertGridLines)) ++width;
  return width;
}

}  // namespace qv
