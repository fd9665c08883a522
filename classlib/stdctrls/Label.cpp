// TCustomLabel: painting and measuring the caption, AutoSize, word wrap,
// the disabled look, and the accelerator that focuses FocusControl.
#include "classlib/stdctrls/Label.h"

#include "classlib/graphics/Brush.h"
#include "classlib/graphics/Font.h"
#include "platform/Utf.h"
#include "platform/gdi/Gdi.h"
#include "platform/text/Text.h"
#include "platform/window/Paint.h"

namespace qv {

TCustomLabel::TCustomLabel(TComponent* AOwner) : TGraphicControl(AOwner) {
  ControlStyle().Include(csOpaque);
  ControlStyle().Include(csReplicatable);
  SetBounds(0, 0, 65, 17);
  SetParentColor(true);
}

void TCustomLabel::SetAlignment(TAlignment Value) {
  if (alignment_ == Value) return;
  alignment_ = Value;
  Invalidate();
}

void TCustomLabel::SetAutoSize(bool Value) {
  if (autoSize_ == Value) return;
  autoSize_ = Value;
  AdjustBounds();
}

void TCustomLabel::SetLayout(TTextLayout Value) {
  if (layout_ == Value) return;
  layout_ = Value;
  Invalidate();
}

void TCustomLabel::SetWordWrap(bool Value) {
  if (wordWrap_ == Value) return;
  wordWrap_ = Value;
  AdjustBounds();
  Invalidate();
}

void TCustomLabel::SetShowAccelChar(bool Value) {
  if (showAccelChar_ == Value) return;
  showAccelChar_ = Value;
  AdjustBounds();
  Invalidate();
}

void TCustomLabel::SetTransparent(bool Value) {
  if (Transparent() == Value) return;
  if (Value)
    ControlStyle().Exclude(csOpaque);
  else
    ControlStyle().Include(csOpaque);
  Invalidate();
}

void TCustomLabel::SetFocusControl(TWinControl* Value) {
  if (focusControl_) focusControl_->RemoveFreeNotification(this);
  focusControl_ = Value;
  if (Value) Value->FreeNotification(this);
}

void TCustomLabel::Notification(TComponent* AComponent, TOperation Operation) {
  TGraphicControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == focusControl_) focusControl_ = nullptr;
}

void TCustomLabel::DoDrawText(RECT& Rect, UINT Flags) {
  std::u16string text = Utf8ToUtf16(GetLabelText());
  if ((Flags & DT_CALCRECT) && (text.empty() || (showAccelChar_ && text == u"&"))) text += u" ";
  if (!showAccelChar_) Flags |= DT_NOPREFIX;
  TCanvas* canvas = Canvas();
  canvas->SetFont(Font());
  HDC dc = canvas->Handle();
  SelectObject(dc, canvas->Font()->Handle());
  SetBkMode(dc, TRANSPARENT);
  if (!Enabled() && !(Flags & DT_CALCRECT)) {
    // The embossed look: a highlight shifted by a pixel under grey text.
    RECT shifted = Rect;
    OffsetRect(&shifted, 1, 1);
    SetTextColor(dc, COLORREF(ColorToRGB(clBtnHighlight)));
    DrawTextW(dc, text.c_str(), int(text.size()), &shifted, Flags);
    SetTextColor(dc, COLORREF(ColorToRGB(clBtnShadow)));
    DrawTextW(dc, text.c_str(), int(text.size()), &Rect, Flags);
    return;
  }
  SetTextColor(dc, COLORREF(ColorToRGB(Font()->Color())));
  DrawTextW(dc, text.c_str(), int(text.size()), &Rect, Flags);
}

void TCustomLabel::Paint() {
  static const UINT kAlign[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
  TCanvas* canvas = Canvas();
  RECT client = ClientRect();
  if (!Transparent()) {
    canvas->Brush()->SetColor(Color());
    canvas->Brush()->SetStyle(bsSolid);
    canvas->FillRect(client);
  }
  canvas->Brush()->SetStyle(bsClear);
  UINT flags = DT_EXPANDTABS | (wordWrap_ ? DT_WORDBREAK : 0) | kAlign[alignment_];
  RECT r = client;
  if (layout_ != tlTop) {
    RECT calc = client;
    DoDrawText(calc, flags | DT_CALCRECT);
    int h = calc.bottom - calc.top;
    r.top = layout_ == tlBottom ? client.bottom - h : (client.bottom - h) / 2;
    r.bottom = r.top + h;
  }
  DoDrawText(r, flags);
}

void TCustomLabel::AdjustBounds() {
  if (!autoSize_ || ComponentState().Contains(csLoading)) return;
  RECT r = ClientRect();
  UINT flags = DT_EXPANDTABS | DT_CALCRECT | (wordWrap_ ? DT_WORDBREAK : 0);
  HDC dc = CreateCompatibleDC(nullptr);  // measures only: no copy of the screen
  auto* canvas = dynamic_cast<TControlCanvas*>(Canvas());
  if (canvas && !canvas->HandleAllocated()) {
    TCanvasPaintScope scope(*canvas, dc);
    DoDrawText(r, flags);
  } else {
    // The canvas is busy painting: measure beside it.
    std::u16string text = Utf8ToUtf16(GetLabelText());
    if (text.empty() || (showAccelChar_ && text == u"&")) text += u" ";
    HGDIOBJ old = SelectObject(dc, Font()->Handle());
    DrawTextW(dc, text.c_str(), int(text.size()), &r, flags | (showAccelChar_ ? 0 : DT_NOPREFIX));
    SelectObject(dc, old);
  }
  DeleteDC(dc);
  int x = Left();
  if (alignment_ == taRightJustify) x += Width() - r.right;
  if (alignment_ == taCenter) x += (Width() - r.right) / 2;
  SetBounds(x, Top(), r.right, r.bottom);
}

void TCustomLabel::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case CM_TEXTCHANGED:
      Invalidate();
      AdjustBounds();
      return;
    case CM_FONTCHANGED:
      AdjustBounds();
      Invalidate();
      return;
    case CM_DIALOGCHAR:
      if (focusControl_ && Enabled() && showAccelChar_ && IsAccel(char16_t(M.WParam), Caption()) &&
          focusControl_->CanFocus()) {
        focusControl_->SetFocus();
        M.Result = 1;
        return;
      }
      break;
  }
  TGraphicControl::Dispatch(M);
}

}  // namespace qv
