// TCustomGroupBox painting and client area; TCustomRadioGroup's buttons,
// their layout and the item index.
#include "classlib/stdctrls/GroupBox.h"

#include "classlib/controls/ControlMessages.h"
#include "classlib/graphics/Brush.h"
#include "classlib/graphics/Font.h"
#include "classlib/stdctrls/Button.h"
#include "classlib/stdctrls/CheckBox.h"
#include "classlib/stdctrls/TextMeasure.h"
#include "platform/Utf.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/SystemColors.h"
#include "platform/text/Text.h"

namespace qv {

TCustomGroupBox::TCustomGroupBox(TComponent* AOwner) : TCustomControl(AOwner) {
  ControlStyle() = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents,
                                 csSetCaption,      csDoubleClicks, csParentBackground};
  SetBounds(Left(), Top(), 185, 105);
  SetParentColor(true);
}

int TCustomGroupBox::CaptionHeight() {
  return MeasureText(Font(), "0").cy;
}

void TCustomGroupBox::AdjustClientRect(RECT& Rect) {
  TCustomControl::AdjustClientRect(Rect);
  Rect.top += CaptionHeight();
  InflateRect(&Rect, -2, -2);
}

void TCustomGroupBox::Paint() {
  TCanvas* c = Canvas();
  c->Font()->Assign(Font());
  int h = c->TextHeight("0");
  RECT r = ClientRect();
  HDC dc = c->Handle();
  RECT frame{r.left, r.top + h / 2, r.right, r.bottom};
  DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
  std::string text = Text();
  if (text.empty()) return;
  int w = c->TextWidth(text);
  RECT label{8, 0, std::min<LONG>(r.right - 8, 8 + w + 4), h};
  c->Brush()->SetColor(Color());
  c->FillRect(label);
  std::u16string wide = Utf8ToUtf16(text);
  label.left += 2;
  SelectObject(dc, Font()->Handle());
  SetBkMode(dc, TRANSPARENT);
  if (Enabled()) {
    SetTextColor(dc, COLORREF(ColorToRGB(Font()->Color())));
    DrawTextW(dc, wide.c_str(), int(wide.size()), &label, DT_SINGLELINE | DT_LEFT | DT_TOP);
  } else {
    RECT shade = label;
    OffsetRect(&shade, 1, 1);
    SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
    DrawTextW(dc, wide.c_str(), int(wide.size()), &shade, DT_SINGLELINE | DT_LEFT | DT_TOP);
    SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
    DrawTextW(dc, wide.c_str(), int(wide.size()), &label, DT_SINGLELINE | DT_LEFT | DT_TOP);
  }
}

void TCustomGroupBox::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case CM_TEXTCHANGED:
    case CM_FONTCHANGED:
      Invalidate();
      Realign();
      break;
    case CM_DIALOGCHAR:
      // The accelerator focuses the first control inside.
      if (IsAccel(char16_t(M.WParam), Text()) && CanFocus()) {
        for (int i = 0; i < ControlCount(); ++i)
          if (auto* w = dynamic_cast<TWinControl*>(Controls(i)); w && w->CanFocus()) {
            w->SetFocus();
            break;
          }
        M.Result = 1;
        return;
      }
      break;
  }
  TCustomControl::Dispatch(M);
}

// ---- radio group ----

TCustomRadioGroup::TCustomRadioGroup(TComponent* AOwner) : TCustomGroupBox(AOwner), items_(new TStringList) {
  ControlStyle().Exclude(csAcceptsControls);
  items_->OnChange = [this](TObject*) {
    if (!updating_) UpdateButtons();
  };
}

TCustomRadioGroup::~TCustomRadioGroup() {
  items_->OnChange = nullptr;
}

void TCustomRadioGroup::UpdateButtons() {
  updating_ = true;
  while (int(buttons_.size()) > items_->Count()) {
    delete buttons_.back();
    buttons_.pop_back();
  }
  while (int(buttons_.size()) < items_->Count()) {
    auto* b = new TRadioButton(this);
    b->OnClick = [this](TObject* s) { ButtonClick(s); };
    b->SetParent(this);
    buttons_.push_back(b);
  }
  for (size_t i = 0; i < buttons_.size(); ++i) {
    buttons_[i]->SetCaption(items_->Strings(int(i)));
    buttons_[i]->SetChecked(int(i) == itemIndex_);
    buttons_[i]->SetTabStop(int(i) == itemIndex_ || (itemIndex_ < 0 && i == 0));
  }
  if (itemIndex_ >= int(buttons_.size())) itemIndex_ = -1;
  updating_ = false;
  ArrangeButtons();
}

void TCustomRadioGroup::ArrangeButtons() {
  if (buttons_.empty()) return;
  int h = CaptionHeight();
  int perColumn = (int(buttons_.size()) + columns_ - 1) / columns_;
  int width = (Width() - 10) / columns_;
  int space = Height() - h - 5;
  int height = space / std::max(perColumn, 1);
  int top = h + 1 + (space % std::max(perColumn, 1)) / 2;
  for (size_t i = 0; i < buttons_.size(); ++i) {
    int col = int(i) / perColumn, row = int(i) % perColumn;
    buttons_[i]->SetBounds(col * width + 8, row * height + top, width, height);
  }
}

void TCustomRadioGroup::ButtonClick(TObject* Sender) {
  if (updating_) return;
  for (size_t i = 0; i < buttons_.size(); ++i)
    if (buttons_[i] == Sender) itemIndex_ = int(i);
  Click();
}

void TCustomRadioGroup::SetItemIndex(int Value) {
  if (Value < -1 || Value >= items_->Count()) Value = -1;
  if (Value == itemIndex_) return;
  if (itemIndex_ >= 0 && itemIndex_ < int(buttons_.size())) {
    updating_ = true;
    buttons_[size_t(itemIndex_)]->SetChecked(false);
    updating_ = false;
  }
  itemIndex_ = Value;
  if (Value >= 0) buttons_[size_t(Value)]->SetChecked(true);
}

void TCustomRadioGroup::SetColumns(int Value) {
  columns_ = std::clamp(Value, 1, 16);
  ArrangeButtons();
  Invalidate();
}

void TCustomRadioGroup::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case WM_SIZE:
      TCustomGroupBox::Dispatch(M);
      ArrangeButtons();
      return;
    case CM_FONTCHANGED:
      TCustomGroupBox::Dispatch(M);
      ArrangeButtons();
      return;
  }
  TCustomGroupBox::Dispatch(M);
}

}  // namespace qv
