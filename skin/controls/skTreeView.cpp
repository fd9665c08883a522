// The skinned tree view: skin commands, the skinned frame and the skinned
// scroll bars laid over it.
#include "skin/controls/skTreeView.h"

#include "platform/comctl/TreeView.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/SystemMetrics.h"
#include "platform/window/Input.h"
#include "platform/window/Paint.h"
#include "platform/window/ScrollBar.h"
#include "skin/controls/skCtrlHelpers.h"
#include "skin/controls/skLinkedBars.h"
#include "skin/skControlTree.h"
#include "skin/skItemPaint.h"
#include "skin/skMaskPaint.h"
#include "skin/skinManager.h"

namespace qv {

namespace {
constexpr int kTreeClassCode = 96;
}

TSkTreeView::TSkTreeView(TComponent* AOwner) : TSkSkinned(AOwner) {
  skinData_ = std::make_unique<TSkCommonData>(this, true);
  skinData_->ClassCode = kTreeClassCode;
  if (skinData_->SkinSection().empty()) skinData_->SetSkinSection("EDIT");
  boundLabel_ = std::make_unique<TSkBoundLabel>(skinData_.get());
}

TSkTreeView::~TSkTreeView() {
  Destroying();
  FreeBars();
  boundLabel_.reset();
  skinData_.reset();
}

// A removed skin gives back the border style the tree was made with; a tree
// loaded from a stream takes the skin's colours.
void TSkTreeView::SkinSetUpDone(bool FromStream) {
  if (!FromStream) savedBorder_ = BorderStyle();
  UpdateScrollBars();
  if (FromStream && skinData_->Skinned()) skinData_->ApplySectionColors();
}

void TSkTreeView::CreateWnd() {
  TTreeView::CreateWnd();
  UpdateScrollBars();
}

bool TSkTreeView::Dying() const {
  return ComponentState().Contains(csDestroying) || ComponentState().Contains(csLoading);
}

void TSkTreeView::FreeBars() {
  FreeLinkedBars(vBar_, hBar_);
}

// True when the direction needs a bar; makes, sets and shows it then.
bool TSkTreeView::UpdateBar(TSkScrollBar*& Bar, int Which) {
  return UpdateLinkedBar(this, Bar, Which, [this](bool Vertical, int Position) {
    Perform(Vertical ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, Position), 0);
  });
}

void TSkTreeView::PlaceBars() {
  PlaceLinkedBars(this, FrameWidth(), vBar_, hBar_);
}

void TSkTreeView::UpdateScrollBars() {
  if (!HandleAllocated() || Dying()) return;
  if (!skinData_->Skinned() || !Visible() || Width() < 16 || Height() < 16 || !Parent()) return FreeBars();
  UpdateBar(vBar_, SB_VERT);
  UpdateBar(hBar_, SB_HORZ);
  PlaceBars();
}

void TSkTreeView::PaintFrame() {
  if (!HandleAllocated() || Dying()) return;
  PaintLinkedFrame(this, skinData_.get(), FrameWidth(), vBar_, hBar_);
}

// The skin commands; true when handled fully.
bool TSkTreeView::SkinLoaded(TMessage& M) {
  SkinWndProc(M, skinData_.get());
  // Through single to none: the frame is recomputed and the skin draws it.
  SetBorderStyle(bsSingle);
  SetBorderStyle(bsNone);
  return true;
}

bool TSkTreeView::SkinRemoved(TMessage& M) {
  SkinWndProc(M, skinData_.get());
  SetBorderStyle(savedBorder_);
  UpdateScrollBars();
  if (!skinData_->CustomColor()) SetColor(clWindow);
  if (!skinData_->CustomFont()) Font()->SetColor(clWindowText);
  if (HandleAllocated()) RedrawWindow(Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE);
  return true;
}

