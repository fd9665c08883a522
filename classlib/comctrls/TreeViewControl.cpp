// TCustomTreeView: the window styles its properties stand for, and the
// events raised from the tree view's notifications. Node objects die with
// their items: the deletion notification frees them.
#include <algorithm>

#include "classlib/comctrls/TreeView.h"
#include "classlib/controls/ControlMessages.h"
#include "classlib/graphics/Brush.h"
#include "classlib/graphics/Canvas.h"
#include "classlib/graphics/Font.h"
#include "platform/Utf.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"

namespace qv {

TCustomTreeView::TCustomTreeView(TComponent* AOwner)
    : TWinControl(AOwner),
      items_(std::make_unique<TTreeNodes>(this)),
      canvas_(std::make_unique<TCanvas>()),
      images_(this, TVM_SETIMAGELIST, TVSIL_NORMAL),
      stateImages_(this, TVM_SETIMAGELIST, TVSIL_STATE) {
  ControlStyle() = TControlStyle{csCaptureMouse, csClickEvents, csDoubleClicks};
  SetBounds(Left(), Top(), 121, 97);
  SetTabStop(true);
  SetParentColor(false);
  SetColor(clWindow);
}

TCustomTreeView::~TCustomTreeView() {
  // The nodes go before the window: each deletion notice frees one.
  if (HandleAllocated()) SendMessageW(WindowHandle(), TVM_DELETEITEM, 0, LPARAM(TVI_ROOT));
  FreeKeptNodes();  // those of a window that was never made again
}

DWORD TCustomTreeView::TreeStyle() const {
  DWORD s = 0;
  if (showButtons_) s |= TVS_HASBUTTONS;
  if (showLines_) s |= TVS_HASLINES;
  if (showRoot_) s |= TVS_LINESATROOT;
  if (!readOnly_) s |= TVS_EDITLABELS;
  if (!hideSelection_) s |= TVS_SHOWSELALWAYS;
  if (rowSelect_) s |= TVS_FULLROWSELECT;
  if (hotTrack_) s |= TVS_TRACKSELECT;
  if (checkBoxes_) s |= TVS_CHECKBOXES;
  return s;
}

void TCustomTreeView::FrameStyle(DWORD& Style, DWORD& ExStyle) const {
  if (borderStyle_ == bsSingle) ExStyle |= WS_EX_CLIENTEDGE;
  (void)Style;
}

void TCustomTreeView::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateCommonSubClass(Params, WC_TREEVIEW);
  Params.Style |= TreeStyle() | WS_VSCROLL | WS_HSCROLL;
  FrameStyle(Params.Style, Params.ExStyle);
}

void TCustomTreeView::CreateWnd() {
  TWinControl::CreateWnd();
  HWND h = WindowHandle();
  SendMessageW(h, TVM_SETINDENT, WPARAM(indent_), 0);
  images_.Resend();
  stateImages_.Resend();
  RestoreNodes();
}

// The nodes wait for the next window unless the tree, its form or its owner
// is going away: then they go with this window, while everything is alive.
void TCustomTreeView::DestroyWnd() {
  if (HandleAllocated()) {
    bool goingAway = ComponentState().Contains(csDestroying) ||
                     (Owner() && Owner()->ComponentState().Contains(csDestroying));
    for (TWinControl* p = Parent(); p && !goingAway; p = p->Parent())
      goingAway = p->ComponentState().Contains(csDestroying);
    if (goingAway)
      SendMessageW(WindowHandle(), TVM_DELETEITEM, 0, LPARAM(TVI_ROOT));
    else
      KeepNodes();
  }
  TWinControl::DestroyWnd();
}

void TCustomTreeView::ApplyStyle() {
  if (!HandleAllocated()) return;
  DWORD mask = TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_EDITLABELS | TVS_SHOWSELALWAYS |
               TVS_FULLROWSELECT | TVS_TRACKSELECT | TVS_CHECKBOXES;
  if (!ChangeWindowStyle(WindowHandle(), mask, TreeStyle())) return;
  // Check boxes start unchecked.
  if (checkBoxes_)
    for (TTreeNode* n = items_->GetFirstNode(); n; n = n->GetNext())
      if (n->StateIndex() <= 0) n->SetStateIndex(1);
}

