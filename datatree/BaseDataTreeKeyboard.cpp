// Keyboard handling: navigation keys with range selection, expand and
// collapse keys, the Space check with its press and release, and the
// incremental search driven by typed characters and the search timer.
#include "datatree/BaseDataTree.h"
#include "datatree/DataTreeTransfer.h"
#include "platform/window/Input.h"
#include "platform/window/KeyboardLayout.h"
#include "platform/window/Messages.h"

namespace qv {

namespace {
TCheckState Pressed(TCheckState s) {
  return TCheckState(s | 1);
}
TCheckState Unpressed(TCheckState s) {
  return TCheckState(s & ~1);
}
TCheckState NextCheckState(PDataNode Node) {
  switch (Node->CheckType) {
    case ctRadioButton:
      return csCheckedNormal;
    case ctButton:
      return csUncheckedNormal;
    default:
      return Unpressed(TCheckState(Node->CheckState)) == csCheckedNormal ? csUncheckedNormal
                                                                         : csCheckedNormal;
  }
}
// The operator characters typed on the main keyboard act as the pad keys;
// the character decides, so an unshifted '=' stays what it is.
WORD PadKeyForCharacter(WORD Key) {
  BYTE keys[256];
  WORD ch = 0;
  if (!GetKeyboardState(keys) || ToAscii(Key, 0, keys, &ch, 0) != 1) return Key;
  switch (ch) {
    case '*':
      return VK_MULTIPLY;
    case '+':
      return VK_ADD;
    case '-':
      return VK_SUBTRACT;
    case '/':
      return VK_DIVIDE;
    default:
      return Key;
  }
}
}  // namespace

void TBaseDataTree::KeyDown(WORD& Key, TShiftState Shift) {
  TCustomControl::KeyDown(Key, Shift);
  if (Key == 0) return;
  Shift = Shift * TShiftState{ssShift, ssCtrl, ssAlt};
  if (!DoKeyAction(Key, Shift)) return;
  if (states_.Contains(tsKeyCheckPending) && Key != VK_SPACE) {
    DoStateChange({}, {tsKeyCheckPending});
    if (checkNode_) {
      checkNode_->CheckState = Unpressed(TCheckState(checkNode_->CheckState));
      InvalidateNode(checkNode_);
    }
    checkNode_ = nullptr;
  }
  bool ctrl = Shift.Contains(ssCtrl), shift = Shift.Contains(ssShift);
  bool multi = options_->SelectionOptions().Contains(toMultiSelect);
  bool navigation = Key == VK_BACK || Key == VK_TAB || (Key >= VK_PRIOR && Key <= VK_DOWN);
  if (navigation) {
    bool extendRange = shift && multi && !states_.Contains(tsEditing);
    bool rangeToggle = (Key == VK_PRIOR || Key == VK_NEXT || Key == VK_END || Key == VK_HOME) && extendRange;
    bool gridMode = options_->MiscOptions().Contains(toGridExtensions);
    bool clearFirst = Shift.Empty() || (gridMode && !shift) || !multi || Key == VK_BACK || Key == VK_TAB;
    PDataNode oldFocus = focus_.Node();
    if (!oldFocus && !Shift.Empty()) oldFocus = GetFirstVisible();
    if (!focus_.Anchor()) {
      focus_.SetAnchor(GetFirstSelected());
      if (!focus_.Anchor()) focus_.SetAnchor(GetFirst());
    }
    int rowsH = HandleAllocated() ? ClientHeight() : Height();
    switch (Key) {
      case VK_HOME:
      case VK_END: {
        PDataNode target = Key == VK_HOME ? GetFirstVisible() : GetLastVisible();
        if (!target) break;
        // The column walk: from the first (last) visible column towards the other end.
        TColumnIndex column = NoColumn;
        if (header_->UseColumns()) {
          TDataTreeColumns* cols = header_->Columns();
          column = Key == VK_HOME ? cols->GetFirstVisibleColumn() : cols->GetLastVisibleColumn();
          while (column >= 0 && !DoFocusChanging(focus_.Node(), target, focus_.Column(), column))
            column =
                Key == VK_HOME ? cols->GetNextVisibleColumn(column) : cols->GetPreviousVisibleColumn(column);
          if (column < 0) break;  // no column allowed: nothing happens
        }
        // Only Ctrl alone scrolls; with Shift as well the range is extended.
        if (Shift == TShiftState{ssCtrl} && !gridMode) {
          ScrollIntoView(target, options_->SelectionOptions().Contains(toCenterScrollIntoView),
                         !options_->AutoOptions().Contains(toDisableAutoscrollOnFocus));
          SetOffsetX(Key == VK_HOME ? 0 : -2147483647);
        } else {
          if (!gridMode || ctrl) SetFocusedNode(target);
          if (gridMode && !options_->SelectionOptions().Contains(toFullRowSelect) && column >= 0)
            SetFocusedColumn(column);
        }
        break;
      }
      case VK_PRIOR:
      case VK_NEXT: {
        bool up = Key == VK_PRIOR;
        if (ctrl) {
          SetOffsetY(SaturateToInt(int64_t(offsetY_) + (up ? rowsH : -rowsH)));
          break;
        }
        if (!focus_.Node()) {
          SetFocusedNode(up ? GetFirstVisible() : GetLastVisible());
          break;
        }
        PDataNode run = focus_.Node();
        int accumulated = 0;
        for (;;) {
          PDataNode next = up ? GetPreviousVisible(run) : GetNextVisible(run);
          if (!next || rowsH <= int(run->NodeHeight) + accumulated) break;
          accumulated += up ? int(next->NodeHeight) : int(run->NodeHeight);
          run = next;
        }
        SetFocusedNode(run);
        break;
      }
      case VK_UP:
      case VK_DOWN: {
        bool up = Key == VK_UP;
        if (ctrl) {
          SetOffsetY(SaturateToInt(offsetY_ + (up ? 1 : -1) * int64_t(defaultNodeHeight_)));
          break;
        }
        PDataNode target = focus_.Node()
                               ? (up ? GetPreviousVisible(focus_.Node()) : GetNextVisible(focus_.Node()))
                               : (up ? GetLastVisible() : GetFirstVisible());
        if (target) {
          EndEditNode();
          if (extendRange && focus_.Node() && focus_.Anchor()) {
            int cmp = CompareNodePositions(oldFocus, focus_.Anchor());
            if ((up && cmp > 0) || (!up && cmp < 0)) RemoveFromSelection(focus_.Node());
          }
          if (focus_.Column() == NoColumn) focus_.SetColumn(header_->MainColumn());
          SetFocusedNode(target);
        } else {
          InvalidateNode(focus_.Node());
        }
        break;
      }
      case VK_LEFT:
      case VK_RIGHT: {
        bool left = Key == VK_LEFT;
        if (ctrl) {
          SetOffsetX(SaturateToInt(offsetX_ + (left ? 1 : -1) * int64_t(indent_)));
          break;
        }
        if (options_->SelectionOptions().Contains(toExtendedFocus) && gridMode) {
          TColumnIndex c = left ? header_->Columns()->GetPreviousVisibleColumn(focus_.Column())
                                : header_->Columns()->GetNextVisibleColumn(focus_.Column());
          if (c >= 0) SetFocusedColumn(c);
          break;
        }
        if (focus_.Node() && Shift.Empty() && focus_.Node()->Has(vsHasChildren) &&
            focus_.Node()->Has(vsExpanded) == left) {
          ToggleNode(focus_.Node());
          break;
        }
        if (!focus_.Node()) {
          SetFocusedNode(GetFirstVisible());
          break;
        }
        if (left) {
          if (focus_.Node()->Parent != root_) {
            if (extendRange) {
              if (focus_.Node()->Index > 0)
                rangeToggle = true;
              else if (focus_.Anchor() && CompareNodePositions(focus_.Node()->Parent, focus_.Anchor()) > 0)
                RemoveFromSelection(focus_.Node());
            }
            SetFocusedNode(focus_.Node()->Parent);
          }
        } else {
          // A collapsed node (Shift held) opens as its child takes the focus.
          PDataNode target = GetFirstVisibleChild(focus_.Node());
          if (target) {
            if (extendRange && focus_.Anchor() && CompareNodePositions(target, focus_.Anchor()) < 0)
              RemoveFromSelection(focus_.Node());
            SetFocusedNode(target);
          }
        }
        break;
      }
      case VK_TAB: {
        // With extended focus: the next (Shift: previous) allowed cell, row by row.
        if (!WantTabs || !options_->SelectionOptions().Contains(toExtendedFocus) || !header_->UseColumns() ||
            !focus_.Node())
          break;
        TDataTreeColumns* cols = header_->Columns();
        PDataNode node = focus_.Node();
        TColumnIndex column = shift ? cols->GetPreviousVisibleColumn(focus_.Column())
                                    : cols->GetNextVisibleColumn(focus_.Column());
        while (node) {
          while (column >= 0 && !DoFocusChanging(focus_.Node(), node, focus_.Column(), column))
            column = shift ? cols->GetPreviousVisibleColumn(column) : cols->GetNextVisibleColumn(column);
          if (column >= 0) break;
          node = shift ? GetPreviousVisible(node) : GetNextVisible(node);
          column = shift ? cols->GetLastVisibleColumn() : cols->GetFirstVisibleColumn();
        }
        if (node && column >= 0) {
          focus_.SetColumn(column);  // node and column change together
          if (node != focus_.Node())
            SetFocusedNode(node);
          else {
            InvalidateNode(node);
            DoFocusChange(focus_.Node(), focus_.Column());
          }
        }
        break;
      }
      case VK_BACK:
        if (states_.Contains(tsIncrementalSearching))
          DoStateChange({tsIncrementalSearchPending});
        else if (focus_.Node() && focus_.Node()->Parent != root_)
          SetFocusedNode(focus_.Node()->Parent);
        break;
      default:
        break;
    }
    bool cleared = false;
    if (clearFirst && (oldFocus != focus_.Node() || selection_.Count() != 1)) {
      ClearSelection();
      cleared = true;
    }
    if (Shift.Empty()) {
      focus_.SetAnchor(focus_.Node());
      lastSelectionLevel_ = focus_.Node() ? int(GetNodeLevel(focus_.Node())) : -1;
    }
    if (rangeToggle && focus_.Node()) ToggleSelection(oldFocus, focus_.Node());
    if (focus_.Node() && (cleared || focus_.Node() != oldFocus) && !focus_.Node()->Has(vsSelected))
      AddToSelection(focus_.Node());
    if (rangeToggle || selection_.Count() > 1) Invalidate();
    return;
  }
  Key = PadKeyForCharacter(Key);
  bool searching = states_.Contains(tsIncrementalSearching);
  switch (Key) {
    case VK_MULTIPLY:
      if (searching)
        DoStateChange({tsIncrementalSearchPending});
      else if (focus_.Node())
        FullExpand(focus_.Node());
      return;
    case VK_DIVIDE:
      if (searching)
        DoStateChange({tsIncrementalSearchPending});
      else if (focus_.Node())
        FullCollapse(focus_.Node());
      return;
    case VK_ADD:
      if (searching)
        DoStateChange({tsIncrementalSearchPending});
      else if (ctrl && shift)
        FullExpand(nullptr);
      else if (ctrl)
        header_->AutoFitColumns(true);
      else if (focus_.Node() && !focus_.Node()->Has(vsExpanded))
        ToggleNode(focus_.Node());
      return;
    case VK_SUBTRACT:
      if (searching)
        DoStateChange({tsIncrementalSearchPending});
      else if (ctrl && shift)
        FullCollapse(nullptr);
      else if (ctrl)
        header_->RestoreColumns();
      else if (focus_.Node() && focus_.Node()->Has(vsExpanded))
        ToggleNode(focus_.Node());
      return;
    case VK_ESCAPE:
      if (states_.Contains(tsDrawSelPending) || states_.Contains(tsDrawSelecting)) {
        DoStateChange({}, {tsDrawSelPending, tsDrawSelecting});
        if (GetCapture() == Handle()) ReleaseCapture();
        Invalidate();
      } else if (states_.Contains(tsEditing)) {
        CancelEditNode();
      }
      return;
    case VK_F2:
      if (!Shift.Empty()) break;
      if (focus_.Node() && CanEdit(focus_.Node(), focus_.Column())) {
        Xfer().editColumn = focus_.Column();
        BeginNodeEdit();
      }
      return;
    case VK_SPACE:
      if (options_->MiscOptions().Contains(toCheckSupport) && focus_.Node() &&
          focus_.Node()->CheckType != ctNone && !states_.Contains(tsKeyCheckPending) &&
          !states_.Contains(tsMouseCheckPending) && !focus_.Node()->Has(vsDisabled)) {
        TCheckState newState = NextCheckState(focus_.Node());
        if (DoChecking(focus_.Node(), newState)) {
          DoStateChange({tsKeyCheckPending});
          checkNode_ = focus_.Node();
          pendingCheckState_ = newState;
          checkNode_->CheckState = Pressed(TCheckState(checkNode_->CheckState));
          InvalidateNode(checkNode_);
        }
      } else {
        DoStateChange({tsIncrementalSearchPending});
      }
      return;
    case VK_APPS:
      if (focus_.Node()) {
        menuKeyHandled_ = true;  // the key-up's context menu message is this one
        PopupAtFocusedCell();
      }
      return;
    case VK_F1:
      HelpKey();
      return;
    case 'A':
    case 0x61:  // a lower-case 'a' passed as the key code
      if (ctrl) {
        SelectAll(true);
        return;
      }
      break;
    default:
      break;
  }
  if (!ctrl && !Shift.Contains(ssAlt) && Key >= 0x20) DoStateChange({tsIncrementalSearchPending});
}

void TBaseDataTree::KeyUp(WORD& Key, TShiftState Shift) {
  TCustomControl::KeyUp(Key, Shift);
  if (Key != VK_SPACE || !states_.Contains(tsKeyCheckPending)) return;
  DoStateChange({}, {tsKeyCheckPending});
  PDataNode node = checkNode_;
  checkNode_ = nullptr;
  if (!node) return;
  node->CheckState = Unpressed(TCheckState(node->CheckState));
  if (node == focus_.Node()) ClickCheck(node, pendingCheckState_);
  InvalidateNode(node);
}

void TBaseDataTree::KeyPress(char16_t& Key) {
  if (states_.Contains(tsIncrementalSearchPending)) {
    DoIncrementalSearchKey(Key);
    DoStateChange({}, {tsIncrementalSearchPending});
  }
  TCustomControl::KeyPress(Key);
}

void TBaseDataTree::DoIncrementalSearchKey(char16_t Key) {
  if (HandleAllocated()) KillTimer(Handle(), SearchTimer);
  if (incrementalSearch_ == isNone) return;
  if (Key != 0) {
    DoStateChange({tsIncrementalSearching});
    bool failed = false;
    PDataNode found = search_.Key(Key, incrementalSearch_, IncrementalSearchStart, IncrementalSearchDirection,
                                  focus_.Node(), failed);
    if (found) {
      ClearSelection();
      search_.Accept(found);
      SetFocusedNode(found);
      SetSelected(found, true);
    } else if (failed) {
      MessageBeep(0);
    }
  }
  if (HandleAllocated()) SetTimer(Handle(), SearchTimer, IncrementalSearchTimeout, nullptr);
}

}  // namespace qv
