// The tree's commands on the selection (copy, cut, delete, the standard edit
// actions) and its transfer state: the registry of live trees the clipboard
// names trees through, and the clean-up when nodes or the tree go.
#include <map>
#include <mutex>
#include <utility>

#include "datatree/DataTreeEditLink.h"
#include "datatree/DataTreeTransfer.h"
#include "platform/gdi/SystemMetrics.h"
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

uint64_t TBaseDataTree::NodesForgotten() const {
  return xfer_ ? xfer_->nodesForgotten : 0;
}

size_t TBaseDataTree::CutCopyCount() const {
  return xfer_ ? xfer_->cutCopyCount : 0;
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
  // While the tree is whole: a copy is rendered from its rows and events.
  LeaveOwnClipboard();
  for (TDTDataObject* o : std::vector<TDTDataObject*>(x.dataObjects)) o->Detach();
  x.dataObjects.clear();
  x.clipboardObject = nullptr;
  if (x.dropTargetRegistered && HandleAllocated()) RevokeDragDrop(Handle());
  x.dropTargetRegistered = false;
  if (auto* own = dynamic_cast<TDTDragManager*>(x.dragManager.Get())) own->Detach();
  x.dragManager.Reset();
  x.dragImage.reset();
  x.dragSelection.clear();
  x.dragSelectionDue = false;
  if (x.hintData.Tree == this) x.hintData = TDTHintData{};
  if (x.serial) {
    TreeRegistry& r = Trees();
    std::lock_guard<std::mutex> g(r.lock);
    r.trees.erase(x.serial);
    x.serial = 0;
  }
}

void TBaseDataTree::TransferForgetAll() {
  if (!xfer_) return;
  ++xfer_->nodesForgotten;
  xfer_->dragSelection.clear();
  xfer_->dragSelectionDue = false;
  xfer_->hintData.Node = nullptr;
}

void TBaseDataTree::TransferForgetNode(PDataNode Node) {
  if (!xfer_) return;
  ++xfer_->nodesForgotten;
  std::erase(xfer_->dragSelection, Node);
  if (xfer_->hintData.Node == Node) xfer_->hintData.Node = nullptr;
}

// The marks and the state come first, so that the text the clipboard hands
// to other programs at once is the marked nodes'; a refusal takes them back.
bool TBaseDataTree::PutSelectionOnClipboard(bool Cut) {
  TreeXfer::StartOle();
  TDataTreeStates oldStates = states_;
  // The rows of an earlier copy or cut of this tree leave the clipboard with
  // this one: their marks go first, or the new text would hold them too.
  TNodeArray earlier, marked;
  if (states_.Contains(tsCopyPending) || states_.Contains(tsCutPending))
    for (PDataNode run = GetFirstNoInit(); run; run = GetNextNoInit(run))
      if (run->Has(vsCutOrCopy)) {
        run->Exclude(vsCutOrCopy);
        earlier.push_back(run);
      }
  for (PDataNode n : GetSortedSelection(false))
    if (!n->Has(vsDisabled) && !n->Has(vsCutOrCopy)) {
      n->Include(vsCutOrCopy);
      marked.push_back(n);
    }
  if (Cut)
    DoStateChange({tsCutPending}, {tsCopyPending});
  else
    DoStateChange({tsCopyPending}, {tsCutPending});  // a paste must not move what is only copied now
  ComPtr<TDTDataObject> data = TDTDataObject::Create(this, true);
  // The object it replaces is no longer this tree's: its end keeps the new marks.
  TDTDataObject* previous = Xfer().clipboardObject;
  Xfer().clipboardObject = data.Get();
  size_t earlierCount = std::exchange(Xfer().cutCopyCount, marked.size());
  if (FAILED(OleSetClipboard(data.Get()))) {
    for (PDataNode n : marked) n->Exclude(vsCutOrCopy);
    for (PDataNode n : earlier) n->Include(vsCutOrCopy);
    Xfer().cutCopyCount = earlierCount;
    states_ = oldStates;
    Xfer().clipboardObject = previous;
    return false;
  }
  Invalidate();
  return true;
}

