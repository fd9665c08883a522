// The tree's messages for editing, hints and drag and drop: the edit
// timer, the click that arms an edit or a drag, the auto-expand timer over a
// drop target, the hint request, the release of finished editors, and the
// tree's copy or cut on the clipboard when the tree is cleared or goes.
#include "classlib/controls/ControlMessages.h"
#include "datatree/DataTreeTransfer.h"
#include "platform/ole/OleClipboard.h"
#include "platform/window/Input.h"

namespace qv {

namespace {

constexpr UINT CM_FREEEDITORS = CM_BASE + 2006;

}  // namespace

void TBaseDataTree::ReleaseEditor(TWinControl* Editor) {
  if (!Editor) return;
  Editor->Hide();
  TDataTreeTransferState& x = Xfer();
  if (std::find(x.releasedEditors.begin(), x.releasedEditors.end(), Editor) == x.releasedEditors.end())
    x.releasedEditors.push_back(Editor);
  if (HandleAllocated()) PostMessageW(Handle(), CM_FREEEDITORS, 0, 0);
}

void TreeXfer::StartOle() {
  static const bool started = SUCCEEDED(OleInitialize(nullptr));
  (void)started;
}

void TBaseDataTree::RegisterDropTarget() {
  if (!HandleAllocated() || !options_->MiscOptions().Contains(toAcceptOLEDrop)) return;
  TreeXfer::StartOle();
  TDataTreeTransferState& x = Xfer();
  if (x.dropTargetRegistered) RevokeDragDrop(Handle());
  ComPtr<IDropTarget> target = ComPtr<IDTDragManager>(GetDragManager()).As<IDropTarget>();
  x.dropTargetRegistered = target && SUCCEEDED(RegisterDragDrop(Handle(), target.Get()));
}

void TBaseDataTree::RevokeDropTarget() {
  if (!xfer_ || !xfer_->dropTargetRegistered) return;
  if (HandleAllocated()) RevokeDragDrop(Handle());
  xfer_->dropTargetRegistered = false;
}

void TBaseDataTree::ReleaseOwnClipboard() {
  if (!xfer_ || !xfer_->clipboardObject) return;
  if (!states_.Contains(tsCopyPending) && !states_.Contains(tsCutPending)) return;
  if (OleIsCurrentClipboard(xfer_->clipboardObject) == S_OK) OleSetClipboard(nullptr);
}

void TBaseDataTree::LeaveOwnClipboard() {
  if (!xfer_ || !xfer_->clipboardObject || !states_.Contains(tsCopyPending)) return ReleaseOwnClipboard();
  if (OleIsCurrentClipboard(xfer_->clipboardObject) != S_OK) return;
  // Its text only: other programs and text pastes read a copy whose tree is
  // gone (a paste of rows into a tree needs the source tree's own format),
  // and every format of a large copy would hold the tree's end for seconds.
  xfer_->clipboardObject->OfferTextOnly();
  OleFlushClipboard();
}

bool TBaseDataTree::HandleTransferMessage(TMessage& Message) {
  switch (Message.Msg) {
    case CM_HINTSHOW:
      Message.Result = HandleHintShow(reinterpret_cast<void*>(Message.LParam));
      return true;
    case CM_HINTSHOWPAUSE:
      if (Message.LParam) HandleHintShowPause(*reinterpret_cast<int*>(Message.LParam));
      return true;
    case CM_FREEEDITORS: {
      if (!xfer_) return true;
      std::vector<TWinControl*> editors;
      editors.swap(xfer_->releasedEditors);
      for (TWinControl* e : editors) delete e;
      return true;
    }
    case WM_TIMER:
      if (Message.WParam == EditTimer) {
        KillTimer(Handle(), EditTimer);
        if (states_.Contains(tsEditPending)) BeginNodeEdit();
        return true;
      }
      if (Message.WParam == ExpandTimer) {
        KillTimer(Handle(), ExpandTimer);
        PDataNode node = dropTargetNode_;
        if (node && node->Has(vsHasChildren) && !node->Has(vsExpanded)) {
          TBaseDataTree* source = xfer_ && xfer_->dragManager ? xfer_->dragManager->GetDragSource() : nullptr;
          TDTDragImage* image = source && source->xfer_ ? source->xfer_->dragImage.get() : nullptr;
          bool shown = image && image->Visible();
          if (shown) image->HideImage();
          ToggleNode(node);
          UpdateWindow(Handle());
          if (shown) image->ShowImage();
        }
        return true;
      }
      return false;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
      if (states_.Contains(tsEditPending)) {
        KillTimer(Handle(), EditTimer);
        DoStateChange({}, {tsEditPending});
      }
      if (states_.Contains(tsEditing) && !EndNodeEdit()) return true;
      if (Message.Msg != WM_LBUTTONDOWN) return false;
      POINT p{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
      THitInfo hit;
      GetHitTestInfoAt(p.x, p.y, true, hit);
      bool onLabel = hit.HitPositions.Contains(hpOnItemLabel) || hit.HitPositions.Contains(hpOnNormalIcon);
      bool noShift = (Message.WParam & (MK_SHIFT | MK_CONTROL)) == 0;
      TDataTreeTransferState& x = Xfer();
      x.armEdit = Focused() && onLabel && hit.HitNode && hit.HitNode == focus_.Node() &&
                  hit.HitNode->Has(vsSelected) && noShift;
      x.armDrag = hit.HitNode && onLabel && DoDragAllowed(hit.HitNode, hit.HitColumn);
      x.dragStart = p;
      return false;
    }
    case WM_MOUSEMOVE: {
      TDataTreeTransferState* x = xfer_.get();
      if (!x || !x->armDrag || !(Message.WParam & MK_LBUTTON)) return false;
      POINT p{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
      if (std::abs(p.x - x->dragStart.x) >= DragThreshold ||
          std::abs(p.y - x->dragStart.y) >= DragThreshold) {
        x->armDrag = false;
        x->armEdit = false;
        if (DragType == dtOLE) {
          lastClickPos_ = x->dragStart;
          StartOLEDrag(x->dragStart);
          return true;
        }
      }
      return false;
    }
    case WM_LBUTTONUP: {
      TDataTreeTransferState* x = xfer_.get();
      if (!x) return false;
      x->armDrag = false;
      if (!x->armEdit) return false;
      x->armEdit = false;
      POINT p{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
      THitInfo hit;
      GetHitTestInfoAt(p.x, p.y, true, hit);
      if (hit.HitNode == focus_.Node() && hit.HitPositions.Contains(hpOnItem) &&
          CanEdit(focus_.Node(), hit.HitColumn)) {
        x->editColumn = focus_.Column();
        DoStateChange({tsEditPending});
        SetTimer(Handle(), EditTimer, std::max<uint32_t>(EditDelay, 1), nullptr);
      }
      return false;
    }
    case WM_LBUTTONDBLCLK:
      if (xfer_) xfer_->armEdit = false;
      return false;
    case WM_KILLFOCUS:
      if (xfer_) xfer_->armEdit = xfer_->armDrag = false;
      return false;
  }
  return false;
}

}  // namespace qv
