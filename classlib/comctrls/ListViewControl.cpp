// TCustomListView: the window styles its properties stand for, the columns
// and images handed to each new window, and the events raised from the list
// view's notifications.
#include <algorithm>

#include "classlib/comctrls/ListView.h"
#include "classlib/controls/ControlMessages.h"
#include "classlib/graphics/Brush.h"
#include "classlib/graphics/Canvas.h"
#include "classlib/graphics/Font.h"
#include "platform/Utf.h"
#include "platform/window/MessageQueue.h"

namespace qv {

namespace {
constexpr DWORD kViewStyles[] = {LVS_ICON, LVS_SMALLICON, LVS_LIST, LVS_REPORT};
}

TCustomListView::TCustomListView(TComponent* AOwner)
    : TWinControl(AOwner),
      columns_(std::make_unique<TListColumns>(this)),
      items_(std::make_unique<TListItems>(this)),
      canvas_(std::make_unique<TCanvas>()),
      largeImages_(this, LVM_SETIMAGELIST, LVSIL_NORMAL),
      smallImages_(this, LVM_SETIMAGELIST, LVSIL_SMALL),
      stateImages_(this, LVM_SETIMAGELIST, LVSIL_STATE) {
  ControlStyle() = TControlStyle{csCaptureMouse, csClickEvents, csDoubleClicks};
  SetBounds(Left(), Top(), 250, 150);
  SetTabStop(true);
  SetParentColor(false);
  SetColor(clWindow);
}

TCustomListView::~TCustomListView() {
  if (HandleAllocated()) {
    clearing_ = true;
    SendMessageW(WindowHandle(), LVM_DELETEALLITEMS, 0, 0);
  }
}

DWORD TCustomListView::ListStyle() const {
  DWORD s = kViewStyles[viewStyle_];
  if (!readOnly_) s |= LVS_EDITLABELS;
  if (!hideSelection_) s |= LVS_SHOWSELALWAYS;
  if (!multiSelect_) s |= LVS_SINGLESEL;
  if (!columnClick_) s |= LVS_NOSORTHEADER;
  if (!showColumnHeaders_) s |= LVS_NOCOLUMNHEADER;
  if (ownerData_) s |= LVS_OWNERDATA;
  return s;
}

void TCustomListView::FrameStyle(DWORD& Style, DWORD& ExStyle) const {
  if (borderStyle_ == bsSingle) ExStyle |= WS_EX_CLIENTEDGE;
  (void)Style;
}

void TCustomListView::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateCommonSubClass(Params, WC_LISTVIEW);
  Params.Style |= ListStyle() | WS_CLIPCHILDREN;
  FrameStyle(Params.Style, Params.ExStyle);
}

void TCustomListView::SendColumns() {
  HWND h = WindowHandle();
  for (int i = 0; i < columns_->Count(); ++i) {
    LVCOLUMNW c;
    c.mask = LVCF_WIDTH;
    c.cx = columns_->Items(i)->width_;
    SendMessageW(h, LVM_INSERTCOLUMNW, WPARAM(i), LPARAM(&c));
    columns_->Items(i)->Send();
  }
}

void TCustomListView::CreateWnd() {
  TWinControl::CreateWnd();
  HWND h = WindowHandle();
  SendMessageW(h, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LPARAM(ext_));
  largeImages_.Resend();
  smallImages_.Resend();
  stateImages_.Resend();
  SendColumns();
  // A window made anew (a style change) gets the rows of the one it replaces.
  if (ownerData_) {
    if (savedOwnerCount_ > 0) SendMessageW(h, LVM_SETITEMCOUNT, WPARAM(savedOwnerCount_), 0);
  } else if (items_->Count() > 0) {
    items_->Resend();
  }
  savedOwnerCount_ = 0;
}

void TCustomListView::DestroyWnd() {
  if (ownerData_ && HandleAllocated())
    savedOwnerCount_ = int(SendMessageW(WindowHandle(), LVM_GETITEMCOUNT, 0, 0));
  TWinControl::DestroyWnd();
}

