// The skinned mask edit.
#include "skin/controls/skMaskEdit.h"

#include "platform/gdi/Gdi.h"
#include "platform/text/TextLayout.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Paint.h"
#include "platform/window/Window.h"
#include "skin/controls/skCtrlHelpers.h"
#include "skin/controls/skEdit.h"
#include "skin/skControlTree.h"
#include "skin/skItemPaint.h"
#include "skin/skMaskPaint.h"
#include "skin/skinManager.h"

namespace qv {

TSkMaskEdit::TSkMaskEdit(TComponent* AOwner) : TSkSkinned(AOwner) {
  ControlStyle().Exclude(csSetCaption);
  skinData_ = std::make_unique<TSkCommonData>(this, true);
  skinData_->SetSkinSection("EDIT");
  boundLabel_ = std::make_unique<TSkBoundLabel>(skinData_.get());
}

TSkMaskEdit::~TSkMaskEdit() {
  Destroying();
  boundLabel_.reset();
  skinData_.reset();
}

void TSkMaskEdit::SetDisabledKind(TSkDisabledKind Value) {
  if (Value == disabledKind_) return;
  disabledKind_ = Value;
  skinData_->Invalidate();
}

int TSkMaskEdit::HotState() {
  return skinData_->ControlIsActive() ? 1 : 0;
}

void TSkMaskEdit::Change() {
  if (ComponentState().Contains(csLoading)) return;
  TMaskEdit::Change();
}

void TSkMaskEdit::PaintCacheText() {
  const std::string text = MaskedText(EditText(), PasswordChar());
  if (text.empty()) return;
  TBitmap* cache = skinData_->CacheBmp.get();
  cache->Canvas()->SetFont(Font());
  RECT r{3, 3, Width() - 3, Height() - 3};
  WriteText(cache->Canvas(), text, true, HotState() != 0, skinData_.get(),
            DT_NOPREFIX | DT_SINGLELINE | DT_WORDBREAK, r);
}

void TSkMaskEdit::PrepareCache() {
  skinData_->InitCacheBmp();
  const int state = HotState();
  TCacheInfo ci;
  GetParentCache(skinData_.get(), ci);
  if (ci.Ready) ci.X += Left(), ci.Y += Top();
  TBitmap* cache = skinData_->CacheBmp.get();
  PaintItem(skinData_.get(), ci, true, state, cache, POINT{0, 0}, RECT{0, 0, Width(), Height()}, state != 0);
  PaintCacheText();
  if (!Enabled()) {
    GetParentCache(skinData_.get(), ci);
    ApplyDisabledKind(cache, disabledKind_, Parent(), ci, POINT{Left(), Top()});
  }
  skinData_->BGChanged = false;
}

void TSkMaskEdit::PaintWhole(HDC DC) {
  if (skinData_->GetUpdating()) return;
  skinData_->BGChanged = skinData_->BGChanged || skinData_->PartlyHidden || QueryPartlyHidden(this);
  skinData_->PartlyHidden = !BoundsInsideParent(this);
  if (skinData_->BGChanged) PrepareCache();
  PaintControlBorder(skinData_.get(), HotState());
  HDC dc = DC ? DC : GetWindowDC(Handle());
  BitBlt(dc, 0, 0, Width(), Height(), skinData_->CacheBmp->Canvas()->Handle(), 0, 0, SRCCOPY);
  if (!DC) ReleaseDC(Handle(), dc);
}

void TSkMaskEdit::PaintFrame(HDC DC) {
  skinData_->Updating = skinData_->GetUpdating();
  if (skinData_->Updating || !Parent() || !IsShowing() || ControlState().Contains(csCreating)) return;
  if (skinData_->BGChanged) PrepareCache();
  PaintControlBorder(skinData_.get(), HotState());
  HDC dc = DC ? DC : GetWindowDC(Handle());
  CopyFrameStrips(dc, skinData_->CacheBmp.get(), Width(), Height());
  if (!DC) ReleaseDC(Handle(), dc);
}

bool TSkMaskEdit::SkinLoaded(TMessage& M) {
  SetBorderStyle(bsSingle);
  SkinWndProc(M, skinData_.get());
  return true;
}

bool TSkMaskEdit::SkinRemoved(TMessage& M) {
  SkinWndProc(M, skinData_.get());
  if (HandleAllocated()) Perform(CM_RECREATEWND, 0, 0);
  return true;
}

bool TSkMaskEdit::SkinApplied(TMessage& M) {
  SkinWndProc(M, skinData_.get());
  if (HandleAllocated()) SendMessageW(Handle(), WM_NCPAINT, 0, 0);
  Repaint();
  return true;
}

bool TSkMaskEdit::UpdateFinished(TMessage&) {
  if (skinData_->Updating) {
    skinData_->Updating = false;
    if (HandleAllocated()) SendMessageW(Handle(), WM_PAINT, 0, 0), SendMessageW(Handle(), WM_NCPAINT, 0, 0);
  }
  return true;
}

void TSkMaskEdit::WndProc(TMessage& M) {
  if (DispatchSkinCommand(M, skinData_.get(), *this)) return;
  auto alive = AliveToken();
  if (ControlIsReady(this) && skinData_->Skinned()) {
    switch (M.Msg) {
      case WM_PAINT: {
        // The whole cache while idle; the edit then draws text and caret
        // only while it is hot, and the frame always comes from the cache.
        const bool hot = HotState() != 0;
        if (!hot) {
          PAINTSTRUCT ps;
          HDC dc = M.WParam ? reinterpret_cast<HDC>(M.WParam) : BeginPaint(Handle(), &ps);
          PaintWhole(M.WParam ? dc : nullptr);
          PaintFrame(M.WParam ? dc : nullptr);
          // Graphic children (an edit's button) paint over the cache as usual.
          if (!alive.expired()) PaintControls(dc, nullptr);
          if (!M.WParam) EndPaint(Handle(), &ps);
          return BoundLabelUpkeep(boundLabel_.get(), this, M);
        }
        TMaskEdit::WndProc(M);
        if (!alive.expired()) PaintFrame(nullptr);
        return;
      }
      case WM_NCPAINT:
        skinData_->Updating = skinData_->GetUpdating();
        if (!skinData_->Updating) PaintFrame(nullptr);
        return;
      case WM_PRINT:
        Perform(WM_NCPAINT, M.WParam, M.LParam);
        return;
      case WM_ERASEBKGND:
        M.Result = 1;
        return;
      case CM_TEXTCHANGED:
        skinData_->BGChanged = true;
        break;
      default:
        break;
    }
    if (SkinWndProc(M, skinData_.get())) return;
    TMaskEdit::WndProc(M);
    if (alive.expired()) return;
    if (M.Msg == WM_SETFONT || M.Msg == CM_VISIBLECHANGED || M.Msg == CM_ENABLEDCHANGED)
      skinData_->Invalidate();
  } else {
    TMaskEdit::WndProc(M);
    if (alive.expired()) return;
  }
  BoundLabelUpkeep(boundLabel_.get(), this, M);
}

}  // namespace qv
