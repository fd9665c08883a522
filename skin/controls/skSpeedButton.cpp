// The skinned speed button.
#include "skin/controls/skSpeedButton.h"

#include "classlib/controls/Application.h"
#include "classlib/controls/WinControl.h"
#include "classlib/graphics/ImageList.h"
#include "classlib/menus/Menus.h"
#include "platform/gdi/Gdi.h"
#include "platform/text/Text.h"
#include "platform/text/TextLayout.h"
#include "platform/window/Input.h"
#include "skin/skBlend.h"
#include "skin/skControlTree.h"
#include "skin/skGdiHelpers.h"
#include "skin/skItemPaint.h"
#include "skin/skMaskPaint.h"
#include "skin/skinManager.h"

namespace qv {

namespace {
TSkSpeedButton* openMenuButton = nullptr;
}  // namespace

RECT SkCaptionRect(const TSkButtonGeometry& g) {
  const int A = g.ArrowWidth, Gw = g.GlyphW, Gh = g.GlyphH, tw = g.TextW, th = g.TextH;
  const int M = g.Margin < 0 ? 0 : g.Margin + 3;
  const int Sp = Gw > 0 && g.HasCaption && g.ShowCaption ? g.Spacing : 0;
  const int G = Gw > 0 ? 1 : 0;
  const int dx = (g.Width - A - Gw - Sp - tw) / 2 - M, dy = (g.Height - Gh - Sp - th) / 2 - M;
  RECT r{};
  if (g.Layout == blGlyphLeft || g.Layout == blGlyphRight) {
    r.top = (g.Height - th) / 2, r.bottom = g.Height - r.top;
    if (g.Layout == blGlyphLeft) {
      if (g.Alignment == taLeftJustify)
        r.left = Gw + g.Margin + G * g.Spacing, r.right = g.Width - A - M - 2 * dx;
      else if (g.Alignment == taRightJustify)
        r.left = M + 2 * dx + Gw + G * g.Spacing, r.right = g.Width - A - M;
      else
        r.left = Gw + M + dx + G * g.Spacing, r.right = g.Width - A - M - dx;
    } else {
      if (g.Alignment == taLeftJustify)
        r.left = M, r.right = M + tw;
      else if (g.Alignment == taRightJustify)
        r.left = M + 2 * dx, r.right = M + 2 * dx + tw;
      else
        r.left = M + dx, r.right = M + dx + tw;
    }
  } else {
    r.left = (g.Width - tw - A) / 2, r.right = g.Width - r.left - A;
    if (g.Layout == blGlyphTop)
      r.top = Gh + M + dy + Sp, r.bottom = g.Height - dy - M;
    else
      r.top = M + dy, r.bottom = g.Height - dy - M - Gh - Sp;
  }
  r = RECT{r.left - 1 + g.TextOffset, r.top, r.right + 2 + g.TextOffset, r.bottom};
  if (g.Pressed) OffsetRect(&r, 1, 1);
  return r;
}

RECT SkGlyphRect(const TSkButtonGeometry& g) {
  const int A = g.ArrowWidth, Gw = g.GlyphW, Gh = g.GlyphH, tw = g.TextW, th = g.TextH;
  const int M = g.Margin < 0 ? 0 : g.Margin + 3;
  const int Sp = Gw > 0 && g.HasCaption && g.ShowCaption ? g.Spacing : 0;
  const int dx = (g.Width - A - Gw - Sp - tw) / 2 - M, dy = (g.Height - Gh - Sp - th) / 2 - M;
  int x = 0, y = (g.Height - Gh) / 2;
  switch (g.Layout) {
    case blGlyphLeft:
      x = g.Alignment == taLeftJustify ? M : g.Alignment == taRightJustify ? M + 2 * dx : M + dx;
      break;
    case blGlyphRight:
      x = g.Alignment == taLeftJustify    ? g.Width - A - M - 2 * dx - Sp - Gw
          : g.Alignment == taRightJustify ? g.Width - A - Gw - M
                                          : (g.Width - A - Gw + Sp + tw) / 2;
      break;
    case blGlyphTop:
      x = (g.Width - A - Gw) / 2 + 1, y = M + dy;
      break;
    case blGlyphBottom:
      x = (g.Width - A - Gw) / 2 + 1, y = g.Height - M - dy - Gh;
      break;
  }
  RECT r{x, y, x + Gw, y + Gh};
  if (g.Pressed) OffsetRect(&r, 1, 1);
  return r;
}

TSkSpeedButton* TSkSpeedButton::OpenMenuButton() {
  return openMenuButton;
}

TSkSpeedButton::TSkSpeedButton(TComponent* AOwner) : TSkSkinned(AOwner), TSkButtonFace(this) {
  skinData_ = std::make_unique<TSkCommonData>(this, true);
  skinData_->ClassCode = 92;
  skinData_->Loaded();
}

TSkSpeedButton::~TSkSpeedButton() {
  Destroying();
  if (openMenuButton == this) openMenuButton = nullptr;
  StopFadeTimer(fade_);
  skinData_.reset();
}

// A skinned button paints every pixel of itself.
void TSkSpeedButton::SkinSetUpDone(bool) {
  if (skinData_->Skinned()) ControlStyle().Include(csOpaque);
}

void TSkSpeedButton::Changed() {
  skinData_->BGChanged = true;
  SkinRepaint();
}

void TSkSpeedButton::SetDropdownMenu(TPopupMenu* Value) {
  dropdownMenu_ = Value;
  if (Value) Value->FreeNotification(this);
}

void TSkSpeedButton::SetButtonStyle(TToolButtonStyle Value) {
  if (Value == buttonStyle_) return;
  const bool loading = ComponentState().Contains(csLoading);
  if (!loading && Value == tbsDropDown) SetWidth(Width() + SkArrowWidth);
  if (!loading && buttonStyle_ == tbsDropDown) SetWidth(Width() - SkArrowWidth);
  buttonStyle_ = Value;
  Changed();
}

void TSkSpeedButton::Notification(TComponent* AComponent, TOperation Operation) {
  TSpeedButton::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  FaceNotification(AComponent, Operation);
  if (AComponent == dropdownMenu_) dropdownMenu_ = nullptr;
}

// The image list's picture as a two-cell glyph (normal, disabled).
void TSkSpeedButton::GlyphFromImages() {
  if (!images_ || imageIndex_ < 0 || imageIndex_ >= images_->Count() || skinData_->Skinned()) return;
  TBitmap img(0, 0, pf24bit);
  CopyImageFromList(&img, images_, imageIndex_);
  const int w = img.Width(), h = img.Height();
  if (w <= 0 || h <= 0) return;
  const uint8_t* px = img.ScanLine(h - 1);  // the list's background colour
  const TColor bk = TColor(px[2] | px[1] << 8 | px[0] << 16);
  TBitmap glyph(2 * w, h, pf24bit);
  CopyBitmapRect(&img, &glyph, RECT{0, 0, w, h}, 0, 0);
  TBitmap disabled(w, h, pf24bit);
  CopyBitmapRect(&img, &disabled, RECT{0, 0, w, h}, 0, 0);
  if (!disabledGlyphKind_.Empty()) {
    if (disabledGlyphKind_.Contains(dgGrayed)) GrayScaleTrans(&disabled, bk);
    if (disabledGlyphKind_.Contains(dgBlended)) {
      TBitmap ground(w, h, pf24bit);
      ground.Canvas()->Brush()->SetColor(bk);
      ground.Canvas()->FillRect(RECT{0, 0, w, h});
      BlendTransparent(&ground, 0, 0, bk, 0.5, RECT{0, 0, w, h}, &disabled);
      disabled.Assign(&ground);
    }
  }
  CopyBitmapRect(&disabled, &glyph, RECT{0, 0, w, h}, w, 0);
  glyphFromList_ = true;
  SetGlyph(&glyph);
  SetNumGlyphs(2);
}

int TSkSpeedButton::CurrentState() {
  if (State() == bsDown || State() == bsExclusive || Down() || menuVisible_) return 2;
  if (MouseInControl() || skinData_->MouseAbove || skinData_->Focused) return 1;
  return 0;
}

int TSkSpeedButton::GlyphWidth() {
  if (Glyph() && Glyph()->Width() > 0) return Glyph()->Width() / std::max(1, NumGlyphs());
  if (images_ && imageIndex_ >= 0) return images_->Width();
  return 0;
}

int TSkSpeedButton::GlyphHeight() {
  if (Glyph() && Glyph()->Width() > 0) return Glyph()->Height();
  if (images_ && imageIndex_ >= 0) return images_->Height();
  return 0;
}

TSkButtonGeometry TSkSpeedButton::Geometry() {
  TSkButtonGeometry g;
  g.Width = Width(), g.Height = Height(), g.ArrowWidth = ArrowWidth();
  g.GlyphW = GlyphWidth(), g.GlyphH = GlyphHeight();
  g.Margin = Margin(), g.Spacing = Spacing(), g.TextOffset = textOffset_;
  g.ShowCaption = showCaption_, g.Layout = Layout(), g.Alignment = alignment_;
  const std::string caption = Caption();
  g.HasCaption = !caption.empty();
  g.Pressed = State() == bsDown || State() == bsExclusive || Down();
  if (showCaption_ && g.HasCaption) {
    TBitmap probe(1, 1, pf24bit);
    probe.Canvas()->SetFont(Font());
    probe.Canvas()->TextExtent(std::string());  // selects the font into the DC
    int w = Width() - g.ArrowWidth - 2 * std::max(0, Margin());
    if (g.GlyphW > 0) w -= g.GlyphW + Spacing();
    RECT r{0, 0, std::max(1, w), 0};
    DrawTextA(probe.Canvas()->Handle(), caption.c_str(), int(caption.size()), &r,
              DT_CALCRECT | DT_EXPANDTABS | DT_WORDBREAK);
    g.TextW = r.Width(), g.TextH = r.Height();
  }
  return g;
}

RECT TSkSpeedButton::CaptionRect() {
  return SkCaptionRect(Geometry());
}

RECT TSkSpeedButton::GlyphRect() {
  return SkGlyphRect(Geometry());
}

void TSkSpeedButton::DrawCaption() {
  if (!showCaption_) return;
  TBitmap* cache = skinData_->CacheBmp.get();
  cache->Canvas()->SetFont(Font());
  RECT r = CaptionRect();
  const UINT align = textAlignment_ == taLeftJustify    ? DT_LEFT
                     : textAlignment_ == taRightJustify ? DT_RIGHT
                                                        : DT_CENTER;
  WriteText(cache->Canvas(), Caption(), Enabled(), CurrentState() != 0, skinData_.get(),
            align | DT_WORDBREAK | DT_EXPANDTABS, r);
}

void TSkSpeedButton::DrawGlyph() {
  if (!Glyph() || Glyph()->Width() == 0) return;
  RECT r = GlyphRect();
  PaintGlyphBitmap(Glyph(), skinData_->CacheBmp.get(), POINT{r.left, r.top}, blend_, CurrentState() != 0,
                   disabledKind_.Contains(dkGrayed) ? 1 : 0, grayed_, Enabled(), NumGlyphs());
}

void TSkSpeedButton::PrepareCache() {
  skinData_->InitCacheBmp();
  TBitmap* cache = skinData_->CacheBmp.get();
  TCacheInfo ci;
  GetParentCache(skinData_.get(), ci);
  if (ci.Ready) ci.X += Left(), ci.Y += Top();
  const RECT face{0, 0, Width() - ArrowWidth(), Height()};
  if (buttonStyle_ == tbsSeparator || buttonStyle_ == tbsDivider) {
    if (ci.Ready)
      CopyBitmapRect(ci.Bmp, cache, RECT{ci.X, ci.Y, ci.X + Width(), ci.Y + Height()}, 0, 0);
    else
      FillDC(cache->Canvas()->Handle(), RECT{0, 0, Width(), Height()}, BgColorOf(Parent()));
    TSkinManager* m = skinData_->SkinManager();
    if (buttonStyle_ == tbsDivider && m) {
      const int idx = m->GetSkinIndex("DIVIDER");
      const int mask = idx >= 0 ? m->GetMaskIndex(idx, "DIVIDER", "BORDERSMASK") : -1;
      if (mask >= 0) {
        const TSkMaskData& md = m->ma[size_t(mask)];
        const int w = std::max(1, int(md.R.right - md.R.left) / std::max(1, int(md.ImageCount)));
        PaintNinePartMask(cache, RECT{(Width() - w) / 2, 1, (Width() - w) / 2 + w, Height() - 1}, true, ci,
                          md, 0);
      }
    }
  } else {
    const int state = CurrentState();
    PaintItem(skinData_.get(), ci, true, state, cache, POINT{0, 0}, face, state != 0);
    if (!drawOverBorder_) PaintItemBG(skinData_.get(), ci, state, cache, POINT{0, 0}, face);
    DrawCaption();
    DrawGlyph();
    if (buttonStyle_ == tbsDropDown) {
      const int astate = menuVisible_ || Down() ? 2 : (state == 1 ? 1 : 0);
      PaintItem(skinData_.get(), ci, true, astate, cache, POINT{0, 0},
                RECT{Width() - SkArrowWidth, 0, Width(), Height()}, astate != 0);
    }
    if (!Enabled()) ApplyDisabledKind(cache, disabledKind_, Parent(), ci, POINT{Left(), Top()});
  }
  lastNumGlyphs_ = NumGlyphs(), lastSpacing_ = Spacing(), lastDown_ = Down();
  skinData_->BGChanged = false;
  if (OnPaint) OnPaint(this, cache);
}

void TSkSpeedButton::Paint() {
  if (!skinData_->Skinned(true)) return TSpeedButton::Paint();
  if (!Visible()) return;
  if (skinData_->BGChanged || lastDown_ != Down() || lastNumGlyphs_ != NumGlyphs() ||
      lastSpacing_ != Spacing() || skinData_->CacheBmp->Width() != Width())
    PrepareCache();
  BitBlt(Canvas()->Handle(), 0, 0, Width(), Height(), skinData_->CacheBmp->Canvas()->Handle(), 0, 0, SRCCOPY);
}

void TSkSpeedButton::SkinRepaint() {
  if (ComponentState().Contains(csDestroying) || ComponentState().Contains(csLoading) || !Parent() ||
      !Visible())
    return;
  SendSkinCommand(Parent(), AC_CHILDREPAINTING, 0, reinterpret_cast<LPARAM>(this));
  Repaint();
  SendSkinCommand(Parent(), AC_CHILDREPAINTING, 0, 0);
}

void TSkSpeedButton::DropDown(int X) {
  (void)X;
  if (openMenuButton) return;  // one open menu at a time
  openMenuButton = this;
  const bool savedHint = Application->ShowHint;
  Application->ShowHint = false;
  StopFadeTimer(fade_);
  menuVisible_ = true;
  const bool holdDown = !OnClick;
  if (holdDown) SetState(bsDown), Repaint();
  POINT p = ClientToScreen(POINT{0, Height() + 1});
  auto alive = AliveToken();
  TPopupMenu* menu = dropdownMenu_;
  menu->SetPopupComponent(this);
  menu->Popup(p.x, p.y);
  // The menu loop ate the mouse-up: hints come back here, not there.
  Application->ShowHint = savedHint;
  if (alive.expired()) return;
  openMenuButton = nullptr;
  menuVisible_ = false;
  POINT cur;
  GetCursorPos(&cur);
  const POINT local = ScreenToClient(cur);
  const RECT r = ClientRect();
  if (!PtInRect(&r, local)) Perform(CM_MOUSELEAVE, 0, 0);
  if (holdDown) SetState(bsUp), Invalidate();
}

void TSkSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (buttonStyle_ == tbsDropDown && dropdownMenu_ && Button == mbLeft && Enabled() &&
      !(X < Width() - SkArrowWidth && OnClick)) {
    TControl::MouseDown(Button, Shift, X, Y);
    return DropDown(X);
  }
  TSpeedButton::MouseDown(Button, Shift, X, Y);
  if (skinData_->Skinned() && ComponentState().Contains(csDestroying) == false)
    FadeOrRepaint(fade_, skinData_.get(), true, 1,
                  AnimatEvents.Contains(aeMouseDown) || AnimatEvents.Contains(aeGlobalDef));
}

void TSkSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (menuVisible_) {
    menuVisible_ = false;
    if (openMenuButton == this) openMenuButton = nullptr;
  }
  TSpeedButton::MouseUp(Button, Shift, X, Y);
}

bool TSkSpeedButton::SkinLoaded(TMessage& M) {
  if (glyphFromList_) SetGlyph(nullptr), glyphFromList_ = false;
  SkinWndProc(M, skinData_.get());
  ControlStyle().Include(csOpaque);
  return true;
}

bool TSkSpeedButton::SkinRemoved(TMessage& M) {
  SkinWndProc(M, skinData_.get());
  GlyphFromImages();
  ControlStyle().Exclude(csOpaque);
  Invalidate();
  return true;
}

bool TSkSpeedButton::SkinApplied(TMessage& M) {
  SkinWndProc(M, skinData_.get());
  if (Visible()) SkinRepaint();
  return true;
}

bool TSkSpeedButton::UpdateFinished(TMessage&) {
  return true;
}

bool TSkSpeedButton::CacheFrozen(TMessage& M) {
  SkinWndProc(M, skinData_.get());
  if (skinData_->CacheFrozen && skinData_->Skinned()) PrepareCache();
  return true;
}

bool TSkSpeedButton::PreparingQuery(TMessage& M) {
  M.LParam = skinData_->GetUpdating() ? 1 : 0;
  return true;
}

