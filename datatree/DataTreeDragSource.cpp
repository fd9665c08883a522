// The tree as a drag source and its drag manager: starting an OLE drag with
// the tree's data object and drag image, the drop-source answers, and the
// drop-target calls forwarded to the tree.
#include "datatree/DataTreeTransfer.h"
#include "platform/window/Input.h"

namespace qv {

ComPtr<TDTDragManager> TDTDragManager::Create(TBaseDataTree* AOwner) {
  return ComPtr<TDTDragManager>::Adopt(new TDTDragManager(AOwner));
}

ComPtr<IDataObject> TDTDragManager::GetDataObject() {
  if (dataObject_) return dataObject_;
  if (!owner_) return {};
  ComPtr<IDataObject> data;
  if (owner_->OnCreateDataObject) owner_->OnCreateDataObject(owner_, data);
  if (!data) data = ComPtr<IDataObject>(TDTDataObject::Create(owner_, false).Get());
  return data;
}

HRESULT TDTDragManager::QueryContinueDrag(BOOL escapePressed, DWORD keyState) {
  if (escapePressed || ((keyState & MK_LBUTTON) && (keyState & MK_RBUTTON))) return DRAGDROP_S_CANCEL;
  if (keyState & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) return S_OK;
  return DRAGDROP_S_DROP;
}

HRESULT TDTDragManager::GiveFeedback(DWORD) {
  return DRAGDROP_S_USEDEFAULTCURSORS;
}

HRESULT TDTDragManager::DragEnter(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect) {
  if (!owner_ || !effect) return E_UNEXPECTED;
  dataObject_ = ComPtr<IDataObject>(data);
  isDropTarget_ = true;
  dragSource_ = TBaseDataTree::GetTreeFromDataObject(data);
  return owner_->DragEnter(keyState, POINT{pt.x, pt.y}, *effect);
}

HRESULT TDTDragManager::DragOver(DWORD keyState, POINTL pt, DWORD* effect) {
  if (!owner_ || !effect) return E_UNEXPECTED;
  return owner_->DragOver(dragSource_, keyState, dsDragMove, POINT{pt.x, pt.y}, *effect);
}

HRESULT TDTDragManager::DragLeave() {
  if (owner_) owner_->DragLeave();
  dragSource_ = nullptr;
  isDropTarget_ = false;
  dataObject_.Reset();
  return S_OK;
}

HRESULT TDTDragManager::Drop(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect) {
  if (!owner_ || !effect) return E_UNEXPECTED;
  HRESULT hr = owner_->DragDrop(data, keyState, POINT{pt.x, pt.y}, *effect);
  isDropTarget_ = false;
  dataObject_.Reset();
  dragSource_ = nullptr;
  return hr;
}

IDTDragManager* TBaseDataTree::GetDragManager() {
  TDataTreeTransferState& x = Xfer();
  if (!x.dragManager) {
    ComPtr<IDTDragManager> supplied;
    if (OnCreateDragManager) OnCreateDragManager(this, supplied);
    if (!supplied) supplied = ComPtr<IDTDragManager>(TDTDragManager::Create(this).Get());
    x.dragManager = std::move(supplied);
  }
  return x.dragManager.Get();
}

TDTDragImage* TBaseDataTree::DragImage() {
  TDataTreeTransferState& x = Xfer();
  if (!x.dragImage) {
    x.dragImage = std::make_unique<TDTDragImage>(HandleAllocated() ? Handle() : nullptr);
    x.dragImage->ImageAlpha = 200;
    x.dragImage->FadeEdges = true;
  }
  return x.dragImage.get();
}

namespace {

// The selected rows around the hot spot, painted on the tree's colour (which
// becomes the image's colour key).
void CreateTreeDragImage(TBaseDataTree& Tree, POINT HotSpot, IDataObject*) {
  if (Tree.DragImageKind == diNoImage || !Tree.HandleAllocated()) return;
  POINT treeHot{HotSpot.x - Tree.OffsetX(), HotSpot.y - Tree.OffsetY()};
  RECT window{treeHot.x - Tree.DragWidth / 2, treeHot.y - Tree.DragHeight / 2, treeHot.x + Tree.DragWidth / 2,
              treeHot.y + Tree.DragHeight / 2};
  window.left = std::max<LONG>(window.left, 0);
  window.top = std::max<LONG>(window.top, 0);
  int w = window.right - window.left, h = window.bottom - window.top;
  if (w <= 0 || h <= 0) return;
  BITMAPINFO info{};
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = -h;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bmp) return;
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bmp);
  HBRUSH brush = CreateSolidBrush(COLORREF(ColorToRGB(Tree.Color())));
  RECT all{0, 0, w, h};
  FillRect(dc, &all, brush);
  DeleteObject(brush);
  TPaintTreeFlags flags{ptSelection, ptSelectedOnly};
  if (Tree.DragImageKind == diMainColumnOnly) flags.Include(ptMainColumnOnly);
  Tree.PaintTree(dc, window, POINT{0, 0}, flags);
  SelectObject(dc, old);
  DeleteDC(dc);
  POINT origin{window.left + Tree.OffsetX(), window.top + Tree.OffsetY()};
  POINT hot = HotSpot;
  origin = Tree.ClientToScreen(origin);
  hot = Tree.ClientToScreen(hot);
  TDTDragImage* image = Tree.DragImage();
  image->TransparentColor = Tree.Color();
  image->BeginImageDrag(bmp, origin, hot);
  DeleteObject(bmp);
}

}  // namespace

