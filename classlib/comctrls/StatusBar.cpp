// TStatusBar and its panels.
#include "classlib/comctrls/StatusBar.h"

#include "classlib/comctrls/BarSubClass.h"
#include "classlib/graphics/Canvas.h"
#include "platform/Utf.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/OwnerDraw.h"

namespace qv {

// ---- panels ----

// The collection hears of a new item while its base is being built; the
// panel announces itself once it is whole.
TStatusPanel::TStatusPanel(TCollection* Collection) : TCollectionItem(Collection) {
  if (auto* panels = dynamic_cast<TStatusPanels*>(Collection)) panels->constructing_ = false;
  Changed(true);
}

void TStatusPanel::SetText(const std::string& Value) {
  if (text_ == Value) return;
  text_ = Value;
  Changed(false);
}

void TStatusPanel::SetWidth(int Value) {
  if (width_ == Value) return;
  width_ = Value;
  Changed(true);
}

void TStatusPanel::SetAlignment(TAlignment Value) {
  alignment_ = Value;
  Changed(false);
}

void TStatusPanel::SetBevel(TStatusPanelBevel Value) {
  bevel_ = Value;
  Changed(false);
}

void TStatusPanel::SetStyle(TStatusPanelStyle Value) {
  style_ = Value;
  Changed(false);
}

void TStatusPanel::Assign(TPersistent* Source) {
  auto* p = dynamic_cast<TStatusPanel*>(Source);
  if (!p) return TCollectionItem::Assign(Source);
  text_ = p->text_;
  width_ = p->width_;
  alignment_ = p->alignment_;
  bevel_ = p->bevel_;
  style_ = p->style_;
  Changed(true);
}

TStatusPanels::TStatusPanels(TStatusBar* StatusBar)
    : TCollection(ItemClass<TStatusPanel>(), StatusBar), bar_(StatusBar) {}

void TStatusPanels::Notify(TCollectionItem* Item, TCollectionNotification Action) {
  if (Action == cnAdded) constructing_ = true;
  TCollection::Notify(Item, Action);
}

void TStatusPanels::Update(TCollectionItem* Item) {
  if (constructing_) return;
  TCollection::Update(Item);
  bar_->UpdatePanels(static_cast<TStatusPanel*>(Item));
}

// ---- the bar ----

TStatusBar::TStatusBar(TComponent* AOwner)
    : TWinControl(AOwner),
      panels_(std::make_unique<TStatusPanels>(this)),
      canvas_(std::make_unique<TCanvas>()) {
  SetColor(clBtnFace);
  SetBounds(0, 0, 200, 19);
  SetAlign(alBottom);
}

TStatusBar::~TStatusBar() {
  panels_->BeginUpdate();  // the panels leave quietly
}

void TStatusBar::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateBarSubClass(Params, STATUSCLASSNAMEW);
  Params.Style |= CCS_NOPARENTALIGN | CCS_NORESIZE;
  if (sizeGrip_) Params.Style |= SBARS_SIZEGRIP;
}

void TStatusBar::CreateWnd() {
  TWinControl::CreateWnd();
  UpdatePanels(nullptr);
  std::u16string simple = Utf8ToUtf16(simpleText_);
  SendMessageW(WindowHandle(), SB_SETTEXTW, SB_SIMPLEID, LPARAM(simple.c_str()));
  SendMessageW(WindowHandle(), SB_SIMPLE, simplePanel_, 0);
}

// Each panel ends Width pixels after the one before; the last one reaches
// the end of the bar.
void TStatusBar::UpdatePanels(TStatusPanel* Panel) {
  if (!HandleAllocated()) return;
  if (Panel) return SendPanelText(Panel->Index());
  int count = panels_->Count();
  std::vector<int> edges(size_t(std::max(count, 1)), -1);
  int right = 0;
  for (int i = 0; i + 1 < count; ++i) {
    right += panels_->Items(i)->Width();
    edges[size_t(i)] = right;
  }
  SendMessageW(WindowHandle(), SB_SETPARTS, edges.size(), LPARAM(edges.data()));
  for (int i = 0; i < count; ++i) SendPanelText(i);
  if (count == 0) SendMessageW(WindowHandle(), SB_SETTEXTW, 0, LPARAM(u""));
}

void TStatusBar::SendPanelText(int Index) {
  TStatusPanel* p = panels_->Items(Index);
  WPARAM kind = p->Bevel() == pbNone ? SBT_NOBORDERS : p->Bevel() == pbRaised ? SBT_POPOUT : 0;
  if (p->Style() == psOwnerDraw) {
    SendMessageW(WindowHandle(), SB_SETTEXTW, WPARAM(Index) | kind | SBT_OWNERDRAW, LPARAM(p));
    return;
  }
  // The window centres what follows one tab and right-aligns what follows two.
  std::u16string text = p->Alignment() == taCenter ? u"\t" : p->Alignment() == taRightJustify ? u"\t\t" : u"";
  text += Utf8ToUtf16(p->Text());
  SendMessageW(WindowHandle(), SB_SETTEXTW, WPARAM(Index) | kind, LPARAM(text.c_str()));
}

void TStatusBar::SetSimplePanel(bool Value) {
  simplePanel_ = Value;
  if (HandleAllocated()) SendMessageW(WindowHandle(), SB_SIMPLE, Value, 0);
}

void TStatusBar::SetSimpleText(const std::string& Value) {
  simpleText_ = Value;
  if (!HandleAllocated()) return;
  std::u16string t = Utf8ToUtf16(Value);
  SendMessageW(WindowHandle(), SB_SETTEXTW, SB_SIMPLEID, LPARAM(t.c_str()));
}

void TStatusBar::SetSizeGrip(bool Value) {
  if (sizeGrip_ == Value) return;
  sizeGrip_ = Value;
  RecreateWnd();
}

void TStatusBar::DrawPanel(TStatusPanel* Panel, const RECT& Rect) {
  if (OnDrawPanel)
    OnDrawPanel(this, Panel, Rect);
  else
    canvas_->FillRect(Rect);
}

void TStatusBar::Dispatch(TMessage& M) {
  if (M.Msg == CN_DRAWITEM) {
    auto* di = reinterpret_cast<DRAWITEMSTRUCT*>(M.LParam);
    canvas_->SetHandle(di->hDC);
    canvas_->Font()->Assign(Font());
    canvas_->Brush()->SetColor(Color());
    int index = int(di->itemID);
    if (index >= 0 && index < panels_->Count()) DrawPanel(panels_->Items(index), di->rcItem);
    canvas_->SetHandle(nullptr);
    M.Result = 1;
    return;
  }
  TWinControl::Dispatch(M);
}

}  // namespace qv
