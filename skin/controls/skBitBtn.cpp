// TSkBitBtn: the layout rules, the skinned cache with its region cut from the
// border mask, mouse, Space and default-button tracking, and the skin
// commands. Unskinned, every other message goes to the class library's button.
#include "skin/controls/skBitBtn.h"

#include <algorithm>

#include "classlib/controls/Application.h"
#include "classlib/controls/ControlMessages.h"
#include "classlib/graphics/Font.h"
#include "classlib/graphics/ImageList.h"
#include "platform/Utf.h"
#include "platform/controls/SystemControls.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/Region.h"
#include "platform/text/Text.h"
#include "platform/window/Input.h"
#include "platform/window/Paint.h"
#include "skin/skBlend.h"
#include "skin/skBorderRegion.h"
#include "skin/skControlTree.h"
#include "skin/skFade.h"
#include "skin/skGdiHelpers.h"
#include "skin/skItemPaint.h"
#include "skin/skMaskPaint.h"
#include "skin/skinManager.h"

namespace qv {

TSkBtnLayout CalcBtnLayout(const TSkBtnLayoutInput& In) {
  TSkBtnLayout L;
  const bool hasGlyph = In.Glyph.cx > 0 && In.Glyph.cy > 0, hasText = In.Text.cx > 0 && In.Text.cy > 0;
  const int gw = hasGlyph ? In.Glyph.cx : 0, gh = hasGlyph ? In.Glyph.cy : 0;
  const int tw = hasText ? In.Text.cx : 0, th = hasText ? In.Text.cy : 0;
  const bool across = In.Layout == blGlyphLeft || In.Layout == blGlyphRight;
  const int client = across ? In.Client.cx : In.Client.cy;
  const int glyphLen = across ? gw : gh, textLen = across ? tw : th;
  int margin = In.Margin, spacing = In.Spacing;
  if (!hasGlyph || !hasText) spacing = 0;
  if (margin == -1) {
    if (spacing < 0)
      margin = spacing = (client - glyphLen - textLen) / 3;
    else
      margin = (client - glyphLen - spacing - textLen + 1) / 2;
  } else if (spacing < 0) {
    spacing = (client - margin - glyphLen - textLen) / 2;
  }
  L.Margin = margin, L.Spacing = spacing;
  POINT g{0, 0}, t{0, 0};
  const int cw = In.Client.cx, ch = In.Client.cy;
  if (across) {
    g.y = (ch - gh + 1) / 2, t.y = (ch - th + 1) / 2;
    const bool glyphFirst = In.Layout == blGlyphLeft;
    const int firstW = glyphFirst ? gw : tw, secondW = glyphFirst ? tw : gw;
    int first = 0;
    switch (In.Alignment) {
      case taLeftJustify:
        first = margin;
        break;
      case taRightJustify:
        first = cw - margin - secondW - spacing - firstW;
        break;
      case taCenter:
        first = (cw - secondW - spacing - firstW) / 2;
        break;
    }
    const int second = first + firstW + spacing;
    g.x = glyphFirst ? first : second, t.x = glyphFirst ? second : first;
  } else {
    g.x = (cw - gw + 1) / 2, t.x = (cw - tw + 1) / 2;
    const int top = (ch - gh - spacing - th) / 2;
    if (In.Layout == blGlyphTop)
      g.y = top, t.y = top + gh + spacing;
    else
      t.y = top, g.y = top + th + spacing;
  }
  if (In.Down) g.x += 1, g.y += 1, t.x += 1, t.y += 1;
  L.Glyph = g;
  L.Text = RECT{t.x, t.y, t.x + tw, t.y + th};
  return L;
}

TSkBitBtn::TSkBitBtn(TComponent* AOwner) : TSkSkinned(AOwner), TSkButtonFace(this) {
  SkinData = std::make_unique<TSkCommonData>(this, true);
  SkinData->ClassCode = 94;
  ControlStyle().Exclude(csOpaque);
  // Forms are built in code: the default section is known from the start,
  // not only after AfterConstruction.
  SkinData->Loaded();
}

TSkBitBtn::~TSkBitBtn() {
  StopFade();
  if (hintsSaved_ && Application) Application->ShowHint = savedShowHint_;
  if (region_) DeleteObject(region_);
}

bool TSkBitBtn::Skinned() {
  return SkinData->Skinned(true);
}

int TSkBitBtn::CurrentState() {
  if (Down()) return 2;
  return SkinData->ControlIsActive() || shownAsDefault_ ? 1 : 0;
}

void TSkBitBtn::Changed() {
  SkinData->BGChanged = true;
  Invalidate();
}

void TSkBitBtn::SetShowFocus(bool Value) {
  showFocus_ = Value;
  Changed();
}
void TSkBitBtn::SetDown(bool Value) {
  down_ = Value;
  held_ = Value;
  regionChanged_ = true;
  Changed();
}

void TSkBitBtn::Notification(TComponent* AComponent, TOperation Operation) {
  TBitBtn::Notification(AComponent, Operation);
  FaceNotification(AComponent, Operation);
}

// ---- layout ----

SIZE TSkBitBtn::GlyphSize() {
  if (images_ && imageIndex_ >= 0 && imageIndex_ < images_->Count())
    return SIZE{images_->Width(), images_->Height()};
  if (!Glyph() || Glyph()->Empty()) return SIZE{0, 0};
  return SIZE{Glyph()->Width() / std::max(1, NumGlyphs()), Glyph()->Height()};
}

SIZE TSkBitBtn::TextSize(int GlyphWidth) {
  if (!showCaption_ || Caption().empty()) return SIZE{0, 0};
  TCanvas* c = SkinData->CacheBmp->Canvas();
  c->SetFont(Font());
  const int margin = std::max(0, Margin());
  RECT r{0, 0, std::max(1, Width() - 2 * margin - (GlyphWidth ? GlyphWidth + std::max(0, Spacing()) : 0)), 0};
  std::u16string text = Utf8ToUtf16(Caption());
  HDC dc = c->Handle();
  SelectObject(dc, c->Font()->Handle());
  DrawTextW(dc, text.c_str(), int(text.size()), &r, DT_CALCRECT | DT_EXPANDTABS | DT_WORDBREAK);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

TSkBtnLayout TSkBitBtn::Layout() {
  TSkBtnLayoutInput in;
  in.Client = SIZE{Width(), Height()};
  in.Glyph = GlyphSize();
  in.Text = TextSize(in.Glyph.cx);
  in.Layout = TBitBtn::Layout();
  in.Alignment = alignment_;
  in.Margin = Margin(), in.Spacing = Spacing();
  in.Down = Down();
  return CalcBtnLayout(in);
}

// ---- skinned painting ----

void TSkBitBtn::PaintCaption(TBitmap* Cache, const TSkBtnLayout& L) {
  if (!showCaption_ || Caption().empty()) return;
  TCanvas* c = Cache->Canvas();
  c->SetFont(Font());
  c->Brush()->SetStyle(bsClear);
  static const UINT kAlign[3] = {DT_LEFT, DT_RIGHT, DT_CENTER};
  RECT r = L.Text;
  OffsetRect(&r, textOffset_, 0);
  WriteText(c, Caption(), Enabled(), CurrentState() != 0, SkinData.get(),
            kAlign[int(textAlignment_)] | DT_EXPANDTABS | DT_WORDBREAK, r);
  TSkinManager* m = SkinData->SkinManager();
  const bool sectionWantsFocus =
      m && m->IsValidSkinIndex(SkinData->SkinIndex) && m->gd[size_t(SkinData->SkinIndex)].ShowFocus;
  if (Focused() && Enabled() && sectionWantsFocus && showFocus_) {
    RECT f = L.Text;
    InflateRect(&f, FocusMargin, FocusMargin);
    DrawDottedFrame(c, f);
  }
}

void TSkBitBtn::PaintGlyph(TBitmap* Cache, const TSkBtnLayout& L) {
  const int disabledLook =
      (disabledGlyphKind_.Contains(dgBlended) ? 1 : 0) | (disabledGlyphKind_.Contains(dgGrayed) ? 2 : 0);
  if (images_ && imageIndex_ >= 0 && imageIndex_ < images_->Count()) {
    TBitmap g(0, 0, pf24bit);
    CopyImageFromList(&g, images_, imageIndex_);
    PaintGlyphBitmap(&g, Cache, L.Glyph, blend_, CurrentState() != 0, disabledLook, grayed_, Enabled(), 1);
    return;
  }
  if (Glyph() && !Glyph()->Empty())
    PaintGlyphBitmap(Glyph(), Cache, L.Glyph, blend_, CurrentState() != 0, disabledLook, grayed_, Enabled(),
                     std::min(2, NumGlyphs()));
}

void TSkBitBtn::PrepareCache() {
  SkinData->InitCacheBmp();
  TBitmap* cache = SkinData->CacheBmp.get();
  TCacheInfo parent;
  GetParentCache(SkinData.get(), parent);
  if (parent.Ready) parent.X += Left(), parent.Y += Top();
  const int state = CurrentState();
  PaintItemBG(SkinData.get(), parent, state, cache, POINT{0, 0}, RECT{0, 0, Width(), Height()});
  HRGN rgn = regionChanged_ ? CreateRectRgn(0, 0, Width(), Height()) : nullptr;
  TSkinManager* m = SkinData->SkinManager();
  const bool border = m && m->IsValidImgIndex(SkinData->BorderIndex);
  const TSkBtnLayout L = Layout();
  auto paintBorder = [&] {
    if (border) PaintBorderRgn(cache, rgn, false, m->ma[size_t(SkinData->BorderIndex)], state);
  };
  if (drawOverBorder_) paintBorder();
  PaintCaption(cache, L);
  PaintGlyph(cache, L);
  if (!drawOverBorder_) paintBorder();
  if (rgn) {
    if (!ComponentState().Contains(csDesigning))
      ApplyRegion(rgn);
    else
      DeleteObject(rgn);
    regionChanged_ = false;
  }
  if (!Enabled() && Parent() && Parent()->Enabled())
    ApplyDisabledKind(cache, disabledKind_, Parent(), parent, POINT{0, 0});
  if (OnPaint) OnPaint(this, cache);
  SkinData->BGChanged = false;
  lastSpacing_ = Spacing();
  lastPos_ = POINT{Left(), Top()};
}

void TSkBitBtn::ApplyRegion(HRGN Rgn) {
  if (!HandleAllocated()) {
    DeleteObject(Rgn);
    return;
  }
  SetWindowRgn(WindowHandle(), Rgn, TRUE);  // the window owns the region now
  region_ = nullptr;
}

void TSkBitBtn::RemoveRegion() {
  if (HandleAllocated()) SetWindowRgn(WindowHandle(), nullptr, TRUE);
}

void TSkBitBtn::SkinPaint(HDC DC) {
  SharedMovedFlag = false;
  const bool moved = lastPos_.x != Left() || lastPos_.y != Top();
  if (SkinData->BGChanged || moved || lastSpacing_ != Spacing() || regionChanged_ ||
      QuerySkinCommand(this, AC_PARTLYHIDDEN))
    PrepareCache();
  PaintControlBorder(SkinData.get(), CurrentState());
  BlitCacheToDC(this, SkinData.get(), 0, 0, 0, 0, false, DC, RECT{0, 0, Width(), Height()});
}

// ---- fading ----

void TSkBitBtn::Fade(TSkAnimatEvent Event, int Direction) {
  const bool allowed = EventEnabled(Event, AnimatEvents);
  FadeOrRepaint(fade_, SkinData.get(), false, Direction, allowed);
}

void TSkBitBtn::StopFade() {
  StopFadeTimer(fade_);
}

// ---- input ----

void TSkBitBtn::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Skinned() && Enabled() && !ComponentState().Contains(csDesigning)) {
    SkinData->Updating = false;
    // Saved once per press: a nested press must not save "off" for good.
    if (!hintsSaved_ && Application) {
      savedShowHint_ = Application->ShowHint, hintsSaved_ = true;
      Application->ShowHint = false;
    }
    pressed_ = true;
    if (Button == mbLeft && !Down()) {
      held_ = true;
      regionChanged_ = true;
      Fade(aeMouseDown, 1);
    }
  }
  TBitBtn::MouseDown(Button, Shift, X, Y);
}

