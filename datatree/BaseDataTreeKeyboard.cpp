// Keyboard handling: navigation keys with range selection, expand and
// collapse keys, the Space check with its press and release, and the
// incremental search driven by typed characters and the search timer.
#include "datatree/BaseDataTree.h"
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
    PDataNode oldFocus = focusedNode_;
    if (!oldFocus && !Shift.Empty()) oldFocus = GetFirstVisible();
    if (!rangeAnchor_) {
      rangeAnchor_ = GetFirstSelected();
      if (!rangeAnchor_) rangeAnchor_ = GetFirst();
    }
    int rowsH = HandleAllocated() ? ClientHeight() - headerRect_.bottom : Height();
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
          while (column >= 0 && !DoFocusChanging(focusedNode_, target, focusedColumn_, column))
            column =
                Key == VK_HOME ? cols->GetNextVisibleColumn(column) : cols->GetPreviousVisibleColumn(column);
          if (column < 0) break;  // no column allowed: nothing happens
        }
        if (ctrl && !gridMode) {
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
          SetOffsetY(offsetY_ + (up ? rowsH : -rowsH));
          break;
        }
        if (!focusedNode_) {
          SetFocusedNode(up ? GetFirstVisible() : GetLastVisible());
          break;
        }
        PDataNode run = focusedNode_;
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
          SetOffsetY(offsetY_ + (up ? 1 : -1) * int(defaultNodeHeight_));
          break;
        }
        PDataNode target = focusedNode_
                               ? (up ? GetPreviousVisible(focusedNode_) : GetNextVisible(focusedNode_))
                               : (up ? GetLastVisible() : GetFirstVisible());
        if (target) {
          EndEditNode();
          if (extendRange && focusedNode_ && rangeAnchor_) {
            int cmp = CompareNodePositions(oldFocus, rangeAnchor_);
            if ((up && cmp > 0) || (!up && cmp < 0)) RemoveFromSelection(focusedNode_);
          }
          if (focusedColumn_ == NoColumn) focusedColumn_ = header_->MainColumn();
          SetFocusedNode(target);
        } else {
          InvalidateNode(focusedNode_);
        }
        break;
      }
      case VK_LEFT:
      case VK_RIGHT: {
        bool left = Key == VK_LEFT;
        if (ctrl) {
          SetOffsetX(offsetX_ + (left ? 1 : -1) * int(indent_));
          break;
        }
        if (options_->SelectionOptions().Contains(toExtendedFocus) && gridMode) {
          TColumnIndex c = left ? header_->Columns()->GetPreviousVisibleColumn(focusedColumn_)
                                : header_->Columns()->GetNextVisibleColumn(focusedColumn_);
          if (c >= 0) SetFocusedColumn(c);
          break;
        }
        if (focusedNode_ && Shift.Empty() && focusedNode_->Has(vsHasChildren) &&
            focusedNode_->Has(vsExpanded) == left) {
          ToggleNode(focusedNode_);
          break;
        }
        if (!focusedNode_) {
          SetFocusedNode(GetFirstVisible());
          break;
        }
        if (left) {
          if (focusedNode_->Parent != root_) {
            if (extendRange) {
              if (focusedNode_->Index > 0)
                rangeToggle = true;
              else if (rangeAnchor_ && CompareNodePositions(focusedNode_->Parent, rangeAnchor_) > 0)
                RemoveFromSelection(focusedNode_);
            }
            SetFocusedNode(focusedNode_->Parent);
          }
        } else {
          PDataNode target = focusedNode_->Has(vsExpanded) ? GetFirstVisibleChild(focusedNode_) : nullptr;
          if (target) {
            if (extendRange && rangeAnchor_ && CompareNodePositions(target, rangeAnchor_) < 0)
              RemoveFromSelection(focusedNode_);
            SetFocusedNode(target);
          }
        }
        break;
      }
      case VK_TAB: {
        // With extended focus: the next (Shift: previous) allowed cell, row by row.
        if (!WantTabs || !options_->SelectionOptions().Contains(toExtendedFocus) || !header_->UseColumns() ||
            !focusedNode_)
          break;
        TDataTreeColumns* cols = header_->Columns();
        PDataNode node = focusedNode_;
        TColumnIndex column = shift ? cols->GetPreviousVisibleColumn(focusedColumn_)
                                    : cols->GetNextVisibleColumn(focusedColumn_);
        while (node) {
          while (column >= 0 && !DoFocusChanging(focusedNode_, node, focusedColumn_, column))
            column = shift ? cols->GetPreviousVisibleColumn(column) : cols->GetNextVisibleColumn(column);
          if (column >= 0) break;
          node = shift ? GetPreviousVisible(node) : GetNextVisible(node);
          column = shift ? cols->GetLastVisibleColumn() : cols->GetFirstVisibleColumn();
        }
        if (node && column >= 0) {
          focusedColumn_ = column;  // node and column change together
          if (node != focusedNode_)
            SetFocusedNode(node);
          else {
            InvalidateNode(node);
            DoFocusChange(focusedNode_, focusedColumn_);
          }
        }
        break;
      }
      case VK_BACK:
        if (states_.Contains(tsIncrementalSearching))
          DoStateChange({tsIncrementalSearchPending});
        else if (focusedNode_ && focusedNode_->Parent != root_)
          SetFocusedNode(focusedNode_->Parent);
        break;
      default:
        break;
    }
    bool cleared = false;
    if (clearFirst && (oldFocus != focusedNode_ || selection_.Count() != 1)) {
      ClearSelection();
      cleared = true;
    }
    if (Shift.Empty()) {
      rangeAnchor_ = focusedNode_;
      lastSelectionLevel_ = focusedNode_ ? int(GetNodeLevel(focusedNode_)) : -1;
    }
    if (rangeToggle && focusedNode_) ToggleSelection(oldFocus, focusedNode_);
    if (focusedNode_ && (cleared || focusedNode_ != oldFocus) && !focusedNode_->Has(vsSelected))
      AddToSelection(focusedNode_);
    if (rangeToggle || selection_.Count() > 1) Invalidate();
    return;
  }
  Key = PadKeyForCharacter(Key);
  bool searching = states_.Contains(tsIncrementalSearching);
  switch (Key) {
    case VK_MULTIPLY:
      if (searching)
        DoStateChange({tsIncrementalSearchPending});
      else if (focusedNode_)
        FullExpand(focusedNode_);
      return;
    case VK_DIVIDE:
      if (searching)
        DoStateChange({tsIncrementalSearchPending});
      else if (focusedNode_)
        FullCollapse(focusedNode_);
      return;
    case VK_ADD:
      if (searching)
        DoStateChange({tsIncrementalSearchPending});
      else if (ctrl && shift)
        FullExpand(nullptr);
      else if (ctrl)
        header_->AutoFitColumns(true);
      else if (focusedNode_ && !focusedNode_->Has(vsExpanded))
        ToggleNode(focusedNode_);
      return;
    case VK_SUBTRACT:
      if (searching)
        DoStateChange({tsIncrementalSearchPending});
      else if (ctrl && shift)
        FullCollapse(nullptr);
      else if (ctrl)
        header_->RestoreColumns();
      else if (focusedNode_ && focusedNode_->Has(vsExpanded))
        ToggleNode(focusedNode_);
      return;
    case VK_ESCAPE:
      if (states_.Contains(tsDrawSelPending) || states_.Contains(tsDrawSelecting)) {
        DoStateChange({}, {tsDrawSelPending, tsDrawSelecting});
        if (GetCapture() == Handle()) ReleaseCapture();
        Invalidate();
      }
      return;
    case VK_SPACE:
      if (options_->MiscOptions().Contains(toCheckSupport) && focusedNode_ &&
          focusedNode_->CheckType != ctNone && !states_.Contains(tsKeyCheckPending) &&
          !states_.Contains(tsMouseCheckPending) && !focusedNode_->Has(vsDisabled)) {
        TCheckState newState = NextCheckState(focusedNode_);
        if (DoChecking(focusedNode_, newState)) {
          DoStateChange({tsKeyCheckPending});
          checkNode_ = focusedNode_;
          pendingCheckState_ = newState;
          checkNode_->CheckState = Pressed(TCheckState(checkNode_->CheckState));
          InvalidateNode(checkNode_);
        }
      } else {
        DoStateChange({tsIncrementalSearchPending});
      }
      return;
    case VK_APPS:
      if (focusedNode_) {
        menuKeyHandled_ = true;  // the key-up's context menu message is this one
        PopupAtFocusedCell();
      }
      return;
    case VK_F1:
      HelpKey();
      return;
    case 'A':
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
  if (node == focusedNode_) ClickCheck(node, pendingCheckState_);
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
                                  focusedNode_, failed);
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
