// A tree view whose window is made anew keeps its nodes: the node objects
// (and the pointers callers hold to them) wait between the two windows and
// go into the new one in the same order, expanded, checked and selected as
// they were. No event fires: nothing changed for the user.
#include "classlib/comctrls/TreeView.h"
#include "platform/Utf.h"
#include "platform/window/MessageQueue.h"

namespace qv {

namespace {

HTREEITEM NextItem(HWND h, UINT code, HTREEITEM item) {
  return reinterpret_cast<HTREEITEM>(SendMessageW(h, TVM_GETNEXTITEM, code, LPARAM(item)));
}

// The tree's order: first child, else the next sibling of the nearest
// ancestor that has one.
HTREEITEM FollowingItem(HWND h, HTREEITEM item) {
  if (HTREEITEM c = NextItem(h, TVGN_CHILD, item)) return c;
  for (HTREEITEM run = item; run; run = NextItem(h, TVGN_PARENT, run))
    if (HTREEITEM s = NextItem(h, TVGN_NEXT, run)) return s;
  return nullptr;
}

// The states a new item takes from a kept one; the selection is put back
// through the window so that it knows its caret.
constexpr UINT kKeptStates = 0xFFFFu & ~UINT(TVIS_SELECTED);
constexpr int kNoButtonGiven = -2;

}  // namespace

void TCustomTreeView::KeepNodes() {
  HWND h = WindowHandle();
  kept_.clear();
  for (HTREEITEM item = NextItem(h, TVGN_ROOT, nullptr); item; item = FollowingItem(h, item)) {
    TTreeNode* node = items_->GetNode(item);
    if (!node) continue;
    TVITEMW it;
    it.mask = TVIF_HANDLE | TVIF_CHILDREN | TVIF_STATE;
    it.hItem = item;
    it.stateMask = kKeptStates;
    SendMessageW(h, TVM_GETITEMW, 0, LPARAM(&it));
    // A node with children gets its button from them; one without keeps the
    // button it was given (a folder not read yet).
    int children = NextItem(h, TVGN_CHILD, item) ? kNoButtonGiven : it.cChildren;
    kept_.push_back(TKeptNode{node, items_->GetNode(NextItem(h, TVGN_PARENT, item)), it.state, children});
  }
  keptSelected_ = items_->GetNode(NextItem(h, TVGN_CARET, nullptr));
  keptTop_ = items_->GetNode(NextItem(h, TVGN_FIRSTVISIBLE, nullptr));
  keeping_ = true;
  SendMessageW(h, TVM_DELETEITEM, 0, LPARAM(TVI_ROOT));
  keeping_ = false;
  items_->cacheIndex_ = -1;
}

void TCustomTreeView::RestoreNodes() {
  if (kept_.empty()) return;
  HWND h = WindowHandle();
  std::vector<TKeptNode> kept = std::move(kept_);
  kept_.clear();
  restoring_ = true;
  if (items_->updateCount_ == 0) SendMessageW(h, WM_SETREDRAW, FALSE, 0);
  std::vector<TTreeNode*> lost;
  for (const TKeptNode& k : kept) {
    TVINSERTSTRUCTW ins;
    ins.hParent = k.Parent && k.Parent->item_ ? k.Parent->item_ : TVI_ROOT;
    ins.hInsertAfter = TVI_LAST;  // the kept order, sorted or not
    std::u16string text = Utf8ToUtf16(k.Node->text_);
    ins.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    if (k.Children != kNoButtonGiven) {
      ins.item.mask |= TVIF_CHILDREN;
      ins.item.cChildren = k.Children;
    }
    ins.item.pszText = text.data();
    ins.item.lParam = LPARAM(k.Node);
    ins.item.iImage = I_IMAGECALLBACK;
    ins.item.iSelectedImage = I_IMAGECALLBACK;
    k.Node->item_ = reinterpret_cast<HTREEITEM>(SendMessageW(h, TVM_INSERTITEMW, 0, LPARAM(&ins)));
    if (!k.Node->item_) lost.push_back(k.Node);
  }
  // States after every item is in: an expanded node shows its children.
  for (const TKeptNode& k : kept) {
    if (!k.Node->item_) continue;
    TVITEMW it;
    it.mask = TVIF_HANDLE | TVIF_STATE;
    it.hItem = k.Node->item_;
    it.state = k.State;
    it.stateMask = kKeptStates;
    SendMessageW(h, TVM_SETITEMW, 0, LPARAM(&it));
  }
  if (keptSelected_ && keptSelected_->item_)
    SendMessageW(h, TVM_SELECTITEM, TVGN_CARET, LPARAM(keptSelected_->item_));
  if (keptTop_ && keptTop_->item_)
    SendMessageW(h, TVM_SELECTITEM, TVGN_FIRSTVISIBLE, LPARAM(keptTop_->item_));
  keptSelected_ = keptTop_ = nullptr;
  if (items_->updateCount_ == 0) SendMessageW(h, WM_SETREDRAW, TRUE, 0);
  restoring_ = false;
  // A node the window refused (it is out of memory) is gone as a deleted one.
  for (TTreeNode* n : lost) {
    n->deleting_ = true;
    Delete(n);
    delete n;
  }
}

// Children before their parents, as the window deletes them.
void TCustomTreeView::FreeKeptNodes() {
  std::vector<TKeptNode> kept = std::move(kept_);
  kept_.clear();
  keptSelected_ = keptTop_ = nullptr;
  for (auto k = kept.rbegin(); k != kept.rend(); ++k) {
    k->Node->deleting_ = true;
    Delete(k->Node);
    delete k->Node;
  }
}

}  // namespace qv