void TBaseDataTree::StartOLEDrag(POINT HotSpot) {
  TDataTreeTransferState& x = Xfer();
  TreeXfer::StartOle();
  CancelEditNode();
  if (dropTargetNode_) {
    InvalidateNode(dropTargetNode_);
    dropTargetNode_ = nullptr;
  }
  if (focus_.Node() && !focus_.Node()->Has(vsSelected)) {
    ClearSelection();
    AddToSelection(focus_.Node());
    InvalidateNode(focus_.Node());
  }
  if (HandleAllocated()) UpdateWindow(Handle());
  x.dragSelection.clear();
  x.dragSelectionDue = true;
  DoStateChange({tsOLEDragging}, {tsClearPending, tsOLEDragPending});
  struct Leave {
    TBaseDataTree* t;
    ~Leave() { t->DoStateChange({}, {tsOLEDragging}); }
  } leave{this};
  if (OnStartDrag) OnStartDrag(this);
  ComPtr<IDTDragManager> manager(GetDragManager());
  ComPtr<IDropSource> dropSource = manager.As<IDropSource>();
  ComPtr<IDataObject> data = manager->GetDataObject();
  CreateTreeDragImage(*this, HotSpot, data.Get());
  x.lastDropMode = dmOnNode;
  DWORD allowed = 0;
  if (DragOperations.Contains(doCopy)) allowed |= DROPEFFECT_COPY;
  if (DragOperations.Contains(doMove)) allowed |= DROPEFFECT_MOVE;
  if (DragOperations.Contains(doLink)) allowed |= DROPEFFECT_LINK;
  if (allowed == 0) allowed = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
  DWORD effect = DROPEFFECT_NONE;
  auto alive = AliveToken();
  try {
    if (dropSource) DoDragDrop(data.Get(), dropSource.Get(), allowed, &effect);
  } catch (...) {
    effect = DROPEFFECT_NONE;
  }
  if (alive.expired()) return;
  manager->LeaveHelperDrag();
  POINT cursor{};
  GetCursorPos(&cursor);
  if (HandleAllocated()) cursor = TControl::ScreenToClient(cursor);
  if (OnEndDrag) OnEndDrag(this, cursor.x, cursor.y);
  if (xfer_ && xfer_->dragImage) xfer_->dragImage->EndImageDrag();
  if (effect == DROPEFFECT_MOVE && options_->AutoOptions().Contains(toAutoDeleteMovedNodes)) {
    // Nodes freed while the drag ran have left the list already.
    BeginUpdate();
    TNodeArray nodes;
    for (PDataNode n : TreeXfer::TopmostInOrder(*this, DragSelection()))
      if (IsNodeOfThisTree(n)) nodes.push_back(n);
    // Last to first: a list is renumbered once, by the first of its nodes.
    for (size_t i = nodes.size(); i-- > 0;)
      DeleteNode(nodes[i], i == 0 || nodes[i]->Parent != nodes[i - 1]->Parent);
    EndUpdate();
  }
  if (xfer_) xfer_->dragSelection.clear(), xfer_->dragSelectionDue = false;
}

}  // namespace qv
