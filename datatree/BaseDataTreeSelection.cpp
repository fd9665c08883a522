// Node state changed through properties: the sorted selection array with
// its marking during updates, focus and focused column, expanding, and the
// check states with radio and tri-state propagation.
#include <algorithm>

#include "datatree/BaseDataTree.h"

namespace qv {

bool TBaseDataTree::FindNodeInSelection(PDataNode Node, int& Index) const {
  return selection_.Find(Node, Index);
}

int TBaseDataTree::PackArray() {
  int count = selection_.Pack();
  if (count == 0) ResetRangeAnchor();
  return count;
}

bool TBaseDataTree::InternalAddToSelection(const TNodeArray& NewItems, bool ForceInsert) {
  TakeDragSelection();
  TNodeArray items;
  items.reserve(NewItems.size());
  bool level = options_->SelectionOptions().Contains(toLevelSelectConstraint);
  bool sibling = options_->SelectionOptions().Contains(toSiblingSelectConstraint);
  if (!ForceInsert && !NewItems.empty()) {
    if (level && lastSelectionLevel_ < 0) lastSelectionLevel_ = int(GetNodeLevel(NewItems[0]));
    if (sibling && !focus_.Anchor()) focus_.SetAnchor(NewItems[0]);
  }
  for (PDataNode n : NewItems) {
    if (!n) continue;
    if (!ForceInsert) {
      if (n->Has(vsSelected | vsDisabled)) continue;
      if (level && int(GetNodeLevel(n)) != lastSelectionLevel_) continue;
      if (sibling && focus_.Anchor() && n->Parent != focus_.Anchor()->Parent) continue;
    } else if (n->Has(vsSelected)) {
      continue;
    }
    n->Include(vsSelected);
    items.push_back(n);
  }
  if (items.empty()) return false;
  selection_.Insert(std::move(items));
  return true;
}

void TBaseDataTree::InternalRemoveFromSelection(PDataNode Node) {
  TakeDragSelection();
  Node->Exclude(vsSelected);
  selection_.Mark(Node);
}

void TBaseDataTree::AddToSelection(PDataNode Node) {
  DTAssert(Node != nullptr, "Node must not be nil!");
  TNodeArray one{Node};
  if (InternalAddToSelection(one, false)) {
    InvalidateNode(Node);
    Change(Node);
  }
}

void TBaseDataTree::RemoveFromSelection(PDataNode Node) {
  DTAssert(Node != nullptr, "Node must not be nil!");
  if (!Node->Has(vsSelected)) return;
  TakeDragSelection();
  Node->Exclude(vsSelected);
  int index;
  if (FindNodeInSelection(Node, index)) selection_.Erase(index);
  if (selection_.Count() == 0) ResetRangeAnchor();
  Change(Node);
}

void TBaseDataTree::ResetRangeAnchor() {
  focus_.SetAnchor(focus_.Node());
  lastSelectionLevel_ = -1;
}

void TBaseDataTree::InternalClearSelection() {
  TakeDragSelection();
  if (updateCount_ > 0) PackArray();
  for (int i = selection_.Count() - 1; i >= 0; --i) selection_.Node(i)->Exclude(vsSelected);
  selection_.Clear();
  ResetRangeAnchor();
  DoStateChange({}, {tsClearPending});
}

void TBaseDataTree::ClearSelection() {
  if (selection_.Count() < 1 || IsDestroying()) return;
  if (updateCount_ == 0 && HandleAllocated() && store_.VisibleCount() > 0) {
    int top;
    PDataNode run = GetNodeAt(0, 0, true, top);
    int met = 0, height = ClientHeight();
    while (run && top < height && met < selection_.Count()) {
      if (run->Has(vsSelected)) {
        ++met;
        InvalidateNode(run);
      }
      top += run->NodeHeight;
      run = GetNextVisibleNoInit(run);
    }
  }
  InternalClearSelection();
  Change(nullptr);
}

void TBaseDataTree::SetSelected(PDataNode Node, bool Value) {
  if (!Node || Node == root_ || Node->Has(vsSelected) == Value) return;
  if (Value) {
    if (selection_.Count() == 0)
      focus_.SetAnchor(Node);
    else if (!options_->SelectionOptions().Contains(toMultiSelect))
      ClearSelection();
    AddToSelection(Node);
    TDataTreeColumns* cols = header_->Columns();
    bool columnOk = focus_.Column() >= 0 && cols->IsValidColumn(focus_.Column()) &&
                    cols->Items(focus_.Column())->Options().Contains(coVisible);
    if (!columnOk && header_->MainColumn() > NoColumn) {
      TColumnIndex main = header_->MainColumn();
      focus_.SetColumn(cols->Items(main)->Visible() ? main : cols->GetFirstVisibleColumn());
    }
    if (!focus_.Anchor()) focus_.SetAnchor(Node);
  } else {
    RemoveFromSelection(Node);
    if (selection_.Count() == 0) ResetRangeAnchor();
  }
  if (IsNodeVisible(Node)) InvalidateNode(Node);
}

void TBaseDataTree::AddToSelectionList(const TNodeArray& NewItems, bool ForceInsert) {
  if (!InternalAddToSelection(NewItems, ForceInsert)) return;
  if (NewItems.size() == 1) {
    InvalidateNode(NewItems[0]);
    Change(NewItems[0]);
  } else {
    Invalidate();
    Change(nullptr);
  }
}

void TBaseDataTree::SelectAll(bool VisibleOnly) {
  if (!options_->SelectionOptions().Contains(toMultiSelect)) return;
  TNodeArray nodes;
  for (PDataNode run = VisibleOnly ? GetFirstVisible() : GetFirst(); run;
       run = VisibleOnly ? GetNextVisible(run) : GetNext(run))
    if (!run->Has(vsSelected)) nodes.push_back(run);
  if (!nodes.empty()) AddToSelectionList(nodes, false);
  Invalidate();
}

int TBaseDataTree::LevelDifference(PDataNode Node1, PDataNode Node2) const {
  DTAssert(Node1 && Node2, "Both nodes must be Assigned.");
  return int(GetNodeLevel(Node2)) - int(GetNodeLevel(Node1));
}

TCheckState TBaseDataTree::DetermineNextCheckState(TCheckType CheckType, TCheckState CheckState) {
  switch (CheckType) {
    case ctTriStateCheckBox:
    case ctCheckBox:
      return CheckState == csCheckedNormal ? csUncheckedNormal : csCheckedNormal;
    case ctRadioButton:
      return csCheckedNormal;
    case ctButton:
      return csUncheckedNormal;
    default:
      return csMixedNormal;
  }
}

PDataNode TBaseDataTree::RangeStartNode(PDataNode StartNode) {
  if (!StartNode) return GetFirst();
  if (!IsNodeVisible(StartNode)) {
    PDataNode prev = GetPreviousVisible(StartNode);
    return prev ? prev : GetFirst();
  }
  return StartNode;
}

void TBaseDataTree::ToggleSelection(PDataNode StartNode, PDataNode EndNode) {
  DTAssert(EndNode != nullptr, "EndNode must not be nil!");
  StartNode = RangeStartNode(StartNode);
  if (!StartNode || StartNode == EndNode) return;
  PDataNode first = StartNode, last = EndNode;
  if (CompareNodePositions(first, last) > 0) std::swap(first, last);
  BeginUpdate();
  TNodeArray add;
  auto toggle = [&](PDataNode n) {
    if (n->Has(vsSelected))
      InternalRemoveFromSelection(n);
    else
      add.push_back(n);
  };
  // The ends toggle only on the far side of the anchor, so the anchor's own
  // end stays as it is and a range reversed across the anchor stays whole.
  if (!focus_.Anchor() || CompareNodePositions(first, focus_.Anchor()) < 0) toggle(first);
  for (PDataNode run = GetNextVisible(first); run && run != last; run = GetNextVisible(run)) toggle(run);
  if (!focus_.Anchor() || CompareNodePositions(last, focus_.Anchor()) > 0) toggle(last);
  // Packing an emptied array resets the anchor; the range keeps its own.
  PDataNode anchor = focus_.Anchor();
  PackArray();
  focus_.SetAnchor(anchor);
  if (anchor && !anchor->Has(vsSelected)) add.push_back(anchor);
  InternalAddToSelection(add, false);
  EndUpdate();
  Invalidate();
  Change(nullptr);
}

void TBaseDataTree::SelectNodes(PDataNode StartNode, PDataNode EndNode, bool AddOnly) {
  DTAssert(EndNode != nullptr, "EndNode must not be nil!");
  BeginUpdate();
  StartNode = RangeStartNode(StartNode);
  if (CompareNodePositions(StartNode, EndNode) > 0) std::swap(StartNode, EndNode);
  PDataNode anchor = focus_.Anchor();
  if (!AddOnly) InternalClearSelection();
  TNodeArray add;
  for (PDataNode run = StartNode; run; run = GetNextVisible(run)) {
    add.push_back(run);
    if (run == EndNode) break;
  }
  InternalAddToSelection(add, false);
  EndUpdate();
  if (anchor && anchor->Has(vsSelected)) focus_.SetAnchor(anchor);
  Invalidate();
  Change(nullptr);
}

void TBaseDataTree::UnselectNodes(PDataNode StartNode, PDataNode EndNode) {
  DTAssert(EndNode != nullptr, "EndNode must not be nil!");
  StartNode = RangeStartNode(StartNode);
  if (CompareNodePositions(StartNode, EndNode) > 0) std::swap(StartNode, EndNode);
  for (PDataNode run = StartNode; run; run = GetNextVisible(run)) {
    if (run->Has(vsSelected)) InternalRemoveFromSelection(run);
    if (run == EndNode) break;
  }
  PackArray();
}

void TBaseDataTree::ChangeFocus(PDataNode Value, bool Ask) {
  if (Value == root_) Value = nullptr;
  // The editor belongs to the focused cell: it ends before the focus is set,
  // even to the node it edits.
  if (states_.Contains(tsEditing) && !EndEditNode()) return;
  const bool hadNode = focus_.Node() != nullptr;
  if (Value != focus_.Node()) {
    if (Ask && !DoFocusChanging(focus_.Node(), Value, focus_.Column(), focus_.Column())) {
      Value = focus_.Node();
    } else {
      PDataNode old = focus_.Node();
      if (old) {
        if (options_->AutoOptions().Contains(toAutoExpand) && Value && old->Parent == Value->Parent &&
            old->Has(vsExpanded))
          ToggleNode(old);
        else
          InvalidateNode(old);
      }
      focus_.SetNode(Value);
    }
  }
  if (focus_.Node()) {
    if (header_->UseColumns() && !header_->Columns()->IsValidColumn(focus_.Column())) focus_.SetColumn(0);
    if (options_->AutoOptions().Contains(toAutoExpand) && !focus_.Node()->Has(vsExpanded))
      ToggleNode(focus_.Node());
    InvalidateNode(focus_.Node());
    if (updateCount_ == 0)
      ScrollIntoView(focus_.Node(),
                     options_->SelectionOptions().Contains(toCenterScrollIntoView) &&
                         !states_.Contains(tsLeftButtonDown),
                     !options_->AutoOptions().Contains(toDisableAutoscrollOnFocus));
  }
  if (selection_.Count() == 0) ResetRangeAnchor();
  // The focus rectangle of a tree without a focused node leaves the first
  // visible node, or comes back to it.
  if (hadNode != (focus_.Node() != nullptr) && selection_.Count() == 0 && HandleAllocated() && Focused()) {
    if (PDataNode first = GetFirstVisibleNoInit()) InvalidateNode(first);
  }
}

void TBaseDataTree::SetFocusedNode(PDataNode Value) {
  if (Value == root_) Value = nullptr;
  bool differs = Value != focus_.Node();
  ChangeFocus(Value, true);
  if (differs && focus_.Node() == Value) DoFocusChange(focus_.Node(), focus_.Column());
}

void TBaseDataTree::SetFocusedColumn(TColumnIndex Value) {
  if (Value == focus_.Column()) return;
  if (!DoFocusChanging(focus_.Node(), focus_.Node(), focus_.Column(), Value)) return;
  // The column is stored whether or not the editor lets itself be cancelled.
  CancelEditNode();
  focus_.SetColumn(Value);
  if (focus_.Node()) {
    ScrollIntoView(focus_.Node(), options_->SelectionOptions().Contains(toCenterScrollIntoView),
                   !options_->AutoOptions().Contains(toDisableAutoscrollOnFocus));
    InvalidateNode(focus_.Node());
  }
  if (dropTargetNode_) InvalidateNode(dropTargetNode_);
  DoFocusChange(focus_.Node(), focus_.Column());
}

void TBaseDataTree::SetExpanded(PDataNode Node, bool Value) {
  if (!Node || Node == root_) return;
  if (Node->Has(vsExpanded) != Value) ToggleNode(Node);
}

void TBaseDataTree::FullExpand(PDataNode Node) {
  // A single node counts too (the root's TotalCount is then 2).
  if (root_->TotalCount < 2) return;
  DoStateChange({tsExpanding});
  BeginUpdate();
  PDataNode stop = nullptr;
  PDataNode run;
  if (!Node || Node == root_) {
    run = GetFirst();
  } else {
    for (PDataNode a = Node; a != root_ && !stop; a = a->Parent) stop = a->NextSibling;
    run = Node;
    InitIfNeeded(run);
  }
  while (run && run != stop) {
    if (!run->Has(vsExpanded)) ToggleNode(run);
    run = GetNext(run);
  }
  EndUpdate();
  DoStateChange({}, {tsExpanding});
}

void TBaseDataTree::FullCollapse(PDataNode Node) {
  if (root_->TotalCount < 2) return;
  if (Node == root_) Node = nullptr;
  DoStateChange({tsCollapsing});
  BeginUpdate();
  PDataNode run = GetLastVisibleNoInit(Node);
  while (run && run != Node) {
    if (run->HasAll(vsExpanded | vsHasChildren)) ToggleNode(run);
    run = GetPreviousNoInit(run);
  }
  if (Node && Node->HasAll(vsExpanded | vsHasChildren)) ToggleNode(Node);
  EndUpdate();
  DoStateChange({}, {tsCollapsing});
}

void TBaseDataTree::SetTopNode(PDataNode Node) {
  if (!Node || Node == root_) return;
  for (PDataNode p = Node->Parent; p != root_; p = p->Parent)
    if (!p->Has(vsExpanded)) ToggleNode(p);
  RECT r = GetDisplayRect(Node, header_->MainColumn(), true, true);
  // The rows start below the header.
  SetOffsetY(SaturateToInt(int64_t(offsetY_) - int64_t(r.top)));
}

void TBaseDataTree::SetDisabled(PDataNode Node, bool Value) {
  if (!Node || Node == root_ || Node->Has(vsDisabled) == Value) return;
  Node->SetFlag(vsDisabled, Value);
  InvalidateNode(Node);
}

void TBaseDataTree::SetHasChildren(PDataNode Node, bool Value) {
  if (!Node || Node == root_) return;
  if (Value) {
    Node->Include(vsHasChildren);
  } else {
    Node->Exclude(vsHasChildren);
    DeleteChildren(Node, false);
  }
  InvalidateNode(Node);
}

void TBaseDataTree::SetCheckType(PDataNode Node, TCheckType Value) {
  if (!Node || Node == root_ || Node->CheckType == Value) return;
  Node->CheckType = Value;
  Node->CheckState = csUncheckedNormal;
  InvalidateNode(Node);
}

void TBaseDataTree::SetCheckState(PDataNode Node, TCheckState Value) {
  if (!Node || Node == root_ || Node->CheckState == Value || Node->Has(vsDisabled)) return;
  if (options_->MiscOptions().Contains(toReadOnly)) return;
  if (DoChecking(Node, Value)) ClickCheck(Node, Value);
}

bool TBaseDataTree::ClickCheck(PDataNode Node, TCheckState NewState) {
  bool result = ApplyCheckState(Node, NewState);
  DoChecked(Node);
  return result;
}

bool TBaseDataTree::ApplyCheckState(PDataNode Node, TCheckState Value) {
  if (Node->Has(vsChecking)) return false;
  Node->Include(vsChecking);
  InitIfNeeded(Node);
  if (checkPropagationCount_++ == 0) DoStateChange({tsCheckPropagation});
  bool result = true;
  bool tracking = options_->AutoOptions().Contains(toAutoTristateTracking);
  if (Node->CheckType == ctRadioButton && Value == csCheckedNormal) {
    for (PDataNode s = Node->Parent->FirstChild; s; s = s->NextSibling)
      if (s != Node && s->CheckType == ctRadioButton) s->CheckState = csUncheckedNormal;
    Invalidate();
  }
  if (Node->CheckType == ctTriStateCheckBox && tracking && Node->Has(vsHasChildren)) {
    if (Node->ChildCount == 0) InitChildren(Node);
    if (Value == csCheckedNormal || Value == csUncheckedNormal) {
      for (PDataNode c = Node->FirstChild; c; c = c->NextSibling) {
        InitIfNeeded(c);
        if ((c->CheckType == ctTriStateCheckBox || c->CheckType == ctCheckBox) && c->CheckState != Value &&
            !c->Has(vsDisabled)) {
          TCheckState v = Value;
          if (DoChecking(c, v)) ClickCheck(c, v);
        }
      }
    }
    bool checked = false, unchecked = false, mixed = false;
    for (PDataNode c = Node->FirstChild; c; c = c->NextSibling) {
      if (c->CheckType != ctTriStateCheckBox && c->CheckType != ctCheckBox) continue;
      switch (c->CheckState) {
        case csCheckedNormal:
        case csCheckedPressed:
          checked = true;
          break;
        case csMixedNormal:
        case csMixedPressed:
          mixed = true;
          break;
        default:
          unchecked = true;
      }
    }
    if (mixed || (checked && unchecked))
      Value = csMixedNormal;
    else if (checked)
      Value = csCheckedNormal;
  }
  Node->CheckState = Value;
  PDataNode parent = Node->Parent;
  InitIfNeeded(parent);
  if (tracking && (Node->CheckType == ctTriStateCheckBox || Node->CheckType == ctCheckBox) &&
      parent != root_ && !parent->Has(vsChecking | vsDisabled) && parent->CheckType == ctTriStateCheckBox)
    result = CheckParentCheckState(Node, Value);
  InvalidateNode(Node);
  Node->Exclude(vsChecking);
  if (--checkPropagationCount_ == 0) DoStateChange({}, {tsCheckPropagation});
  return result;
}

bool TBaseDataTree::CheckParentCheckState(PDataNode Node, TCheckState NewState) {
  PDataNode parent = Node->Parent;
  int count = 0, checked = 0;
  bool mixed = false;
  for (PDataNode c = parent->FirstChild; c; c = c->NextSibling) {
    if (c->CheckType != ctTriStateCheckBox && c->CheckType != ctCheckBox) continue;
    TCheckState s = c == Node ? NewState : TCheckState(c->CheckState);
    ++count;
    if (s == csCheckedNormal || s == csCheckedPressed) ++checked;
    if (s == csMixedNormal) mixed = true;
  }
  TCheckState state = (checked == 0 && !mixed) ? csUncheckedNormal
                      : (checked < count)      ? csMixedNormal
                                               : csCheckedNormal;
  if (!DoChecking(parent, state)) return false;
  // The parent's own re-evaluation must not recurse into this node again.
  parent->Include(vsChecking);
  parent->CheckState = state;
  parent->Exclude(vsChecking);
  DoChecked(parent);
  InvalidateNode(parent);
  PDataNode grand = parent->Parent;
  InitIfNeeded(grand);
  if (grand != root_ && !grand->Has(vsChecking | vsDisabled) && grand->CheckType == ctTriStateCheckBox)
    return CheckParentCheckState(parent, state);
  return true;
}

}  // namespace qv
