// Mouse handling: buttons toggle, check boxes press and release, clicks
// select with Shift and Ctrl, double clicks toggle, hot tracking follows
// the pointer, and a drag over empty space draws a rubber band.
#include <algorithm>

#include "classlib/controls/MenuBase.h"
#include "datatree/BaseDataTree.h"
#include "datatree/DataTreeTransfer.h"
#include "platform/SystemMetrics.h"
#include "platform/window/Input.h"
#include "platform/window/Messages.h"

namespace qv {

void TBaseDataTree::HandleClickSelection(PDataNode LastFocused, PDataNode NewNode, TShiftState Shift,
                                         bool DragPending) {
  bool multi = options_->SelectionOptions().Contains(toMultiSelect);
  bool ctrl = Shift.Contains(ssCtrl) && multi, shift = Shift.Contains(ssShift) && multi;
  if (!NewNode) {
    if (!ctrl && !shift) ClearSelection();
    return;
  }
  if (shift) {
    if (!focus_.Anchor()) focus_.SetAnchor(LastFocused ? LastFocused : NewNode);
    SelectNodes(focus_.Anchor(), NewNode, ctrl);
    return;
  }
  if (ctrl) {
    if (NewNode->Has(vsSelected)) {
      RemoveFromSelection(NewNode);
      InvalidateNode(NewNode);
    } else {
      AddToSelection(NewNode);
    }
    focus_.SetAnchor(NewNode);
    return;
  }
  if (NewNode->Has(vsSelected) && DragPending) {
    // A click on a selected node may start a drag: clear the rest on button-up.
    pendingClearNode_ = NewNode;
    DoStateChange({tsClearPending});
    return;
  }
  if (selection_.Count() != 1 || !NewNode->Has(vsSelected)) {
    ClearSelection();
    AddToSelection(NewNode);
  }
  focus_.SetAnchor(NewNode);
  lastSelectionLevel_ = int(GetNodeLevel(NewNode));
}

uint8_t TBaseDataTree::DetermineScrollDirections(int X, int Y) {
  uint8_t d = 0;
  bool panning = states_.Contains(tsWheelPanning) || states_.Contains(tsWheelScrolling);
  if (panning) {
    // An 8-pixel dead zone around the anchor.
    if (X - lastClickPos_.x < -8) d |= sdLeft;
    if (X - lastClickPos_.x > 8) d |= sdRight;
    if (Y - lastClickPos_.y < -8) d |= sdUp;
    if (Y - lastClickPos_.y > 8) d |= sdDown;
    return d;
  }
  int margin = int(defaultNodeHeight_);
  int top = headerRect_.bottom, w = ClientWidth(), h = ClientHeight();
  if (X < margin && offsetX_ != 0) d |= sdLeft;
  if (w - offsetX_ < RangeX() && X > w - margin) d |= sdRight;
  if (Y < top + margin && offsetY_ != 0) d |= sdUp;
  if (h - top - offsetY_ < RangeY() && Y > h - margin) d |= sdDown;
  return d;
}

void TBaseDataTree::UpdateAutoScroll(int X, int Y) {
  bool can =
      (options_->AutoOptions().Contains(toAutoScroll) || options_->MiscOptions().Contains(toWheelPanning)) &&
      !header_->Busy() && (states_.Contains(tsDrawSelPending) || states_.Contains(tsDrawSelecting));
  scrollDirections_ = can ? DetermineScrollDirections(X, Y) : 0;
  if (scrollDirections_ && !states_.Contains(tsScrollPending) && !states_.Contains(tsScrolling)) {
    DoStateChange({tsScrollPending});
    SetTimer(Handle(), ScrollTimer, AutoScrollDelay, nullptr);
  } else if (!scrollDirections_ && (states_.Contains(tsScrollPending) || states_.Contains(tsScrolling))) {
    KillTimer(Handle(), ScrollTimer);
    DoStateChange({}, {tsScrollPending, tsScrolling});
  }
}

void TBaseDataTree::ScrollByTimer() {
  bool panning = states_.Contains(tsWheelPanning) || states_.Contains(tsWheelScrolling);
  POINT p{};
  GetCursorPos(&p);
  p = ScreenToClient(p);
  int dx = 0, dy = 0;
  if (panning) {
    // The step is the distance from the anchor beyond the dead zone.
    int ox = p.x - lastClickPos_.x, oy = p.y - lastClickPos_.y;
    if (std::abs(ox) > 8) dx = ox > 0 ? -(ox - 8) : -(ox + 8);
    if (std::abs(oy) > 8) dy = oy > 0 ? -(oy - 8) : -(oy + 8);
  } else {
    scrollDirections_ = DetermineScrollDirections(p.x, p.y);
    if (scrollDirections_ & sdLeft) dx = scrollBarOptions_->HorizontalIncrement;
    if (scrollDirections_ & sdRight) dx = -scrollBarOptions_->HorizontalIncrement;
    if (scrollDirections_ & sdUp) dy = int(defaultNodeHeight_);
    if (scrollDirections_ & sdDown) dy = -int(defaultNodeHeight_);
  }
  if (!dx && !dy) {
    if (!panning) {
      KillTimer(Handle(), ScrollTimer);
      DoStateChange({}, {tsScrollPending, tsScrolling});
    }
    return;
  }
  int oldX = offsetX_, oldY = offsetY_;
  SetOffsetXY(POINT{offsetX_ + dx, offsetY_ + dy});
  if (states_.Contains(tsDrawSelecting)) {
    // The band's moving corner follows the content.
    RECT old = band_.Rect();
    band_.MoveCorner(p.x - offsetX_, p.y - headerRect_.bottom - offsetY_);
    HandleDrawSelection(old, band_.Rect());
    Invalidate();
  }
  (void)oldX, (void)oldY;
}

void TBaseDataTree::StartWheelPanning(POINT Position) {
  KillTimer(Handle(), ScrollTimer);
  lastClickPos_ = Position;
  DoStateChange({tsWheelPanning, tsWheelScrolling});
  ShowPanningWindow(Position);
  SetCapture(Handle());
  AdjustPanningCursor(Position.x, Position.y);
  SetTimer(Handle(), ScrollTimer, 20, nullptr);
}

void TBaseDataTree::StopWheelPanning() {
  if (!states_.Contains(tsWheelPanning) && !states_.Contains(tsWheelScrolling)) return;
  KillTimer(Handle(), ScrollTimer);
  DoStateChange({}, {tsWheelPanning, tsWheelScrolling});
  if (GetCapture() == Handle()) ReleaseCapture();
  HidePanningWindow();
  ::qv::SetCursor(LoadCursorW(nullptr, IDC_ARROW));
}

void TBaseDataTree::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomControl::MouseDown(Button, Shift, X, Y);
  if (states_.Contains(tsWheelPanning) || states_.Contains(tsWheelScrolling)) {
    // Any press ends panning, and does nothing else.
    StopWheelPanning();
    return;
  }
  if (Button == mbMiddle && options_->MiscOptions().Contains(toWheelPanning) &&
      (ClientHeight() - headerRect_.bottom < RangeY() || ClientWidth() < RangeX())) {
    DoStateChange({tsMiddleButtonDown});
    StartWheelPanning(POINT{X, Y});
    return;
  }
  lastClickPos_ = POINT{X, Y};
  if (Button == mbLeft) DoStateChange({tsLeftButtonDown});
  if (Button == mbRight) DoStateChange({tsRightButtonDown});
  if (Button == mbMiddle) DoStateChange({tsMiddleButtonDown});
  if (CanFocus() && !Focused()) SetFocus();
  THitInfo hit;
  GetHitTestInfoAt(X, Y, true, hit);
  PDataNode node = hit.HitNode;
  bool dbl = Shift.Contains(ssDouble);
  if (dbl && Button == mbLeft && hit.HitColumn >= 0 && hit.HitColumn == header_->Columns()->ClickIndex &&
      OnColumnDblClick)
    OnColumnDblClick(this, hit.HitColumn, Shift);
  if (Button == mbLeft) header_->Columns()->ClickIndex = hit.HitColumn;
  if (Button == mbLeft && node && hit.HitPositions.Contains(hpOnItemButton) && !dbl) {
    ToggleNode(node);  // the button toggles without moving the focus
    return;
  }
  if (Button == mbLeft && node && hit.HitPositions.Contains(hpOnItemCheckbox) &&
      options_->MiscOptions().Contains(toCheckSupport) && !node->Has(vsDisabled)) {
    TCheckState newState = node->CheckType == ctRadioButton             ? csCheckedNormal
                           : (node->CheckState & ~1) == csCheckedNormal ? csUncheckedNormal
                                                                        : csCheckedNormal;
    if (node->CheckType == ctButton) newState = csUncheckedNormal;
    if (DoChecking(node, newState)) {
      DoStateChange({tsMouseCheckPending});
      checkNode_ = node;
      pendingCheckState_ = newState;
      node->CheckState = TCheckState(node->CheckState | 1);
      InvalidateNode(node);
    }
    return;
  }
  if (dbl && Button == mbLeft) {
    if (node && options_->MiscOptions().Contains(toToggleOnDblClick) && node->Has(vsHasChildren))
      ToggleNode(node);
    return;
  }
  bool fullRow = options_->SelectionOptions().Contains(toFullRowSelect);
  // On the node means on its label or pictures (any cell of the row with
  // full-row select, any cell but the main one with extended focus).
  bool onNode =
      node && (fullRow || hit.HitPositions.Contains(hpOnItemLabel) ||
               hit.HitPositions.Contains(hpOnNormalIcon) || hit.HitPositions.Contains(hpOnStateIcon) ||
               (header_->UseColumns() && hit.HitColumn != header_->MainColumn() &&
                options_->SelectionOptions().Contains(toExtendedFocus)));
  if (node && hit.HitPositions.Contains(hpOnItemIndent) && !fullRow) onNode = false;
  bool selects = Button == mbLeft ||
                 (Button == mbRight && options_->SelectionOptions().Contains(toRightClickSelect)) ||
                 (Button == mbMiddle && options_->SelectionOptions().Contains(toMiddleClickSelect));
  if (!selects) return;
  if (onNode) {
    PDataNode last = focus_.Node();
    if (header_->UseColumns() && hit.HitColumn >= 0 && hit.HitColumn != focus_.Column() &&
        options_->SelectionOptions().Contains(toExtendedFocus))
      SetFocusedColumn(hit.HitColumn);
    SetFocusedNode(node);
    // A drag may start from here only when the owner allowed it (asked
    // as the button went down, before this).
    bool autoDrag = Button == mbLeft && xfer_ && xfer_->armDrag &&
                    (!fullRow || hit.HitPositions.Contains(hpOnItemLabel) ||
                     options_->MiscOptions().Contains(toFullRowDrag));
    if (focus_.Node() == node) HandleClickSelection(last, node, Shift, autoDrag);
  } else if (Button == mbLeft) {
    // Empty space: a rubber band may follow.
    if (!Shift.Contains(ssCtrl) && !Shift.Contains(ssShift)) ClearSelection();
    if (options_->SelectionOptions().Contains(toMultiSelect) &&
        !options_->SelectionOptions().Contains(toDisableDrawSelection)) {
      DoStateChange({tsDrawSelPending});
      StartDrawSelection(POINT{X - offsetX_, Y - headerRect_.bottom - offsetY_}, Shift.Contains(ssCtrl));
    }
  }
}

