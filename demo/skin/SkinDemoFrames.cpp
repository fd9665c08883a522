// The skin demo's skinned MDI frame and its children.
#include "demo/skin/SkinDemoFrames.h"

#include "classlib/controls/Application.h"
#include "skin/controls/skBitBtn.h"
#include "skin/controls/skLabel.h"
#include "skin/controls/skPanel.h"
#include "skin/controls/skScrollBar.h"
#include "skin/forms/skDialogs.h"
#include "skin/skUtils.h"

namespace qv::demo {

std::string TSkinDemoFrames::SkinDirectory = "../skins";

TSkinDemoFrames::TSkinDemoFrames(TComponent* AOwner) : TForm(AOwner) {
  UseSkinnedForms();
  SetCaption("Quirvane skinned windows");
  SetBounds(20, 20, 620, 420);
  SetFormStyle(fsMDIForm);
  if (DefaultManager) {
    Skins = DefaultManager;
  } else {
    Skins = new TSkinManager(nullptr);
    Skins->AfterConstruction();
    Skins->SetSkinDirectory(SkinDirectory);
    Skins->SetActive(false);
    ownsSkins_ = true;
  }
  MainMenu = new TMainMenu(this);
  TMenuItem* file = AddItem(MainMenu->Items(), "&File");
  AddItem(file, "&New window", [this](TObject*) { OpenChildren(); });
  AddItem(file, "-");
  AddItem(file, "&Error box", [this](TObject*) { RaiseSkinError(); });
  TMenuItem* skins = AddItem(MainMenu->Items(), "&Skins");
  AddItem(skins, "&Harbour", [this](TObject*) { UseSkin("Harbour"); });
  AddItem(skins, "&Dusk", [this](TObject*) { UseSkin("Dusk"); });
  AddItem(skins, "&No skin", [this](TObject*) { UseSkin(""); });
  TMenuItem* window = AddItem(MainMenu->Items(), "&Window");
  AddItem(window, "&Cascade", [this](TObject*) { Cascade(); });
  AddItem(window, "&Tile", [this](TObject*) { Tile(); });
  SetMenu(MainMenu);

  Popup = new TPopupMenu(this);
  AddItem(Popup->Items(), "-Arrange-");
  AddItem(Popup->Items(), "&Cascade", [this](TObject*) { Cascade(); });
  AddItem(Popup->Items(), "&Tile", [this](TObject*) { Tile(); });
  AddItem(Popup->Items(), "-");
  AddItem(Popup->Items(), "&Dusk", [this](TObject*) { UseSkin("Dusk"); })->SetRadioItem(true);

  Bar = new TSkPanel(this);
  Bar->SetParent(this);
  Bar->SetAlign(alTop);
  Bar->SetHeight(40);
  Bar->SetPopupMenu(Popup);
  auto button = [this](int x, const std::string& caption, TNotifyEvent click) {
    auto* b = new TSkBitBtn(this);
    b->SetParent(Bar);
    b->SetBounds(x, 6, 100, 28);
    b->SetCaption(caption);
    b->OnClick = std::move(click);
    return b;
  };
  HarbourButton = button(8, "Harbour", [this](TObject*) { UseSkin("Harbour"); });
  DuskButton = button(116, "Dusk", [this](TObject*) { UseSkin("Dusk"); });
  NoSkinButton = button(224, "No skin", [this](TObject*) { UseSkin(""); });
  ErrorButton = button(332, "Error box", [this](TObject*) { RaiseSkinError(); });

  Provider = new TSkinProvider(this);
  Provider->AfterConstruction();
  Provider->GripMode = gmRightBottom;
  Provider->BorderIcons.Include(sbiHelp);
  TSkTitleButton* menuButton = Provider->TitleButtons()->Add();
  menuButton->SetName("Menu");
  menuButton->OnMouseUp = [this](TObject*, TMouseButton, TShiftState, int X, int Y) { Popup->Popup(X, Y); };
}

TSkinDemoFrames::~TSkinDemoFrames() {
  for (TForm* c : Children) delete c;
  Children.clear();
  if (ownsSkins_) {
    Skins->SetActive(false);
    delete Skins;
  }
}

TMenuItem* TSkinDemoFrames::AddItem(TMenuItem* Parent, const std::string& Caption, TNotifyEvent Click) {
  auto* item = new TMenuItem(this);
  item->SetCaption(Caption);
  item->OnClick = std::move(Click);
  Parent->Add(item);
  return item;
}

void TSkinDemoFrames::UseSkin(const std::string& Name) {
  try {
    if (Name.empty()) {
      Skins->SetActive(false);
      return;
    }
    if (Skins->SkinName() != Name) Skins->SetSkinName(Name);
    if (!Skins->Active()) Skins->SetActive(true);
  } catch (const Exception& e) {
    ShowError(e.Message);
  }
}

// A skinned scroll bar told a range that ends before it starts reports it
// through the skin library's error path.
void TSkinDemoFrames::RaiseSkinError() {
  TSkScrollBar bar(nullptr);
  bar.SetName("DemoBar");
  try {
    bar.SetParams(0, 10, 5);
  } catch (const Exception& e) {
    ShowError(e.Message);
  }
}

void TSkinDemoFrames::OpenChildren() {
  const int n = int(Children.size());
  for (int i = 0; i < 2; ++i) {
    auto* child = new TForm(this);
    child->SetFormStyle(fsMDIChild);
    child->SetCaption("Window " + std::to_string(n + i + 1));
    child->SetBounds(16 + 24 * n + i * 290, 16 + 24 * n + i * 60, 260, 170);
    auto* provider = new TSkinProvider(child);
    provider->AfterConstruction();
    auto* text = new TSkLabel(child);
    text->SetParent(child);
    text->SetBounds(12, 12, 220, 40);
    text->SetCaption("A skinned child window");
    child->Show();
    Children.push_back(child);
  }
}

}  // namespace qv::demo