void TCustomListView::ApplyStyle() {
  if (!HandleAllocated()) return;
  DWORD mask = LVS_TYPEMASK | LVS_EDITLABELS | LVS_SHOWSELALWAYS | LVS_SINGLESEL | LVS_NOSORTHEADER |
               LVS_NOCOLUMNHEADER | LVS_OWNERDATA;
  ChangeWindowStyle(WindowHandle(), mask, ListStyle());
}

void TCustomListView::SetExt(DWORD flag, bool on) {
  ext_ = on ? ext_ | flag : ext_ & ~flag;
  if (HandleAllocated())
    SendMessageW(WindowHandle(), LVM_SETEXTENDEDLISTVIEWSTYLE, flag, LPARAM(on ? flag : 0));
}

void TCustomListView::ChangeScale(int M, int D) {
  if (M == D || D <= 0) return;
  for (int i = 0; i < columns_->Count(); ++i) {
    TListColumn* c = columns_->Items(i);
    // A negative width asks the list to fit the column: nothing to scale.
    if (c->Width() > 0) c->SetWidth(MulDiv(c->Width(), M, D));
  }
  TWinControl::ChangeScale(M, D);
}

void TCustomListView::SetViewStyle(TViewStyle Value) {
  viewStyle_ = Value;
  ApplyStyle();
}

void TCustomListView::SetOwnerData(bool Value) {
  if (ownerData_ == Value) return;
  items_->Clear();
  ownerData_ = Value;
  ApplyStyle();
}

void TCustomListView::SetBorderStyle(TBorderStyle Value) {
  if (borderStyle_ == Value) return;
  borderStyle_ = Value;
  if (HandleAllocated()) SetClientEdge(WindowHandle(), Value == bsSingle);
}

void TCustomListView::SetSortType(TSortType Value) {
  if (sortType_ == Value) return;
  sortType_ = Value;
  if (Value != stNone && HandleAllocated()) AlphaSort();
}

void TCustomListView::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation == opRemove) {
    largeImages_.Forget(AComponent);
    smallImages_.Forget(AComponent);
    stateImages_.Forget(AComponent);
  }
}

TListItem* TCustomListView::ItemOf(int index) const {
  if (index < 0 || index >= items_->Count()) return nullptr;
  return items_->Item(index);
}

TListItem* TCustomListView::Selected() const {
  if (!HandleAllocated()) return nullptr;
  return ItemOf(int(SendMessageW(WindowHandle(), LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED)));
}

void TCustomListView::SetSelected(TListItem* Value) {
  HWND h = Handle();
  // With owner data Value is the one shared row object, which the notices of
  // the rows let go re-aim at those rows: its row is taken first.
  const int ownerRow = Value && ownerData_ ? Value->Index() : -1;
  LVITEMW it;
  it.stateMask = LVIS_SELECTED;
  it.state = 0;
  SendMessageW(h, LVM_SETITEMSTATE, WPARAM(-1), LPARAM(&it));
  if (!Value) return;
  const int row = ownerData_ ? ownerRow : Value->Index();
  if (row < 0) return;
  for (UINT state : {UINT(LVIS_SELECTED), UINT(LVIS_FOCUSED)}) {
    it.stateMask = it.state = state;
    SendMessageW(h, LVM_SETITEMSTATE, WPARAM(row), LPARAM(&it));
  }
  SendMessageW(h, LVM_ENSUREVISIBLE, WPARAM(row), FALSE);
}

TListItem* TCustomListView::ItemFocused() const {
  if (!HandleAllocated()) return nullptr;
  return ItemOf(int(SendMessageW(WindowHandle(), LVM_GETNEXTITEM, WPARAM(-1), LVNI_FOCUSED)));
}

void TCustomListView::SetItemFocused(TListItem* Value) {
  if (Value) Value->SetFocused(true);
}

int TCustomListView::ItemIndex() const {
  if (!HandleAllocated()) return -1;
  return int(SendMessageW(WindowHandle(), LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED));
}

void TCustomListView::SetItemIndex(int Value) {
  SetSelected(ItemOf(Value));
}

int TCustomListView::SelCount() const {
  return HandleAllocated() ? int(SendMessageW(WindowHandle(), LVM_GETSELECTEDCOUNT, 0, 0)) : 0;
}

