// Skinned scroll bars mirroring a control's own scroll bars.
#include "skin/controls/skLinkedBars.h"

#include <algorithm>

#include "platform/SystemMetrics.h"
#include "platform/window/ScrollBar.h"

namespace qv {

namespace {

TSkScrollBar* MakeBar(TWinControl* Control, bool Vertical, std::function<void(bool, int)> OnMoved) {
  auto* bar = new TSkScrollBar(nullptr);
  bar->SetVisible(false);
  bar->SetTabStop(false);
  bar->SetKind(Vertical ? sbVertical : sbHorizontal);
  bar->LinkedControl = Control;
  if (Vertical)
    bar->SetWidth(std::min(GetSystemMetrics(SM_CXVSCROLL), Control->Width() - 6));
  else
    bar->SetHeight(std::min(GetSystemMetrics(SM_CYHSCROLL), Control->Height() - 6));
  bar->SetParent(Control->Parent());
  bar->OnScrollChanged = [Vertical, OnMoved](TSkScrollBar* Sender, int) { OnMoved(Vertical, Sender->Position()); };
  return bar;
}

}  // namespace

bool UpdateLinkedBar(TWinControl* Control, TSkScrollBar*& Bar, int Which,
                     std::function<void(bool Vertical, int Position)> OnMoved) {
  SCROLLINFO si{};
  si.cbSize = sizeof(si);
  si.fMask = SIF_ALL;
  const bool known = GetScrollInfo(Control->Handle(), Which, &si);
  const bool needed = known && si.nMax - si.nMin > int(si.nPage) - 1 && si.nPage > 1;
  if (!needed) {
    if (Bar) Bar->SetVisible(false);
    return false;
  }
  if (!Bar) Bar = MakeBar(Control, Which == SB_VERT, std::move(OnMoved));
  const int max = si.nMax - int(si.nPage) + 1;
  if (max <= 0 || si.nMax - si.nMin <= 0)
    Bar->SetParams(-1, 0, 1);
  else
    Bar->SetParams(std::clamp(si.nPos, si.nMin, max), si.nMin, max);
  Bar->SetPageSize(0);
  Bar->LargeChange = si.nPage < 1 ? 1 : int(si.nPage);
  Bar->SetVisible(true);
  Bar->BringToFront();
  Bar->Repaint();
  return true;
}

void PlaceLinkedBars(TWinControl* Control, int Frame, TSkScrollBar* VBar, TSkScrollBar* HBar) {
  const int b = Frame;
  const bool v = VBar && VBar->Visible(), h = HBar && HBar->Visible();
  const int left = Control->Left(), top = Control->Top(), width = Control->Width(), height = Control->Height();
  if (v) {
    const int w = VBar->Width();
    const int x = Control->UseRightToLeftAlignment() ? left + b : left + width - b - w;
    VBar->SetBounds(x, top + b, w, height - 2 * b - (h ? HBar->Height() : 0));
  }
  if (h)
    HBar->SetBounds(left + b, top + height - b - HBar->Height(), width - 2 * b - (v ? VBar->Width() : 0),
                    HBar->Height());
}

void FreeLinkedBars(TSkScrollBar*& VBar, TSkScrollBar*& HBar) {
  delete VBar;
  VBar = nullptr;
  delete HBar;
  HBar = nullptr;
}

}  // namespace qv