void TBaseDataTree::MouseMove(TShiftState Shift, int X, int Y) {
  TCustomControl::MouseMove(Shift, X, Y);
  if (states_.Contains(tsWheelPanning) && states_.Contains(tsWheelScrolling)) {
    // Moved with the button held: panning ends when the button comes up.
    int threshold = GetSystemMetrics(SM_CXDRAG);
    if (std::abs(X - lastClickPos_.x) >= threshold || std::abs(Y - lastClickPos_.y) >= threshold)
      DoStateChange({}, {tsWheelScrolling});
  }
  if (states_.Contains(tsWheelPanning) || states_.Contains(tsWheelScrolling)) {
    AdjustPanningCursor(X, Y);
    return;
  }
  UpdateAutoScroll(X, Y);
  if (states_.Contains(tsDrawSelPending) || states_.Contains(tsDrawSelecting)) {
    RECT old = band_.Rect();
    POINT p{X - offsetX_, Y - headerRect_.bottom - offsetY_};
    if (states_.Contains(tsDrawSelPending) &&
        (std::abs(p.x - band_.Start().x) > 4 || std::abs(p.y - band_.Start().y) > 4))
      DoStateChange({tsDrawSelecting}, {tsDrawSelPending});
    if (states_.Contains(tsDrawSelecting)) {
      band_.SetRect(RECT{band_.Start().x, band_.Start().y, p.x, p.y});
      HandleDrawSelection(old, band_.Rect());
      Invalidate();
    }
    return;
  }
  if (options_->PaintOptions().Contains(toHotTrack)) {
    THitInfo hit;
    GetHitTestInfoAt(X, Y, true, hit);
    PDataNode hot = hit.HitPositions.Contains(hpOnItem) ? hit.HitNode : nullptr;
    if (hot != focus_.Hot()) {
      PDataNode old = focus_.SetHot(hot);
      DoHotChange(old, hot);
      InvalidateNode(old);
      InvalidateNode(hot);
    }
  }
}

