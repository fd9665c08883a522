// The node store: allocation, child counts, linking and unlinking with the
// running totals kept up the parent chain, deletion, Clear and the update
// bracket with its deferred work.
#include <algorithm>
#include <cstring>
#include <system_error>
#include <thread>
#include <vector>

#include "classlib/controls/Application.h"
#include "datatree/BaseDataTree.h"
#include "platform/window/Messages.h"

namespace qv {

void DataTreeAssertionFailed(const char* message) {
  throw EAssertionFailed(message);
}

void TBaseDataTree::EnsureSlotSize() {
  if (nodeDataSize_ == -1 && !ComponentState().Contains(csDesigning)) DoGetNodeDataSize(nodeDataSize_);
  std::size_t size = UserDataOffset() + std::size_t(std::max(nodeDataSize_, 0));
  TNodePool& pool = store_.Pool();
  if (pool.SlotSize() != ((size + 7) & ~std::size_t(7))) pool.SetSlotSize(size);
}

PDataNode TBaseDataTree::MakeNewNode() {
  EnsureSlotSize();
  return MakeNewNodeFast();
}

void TBaseDataTree::InitRootNode() {
  if (root_) return;
  store_.CreateRoot(uint16_t(defaultNodeHeight_), sizeof(TDataNode) + totalInternalDataSize_);
  root_ = store_.Root();
}

uint32_t TBaseDataTree::ChildCount(PDataNode Node) const {
  if (!Node) Node = root_;
  return Node->ChildCount;
}

void TBaseDataTree::SetChildCount(PDataNode Node, uint32_t NewChildCount) {
  if (options_->MiscOptions().Contains(toReadOnly)) return;
  if (!Node) Node = root_;
  if (NewChildCount == 0) {
    DeleteChildren(Node, false);
    return;
  }
  if (NewChildCount == Node->ChildCount) return;
  InterruptValidation();
  if (NewChildCount > Node->ChildCount) {
    uint32_t k = NewChildCount - Node->ChildCount;
    uint32_t index = 0;
    if (Node->LastChild)
      index = Node->LastChild->Index + 1;
    else
      Node->Include(vsHasChildren);
    Node->Exclude(vsAllChildrenHidden);
    bool variable = options_->MiscOptions().Contains(toVariableNodeHeight);
    EnsureSlotSize();
    uint64_t heights = 0;
    PDataNode last = Node->LastChild;
    if (!variable && k >= kBulkChildren) {
      // Many children at once: a run of fresh slots filled by several threads.
      PDataNode first = store_.NewChildRun(Node, k, index, uint16_t(defaultNodeHeight_));
      first->PrevSibling = last;
      if (last)
        last->NextSibling = first;
      else
        Node->FirstChild = first;
      last = reinterpret_cast<PDataNode>(reinterpret_cast<char*>(first) + (k - 1) * store_.Pool().SlotSize());
      heights = uint64_t(k) * defaultNodeHeight_;
    } else {
      store_.Pool().Reserve(k);
      for (uint32_t i = 0; i < k; ++i) {
        PDataNode child = MakeNewNodeFast();
        child->Index = index++;
        child->PrevSibling = last;
        child->Parent = Node;
        if (last)
          last->NextSibling = child;
        else
          Node->FirstChild = child;
        last = child;
        heights += variable ? NodeHeight(child) : child->NodeHeight;
      }
    }
    Node->LastChild = last;
    if (Node->Has(vsExpanded)) {
      AdjustTotalHeight(Node, int64_t(heights), true);
      if (Node == root_ || IsNodeVisible(Node)) store_.AddVisible(k);
    }
    AdjustTotalCount(Node, k, true);
    Node->ChildCount = NewChildCount;
    if (updateCount_ == 0 && options_->AutoOptions().Contains(toAutoSort) &&
        header_->SortColumn() > InvalidColumn)
      Sort(Node, header_->SortColumn(), header_->SortDirection(), true);
    InvalidateCache();
  } else {
    BeginUpdate();
    while (Node->ChildCount > NewChildCount) DeleteNode(Node->LastChild, true);
    EndUpdate();
  }
  if (updateCount_ == 0) {
    ValidateCache();
    UpdateScrollBars(true);
    Invalidate();
  }
  StructureChange(Node == root_ ? nullptr : Node, crChildAdded);
}

void TBaseDataTree::SetRootNodeCount(uint32_t Value) {
  if (IsLoading()) {
    root_->ChildCount = Value;
    DoStateChange({tsNeedRootCountUpdate});
    return;
  }
  if (Value == root_->ChildCount) return;
  BeginUpdate();
  InterruptValidation();
  SetChildCount(root_, Value);
  EndUpdate();
}

void TBaseDataTree::SetNodeDataSize(int32_t Value) {
  if (Value < -1) Value = -1;
  if (Value == nodeDataSize_) return;
  nodeDataSize_ = Value;
  if (IsLoading() || ComponentState().Contains(csDesigning)) return;
  uint32_t count = RootNodeCount();
  Clear();
  SetRootNodeCount(count);
}

PDataNode TBaseDataTree::AddChild(PDataNode Parent, void* UserData) {
  if (options_->MiscOptions().Contains(toReadOnly)) return nullptr;
  CancelEditNode();  // an editor that will not stop does not hold the tree back
  if (!Parent) Parent = root_;
  InitIfNeeded(Parent);
  ++updateCount_;
  SetChildCount(Parent, Parent->ChildCount + 1);
  Parent->Exclude(vsAllChildrenHidden);
  --updateCount_;
  PDataNode result = Parent->LastChild;
  if (UserData) {
    // The whole pointer must fit the user data area.
    if (nodeDataSize_ < int32_t(sizeof(void*)))
      throw EDataTreeError(
          "Cannot set initial user data because there is not enough user data space allocated.", 2008);
    std::memcpy(GetNodeData(result), &UserData, sizeof(void*));
    result->Include(vsInitialUserData);
  }
  NodeWidthMayGrow(result);  // measured once its data is there
  if (updateCount_ == 0) {
    ValidateCache();
    if (states_.Contains(tsStructureChangePending)) {
      // The change recorded inside this call is announced as the one addition.
      DoStateChange({}, {tsStructureChangePending});
      StructureChange(Parent == root_ ? nullptr : Parent, crChildAdded);
    }
    if (options_->AutoOptions().Contains(toAutoSort) && header_->SortColumn() > InvalidColumn)
      Sort(Parent, header_->SortColumn(), header_->SortDirection(), true);
    InvalidateToBottom(Parent);
    UpdateScrollBars(true);
  }
  return result;
}

void TBaseDataTree::InitNode(PDataNode Node) {
  Node->Include(vsInitialized);
  TDataNodeInitStates initial;
  DoInitNode(Node->Parent == root_ ? nullptr : Node->Parent, Node, initial);
  if (initial.Contains(ivsDisabled)) Node->Include(vsDisabled);
  if (initial.Contains(ivsHasChildren)) Node->Include(vsHasChildren);
  if (initial.Contains(ivsSelected)) {
    TNodeArray one{Node};
    InternalAddToSelection(one, false);
  }
  if (initial.Contains(ivsMultiline)) Node->Include(vsMultiline);
  bool wantExpanded = initial.Contains(ivsExpanded);
  // A node already open that the handler does not ask to open gets its
  // children; one the handler asks to open is opened.
  if (wantExpanded != Node->Has(vsExpanded)) {
    if (wantExpanded)
      ToggleNode(Node);
    else if (Node->Has(vsHasChildren))
      InitChildren(Node);
  }
  NodeWidthMayGrow(Node);
}

void TBaseDataTree::InitChildren(PDataNode Node) {
  if (!Node || Node == root_ || !Node->Has(vsHasChildren)) return;
  uint32_t count = Node->ChildCount;
  DoInitChildren(Node, count);
  if (count == 0) {
    DeleteChildren(Node, false);
    Node->Exclude(vsHasChildren);
  } else {
    SetChildCount(Node, count);
  }
}

void TBaseDataTree::DetermineHiddenChildrenFlag(PDataNode Node) {
  if (!Node || Node == root_) return;
  if (Node->ChildCount > 0) {
    bool anyVisible = false;
    for (PDataNode c = Node->FirstChild; c && !anyVisible; c = c->NextSibling) anyVisible = c->Has(vsVisible);
    Node->SetFlag(vsAllChildrenHidden, !anyVisible);
  } else {
    Node->SetFlag(vsAllChildrenHidden, !Node->Has(vsHasChildren));
  }
}

void TBaseDataTree::DetermineHiddenChildrenFlagAllNodes() {
  for (PDataNode run = GetFirstNoInit(); run; run = GetNextNoInit(run)) DetermineHiddenChildrenFlag(run);
}

void TBaseDataTree::InternalConnectNode(PDataNode Node, PDataNode Destination, TDTNodeAttachMode Mode) {
  const uint16_t fresh = vsChecking | vsCutOrCopy | vsDeleting | vsClearing;
  if (Mode == amNoWhere) {
    Node->Exclude(fresh);
    return;
  }
  InterruptValidation();
  store_.Link(Node, Destination, Mode);
  Node->Exclude(fresh);
  InvalidateCache();
  NodeWidthMayGrow(Node, true);
}

void TBaseDataTree::InternalDisconnectNode(PDataNode Node, bool KeepFocus, bool Reindex) {
  DTAssert(Node && Node != root_, "Node must neither be nil nor the root node.");
  RowsLeaveView(Node, true);
  if (Node == focus_.Node() && !KeepFocus) {
    ChangeFocus(nullptr, false);
    // An editor that refuses to stop keeps the focus in place, but not on a
    // node that is going away.
    if (focus_.Node() == Node) focus_.SetNode(nullptr);
    DoFocusChange(focus_.Node(), focus_.Column());
  }
  if (Node == focus_.Anchor()) ResetRangeAnchor();
  PDataNode parent = Node->Parent;
  if (!Node->Has(vsDeleting)) {
    // The worker must be out of the tree before a link changes.
    InterruptValidation();
    Node->Exclude(vsChecking);
    store_.Unlink(Node, Reindex);
  }
  // The parent's hidden-children flag is computed once the node is gone.
  if (parent != root_ && !parent->Has(vsClearing)) {
    if (updateCount_ == 0)
      DetermineHiddenChildrenFlag(parent);
    else
      DoStateChange({tsUpdateHiddenChildrenNeeded});
  }
}

uint32_t TBaseDataTree::NodeHeight(PDataNode Node) {
  if (!Node || Node == root_) return 0;
  if (options_->MiscOptions().Contains(toVariableNodeHeight) && !Node->Has(vsHeightMeasured)) {
    Node->Include(vsHeightMeasured);
    int h = Node->NodeHeight;
    DoMeasureItem(paintCanvas_.get(), Node, h);
    if (h != Node->NodeHeight) {
      bool quiet = true;
      (void)quiet;
      InterruptValidation();
      int delta = std::max(h, 0) - Node->NodeHeight;
      Node->NodeHeight = uint16_t(std::max(h, 0));
      AdjustTotalHeight(Node, delta, true);
      InvalidateCache();
    }
  }
  return Node->NodeHeight;
}

void TBaseDataTree::SetNodeHeight(PDataNode Node, uint32_t Value) {
  if (!Node || Node == root_ || Node->NodeHeight == Value || options_->MiscOptions().Contains(toReadOnly))
    return;
  if (Value > 0xFFFF) Value = 0xFFFF;
  InterruptValidation();
  int delta = int(Value) - Node->NodeHeight;
  Node->NodeHeight = uint16_t(Value);
  AdjustTotalHeight(Node, delta, true);
  UpdateEditBounds();
  if (IsNodeVisible(Node)) {
    InvalidateCache();
    if (updateCount_ == 0) {
      ValidateCache();
      InvalidateToBottom(Node);
      UpdateScrollBars(true);
    }
  }
}

// Every reference the tree holds to a node that is going away.
void TBaseDataTree::ForgetNode(PDataNode Node) {
  focus_.ForgetHot(Node);
  search_.ForgetNode(Node);
  band_.ForgetNode(Node);
  if (checkNode_ == Node) {
    checkNode_ = nullptr;
    states_.Exclude(tsKeyCheckPending).Exclude(tsMouseCheckPending);
  }
  if (dropTargetNode_ == Node) dropTargetNode_ = nullptr;
  if (pendingClearNode_ == Node) pendingClearNode_ = nullptr;
  if (lastChangedNode_ == Node) lastChangedNode_ = nullptr;
  if (lastStructureChangeNode_ == Node) {
    PDataNode parent = Node->Parent;
    lastStructureChangeNode_ = parent && parent != root_ && !parent->Has(vsDeleting) ? parent : nullptr;
    lastStructureChangeReason_ = crAccumulated;
  }
  TransferForgetNode(Node);
}

// Every node of the tree goes at once when none needs to be told one by one
// (no free event, no edit under way): the tree forgets every node it refers
// to and the pool gives all slots back together. The caller resets the root.
bool TBaseDataTree::DropAllNodes() {
  if (FreesNodesOneByOne() || states_.Contains(tsEditing) || states_.Contains(tsEditPending)) return false;
  InternalClearSelection();
  focus_.DropNodes();
  dropTargetNode_ = nullptr;
  search_.ForgetLastHit();
  pendingClearNode_ = lastChangedNode_ = lastStructureChangeNode_ = nullptr;
  if (checkNode_) {
    checkNode_ = nullptr;
    states_.Exclude(tsKeyCheckPending).Exclude(tsMouseCheckPending);
  }
  band_.DropNodes();
  TransferForgetAll();
  store_.FreeAllNodes();
  return true;
}

void TBaseDataTree::DoFreeNode(PDataNode Node) {
  ForgetNode(Node);
  if (OnFreeNode && Node->Has(vsInitialized | vsInitialUserData)) OnFreeNode(this, Node);
  store_.FreeNode(Node);
}

void TBaseDataTree::DeleteNode(PDataNode Node, bool Reindex) {
  if (!Node || Node == root_ || options_->MiscOptions().Contains(toReadOnly)) return;
  DTAssert(!states_.Contains(tsIterating), "Deleting nodes during tree iteration leads to invalid pointers.");
  TakeDragSelection();  // while the tree is whole
  PDataNode parent = Node->Parent;
  bool parentClearing = parent->Has(vsClearing);
  if (!parentClearing) StructureChange(parent == root_ ? nullptr : parent, crChildDeleted);
  int oldX = offsetX_, oldY = offsetY_;
  if (!parentClearing) InterruptValidation();
  if (Node->Has(vsSelected)) {
    if (updateCount_ == 0) {
      bool wasSynch = states_.Contains(tsSynchMode);
      states_.Include(tsSynchMode);
      RemoveFromSelection(Node);
      if (!wasSynch) states_.Exclude(tsSynchMode);
      InvalidateToBottom(parent);
    } else {
      InternalRemoveFromSelection(Node);
    }
  } else if (!parentClearing) {
    InvalidateToBottom(parent);
  }
  if (states_.Contains(tsHint)) {
    // The hint may be showing this node.
    if (Application) Application->CancelHint();
    DoStateChange({}, {tsHint});
  }
  DeleteChildren(Node, false);
  InternalDisconnectNode(Node, false, Reindex);
  DoFreeNode(Node);
  if (!parentClearing) {
    DetermineHiddenChildrenFlag(parent);
    InvalidateCache();
    if (updateCount_ == 0) {
      ValidateCache();
      UpdateScrollBars(true);
      if (oldX != offsetX_ || oldY != offsetY_) Invalidate();
    }
  }
}

void TBaseDataTree::DeleteChildren(PDataNode Node, bool ResetHasChildren) {
  if (!Node) Node = root_;
  if (Node->ChildCount == 0 || options_->MiscOptions().Contains(toReadOnly)) {
    if (ResetHasChildren && Node->ChildCount == 0 && Node != root_) Node->Exclude(vsHasChildren);
    return;
  }
  DTAssert(!states_.Contains(tsIterating), "Deleting nodes during tree iteration leads to invalid pointers.");
  TakeDragSelection();  // while the tree is whole
  RowsLeaveView(Node, false);
  ++updateCount_;
  InterruptValidation();
  int oldX = offsetX_, oldY = offsetY_;
  // A node that is itself being dropped was counted off with its parent's list.
  bool parentVisible =
      Node == root_ || (!Node->Has(vsDeleting) && Node->Has(vsExpanded) && IsNodeVisible(Node));
  Node->Include(vsClearing);
  if (Node == root_ && DropAllNodes()) {
    store_.SetVisibleCount(0);
  } else {
    PDataNode child = Node->LastChild;
    while (child) {
      PDataNode prev = child->PrevSibling;
      if (parentVisible && child->Has(vsVisible))
        store_.AddVisible(-int64_t(1 + CountVisibleChildren(child)));
      child->Include(vsDeleting);
      if (prev) prev->NextSibling = nullptr;
      DeleteNode(child, true);
      child = prev;
    }
  }
  Node->Exclude(vsClearing);
  if (ResetHasChildren) Node->Exclude(vsHasChildren);
  if (Node != root_) Node->Exclude(vsExpanded);
  Node->ChildCount = 0;
  if (Node != root_ && !Node->Has(vsDeleting)) {
    AdjustTotalHeight(Node, Node->NodeHeight, false);
    AdjustTotalCount(Node, 1, false);
  } else {
    Node->TotalHeight = Node == root_ ? defaultNodeHeight_ : Node->NodeHeight;
    Node->TotalCount = 1;
  }
  Node->FirstChild = Node->LastChild = nullptr;
  --updateCount_;
  InvalidateCache();
  if (updateCount_ == 0) {
    PackArray();
    ValidateCache();
    UpdateScrollBars(true);
    if (oldX == offsetX_ && oldY == offsetY_)
      InvalidateToBottom(Node);
    else
      Invalidate();
  }
  // A node that goes away with its parent's list is announced with that list.
  if (!Node->Has(vsDeleting)) StructureChange(Node, crChildDeleted);
}

void TBaseDataTree::Clear() {
  if (options_->MiscOptions().Contains(toReadOnly) && !IsDestroying()) return;
  BeginUpdate();
  InterruptValidation();
  ReleaseOwnClipboard();
  DoStateChange({}, {tsCopyPending, tsCutPending});
  ClearSelection();
  focus_.SetNode(nullptr);
  focus_.SetAnchor(nullptr);
  lastSelectionLevel_ = -1;
  lastChangedNode_ = nullptr;
  focus_.SetHot(nullptr);
  search_.ForgetLastHit();
  dropTargetNode_ = nullptr;
  checkNode_ = nullptr;
  pendingClearNode_ = nullptr;
  lastStructureChangeNode_ = nullptr;
  DeleteChildren(root_, true);
  store_.SetVisibleCount(0);
  offsetX_ = offsetY_ = 0;
  rangeXSeen_ = 0;
  EndUpdate();
}

void TBaseDataTree::BeginUpdate() {
  if (!IsDestroying()) {
    if (updateCount_ == 0) {
      if (OnUpdating) OnUpdating(this, usBegin);
      if (Visible() && HandleAllocated()) SendMessage(Handle(), WM_SETREDRAW, 0, 0);
    } else if (OnUpdating) {
      OnUpdating(this, usUpdate);
    }
  }
  ++updateCount_;
  DoStateChange({tsUpdating});
}

void TBaseDataTree::EndUpdate() {
  if (updateCount_ > 0) --updateCount_;
  if (IsDestroying()) return;
  if (updateCount_ == 0 && states_.Contains(tsUpdating)) {
    if (states_.Contains(tsUpdateHiddenChildrenNeeded)) {
      DetermineHiddenChildrenFlagAllNodes();
      DoStateChange({}, {tsUpdateHiddenChildrenNeeded});
    }
    DoStateChange({}, {tsUpdating});
    PackArray();
    ValidateCache();
    if (HandleAllocated()) UpdateScrollBars(false);
    if (states_.Contains(tsStructureChangePending)) {
      DoStateChange({}, {tsStructureChangePending});
      if (OnStructureChange) OnStructureChange(this, lastStructureChangeNode_, lastStructureChangeReason_);
      lastStructureChangeNode_ = nullptr;
    }
    if (states_.Contains(tsChangePending)) {
      DoStateChange({}, {tsChangePending});
      DoChange(lastChangedNode_);
    }
    if (options_->AutoOptions().Contains(toAutoSort))
      SortTree(header_->SortColumn(), header_->SortDirection(), true);
    if (Visible() && HandleAllocated()) SendMessage(Handle(), WM_SETREDRAW, 1, 0);
    if (HandleAllocated()) Invalidate();
  }
  if (OnUpdating) OnUpdating(this, updateCount_ == 0 ? usEnd : usUpdate);
}

void TBaseDataTree::StructureChange(PDataNode Node, TChangeReason Reason) {
  // The change advice: a second change before the event fires accumulates.
  if (states_.Contains(tsStructureChangePending)) {
    Reason = crAccumulated;
    if (HandleAllocated()) KillTimer(Handle(), StructureChangeTimer);
  }
  lastStructureChangeNode_ = Node;
  lastStructureChangeReason_ = Reason;
  DoStateChange({tsStructureChangePending});
  if (updateCount_ > 0) return;
  if (ChangeDelay > 0 && !states_.Contains(tsSynchMode) && HandleAllocated()) {
    SetTimer(Handle(), StructureChangeTimer, ChangeDelay, nullptr);
    return;
  }
  DoStateChange({}, {tsStructureChangePending});
  PDataNode node = lastStructureChangeNode_;
  lastStructureChangeNode_ = nullptr;
  if (OnStructureChange) OnStructureChange(this, node, Reason);
}

void TBaseDataTree::Change(PDataNode Node) {
  lastChangedNode_ = Node;
  if (updateCount_ > 0) {
    DoStateChange({tsChangePending});
    return;
  }
  if (ChangeDelay > 0 && !states_.Contains(tsSynchMode) && HandleAllocated()) {
    DoStateChange({tsChangePending});
    SetTimer(Handle(), ChangeTimer, ChangeDelay, nullptr);
    return;
  }
  DoStateChange({}, {tsChangePending});
  DoChange(Node);
}

}  // namespace qv
