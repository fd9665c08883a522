// Walking the node store in tree order, visible order, over selected and
// marked nodes, siblings and children; node data, levels and visibility.
#include "datatree/BaseDataTree.h"

namespace qv {

namespace {
const char* kNotRoot = "Node must not be the hidden root node.";
}

PDataNode TBaseDataTree::GetFirst() {
  PDataNode r = root_->FirstChild;
  InitIfNeeded(r);
  return r;
}

PDataNode TBaseDataTree::GetFirstNoInit() const {
  return root_->FirstChild;
}

PDataNode TBaseDataTree::GetFirstChild(PDataNode Node) {
  if (!Node || Node == root_) return GetFirst();
  InitIfNeeded(Node);
  if (!Node->Has(vsHasChildren)) return nullptr;
  if (Node->ChildCount == 0) InitChildren(Node);
  PDataNode r = Node->FirstChild;
  InitIfNeeded(r);
  return r;
}

PDataNode TBaseDataTree::GetFirstInitialized() const {
  PDataNode r = GetFirstNoInit();
  if (r && !r->Has(vsInitialized)) r = GetNextInitialized(r);
  return r;
}

PDataNode TBaseDataTree::GetFirstSelected() {
  return GetNextSelected(nullptr);
}
PDataNode TBaseDataTree::GetFirstCutCopy() {
  return GetNextCutCopy(nullptr);
}

PDataNode TBaseDataTree::GetFirstVisible() {
  for (PDataNode r = root_->FirstChild; r; r = r->NextSibling) {
    InitIfNeeded(r);
    if (r->Has(vsVisible)) return r;
  }
  return nullptr;
}

PDataNode TBaseDataTree::GetFirstVisibleNoInit() const {
  for (PDataNode r = root_->FirstChild; r; r = r->NextSibling)
    if (r->Has(vsVisible)) return r;
  return nullptr;
}

PDataNode TBaseDataTree::GetFirstVisibleChild(PDataNode Node) {
  PDataNode r = GetFirstChild(Node);
  while (r && !r->Has(vsVisible)) r = GetNextSibling(r);
  InitIfNeeded(r);
  return r;
}

PDataNode TBaseDataTree::GetNextNoInit(PDataNode Node) const {
  if (!Node) return nullptr;
  DTAssert(Node != root_, kNotRoot);
  if (Node->FirstChild) return Node->FirstChild;
  while (Node != root_) {
    if (Node->NextSibling) return Node->NextSibling;
    Node = Node->Parent;
  }
  return nullptr;
}

PDataNode TBaseDataTree::GetNext(PDataNode Node) {
  if (!Node) return nullptr;
  DTAssert(Node != root_, kNotRoot);
  if (Node->Has(vsHasChildren) && Node->ChildCount == 0) InitChildren(Node);
  PDataNode r = GetNextNoInit(Node);
  InitIfNeeded(r);
  return r;
}

PDataNode TBaseDataTree::GetNextInitialized(PDataNode Node) const {
  do Node = GetNextNoInit(Node);
  while (Node && !Node->Has(vsInitialized));
  return Node;
}

PDataNode TBaseDataTree::GetNextSelected(PDataNode Node) {
  if (selection_.Count() < 1) return nullptr;
  PDataNode r = (!Node || Node == root_) ? root_->FirstChild : GetNextNoInit(Node);
  while (r && !r->Has(vsSelected)) r = GetNextNoInit(r);
  InitIfNeeded(r);
  return r;
}

PDataNode TBaseDataTree::GetNextCutCopy(PDataNode Node) {
  if (!states_.Contains(tsCopyPending) && !states_.Contains(tsCutPending)) return nullptr;
  PDataNode r = (!Node || Node == root_) ? root_->FirstChild : GetNextNoInit(Node);
  while (r && !r->Has(vsCutOrCopy)) r = GetNextNoInit(r);
  InitIfNeeded(r);
  return r;
}

PDataNode TBaseDataTree::GetNextSibling(PDataNode Node) const {
  if (!Node) return nullptr;
  DTAssert(Node != root_, kNotRoot);
  return Node->NextSibling;
}

PDataNode TBaseDataTree::GetVisibleParent(PDataNode Node) const {
  // The nearest ancestor that is shown (fully visible); the root when none.
  PDataNode r = Node->Parent;
  while (r != root_ && !IsNodeVisible(r)) r = r->Parent;
  return r;
}

PDataNode TBaseDataTree::GetNextVisibleNoInit(PDataNode Node) const {
  if (!Node) return nullptr;
  DTAssert(Node != root_, kNotRoot);
  if (!IsNodeVisible(Node)) {
    Node = GetVisibleParent(Node);
    if (Node == root_) return nullptr;
  }
  if (Node->Has(vsExpanded) && Node->FirstChild) {
    for (PDataNode c = Node->FirstChild; c; c = c->NextSibling)
      if (c->Has(vsVisible)) return c;
  }
  while (Node != root_) {
    for (PDataNode s = Node->NextSibling; s; s = s->NextSibling)
      if (s->Has(vsVisible)) return s;
    Node = Node->Parent;
  }
  return nullptr;
}

PDataNode TBaseDataTree::GetNextVisible(PDataNode Node) {
  if (!Node) return nullptr;
  DTAssert(Node != root_, kNotRoot);
  if (!IsNodeVisible(Node)) {
    Node = GetVisibleParent(Node);
    if (Node == root_) return nullptr;
  }
  if (Node->Has(vsExpanded) && Node->Has(vsHasChildren) && Node->ChildCount == 0) InitChildren(Node);
  if (Node->Has(vsExpanded) && Node->FirstChild) {
    for (PDataNode c = Node->FirstChild; c; c = c->NextSibling) {
      InitIfNeeded(c);
      if (c->Has(vsVisible)) return c;
    }
  }
  while (Node != root_) {
    for (PDataNode s = Node->NextSibling; s; s = s->NextSibling) {
      InitIfNeeded(s);
      if (s->Has(vsVisible)) return s;
    }
    Node = Node->Parent;
  }
  return nullptr;
}

PDataNode TBaseDataTree::GetNextVisibleSibling(PDataNode Node) {
  DTAssert(Node && Node != root_, "Invalid parameter.");
  do {
    Node = Node->NextSibling;
    InitIfNeeded(Node);
  } while (Node && !Node->Has(vsVisible));
  return Node;
}

PDataNode TBaseDataTree::GetPreviousNoInit(PDataNode Node) const {
  if (!Node) return nullptr;
  DTAssert(Node != root_, kNotRoot);
  if (Node->PrevSibling) {
    PDataNode r = Node->PrevSibling;
    while (r->LastChild) r = r->LastChild;
    return r;
  }
  return Node->Parent == root_ ? nullptr : Node->Parent;
}

PDataNode TBaseDataTree::GetPrevious(PDataNode Node) {
  if (!Node) return nullptr;
  DTAssert(Node != root_, kNotRoot);
  PDataNode r;
  if (Node->PrevSibling) {
    r = Node->PrevSibling;
    InitIfNeeded(r);
    for (;;) {
      if (r->Has(vsHasChildren) && r->ChildCount == 0) InitChildren(r);
      if (!r->LastChild) break;
      r = r->LastChild;
      InitIfNeeded(r);
    }
  } else {
    r = Node->Parent == root_ ? nullptr : Node->Parent;
  }
  InitIfNeeded(r);
  return r;
}

PDataNode TBaseDataTree::GetPreviousSibling(PDataNode Node) const {
  if (!Node) return nullptr;
  DTAssert(Node != root_, kNotRoot);
  return Node->PrevSibling;
}

PDataNode TBaseDataTree::GetPreviousVisibleNoInit(PDataNode Node) const {
  if (!Node) return nullptr;
  DTAssert(Node != root_, kNotRoot);
  if (!IsNodeVisible(Node)) {
    PDataNode a = GetVisibleParent(Node);
    if (a == root_) return GetLastVisibleNoInit(nullptr);
    PDataNode last = GetLastVisibleNoInit(a);
    return last ? last : a;
  }
  for (PDataNode s = Node->PrevSibling; s; s = s->PrevSibling) {
    if (s->Has(vsVisible)) {
      PDataNode last = GetLastVisibleNoInit(s);
      return last ? last : s;
    }
  }
  return Node->Parent == root_ ? nullptr : Node->Parent;
}

PDataNode TBaseDataTree::GetPreviousVisible(PDataNode Node) {
  if (!Node) return nullptr;
  DTAssert(Node != root_, kNotRoot);
  if (!IsNodeVisible(Node)) {
    PDataNode a = GetVisibleParent(Node);
    if (a == root_) return GetLastVisible(nullptr);
    PDataNode last = GetLastVisible(a);
    return last ? last : a;
  }
  for (PDataNode s = Node->PrevSibling; s; s = s->PrevSibling) {
    InitIfNeeded(s);
    if (s->Has(vsVisible)) {
      PDataNode last = GetLastVisible(s);
      return last ? last : s;
    }
  }
  return Node->Parent == root_ ? nullptr : Node->Parent;
}

PDataNode TBaseDataTree::GetPreviousVisibleSibling(PDataNode Node) {
  DTAssert(Node && Node != root_, "Invalid parameter.");
  do {
    Node = Node->PrevSibling;
    InitIfNeeded(Node);
  } while (Node && !Node->Has(vsVisible));
  return Node;
}

PDataNode TBaseDataTree::GetPreviousVisibleSiblingNoInit(PDataNode Node) const {
  DTAssert(Node && Node != root_, "Invalid parameter.");
  do Node = Node->PrevSibling;
  while (Node && !Node->Has(vsVisible));
  return Node;
}

PDataNode TBaseDataTree::GetLastNoInit(PDataNode Node) const {
  if (!Node) Node = root_;
  PDataNode r = Node->LastChild;
  while (r && r->LastChild) r = r->LastChild;
  return r;
}

PDataNode TBaseDataTree::GetLast(PDataNode Node) {
  if (!Node) Node = root_;
  PDataNode r = GetLastChild(Node);
  while (r) {
    PDataNode next = GetLastChild(r);
    if (!next) break;
    r = next;
  }
  return r;
}

PDataNode TBaseDataTree::GetLastChild(PDataNode Node) {
  if (!Node || Node == root_) {
    PDataNode r = root_->LastChild;
    InitIfNeeded(r);
    return r;
  }
  InitIfNeeded(Node);
  if (!Node->Has(vsHasChildren)) return nullptr;
  if (Node->ChildCount == 0) InitChildren(Node);
  PDataNode r = Node->LastChild;
  InitIfNeeded(r);
  return r;
}

PDataNode TBaseDataTree::GetLastChildNoInit(PDataNode Node) const {
  if (!Node || Node == root_) return root_->LastChild;
  return Node->Has(vsHasChildren) ? Node->LastChild : nullptr;
}

PDataNode TBaseDataTree::GetLastVisibleChildNoInit(PDataNode Node) const {
  if (!Node) Node = root_;
  if (Node != root_ && !(Node->Has(vsExpanded) && IsNodeVisible(Node))) return nullptr;
  PDataNode r = Node->LastChild;
  while (r && !r->Has(vsVisible)) r = r->PrevSibling;
  return r;
}

PDataNode TBaseDataTree::GetLastVisibleChild(PDataNode Node) {
  if (!Node) Node = root_;
  if (Node != root_ && !(Node->Has(vsExpanded) && IsNodeVisible(Node))) return nullptr;
  if (Node != root_ && Node->Has(vsHasChildren) && Node->ChildCount == 0) InitChildren(Node);
  PDataNode r = Node->LastChild;
  for (; r; r = r->PrevSibling) {
    InitIfNeeded(r);
    if (r->Has(vsVisible)) break;
  }
  return r;
}

PDataNode TBaseDataTree::GetLastVisibleNoInit(PDataNode Node) const {
  PDataNode r = GetLastVisibleChildNoInit(Node);
  while (r) {
    PDataNode next = GetLastVisibleChildNoInit(r);
    if (!next) break;
    r = next;
  }
  return r;
}

PDataNode TBaseDataTree::GetLastVisible(PDataNode Node) {
  PDataNode r = GetLastVisibleChild(Node);
  while (r) {
    PDataNode next = GetLastVisibleChild(r);
    if (!next) break;
    r = next;
  }
  return r;
}

void* TBaseDataTree::GetNodeData(PDataNode Node) const {
  DTAssert(nodeDataSize_ >= 1, "NodeDataSize not initialized.");
  if (!Node || Node == root_) return nullptr;
  return reinterpret_cast<char*>(Node) + UserDataOffset();
}

uint32_t TBaseDataTree::GetNodeLevel(PDataNode Node) const {
  return store_.Level(Node);
}

bool TBaseDataTree::VisiblePath(PDataNode Node) const {
  DTAssert(Node && Node != root_, "Invalid parameters.");
  return store_.VisiblePath(Node);
}

bool TBaseDataTree::IsNodeVisible(PDataNode Node) const {
  DTAssert(Node != nullptr, "Invalid parameter.");
  return store_.IsVisible(Node);
}

bool TBaseDataTree::GetVisible(PDataNode Node) {
  if (!Node) Node = root_;
  InitIfNeeded(Node);
  return Node->Has(vsVisible);
}

int TBaseDataTree::CompareNodePositions(PDataNode Node1, PDataNode Node2) const {
  DTAssert(Node1 && Node2, "Nodes must never be nil.");
  return store_.ComparePositions(Node1, Node2);
}

TNodeArray TBaseDataTree::GetSortedSelection(bool Resolve) {
  TNodeArray result;
  if (selection_.Count() < 1) return result;
  result.reserve(size_t(selection_.Count()));
  PDataNode run = root_->FirstChild;
  while (run) {
    if (run->Has(vsSelected)) {
      result.push_back(run);
      if (Resolve) {
        // Skip the subtree of a selected node.
        while (run != root_ && !run->NextSibling) run = run->Parent;
        run = run == root_ ? nullptr : run->NextSibling;
        continue;
      }
    }
    run = GetNextNoInit(run);
  }
  return result;
}

TNodeArray TBaseDataTree::GetSortedCutCopySet(bool Resolve) {
  TNodeArray result;
  PDataNode run = root_->FirstChild;
  while (run) {
    if (run->Has(vsCutOrCopy)) {
      result.push_back(run);
      if (Resolve) {
        while (run != root_ && !run->NextSibling) run = run->Parent;
        run = run == root_ ? nullptr : run->NextSibling;
        continue;
      }
    }
    run = GetNextNoInit(run);
  }
  return result;
}

}  // namespace qv