void TBaseDataTree::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomControl::MouseUp(Button, Shift, X, Y);
  if (Button == mbMiddle && (states_.Contains(tsWheelPanning) || states_.Contains(tsWheelScrolling))) {
    DoStateChange({}, {tsMiddleButtonDown});
    // Released without moving: the view keeps following the mouse until the next press.
    if (states_.Contains(tsWheelScrolling))
      DoStateChange({}, {tsWheelPanning});
    else
      StopWheelPanning();
    return;
  }
  if (states_.Contains(tsScrollPending) || states_.Contains(tsScrolling)) {
    KillTimer(Handle(), ScrollTimer);
    DoStateChange({}, {tsScrollPending, tsScrolling});
  }
  if (Button == mbLeft) {
    THitInfo hit;
    GetHitTestInfoAt(X, Y, true, hit);
    TColumnIndex clicked = header_->Columns()->ClickIndex;
    if (clicked >= 0 && clicked == hit.HitColumn && OnColumnClick) OnColumnClick(this, hit.HitColumn, Shift);
  }
  if (Button == mbLeft) DoStateChange({}, {tsLeftButtonDown});
  if (Button == mbRight) {
    DoStateChange({}, {tsRightButtonDown, tsPopupMenuShown});
    // Without a menu of its own the tree may still have one per node.
    if (!PopupMenu<TMenuBase>() && OnGetPopupMenu) {
      THitInfo hit;
      GetHitTestInfoAt(X, Y, true, hit);
      auto alive = AliveToken();
      PopupNodeMenu(hit.HitNode, hit.HitColumn, POINT{X, Y});
      if (alive.expired()) return;
    }
  }
  if (Button == mbMiddle) DoStateChange({}, {tsMiddleButtonDown});
  if (states_.Contains(tsMouseCheckPending)) {
    DoStateChange({}, {tsMouseCheckPending});
    PDataNode node = checkNode_;
    checkNode_ = nullptr;
    if (node) {
      node->CheckState = TCheckState(node->CheckState & ~1);
      THitInfo hit;
      GetHitTestInfoAt(X, Y, true, hit);
      // Released outside the box: the press is cancelled.
      if (hit.HitNode == node && hit.HitPositions.Contains(hpOnItemCheckbox))
        ClickCheck(node, pendingCheckState_);
      InvalidateNode(node);
    }
  }
  if (states_.Contains(tsClearPending)) {
    DoStateChange({}, {tsClearPending});
    if (pendingClearNode_ && selection_.Count() > 1 && !Shift.Contains(ssCtrl) && !Shift.Contains(ssShift)) {
      PDataNode keep = pendingClearNode_;
      ClearSelection();
      AddToSelection(keep);
    }
    pendingClearNode_ = nullptr;
  }
  if (states_.Contains(tsDrawSelPending) || states_.Contains(tsDrawSelecting)) {
    DoStateChange({}, {tsDrawSelPending, tsDrawSelecting});
    band_.End();
    Invalidate();
  }
}

