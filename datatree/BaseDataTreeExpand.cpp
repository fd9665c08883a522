// Expanding and collapsing nodes (with the optional animation), stable
// sorting of sibling lists in either direction, and node re-initialisation.
#include <algorithm>

#include "classlib/controls/Application.h"
#include "datatree/BaseDataTree.h"
#include "platform/gdi/Blit.h"
#include "platform/window/Input.h"
#include "platform/window/Paint.h"

namespace qv {

void TBaseDataTree::ToggleNode(PDataNode Node) {
  DTAssert(Node != nullptr, "Node must not be nil.");
  if (Node == root_ || Node->Has(vsToggling | vsDeleting)) return;
  if (updateCount_ > 0 && !Node->Has(vsExpanded | vsHasChildren) && Node->ChildCount == 0 &&
      Node->Has(vsInitialized)) {
    // A leaf inside an update (as FullExpand meets a million of them): the
    // owner is asked, and there is nothing to open.
    Node->Include(vsToggling);
    DoExpanding(Node);
    Node->Exclude(vsToggling);
    return;
  }
  Node->Include(vsToggling);
  PDataNode oldTop = updateCount_ == 0 ? GetTopNode() : nullptr;
  bool toggled = false;
  bool animate = updateCount_ == 0 && options_->AnimationOptions().Contains(toAnimatedToggle) &&
                 int(animationDuration_) > 0 && HandleAllocated() && Visible();
  if (Node->Has(vsExpanded)) {
    if (DoCollapsing(Node)) {
      // Structure and heights change: the worker must be out of this tree.
      InterruptValidation();
      int hidden = int(std::min<int64_t>(int64_t(Node->TotalHeight) - Node->NodeHeight, INT32_MAX));
      if (animate && !states_.Contains(tsCollapsing)) AnimateToggle(Node, false, hidden);
      bool visible = IsNodeVisible(Node);
      AdjustTotalHeight(Node, Node->NodeHeight, false);
      if (visible) store_.AddVisible(-int64_t(CountVisibleChildren(Node)));
      Node->Exclude(vsExpanded);
      toggled = true;
      DoCollapsed(Node);
      if (options_->AutoOptions().Contains(toAutoFreeOnCollapse) && Node->ChildCount > 0) {
        DeleteChildren(Node, false);
        Node->Include(vsHasChildren);
      }
    }
  } else if (DoExpanding(Node)) {
    InitIfNeeded(Node);
    if (Node->Has(vsHasChildren) && Node->ChildCount == 0) InitChildren(Node);
    if (Node->ChildCount > 0) {
      InterruptValidation();
      // One pass over the children: their heights and the rows they add.
      int64_t h = 0;
      uint32_t rows = 0;
      // Siblings made together lie side by side: fetch a few slots ahead
      // (a prefetch of any address is harmless).
      const std::size_t ahead = 24 * store_.Pool().SlotSize();
      for (PDataNode c = Node->FirstChild; c; c = c->NextSibling) {
        __builtin_prefetch(reinterpret_cast<const char*>(c) + ahead);
        __builtin_prefetch(reinterpret_cast<const char*>(c) + ahead + 64);
        uint16_t states = c->LoadStates();
        if (!(states & vsVisible)) continue;
        h += c->TotalHeight;
        rows += 1 + ((states & vsExpanded) ? CountVisibleChildren(c) : 0);
      }
      if (animate && !states_.Contains(tsExpanding) && !states_.Contains(tsPainting) &&
          GetNextVisibleNoInit(Node))
        AnimateToggle(Node, true, int(std::min<int64_t>(h, INT32_MAX)));
      Node->Include(vsExpanded);
      AdjustTotalHeight(Node, h, true);
      if (IsNodeVisible(Node)) store_.AddVisible(rows);
      toggled = true;
      DoExpanded(Node);
    }
  }
  if (toggled) {
    InvalidateCache();
    // Rows came into view, or left it (perhaps with the widest one).
    if (Node->Has(vsExpanded))
      NodeWidthMayGrow(Node, true);
    else
      RowsLeaveView(Node, false);
    if (updateCount_ == 0) {
      ValidateCache();
      if (Node->ChildCount > 0) {
        UpdateScrollBars(true);
        if (options_->AutoOptions().Contains(toAutoScrollOnExpand) && Node->Has(vsExpanded) &&
            HandleAllocated()) {
          if (int64_t(Node->TotalHeight) > ClientHeight())
            SetTopNode(Node);
          else if (Node->LastChild)
            ScrollIntoView(Node->LastChild, options_->SelectionOptions().Contains(toCenterScrollIntoView),
                           false);
        }
        if (GetTopNode() != oldTop)
          Invalidate();
        else
          InvalidateToBottom(Node);
      } else {
        InvalidateNode(Node);
      }
    }
  } else if (updateCount_ == 0 && IsNodeVisible(Node)) {
    InvalidateNode(Node);
  }
  Node->Exclude(vsToggling);
}

void TBaseDataTree::AnimateToggle(PDataNode Node, bool Expand, int HeightDelta) {
  // The rows below the node slide, bounded by AnimationDuration.
  if (states_.Contains(tsInAnimation) || HeightDelta <= 0 || int(animationDuration_) <= 0) return;
  RECT r = GetDisplayRect(Node, NoColumn, false);
  int clientH = ClientHeight();
  if (r.bottom >= clientH) return;
  Application->CancelHint();
  UpdateWindow(Handle());
  toggleAnimation_ = TToggleAnimation{Expand, RECT{0, r.bottom, ClientWidth(), clientH}};
  Animate(
      std::min(HeightDelta, clientH - int(r.bottom) + 1), int(animationDuration_),
      [this](int Step, int StepSize, void*) { return ToggleAnimationStep(Step, StepSize); }, nullptr);
}

bool TBaseDataTree::ToggleAnimationStep(int, int StepSize) {
  if (StepSize <= 0 || !HandleAllocated()) return true;
  const RECT& area = toggleAnimation_.Area;
  bool expand = toggleAnimation_.Expand;
  // No paint runs inside the animation loop: the strip the rows left behind
  // is filled here, with the column colours or the tree's colour.
  HDC dc = GetDC(Handle());
  ScrollDC(dc, 0, expand ? StepSize : -StepSize, &area, &area, nullptr, nullptr);
  RECT strip = area;
  if (expand)
    strip.bottom = std::min<int>(area.bottom, area.top + StepSize + 1);
  else
    strip.top = std::max<int>(area.top, area.bottom - StepSize);
  PaintBelowRows(dc, strip, -offsetX_, POINT{0, 0});
  ReleaseDC(Handle(), dc);
  return true;
}

void TBaseDataTree::Animate(int Steps, int Duration, const TDTAnimationCallback& Callback, void* Data) {
  if (Steps <= 0 || states_.Contains(tsInAnimation)) return;
  DoStateChange({tsInAnimation});
  auto alive = AliveToken();
  TAnimationClock& clock = animationClock_ ? *animationClock_ : TSystemAnimationClock::Instance();
  RunAnimation(Steps, Duration, Callback, Data, clock, [] { return Application->Terminated(); });
  if (!alive.expired()) DoStateChange({}, {tsInAnimation});
}

// A stable merge sort of the sibling pointers: the later of two nodes goes
// first only when it must (compare > 0 ascending, < 0 descending), so equal
// nodes keep their order in both directions. While two runs are merged the
// next node of each is fetched ahead, so the owner's compare finds its data
// in the cache.
void TBaseDataTree::MergeSortNodes(TNodeArray& Nodes, TColumnIndex Column, TSortDirection Direction) {
  const std::size_t n = Nodes.size();
  if (n < 2) return;
  const std::size_t data = UserDataOffset();
  const bool ascending = Direction == sdAscending;
  // True when Right must go before Left.
  auto takeRight = [&](PDataNode Left, PDataNode Right) {
    int r = DoCompare(Left, Right, Column);
    return ascending ? r > 0 : r < 0;
  };
  auto fetch = [data](PDataNode Node) { __builtin_prefetch(reinterpret_cast<const char*>(Node) + data); };
  constexpr std::size_t kRun = 16;
  PDataNode* a = Nodes.data();
  for (std::size_t lo = 0; lo < n; lo += kRun) {
    std::size_t hi = std::min(n, lo + kRun);
    for (std::size_t i = lo + 1; i < hi; ++i) {
      PDataNode x = a[i];
      std::size_t j = i;
      for (; j > lo && takeRight(a[j - 1], x); --j) a[j] = a[j - 1];
      a[j] = x;
    }
  }
  if (n <= kRun) return;
  TNodeArray buffer(n);
  PDataNode* src = a;
  PDataNode* dst = buffer.data();
  for (std::size_t width = kRun; width < n; width *= 2) {
    for (std::size_t lo = 0; lo < n; lo += 2 * width) {
      std::size_t mid = std::min(n, lo + width), hi = std::min(n, lo + 2 * width);
      std::size_t i = lo, j = mid, k = lo;
      if (mid < hi && takeRight(src[mid - 1], src[mid])) {
        while (i < mid && j < hi) {
          if (i + 1 < mid) fetch(src[i + 1]);
          if (j + 1 < hi) fetch(src[j + 1]);
          if (takeRight(src[i], src[j]))
            dst[k++] = src[j++];
          else
            dst[k++] = src[i++];
        }
      }
      // The rest of either run (or both runs, when already in order).
      while (i < mid) dst[k++] = src[i++];
      while (j < hi) dst[k++] = src[j++];
    }
    std::swap(src, dst);
  }
  if (src != a) std::copy(src, src + n, a);
}

// No sibling goes before the one ahead of it: the stable sort would change nothing.
bool TBaseDataTree::ChildrenInOrder(PDataNode Node, TColumnIndex Column, TSortDirection Direction) {
  const bool ascending = Direction == sdAscending;
  for (PDataNode c = Node->FirstChild; c && c->NextSibling; c = c->NextSibling) {
    const int r = DoCompare(c, c->NextSibling, Column);
    if (ascending ? r > 0 : r < 0) return false;
  }
  return true;
}

void TBaseDataTree::Sort(PDataNode Node, TColumnIndex Column, TSortDirection Direction, bool DoInit) {
  SortChildren(Node, Column, Direction, DoInit, nullptr);
}

void TBaseDataTree::SortChildren(PDataNode Node, TColumnIndex Column, TSortDirection Direction, bool DoInit,
                                 std::vector<PDataNode>* Parents) {
  InterruptValidation();
  if (states_.Contains(tsEditPending)) {
    if (HandleAllocated()) KillTimer(Handle(), EditTimer);
    DoStateChange({}, {tsEditPending});
  }
  if (states_.Contains(tsEditing) && !EndNodeEdit()) return;  // the edited row must not move under it
  if (!Node) Node = root_;
  if (!Node->Has(vsHasChildren)) return;
  if (Node->ChildCount == 0 && DoInit) InitChildren(Node);
  if (DoInit)
    for (PDataNode c = Node->FirstChild; c; c = c->NextSibling) InitIfNeeded(c);
  if (Parents)
    for (PDataNode c = Node->FirstChild; c; c = c->NextSibling)
      if (c->Has(vsInitialized) && c->Has(vsHasChildren)) Parents->push_back(c);
  if (Node->ChildCount > 1 && !ChildrenInOrder(Node, Column, Direction)) {
    // A stable merge sort of the sibling pointers, then one relinking pass.
    TNodeArray nodes;
    nodes.reserve(Node->ChildCount);
    for (PDataNode c = Node->FirstChild; c; c = c->NextSibling) nodes.push_back(c);
    MergeSortNodes(nodes, Column, Direction);
    PDataNode prev = nullptr;
    uint32_t index = 0;
    for (PDataNode n : nodes) {
      n->Index = index++;
      n->PrevSibling = prev;
      if (prev) prev->NextSibling = n;
      prev = n;
    }
    prev->NextSibling = nullptr;
    Node->FirstChild = nodes.front();
    Node->LastChild = prev;
    InvalidateCache();
  }
  if (updateCount_ == 0) {
    ValidateCache();
    Invalidate();
  }
}

void TBaseDataTree::SortTree(TColumnIndex Column, TSortDirection Direction, bool DoInit) {
  ++updateCount_;
  if (Column > InvalidColumn) {
    // Depth first without recursion, so deep trees cannot exhaust the stack.
    std::vector<PDataNode> pending{root_};
    while (!pending.empty()) {
      PDataNode node = pending.back();
      pending.pop_back();
      SortChildren(node, Column, Direction, DoInit, &pending);
    }
  }
  InvalidateCache();
  if (updateCount_ > 0) --updateCount_;
  if (updateCount_ == 0) {
    ValidateCache();
    Invalidate();
  }
}

void TBaseDataTree::ResetNode(PDataNode Node) {
  CancelEditNode();  // an editor that will not stop does not hold the tree back
  if (!Node || Node == root_) {
    Clear();
    return;
  }
  if (OnResetNode) OnResetNode(this, Node);
  DeleteChildren(Node, false);
  bool wasExpanded = Node->Has(vsExpanded);
  if (wasExpanded) {
    // Collapsed without events: the heights above lose the children's rows.
    InterruptValidation();
    AdjustTotalHeight(Node, Node->NodeHeight, false);
  }
  Node->Exclude(vsInitialized | vsChecking | vsCutOrCopy | vsDeleting | vsExpanded | vsHasChildren |
                vsHeightMeasured);
  InvalidateCache();
  NodeWidthsChanged();
  if (updateCount_ == 0) ValidateCache();
  InvalidateNode(Node);
}

void TBaseDataTree::ReinitChildren(PDataNode Node, bool Recursive) {
  if (!Node) Node = root_;
  if (Node != root_ && Node->Has(vsHasChildren) && Node->ChildCount == 0) InitChildren(Node);
  for (PDataNode c = Node->FirstChild; c; c = c->NextSibling) ReinitNode(c, Recursive);
}

void TBaseDataTree::ReinitNode(PDataNode Node, bool Recursive) {
  if (!Node) Node = root_;  // nil with Recursive re-initialises the whole tree
  if (Node != root_) {
    // Only what initialisation rebuilds is dropped; selection, expansion,
    // the disabled and multi-line flags stay as the user left them.
    Node->Exclude(vsChecking | vsCutOrCopy | vsDeleting | vsHeightMeasured);
    InitNode(Node);
  }
  if (Recursive) ReinitChildren(Node, true);
  InvalidateNode(Node);
}

}  // namespace qv
