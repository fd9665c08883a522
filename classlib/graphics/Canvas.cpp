// TCanvas: the request-state protocol (font, pen and brush selected lazily and
// again after a change) and the drawing calls on top of the GDI.
#include "classlib/graphics/Canvas.h"

#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/Graphic.h"
#include "platform/Utf.h"
#include "platform/gdi/Gdi.h"
#include "platform/text/Text.h"

namespace qv {

UINT TextFormatToDrawTextFlags(TTextFormat Format) {
  static constexpr struct {
    TTextFormats f;
    UINT dt;
  } map[] = {{tfBottom, DT_BOTTOM},
             {tfCalcRect, DT_CALCRECT},
             {tfCenter, DT_CENTER},
             {tfEditControl, DT_EDITCONTROL},
             {tfEndEllipsis, DT_END_ELLIPSIS},
             {tfPathEllipsis, DT_PATH_ELLIPSIS},
             {tfExpandTabs, DT_EXPANDTABS},
             {tfExternalLeading, DT_EXTERNALLEADING},
             {tfLeft, DT_LEFT},
             {tfModifyString, DT_MODIFYSTRING},
             {tfNoClip, DT_NOCLIP},
             {tfNoPrefix, DT_NOPREFIX},
             {tfRight, DT_RIGHT},
             {tfRtlReading, DT_RTLREADING},
             {tfSingleLine, DT_SINGLELINE},
             {tfTop, DT_TOP},
             {tfVerticalCenter, DT_VCENTER},
             {tfWordBreak, DT_WORDBREAK},
             {tfHidePrefix, DT_HIDEPREFIX},
             {tfNoFullWidthCharBreak, DT_NOFULLWIDTHCHARBREAK},
             {tfPrefixOnly, DT_PREFIXONLY},
             {tfWordEllipsis, DT_WORD_ELLIPSIS}};
  UINT flags = 0;
  for (auto& m : map)
    if (Format.Contains(m.f)) flags |= m.dt;
  return flags;
}

TCanvas::TCanvas() {
  // A changed object is deselected; the next drawing call selects it again.
  font_.OnChange = [this](TObject*) {
    if (state_.Contains(csFontValid) && handle_) SelectObject(handle_, oldFont_);
    state_.Exclude(csFontValid);
  };
  pen_.OnChange = [this](TObject*) {
    if (state_.Contains(csPenValid) && handle_) SelectObject(handle_, oldPen_);
    state_.Exclude(csPenValid);
  };
  brush_.OnChange = [this](TObject*) {
    if (state_.Contains(csBrushValid) && handle_) SelectObject(handle_, oldBrush_);
    state_.Exclude(csBrushValid);
  };
}

TCanvas::~TCanvas() {
  DeselectHandles();
  font_.OnChange = nullptr;
  pen_.OnChange = nullptr;
  brush_.OnChange = nullptr;
}

HDC TCanvas::Handle() {
  if (!handle_) CreateHandle();
  if (!handle_) throw EInvalidCanvas("Canvas does not allow drawing");
  return handle_;
}

void TCanvas::SetHandle(HDC Value) {
  if (handle_ == Value) return;
  DeselectHandles();
  handle_ = Value;
  state_ = handle_ ? TCanvasState{csHandleValid} : TCanvasState{};
  if (handle_) {
    GetCurrentPositionEx(handle_, &penPos_);
    // Remember the DC's own objects to hand them back on deselection.
    oldFont_ = GetCurrentObject(handle_, OBJ_FONT);
    oldPen_ = GetCurrentObject(handle_, OBJ_PEN);
    oldBrush_ = GetCurrentObject(handle_, OBJ_BRUSH);
  }
}

void TCanvas::DeselectHandles() {
  if (handle_) {
    if (state_.Contains(csFontValid)) SelectObject(handle_, oldFont_);
    if (state_.Contains(csPenValid)) SelectObject(handle_, oldPen_);
    if (state_.Contains(csBrushValid)) SelectObject(handle_, oldBrush_);
  }
  state_.Exclude(csFontValid).Exclude(csPenValid).Exclude(csBrushValid);
}

void TCanvas::Refresh() {
  DeselectHandles();
}

void TCanvas::RequiredState(TCanvasState ReqState) {
  TCanvasState missing = ReqState - state_;
  if (missing.Empty()) return;
  if (missing.Contains(csHandleValid)) {
    Handle();
    missing = ReqState - state_;
  }
  if (missing.Contains(csFontValid)) SelectFont();
  if (missing.Contains(csPenValid)) SelectPen();
  if (missing.Contains(csBrushValid)) SelectBrush();
}

void TCanvas::SelectFont() {
  SelectObject(handle_, font_.Handle());
  SetTextColor(handle_, COLORREF(ColorToRGB(font_.Color())));
  state_.Include(csFontValid);
}

void TCanvas::SelectPen() {
  SelectObject(handle_, pen_.Handle());
  SetROP2(handle_, PenModeToRop2(pen_.Mode()));
  state_.Include(csPenValid);
}

void TCanvas::SelectBrush() {
  SelectObject(handle_, brush_.Handle());
  SetBkColor(handle_, COLORREF(ColorToRGB(brush_.Color())));
  SetBkMode(handle_, brush_.Style() == bsSolid ? OPAQUE : TRANSPARENT);
  state_.Include(csBrushValid);
}

POINT TCanvas::PenPos() {
  if (handle_) GetCurrentPositionEx(handle_, &penPos_);
  return penPos_;
}

void TCanvas::MoveTo(int X, int Y) {
  RequiredState({csHandleValid});
  MoveToEx(handle_, X, Y, nullptr);
  penPos_ = {X, Y};
}

void TCanvas::LineTo(int X, int Y) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  qv::LineTo(handle_, X, Y);
  penPos_ = {X, Y};
  Changed();
}