void TBaseDataTree::StartDrawSelection(POINT Start, bool Ctrl) {
  band_.Begin(Start, Ctrl, GetSortedSelection(false));
}

void TBaseDataTree::HandleDrawSelection(RECT OldRect, RECT NewRect) {
  // Rows between the rectangles' vertical extents are checked: a node whose
  // label (or row, with simple draw selection) meets the band is selected;
  // with Ctrl held at the start the band toggles the earlier selection.
  auto norm = [](RECT r) {
    if (r.left > r.right) std::swap(r.left, r.right);
    if (r.top > r.bottom) std::swap(r.top, r.bottom);
    return r;
  };
  OldRect = norm(OldRect);
  NewRect = norm(NewRect);
  // A row inside both bands or outside both keeps its state. With the same
  // horizontal extent only the rows between the old and new top edges and
  // between the old and new bottom edges can change.
  if (OldRect.left == NewRect.left && OldRect.right == NewRect.right &&
      std::max(OldRect.top, NewRect.top) < std::min(OldRect.bottom, NewRect.bottom)) {
    bool changed = false;
    TNodeArray add;
    UpdateDrawSelectionRows(std::min(OldRect.top, NewRect.top), std::max(OldRect.top, NewRect.top), NewRect,
                            add, changed);
    UpdateDrawSelectionRows(std::min(OldRect.bottom, NewRect.bottom),
                            std::max(OldRect.bottom, NewRect.bottom), NewRect, add, changed);
    FinishDrawSelectionRows(add, changed);
    return;
  }
  bool changed = false;
  TNodeArray add;
  UpdateDrawSelectionRows(std::min(OldRect.top, NewRect.top), std::max(OldRect.bottom, NewRect.bottom),
                          NewRect, add, changed);
  FinishDrawSelectionRows(add, changed);
}

