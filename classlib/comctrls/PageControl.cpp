// TPageControl and TTabSheet.
#include "classlib/comctrls/PageControl.h"

#include <algorithm>

#include "classlib/controls/Forms.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"

namespace qv {

// ---- sheets ----

TTabSheet::TTabSheet(TComponent* AOwner) : TWinControl(AOwner) {
  ControlStyle() = TControlStyle{csAcceptsControls};
  SetColor(clBtnFace);
  SetAlign(alClient);
  SetVisible(false);
}

TTabSheet::~TTabSheet() {
  if (pageControl_) pageControl_->RemovePage(this);
}

void TTabSheet::SetPageControl(TPageControl* Value) {
  if (pageControl_ == Value) return;
  if (pageControl_) pageControl_->RemovePage(this);
  pageControl_ = Value;
  SetParent(Value);
  if (Value) Value->InsertPage(this);
}

int TTabSheet::PageIndex() const {
  if (!pageControl_) return -1;
  auto& p = pageControl_->pages_;
  return int(std::find(p.begin(), p.end(), this) - p.begin());
}

void TTabSheet::SetPageIndex(int Value) {
  if (pageControl_) pageControl_->MovePage(this, Value);
}

void TTabSheet::SetImageIndex(int Value) {
  imageIndex_ = Value;
  if (pageControl_) pageControl_->PagesChanged();
}

void TTabSheet::SetTabVisible(bool Value) {
  if (tabVisible_ == Value) return;
  tabVisible_ = Value;
  if (pageControl_) pageControl_->PagesChanged();
}

int TTabSheet::TabIndex() const {
  if (!pageControl_ || !tabVisible_) return -1;
  int n = 0;
  for (TTabSheet* p : pageControl_->pages_) {
    if (p == this) return n;
    if (p->tabVisible_) ++n;
  }
  return -1;
}

void TTabSheet::Dispatch(TMessage& M) {
  TWinControl::Dispatch(M);
  if (M.Msg == CM_TEXTCHANGED && pageControl_) pageControl_->PagesChanged();
}

// ---- the page control ----

TPageControl::TPageControl(TComponent* AOwner) : TCustomTabControl(AOwner) {}

TPageControl::~TPageControl() {
  destroying_ = true;
  for (TTabSheet* p : pages_) p->pageControl_ = nullptr;
  pages_.clear();
}

TTabSheet* TPageControl::Pages(int Index) const {
  return Index >= 0 && size_t(Index) < pages_.size() ? pages_[size_t(Index)] : nullptr;
}

void TPageControl::InsertPage(TTabSheet* Page) {
  pages_.push_back(Page);
  PagesChanged();
  if (!activePage_) SetActivePage(Page);
}

void TPageControl::RemovePage(TTabSheet* Page) {
  auto it = std::find(pages_.begin(), pages_.end(), Page);
  if (it == pages_.end()) return;
  TTabSheet* next = activePage_ == Page ? FindNextPage(Page, true, true) : activePage_;
  pages_.erase(it);
  if (destroying_) return;
  if (next == Page) next = nullptr;
  if (activePage_ == Page) activePage_ = nullptr;
  PagesChanged();
  SetActivePage(next);
}

void TPageControl::MovePage(TTabSheet* Page, int Index) {
  auto it = std::find(pages_.begin(), pages_.end(), Page);
  if (it == pages_.end()) return;
  pages_.erase(it);
  Index = std::clamp(Index, 0, int(pages_.size()));
  pages_.insert(pages_.begin() + Index, Page);
  PagesChanged();
}

void TPageControl::PagesChanged() {
  tabIndex_ = activePage_ ? activePage_->TabIndex() : -1;
  UpdateTabs();
}

int TPageControl::TabCount() const {
  return int(std::count_if(pages_.begin(), pages_.end(), [](TTabSheet* p) { return p->TabVisible(); }));
}

TTabSheet* TPageControl::TabSheet(int TabIndex) const {
  for (TTabSheet* p : pages_)
    if (p->TabVisible() && TabIndex-- == 0) return p;
  return nullptr;
}

std::string TPageControl::TabCaption(int Index) const {
  TTabSheet* p = TabSheet(Index);
  return p ? p->Caption() : std::string();
}

int TPageControl::TabImage(int Index) const {
  TTabSheet* p = TabSheet(Index);
  return p ? p->ImageIndex() : -1;
}

// Shows the page and hides the others. A focused control on the old page
// gives the focus to the page control, or, when its tabs take no focus, to
// the first control of the new page: a focus left on tabs that are no tab
// stop would show nowhere and answer no arrow key.
void TPageControl::SetActivePage(TTabSheet* Value) {
  if (Value && Value->PageControl() != this) return;
  TTabSheet* old = activePage_;
  activePage_ = Value;
  SetTabIndex(Value ? Value->TabIndex() : -1);
  if (Value == old) {
    if (Value && !Value->Visible()) Value->SetVisible(true);
    return;
  }
  if (Value) {
    Value->BringToFront();
    Value->SetVisible(true);
  }
  if (old && old->Visible()) {
    TCustomForm* form = GetParentForm(this);
    TWinControl* focused = form ? form->ActiveControl() : nullptr;
    bool hadFocus = false;
    for (TControl* c = focused; c; c = c->Parent()) hadFocus |= c == old;
    if (hadFocus) FocusAfterChange(Value);
    old->SetVisible(false);
  }
}

void TPageControl::FocusAfterChange(TTabSheet* Page) {
  TWinControl* target = this;
  if (!TabStop() && Page)
    if (TWinControl* first = Page->FindNextControl(nullptr, true, true, false); first && first->CanFocus())
      target = first;
  if (target->CanFocus()) target->SetFocus();
}

int TPageControl::ActivePageIndex() const {
  return activePage_ ? activePage_->PageIndex() : -1;
}

void TPageControl::SetActivePageIndex(int Value) {
  SetActivePage(Pages(Value));
}

TTabSheet* TPageControl::FindNextPage(TTabSheet* CurPage, bool GoForward, bool CheckTabVisible) {
  if (pages_.empty()) return nullptr;
  auto it = std::find(pages_.begin(), pages_.end(), CurPage);
  int start = it == pages_.end() ? (GoForward ? int(pages_.size()) - 1 : 0) : int(it - pages_.begin());
  int n = int(pages_.size());
  for (int step = 1; step <= n; ++step) {
    int i = ((start + (GoForward ? step : -step)) % n + n) % n;
    if (!CheckTabVisible || pages_[size_t(i)]->TabVisible()) return pages_[size_t(i)];
  }
  return nullptr;
}

void TPageControl::SelectNextPage(bool GoForward, bool CheckTabVisible) {
  TTabSheet* page = FindNextPage(activePage_, GoForward, CheckTabVisible);
  if (!page || page == activePage_ || !CanChange()) return;
  SetActivePage(page);
  TCustomTabControl::Change();
}

// The window selected another tab: its sheet becomes the active page.
void TPageControl::Change() {
  TTabSheet* page = TabSheet(TabIndex());
  if (page && page != activePage_) SetActivePage(page);
  TCustomTabControl::Change();
}

void TPageControl::Dispatch(TMessage& M) {
  if (M.Msg == CM_DIALOGKEY && M.WParam == VK_TAB && GetKeyState(VK_CONTROL) < 0) {
    // Ctrl+Tab steps through the pages while the focus is on this control or one of its pages.
    TCustomForm* form = GetParentForm(this);
    bool inside = false;
    for (TControl* c = form ? form->ActiveControl() : nullptr; c; c = c->Parent()) inside |= c == this;
    if (inside || Focused()) {
      SelectNextPage(GetKeyState(VK_SHIFT) >= 0);
      M.Result = 1;
      return;
    }
  }
  TCustomTabControl::Dispatch(M);
}

}  // namespace qv