void TCanvas::Rectangle(int X1, int Y1, int X2, int Y2) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  qv::Rectangle(handle_, X1, Y1, X2, Y2);
  Changed();
}

void TCanvas::RoundRect(int X1, int Y1, int X2, int Y2, int X3, int Y3) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  qv::RoundRect(handle_, X1, Y1, X2, Y2, X3, Y3);
  Changed();
}

void TCanvas::Ellipse(int X1, int Y1, int X2, int Y2) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  qv::Ellipse(handle_, X1, Y1, X2, Y2);
  Changed();
}

void TCanvas::Polygon(const std::vector<POINT>& Points) {
  if (Points.empty()) return;
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  qv::Polygon(handle_, Points.data(), int(Points.size()));
  Changed();
}

void TCanvas::Polyline(const std::vector<POINT>& Points) {
  if (Points.empty()) return;
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  qv::Polyline(handle_, Points.data(), int(Points.size()));
  Changed();
}

void TCanvas::FillRect(const RECT& Rect) {
  Changing();
  RequiredState({csHandleValid, csBrushValid});
  qv::FillRect(handle_, &Rect, brush_.Handle());
  Changed();
}

void TCanvas::FrameRect(const RECT& Rect) {
  Changing();
  RequiredState({csHandleValid, csBrushValid});
  qv::FrameRect(handle_, &Rect, brush_.Handle());
  Changed();
}

void TCanvas::DrawFocusRect(const RECT& Rect) {
  Changing();
  RequiredState({csHandleValid, csBrushValid});
  qv::DrawFocusRect(handle_, &Rect);
  Changed();
}

TColor TCanvas::Pixels(int X, int Y) {
  RequiredState({csHandleValid});
  COLORREF c = GetPixel(handle_, X, Y);
  return c == CLR_INVALID ? TColor(-1) : TColor(c);
}

void TCanvas::SetPixels(int X, int Y, TColor Value) {
  Changing();
  RequiredState({csHandleValid, csPenValid});
  SetPixel(handle_, X, Y, COLORREF(ColorToRGB(Value)));
  Changed();
}

void TCanvas::TextOut(int X, int Y, const std::string& Text) {
  TextOut(X, Y, Utf8ToUtf16(Text));
}

void TCanvas::TextOut(int X, int Y, const std::u16string& Text) {
  Changing();
  RequiredState({csHandleValid, csFontValid, csBrushValid});
  ExtTextOutW(handle_, X, Y, UINT(TextFlags), nullptr, Text.data(), UINT(Text.size()), nullptr);
  SIZE ext;
  GetTextExtentPoint32W(handle_, Text.data(), int(Text.size()), &ext);
  MoveTo(X + ext.cx, Y);
  Changed();
}

void TCanvas::TextRect(const RECT& Rect, int X, int Y, const std::string& Text) {
  Changing();
  RequiredState({csHandleValid, csFontValid, csBrushValid});
  UINT options = ETO_CLIPPED | UINT(TextFlags);
  if (brush_.Style() != bsClear) options |= ETO_OPAQUE;
  std::u16string w = Utf8ToUtf16(Text);
  ExtTextOutW(handle_, X, Y, options, &Rect, w.data(), UINT(w.size()), nullptr);
  Changed();
}

