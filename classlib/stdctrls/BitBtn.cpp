// TBitBtn painting (frame, glyph, caption, focus) and its kinds.
#include "classlib/stdctrls/BitBtn.h"

#include "classlib/controls/ControlMessages.h"
#include "classlib/graphics/Font.h"
#include "classlib/stdctrls/BitBtnGlyphs.h"
#include "platform/Utf.h"
#include "platform/controls/SystemControls.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/SystemColors.h"
#include "platform/text/Text.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/OwnerDraw.h"

namespace qv {

namespace {

struct KindInfo {
  const char* caption;
  TModalResult result;
};

const KindInfo& InfoOf(TBitBtnKind kind) {
  static const KindInfo table[] = {{"", mrNone},          {"OK", mrOk},       {"Cancel", mrCancel},
                                   {"&Help", mrNone},     {"&Yes", mrYes},    {"&No", mrNo},
                                   {"&Close", mrNone},    {"Abort", mrAbort}, {"&Retry", mrRetry},
                                   {"&Ignore", mrIgnore}, {"&All", mrAll}};
  return table[kind];
}

HBRUSH Sys(int index) {
  return reinterpret_cast<HBRUSH>(uintptr_t(index + 1));
}

}  // namespace

TBitBtn::TBitBtn(TComponent* AOwner) : TButton(AOwner), glyph_(new TBitmap) {
  glyph_->OnChange = [this](TObject*) { Invalidate(); };
}

TBitBtn::~TBitBtn() = default;

void TBitBtn::CreateParams(TCreateParams& Params) {
  TButton::CreateParams(Params);
  Params.Style = (Params.Style & ~DWORD(BS_TYPEMASK)) | BS_OWNERDRAW;
}

void TBitBtn::SetButtonStyle(bool ADefault) {
  if (showDefault_ == ADefault) return;
  showDefault_ = ADefault;
  Invalidate();
}

void TBitBtn::SetKind(TBitBtnKind Value) {
  kind_ = Value;
  Invalidate();
  if (Value == bkCustom) return;
  SetCaption(InfoOf(Value).caption);
  ModalResult = InfoOf(Value).result;
  if (Value == bkOK || Value == bkYes) SetDefault(true);
  if (Value == bkCancel || Value == bkNo) SetCancel(true);
}

void TBitBtn::SetGlyph(TBitmap* Value) {
  if (Value)
    glyph_->Assign(Value);
  else
    glyph_->SetSize(0, 0);
  if (!glyph_->Empty() && glyph_->Height() > 0) {
    int n = glyph_->Width() / glyph_->Height();
    if (n >= 1 && n <= 4 && glyph_->Width() % glyph_->Height() == 0) numGlyphs_ = n;
  }
  Invalidate();
}

void TBitBtn::SetNumGlyphs(int Value) {
  numGlyphs_ = std::clamp(Value, 1, 4);
  Invalidate();
}

void TBitBtn::SetLayout(TButtonLayout Value) {
  layout_ = Value;
  Invalidate();
}

void TBitBtn::SetMargin(int Value) {
  margin_ = std::max(-1, Value);
  Invalidate();
}

void TBitBtn::SetSpacing(int Value) {
  spacing_ = std::max(-1, Value);
  Invalidate();
}

void TBitBtn::Click() {
  // A Close button closes its form.
  if (kind_ == bkClose)
    if (TCustomForm* form = GetParentForm(this)) {
      auto alive = AliveToken();
      form->Close();
      if (alive.expired()) return;
    }
  TButton::Click();
}

TBitmap* TBitBtn::ShownGlyph() const {
  if (!glyph_->Empty()) return glyph_.get();
  TBitmap* own = KindGlyph(kind_);
  return own ? own : glyph_.get();
}

int TBitBtn::ShownNumGlyphs() const {
  return glyph_->Empty() && KindGlyph(kind_) ? 1 : numGlyphs_;
}

void TBitBtn::DrawGlyph(HDC dc, TBitmap* glyph, int num, int x, int y, TButtonState state) {
  int w = glyph->Width() / num, h = glyph->Height();
  int cell = state < num ? int(state) : 0;
  HDC src = glyph->Canvas()->Handle();
  TColor key = ColorToRGB(glyph->TransparentColor());
  if (state == bsDisabled && num < 2) {
    // No disabled image: an embossed copy from the glyph's shape.
    for (int gy = 0; gy < h; ++gy)
      for (int gx = 0; gx < w; ++gx) {
        COLORREF c = GetPixel(src, gx, gy);
        if (c == COLORREF(key)) continue;
        int lum = (GetRValue(c) * 30 + GetGValue(c) * 59 + GetBValue(c) * 11) / 100;
        if (lum > 192) continue;
        SetPixelV(dc, x + gx + 1, y + gy + 1, GetSysColor(COLOR_BTNHIGHLIGHT));
        SetPixelV(dc, x + gx, y + gy, GetSysColor(COLOR_BTNSHADOW));
      }
    return;
  }
  TransparentBlt(dc, x, y, w, h, src, cell * w, 0, w, h, UINT(key));
}

void TBitBtn::DrawItem(const DRAWITEMSTRUCT& Item) {
  HDC dc = Item.hDC;
  RECT r = Item.rcItem;
  bool down = Item.itemState & ODS_SELECTED, focused = Item.itemState & ODS_FOCUS;
  bool enabled = !(Item.itemState & ODS_DISABLED);
  bool isDefault = showDefault_ || focused;
  FillRect(dc, &r, Sys(COLOR_BTNFACE));
  if (isDefault) {
    FrameRect(dc, &r, reinterpret_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    InflateRect(&r, -1, -1);
  }
  if (down) {
    FrameRect(dc, &r, Sys(COLOR_BTNSHADOW));
  } else {
    RECT face = r;
    DrawFrameControl(dc, &face, DFC_BUTTON, DFCS_BUTTONPUSH);
  }
  RECT inner = r;
  InflateRect(&inner, -2, -2);
  if (down) OffsetRect(&inner, 1, 1);

  // Sizes of the glyph and the caption.
  TBitmap* glyph = ShownGlyph();
  int num = ShownNumGlyphs();
  int gw = glyph->Empty() ? 0 : glyph->Width() / num, gh = glyph->Empty() ? 0 : glyph->Height();
  std::u16string caption = Utf8ToUtf16(Text());
  HGDIOBJ oldFont = SelectObject(dc, Font()->Handle());
  RECT tr{0, 0, inner.right - inner.left, 0};
  DrawTextW(dc, caption.c_str(), int(caption.size()), &tr, DT_CALCRECT | DT_SINGLELINE);
  int tw = caption.empty() ? 0 : tr.right - tr.left, th = tr.bottom - tr.top;

  bool horizontal = layout_ == blGlyphLeft || layout_ == blGlyphRight;
  int total = horizontal ? inner.right - inner.left : inner.bottom - inner.top;
  int glyphLen = horizontal ? gw : gh, textLen = horizontal ? tw : th;
  int spacing = spacing_, margin = margin_;
  if (!glyphLen || !textLen) spacing = 0;
  if (margin < 0) {
    int content = glyphLen + textLen + (spacing < 0 ? 0 : spacing);
    margin = (total - content) / 2;
    if (spacing < 0) spacing = margin, margin = (total - glyphLen - textLen - spacing) / 2;
  } else if (spacing < 0) {
    spacing = (total - margin - glyphLen - textLen) / 2;
  }
  POINT g{}, t{};
  int cx = (inner.left + inner.right) / 2, cy = (inner.top + inner.bottom) / 2;
  switch (layout_) {
    case blGlyphLeft:
      g = {inner.left + margin, cy - gh / 2}, t = {g.x + gw + spacing, cy - th / 2};
      break;
    case blGlyphRight:
      g = {inner.right - margin - gw, cy - gh / 2}, t = {g.x - spacing - tw, cy - th / 2};
      break;
    case blGlyphTop:
      g = {cx - gw / 2, inner.top + margin}, t = {cx - tw / 2, g.y + gh + spacing};
      break;
    case blGlyphBottom:
      g = {cx - gw / 2, inner.bottom - margin - gh}, t = {cx - tw / 2, g.y - spacing - th};
      break;
  }
  if (gw) DrawGlyph(dc, glyph, num, g.x, g.y, !enabled ? bsDisabled : down ? bsDown : bsUp);
  if (tw) {
    RECT text{t.x, t.y, t.x + tw, t.y + th};
    SetBkMode(dc, TRANSPARENT);
    if (enabled) {
      SetTextColor(dc, COLORREF(ColorToRGB(Font()->Color())));
      DrawTextW(dc, caption.c_str(), int(caption.size()), &text, DT_SINGLELINE | DT_CENTER);
    } else {
      RECT shade = text;
      OffsetRect(&shade, 1, 1);
      SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
      DrawTextW(dc, caption.c_str(), int(caption.size()), &shade, DT_SINGLELINE | DT_CENTER);
      SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
      DrawTextW(dc, caption.c_str(), int(caption.size()), &text, DT_SINGLELINE | DT_CENTER);
    }
  }
  SelectObject(dc, oldFont);
  if (focused) {
    RECT f = r;
    InflateRect(&f, -3, -3);
    DrawFocusRect(dc, &f);
  }
}

void TBitBtn::Dispatch(TMessage& M) {
  if (M.Msg == CN_DRAWITEM) {
    DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(M.LParam));
    M.Result = TRUE;
    return;
  }
  TButton::Dispatch(M);
}

}  // namespace qv