void TBaseDataTree::CopyToClipboard() {
  if (selection_.Count() > 0) PutSelectionOnClipboard(false);
}

void TBaseDataTree::CutToClipboard() {
  if (selection_.Count() > 0 && !options_->MiscOptions().Contains(toReadOnly)) PutSelectionOnClipboard(true);
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
  if (selection_.Count() <= 0 || options_->MiscOptions().Contains(toReadOnly)) return;
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

void TBaseDataTree::ReadLegacyOptions(const std::vector<std::string>& Identifiers) {
  TDTAnimationOptions animation;
  TDTAutoOptions autoOptions;
  TDTMiscOptions misc;
  TDTPaintOptions paint;
  TDTSelectionOptions selection;
  struct Legacy {
    const char* name;
    std::function<void()> set;
  };
  const Legacy table[] = {
      {"voAcceptOLEDrop", [&] { misc.Include(toAcceptOLEDrop); }},
      {"voCheckSupport", [&] { misc.Include(toCheckSupport); }},
      {"voEditable", [&] { misc.Include(toEditable); }},
      {"voGridExtensions", [&] { misc.Include(toGridExtensions); }},
      {"voInitOnSave", [&] { misc.Include(toInitOnSave); }},
      {"voToggleOnDblClick", [&] { misc.Include(toToggleOnDblClick); }},
      {"voAnimatedToggle", [&] { animation.Include(toAnimatedToggle); }},
      {"voAutoDropExpand", [&] { autoOptions.Include(toAutoDropExpand); }},
      {"voAutoExpand", [&] { autoOptions.Include(toAutoExpand); }},
      {"voAutoScroll", [&] { autoOptions.Include(toAutoScroll); }},
      {"voAutoSort", [&] { autoOptions.Include(toAutoSort); }},
      {"voAutoSpanColumns", [&] { autoOptions.Include(toAutoSpanColumns); }},
      {"voAutoTristateTracking", [&] { autoOptions.Include(toAutoTristateTracking); }},
      {"voDisableDrawSelection", [&] { selection.Include(toDisableDrawSelection); }},
      {"voExtendedFocus", [&] { selection.Include(toExtendedFocus); }},
      {"voFullRowSelect", [&] { selection.Include(toFullRowSelect); }},
      {"voLevelSelectConstraint", [&] { selection.Include(toLevelSelectConstraint); }},
      {"voMiddleClickSelect", [&] { selection.Include(toMiddleClickSelect); }},
      {"voMultiSelect", [&] { selection.Include(toMultiSelect); }},
      {"voRightClickSelect", [&] { selection.Include(toRightClickSelect); }},
      {"voSiblingSelectConstraint", [&] { selection.Include(toSiblingSelectConstraint); }},
      {"voHideFocusRect", [&] { paint.Include(toHideFocusRect); }},
      {"voHideSelection", [&] { paint.Include(toHideSelection); }},
      {"voHotTrack", [&] { paint.Include(toHotTrack); }},
      {"voPopupMode", [&] { paint.Include(toPopupMode); }},
      {"voShowBackground", [&] { paint.Include(toShowBackground); }},
      {"voShowButtons", [&] { paint.Include(toShowButtons); }},
      {"voShowDropmark", [&] { paint.Include(toShowDropmark); }},
      {"voShowHorzGridLines", [&] { paint.Include(toShowHorzGridLines); }},
      {"voShowRoot", [&] { paint.Include(toShowRoot); }},
      {"voShowTreeLines", [&] { paint.Include(toShowTreeLines); }},
      {"voShowVertGridLines", [&] { paint.Include(toShowVertGridLines); }},
  };
  for (const std::string& id : Identifiers) {
    if (id.empty()) break;
    for (const Legacy& l : table)
      if (id == l.name) l.set();
  }
  options_->SetAnimationOptions(animation);
  options_->SetAutoOptions(autoOptions);
  options_->SetMiscOptions(misc);
  options_->SetPaintOptions(paint);
  options_->SetSelectionOptions(selection);
}

}  // namespace qv
