// The edit with a button and its popup rules.
#include "skin/controls/skCustomComboEdit.h"

#include <cmath>

#include "classlib/controls/Forms.h"
#include "platform/controls/SystemControls.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/SystemMetrics.h"
#include "platform/text/TextLayout.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Paint.h"
#include "platform/window/Window.h"
#include "skin/controls/skEdit.h"
#include "skin/skBlend.h"
#include "skin/skControlTree.h"
#include "skin/skItemPaint.h"
#include "skin/skMaskPaint.h"
#include "skin/skinManager.h"

namespace qv {

// ---- the button ----

TSkEditButton::TSkEditButton(TComponent* AOwner)
    : TSkSpeedButton(AOwner), edit_(dynamic_cast<TSkCustomComboEdit*>(AOwner)) {
  skinData_->SetSkinSection("SPEEDBUTTON");
  SetFlat(true);
  SetCursor(crArrow);
  SetAlign(alRight);
  SetWidth(22);
  SetShowCaption(false);
}

int TSkEditButton::CurrentState() {
  if (State() == bsDown || State() == bsExclusive) return 2;
  return MouseInControl() || skinData_->MouseAbove ? 1 : 0;
}

int TSkEditButton::GlyphWidth() {
  return Glyph() ? Glyph()->Width() / 3 : 0;
}

int TSkEditButton::GlyphHeight() {
  return Glyph() ? Glyph()->Height() / 2 : 0;
}

// The button of a disabled edit is disabled to the user as well.
bool TSkEditButton::ShownDisabled() {
  return !Enabled() || (edit_ && !edit_->Enabled());
}

// The glyph cell at At in Face: in grey and faded halfway into the face when
// the button is shown disabled, as every disabled glyph is.
void TSkEditButton::DrawGlyphCell(TBitmap* Face, POINT At, RECT Cell, bool Fade) {
  if (!ShownDisabled()) return CopyByMask(Face, At, CurrentGlyph, Cell, EmptyCacheInfo);
  std::unique_ptr<TBitmap> grey = GreyGlyphCell(CurrentGlyph, Cell);
  TBitmap under(Face->Width(), Face->Height(), pf24bit);
  CopyBitmapRect(Face, &under, RECT{0, 0, Face->Width(), Face->Height()}, 0, 0);
  CopyByMask(Face, At, grey.get(), RECT{0, 0, grey->Width(), grey->Height() / 2}, EmptyCacheInfo);
  if (Fade) ApplyDisabledKind(Face, TSkDisabledKind{dkBlended}, Parent(), MakeCacheInfo(&under), POINT{0, 0});
}

void TSkEditButton::Paint() {
  if (skinData_->Skinned(true)) return TSkSpeedButton::Paint();
  TSpeedButton::Paint();  // the plain flat face, then the glyph over it
  if (!edit_) return;
  TSkGlyphMode* gm = edit_->GlyphMode();
  gm->SelectGlyph();
  if (!CurrentGlyph || Width() <= 0 || Height() <= 0) return;
  const int W = gm->GlyphWidth(), H = gm->GlyphHeight();
  TBitmap face(Width(), Height(), pf24bit);
  HDC dc = Canvas()->Handle();
  BitBlt(face.Canvas()->Handle(), 0, 0, Width(), Height(), dc, 0, 0, SRCCOPY);
  const int cell = CurrentState() == 2 ? 2 : 1;
  DrawGlyphCell(&face, POINT{(Width() - W) / 2, (Height() - H) / 2}, RECT{cell * W, 0, (cell + 1) * W, H},
                true);
  BitBlt(dc, 0, 0, Width(), Height(), face.Canvas()->Handle(), 0, 0, SRCCOPY);
}

void TSkEditButton::PrepareCache() {
  skinData_->InitCacheBmp();
  TBitmap* cache = skinData_->CacheBmp.get();
  if (edit_ && edit_->SkinData()->CacheBmp)
    CopyBitmapRect(edit_->SkinData()->CacheBmp.get(), cache,
                   RECT{Left() + 2, Top() + 2, Left() + 2 + Width(), Top() + 2 + Height()}, 0, 0);
  const int state = CurrentState();
  if (state != 0) {
    TCacheInfo ci = MakeCacheInfo(edit_ ? edit_->SkinData()->CacheBmp.get() : nullptr, Left() + 2, Top() + 2);
    PaintItem(skinData_.get(), ci, true, state, cache, POINT{0, 0}, RECT{0, 0, Width(), Height()}, true);
  }
  if (edit_) {
    TSkGlyphMode* gm = edit_->GlyphMode();
    gm->SelectGlyph();
    if (CurrentGlyph) {
      const int W = gm->GlyphWidth(), H = gm->GlyphHeight();
      const POINT at{(Width() - W) / 2, (Height() - H) / 2};
      TBitmap glyph(Width(), Height(), pf24bit);
      CopyBitmapRect(cache, &glyph, RECT{0, 0, Width(), Height()}, 0, 0);
      // A disabled button fades its whole face below; a button shown disabled
      // by its edit fades the glyph here.
      DrawGlyphCell(&glyph, at, RECT{state * W, 0, (state + 1) * W, H}, Enabled());
      if (gm->Grayed() && !edit_->SkinData()->ControlIsActive()) GrayScale(&glyph);
      if (gm->Blend() > 0) {
        // Blend 100 would need alpha 256: the byte stops at 255 (glyph all but gone).
        const int alpha = std::min(255, int(std::lround(gm->Blend() * 2.56)));
        BlendBitmapRect(&glyph, cache, uint8_t(alpha), RECT{0, 0, Width(), Height()}, POINT{0, 0});
      }
      cache->Assign(&glyph);
    }
  }
  if (!Enabled()) ApplyDisabledKind(cache, DisabledKind(), Parent(), EmptyCacheInfo, POINT{Left(), Top()});
  skinData_->BGChanged = false;
}

// ---- placement ----

POINT PopupPlace(const RECT& E, SIZE P, TPopupWindowAlign Align, const RECT& VS) {
  const int editW = E.right - E.left;
  int y = E.bottom;
  if (VS.bottom < y + P.cy) y = E.top - P.cy;
  int x;
  if (Align == pwaRight) {
    x = E.right - P.cx;
    if (x < VS.left) x = x + P.cx - editW;
  } else {
    x = E.left;
    if (VS.right < x + P.cx) x = x - (P.cx - editW);
  }
  if (x < VS.left)
    x = VS.left;
  else if (VS.right < x + P.cx)
    x = VS.right - P.cx;
  return POINT{x, y};
}

// ---- the edit ----

TSkCustomComboEdit::TSkCustomComboEdit(TComponent* AOwner) : TSkMaskEdit(AOwner) {
  skinData_->ClassCode = 138;
  glyphMode_ = std::make_unique<TSkGlyphMode>(this);
  button_ = new TSkEditButton(this);
  button_->SetParent(this);
  button_->SetVisible(true);
  button_->OnClick = [this](TObject* s) { EditButtonClick(s); };
  SetHeight(21);
}

TSkCustomComboEdit::~TSkCustomComboEdit() {
  Destroying();
  if (button_) button_->OnClick = nullptr;
  glyphMode_.reset();
}

void TSkCustomComboEdit::Loaded() {
  TSkMaskEdit::Loaded();
  SetEditRect();
}

TSkSpeedButton* TSkCustomComboEdit::GlyphButton() {
  return button_;
}

void TSkCustomComboEdit::ApplyReadOnly() {
  TCustomEdit::SetReadOnly(readOnly_ || !directInput_);
}

void TSkCustomComboEdit::SetReadOnly(bool Value) {
  if (Value == readOnly_) return;
  readOnly_ = Value;
  ApplyReadOnly();
}

void TSkCustomComboEdit::SetDirectInput(bool Value) {
  directInput_ = Value;
  ApplyReadOnly();
}

void TSkCustomComboEdit::SetAlignment(TAlignment Value) {
  if (Value == alignment_) return;
  alignment_ = Value;
  if (HandleAllocated()) Perform(CM_RECREATEWND, 0, 0);
}

void TSkCustomComboEdit::SetShowButton(bool Value) {
  showButton_ = Value;
  Invalidate();
}

void TSkCustomComboEdit::CreateParams(TCreateParams& Params) {
  TSkMaskEdit::CreateParams(Params);
  const DWORD align = alignment_ == taRightJustify ? ES_RIGHT : alignment_ == taCenter ? ES_CENTER : ES_LEFT;
  Params.Style |= ES_MULTILINE | align | WS_CLIPCHILDREN;
}

void TSkCustomComboEdit::CreateWnd() {
  TSkMaskEdit::CreateWnd();
  glyphMode_->SelectGlyph();
  SetEditRect();
}

void TSkCustomComboEdit::GlyphChanged() {
  SetEditRect();
}

void TSkCustomComboEdit::SetEditRect() {
  if (!Parent() || !HandleAllocated() || !button_) return;
  RECT r{};
  SendMessageW(Handle(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&r));
  r = RECT{0, 0, ClientWidth() - button_->Width(), ClientHeight() + 1};
  SendMessageW(Handle(), EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&r));
  SendMessageW(Handle(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&r));
}