TListItem* TCustomListView::TopItem() const {
  if (!HandleAllocated()) return nullptr;
  return ItemOf(int(SendMessageW(WindowHandle(), LVM_GETTOPINDEX, 0, 0)));
}

int TCustomListView::VisibleRowCount() const {
  return HandleAllocated() ? int(SendMessageW(WindowHandle(), LVM_GETCOUNTPERPAGE, 0, 0)) : 0;
}

TListItem* TCustomListView::GetItemAt(int X, int Y) const {
  LVHITTESTINFO info;
  info.pt = POINT{X, Y};
  HWND h = const_cast<TCustomListView*>(this)->Handle();
  int i = int(SendMessageW(h, LVM_HITTEST, 0, LPARAM(&info)));
  return (info.flags & LVHT_ONITEM) ? ItemOf(i) : nullptr;
}

TListItem* TCustomListView::FindCaption(int StartIndex, const std::string& Value, bool Partial,
                                        bool Inclusive, bool Wrap) const {
  std::u16string text = Utf8ToUtf16(Value);
  LVFINDINFOW f;
  f.flags = LVFI_STRING | (Partial ? LVFI_PARTIAL : 0) | (Wrap ? LVFI_WRAP : 0);
  f.psz = text.c_str();
  HWND h = const_cast<TCustomListView*>(this)->Handle();
  return ItemOf(
      int(SendMessageW(h, LVM_FINDITEMW, WPARAM(Inclusive ? StartIndex - 1 : StartIndex), LPARAM(&f))));
}

TListItem* TCustomListView::FindData(int StartIndex, void* Value, bool Inclusive, bool Wrap) const {
  int n = items_->Count();
  int first = Inclusive ? StartIndex : StartIndex + 1;
  for (int k = 0; k < n; ++k) {
    int i = first + k;
    if (i >= n) {
      if (!Wrap) break;
      i -= n;
    }
    if (i >= 0 && items_->Item(i)->Data() == Value) return items_->Item(i);
  }
  return nullptr;
}

namespace {

struct ListSortContext {
  TLVCompare compare;
  LPARAM data;
};

int ListSortCallback(LPARAM a, LPARAM b, LPARAM context) {
  auto* c = reinterpret_cast<ListSortContext*>(context);
  return c->compare(reinterpret_cast<TListItem*>(a), reinterpret_cast<TListItem*>(b), c->data);
}

}  // namespace

bool TCustomListView::AlphaSort() {
  return CustomSort(nullptr, 0);
}

bool TCustomListView::CustomSort(TLVCompare SortProc, LPARAM Data) {
  if (ownerData_ || !HandleAllocated()) return false;
  if (!SortProc) {
    SortProc = [this](TListItem* a, TListItem* b, LPARAM data) {
      int r = 0;
      if (OnCompare)
        OnCompare(this, a, b, int(data), r);
      else if (sortType_ == stData)
        r = a->Data() < b->Data() ? -1 : a->Data() > b->Data() ? 1 : 0;
      else
        r = comctl::CompareText(Utf8ToUtf16(a->Caption()), Utf8ToUtf16(b->Caption()));
      return r;
    };
  }
  ListSortContext c{std::move(SortProc), Data};
  HWND h = WindowHandle();
  bool ok = SendMessageW(h, LVM_SORTITEMS, WPARAM(&c), LPARAM(ListSortCallback)) != 0;
  // The rows moved: the objects follow them.
  auto& v = items_->items_;
  for (size_t i = 0; i < v.size(); ++i) {
    LVITEMW it;
    it.mask = LVIF_PARAM;
    it.iItem = int(i);
    SendMessageW(h, LVM_GETITEMW, 0, LPARAM(&it));
    v[i] = reinterpret_cast<TListItem*>(it.lParam);
  }
  items_->Renumber(0);
  return ok;
}

void TCustomListView::Scroll(int DX, int DY) {
  SendMessageW(Handle(), LVM_SCROLL, WPARAM(DX), LPARAM(DY));
}

void TCustomListView::Arrange() {
  SendMessageW(Handle(), LVM_ARRANGE, LVA_DEFAULT, 0);
}