void TCustomTreeView::SetBorderStyle(TBorderStyle Value) {
  if (borderStyle_ == Value) return;
  borderStyle_ = Value;
  // The frame changes without recreating the window, so the items stay.
  if (HandleAllocated()) SetClientEdge(WindowHandle(), Value == bsSingle);
}

void TCustomTreeView::SetIndent(int Value) {
  indent_ = Value;
  if (HandleAllocated()) SendMessageW(WindowHandle(), TVM_SETINDENT, WPARAM(Value), 0);
}

void TCustomTreeView::SetSortType(TSortType Value) {
  if (sortType_ == Value) return;
  sortType_ = Value;
  if ((Value == stText || Value == stBoth) && HandleAllocated()) AlphaSort(true);
}

void TCustomTreeView::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation == opRemove) {
    images_.Forget(AComponent);
    stateImages_.Forget(AComponent);
  }
}

TTreeNode* TCustomTreeView::Selected() {
  if (!HandleAllocated()) return nullptr;
  return items_->GetNode(
      reinterpret_cast<HTREEITEM>(SendMessageW(WindowHandle(), TVM_GETNEXTITEM, TVGN_CARET, 0)));
}

void TCustomTreeView::SetSelected(TTreeNode* Value) {
  SendMessageW(Handle(), TVM_SELECTITEM, TVGN_CARET, LPARAM(Value ? Value->ItemId() : nullptr));
}

TTreeNode* TCustomTreeView::TopItem() {
  if (!HandleAllocated()) return nullptr;
  return items_->GetNode(
      reinterpret_cast<HTREEITEM>(SendMessageW(WindowHandle(), TVM_GETNEXTITEM, TVGN_FIRSTVISIBLE, 0)));
}

void TCustomTreeView::SetTopItem(TTreeNode* Value) {
  if (Value) SendMessageW(Handle(), TVM_SELECTITEM, TVGN_FIRSTVISIBLE, LPARAM(Value->ItemId()));
}

TTreeNode* TCustomTreeView::GetNodeAt(int X, int Y) {
  TVHITTESTINFO info;
  info.pt = POINT{X, Y};
  auto h = reinterpret_cast<HTREEITEM>(SendMessageW(Handle(), TVM_HITTEST, 0, LPARAM(&info)));
  return (info.flags & (TVHT_ONITEM | TVHT_ONITEMBUTTON | TVHT_ONITEMRIGHT | TVHT_ONITEMINDENT))
             ? items_->GetNode(h)
             : nullptr;
}

THitTests TCustomTreeView::GetHitTestInfoAt(int X, int Y) {
  TVHITTESTINFO info;
  info.pt = POINT{X, Y};
  SendMessageW(Handle(), TVM_HITTEST, 0, LPARAM(&info));
  THitTests r;
  UINT f = info.flags;
  if (f & TVHT_ABOVE) r.Include(htAbove);
  if (f & TVHT_BELOW) r.Include(htBelow);
  if (f & TVHT_NOWHERE) r.Include(htNowhere);
  if (f & TVHT_ONITEM) r.Include(htOnItem);
  if (f & TVHT_ONITEMBUTTON) r.Include(htOnButton);
  if (f & TVHT_ONITEMICON) r.Include(htOnIcon);
  if (f & TVHT_ONITEMINDENT) r.Include(htOnIndent);
  if (f & TVHT_ONITEMLABEL) r.Include(htOnLabel);
  if (f & TVHT_ONITEMRIGHT) r.Include(htOnRight);
  if (f & TVHT_ONITEMSTATEICON) r.Include(htOnStateIcon);
  if (f & TVHT_TOLEFT) r.Include(htToLeft);
  if (f & TVHT_TORIGHT) r.Include(htToRight);
  return r;
}

bool TCustomTreeView::IsEditing() {
  return HandleAllocated() && SendMessageW(WindowHandle(), TVM_GETEDITCONTROL, 0, 0) != 0;
}

