// Mouse handling: buttons toggle, check boxes press and release, clicks
// select with Shift and Ctrl, double clicks toggle, hot tracking follows
// the pointer, and a drag over empty space draws a rubber band.
#include <algorithm>

#include "classlib/controls/MenuBase.h"
#include "datatree/BaseDataTree.h"
#include "datatree/DataTreeTransfer.h"
#include "platform/gdi/SystemMetrics.h"
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
  int w = ClientWidth(), h = ClientHeight();
  if (X < margin && offsetX_ != 0) d |= sdLeft;
  if (w - offsetX_ < RangeX() && X > w - margin) d |= sdRight;
  if (Y < margin && offsetY_ != 0) d |= sdUp;
  if (h - offsetY_ < RangeY() && Y > h - margin) d |= sdDown;
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
  SetOffsetXY(POINT{SaturateToInt(int64_t(offsetX_) + dx), SaturateToInt(int64_t(offsetY_) + dy)});
  if (states_.Contains(tsDrawSelecting)) {
    // The band's moving corner follows the content.
    RECT old = band_.Rect();
    band_.MoveCorner(p.x - offsetX_, p.y - offsetY_);
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
      (ClientHeight() < RangeY() || ClientWidth() < RangeX())) {
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
  if (Shift.Contains(ssDouble)) {
    // Right and middle double clicks count only where their clicks select.
    if (Button == mbLeft ||
        (Button == mbRight && options_->SelectionOptions().Contains(toRightClickSelect)) ||
        (Button == mbMiddle && options_->SelectionOptions().Contains(toMiddleClickSelect)))
      HandleMouseDblClick(Shift, hit);
    return;
  }
  if (Button == mbLeft) header_->Columns()->ClickIndex = hit.HitColumn;
  if (Button == mbLeft && node && hit.HitPositions.Contains(hpOnItemButton)) {
    ToggleNode(node);  // the button toggles without moving the focus
    return;
  }
  if (Button == mbLeft && node && hit.HitPositions.Contains(hpOnItemCheckbox) &&
      options_->MiscOptions().Contains(toCheckSupport)) {
    PressCheckBox(node);
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
  } else {
    // Empty space: a rubber band may follow, from any button that selects.
    // A single-select tree keeps its selection, as there is no band to
    // start; so does a tree whose rows drag from anywhere (full-row drag).
    bool multi = options_->SelectionOptions().Contains(toMultiSelect);
    if (options_->MiscOptions().Contains(toFullRowDrag)) return;
    if (multi && !Shift.Contains(ssCtrl) && !Shift.Contains(ssShift)) ClearSelection();
    if (multi && !options_->SelectionOptions().Contains(toDisableDrawSelection)) {
      DoStateChange({tsDrawSelPending});
      StartDrawSelection(POINT{X - offsetX_, Y - offsetY_}, Shift.Contains(ssCtrl));
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
    // While pending nothing was selected yet: the band grows from nothing.
    RECT old = states_.Contains(tsDrawSelecting) ? band_.Rect() : RECT{};
    bool moved = CalculateSelectionRect(X, Y);
    if (states_.Contains(tsDrawSelPending) &&
        (std::abs(band_.Rect().right - band_.Rect().left) > GetSystemMetrics(SM_CXDRAG) ||
         std::abs(band_.Rect().bottom - band_.Rect().top) > GetSystemMetrics(SM_CYDRAG))) {
      if (states_.Contains(tsClearPending)) {
        DoStateChange({}, {tsClearPending});
        ClearSelection();
      }
      DoStateChange({tsDrawSelecting}, {tsDrawSelPending});
      SetFocusedColumn(header_->MainColumn());
      moved = true;
    }
    if (moved && states_.Contains(tsDrawSelecting)) {
      HandleDrawSelection(old, band_.Rect());
      Invalidate();
    }
    return;
  }
  HandleHotTrack(X, Y);
}

void TBaseDataTree::HandleHotTrack(int X, int Y) {
  THitInfo hit;
  GetHitTestInfoAt(X, Y, true, hit);
  // Hot is the label or the check box; with full-row select the whole row.
  bool onHotPart = hit.HitPositions.Contains(hpOnItemLabel) || hit.HitPositions.Contains(hpOnItemCheckbox) ||
                   options_->SelectionOptions().Contains(toFullRowSelect);
  PDataNode hot = onHotPart ? hit.HitNode : nullptr;
  if (hot == focus_.Hot()) return;
  PDataNode old = focus_.Hot();
  DoHotChange(old, hot);
  if (options_->PaintOptions().Contains(toHotTrack) || options_->MiscOptions().Contains(toCheckSupport)) {
    InvalidateNode(old);
    InvalidateNode(hot);
  }
  focus_.SetHot(hot);
}

void TBaseDataTree::PressCheckBox(PDataNode Node) {
  if (states_.Contains(tsKeyCheckPending) || states_.Contains(tsMouseCheckPending) || Node->Has(vsDisabled))
    return;
  TCheckState newState = Node->CheckType == ctRadioButton             ? csCheckedNormal
                         : (Node->CheckState & ~1) == csCheckedNormal ? csUncheckedNormal
                                                                      : csCheckedNormal;
  if (Node->CheckType == ctButton) newState = csUncheckedNormal;
  if (!DoChecking(Node, newState)) return;
  DoStateChange({tsMouseCheckPending});
  checkNode_ = Node;
  pendingCheckState_ = newState;
  Node->CheckState = TCheckState(Node->CheckState | 1);
  InvalidateNode(Node);
}

void TBaseDataTree::HandleMouseDblClick(TShiftState Shift, const THitInfo& Hit) {
  if (HandleAllocated()) KillTimer(Handle(), EditTimer);
  DoStateChange({}, {tsEditPending});
  if (states_.Contains(tsEditing) && !EndNodeEdit()) return;
  TColumnIndex clicked = header_->Columns()->ClickIndex;
  if (Hit.HitColumn >= 0 && Hit.HitColumn == clicked && OnColumnDblClick)
    OnColumnDblClick(this, Hit.HitColumn, Shift);
  PDataNode node = Hit.HitNode;
  if (!node) return;
  const auto& at = Hit.HitPositions;
  if (at.Contains(hpOnItemCheckbox)) {
    if (options_->MiscOptions().Contains(toCheckSupport)) PressCheckBox(node);
  } else if (at.Contains(hpOnItemButton)) {
    ToggleNode(node);
  } else if (options_->MiscOptions().Contains(toToggleOnDblClick) &&
             (at.Contains(hpOnItemLabel) || at.Contains(hpOnNormalIcon) || at.Contains(hpOnStateIcon) ||
              options_->SelectionOptions().Contains(toFullRowSelect))) {
    ToggleNode(node);
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

}  // namespace qv