bool TCustomListView::IsEditing() const {
  return HandleAllocated() && SendMessageW(WindowHandle(), LVM_GETEDITCONTROL, 0, 0) != 0;
}

int TCustomListView::StringWidth(const std::string& S) const {
  std::u16string text = Utf8ToUtf16(S);
  HWND h = const_cast<TCustomListView*>(this)->Handle();
  return int(SendMessageW(h, LVM_GETSTRINGWIDTHW, 0, LPARAM(text.c_str())));
}

bool TCustomListView::CanChange(TListItem* Item, TItemChange Change) {
  bool allow = true;
  if (OnChanging) OnChanging(this, Item, Change, allow);
  return allow;
}

void TCustomListView::Change(TListItem* Item, TItemChange Change) {
  if (OnChange) OnChange(this, Item, Change);
}

bool TCustomListView::CanEdit(TListItem* Item) {
  bool allow = !readOnly_;
  if (allow && OnEditing) OnEditing(this, Item, allow);
  return allow;
}

void TCustomListView::Edit(const LVITEMW& Item) {
  TListItem* item = ItemOf(Item.iItem);
  if (!item || !Item.pszText) return;
  std::string s = Utf16ToUtf8(Item.pszText);
  if (OnEdited) OnEdited(this, item, s);
  // The handler may have deleted the item.
  if (!ownerData_ && items_->IndexOf(item) >= 0) item->SetCaption(s);
}

void TCustomListView::Delete(TListItem* Item) {
  if (OnDeletion) OnDeletion(this, Item);
}

LRESULT TCustomListView::CustomDraw(NMLVCUSTOMDRAW* cd) {
  if (!OnCustomDraw && !OnCustomDrawItem && !OnCustomDrawSubItem) return CDRF_DODEFAULT;
  bool defaultDraw = true;
  canvas_->SetHandle(cd->nmcd.hdc);
  LRESULT result = CDRF_DODEFAULT;
  DWORD stage = cd->nmcd.dwDrawStage;
  if (stage == CDDS_PREPAINT) {
    if (OnCustomDraw) OnCustomDraw(this, cd->nmcd.rc, defaultDraw);
    result = !defaultDraw                                ? CDRF_SKIPDEFAULT
             : (OnCustomDrawItem || OnCustomDrawSubItem) ? CDRF_NOTIFYITEMDRAW
                                                         : CDRF_DODEFAULT;
  } else if (stage == CDDS_ITEMPREPAINT || stage == (CDDS_ITEMPREPAINT | CDDS_SUBITEM)) {
    TListItem* item = ItemOf(int(cd->nmcd.dwItemSpec));
    TCustomDrawState state = CustomDrawState(cd->nmcd.uItemState);
    CustomDrawItemColours(canvas_.get(), cd->clrText, cd->clrTextBk, [&] {
      if (item && stage == CDDS_ITEMPREPAINT && OnCustomDrawItem)
        OnCustomDrawItem(this, item, state, defaultDraw);
      if (item && stage != CDDS_ITEMPREPAINT && OnCustomDrawSubItem)
        OnCustomDrawSubItem(this, item, cd->iSubItem, state, defaultDraw);
    });
    result = !defaultDraw ? CDRF_SKIPDEFAULT : CDRF_NEWFONT;
    if (defaultDraw && stage == CDDS_ITEMPREPAINT && OnCustomDrawSubItem) result |= CDRF_NOTIFYSUBITEMDRAW;
  }
  canvas_->SetHandle(nullptr);
  return result;
}

