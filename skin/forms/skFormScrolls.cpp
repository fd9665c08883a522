// The skinned form's own scroll bars: the children's extent, where the bars
// go, making and freeing them with the grip, and moving the children when a
// bar scrolls (back again when the bar goes).
#include <algorithm>

#include "platform/gdi/SystemMetrics.h"
#include "skin/controls/skPanel.h"
#include "skin/controls/skScrollBar.h"
#include "skin/forms/skinProvider.h"
#include "skin/skUtils.h"
#include "skin/skinManager.h"

namespace qv {

void TSkinProvider::ComputeExtents() {
  if (!form_) return;
  int v = 0, hz = 0;
  for (int i = 0; i < form_->ControlCount(); ++i) {
    TControl* c = form_->Controls(i);
    if (!c->Visible() || c == scrollV_ || c == scrollH_ || c == grip_) continue;
    if (c->Align() == alNone || c->Align() == alTop) v = std::max(v, c->Top() + c->Height() + scrollPosV_);
    if (c->Align() == alNone || c->Align() == alLeft) hz = std::max(hz, c->Left() + c->Width() + scrollPosH_);
  }
  extentV_ = v + 2 + (scrollH_ ? scrollH_->Height() : 0);
  extentH_ = hz + 2 + (scrollV_ ? scrollV_->Width() : 0);
}

TSkFormScrollInfo TSkinProvider::ScrollInfo(TScrollBarKind Kind) {
  TSkFormScrollInfo si;
  TControlScrollBar* own = Kind == sbVertical ? form_->VertScrollBar() : form_->HorzScrollBar();
  if (!hadAutoScroll_ || !own || !own->Visible()) return si;
  ComputeExtents();
  const bool vertical = Kind == sbVertical;
  si.Extent = std::max(own->Range(), vertical ? extentV_ : extentH_);
  si.Page = (vertical ? form_->ClientHeight() : form_->ClientWidth()) - 4;
  si.Max = si.Extent - si.Page;
  si.Increment = own->Increment;
  if (si.Max >= 1) {
    const int cw = form_->ClientWidth(), ch = form_->ClientHeight();
    if (vertical) {
      const int w = GetSystemMetrics(SM_CXVSCROLL);
      si.Rect = form_->UseRightToLeftAlignment() ? RECT{1, 1, 1 + w, ch} : RECT{cw - w, 0, cw, ch};
    } else {
      si.Rect = RECT{0, ch - GetSystemMetrics(SM_CYHSCROLL), cw, ch};
    }
    si.Visible = Skinned() && form_->Visible() && si.Extent > si.Page + 4;
  } else {
    ResetScroll(Kind);
  }
  return si;
}

void TSkinProvider::ScrollControls(int DX, int DY) {
  if (!form_ || (!DX && !DY)) return;
  form_->DisableAlign();
  for (int i = 0; i < form_->ControlCount(); ++i) {
    TControl* c = form_->Controls(i);
    if (c == scrollV_ || c == scrollH_ || c == grip_) continue;
    if (auto* bar = dynamic_cast<TSkScrollBar*>(c); bar && bar->LinkedControl && bar->LinkedControl != form_)
      continue;
    c->SetBounds(c->Left() + DX, c->Top() + DY, c->Width(), c->Height());
  }
  form_->EnableAlign();
}

void TSkinProvider::ResetScroll(TScrollBarKind Kind) {
  TSkScrollBar* bar = Kind == sbVertical ? scrollV_ : scrollH_;
  int& offset = Kind == sbVertical ? scrollPosV_ : scrollPosH_;
  if (bar) {
    const bool was = inScroll_;
    inScroll_ = true;  // the children are moved back below, once
    bar->SetPosition(0);
    inScroll_ = was;
  }
  if (offset > 0) {
    // The children come back by what they were moved.
    Kind == sbVertical ? ScrollControls(0, offset) : ScrollControls(offset, 0);
    offset = 0;
  }
}

void TSkinProvider::OnScrollChanged(TSkScrollBar* Bar, int PrevPosition) {
  if (inScroll_) return;
  inScroll_ = true;
  const int delta = Bar->Position() - PrevPosition;
  // Scrolling down (or right) moves the children up (or left).
  if (Bar == scrollV_) {
    scrollPosV_ += delta;
    ScrollControls(0, -delta);
  } else {
    scrollPosH_ += delta;
    ScrollControls(-delta, 0);
  }
  inScroll_ = false;
}

void TSkinProvider::UpdateScrolls() {
  if (!form_ || Loading() || ComponentState().Contains(csDestroying) || FormDestroying() ||
      form_->ControlState().Contains(csCreating) || form_->FormStyle() == fsMDIForm ||
      form_->FormStyle() == fsMDIChild)
    return;
  if (!Skinned() || !form_->Visible()) {
    ResetScroll(sbVertical);
    ResetScroll(sbHorizontal);
    DestroyScroll(scrollV_);
    DestroyScroll(scrollH_);
    if (grip_) delete grip_, grip_ = nullptr;
    return;
  }
  TSkFormScrollInfo infos[2] = {ScrollInfo(sbVertical), ScrollInfo(sbHorizontal)};
  TSkScrollBar** bars[2] = {&scrollV_, &scrollH_};
  for (int i = 0; i < 2; ++i)
    if (!infos[i].Visible) {
      ResetScroll(i == 0 ? sbVertical : sbHorizontal);
      DestroyScroll(*bars[i]);
    }
  if (infos[0].Visible && infos[1].Visible) {
    if (!grip_) {
      grip_ = new TSkGrip(form_);
      grip_->SkinData()->SetSkinManager(skinData_->OwnSkinManager());
      grip_->LinkedControl = form_;
      grip_->SetParent(form_);
    }
    infos[0].Rect.bottom -= HeightOf(infos[1].Rect);
    infos[1].Rect.right -= WidthOf(infos[0].Rect);
    grip_->SetBounds(infos[0].Rect.left, infos[0].Rect.bottom, WidthOf(infos[0].Rect),
                     HeightOf(infos[1].Rect));
    grip_->BringToFront();
  } else if (grip_) {
    delete grip_;
    grip_ = nullptr;
  }
  for (int i = 0; i < 2; ++i) {
    if (!infos[i].Visible) continue;
    TSkScrollBar*& bar = *bars[i];
    if (!bar) {
      bar = new TSkScrollBar(form_);
      bar->SkinData->SetSkinManager(skinData_->OwnSkinManager());
      bar->SetVisible(false);
      bar->SetTabStop(false);
      bar->SetKind(i == 0 ? sbVertical : sbHorizontal);
      bar->LinkedControl = form_;
      bar->OnScrollChanged = [this](TSkScrollBar* b, int prev) { OnScrollChanged(b, prev); };
      bar->SetParent(form_);
    }
    const bool was = inScroll_;
    inScroll_ = true;
    bar->SetMax(infos[i].Extent);
    bar->SetMin(0);
    bar->SetPageSize(infos[i].Page);
    bar->SetPosition(i == 0 ? scrollPosV_ : scrollPosH_);
    bar->SmallChange = infos[i].Increment;
    bar->LargeChange = infos[i].LargeStep;
    inScroll_ = was;
    bar->SetBoundsRect(infos[i].Rect);
    bar->SetVisible(true);
    bar->BringToFront();
  }
}

}  // namespace qv
