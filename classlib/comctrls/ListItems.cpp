// TListColumn(s) and TListItem(s): the class-library face of the list
// view's columns and rows. Items keep their caption, sub-items and data and
// push every change to the window.
#include <algorithm>
#include <string_view>

#include "classlib/Object.h"
#include "classlib/comctrls/ListView.h"
#include "platform/Utf.h"
#include "platform/window/MessageQueue.h"

namespace qv {

// ---- columns ----

TListColumn::TListColumn(TCollection* Collection) : TCollectionItem(nullptr) {
  // Joins after the fields are set, so the window column is made whole.
  SetCollection(Collection);
}

TCustomListView* TListColumn::View() const {
  auto* c = static_cast<TListColumns*>(Collection());
  return c ? c->Owner() : nullptr;
}

void TListColumn::Send() const {
  TCustomListView* v = View();
  if (!v || !v->HandleAllocated()) return;
  std::u16string text = Utf8ToUtf16(caption_);
  LVCOLUMNW c;
  c.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_IMAGE;
  c.pszText = text.data();
  c.cx = width_;
  c.fmt = alignment_ == taRightJustify ? LVCFMT_RIGHT : alignment_ == taCenter ? LVCFMT_CENTER : LVCFMT_LEFT;
  if (imageIndex_ >= 0) c.fmt |= LVCFMT_IMAGE;
  c.iImage = imageIndex_;
  SendMessageW(v->WindowHandle(), LVM_SETCOLUMNW, WPARAM(Index()), LPARAM(&c));
}

void TListColumn::SetCaption(const std::string& Value) {
  caption_ = Value;
  Send();
}

int TListColumn::Width() const {
  TCustomListView* v = View();
  if (v && v->HandleAllocated())
    return int(SendMessageW(v->WindowHandle(), LVM_GETCOLUMNWIDTH, WPARAM(Index()), 0));
  return width_;
}

void TListColumn::SetWidth(int Value) {
  width_ = Value;
  TCustomListView* v = View();
  if (v && v->HandleAllocated())
    SendMessageW(v->WindowHandle(), LVM_SETCOLUMNWIDTH, WPARAM(Index()), MAKELPARAM(Value, 0));
  if (v && v->HandleAllocated()) width_ = Width();
}

void TListColumn::SetAlignment(TAlignment Value) {
  alignment_ = Value;
  Send();
}

void TListColumn::SetImageIndex(int Value) {
  imageIndex_ = Value;
  Send();
}

TListColumns::TListColumns(TCustomListView* AOwner)
    : TCollection(TCollection::ItemClass<TListColumn>(), AOwner), owner_(AOwner) {}

void TListColumns::Notify(TCollectionItem* Item, TCollectionNotification Action) {
  TCollection::Notify(Item, Action);
  if (!owner_->HandleAllocated()) return;
  HWND h = owner_->WindowHandle();
  if (Action == cnAdded) {
    LVCOLUMNW c;
    c.mask = LVCF_WIDTH | LVCF_TEXT;
    c.cx = static_cast<TListColumn*>(Item)->width_;
    char16_t empty[1] = {0};
    c.pszText = empty;
    SendMessageW(h, LVM_INSERTCOLUMNW, WPARAM(Item->Index()), LPARAM(&c));
    static_cast<TListColumn*>(Item)->Send();
  } else if (Action == cnDeleting || Action == cnExtracting) {
    SendMessageW(h, LVM_DELETECOLUMN, WPARAM(Item->Index()), 0);
  }
}

namespace {

// A text widened for the window. Short plain-ASCII texts, nearly all of a
// list's, are widened inside the object rather than onto the heap: filling
// a list of 100,000 rows of four columns sends 400,000 of them.
class WindowText {
 public:
  explicit WindowText(std::string_view utf8) {
    if (utf8.size() < kInline &&
        std::all_of(utf8.begin(), utf8.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
      std::copy(utf8.begin(), utf8.end(), inline_);
      inline_[utf8.size()] = 0;
      text_ = inline_;
    } else {
      heap_ = Utf8ToUtf16(utf8);
      text_ = heap_.data();
    }
  }
  WindowText(const WindowText&) = delete;
  WindowText& operator=(const WindowText&) = delete;
  char16_t* data() { return text_; }

 private:
  static constexpr std::size_t kInline = 64;
  char16_t inline_[kInline];
  std::u16string heap_;
  char16_t* text_;
};

}  // namespace

// ---- sub-items: strings that mirror themselves into the window ----

class TSubItems : public TStrings {
 public:
  explicit TSubItems(TListItem* Owner) : owner_(Owner) {}
  int Count() const override { return int(list_.size()); }
  std::string Strings(int Index) const override {
    Check(Index);
    return list_[size_t(Index)].text;
  }
  void SetStrings(int Index, const std::string& S) override {
    Check(Index);
    list_[size_t(Index)].text = S;
    Push(Index);
  }
  TObject* Objects(int Index) const override {
    Check(Index);
    return list_[size_t(Index)].object;
  }
  void SetObjects(int Index, TObject* AObject) override {
    Check(Index);
    list_[size_t(Index)].object = AObject;
  }
  void Insert(int Index, const std::string& S) override {
    if (Index < 0 || Index > Count())
      throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    if (list_.empty()) {
      // Sub-items come one after another, most often one for each column
      // after the first: room for those at once.
      list_.reserve(std::size_t(std::max(1, owner_->ListView()->Columns()->Count() - 1)));
    }
    list_.insert(list_.begin() + Index, Entry{S, nullptr});
    for (int i = Index; i < Count(); ++i) Push(i);
  }
  void Delete(int Index) override {
    Check(Index);
    list_.erase(list_.begin() + Index);
    for (int i = Index; i < Count(); ++i) Push(i);
    PushText(Count(), "");
  }
  void Clear() override {
    int n = Count();
    list_.clear();
    for (int i = 0; i < n; ++i) PushText(i, "");
  }

