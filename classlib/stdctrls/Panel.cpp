// TCustomPanel: the bevels, border gap and caption, the client area the
// aligned children get, and Frame3D.
#include "classlib/stdctrls/Panel.h"

#include "classlib/graphics/Brush.h"
#include "classlib/graphics/Font.h"
#include "classlib/stdctrls/Frame3D.h"
#include "platform/Utf.h"
#include "platform/gdi/Gdi.h"
#include "platform/text/Text.h"

namespace qv {

void Frame3D(TCanvas* Canvas, RECT& Rect, TColor TopColor, TColor BottomColor, int Width) {
  RECT r{Rect.left, Rect.top, Rect.right - 1, Rect.bottom - 1};
  TPen* pen = Canvas->Pen();
  pen->SetWidth(1);
  pen->SetStyle(psSolid);
  for (int i = 0; i < Width; ++i) {
    pen->SetColor(TopColor);
    Canvas->Polyline({POINT{r.left, r.bottom}, POINT{r.left, r.top}, POINT{r.right, r.top}});
    pen->SetColor(BottomColor);
    Canvas->Polyline({POINT{r.right, r.top}, POINT{r.right, r.bottom}, POINT{r.left - 1, r.bottom}});
    InflateRect(&r, -1, -1);
  }
  InflateRect(&Rect, -Width, -Width);
}

TCustomPanel::TCustomPanel(TComponent* AOwner) : TCustomControl(AOwner) {
  ControlStyle() = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption,
                                 csOpaque,          csDoubleClicks, csReplicatable};
  SetBounds(0, 0, 185, 41);
  SetParentColor(false);
  SetColor(clBtnFace);
}

void TCustomPanel::Changed() {
  Realign();
  Invalidate();
}

void TCustomPanel::SetAlignment(TAlignment Value) {
  alignment_ = Value;
  Invalidate();
}

void TCustomPanel::SetBevelInner(TBevelCut Value) {
  bevelInner_ = Value;
  Changed();
}

void TCustomPanel::SetBevelOuter(TBevelCut Value) {
  bevelOuter_ = Value;
  Changed();
}

void TCustomPanel::SetBevelWidth(int Value) {
  bevelWidth_ = std::max(1, Value);
  Changed();
}

void TCustomPanel::SetBorderStyle(TBorderStyle Value) {
  if (borderStyle_ == Value) return;
  borderStyle_ = Value;
  RecreateWnd();
}

void TCustomPanel::FrameStyle(DWORD& Style, DWORD& ExStyle) const {
  TCustomControl::FrameStyle(Style, ExStyle);
  if (borderStyle_ == bsSingle) ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomPanel::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  if (borderStyle_ == bsSingle) Params.ExStyle |= WS_EX_CLIENTEDGE;
  Params.WindowClass.style &= ~UINT(CS_HREDRAW | CS_VREDRAW);
}

int TCustomPanel::BevelSize() const {
  int size = BorderWidth();
  if (bevelOuter_ != bvNone) size += bevelWidth_;
  if (bevelInner_ != bvNone) size += bevelWidth_;
  return size;
}

void TCustomPanel::AdjustClientRect(RECT& Rect) {
  TCustomControl::AdjustClientRect(Rect);  // the border gap
  int bevels = BevelSize() - BorderWidth();
  InflateRect(&Rect, -bevels, -bevels);
}

void TCustomPanel::Paint() {
  TCanvas* canvas = Canvas();
  RECT r = ClientRect();
  auto bevel = [&](TBevelCut cut) {
    if (cut == bvNone) return;
    TColor top = cut == bvLowered ? clBtnShadow : cut == bvRaised ? clBtnHighlight : Color();
    TColor bottom = cut == bvLowered ? clBtnHighlight : cut == bvRaised ? clBtnShadow : Color();
    Frame3D(canvas, r, top, bottom, bevelWidth_);
  };
  bevel(bevelOuter_);
  if (BorderWidth() > 0) Frame3D(canvas, r, Color(), Color(), BorderWidth());
  bevel(bevelInner_);
  canvas->Brush()->SetColor(Color());
  canvas->Brush()->SetStyle(bsSolid);
  canvas->FillRect(r);
  std::u16string text = Utf8ToUtf16(Caption());
  if (text.empty()) return;
  static const UINT kAlign[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
  canvas->SetFont(Font());
  canvas->Brush()->SetStyle(bsClear);
  HDC dc = canvas->Handle();
  SelectObject(dc, canvas->Font()->Handle());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, COLORREF(ColorToRGB(Enabled() ? Font()->Color() : clGrayText)));
  DrawTextW(dc, text.c_str(), int(text.size()), &r,
            DT_EXPANDTABS | DT_SINGLELINE | DT_VCENTER | kAlign[alignment_]);
}

void TCustomPanel::Dispatch(TMessage& M) {
  if (M.Msg == CM_TEXTCHANGED) return Invalidate();
  TCustomControl::Dispatch(M);
}

}  // namespace qv
