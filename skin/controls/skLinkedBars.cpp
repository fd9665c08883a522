// Skinned scroll bars mirroring a control's own scroll bars, and the frame around them.
#include "skin/controls/skLinkedBars.h"

#include <algorithm>

#include "platform/gdi/Gdi.h"
#include "platform/gdi/SystemMetrics.h"
#include "platform/window/Paint.h"
#include "platform/window/ScrollBar.h"
#include "skin/skItemPaint.h"
#include "skin/skMaskPaint.h"

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
  bar->OnScrollChanged = [Vertical, OnMoved](TSkScrollBar* Sender, int) {
    OnMoved(Vertical, Sender->Position());
  };
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
  // The page sizes the slider: its share of the track is the control's.
  Bar->SetPageSize(int(si.nPage));
  Bar->LargeChange = si.nPage < 1 ? 1 : int(si.nPage);
  Bar->SetVisible(true);
  Bar->BringToFront();
  Bar->Repaint();
  return true;
}

void PlaceLinkedBars(TWinControl* Control, int Frame, TSkScrollBar* VBar, TSkScrollBar* HBar) {
  const int b = Frame;
  const bool v = VBar && VBar->Visible(), h = HBar && HBar->Visible();
  const int left = Control->Left(), top = Control->Top(), width = Control->Width(),
            height = Control->Height();
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

void PrepareFrameCache(TWinControl* Control, TSkCommonData* SkinData) {
  SkinData->InitCacheBmp();
  TCacheInfo ci;
  GetParentCache(SkinData, ci);
  if (ci.Ready) ci.X += Control->Left(), ci.Y += Control->Top();
  const int state = SkinData->ControlIsActive() ? 1 : 0;
  PaintItem(SkinData, ci, true, state, SkinData->CacheBmp.get(), POINT{0, 0},
            RECT{0, 0, Control->Width(), Control->Height()}, state != 0);
  SkinData->BGChanged = false;
}

void PaintLinkedFrame(TWinControl* Control, TSkCommonData* SkinData, int Frame, TSkScrollBar* VBar,
                      TSkScrollBar* HBar) {
  if (SkinData->BGChanged) PrepareFrameCache(Control, SkinData);
  PaintControlBorder(SkinData, SkinData->ControlIsActive() ? 1 : 0);
  const int b = Frame, w = Control->Width(), h = Control->Height();
  HDC dc = GetWindowDC(Control->Handle());
  HDC src = SkinData->CacheBmp->Canvas()->Handle();
  BitBlt(dc, 0, 0, w, b, src, 0, 0, SRCCOPY);
  BitBlt(dc, 0, b, b, h - b, src, 0, b, SRCCOPY);
  BitBlt(dc, b, h - b, w - b, b, src, b, h - b, SRCCOPY);
  BitBlt(dc, w - b, b, b, h - 2 * b, src, w - b, b, SRCCOPY);
  if (VBar && VBar->Visible() && HBar && HBar->Visible()) {
    const int x = w - b - VBar->Width(), y = h - b - HBar->Height();
    BitBlt(dc, x, y, VBar->Width(), HBar->Height(), src, x, y, SRCCOPY);
  }
  ReleaseDC(Control->Handle(), dc);
}

}  // namespace qv