void TSkCustomComboEdit::Invalidate() {
  TSkMaskEdit::Invalidate();
  if (!button_ || ComponentState().Contains(csDestroying)) return;
  if (!SkinLoading) button_->SkinData()->BGChanged = true;
  if (showButton_ && !button_->Visible()) {
    button_->SetWidth(22);
    button_->SetVisible(true);
    SetEditRect();
  } else if (!showButton_ && button_->Visible()) {
    button_->SetVisible(false);
    button_->SetWidth(0);
    SetEditRect();
  }
  button_->Invalidate();
}

bool TSkCustomComboEdit::PopupVisible() const {
  return Popup && Popup->Visible();
}

void TSkCustomComboEdit::SelectAllIfText() {
  if (HandleAllocated() && !Text().empty()) SendMessageW(Handle(), EM_SETSEL, 0, -1);
}

void TSkCustomComboEdit::EditButtonClick(TObject*) {
  if (!GetReadOnly()) ButtonClick();
}

void TSkCustomComboEdit::ButtonClick() {
  if (OnButtonClick) OnButtonClick(this);
  if (!PopupVisible()) {
    if (CanFocus()) SetFocus();
    PopupDropDown();
  } else {
    PopupCloseUp();
  }
}

void TSkCustomComboEdit::PopupDropDown() {
  if (!Popup || GetReadOnly() || Popup->Visible()) return;
  Popup->SetVisible(false);
  Popup->SetWidth(PopupWidth);
  POINT p = Parent() ? Parent()->ClientToScreen(POINT{Left(), Top()}) : POINT{Left(), Top()};
  const int vx = GetSystemMetrics(SM_XVIRTUALSCREEN), vy = GetSystemMetrics(SM_YVIRTUALSCREEN);
  const RECT vs{vx, vy, vx + GetSystemMetrics(SM_CXVIRTUALSCREEN), vy + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
  const POINT at = PopupPlace(RECT{p.x, p.y, p.x + Width(), p.y + Height()},
                              SIZE{Popup->Width(), Popup->Height()}, PopupAlign, vs);
  SetWindowPos(Popup->Handle(), HWND_TOPMOST, at.x, at.y, Popup->Width(), Popup->Height(), SWP_SHOWWINDOW);
  Popup->SetVisible(true);
}

void TSkCustomComboEdit::PopupCloseUp() {
  if (PopupVisible()) Popup->Close();
}

int TSkCustomComboEdit::HotState() {
  if (TSkMaskEdit::HotState() == 1) return 1;
  return button_ && (button_->MouseInControl() || button_->CurrentState() == 2) ? 1 : 0;
}

void TSkCustomComboEdit::PaintCacheText() {
  const std::string text = MaskedText(EditText(), PasswordChar());
  if (text.empty()) return;
  TBitmap* cache = skinData_->CacheBmp.get();
  cache->Canvas()->SetFont(Font());
  const int bw = button_ && button_->Visible() ? button_->Width() : 0;
  RECT r{3, 2, Width() - 3 - bw, Height() - 4};
  UINT flags = GetTextFlags(this, alignment_) | DT_NOPREFIX;
  if (PasswordChar()) flags |= DT_SINGLELINE | DT_WORDBREAK;
  WriteText(cache->Canvas(), text, true, HotState() != 0, skinData_.get(), flags, r);
}

void TSkCustomComboEdit::PaintWhole(HDC DC) {
  TSkMaskEdit::PaintWhole(DC);
  if (!button_ || !button_->Visible() || skinData_->GetUpdating()) return;
  button_->SkinData()->BGChanged = true;
  HDC dc = DC ? DC : GetWindowDC(Handle());
  const int x = button_->Left() + 2, y = button_->Top() + 2;
  if (button_->SkinData()->Skinned(true)) {
    button_->RebuildCache();
    BitBlt(dc, x, y, button_->Width(), button_->Height(), button_->SkinData()->CacheBmp->Canvas()->Handle(),
           0, 0, SRCCOPY);
  }
  if (!DC) ReleaseDC(Handle(), dc);
}

void TSkCustomComboEdit::PaintFrame(HDC DC) {
  skinData_->Updating = skinData_->GetUpdating();
  if (skinData_->Updating || !Parent() || !IsShowing()) return;
  if (skinData_->BGChanged) PrepareCache();
  PaintControlBorder(skinData_.get(), HotState());
  HDC dc = DC ? DC : GetWindowDC(Handle());
  HDC src = skinData_->CacheBmp->Canvas()->Handle();
  const int W = Width(), H = Height();
  BitBlt(dc, 0, 0, W, 2, src, 0, 0, SRCCOPY);
  BitBlt(dc, 0, 2, 2, H - 2, src, 0, 2, SRCCOPY);
  BitBlt(dc, 2, H - 2, W - 4, 2, src, 2, H - 2, SRCCOPY);
  BitBlt(dc, W - 3, 2, 3, H - 4, src, W - 3, 2, SRCCOPY);
  if (!DC) ReleaseDC(Handle(), dc);
}

void TSkCustomComboEdit::KeyDown(WORD& Key, TShiftState Shift) {
  TSkMaskEdit::KeyDown(Key, Shift);
  if (Key && ShortCut(Key, Shift) == ClickKey) {
    glyphMode_->SelectGlyph();
    if (glyphMode_->GlyphWidth() > 0) {
      EditButtonClick(this);
      Key = 0;
    }
  }
}

void TSkCustomComboEdit::KeyPress(char16_t& Key) {
  if (Key == 13 || Key == 27) {
    // The form's default and cancel buttons act first.
    if (TCustomForm* form = GetParentForm(this)) form->Perform(CM_DIALOGKEY, Key, 0);
  }
  TSkMaskEdit::KeyPress(Key);
  if (Key == 13) Key = 0;
}

void TSkCustomComboEdit::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (!SkinLoading) skinData_->BGChanged = true;
  auto alive = AliveToken();
  TSkMaskEdit::MouseDown(Button, Shift, X, Y);
  if (!alive.expired() && PopupVisible()) PopupCloseUp();
}

