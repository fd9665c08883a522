// The skinned edit.
#include "skin/controls/skEdit.h"

#include "platform/Utf.h"
#include "platform/gdi/Gdi.h"
#include "platform/text/TextLayout.h"
#include "platform/window/Paint.h"
#include "platform/window/Window.h"
#include "skin/controls/skCtrlHelpers.h"
#include "skin/skControlTree.h"
#include "skin/skItemPaint.h"
#include "skin/skMaskPaint.h"
#include "skin/skUtils.h"
#include "skin/skinManager.h"

namespace qv {

std::string MaskedText(const std::string& Text, char16_t PasswordChar) {
  if (!PasswordChar) return Text;
  std::u16string pc(1, PasswordChar);
  std::string one = Utf16ToUtf8(pc), out;
  for (size_t i = 0; i < Text.size(); ++i)
    if ((uint8_t(Text[i]) & 0xC0) != 0x80) out += one;  // one per character, not per byte
  return out;
}

void CopyFrameStrips(HDC DC, TBitmap* Cache, int W, int H) {
  HDC src = Cache->Canvas()->Handle();
  BitBlt(DC, 0, 0, W, 2, src, 0, 0, SRCCOPY);
  BitBlt(DC, 0, 2, 2, H, src, 0, 2, SRCCOPY);
  BitBlt(DC, 2, H - 2, W - 4, 2, src, 2, H - 2, SRCCOPY);
  BitBlt(DC, W - 2, 2, 2, H - 2, src, W - 2, 2, SRCCOPY);
}

TSkEdit::TSkEdit(TComponent* AOwner) : TSkSkinned(AOwner) {
  ControlStyle().Include(csOpaque);
  skinData_ = std::make_unique<TSkCommonData>(this, true);
  skinData_->ClassCode = 3;
  boundLabel_ = std::make_unique<TSkBoundLabel>(skinData_.get());
  skinData_->Loaded();
}

TSkEdit::~TSkEdit() {
  Destroying();
  boundLabel_.reset();
  skinData_.reset();
}

void TSkEdit::SetDisabledKind(TSkDisabledKind Value) {
  if (Value == disabledKind_) return;
  disabledKind_ = Value;
  skinData_->Invalidate();
}

std::string TSkEdit::DisplayText() {
  return MaskedText(Text(), PasswordChar());
}

RECT TSkEdit::CacheTextRect() {
  const int m = BorderStyle() == bsNone ? 0 : 2;
  return RECT{m + 1, m + 1, Width() - m, Height() - m};
}

void TSkEdit::PrepareCache() {
  skinData_->InitCacheBmp();
  const int state = skinData_->ControlIsActive() ? 1 : 0;
  TCacheInfo ci;
  GetParentCache(skinData_.get(), ci);
  if (ci.Ready) ci.X += Left(), ci.Y += Top();
  TBitmap* cache = skinData_->CacheBmp.get();
  PaintItem(skinData_.get(), ci, true, state, cache, POINT{0, 0}, RECT{0, 0, Width(), Height()}, state != 0);
  cache->Canvas()->SetFont(Font());
  RECT r = CacheTextRect();
  WriteText(cache->Canvas(), DisplayText(), true, state != 0, skinData_.get(),
            DT_NOPREFIX | DT_SINGLELINE | DT_WORDBREAK, r);
  if (!Enabled()) {
    GetParentCache(skinData_.get(), ci);
    ApplyDisabledKind(cache, disabledKind_, Parent(), ci, POINT{Left(), Top()});
  }
  skinData_->BGChanged = false;
}

void TSkEdit::PaintFull(HDC DC) {
  if (skinData_->GetUpdating()) {
    skinData_->Updating = true;
    return;
  }
  skinData_->BGChanged = skinData_->BGChanged || skinData_->PartlyHidden || QueryPartlyHidden(this);
  skinData_->PartlyHidden = !BoundsInsideParent(this);
  if (skinData_->BGChanged && !skinData_->CacheFrozen) PrepareCache();
  PaintControlBorder(skinData_.get(), skinData_->ControlIsActive() ? 1 : 0);
  BitBlt(DC, 0, 0, Width(), Height(), skinData_->CacheBmp->Canvas()->Handle(), 0, 0, SRCCOPY);
}

void TSkEdit::PaintFrame() {
  skinData_->Updating = skinData_->GetUpdating();
  if (skinData_->Updating || !HandleAllocated()) return;
  if (skinData_->BGChanged) PrepareCache();
  PaintControlBorder(skinData_.get(), skinData_->ControlIsActive() ? 1 : 0);
  HDC dc = GetWindowDC(Handle());
  CopyFrameStrips(dc, skinData_->CacheBmp.get(), Width(), Height());
  ReleaseDC(Handle(), dc);
}

// The skinned cases; true when the message must go no further.
bool TSkEdit::SkinnedWndProc(TMessage& M) {
  switch (M.Msg) {
    case WM_PRINT:
      Perform(WM_PAINT, M.WParam, M.LParam);
      Perform(WM_NCPAINT, M.WParam, M.LParam);
      return true;
    case WM_ERASEBKGND:
      M.Result = 1;
      return true;
    case WM_NCPAINT:
      PaintFrame();
      return true;
    case WM_PAINT:
      if (skinData_->ControlIsActive()) {
        PaintFrame();
        return false;  // the edit draws the text and caret
      } else {
        PAINTSTRUCT ps;
        HDC dc = M.WParam ? reinterpret_cast<HDC>(M.WParam) : BeginPaint(Handle(), &ps);
        HDC wdc = M.WParam ? dc : GetWindowDC(Handle());
        PaintFull(wdc);
        if (!M.WParam) ReleaseDC(Handle(), wdc), EndPaint(Handle(), &ps);
        return true;
      }
    case CM_COLORCHANGED:
      if (skinData_->CustomColor()) skinData_->BGChanged = true;
      return false;
    case CN_DRAWITEM:
      return true;
    default:
      return false;
  }
}

bool TSkEdit::SkinLoaded(TMessage& M) {
  SkinWndProc(M, skinData_.get());
  // The frame changes hands between the skin and the edit: redraw it too.
  if (HandleAllocated()) RedrawWindow(Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE);
  return true;
}

bool TSkEdit::SkinRemoved(TMessage& M) {
  return SkinLoaded(M);
}

bool TSkEdit::SkinApplied(TMessage& M) {
  SkinWndProc(M, skinData_.get());
  Repaint();
  return true;
}

bool TSkEdit::BgNotPlainQuery(TMessage& M) {
  M.LParam = 0;
  return true;
}

// While skinned, once the plain edit has answered.
void TSkEdit::AfterPlainUpdateFinished(TMessage&) {
  if (!skinData_->Updating) return;
  skinData_->Updating = false;
  Repaint();
}

void TSkEdit::AfterPlainCacheFrozen(TMessage&) {
  if (skinData_->CacheFrozen) PrepareCache();
}

void TSkEdit::WndProc(TMessage& M) {
  if (DispatchSkinCommand(M, skinData_.get(), *this)) return;
  if (ControlIsReady(this) && skinData_->Skinned()) {
    if (SkinnedWndProc(M)) return BoundLabelUpkeep(boundLabel_.get(), this, M);
    if (SkinWndProc(M, skinData_.get())) return;
    auto alive = AliveToken();
    TEdit::WndProc(M);
    if (alive.expired()) return;
    switch (M.Msg) {
      case WM_SETFOCUS:
        PaintFrame();  // the hot frame at once; the edit repaints only its text
        break;
      case WM_KILLFOCUS:
      case CM_EXIT:
        skinData_->Focused = skinData_->MouseAbove = false;
        skinData_->BGChanged = true;
        if (IsShowing()) Repaint();
        break;
      case CM_VISIBLECHANGED:
      case CM_ENABLEDCHANGED:
      case CM_TEXTCHANGED:
      case WM_SETTEXT:
      case WM_SETFONT:
        if (!ComponentState().Contains(csLoading)) skinData_->Invalidate();
        break;
      case SM_SKINCMD:
        DispatchSkinCommandAfterPlain(M, *this);
        break;
      default:
        break;
    }
  } else {
    auto alive = AliveToken();
    TEdit::WndProc(M);
    if (alive.expired()) return;
  }
  BoundLabelUpkeep(boundLabel_.get(), this, M);
}

}  // namespace qv
