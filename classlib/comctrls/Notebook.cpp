// TNotebook and its pages.
#include "classlib/comctrls/Notebook.h"

#include <algorithm>

namespace qv {

TPage::TPage(TComponent* AOwner) : TCustomControl(AOwner) {
  ControlStyle() = TControlStyle{csAcceptsControls};
  SetAlign(alClient);
  SetVisible(false);
  SetParentColor(true);
}

void TPage::Paint() {
  Canvas()->Brush()->SetColor(Color());
  Canvas()->FillRect(ClientRect());
}

TNotebook::TNotebook(TComponent* AOwner) : TCustomControl(AOwner) {
  ControlStyle() = TControlStyle{csAcceptsControls};
  SetColor(clBtnFace);
  SetBounds(0, 0, 150, 150);
}

TNotebook::~TNotebook() = default;

TPage* TNotebook::AddPage(const std::string& Caption) {
  auto* page = new TPage(this);
  page->SetCaption(Caption);
  page->SetParent(this);
  pages_.push_back(page);
  if (pageIndex_ < 0) SetPageIndex(0);
  return page;
}

void TNotebook::DeletePage(int Index) {
  TPage* page = Pages(Index);
  if (!page) return;
  pages_.erase(pages_.begin() + Index);
  if (pageIndex_ == Index) {
    pageIndex_ = -1;
    delete page;
    if (!pages_.empty()) SetPageIndex(std::min(Index, PageCount() - 1));
    return;
  }
  if (pageIndex_ > Index) --pageIndex_;
  delete page;
}

TPage* TNotebook::Pages(int Index) const {
  return Index >= 0 && size_t(Index) < pages_.size() ? pages_[size_t(Index)] : nullptr;
}

void TNotebook::SetPageIndex(int Value) {
  if (Value == pageIndex_ || !Pages(Value)) return;
  TPage* old = Pages(pageIndex_);
  pageIndex_ = Value;
  TPage* now = pages_[size_t(Value)];
  now->BringToFront();
  now->SetVisible(true);
  if (old) old->SetVisible(false);
  if (OnPageChanged) OnPageChanged(this);
}

std::string TNotebook::ActivePage() const {
  TPage* p = Pages(pageIndex_);
  return p ? p->Caption() : std::string();
}

void TNotebook::SetActivePage(const std::string& Value) {
  for (int i = 0; i < PageCount(); ++i)
    if (pages_[size_t(i)]->Caption() == Value) return SetPageIndex(i);
}

}  // namespace qv