 private:
  void Check(int Index) const {
    if (Index < 0 || Index >= Count())
      throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  }
  void Push(int Index) { PushText(Index, list_[size_t(Index)].text); }
  void PushText(int Index, std::string_view utf8) {
    TCustomListView* v = owner_->ListView();
    if (!v->HandleAllocated() || v->OwnerData() || v->Items()->updateCount_ < 0) return;
    int row = owner_->Index();
    if (row < 0) return;
    WindowText text(utf8);
    LVITEMW it;
    it.iSubItem = Index + 1;
    it.pszText = text.data();
    v->Perform(LVM_SETITEMTEXTW, WPARAM(row), LPARAM(&it));
  }
  struct Entry {
    std::string text;
    TObject* object;
  };
  TListItem* owner_;
  std::vector<Entry> list_;  // one block for the texts and their objects
};

// ---- items ----

TListItem::TListItem(TListItems* AOwner) : owner_(AOwner), subItems_(std::make_unique<TSubItems>(this)) {}

TListItem::~TListItem() = default;

TCustomListView* TListItem::ListView() const {
  return owner_->Owner();
}

int TListItem::Index() const {
  return owner_->IndexOf(this);
}

void TListItem::SetCaption(const std::string& Value) {
  caption_ = Value;
  TCustomListView* v = ListView();
  if (!v->HandleAllocated() || v->OwnerData()) return;
  WindowText text(Value);
  LVITEMW it;
  it.pszText = text.data();
  v->Perform(LVM_SETITEMTEXTW, WPARAM(Index()), LPARAM(&it));
  if (v->SortType() == stText || v->SortType() == stBoth) {
    // While the list is being filled, it is sorted once at the end.
    if (owner_->updateCount_ > 0)
      owner_->sortPending_ = true;
    else
      v->AlphaSort();
  }
}

void TListItem::SetImageIndex(int Value) {
  imageIndex_ = Value;
  TCustomListView* v = ListView();
  if (!v->HandleAllocated() || v->OwnerData()) return;
  LVITEMW it;
  it.mask = LVIF_IMAGE;
  it.iItem = Index();
  it.iImage = Value;
  SendMessageW(v->WindowHandle(), LVM_SETITEMW, 0, LPARAM(&it));
}

UINT TListItem::State(UINT mask) const {
  TCustomListView* v = ListView();
  int i = Index();
  if (!v->HandleAllocated() || i < 0) return 0;
  return UINT(SendMessageW(v->WindowHandle(), LVM_GETITEMSTATE, WPARAM(i), LPARAM(mask)));
}

void TListItem::SetState(UINT state, UINT mask) {
  TCustomListView* v = ListView();
  int i = Index();
  if (i < 0) return;
  LVITEMW it;
  it.state = state;
  it.stateMask = mask;
  SendMessageW(v->Handle(), LVM_SETITEMSTATE, WPARAM(i), LPARAM(&it));
}

int TListItem::StateIndex() const {
  return int(State(LVIS_STATEIMAGEMASK) >> 12);
}
void TListItem::SetStateIndex(int Value) {
  SetState(INDEXTOSTATEIMAGEMASK(std::max(0, Value)), LVIS_STATEIMAGEMASK);
}
bool TListItem::Selected() const {
  return State(LVIS_SELECTED);
}
void TListItem::SetSelected(bool Value) {
  SetState(Value ? LVIS_SELECTED : 0, LVIS_SELECTED);
}
bool TListItem::Focused() const {
  return State(LVIS_FOCUSED);
}
void TListItem::SetFocused(bool Value) {
  SetState(Value ? LVIS_FOCUSED : 0, LVIS_FOCUSED);
}

void TListItem::Delete() {
  int i = Index();
  if (i >= 0) owner_->Delete(i);
}

void TListItem::MakeVisible(bool) {
  SendMessageW(ListView()->Handle(), LVM_ENSUREVISIBLE, WPARAM(Index()), FALSE);
}

RECT TListItem::DisplayRect(int Code) const {
  RECT r;
  r.left = Code;
  if (!SendMessageW(ListView()->Handle(), LVM_GETITEMRECT, WPARAM(Index()), LPARAM(&r))) r = RECT{};
  return r;
}

bool TListItem::EditCaption() {
  return SendMessageW(ListView()->Handle(), LVM_EDITLABELW, WPARAM(Index()), 0) != 0;
}

void TListItem::Update() {
  int i = Index();
  SendMessageW(ListView()->Handle(), LVM_REDRAWITEMS, WPARAM(i), LPARAM(i));
}

TListItems::TListItems(TCustomListView* AOwner) : owner_(AOwner) {}

TListItems::~TListItems() {
  for (TListItem* i : items_) delete i;
}

HWND TListItems::Wnd() const {
  return owner_->Handle();
}

void TListItems::Renumber(int from) const {
  for (size_t i = size_t(std::max(from, 0)); i < items_.size(); ++i) items_[i]->index_ = int(i);
}

int TListItems::IndexOf(const TListItem* Value) const {
  if (!Value) return -1;
  if (Value == temp_.get()) return Value->index_;
  int hint = Value->index_;
  if (hint >= 0 && size_t(hint) < items_.size() && items_[size_t(hint)] == Value) return hint;
  auto it = std::find(items_.begin(), items_.end(), Value);
  if (it == items_.end()) return -1;
  Renumber(0);
  return int(it - items_.begin());
}

TListItem* TListItems::Insert(int Index) {
  return AddItem(nullptr, Index);
}

TListItem* TListItems::AddItem(TListItem* Item, int Index) {
  if (owner_->OwnerData()) return nullptr;
  Wnd();  // the window first: the row goes straight to it
  int n = int(items_.size());
  if (Index < 0 || Index > n) Index = n;
  std::unique_ptr<TListItem> item(Item ? Item : new TListItem(this));
  item->owner_ = this;
  WindowText text(item->caption_);
  LVITEMW it;
  it.mask = LVIF_TEXT | LVIF_PARAM | LVIF_IMAGE;
  it.iItem = Index;
  it.pszText = text.data();
  it.lParam = LPARAM(item.get());
  it.iImage = item->imageIndex_;
  // The row is placed before the object is known to the list: the insert
  // notice comes once both are in place.
  items_.insert(items_.begin() + Index, item.get());
  item->index_ = Index;
  int row = int(owner_->Perform(LVM_INSERTITEMW, 0, LPARAM(&it)));
  if (row < 0) {
    items_.erase(items_.begin() + Index);
    Renumber(Index);
    throw EInvalidOperation("Failed to create a list item");
  }
  if (row != Index) {  // a sorted list chose the place
    items_.erase(items_.begin() + Index);
    items_.insert(items_.begin() + row, item.get());
    Renumber(std::min(row, Index));
  } else if (Index < n) {
    Renumber(Index);
  }
  TListItem* result = item.release();
  for (int i = 0; i < result->subItems_->Count(); ++i)
    result->subItems_->SetStrings(i, result->subItems_->Strings(i));
  return result;
}

void TListItems::Resend() {
  HWND h = Wnd();
  for (size_t i = 0; i < items_.size(); ++i) {
    TListItem* item = items_[i];
    std::u16string text = Utf8ToUtf16(item->caption_);
    LVITEMW it;
    it.mask = LVIF_TEXT | LVIF_PARAM | LVIF_IMAGE;
    it.iItem = int(i);
    it.pszText = text.data();
    it.lParam = LPARAM(item);
    it.iImage = item->imageIndex_;
    item->index_ = int(i);
    SendMessageW(h, LVM_INSERTITEMW, 0, LPARAM(&it));
    for (int k = 0; k < item->subItems_->Count(); ++k)
      item->subItems_->SetStrings(k, item->subItems_->Strings(k));
  }
}

void TListItems::Delete(int Index) {
  if (owner_->OwnerData() || Index < 0 || Index >= Count()) return;
  SendMessageW(Wnd(), LVM_DELETEITEM, WPARAM(Index), 0);
}

void TListItems::Clear() {
  if (!owner_->HandleAllocated()) {
    for (TListItem* i : items_) delete i;
    items_.clear();
    return;
  }
  BeginUpdate();
  SendMessageW(owner_->WindowHandle(), LVM_DELETEALLITEMS, 0, 0);
  EndUpdate();
}

int TListItems::Count() const {
  if (owner_->OwnerData())
    return owner_->HandleAllocated() ? int(SendMessageW(owner_->WindowHandle(), LVM_GETITEMCOUNT, 0, 0)) : 0;
  return int(items_.size());
}

void TListItems::SetCount(int Value) {
  if (owner_->OwnerData()) SendMessageW(Wnd(), LVM_SETITEMCOUNT, WPARAM(std::max(Value, 0)), 0);
}

TListItem* TListItems::Item(int Index) const {
  if (owner_->OwnerData()) {
    if (Index < 0 || Index >= Count())
      throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    if (!temp_) temp_ = std::make_unique<TListItem>(const_cast<TListItems*>(this));
    temp_->index_ = Index;
    temp_->caption_.clear();
    temp_->imageIndex_ = -1;
    temp_->data_ = nullptr;
    int saved = const_cast<TListItems*>(this)->updateCount_;
    const_cast<TListItems*>(this)->updateCount_ = -1;  // filling the shared item changes no row
    temp_->subItems_->Clear();
    if (owner_->OnData) owner_->OnData(owner_, temp_.get());
    const_cast<TListItems*>(this)->updateCount_ = saved;
    return temp_.get();
  }
  if (Index < 0 || Index >= Count())
    throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return items_[size_t(Index)];
}

void TListItems::BeginUpdate() {
  if (updateCount_++ == 0 && owner_->HandleAllocated())
    SendMessageW(owner_->WindowHandle(), WM_SETREDRAW, FALSE, 0);
}

void TListItems::EndUpdate() {
  if (updateCount_ <= 0 || --updateCount_ > 0) return;
  if (sortPending_) {
    sortPending_ = false;
    owner_->AlphaSort();
  }
  if (owner_->HandleAllocated()) SendMessageW(owner_->WindowHandle(), WM_SETREDRAW, TRUE, 0);
}

}  // namespace qv