void TCustomTreeView::FullExpand() {
  items_->BeginUpdate();
  for (TTreeNode* n = items_->GetFirstNode(); n; n = n->getNextSibling()) n->Expand(true);
  items_->EndUpdate();
}

void TCustomTreeView::FullCollapse() {
  items_->BeginUpdate();
  for (TTreeNode* n = items_->GetFirstNode(); n; n = n->getNextSibling()) n->Collapse(true);
  items_->EndUpdate();
}

bool TCustomTreeView::AlphaSort(bool Recurse) {
  return CustomSort(nullptr, 0, Recurse);
}

bool TCustomTreeView::CustomSort(TTVCompare SortProc, LPARAM Data, bool Recurse) {
  TTreeNode root(items_.get());  // stands for the top level
  root.item_ = nullptr;
  return root.CustomSort(std::move(SortProc), Data, Recurse);
}

bool TCustomTreeView::CanExpand(TTreeNode* Node) {
  bool allow = true;
  if (OnExpanding) OnExpanding(this, Node, allow);
  return allow;
}

bool TCustomTreeView::CanCollapse(TTreeNode* Node) {
  bool allow = true;
  if (OnCollapsing) OnCollapsing(this, Node, allow);
  return allow;
}

bool TCustomTreeView::CanChange(TTreeNode* Node) {
  bool allow = true;
  if (OnChanging) OnChanging(this, Node, allow);
  return allow;
}

bool TCustomTreeView::CanEdit(TTreeNode* Node) {
  bool allow = !readOnly_;
  if (allow && OnEditing) OnEditing(this, Node, allow);
  return allow;
}

void TCustomTreeView::Change(TTreeNode* Node) {
  if (OnChange) OnChange(this, Node);
}
void TCustomTreeView::Expand(TTreeNode* Node) {
  if (OnExpanded) OnExpanded(this, Node);
}
void TCustomTreeView::Collapse(TTreeNode* Node) {
  if (OnCollapsed) OnCollapsed(this, Node);
}
void TCustomTreeView::Delete(TTreeNode* Node) {
  if (OnDeletion) OnDeletion(this, Node);
}
void TCustomTreeView::Added(TTreeNode* Node) {
  if (checkBoxes_) Node->SetStateIndex(1);
  if (OnAddition) OnAddition(this, Node);
}
void TCustomTreeView::GetImageIndex(TTreeNode* Node) {
  if (OnGetImageIndex) OnGetImageIndex(this, Node);
}
void TCustomTreeView::GetSelectedIndex(TTreeNode* Node) {
  if (OnGetSelectedIndex) OnGetSelectedIndex(this, Node);
}

void TCustomTreeView::Edit(const TVITEMW& Item) {
  TTreeNode* node = items_->GetNode(Item.hItem);
  if (!node || !Item.pszText) return;
  HTREEITEM id = Item.hItem;
  std::string s = Utf16ToUtf8(Item.pszText);
  if (OnEdited) OnEdited(this, node, s);
  // The handler may have deleted the node (a parent re-read from its source).
  node = items_->GetNode(id);
  if (node) node->SetText(s);
}

LRESULT TCustomTreeView::CustomDraw(NMTVCUSTOMDRAW* cd) {
  if (!OnCustomDraw && !OnCustomDrawItem) return CDRF_DODEFAULT;
  bool defaultDraw = true;
  canvas_->SetHandle(cd->nmcd.hdc);
  LRESULT result = CDRF_DODEFAULT;
  if (cd->nmcd.dwDrawStage == CDDS_PREPAINT) {
    if (OnCustomDraw) OnCustomDraw(this, cd->nmcd.rc, defaultDraw);
    result = defaultDraw ? (OnCustomDrawItem ? CDRF_NOTIFYITEMDRAW : CDRF_DODEFAULT) : CDRF_SKIPDEFAULT;
  } else if (cd->nmcd.dwDrawStage == CDDS_ITEMPREPAINT && OnCustomDrawItem) {
    TTreeNode* node = items_->GetNode(reinterpret_cast<HTREEITEM>(cd->nmcd.dwItemSpec));
    CustomDrawItemColours(canvas_.get(), cd->clrText, cd->clrTextBk, [&] {
      if (node) OnCustomDrawItem(this, node, CustomDrawState(cd->nmcd.uItemState), defaultDraw);
    });
    result = defaultDraw ? CDRF_NEWFONT : CDRF_SKIPDEFAULT;
  }
  canvas_->SetHandle(nullptr);
  return result;
}

