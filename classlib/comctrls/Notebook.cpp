// TNotebook and its pages.
#include "classlib/comctrls/Notebook.h"

#include <algorithm>

#include "classlib/controls/Forms.h"

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
  delete Pages(Index);  // Notification takes it out of the list
}

TPage* TNotebook::Pages(int Index) const {
  return Index >= 0 && size_t(Index) < pages_.size() ? pages_[size_t(Index)] : nullptr;
}

// A focus on the page that hides would stay on a window nobody sees: it goes
// to the first control of the page that shows (or, with none, the notebook).
void TNotebook::SetPageIndex(int Value) {
  if (Value == pageIndex_ || !Pages(Value)) return;
  TPage* old = Pages(pageIndex_);
  TCustomForm* form = GetParentForm(this);
  const bool hadFocus = form && old && old->ContainsControl(form->ActiveControl());
  if (hadFocus && CanFocus()) form->SetActiveControl(this);
  pageIndex_ = Value;
  TPage* now = pages_[size_t(Value)];
  now->BringToFront();
  now->SetVisible(true);
  if (old) old->SetVisible(false);
  if (hadFocus && form->ActiveControl() == this)
    if (TWinControl* first = now->FindNextControl(nullptr, true, true, false); first && first->CanFocus())
      form->SetActiveControl(first);
  if (OnPageChanged) OnPageChanged(this);
}

// A page freed from outside leaves the list; the next one shows if it was showing.
void TNotebook::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomControl::Notification(AComponent, Operation);
  if (Operation != opRemove || ComponentState().Contains(csDestroying)) return;
  auto it = std::find(pages_.begin(), pages_.end(), AComponent);
  if (it == pages_.end()) return;
  int index = int(it - pages_.begin());
  pages_.erase(it);
  if (index < pageIndex_) {
    --pageIndex_;
  } else if (index == pageIndex_) {
    pageIndex_ = -1;
    if (!pages_.empty()) SetPageIndex(std::min(index, PageCount() - 1));
  }
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