void TCanvas::TextRect(RECT& Rect, std::string& Text, TTextFormat Format) {
  std::u16string w = Utf8ToUtf16(Text);
  TextRect(Rect, w, Format);
  if (Format.Contains(tfModifyString)) Text = Utf16ToUtf8(w);
}

void TCanvas::TextRect(RECT& Rect, std::u16string& Text, TTextFormat Format) {
  Changing();
  RequiredState({csHandleValid, csFontValid, csBrushValid});
  DrawText16(Rect, Text, Format);
  Changed();
}

void TCanvas::DrawText16(RECT& Rect, std::u16string& Text, TTextFormat Format) {
  UINT flags = TextFormatToDrawTextFlags(Format);
  if (!Format.Contains(tfModifyString)) {
    DrawTextW(handle_, Text.data(), int(Text.size()), &Rect, flags);
    return;
  }
  // The shortened text may need four more units and a terminating zero.
  std::u16string buffer = Text;
  buffer.resize(Text.size() + 5, u'\0');
  DrawTextExW(handle_, buffer.data(), int(Text.size()), &Rect, flags, nullptr);
  Text.assign(buffer.c_str());
}

SIZE TCanvas::TextExtent(const std::string& Text) {
  return TextExtent(Utf8ToUtf16(Text));
}

SIZE TCanvas::TextExtent(const std::u16string& Text) {
  RequiredState({csHandleValid, csFontValid});
  SIZE size;
  GetTextExtentPoint32W(handle_, Text.data(), int(Text.size()), &size);
  return size;
}

void TCanvas::Draw(int X, int Y, TGraphic* Graphic) {
  if (!Graphic || Graphic->Empty()) return;
  Changing();
  RequiredState({csHandleValid});
  Graphic->Draw(this, RECT{X, Y, X + Graphic->Width(), Y + Graphic->Height()});
  Changed();
}

void TCanvas::StretchDraw(const RECT& Rect, TGraphic* Graphic) {
  if (!Graphic || Graphic->Empty()) return;
  Changing();
  RequiredState({csHandleValid});
  Graphic->Draw(this, Rect);
  Changed();
}

void TCanvas::CopyRect(const RECT& Dest, TCanvas* Canvas, const RECT& Source) {
  if (!Canvas) return;
  Changing();
  RequiredState({csHandleValid, csFontValid, csBrushValid});
  Canvas->RequiredState({csHandleValid, csBrushValid});
  StretchBlt(handle_, Dest.left, Dest.top, Dest.Width(), Dest.Height(), Canvas->handle_, Source.left,
             Source.top, Source.Width(), Source.Height(), copyMode_);
  Changed();
}

void TCanvas::BrushCopy(const RECT& Dest, TBitmap* Bitmap, const RECT& Source, TColor Color) {
  if (!Bitmap || Bitmap->Empty()) return;
  // Paint a copy of the part with the key colour replaced by the brush colour.
  TBitmap part(Source.Width(), Source.Height(), pf24bit);
  part.Canvas()->CopyRect(RECT{0, 0, Source.Width(), Source.Height()}, Bitmap->Canvas(), Source);
  Surface px = part.ToSurface();
  uint32_t key = COLORREF(ColorToRGB(Color));
  uint32_t fill = COLORREF(ColorToRGB(brush_.Color()));
  auto toPixel = [](COLORREF c) { return PixelRGB(GetRValue(c), GetGValue(c), GetBValue(c)); };
  for (auto& p : px.Pixels)
    if ((p & 0xFFFFFF) == (toPixel(key) & 0xFFFFFF)) p = toPixel(fill);
  part.FromSurface(px, false);
  CopyRect(Dest, part.Canvas(), RECT{0, 0, Source.Width(), Source.Height()});
}

RECT TCanvas::ClipRect() {
  RequiredState({csHandleValid});
  RECT r;
  GetClipBox(handle_, &r);
  return r;
}

void TCanvas::Lock() {
  lock_.lock();
  ++lockCount_;
}

void TCanvas::Unlock() {
  --lockCount_;
  lock_.unlock();
}

bool TCanvas::TryLock() {
  if (!lock_.try_lock()) return false;
  ++lockCount_;
  return true;
}

void TCanvas::Changing() {
  if (OnChanging) OnChanging(this);
}

void TCanvas::Changed() {
  if (OnChange) OnChange(this);
}

}  // namespace qv
