// The skinned splitter.
#include "skin/controls/skSplitter.h"

#include "classlib/controls/Application.h"
#include "classlib/controls/WinControl.h"
#include "platform/gdi/Gdi.h"
#include "skin/skControlTree.h"
#include "skin/skItemPaint.h"
#include "skin/skinManager.h"

namespace qv {

namespace {
// The application's ShowHint while a drag runs (one drag at a time: the capture sees to it).
bool savedShowHint = true;
}  // namespace

TSkSplitter::TSkSplitter(TComponent* AOwner) : TSkSkinned(AOwner) {
  skinData_ = std::make_unique<TSkCommonData>(this, false);
  skinData_->ClassCode = 75;
  ControlStyle() = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csOpaque, csDoubleClicks};
  SetWidth(6);
  skinData_->Loaded();
}

TSkSplitter::~TSkSplitter() {
  Destroying();
  RestoreHints();
  skinData_.reset();
}

void TSkSplitter::RestoreHints() {
  if (!hintsSaved_) return;
  hintsSaved_ = false;
  Application->ShowHint = savedShowHint;
}

void TSkSplitter::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  // Saved once per drag: a second press before the release must not save "off".
  if (!hintsSaved_) {
    savedShowHint = Application->ShowHint;
    hintsSaved_ = true;
  }
  Application->ShowHint = false;
  if (AutoSnap && Parent()) {
    for (int i = 0; i < Parent()->ControlCount(); ++i) {
      TControl* c = Parent()->Controls(i);
      if (Align() == alTop && c->Height() == 0) c->SetTop(Top());
      if (Align() == alLeft && c->Width() == 0) c->SetLeft(Left());
    }
  }
  TSplitter::MouseDown(Button, Shift, X, Y);
  dragging_ = true;
  if (ResizeStyle == rsUpdate) Repaint();
}

void TSkSplitter::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  auto alive = AliveToken();
  TSplitter::MouseUp(Button, Shift, X, Y);
  if (alive.expired()) return;
  dragging_ = false;
  if (ResizeStyle == rsUpdate) Repaint();
  RestoreHints();
}

void TSkSplitter::Paint() {
  if (!skinData_->Skinned(true)) return TSplitter::Paint();
  const RECT r = ClientRect();
  skinData_->InitCacheBmp();
  int state = skinData_->ControlIsActive() ? 1 : 0;
  if (dragging_ && ResizeStyle == rsUpdate) state = 2;
  TCacheInfo ci;
  GetParentCache(skinData_.get(), ci);
  if (ci.Ready) ci.X += Left(), ci.Y += Top();
  PaintItem(skinData_.get(), ci, true, state, skinData_->CacheBmp.get(), POINT{0, 0}, r, state != 0);
  BitBlt(Canvas()->Handle(), 0, 0, r.right, r.bottom, skinData_->CacheBmp->Canvas()->Handle(), 0, 0, SRCCOPY);
  skinData_->CacheBmp->SetSize(0, 0);  // rebuilt on every paint
  if (OnPaint) OnPaint(this);
}

bool TSkSplitter::SkinLoaded(TMessage& M) {
  SkinWndProc(M, skinData_.get());
  return true;
}

bool TSkSplitter::SkinRemoved(TMessage& M) {
  SkinWndProc(M, skinData_.get());
  Repaint();
  return true;
}

bool TSkSplitter::SkinApplied(TMessage& M) {
  return SkinRemoved(M);
}

// While skinned the splitter ends an update itself; every other command
// goes on to the plain splitter.
bool TSkSplitter::UpdateFinished(TMessage&) {
  if (!ControlIsReady(this) || !skinData_->Skinned()) return false;
  if (skinData_->Updating) skinData_->Updating = false, Repaint();
  return true;
}

void TSkSplitter::WndProc(TMessage& M) {
  if (DispatchSkinCommand(M, skinData_.get(), *this)) return;
  // A lost capture ends the drag: hints must not stay off.
  if (M.Msg == WM_CANCELMODE || M.Msg == CM_CANCELMODE || M.Msg == WM_CAPTURECHANGED) {
    auto alive = AliveToken();
    TSplitter::WndProc(M);
    if (alive.expired()) return;
    if (dragging_ && !MouseCapture()) dragging_ = false, RestoreHints();
    return;
  }
  if (!ControlIsReady(this) || !skinData_->Skinned()) return TSplitter::WndProc(M);
  switch (M.Msg) {
    case WM_NCPAINT:
    case WM_ERASEBKGND:
      return;
    case WM_MOVE:
    case WM_SIZE:
    case WM_MOUSEWHEEL:
    case CM_VISIBLECHANGED:
    case CM_ENABLEDCHANGED:
      skinData_->BGChanged = true;
      break;
    default:
      break;
  }
  if (SkinWndProc(M, skinData_.get())) return;
  auto alive = AliveToken();
  TSplitter::WndProc(M);
  if (alive.expired()) return;
  switch (M.Msg) {
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
      if (!skinData_->Focused && !ComponentState().Contains(csDesigning)) {
        skinData_->MouseAbove = M.Msg == CM_MOUSEENTER;
        skinData_->BGChanged = true;
        Repaint();
      }
      break;
    default:
      break;
  }
}

}  // namespace qv