void TBaseDataTree::UpdateDrawSelectionRows(int fromY, int toY, const RECT& NewRect, TNodeArray& add,
                                            bool& changed) {
  if (fromY >= toY) return;
  int top;
  PDataNode run = BandRowAt(fromY, top);
  bool simple = options_->SelectionOptions().Contains(toSimpleDrawSelection);
  TColumnIndex main = header_->MainColumn();
  while (run && top < toY) {
    int h = run->NodeHeight;
    int left = 0, right = std::max(RangeX(), ClientWidth());
    if (header_->UseColumns() && main >= 0) {
      left = header_->Columns()->Items(main)->Left();
      right = left + header_->Columns()->Items(main)->Width();
    }
    if (!simple) {
      int cellLeft = left, cellRight = right;
      int textLeft = left + GetNodeIndent(run) + margin_;
      if (options_->MiscOptions().Contains(toCheckSupport) && checkImages_ && run->CheckType != ctNone)
        textLeft += CheckImageWidth() + 2;
      left = textLeft;
      right = std::min(right, textLeft + DoGetNodeWidth(run, main) + 2 * textMargin_);
      if (IsRightToLeft(main)) {
        // Laid out from the right edge: the same extent mirrored in the cell.
        int mirroredLeft = cellLeft + cellRight - right;
        right = cellLeft + cellRight - left;
        left = mirroredLeft;
      }
    }
    bool inNew = top < NewRect.bottom && top + h > NewRect.top &&
                 (simple || (left < NewRect.right && right > NewRect.left));
    bool want = band_.Wants(run, inNew);
    if (want && !run->Has(vsSelected)) {
      add.push_back(run);
    } else if (!want && run->Has(vsSelected)) {
      InternalRemoveFromSelection(run);
      changed = true;
    }
    band_.SetRow(run, top);
    top += h;
    run = GetNextVisibleNoInit(run);
  }
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

void TBaseDataTree::FinishDrawSelectionRows(const TNodeArray& add, bool changed) {
  if (changed) PackArray();
  if (!add.empty()) changed |= InternalAddToSelection(add, false);
  if (changed) Change(nullptr);
}

}  // namespace qv
