// The skin demo's form.
#include "demo/skin/SkinDemoForm.h"

#include "skin/forms/skinProvider.h"
#include "skin/skUtils.h"

namespace qv::demo {

void ConfigureCatalogueHints(TSkHintManager* m) {
  m->SetPredefinitions(shCustom);
  TSkHintKind* k = m->HintKind();
  k->Radius = 25, k->Blur = 0, k->ExOffset = 24;
  k->GradientData = "16753188;16777215;99;0;0;16777215;16777215;0;0;0";
  k->GradientPercent = 100, k->Bevel = 1, k->Color = 12778748, k->ColorBorderTop = clWhite;
  k->ColorBorderBottom = clNavy, k->Transparency = 0, k->ShadowBlur = 10, k->ShadowColor = clBlack;
  k->ShadowEnabled = true, k->ShadowOffset = 7, k->ShadowTransparency = 28, k->MarginH = 18, k->MarginV = 12;
  k->MaxWidth = 180;
  k->Font()->SetName("MS Sans Serif");
  k->Font()->SetHeight(-11);
  k->Font()->SetColor(clBlack);
  k->Font()->SetStyle(TFontStyles{});
  k->SetStyle(hsComics);
}

const std::vector<std::string>& TSkinDemoForm::HintStyleNames() {
  static const std::vector<std::string> names{"Simple",  "Gradient", "Glass",    "Ellipse",
                                              "Balloon", "Comics",   "Comics 2", "Catalogue"};
  return names;
}

namespace {
template <class T>
T* Add(TWinControl* parent, T* c, int x, int y, int w, int h, const std::string& caption,
       const std::string& hint = {}) {
  c->SetParent(parent);
  c->SetBounds(x, y, w, h);
  c->SetCaption(caption);
  if (!hint.empty()) c->SetHint(hint), c->SetShowHint(true);
  return c;
}
}  // namespace

TSkinDemoForm::TSkinDemoForm(TComponent* AOwner, const std::string& SkinDirectory) : TForm(AOwner) {
  SetCaption("Quirvane skins");
  SetBounds(40, 40, 960, 640);
  Skins = new TSkinManager(this);
  Skins->AfterConstruction();
  Skins->SetSkinDirectory(SkinDirectory);
  Hints = new TSkHintManager(this);
  Hints->AfterConstruction();
  ConfigureCatalogueHints(Hints);
  // The window's own frame, title and caption buttons come from the skin too.
  Provider = new TSkinProvider(this);
  Provider->AfterConstruction();

  Background = Add(this, new TSkDemoPanel(this, "FORM"), 0, 0, 0, 0, "");
  Background->SetAlign(alClient);
  Panel = Add(Background, new TSkDemoPanel(this, "PANEL"), 16, 16, 250, 300, "");
  SkinButton =
      Add(Panel, new TSkDemoButton(this), 16, 16, 68, 28, "Harbour", "Paint everything with Harbour");
  DuskButton = Add(Panel, new TSkDemoButton(this), 91, 16, 68, 28, "Dusk", "Paint everything with Dusk");
  NoSkinButton =
      Add(Panel, new TSkDemoButton(this), 166, 16, 68, 28, "No skin", "The plain look, no skin at all");
  HueButton = Add(Panel, new TSkDemoButton(this), 16, 56, 218, 28, "Turn the hue",
                  "Each click turns the skin's colours by 60 degrees");
  Box = Add(Panel, new TSkDemoBox(this), 16, 100, 218, 24, "A text box", "A box with the skin's border");
  Check = Add(Panel, new TSkDemoCheck(this), 16, 136, 218, 20, "A check box", "Glyphs from the skin");
  SkinButton->OnClick = [this](TObject*) { ChooseSkin("Harbour"); };
  DuskButton->OnClick = [this](TObject*) { ChooseSkin("Dusk"); };
  NoSkinButton->OnClick = [this](TObject*) { UseSkin(false); };
  HueButton->OnClick = [this](TObject*) { TurnHue(); };
  const auto& names = HintStyleNames();
  for (size_t i = 0; i < names.size(); ++i) {
    auto* b = Add(Background, new TSkDemoButton(this), 290 + int(i % 2) * 124, 16 + int(i / 2) * 40, 112, 28,
                  names[i], "The \"" + names[i] + "\" hint: rest the mouse on a control to see it");
    b->OnClick = [this, i](TObject*) { UseHintStyle(int(i)); };
    HintButtons.push_back(b);
  }
  AddSkinnedControls();
  AddBrowseControls();
  AddListControls();
  UseSkin(true);
}

void TSkinDemoForm::UseSkin(bool On) {
  if (!On) {
    Skins->SetActive(false);
    return;
  }
  try {
    if (!Skins->Active()) Skins->SetActive(true);
    if (Skins->SkinName() != SkinName) Skins->SetSkinName(SkinName);
  } catch (const Exception& e) {
    ShowError(e.Message);
  }
}

void TSkinDemoForm::ChooseSkin(const std::string& Name) {
  SkinName = Name;
  UseSkin(true);
}

void TSkinDemoForm::TurnHue() {
  Skins->SetHueOffset((Skins->HueOffset() + 60) % 360);
}

void TSkinDemoForm::UseHintStyle(int Index) {
  static const TSkHintsPredefinitions presets[] = {shSimply,  shGradient,       shTransparent,      shEllipse,
                                                   shBalloon, shComicsGradient, shComicsTransparent};
  if (Index >= 0 && Index < 7) {
    Hints->SetPredefinitions(presets[Index]);
    Hints->HintKind()->Font()->SetName("MS Sans Serif");
    Hints->ApplyPredefinitions();
  } else {
    ConfigureCatalogueHints(Hints);
  }
}

}  // namespace qv::demo