void TSkBitBtn::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Skinned() && Enabled() && !ComponentState().Contains(csDesigning)) {
    if (hintsSaved_ && Application) Application->ShowHint = savedShowHint_;
    hintsSaved_ = false;
    if (pressed_) {
      pressed_ = false;
      if (Button == mbLeft) {
        StopFade();
        held_ = false;
        regionChanged_ = true;
        auto alive = AliveToken();
        if (X >= 0 && Y >= 0 && X < Width() && Y < Height()) Click();
        if (alive.expired()) return;
        Fade(aeMouseUp, 2);
      }
    }
  }
  TBitBtn::MouseUp(Button, Shift, X, Y);
}

// ---- messages ----

bool TSkBitBtn::SkinLoaded(TMessage& M) {
  StopFade();
  SkinWndProc(M, SkinData.get());
  return true;
}

// Whichever manager it names, unless the button is going.
bool TSkBitBtn::SkinRemoved(TMessage& M) {
  if (ComponentState().Contains(csDestroying)) return false;
  StopFade();
  SkinWndProc(M, SkinData.get());
  RemoveRegion();
  Invalidate();
  return true;
}

bool TSkBitBtn::SkinApplied(TMessage& M) {
  StopFade();
  SkinWndProc(M, SkinData.get());
  regionChanged_ = true;
  Changed();
  return true;
}

