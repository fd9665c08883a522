// The skin demo's controls.
#include "demo/skin/SkinDemoControls.h"

#include "classlib/controls/WinControl.h"
#include "platform/gdi/Gdi.h"
#include "platform/text/Text.h"
#include "skin/skControlTree.h"
#include "skin/skItemPaint.h"
#include "skin/skMaskPaint.h"
#include "skin/skinManager.h"

namespace qv::demo {

TSkDemoControl::TSkDemoControl(TComponent* AOwner, const std::string& Section, int ClassCode)
    : TCustomControl(AOwner), skinData_(std::make_unique<TSkCommonData>(this, true)) {
  skinData_->ClassCode = ClassCode;
  skinData_->SetSkinSection(Section);
  ControlStyle().Include(csOpaque);
}

TSkDemoControl::~TSkDemoControl() {
  StopFadeTimer(fade_);
}

void TSkDemoControl::WndProc(TMessage& M) {
  if (SkinWndProc(M, skinData_.get())) return;
  if (M.Msg == WM_ERASEBKGND && skinData_->Skinned()) {
    M.Result = 1;  // the skinned paint covers the whole control
    return;
  }
  if (M.Msg == SM_SKINCMD) {
    switch (M.WParamHi()) {
      case AC_SKINLOADED:
      case AC_SKINREMOVED:
      case AC_SKINAPPLIED:
      case AC_REPAINTNOW:
      case AC_ENDUPDATE:
        skinData_->Updating = false;
        Invalidate();
        // A container passes the news on to the controls it holds (the end of
        // the update goes on once it has painted, see Paint).
        if (M.WParamHi() != AC_ENDUPDATE) SkinBroadcast(this, M);
        break;
      default:
        break;
    }
    return;
  }
  if (M.Msg == CM_MOUSEENTER || M.Msg == CM_MOUSELEAVE || M.Msg == WM_SETFOCUS || M.Msg == WM_KILLFOCUS)
    FadeOrRepaint(fade_, skinData_.get(), false, M.Msg == CM_MOUSEENTER ? 1 : 2, M.Msg != WM_SETFOCUS);
  TCustomControl::WndProc(M);
}

void TSkDemoControl::Paint() {
  if (!skinData_->Skinned(true)) {
    PaintPlain(Canvas());
    return;
  }
  skinData_->InitCacheBmp();
  TBitmap* cache = skinData_->CacheBmp.get();
  TCacheInfo parent;
  GetParentCache(skinData_.get(), parent);
  if (parent.Ready) parent.X += Left(), parent.Y += Top();
  if (Framed()) {
    PaintItem(skinData_.get(), parent, true, State(), cache, POINT{0, 0}, RECT{0, 0, Width(), Height()},
              State() != 0);
    PaintControlBorder(skinData_.get(), State());
  } else {
    PaintItemBG(skinData_.get(), parent, State(), cache, POINT{0, 0}, RECT{0, 0, Width(), Height()});
  }
  PaintContent(cache);
  skinData_->BGChanged = false;
  BlitCacheToDC(this, skinData_.get(), 0, 0, 0, 0, false, Canvas()->Handle(), RECT{0, 0, Width(), Height()});
  // The controls it holds paint over this background: their update ends now,
  // as under a panel (a list waiting for it would leave its bars unpainted).
  RepaintChildren(this);
}

void TSkDemoPanel::PaintPlain(TCanvas* C) {
  C->Brush()->SetColor(clBtnFace);
  C->FillRect(RECT{0, 0, Width(), Height()});
}

void TSkDemoButton::WndProc(TMessage& M) {
  if (M.Msg == WM_LBUTTONDOWN || M.Msg == WM_LBUTTONUP) {
    pressed_ = M.Msg == WM_LBUTTONDOWN;
    Invalidate();
  }
  TSkDemoControl::WndProc(M);
}

int TSkDemoButton::State() {
  if (pressed_) return 2;
  return SkinData()->ControlIsActive() ? 1 : 0;
}

void TSkDemoButton::PaintPlain(TCanvas* C) {
  RECT r{0, 0, Width(), Height()};
  C->Brush()->SetColor(clBtnFace);
  C->FillRect(r);
  DrawEdge(C->Handle(), &r, pressed_ ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
  C->Brush()->SetStyle(bsClear);
  C->Font()->SetColor(clBtnText);
  std::string t = Caption();
  C->TextRect(r, t, TTextFormat{tfCenter, tfVerticalCenter, tfSingleLine});
}

void TSkDemoButton::PaintContent(TBitmap* Cache) {
  RECT r{0, 0, Width(), Height()};
  WriteText(Cache->Canvas(), Caption(), Enabled(), State() != 0, SkinData(),
            DT_CENTER | DT_VCENTER | DT_SINGLELINE, r);
}

void TSkDemoBox::PaintPlain(TCanvas* C) {
  RECT r{0, 0, Width(), Height()};
  C->Brush()->SetColor(clWindow);
  C->FillRect(r);
  DrawEdge(C->Handle(), &r, EDGE_SUNKEN, BF_RECT);
  C->Brush()->SetStyle(bsClear);
  C->Font()->SetColor(clWindowText);
  RECT t{6, 0, Width() - 4, Height()};
  std::string s = Caption();
  C->TextRect(t, s, TTextFormat{tfLeft, tfVerticalCenter, tfSingleLine});
}

void TSkDemoBox::PaintContent(TBitmap* Cache) {
  RECT r{6, 0, Width() - 4, Height()};
  WriteText(Cache->Canvas(), Caption(), Enabled(), false, SkinData(), DT_LEFT | DT_VCENTER | DT_SINGLELINE,
            r);
}

void TSkDemoCheck::Click() {
  Checked = !Checked;
  Invalidate();
  TSkDemoControl::Click();
}

void TSkDemoCheck::PaintPlain(TCanvas* C) {
  C->Brush()->SetColor(clBtnFace);
  C->FillRect(RECT{0, 0, Width(), Height()});
  RECT box{0, (Height() - 13) / 2, 13, (Height() - 13) / 2 + 13};
  DrawFrameControl(C->Handle(), &box, DFC_BUTTON, DFCS_BUTTONCHECK | (Checked ? DFCS_CHECKED : 0));
  C->Brush()->SetStyle(bsClear);
  RECT t{18, 0, Width(), Height()};
  std::string s = Caption();
  C->TextRect(t, s, TTextFormat{tfLeft, tfVerticalCenter, tfSingleLine});
}

void TSkDemoCheck::PaintContent(TBitmap* Cache) {
  TSkinManager* m = SkinData()->SkinManager();
  const int glyph = m->ConstData.CheckBox[Checked ? 0 : 1];
  if (m->IsValidImgIndex(glyph))
    DrawSkinGlyph(Cache, POINT{0, (Height() - 13) / 2}, Checked ? 1 : 0, 1, m->ma[size_t(glyph)]);
  RECT r{18, 0, Width(), Height()};
  WriteText(Cache->Canvas(), Caption(), Enabled(), false, SkinData(), DT_LEFT | DT_VCENTER | DT_SINGLELINE,
            r);
}

}  // namespace qv::demo