void TCustomTreeView::Notify(TMessage& M) {
  auto* hdr = reinterpret_cast<NMHDR*>(M.LParam);
  auto* nm = reinterpret_cast<NMTREEVIEWW*>(M.LParam);
  M.Result = 0;
  switch (hdr->code) {
    case TVN_SELCHANGINGW:
      if (keeping_ || restoring_) return;
      M.Result = !CanChange(items_->GetNode(nm->itemNew.hItem));
      return;
    case TVN_SELCHANGEDW:
      if (keeping_ || restoring_) return;
      Change(items_->GetNode(nm->itemNew.hItem));
      return;
    case TVN_ITEMEXPANDINGW: {
      TTreeNode* node = items_->GetNode(nm->itemNew.hItem);
      if (!node) return;
      M.Result = nm->action == TVE_EXPAND ? !CanExpand(node) : !CanCollapse(node);
      return;
    }
    case TVN_ITEMEXPANDEDW: {
      TTreeNode* node = items_->GetNode(nm->itemNew.hItem);
      if (!node) return;
      if (nm->action == TVE_EXPAND)
        Expand(node);
      else
        Collapse(node);
      return;
    }
    case TVN_DELETEITEMW: {
      auto* node = reinterpret_cast<TTreeNode*>(nm->itemOld.lParam);
      if (!node || node->deleting_) return;
      if (keeping_) {
        node->item_ = nullptr;  // it waits for the next window
        return;
      }
      node->deleting_ = true;
      items_->cacheIndex_ = -1;
      Delete(node);  // descendants free what their nodes hold here
      node->item_ = nullptr;
      delete node;
      return;
    }
    case TVN_BEGINLABELEDITW: {
      auto* di = reinterpret_cast<NMTVDISPINFOW*>(M.LParam);
      M.Result = !CanEdit(items_->GetNode(di->item.hItem));
      return;
    }
    case TVN_ENDLABELEDITW:
      Edit(reinterpret_cast<NMTVDISPINFOW*>(M.LParam)->item);
      M.Result = 0;  // the node has set its own text
      return;
    case TVN_GETDISPINFOW: {
      auto* di = reinterpret_cast<NMTVDISPINFOW*>(M.LParam);
      TTreeNode* node = items_->GetNode(di->item.hItem);
      if (!node) return;
      if (di->item.mask & TVIF_IMAGE) {
        if (Images()) GetImageIndex(node);
        di->item.iImage = node->imageIndex_;
      }
      if (di->item.mask & TVIF_SELECTEDIMAGE) {
        if (Images()) GetSelectedIndex(node);
        di->item.iSelectedImage = node->selectedIndex_;
      }
      return;
    }
    case NM_CUSTOMDRAW:
      M.Result = CustomDraw(reinterpret_cast<NMTVCUSTOMDRAW*>(M.LParam));
      return;
  }
}

void TCustomTreeView::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case CN_NOTIFY:
      return Notify(M);
    case CM_WANTSPECIALKEY:
      // Enter and Esc end an in-place rename; they are not the dialog's
      // default and cancel buttons meanwhile.
      if ((M.WParam == VK_RETURN || M.WParam == VK_ESCAPE) && IsEditing()) {
        M.Result = 1;
        return;
      }
      break;
    case WM_RBUTTONDOWN:
      if (RightClickSelect) {
        TTreeNode* node = GetNodeAt(GET_X_LPARAM(M.LParam), GET_Y_LPARAM(M.LParam));
        if (node) SetSelected(node);
      }
      break;
  }
  TWinControl::Dispatch(M);
}

}  // namespace qv