// Any manager's removal takes the button's skin away.
bool TSkBitBtn::OtherSkinRemoved(TMessage& M) {
  return SkinRemoved(M);
}

bool TSkBitBtn::RepaintNow(TMessage&) {
  StopFade();
  return false;
}

bool TSkBitBtn::FadeStart(TMessage&) {
  PrepareCache();
  return true;
}

bool TSkBitBtn::UpdateFinished(TMessage&) {
  if (!Skinned()) return false;
  if (SkinData->Updating) {
    SkinData->Updating = false;
    Repaint();
  }
  return true;
}

bool TSkBitBtn::CacheFrozen(TMessage& M) {
  if (!Skinned()) return false;
  SkinWndProc(M, SkinData.get());
  if (SkinData->CacheFrozen) PrepareCache();
  return true;
}

void TSkBitBtn::WndProc(TMessage& M) {
  if (M.Msg == SM_SKINCMD) {
    if (DispatchSkinCommand(M, SkinData.get(), *this)) return;
    if (SkinWndProc(M, SkinData.get())) return;
    TBitBtn::WndProc(M);
    return;
  }
  if (M.Msg == CM_FOCUSCHANGED && Default()) {
    auto* to = reinterpret_cast<TWinControl*>(M.LParam);
    const bool shown = !dynamic_cast<TBitBtn*>(to) || to == this;
    if (shown != shownAsDefault_) {
      shownAsDefault_ = shown;
      if (Skinned()) Changed();
    }
  }
  if (!Skinned() || !ControlIsReady(this)) {
    TBitBtn::WndProc(M);
    return;
  }
  const bool designing = ComponentState().Contains(csDesigning);
  switch (M.Msg) {
    case CN_DRAWITEM:
    case CN_CTLCOLORBTN:
    case WM_ERASEBKGND:
    case BM_SETSTATE:
    case WM_ENABLE:
      M.Result = 1;
      return;  // the class library's owner-drawn painting never runs
    case WM_PAINT:
      if (!Parent()) break;
      if (M.WParam) {
        SkinPaint(HDC(M.WParam));
      } else {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(WindowHandle(), &ps);
        SkinPaint(dc);
        EndPaint(WindowHandle(), &ps);
      }
      M.Result = 0;
      return;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
      if (Enabled() && !designing) {
        const bool enter = M.Msg == CM_MOUSEENTER;
        if (enter && OnMouseEnter) OnMouseEnter(this);
        if (!enter && OnMouseLeave) OnMouseLeave(this);
        SkinData->MouseAbove = enter;
        Fade(enter ? aeMouseEnter : aeMouseLeave, enter ? 1 : 2);
      }
      break;
    case CM_TEXTCHANGED:
      SkinData->Invalidate();
      break;
    case CM_ENABLEDCHANGED:
      if (Visible()) SkinData->Updating = false, SkinData->Invalidate();
      break;
    case WM_SETFOCUS:
      if (Enabled() && !designing) {
        TBitBtn::WndProc(M);
        if (fade_)
          Fade(aeMouseEnter, 1);
        else
          SkinData->Invalidate();
        return;
      }
      break;
    case WM_KILLFOCUS:
    case CM_EXIT:
      if (!designing) {
        held_ = false;
        if (Enabled()) StopFade();
        TBitBtn::WndProc(M);
        SkinData->Focused = false;
        SkinData->MouseAbove = false;
        regionChanged_ = true;
        SkinData->Invalidate();
        return;
      }
      break;
    case CM_DIALOGCHAR:
      if (M.WParam == VK_SPACE && Enabled() && Focused()) {
        StopFade();
        held_ = true, regionChanged_ = true;
        Repaint();
      }
      break;
    case CN_COMMAND:
      // The button clicks from its own mouse and Space handling; the system
      // button's notification would click a second time.
      M.Result = 0;
      return;
    case WM_KEYDOWN:
      if (M.WParam == VK_SPACE && Enabled() && !held_) {
        held_ = true, regionChanged_ = true;
        Changed();
      }
      break;
    case WM_KEYUP:
      if (M.WParam == VK_SPACE && held_) {
        held_ = false, regionChanged_ = true;
        Changed();
        TBitBtn::WndProc(M);  // the system button lets go of its key state
        Click();
        return;
      }
      break;
    case WM_SIZE:
      regionChanged_ = true;
      break;
  }
  TBitBtn::WndProc(M);
  if (M.Msg == WM_SETFONT && Visible()) SkinData->Updating = false, SkinData->Invalidate();
  if (M.Msg == CM_VISIBLECHANGED) Changed();
}

}  // namespace qv