bool TSkTreeView::SkinApplied(TMessage& M) {
  SkinWndProc(M, skinData_.get());
  if (skinData_->Skinned()) skinData_->ApplySectionColors();
  for (TSkScrollBar* bar : {vBar_, hBar_})
    if (bar && bar->Visible()) bar->Perform(M.Msg, M.WParam, M.LParam);
  UpdateScrollBars();
  if (HandleAllocated()) RedrawWindow(Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE);
  return true;
}

bool TSkTreeView::CtrlHandled(TMessage& M) {
  M.LParam = 1;
  M.Result = 1;
  return true;
}

bool TSkTreeView::UpdateFinished(TMessage&) {
  if (!skinData_->Updating) return false;
  skinData_->Updating = false;
  Perform(WM_NCPAINT, 0, 0);
  return true;
}

// Skinned, ready control; true when the message must go no further.
bool TSkTreeView::SkinnedMessage(TMessage& M) {
  switch (M.Msg) {
    case WM_PRINT:
      Perform(WM_PAINT, M.WParam, M.LParam);
      Perform(WM_NCPAINT, M.WParam, M.LParam);
      return true;
    case CM_VISIBLECHANGED:
    case CM_ENABLEDCHANGED:
    case WM_MOUSEWHEEL:
    case WM_MOVE:
      skinData_->BGChanged = true;
      if (HandleAllocated()) InvalidateRect(Handle(), nullptr, FALSE);
      UpdateScrollBars();
      return false;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case CM_ENTER:
    case CM_EXIT:
      TTreeView::WndProc(M);
      return true;
    case WM_ERASEBKGND:
      M.Result = 1;
      return true;
    default:
      return false;
  }
}

void TSkTreeView::AfterNotify(const TMessage& M) {
  switch (M.Msg) {
    case CN_KEYDOWN:
      return UpdateScrollBars();
    case CN_KEYUP:
      switch (M.WParam) {
        case VK_PRIOR:
        case VK_NEXT:
        case VK_END:
        case VK_HOME:
        case VK_UP:
        case VK_DOWN:
        case 145:
          UpdateScrollBars();
      }
      return;
    case CN_NOTIFY: {
      const auto* hdr = reinterpret_cast<const NMHDR*>(M.LParam);
      if (hdr &&
          (hdr->code == TVN_ITEMEXPANDED || hdr->code == TVN_DELETEITEM || hdr->code == TVN_ENDLABELEDIT))
        UpdateScrollBars();
      return;
    }
    case WM_MOUSEWHEEL:
    case WM_VSCROLL:
    case WM_HSCROLL:
      return UpdateScrollBars();
  }
}

void TSkTreeView::NormalPath(TMessage& M) {
  if (SkinWndProc(M, skinData_.get())) return;
  auto alive = AliveToken();
  TTreeView::WndProc(M);
  if (alive.expired() || Dying()) return;
  switch (M.Msg) {
    case WM_SIZE:
      skinData_->BGChanged = true;
      UpdateScrollBars();
      if (skinData_->Skinned() && HandleAllocated()) Perform(WM_NCPAINT, 0, 0);
      break;
    case WM_WINDOWPOSCHANGED:
    case TVM_INSERTITEM:
      if (!skinData_->Updating) UpdateScrollBars();
      break;
    case WM_NCCALCSIZE:
      if (skinData_->Skinned() && M.LParam) {
        RECT* r = reinterpret_cast<RECT*>(M.LParam);
        const int d = BorderStyle() != bsNone ? 1 : 3;
        InflateRect(r, -d, -d);
      }
      break;
    case WM_NCPAINT:
      if (skinData_->Skinned()) PaintFrame();
      break;
    default:
      if (skinData_->Skinned()) AfterNotify(M);
  }
}

void TSkTreeView::WndProc(TMessage& M) {
  if (DispatchSkinCommand(M, skinData_.get(), *this)) return;
  if (!ControlIsReady(this)) return TTreeView::WndProc(M);
  auto alive = AliveToken();
  if (!(skinData_->Skinned() && SkinnedMessage(M))) NormalPath(M);
  if (!alive.expired()) BoundLabelUpkeep(boundLabel_.get(), this, M);
}

}  // namespace qv
