// The skinned panel, the drag bar and the grip.
#include "skin/controls/skPanel.h"

#include "classlib/controls/Forms.h"
#include "classlib/controls/WinControl.h"
#include "platform/gdi/Gdi.h"
#include "platform/text/TextLayout.h"
#include "platform/window/Input.h"
#include "platform/window/Paint.h"
#include "platform/window/Window.h"
#include "skin/skControlTree.h"
#include "skin/skItemPaint.h"
#include "skin/skMaskPaint.h"
#include "skin/skinManager.h"

namespace qv {

TSkPanel::TSkPanel(TComponent* AOwner) : TSkSkinned(AOwner) {
  ControlStyle().Include(csOpaque);
  skinData_ = std::make_unique<TSkCommonData>(this, true);
  skinData_->ClassCode = 51;
  skinData_->Loaded();
}

TSkPanel::~TSkPanel() {
  Destroying();
  skinData_.reset();
}

void TSkPanel::PaintWindow(HDC DC) {
  TPanel::PaintWindow(DC);
  PaintSkinned(DC);
}

void TSkPanel::PaintCaption(TBitmap* Cache) {
  const std::string caption = Caption();
  if (caption.empty()) return;
  TCanvas* c = Cache->Canvas();
  c->SetFont(Font());
  c->Brush()->SetStyle(bsClear);
  RECT r = ClientRect();
  const int bevel = BevelSize();
  InflateRect(&r, -bevel, -bevel);
  const int h = c->TextHeight("W");
  r.top = r.top + (r.Height() - h) / 2, r.bottom = r.top + h;
  WriteText(c, caption, Enabled(), false, skinData_.get(), GetTextFlags(this, Alignment()) | DT_NOPREFIX, r);
}

void TSkPanel::PrepareCache() {
  skinData_->InitCacheBmp();
  TCacheInfo ci;
  GetParentCache(skinData_.get(), ci);
  if (ci.Ready) ci.X += Left(), ci.Y += Top();
  TBitmap* cache = skinData_->CacheBmp.get();
  PaintItem(skinData_.get(), ci, true, 0, cache, POINT{0, 0}, RECT{0, 0, Width(), Height()}, false);
  PaintCaption(cache);
  skinData_->BGChanged = false;
  if (OnPaint) OnPaint(this, cache->Canvas());
}

void TSkPanel::PaintSkinned(HDC DC) {
  if (ComponentState().Contains(csDestroying) || !skinData_->Skinned(true)) return;
  if (Parent() && Parent()->ControlState().Contains(csCreating)) return;
  skinData_->Updating = skinData_->GetUpdating();
  if (skinData_->Updating) return;
  const bool stale = skinData_->BGChanged || skinData_->PartlyHidden;
  if (skinData_->RepaintIfMoved() && Parent()) {
    const RECT pr = Parent()->ClientRect();
    const POINT tl{Left() + 1, Top() + 1}, br{Left() + Width() - 1, Top() + Height() - 1};
    skinData_->PartlyHidden = !PtInRect(&pr, tl) || !PtInRect(&pr, br);
  } else {
    skinData_->PartlyHidden = false;
  }
  if (stale && !skinData_->CacheFrozen) PrepareCache();
  BlitCacheToDC(this, skinData_.get(), 0, 0, 0, 0, true, DC, RECT{0, 0, Width(), Height()});
  PaintGraphicChildren(DC, this, POINT{0, 0});
  RepaintChildren(this);
}

bool TSkPanel::SkinLoaded(TMessage& M) {
  SkinBroadcast(this, M);
  SkinWndProc(M, skinData_.get());
  return true;
}

bool TSkPanel::SkinRemoved(TMessage& M) {
  SkinWndProc(M, skinData_.get());
  Invalidate();
  SkinBroadcast(this, M);
  return true;
}

bool TSkPanel::SkinApplied(TMessage& M) {
  SkinWndProc(M, skinData_.get());
  SkinBroadcast(this, M);
  Repaint();
  return true;
}

// The other commands are answered here only while skinned; otherwise the
// plain panel takes them.
bool TSkPanel::SkinnedReady() {
  return ControlIsReady(this) && skinData_->Skinned();
}

bool TSkPanel::UpdateFinished(TMessage&) {
  if (!SkinnedReady()) return false;
  if (skinData_->Updating) skinData_->Updating = false, Repaint();
  return true;
}

bool TSkPanel::CacheFrozen(TMessage& M) {
  if (!SkinnedReady()) return false;
  SkinWndProc(M, skinData_.get());
  if (skinData_->CacheFrozen) PrepareCache();
  return true;
}

bool TSkPanel::PreparingQuery(TMessage& M) {
  if (!SkinnedReady()) return false;
  M.LParam = skinData_->BGChanged || skinData_->GetUpdating() ? 1 : 0;
  return true;
}

bool TSkPanel::SkinCommand(TMessage& M) {
  if (!SkinnedReady()) return false;
  if (!HandleSkinCommand(M, skinData_.get())) TPanel::WndProc(M);
  return true;
}

void TSkPanel::WndProc(TMessage& M) {
  if (DispatchSkinCommand(M, skinData_.get(), *this)) return;
  if (!ControlIsReady(this) || !skinData_->Skinned()) {
    if (M.Msg == WM_ERASEBKGND && OnPaint) return void(M.Result = 1);
    auto alive = AliveToken();
    TPanel::WndProc(M);
    if (!alive.expired() && M.Msg == WM_PAINT && OnPaint) OnPaint(this, Canvas());
    return;
  }
  switch (M.Msg) {
    case CM_VISIBLECHANGED:
      skinData_->BGChanged = true, skinData_->Updating = false;
      Repaint();
      return TPanel::WndProc(M);
    case CM_TEXTCHANGED:
      if (Parent()) skinData_->Invalidate();
      return;
    case WM_ERASEBKGND:
      M.Result = 1;
      return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      return TPanel::WndProc(M);
    case WM_PAINT:
      if (IsShowing()) {
        PAINTSTRUCT ps;
        HDC dc = M.WParam ? reinterpret_cast<HDC>(M.WParam) : BeginPaint(Handle(), &ps);
        PaintSkinned(dc);
        if (!M.WParam) EndPaint(Handle(), &ps);
      }
      return;
    default:
      break;
  }
  if (SkinWndProc(M, skinData_.get())) return;
  auto alive = AliveToken();
  TPanel::WndProc(M);
  if (!alive.expired() && M.Msg == WM_SETFONT && !Caption().empty()) {
    skinData_->BGChanged = true;
    Repaint();
  }
}

// ---- drag bar ----

TSkDragBar::TSkDragBar(TComponent* AOwner) : TSkPanel(AOwner) {
  skinData_->ClassCode = 56;
  skinData_->SetSkinSection("DRAGBAR");
  SetCaption(" ");
  SetAlign(alTop);
  SetHeight(20);
  Font()->SetColor(clCaptionText);
  Font()->SetStyle(TFontStyles{fsBold});
  SetColor(clActiveCaption);
  SetCursor(crHandPoint);
}

void TSkDragBar::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  auto alive = AliveToken();
  TSkPanel::MouseDown(Button, Shift, X, Y);
  if (alive.expired() || Button != mbLeft || !DraggedControl) return;
  ReleaseCapture();
  // The move starts where the mouse is now.
  POINT at{};
  GetCursorPos(&at);
  DraggedControl->Perform(WM_SYSCOMMAND, 0xF012, MAKELPARAM(at.x, at.y));
}

