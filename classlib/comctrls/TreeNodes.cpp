// TTreeNode and TTreeNodes: the class-library face of tree view items. A
// node keeps its text, data and image indexes; the window keeps the tree.
#include <algorithm>
#include <cstring>

#include "classlib/Object.h"
#include "classlib/comctrls/TreeView.h"
#include "platform/Utf.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Paint.h"

namespace qv {

namespace {

HTREEITEM Next(HWND h, UINT code, HTREEITEM item) {
  return reinterpret_cast<HTREEITEM>(SendMessageW(h, TVM_GETNEXTITEM, code, LPARAM(item)));
}

}  // namespace

TTreeNode::TTreeNode(TTreeNodes* AOwner) : owner_(AOwner) {}

TTreeNode::~TTreeNode() {
  if (owner_->cacheNode_ == this) owner_->cacheNode_ = nullptr, owner_->cacheIndex_ = -1;
}

TCustomTreeView* TTreeNode::TreeView() const {
  return owner_->Owner();
}

HWND TTreeNode::Wnd() const {
  return owner_->Wnd();
}

TTreeNode* TTreeNode::NodeOf(HTREEITEM h) const {
  return owner_->GetNode(h);
}

// The window first: a node waiting between two windows has its item only
// once the window is there.
HTREEITEM TTreeNode::Near(UINT Code) const {
  HWND h = Wnd();
  return Next(h, Code, item_);
}

void TTreeNode::SetItemFields(UINT mask, const TVITEMW& item) const {
  if (!item_) return;
  TVITEMW it = item;
  it.mask = mask | TVIF_HANDLE;
  it.hItem = item_;
  SendMessageW(Wnd(), TVM_SETITEMW, 0, LPARAM(&it));
}

void TTreeNode::SetStateBits(UINT state, UINT mask) const {
  TVITEMW it;
  it.state = state;
  it.stateMask = mask;
  SetItemFields(TVIF_STATE, it);
}

void TTreeNode::SetText(const std::string& Value) {
  text_ = Value;
  std::u16string w = Utf8ToUtf16(Value);
  TVITEMW it;
  it.pszText = w.data();
  SetItemFields(TVIF_TEXT, it);
  TCustomTreeView* tv = TreeView();
  if (tv->SortType() == stText || tv->SortType() == stBoth) {
    if (TTreeNode* p = Parent())
      p->AlphaSort(false);
    else
      tv->AlphaSort(false);
  }
}

// The window asks for the image indexes when it paints (so that
// OnGetImageIndex can decide); a new index only repaints the node.
void TTreeNode::SetImageIndex(int Value) {
  imageIndex_ = Value;
  Repaint();
}

void TTreeNode::SetSelectedIndex(int Value) {
  selectedIndex_ = Value;
  Repaint();
}

void TTreeNode::Repaint() const {
  if (!item_) return;
  RECT r = DisplayRect(false);
  if (!IsRectEmpty(&r)) InvalidateRect(Wnd(), &r, TRUE);
}

void TTreeNode::SetOverlayIndex(int Value) {
  overlayIndex_ = Value;
  SetStateBits(UINT(Value + 1) << 8, TVIS_OVERLAYMASK);
}

int TTreeNode::StateIndex() const {
  if (!item_) return -1;
  return int(SendMessageW(Wnd(), TVM_GETITEMSTATE, WPARAM(item_), TVIS_STATEIMAGEMASK) >> 12);
}

void TTreeNode::SetStateIndex(int Value) {
  SetStateBits(INDEXTOSTATEIMAGEMASK(std::max(Value, 0)), TVIS_STATEIMAGEMASK);
}

bool TTreeNode::HasChildren() const {
  TVITEMW it;
  it.mask = TVIF_CHILDREN | TVIF_HANDLE;
  it.hItem = item_;
  SendMessageW(Wnd(), TVM_GETITEMW, 0, LPARAM(&it));
  return it.cChildren > 0;
}

void TTreeNode::SetHasChildren(bool Value) {
  TVITEMW it;
  it.cChildren = Value ? 1 : 0;
  SetItemFields(TVIF_CHILDREN, it);
}

bool TTreeNode::Expanded() const {
  return item_ && SendMessageW(Wnd(), TVM_GETITEMSTATE, WPARAM(item_), TVIS_EXPANDED);
}

void TTreeNode::SetExpanded(bool Value) {
  if (Value)
    Expand(false);
  else
    Collapse(false);
}

void TTreeNode::Expand(bool Recurse) {
  if (!item_) return;
  HTREEITEM self = item_;
  HWND h = Wnd();
  SendMessageW(h, TVM_EXPAND, TVE_EXPAND, LPARAM(self));
  if (!Recurse || !owner_->GetNode(self)) return;
  for (TTreeNode* c = GetFirstChild(); c;) {
    HTREEITEM next = Next(h, TVGN_NEXT, c->item_);
    c->Expand(true);
    c = owner_->GetNode(next);
  }
}

void TTreeNode::Collapse(bool Recurse) {
  if (!item_) return;
  if (Recurse)
    for (TTreeNode* c = GetFirstChild(); c; c = c->getNextSibling()) c->Collapse(true);
  SendMessageW(Wnd(), TVM_EXPAND, TVE_COLLAPSE, LPARAM(item_));
}

bool TTreeNode::Selected() const {
  return item_ && SendMessageW(Wnd(), TVM_GETITEMSTATE, WPARAM(item_), TVIS_SELECTED);
}

void TTreeNode::SetSelected(bool Value) {
  if (Value)
    TreeView()->SetSelected(this);
  else if (Selected())
    TreeView()->SetSelected(nullptr);
}

bool TTreeNode::IsVisible() const {
  for (TTreeNode* p = Parent(); p; p = p->Parent())
    if (!p->Expanded()) return false;
  return true;
}

void TTreeNode::MakeVisible() {
  SendMessageW(Wnd(), TVM_ENSUREVISIBLE, 0, LPARAM(item_));
}

RECT TTreeNode::DisplayRect(bool TextOnly) const {
  // The item travels in the rectangle's first bytes, as the message expects.
  RECT r{};
  std::memcpy(static_cast<void*>(&r), &item_, sizeof item_);
  if (!SendMessageW(Wnd(), TVM_GETITEMRECT, TextOnly, LPARAM(&r))) r = RECT{};
  return r;
}

bool TTreeNode::EditText() {
  return SendMessageW(Wnd(), TVM_EDITLABELW, 0, LPARAM(item_)) != 0;
}

void TTreeNode::EndEdit(bool Cancel) {
  SendMessageW(Wnd(), TVM_ENDEDITLABELNOW, Cancel, 0);
}

TTreeNode* TTreeNode::Parent() const {
  return NodeOf(Near(TVGN_PARENT));
}
TTreeNode* TTreeNode::GetFirstChild() const {
  return NodeOf(Near(TVGN_CHILD));
}
TTreeNode* TTreeNode::GetLastChild() const {
  TTreeNode* c = GetFirstChild();
  while (c && c->getNextSibling()) c = c->getNextSibling();
  return c;
}
TTreeNode* TTreeNode::getNextSibling() const {
  return NodeOf(Near(TVGN_NEXT));
}
TTreeNode* TTreeNode::getPrevSibling() const {
  return NodeOf(Near(TVGN_PREVIOUS));
}
TTreeNode* TTreeNode::GetNextVisible() const {
  return NodeOf(Near(TVGN_NEXTVISIBLE));
}
TTreeNode* TTreeNode::GetPrevVisible() const {
  return NodeOf(Near(TVGN_PREVIOUSVISIBLE));
}

TTreeNode* TTreeNode::GetNext() const {
  if (TTreeNode* c = GetFirstChild()) return c;
  for (const TTreeNode* n = this; n; n = n->Parent())
    if (TTreeNode* s = n->getNextSibling()) return s;
  return nullptr;
}

TTreeNode* TTreeNode::GetPrev() const {
  TTreeNode* s = getPrevSibling();
  if (!s) return Parent();
  while (TTreeNode* last = s->GetLastChild()) s = last;
  return s;
}

int TTreeNode::Count() const {
  int n = 0;
  for (TTreeNode* c = GetFirstChild(); c; c = c->getNextSibling()) ++n;
  return n;
}

TTreeNode* TTreeNode::Item(int Index) const {
  TTreeNode* c = GetFirstChild();
  for (int i = 0; c && i < Index; ++i) c = c->getNextSibling();
  if (!c || Index < 0) throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return c;
}

int TTreeNode::Index() const {
  int i = 0;
  for (TTreeNode* s = getPrevSibling(); s; s = s->getPrevSibling()) ++i;
  return i;
}

int TTreeNode::Level() const {
  int l = 0;
  for (TTreeNode* p = Parent(); p; p = p->Parent()) ++l;
  return l;
}

int TTreeNode::AbsoluteIndex() const {
  int i = -1;
  for (const TTreeNode* n = this; n; n = n->GetPrev()) ++i;
  return i;
}

bool TTreeNode::HasAsParent(TTreeNode* Value) const {
  for (TTreeNode* p = Parent(); p; p = p->Parent())
    if (p == Value) return true;
  return false;
}

void TTreeNode::Delete() {
  if (item_) SendMessageW(Wnd(), TVM_DELETEITEM, 0, LPARAM(item_));
}

void TTreeNode::DeleteChildren() {
  HWND h = Wnd();
  for (HTREEITEM c; (c = Next(h, TVGN_CHILD, item_)) != nullptr;)
    if (!SendMessageW(h, TVM_DELETEITEM, 0, LPARAM(c))) break;
}

namespace {

struct SortContext {
  TTreeNodes* nodes;
  TTVCompare compare;
  LPARAM data;
};

int SortCallback(LPARAM a, LPARAM b, LPARAM context) {
  auto* c = reinterpret_cast<SortContext*>(context);
  return c->compare(reinterpret_cast<TTreeNode*>(a), reinterpret_cast<TTreeNode*>(b), c->data);
}

}  // namespace

bool TTreeNode::AlphaSort(bool Recurse) {
  return CustomSort(nullptr, 0, Recurse);
}

bool TTreeNode::CustomSort(TTVCompare SortProc, LPARAM Data, bool Recurse) {
  TCustomTreeView* tv = TreeView();
  if (!SortProc) {
    SortProc = [tv](TTreeNode* a, TTreeNode* b, LPARAM data) {
      int r = 0;
      if (tv->OnCompare)
        tv->OnCompare(tv, a, b, int(data), r);
      else
        r = comctl::CompareText(Utf8ToUtf16(a->Text()), Utf8ToUtf16(b->Text()));
      return r;
    };
  }
  SortContext c{owner_, SortProc, Data};
  TVSORTCB cb;
  cb.hParent = item_ ? item_ : TVI_ROOT;
  cb.lpfnCompare = SortCallback;
  cb.lParam = LPARAM(&c);
  return SendMessageW(Wnd(), TVM_SORTCHILDRENCB, Recurse, LPARAM(&cb)) != 0;
}

// ---- TTreeNodes ----

TTreeNodes::TTreeNodes(TCustomTreeView* AOwner) : owner_(AOwner) {}

TTreeNodes::~TTreeNodes() = default;

HWND TTreeNodes::Wnd() const {
  return owner_->Handle();
}

TTreeNode* TTreeNodes::GetNode(HTREEITEM ItemId) const {
  if (!ItemId || !owner_->HandleAllocated()) return nullptr;
  TVITEMW it;
  it.mask = TVIF_PARAM | TVIF_HANDLE;
  it.hItem = ItemId;
  if (!SendMessageW(owner_->WindowHandle(), TVM_GETITEMW, 0, LPARAM(&it))) return nullptr;
  return reinterpret_cast<TTreeNode*>(it.lParam);
}

TTreeNode* TTreeNodes::InternalAdd(TTreeNode* Node, const std::string& S, const TTreeNodeFields& Fields,
                                   TNodeAttachMode Mode) {
  HWND h = Wnd();
  TVINSERTSTRUCTW ins;
  bool sorted = owner_->SortType() == stText || owner_->SortType() == stBoth;
  switch (Mode) {
    case naAdd:
    case naAddFirst:
      ins.hParent = Node ? Next(h, TVGN_PARENT, Node->item_) : TVI_ROOT;
      ins.hInsertAfter = Mode == naAdd ? TVI_LAST : TVI_FIRST;
      break;
    case naAddChild:
    case naAddChildFirst:
      ins.hParent = Node ? Node->item_ : TVI_ROOT;
      ins.hInsertAfter = Mode == naAddChild ? TVI_LAST : TVI_FIRST;
      break;
    case naInsert: {
      ins.hParent = Node ? Next(h, TVGN_PARENT, Node->item_) : TVI_ROOT;
      HTREEITEM prev = Node ? Next(h, TVGN_PREVIOUS, Node->item_) : nullptr;
      ins.hInsertAfter = Node ? (prev ? prev : TVI_FIRST) : TVI_LAST;
      break;
    }
  }
  if (!ins.hParent) ins.hParent = TVI_ROOT;
  if (sorted) ins.hInsertAfter = TVI_SORT;
  auto node = std::make_unique<TTreeNode>(this);
  node->text_ = S;
  node->data_ = Fields.Data;
  // The window asks for the image indexes when it paints (see SetImageIndex).
  node->imageIndex_ = Fields.ImageIndex;
  node->selectedIndex_ = Fields.SelectedIndex;
  std::u16string w = Utf8ToUtf16(S);
  ins.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
  if (Fields.HasChildren >= 0) {
    ins.item.mask |= TVIF_CHILDREN;
    ins.item.cChildren = Fields.HasChildren;
  }
  ins.item.pszText = w.data();
  ins.item.lParam = LPARAM(node.get());
  ins.item.iImage = I_IMAGECALLBACK;
  ins.item.iSelectedImage = I_IMAGECALLBACK;
  auto item = reinterpret_cast<HTREEITEM>(owner_->Perform(TVM_INSERTITEMW, 0, LPARAM(&ins)));
  if (!item) throw EInvalidOperation("Failed to create a tree node");
  TTreeNode* result = node.release();
  result->item_ = item;
  cacheIndex_ = -1;
  owner_->Added(result);
  return result;
}

TTreeNode* TTreeNodes::AddObject(TTreeNode* Sibling, const std::string& S, void* Ptr) {
  return InternalAdd(Sibling, S, Ptr, naAdd);
}
TTreeNode* TTreeNodes::AddFirst(TTreeNode* Sibling, const std::string& S) {
  return InternalAdd(Sibling, S, nullptr, naAddFirst);
}
TTreeNode* TTreeNodes::AddChildObject(TTreeNode* Parent, const std::string& S, void* Ptr) {
  return InternalAdd(Parent, S, Ptr, naAddChild);
}
TTreeNode* TTreeNodes::AddChildObject(TTreeNode* Parent, const std::string& S,
                                      const TTreeNodeFields& Fields) {
  return InternalAdd(Parent, S, Fields, naAddChild);
}
TTreeNode* TTreeNodes::AddChildFirst(TTreeNode* Parent, const std::string& S) {
  return InternalAdd(Parent, S, nullptr, naAddChildFirst);
}
TTreeNode* TTreeNodes::InsertObject(TTreeNode* Sibling, const std::string& S, void* Ptr) {
  return InternalAdd(Sibling, S, Ptr, naInsert);
}

void TTreeNodes::Delete(TTreeNode* Node) {
  if (Node) Node->Delete();
}

void TTreeNodes::Clear() {
  if (!owner_->HandleAllocated()) return owner_->FreeKeptNodes();
  BeginUpdate();
  SendMessageW(owner_->WindowHandle(), TVM_DELETEITEM, 0, LPARAM(TVI_ROOT));
  EndUpdate();
  cacheIndex_ = -1;
}

void TTreeNodes::BeginUpdate() {
  if (updateCount_++ == 0 && owner_->HandleAllocated())
    SendMessageW(owner_->WindowHandle(), WM_SETREDRAW, FALSE, 0);
}

void TTreeNodes::EndUpdate() {
  if (updateCount_ == 0 || --updateCount_ > 0) return;
  if (owner_->HandleAllocated()) SendMessageW(owner_->WindowHandle(), WM_SETREDRAW, TRUE, 0);
}

// Between two windows the nodes are counted where they wait.
int TTreeNodes::Count() const {
  if (!owner_->HandleAllocated()) return int(owner_->kept_.size());
  return int(SendMessageW(owner_->WindowHandle(), TVM_GETCOUNT, 0, 0));
}

TTreeNode* TTreeNodes::GetFirstNode() const {
  if (!owner_->HandleAllocated()) return owner_->kept_.empty() ? nullptr : owner_->kept_.front().Node;
  return GetNode(Next(owner_->WindowHandle(), TVGN_ROOT, nullptr));
}

TTreeNode* TTreeNodes::Item(int Index) const {
  TTreeNode* n = nullptr;
  int i = 0;
  // Walks from the last node found when the index lies after it.
  if (cacheNode_ && cacheIndex_ >= 0 && Index >= cacheIndex_) {
    n = cacheNode_;
    i = cacheIndex_;
  } else {
    n = GetFirstNode();
  }
  for (; n && i < Index; ++i) n = n->GetNext();
  if (!n || Index < 0) throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  cacheNode_ = n;
  cacheIndex_ = Index;
  return n;
}

}  // namespace qv
