// TLabeledEdit and its bound label.
#include "classlib/stdctrls/LabeledEdit.h"

#include "classlib/controls/ControlMessages.h"
#include "classlib/graphics/Font.h"
#include "classlib/stdctrls/Button.h"
#include "classlib/stdctrls/TextMeasure.h"
#include "platform/Utf.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/SystemColors.h"
#include "platform/text/Text.h"

namespace qv {

TBoundLabel::TBoundLabel(TCustomLabeledEdit* Edit) : TGraphicControl(Edit), edit_(Edit) {
  ControlStyle() = TControlStyle{csSetCaption, csReplicatable};
  SetParentColor(true);
  SetBounds(0, 0, 60, 13);
}

void TBoundLabel::AdjustBounds() {
  SIZE s = MeasureText(Font(), Text());
  SetBounds(Left(), Top(), s.cx, s.cy);
}

void TBoundLabel::Paint() {
  TCanvas* c = Canvas();
  c->Font()->Assign(Font());
  HDC dc = c->Handle();
  RECT r = ClientRect();
  std::u16string text = Utf8ToUtf16(Text());
  SelectObject(dc, Font()->Handle());
  SetBkMode(dc, TRANSPARENT);
  if (Enabled()) {
    SetTextColor(dc, COLORREF(ColorToRGB(Font()->Color())));
    DrawTextW(dc, text.c_str(), int(text.size()), &r, DT_LEFT | DT_TOP | DT_SINGLELINE);
    return;
  }
  RECT shade = r;
  OffsetRect(&shade, 1, 1);
  SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
  DrawTextW(dc, text.c_str(), int(text.size()), &shade, DT_LEFT | DT_TOP | DT_SINGLELINE);
  SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
  DrawTextW(dc, text.c_str(), int(text.size()), &r, DT_LEFT | DT_TOP | DT_SINGLELINE);
}

void TBoundLabel::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case CM_TEXTCHANGED:
    case CM_FONTCHANGED:
      AdjustBounds();
      if (edit_) edit_->PlaceLabel();
      Invalidate();
      return;
    case CM_DIALOGCHAR:
      if (edit_ && IsAccel(char16_t(M.WParam), Text()) && edit_->CanFocus()) {
        edit_->SetFocus();
        M.Result = 1;
        return;
      }
      break;
  }
  TGraphicControl::Dispatch(M);
}

TCustomLabeledEdit::TCustomLabeledEdit(TComponent* AOwner) : TCustomEdit(AOwner) {
  label_ = new TBoundLabel(this);
  label_->FreeNotification(this);
  label_->SetCaption("LabeledEdit");
}

TCustomLabeledEdit::~TCustomLabeledEdit() {
  if (label_) label_->SetParent(nullptr);
}

void TCustomLabeledEdit::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomEdit::Notification(AComponent, Operation);
  if (AComponent == label_ && Operation == opRemove) label_ = nullptr;
}

void TCustomLabeledEdit::PlaceLabel() {
  if (!label_) return;
  int x = Left(), y = Top();
  switch (labelPosition_) {
    case lpAbove:
      y -= label_->Height() + labelSpacing_;
      break;
    case lpBelow:
      y += Height() + labelSpacing_;
      break;
    case lpLeft:
      x -= label_->Width() + labelSpacing_, y += (Height() - label_->Height()) / 2;
      break;
    case lpRight:
      x += Width() + labelSpacing_, y += (Height() - label_->Height()) / 2;
      break;
  }
  label_->SetBounds(x, y, label_->Width(), label_->Height());
}

void TCustomLabeledEdit::SetLabelPosition(TLabelPosition Value) {
  labelPosition_ = Value;
  PlaceLabel();
}

void TCustomLabeledEdit::SetLabelSpacing(int Value) {
  labelSpacing_ = Value;
  PlaceLabel();
}

void TCustomLabeledEdit::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  TCustomEdit::SetBounds(ALeft, ATop, AWidth, AHeight);
  PlaceLabel();
}

void TCustomLabeledEdit::SetParent(TWinControl* AParent) {
  TCustomEdit::SetParent(AParent);
  if (!label_) return;
  label_->SetParent(AParent);
  label_->SetVisible(Visible());
  PlaceLabel();
}

void TCustomLabeledEdit::Dispatch(TMessage& M) {
  TCustomEdit::Dispatch(M);
  if (!label_) return;
  switch (M.Msg) {
    case CM_VISIBLECHANGED:
      label_->SetVisible(Visible());
      break;
    case CM_ENABLEDCHANGED:
      label_->SetEnabled(Enabled());
      break;
  }
}

}  // namespace qv
