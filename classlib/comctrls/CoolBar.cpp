// TCoolBar and its bands.
#include "classlib/comctrls/CoolBar.h"

#include "classlib/comctrls/BarSubClass.h"
#include "platform/window/MessageQueue.h"

namespace qv {

// ---- bands ----

TCoolBand::TCoolBand(TCollection* Collection) : TCollectionItem(Collection) {
  if (auto* bands = dynamic_cast<TCoolBands*>(Collection)) bands->constructing_ = false;
  Changed(true);
}

void TCoolBand::SetControl(TWinControl* Value) {
  control_ = Value;
  Changed(true);
}
void TCoolBand::SetBreak(bool Value) {
  break_ = Value;
  Changed(true);
}
void TCoolBand::SetFixedSize(bool Value) {
  fixedSize_ = Value;
  Changed(true);
}
void TCoolBand::SetMinHeight(int Value) {
  minHeight_ = Value;
  Changed(true);
}
void TCoolBand::SetMinWidth(int Value) {
  minWidth_ = Value;
  Changed(true);
}
void TCoolBand::SetWidth(int Value) {
  width_ = Value;
  Changed(true);
}
void TCoolBand::SetVisible(bool Value) {
  visible_ = Value;
  Changed(true);
}

TCoolBands::TCoolBands(TCoolBar* CoolBar) : TCollection(ItemClass<TCoolBand>(), CoolBar), bar_(CoolBar) {}

TCoolBand* TCoolBands::FindBand(TControl* AControl) const {
  for (int i = 0; i < Count(); ++i)
    if (Items(i)->Control() == AControl) return Items(i);
  return nullptr;
}

void TCoolBands::Notify(TCollectionItem* Item, TCollectionNotification Action) {
  if (Action == cnAdded) constructing_ = true;
  TCollection::Notify(Item, Action);
}

void TCoolBands::Update(TCollectionItem* Item) {
  if (constructing_) return;
  TCollection::Update(Item);
  bar_->UpdateBands();
}

// ---- the bar ----

TCoolBar::TCoolBar(TComponent* AOwner) : TWinControl(AOwner), bands_(std::make_unique<TCoolBands>(this)) {
  ControlStyle() = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csDoubleClicks};
  SetColor(clBtnFace);
  SetBounds(0, 0, 150, 75);
  SetAlign(alTop);
}

TCoolBar::~TCoolBar() {
  bands_->BeginUpdate();
}

void TCoolBar::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateBarSubClass(Params, REBARCLASSNAMEW);
  Params.Style |= CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER | RBS_BANDBORDERS | RBS_VARHEIGHT;
}

void TCoolBar::CreateWnd() {
  TWinControl::CreateWnd();
  UpdateBands();
}

void TCoolBar::UpdateBands() {
  if (!HandleAllocated() || updating_) return;
  updating_ = true;
  HWND h = WindowHandle();
  while (SendMessageW(h, RB_GETBANDCOUNT, 0, 0) > 0) SendMessageW(h, RB_DELETEBAND, 0, 0);
  for (int i = 0; i < bands_->Count(); ++i) {
    TCoolBand* b = bands_->Items(i);
    REBARBANDINFOW info;
    info.fMask = RBBIM_STYLE | RBBIM_CHILD | RBBIM_CHILDSIZE | RBBIM_SIZE | RBBIM_ID;
    info.fStyle = (b->Break() ? RBBS_BREAK : 0) | (b->FixedSize() ? RBBS_FIXEDSIZE : 0) |
                  (b->Visible() ? 0 : RBBS_HIDDEN);
    TWinControl* c = b->Control();
    info.hwndChild = c && c->Parent() == this ? c->Handle() : nullptr;
    info.cyMinChild = UINT(std::max(b->MinHeight(), c ? c->Height() : 0));
    info.cxMinChild = UINT(std::max(b->MinWidth(), c ? c->Width() : 0));
    info.cx = UINT(b->Width());
    info.wID = UINT(b->ID());
    SendMessageW(h, RB_INSERTBANDW, WPARAM(-1), LPARAM(&info));
  }
  updating_ = false;
  FitHeight();
}

void TCoolBar::FitHeight() {
  if (!autoSize_ || !HandleAllocated()) return;
  int h = int(SendMessageW(WindowHandle(), RB_GETBARHEIGHT, 0, 0));
  if (h > 0 && h != Height()) SetHeight(h);
}

void TCoolBar::SetAutoSize(bool Value) {
  autoSize_ = Value;
  FitHeight();
}

// A control that changes its height makes its band follow.
void TCoolBar::AlignControls(TControl*, RECT&) {
  if (!HandleAllocated() || updating_) return;
  for (int i = 0; i < bands_->Count(); ++i) {
    TCoolBand* b = bands_->Items(i);
    REBARBANDINFOW info;
    info.fMask = RBBIM_CHILDSIZE;
    SendMessageW(WindowHandle(), RB_GETBANDINFOW, WPARAM(i), LPARAM(&info));
    if (b->Control() && int(info.cyMinChild) != std::max(b->MinHeight(), b->Control()->Height())) {
      UpdateBands();
      return;
    }
  }
}

void TCoolBar::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case CM_CONTROLCHANGE: {
      auto* c = dynamic_cast<TWinControl*>(reinterpret_cast<TControl*>(M.WParam));
      if (!c) break;
      if (M.LParam) {
        if (!bands_->FindBand(c)) bands_->Add()->SetControl(c);
      } else if (TCoolBand* b = bands_->FindBand(c)) {
        delete b;
      }
      return;
    }
    case CN_NOTIFY:
      if (reinterpret_cast<NMHDR*>(M.LParam)->code == RBN_HEIGHTCHANGE) FitHeight();
      return;
  }
  TWinControl::Dispatch(M);
}

}  // namespace qv
