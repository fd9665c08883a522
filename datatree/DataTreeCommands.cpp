// The tree's commands on the selection (copy, cut, delete, the standard edit
// actions) and its transfer state: the registry of live trees the clipboard
// names trees through, and the clean-up when nodes or the tree go.
#include <map>
#include <mutex>

#include "datatree/DataTreeEditLink.h"
#include "datatree/DataTreeTransfer.h"
#include "platform/SystemMetrics.h"
#include "platform/ole/OleClipboard.h"

namespace qv {

namespace {

struct TreeRegistry {
  std::mutex lock;
  std::map<uint32_t, TBaseDataTree*> trees;
  uint32_t next = 1;
};

TreeRegistry& Trees() {
  static TreeRegistry* r = new TreeRegistry;
  return *r;
}

}  // namespace

void TBaseDataTree::XferDeleter::operator()(TDataTreeTransferState* p) const {
  delete p;
}

TDataTreeTransferState& TBaseDataTree::Xfer() {
  if (!xfer_) xfer_.reset(new TDataTreeTransferState);
  return *xfer_;
}

uint32_t TBaseDataTree::TreeSerial() {
  TDataTreeTransferState& x = Xfer();
  if (x.serial == 0) {
    TreeRegistry& r = Trees();
    std::lock_guard<std::mutex> g(r.lock);
    x.serial = r.next++;
    r.trees[x.serial] = this;
  }
  return x.serial;
}

TBaseDataTree* TBaseDataTree::TreeFromSerial(uint32_t Serial) {
  TreeRegistry& r = Trees();
  std::lock_guard<std::mutex> g(r.lock);
  auto it = r.trees.find(Serial);
  return it == r.trees.end() ? nullptr : it->second;
}

TBaseDataTree* TBaseDataTree::GetTreeFromDataObject(IDataObject* DataObject) {
  if (!DataObject) return nullptr;
  FORMATETC f{CF_DATATREEREFERENCE(), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL | TYMED_ISTREAM};
  STGMEDIUM m{};
  TBaseDataTree* result = nullptr;
  if (SUCCEEDED(DataObject->GetData(&f, &m))) {
    if (m.tymed == TYMED_HGLOBAL && GlobalSize(m.hGlobal) >= 8) {
      auto* p = static_cast<const uint32_t*>(GlobalLock(m.hGlobal));
      if (p && p[0] == uint32_t(getpid())) result = TreeFromSerial(p[1]);
      GlobalUnlock(m.hGlobal);
    }
    ReleaseStgMedium(&m);
  }
  return result;
}

TBaseDataTree* TreeXfer::TreeOfNode(PDataNode Node) {
  if (!Node) return nullptr;
  while (Node->Parent) Node = Node->Parent;
  TreeRegistry& r = Trees();
  std::lock_guard<std::mutex> g(r.lock);
  for (auto& [serial, tree] : r.trees)
    if (tree->root_ == Node) return tree;
  return nullptr;
}

void TreeXfer::RegisterDataObject(TBaseDataTree& Tree, TDTDataObject* Object) {
  Tree.TreeSerial();
  Tree.Xfer().dataObjects.push_back(Object);
}

void TreeXfer::UnregisterDataObject(TBaseDataTree& Tree, TDTDataObject* Object) {
  if (!Tree.xfer_) return;
  auto& list = Tree.xfer_->dataObjects;
  std::erase(list, Object);
  if (Tree.xfer_->clipboardObject == Object) Tree.xfer_->clipboardObject = nullptr;
}

TNodeArray TreeXfer::TopmostInOrder(TBaseDataTree& Tree, TNodeArray Nodes) {
  std::sort(Nodes.begin(), Nodes.end(),
            [&](PDataNode a, PDataNode b) { return Tree.CompareNodePositions(a, b) < 0; });
  TNodeArray out;
  for (PDataNode n : Nodes)
    if (out.empty() || (n != out.back() && !TBaseDataTree::HasAsParent(n, out.back()))) out.push_back(n);
  return out;
}

// The tree takes its ties with the clipboard, the drag and the editor down
// before it goes: its data objects answer failure from now on.
void TBaseDataTree::ShutdownTransfers() {
  if (!xfer_) return;
  TDataTreeTransferState& x = *xfer_;
  if (x.editLink) {
    ComPtr<IDTEditLink> link = x.editLink;
    x.editLink.Reset();
    states_.Exclude(tsEditing);
    link->CancelEdit();
    if (auto* s = dynamic_cast<TStringEditLink*>(link.Get()); s && s->Edit()) delete s->Edit();
  }
  for (TWinControl* e : std::exchange(x.releasedEditors, {})) delete e;
  if (x.clipboardObject && OleIsCurrentClipboard(x.clipboardObject) == S_OK) OleSetClipboard(nullptr);
  for (TDTDataObject* o : std::vector<TDTDataObject*>(x.dataObjects)) o->Detach();
  x.dataObjects.clear();
  x.clipboardObject = nullptr;
  if (x.dropTargetRegistered && HandleAllocated()) RevokeDragDrop(Handle());
  x.dropTargetRegistered = false;
  if (x.dragManager) x.dragManager->Detach();
  x.dragManager.Reset();
  x.dragImage.reset();
  x.dragSelection.clear();
  if (x.hintData.Tree == this) x.hintData = TDTHintData{};
  if (x.serial) {
    TreeRegistry& r = Trees();
    std::lock_guard<std::mutex> g(r.lock);
    r.trees.erase(x.serial);
    x.serial = 0;
  }
}

void TBaseDataTree::TransferForgetNode(PDataNode Node) {
  if (!xfer_) return;
  std::erase(xfer_->dragSelection, Node);
  if (xfer_->hintData.Node == Node) xfer_->hintData.Node = nullptr;
}

void TBaseDataTree::CopyToClipboard() {
  if (selectionCount_ <= 0) return;
  TreeXfer::StartOle();
  ComPtr<TDTDataObject> data = TDTDataObject::Create(this, true);
  if (FAILED(OleSetClipboard(data.Get()))) return;
  Xfer().clipboardObject = data.Get();
  for (PDataNode n : GetSortedSelection(false))
    if (!n->Has(vsDisabled)) n->Include(vsCutOrCopy);
  DoStateChange({tsCopyPending});
  Invalidate();
}

void TBaseDataTree::CutToClipboard() {
  if (selectionCount_ <= 0 || options_->MiscOptions().Contains(toReadOnly)) return;
  TreeXfer::StartOle();
  ComPtr<TDTDataObject> data = TDTDataObject::Create(this, true);
  if (FAILED(OleSetClipboard(data.Get()))) return;
  Xfer().clipboardObject = data.Get();
  for (PDataNode n : GetSortedSelection(false))
    if (!n->Has(vsDisabled)) n->Include(vsCutOrCopy);
  DoStateChange({tsCutPending}, {tsCopyPending});
  Invalidate();
}

void TBaseDataTree::CancelCutOrCopy() {
  if (states_.Contains(tsCopyPending) || states_.Contains(tsCutPending)) {
    for (PDataNode run = GetFirstNoInit(); run; run = GetNextNoInit(run)) run->Exclude(vsCutOrCopy);
    if (HandleAllocated()) Invalidate();
  }
  DoStateChange({}, {tsCopyPending, tsCutPending});
}

void TBaseDataTree::FinishCutOrCopy() {
  if (states_.Contains(tsCutPending)) {
    PDataNode run = GetFirstNoInit();
    while (run) {
      if (run->Has(vsCutOrCopy)) {
        // The subtree goes with the node: go on after it.
        PDataNode next = GetNextSibling(run);
        for (PDataNode up = run; !next && up->Parent && up->Parent != root_; up = up->Parent)
          next = GetNextSibling(up->Parent);
        DeleteNode(run, true);
        run = next;
      } else {
        run = GetNextNoInit(run);
      }
    }
    DoStateChange({}, {tsCutPending});
  }
}

void TBaseDataTree::DeleteSelectedNodes() {
  if (selectionCount_ <= 0 || options_->MiscOptions().Contains(toReadOnly)) return;
  BeginUpdate();
  TNodeArray nodes = GetSortedSelection(true);
  for (size_t i = nodes.size(); i-- > 1;) DeleteNode(nodes[i], nodes[i]->Parent != nodes[i - 1]->Parent);
  if (!nodes.empty()) DeleteNode(nodes[0], true);
  EndUpdate();
}

void TBaseDataTree::BeginDrag(bool Immediate, int Threshold) {
  if (DragType == dtVCL) {
    DoStateChange({tsVCLDragPending});
    return;
  }
  if (states_.Contains(tsOLEDragPending) || states_.Contains(tsOLEDragging)) return;
  DragThreshold = Threshold >= 0 ? Threshold : GetSystemMetrics(SM_CXDRAG);
  if (Immediate)
    StartOLEDrag(lastClickPos_);
  else
    DoStateChange({tsOLEDragPending});
}

bool TBaseDataTree::Dragging() const {
  return states_.Contains(tsOLEDragPending) || states_.Contains(tsOLEDragging);
}

// The standard edit actions by command: 0 select all, 1 copy, 2 cut, 3 paste, 4 delete.
bool TBaseDataTree::ExecuteStandardEditAction(int Command) {
  bool readOnly = options_->MiscOptions().Contains(toReadOnly);
  switch (Command) {
    case 0:
      SelectAll(false);
      return true;
    case 1:
      CopyToClipboard();
      return true;
    case 2:
      if (!readOnly) CutToClipboard();
      return !readOnly;
    case 3:
      if (!readOnly) PasteFromClipboard();
      return !readOnly;
    case 4:
      if (!readOnly) DeleteSelectedNodes();
      return !readOnly;
    default:
      return false;
  }
}

}  // namespace qv
