// The hint manager, its look and the presets.
#include "skin/skHintManager.h"

#include <cmath>

#include "skin/skUtils.h"

namespace qv {

TSkHintManager* ActiveHintManager = nullptr;

namespace {
// The manager whose AppShowHint the application calls, if any.
TSkHintManager* ShowHintOwner = nullptr;
}  // namespace

TSkHintKind::TSkHintKind(TSkHintManager* Owner) : owner_(Owner) {}

void TSkHintKind::SetStyle(TSkHintStyle Value) {
  style_ = Value;
  if (owner_) owner_->UpdateHintWindowClass(Value);
}

int TSkHintKind::EffectiveShadowTransparency() const {
  return RoundEven((100 - ShadowTransparency) * std::max(Transparency, 0) / 100.0 + ShadowTransparency);
}

TSkHintManager::TSkHintManager(TComponent* AOwner)
    : TComponent(AOwner), hintKind_(std::make_unique<TSkHintKind>(this)) {
  bmp_ = std::make_unique<TBitmap>(0, 0, pf24bit);
  capture_ = std::make_unique<TBitmap>(0, 0, pf24bit);
  for (TComponent* c = AOwner; c; c = c->Owner())
    if (auto* f = dynamic_cast<TCustomForm*>(c)) {
      parentForm_ = f;
      break;
    }
  if (Application) {
    Application->HintPause = 500;
    Application->HintShortPause = 200;
    if (!ComponentState().Contains(csDesigning)) {
      Application->OnShowHint = [](std::string& s, bool& can, THintInfo& info) {
        if (ShowHintOwner) ShowHintOwner->AppShowHint(s, can, info);
      };
      ShowHintOwner = this;
      ownsShowHint_ = true;
    }
  }
}

// Leaves no hook behind: the application's hint event and window class no
// longer lead here once the manager is gone.
TSkHintManager::~TSkHintManager() {
  if (ownsShowHint_ && ShowHintOwner == this) {
    ShowHintOwner = nullptr;
    if (Application) Application->OnShowHint = nullptr;
  }
  if (ActiveHintManager == this) {
    ActiveHintManager = nullptr;
    if (Application) {
      Application->HintWindowClass = nullptr;
      Application->ResetHintWindow();
    }
  }
}

void TSkHintManager::AfterConstruction() {
  TComponent::AfterConstruction();
  ApplyPredefinitions();
  UpdateHintWindowClass(hintKind_->Style());
}

void TSkHintManager::Loaded() {
  TComponent::Loaded();
  ApplyPredefinitions();
  UpdateHintWindowClass(hintKind_->Style());
}

void TSkHintManager::AppShowHint(std::string& HintStr, bool& CanShow, THintInfo& HintInfo) {
  if (OnShowHint) OnShowHint(HintStr, CanShow, HintInfo);
}

void TSkHintManager::UpdateHintWindowClass(TSkHintStyle Style) {
  if (ComponentState().Contains(csDesigning) || int(Style) > 5 || !Application) return;
  Application->ResetHintWindow();  // the next hint is made in the new style
  switch (Style) {
    case hsSimply:
      ActiveHintManager = this;
      Application->HintWindowClass = [](TComponent* o) -> THintWindow* { return new TSkSimplyHintWindow(o); };
      break;
    case hsComics:
      ActiveHintManager = this;
      Application->HintWindowClass = [](TComponent* o) -> THintWindow* { return new TSkComicsHintWindow(o); };
      break;
    case hsEllipse:
      ActiveHintManager = this;
      Application->HintWindowClass = [](TComponent* o) -> THintWindow* {
        return new TSkEllipseHintWindow(o);
      };
      break;
    case hsBalloon:
      ActiveHintManager = this;
      Application->HintWindowClass = [](TComponent* o) -> THintWindow* {
        return new TSkBalloonHintWindow(o);
      };
      break;
    case hsStandard:
      ActiveHintManager = nullptr;
      Application->HintWindowClass = nullptr;
      break;
    case hsNone:
      ActiveHintManager = nullptr;
      Application->HintWindowClass = [](TComponent* o) -> THintWindow* { return new TSkSimplyHintWindow(o); };
      break;
  }
}

namespace {
struct Preset {
  TSkHintStyle style;
  TColor color, top, bottom;
  int bevelWidth, marginH, marginV, maxWidth, radius, exOffset, blur, transparency, shadowBlur, shadowOffset,
      shadowTransparency;
  const char* gradient;
};
// -1 = the preset leaves that value alone.
const Preset kPresets[] = {
    {hsSimply, clInfoBk, clWhite, clBlack, 1, 4, 4, 240, -1, -1, 0, 0, 4, 8, 50, ""},
    {hsSimply, 0xB6FCFA, clWhite, clOlive, 5, 8, 5, 240, -1, -1, 3, 10, 15, 10, 0,
     "167827;14680063;58;0;0;14680063;15400959;41;0;0;15400959;15400959;0;0;0"},
    {hsSimply, 0xB6FCFA, clWhite, clOlive, 0, 24, 20, 240, -1, -1, 15, 15, 30, 15, 70, ""},
    {hsEllipse, 0xC2FCFC, clOlive, clBlack, 1, 6, 12, 200, -1, 26, 0, 5, 4, 16, 74,
     "7728127;16777215;99;0;0;16777215;16777215;0;0;0"},
    {hsBalloon, 0xC2FCFC, clBlack, clBlack, 1, 11, 13, 240, -1, 25, 0, 7, 2, 9, 50, ""},
    {hsComics, 0xC2FCFC, clWhite, clNavy, 1, 18, 12, 180, 25, 24, 0, 0, 10, 7, 28,
     "16753188;16777215;99;0;0;16777215;16777215;0;0;0"},
    {hsComics, 0xC2FCFC, clBlack, clBlack, 1, 18, 12, 180, 20, 24, 0, 10, 4, 10, 70, ""},
};
}  // namespace

void TSkHintManager::ApplyPredefinitions() {
  TSkHintKind* k = hintKind_.get();
  switch (predefinitions_) {
    case shStandard:
      k->SetStyle(hsStandard);
      return;
    case shNone:
      k->SetStyle(hsNone);
      return;
    case shCustom:
      return;
    default:
      break;
  }
  const Preset& p = kPresets[predefinitions_];
  k->Color = p.color, k->ColorBorderTop = p.top, k->ColorBorderBottom = p.bottom;
  k->BevelWidth = p.bevelWidth, k->MarginH = p.marginH, k->MarginV = p.marginV, k->MaxWidth = p.maxWidth;
  if (p.radius >= 0) k->Radius = p.radius;
  if (p.exOffset >= 0) k->ExOffset = p.exOffset;
  k->Blur = p.blur, k->Transparency = p.transparency, k->ShadowBlur = p.shadowBlur;
  k->ShadowOffset = p.shadowOffset, k->ShadowTransparency = p.shadowTransparency;
  k->Bevel = 1, k->GradientPercent = 100, k->ShadowEnabled = true, k->ShadowColor = clBlack;
  k->Font()->SetStyle(TFontStyles{});
  k->Font()->SetColor(clBlack);
  k->GradientData = p.gradient;
  k->SetStyle(p.style);
}

}  // namespace qv