bool TSkSpeedButton::SectionRedrawn(TMessage&) {
  SkinRepaint();
  return true;
}

bool TSkSpeedButton::RepaintNow(TMessage&) {
  StopFadeTimer(fade_);
  return true;
}

void TSkSpeedButton::WndProc(TMessage& M) {
  if (M.Msg == SM_SKINCMD) {
    if (DispatchSkinCommand(M, skinData_.get(), *this)) return;
    if (SkinWndProc(M, skinData_.get())) return;
    return TSpeedButton::WndProc(M);
  }
  if (!ControlIsReady(this) || !skinData_->Skinned()) return TSpeedButton::WndProc(M);
  switch (M.Msg) {
    case WM_ERASEBKGND:
      return;
    case WM_SIZE:
    case WM_WINDOWPOSCHANGED:
      if (!skinData_->Updating) skinData_->BGChanged = true;
      break;
    case CM_MOUSEENTER:
      if (Enabled() && !skinData_->MouseAbove) {
        skinData_->MouseAbove = true;
        if (OnMouseEnter) OnMouseEnter(this);
        FadeOrRepaint(fade_, skinData_.get(), false, 1,
                      AnimatEvents.Contains(aeMouseEnter) || AnimatEvents.Contains(aeGlobalDef));
      }
      return TSpeedButton::WndProc(M);
    case CM_MOUSELEAVE:
      if (Enabled()) {
        skinData_->MouseAbove = false;
        if (OnMouseLeave) OnMouseLeave(this);
        FadeOrRepaint(fade_, skinData_.get(), false, 2,
                      AnimatEvents.Contains(aeMouseLeave) || AnimatEvents.Contains(aeGlobalDef));
      }
      return TSpeedButton::WndProc(M);
    default:
      break;
  }
  if (SkinWndProc(M, skinData_.get())) return;
  auto alive = AliveToken();
  TSpeedButton::WndProc(M);
  if (alive.expired()) return;
  switch (M.Msg) {
    case WM_SIZE:
    case WM_WINDOWPOSCHANGED:
      SkinRepaint();
      break;
    case CM_ENABLEDCHANGED:
      skinData_->BGChanged = true;
      SkinRepaint();
      break;
    case CM_TEXTCHANGED:
      if (showCaption_) Changed();
      break;
    default:
      break;
  }
}

TSkTimerSpeedButton::TSkTimerSpeedButton(TComponent* AOwner) : TSkSpeedButton(AOwner) {
  SetWidth(Height() - 4);
}

}  // namespace qv