void TSkCustomComboEdit::Change() {
  if (PopupVisible()) return;
  TSkMaskEdit::Change();
}

void TSkCustomComboEdit::SkinChanged(TMessage& M) {
  SkinBroadcast(this, M);
  SetEditRect();
}

void TSkCustomComboEdit::AfterCacheQuery(TMessage&) {
  SharedCacheInfo = MakeCacheInfo(skinData_->CacheBmp.get(), 2, 2);
}

void TSkCustomComboEdit::AfterPreparingQuery(TMessage& M) {
  M.LParam = 0;
}

void TSkCustomComboEdit::WndProc(TMessage& M) {
  switch (M.Msg) {
    case WM_PASTE:
    case WM_CUT:
      if (!directInput_ || GetReadOnly()) return;
      break;
    case CM_CANCELMODE: {
      auto* c = reinterpret_cast<TControl*>(M.LParam);
      if (c != this && c != Popup && c != button_ && Popup && !(c && Popup->ContainsControl(c)))
        PopupCloseUp();
      return;
    }
    case CM_FOCUSCHANGED: {
      auto* c = reinterpret_cast<TControl*>(M.LParam);
      if (PopupVisible() && c != this) PopupCloseUp();
      break;
    }
    default:
      break;
  }
  auto alive = AliveToken();
  TSkMaskEdit::WndProc(M);
  if (alive.expired()) return;
  switch (M.Msg) {
    case SM_SKINCMD:
      DispatchSkinCommandAfter(M, skinData_.get(), *this);
      break;
    case CM_ENABLEDCHANGED:
      // The button's glyph follows the edit into and out of its disabled look.
      if (button_) {
        button_->SkinData()->BGChanged = true;
        button_->Invalidate();
      }
      break;
    case WM_SETFOCUS:
      if (AutoSelect) SelectAllIfText();
      break;
    case CM_FONTCHANGED:
    case WM_SIZE:
      // The text area is set explicitly, so the edit beneath keeps it through
      // a resize: it follows the new size here (an edit laid out while its
      // parent had no size yet would otherwise show no text).
      SetEditRect();
      break;
    default:
      break;
  }
}

}  // namespace qv