void TCustomListView::Notify(TMessage& M) {
  auto* hdr = reinterpret_cast<NMHDR*>(M.LParam);
  auto* nm = reinterpret_cast<NMLISTVIEW*>(M.LParam);
  M.Result = 0;
  switch (hdr->code) {
    case LVN_ITEMCHANGING: {
      if (!(nm->uChanged & LVIF_STATE)) return;
      TListItem* item = ItemOf(nm->iItem);
      if (item) M.Result = !CanChange(item, ctState);
      return;
    }
    case LVN_ITEMCHANGED: {
      if (!(nm->uChanged & LVIF_STATE)) return;
      TListItem* item = ItemOf(nm->iItem);
      auto alive = AliveToken();
      Change(item, ctState);
      if (alive.expired()) return;
      if (((nm->uOldState ^ nm->uNewState) & LVIS_SELECTED) && OnSelectItem)
        OnSelectItem(this, ItemOf(nm->iItem), nm->uNewState & LVIS_SELECTED);
      return;
    }
    case LVN_INSERTITEM:
      if (OnInsert) OnInsert(this, ItemOf(nm->iItem));
      return;
    case LVN_DELETEITEM: {
      auto* item = reinterpret_cast<TListItem*>(nm->lParam);
      if (!item || ownerData_) return;
      Delete(item);
      if (clearing_) return;  // the objects go together after the rows
      int i = items_->IndexOf(item);
      if (i >= 0) {
        items_->items_.erase(items_->items_.begin() + i);
        items_->Renumber(i);
      }
      delete item;
      return;
    }
    case LVN_DELETEALLITEMS: {
      // Without a deletion event the rows go at once; with one each row is told.
      M.Result = OnDeletion ? 0 : 1;
      clearing_ = true;
      return;
    }
    case LVN_COLUMNCLICK:
      if (OnColumnClick && nm->iSubItem >= 0 && nm->iSubItem < columns_->Count())
        OnColumnClick(this, columns_->Items(nm->iSubItem));
      return;
    case LVN_BEGINLABELEDITW: {
      auto* di = reinterpret_cast<NMLVDISPINFOW*>(M.LParam);
      M.Result = !CanEdit(ItemOf(di->item.iItem));
      return;
    }
    case LVN_ENDLABELEDITW:
      Edit(reinterpret_cast<NMLVDISPINFOW*>(M.LParam)->item);
      M.Result = 0;
      return;
    case LVN_GETDISPINFOW: {
      auto* di = reinterpret_cast<NMLVDISPINFOW*>(M.LParam);
      if (!ownerData_) return;
      TListItem* item = ItemOf(di->item.iItem);
      if (!item) return;
      if (di->item.mask & LVIF_TEXT) {
        std::string text = di->item.iSubItem == 0 ? item->Caption()
                           : di->item.iSubItem - 1 < item->SubItems()->Count()
                               ? item->SubItems()->Strings(di->item.iSubItem - 1)
                               : std::string();
        comctl::CopyText(Utf8ToUtf16(text), di->item.pszText, di->item.cchTextMax);
      }
      if (di->item.mask & LVIF_IMAGE) di->item.iImage = item->ImageIndex();
      return;
    }
    case LVN_ODFINDITEMW: {
      auto* f = reinterpret_cast<NMLVFINDITEMW*>(M.LParam);
      int index = -1;
      if (OnDataFind) {
        TItemFind kind = (f->lvfi.flags & LVFI_PARAM)     ? ifData
                         : (f->lvfi.flags & LVFI_PARTIAL) ? ifPartialString
                         : (f->lvfi.flags & LVFI_STRING)  ? ifExactString
                                                          : ifNearest;
        std::string text = f->lvfi.psz ? Utf16ToUtf8(f->lvfi.psz) : std::string();
        OnDataFind(this, kind, text, f->lvfi.pt, reinterpret_cast<void*>(f->lvfi.lParam), f->iStart, sdAll,
                   f->lvfi.flags & LVFI_WRAP, index);
      }
      M.Result = index;
      return;
    }
    case NM_CUSTOMDRAW:
      M.Result = CustomDraw(reinterpret_cast<NMLVCUSTOMDRAW*>(M.LParam));
      return;
  }
}

void TCustomListView::Dispatch(TMessage& M) {
  if (M.Msg == CN_NOTIFY) {
    Notify(M);
    return;
  }
  if (M.Msg == LVM_DELETEALLITEMS && !ownerData_) {
    // Frees the objects once the rows are gone.
    TWinControl::Dispatch(M);
    bool wasClearing = clearing_;
    clearing_ = false;
    if (wasClearing || M.Result) {
      for (TListItem* i : items_->items_) delete i;
      items_->items_.clear();
    }
    return;
  }
  TWinControl::Dispatch(M);
}

}  // namespace qv