void TSkDragBar::WndProc(TMessage& M) {
  // The bar follows the application's activation; its caption font stays
  // the caption-text colour, readable on both caption colours.
  if (M.Msg == WM_ACTIVATEAPP) {
    SetColor(M.WParam ? clActiveCaption : clInactiveCaption);
    Font()->SetColor(M.WParam ? clCaptionText : clInactiveCaptionText);
  }
  TSkPanel::WndProc(M);
}

// ---- grip ----

TSkGrip::TSkGrip(TComponent* AOwner) : TSkPanel(AOwner) {
  SetCaption(" ");
  skinData_->SetSkinSection("CHECKBOX");
  SetAlign(alNone);
  SetBounds(Left(), Top(), 20, 20);
}

void TSkGrip::Paint() {
  if (!ControlIsReady(this)) return TCustomPanel::Paint();
  skinData_->BGChanged = false;
  if (LinkedControl) {
    SharedCacheInfo.Ready = false;
    SendSkinCommand(LinkedControl, AC_GETCACHE);
    const TCacheInfo ci = SharedCacheInfo;
    if (ci.Ready && ci.Bmp) {
      BitBlt(Canvas()->Handle(), 0, 0, Width(), Height(), ci.Bmp->Canvas()->Handle(),
             ci.Bmp->Width() - Width() + ci.X, ci.Bmp->Height() - Height() + ci.Y, SRCCOPY);
      return;
    }
  }
  TCustomPanel::Paint();
}

}  // namespace qv
