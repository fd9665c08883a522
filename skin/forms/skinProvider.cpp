// TSkinProvider's life: taking the form over (its window procedure, its
// scrolling and border icons), preparing it for the current skin, the
// property setters, the title buttons, and giving the form back.
#include "skin/forms/skinProvider.h"

#include <algorithm>

#include "classlib/controls/Application.h"
#include "classlib/menus/Menus.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Window.h"
#include "skin/controls/skPanel.h"
#include "skin/controls/skScrollBar.h"
#include "skin/forms/skMDIForm.h"
#include "skin/forms/skSystemMenu.h"
#include "skin/forms/skinMenus.h"
#include "skin/skControlTree.h"
#include "skin/skinManager.h"

namespace qv {

namespace {
std::vector<TSkinProvider*>& Providers() {
  static std::vector<TSkinProvider*> list;
  return list;
}
TSkinProvider* registeredMDIProvider = nullptr;

TCustomForm* FirstFormOwner(TComponent* C) {
  for (TComponent* o = C; o; o = o->Owner())
    if (auto* f = dynamic_cast<TCustomForm*>(o)) return f;
  return nullptr;
}
}  // namespace

// A button added after the provider has prepared its form (the skin was
// active already) takes the glyph now, not at the next skin change.
TSkTitleButton::TSkTitleButton(TCollection* Collection)
    : TCollectionItem(Collection), name_("TSkTitleButton"), glyph_(std::make_unique<TBitmap>()) {
  if (auto* p = dynamic_cast<TSkinProvider*>(Collection ? Collection->GetOwner() : nullptr))
    p->TitleButtonAdded(this);
}

void TSkTitleButton::DoMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TSkTitleButton::DoMouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

TSkinProvider::TSkinProvider(TComponent* AOwner) : TComponent(AOwner) {
  form_ = FirstFormOwner(this);
  formControl_ = form_;
  skinData_ = std::make_unique<TSkCommonData>(this, true);
  skinData_->SetSkinSection("FORM");
  skinData_->ClassCode = 224;
  titleIcon_ = std::make_unique<TSkTitleIcon>();
  titleButtons_ = std::make_unique<TSkTitleButtons>(this);
  // Without a form there is nothing to take over: the provider stays inert.
  if (!form_ || ComponentState().Contains(csDesigning)) return;
  hadAutoScroll_ = form_->AutoScroll();
  tempBmp_ = std::make_unique<TBitmap>();
  menuLineBmp_ = std::make_unique<TBitmap>();
  menuLineBmp_->SetPixelFormat(pf24bit);
  form_->SetAutoScroll(false);
  savedBorderIcons_ = form_->BorderIcons();
  savedBorderStyle_ = form_->BorderStyle();
  oldWndProc_ = form_->WindowProc;
  form_->WindowProc = [this](TMessage& M) { SkinProviderWndProc(M); };
  Providers().push_back(this);
}

TSkinProvider::~TSkinProvider() {
  EndFrameDrag(false);
  // Freed with its form, the provider touches nothing but the form's procedure.
  const bool formGoing = FormDestroying();
  if (formControl_ && oldWndProc_) {
    if (!formGoing && Skinned()) {
      // Freed while skinned: the form gets its region, border icons and colour back.
      TMessage m{SM_SKINCMD, MakeSkinWParam(AC_SKINREMOVED),
                 reinterpret_cast<LPARAM>(skinData_->SkinManager()), 0};
      RemovePath(m);
    }
    formControl_->WindowProc = oldWndProc_;
    if (!formGoing && form_->FormStyle() == fsMDIChild && form_->Menu()) {
      TSkinProvider* p = registeredMDIProvider;
      if (p && p != this && !p->ComponentState().Contains(csDestroying) && !p->FormDestroying()) {
        p->skinData_->BGChanged = true;
        p->menuRows_ = -1;
        if (p->form_->HandleAllocated()) SendMessage(p->form_->WindowHandle(), WM_NCPAINT, 0, 0);
      }
    }
  }
  if (registeredMDIProvider == this) registeredMDIProvider = nullptr;
  auto& list = Providers();
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
  if (mdiForm_) mdiForm_->FormGoing = formGoing;
  mdiForm_.reset();
  if (!formGoing) {
    DestroyScroll(scrollV_);
    DestroyScroll(scrollH_);
    delete grip_;
  }
  grip_ = nullptr;
  systemMenu_.reset();
}

void TSkinProvider::AfterConstruction() {
  TComponent::AfterConstruction();
  if (skinData_->SkinManager() && !ComponentState().Contains(csDesigning)) PrepareForm();
}

void TSkinProvider::Loaded() {
  TComponent::Loaded();
  TSkinManager* m = skinData_->SkinManager();
  if (!m || ComponentState().Contains(csDesigning) || !skinData_->Skinned(true)) return;
  PrepareForm();
  if (systemMenu_) systemMenu_->UpdateItems();
  const int glyph = TitleButtonGlyph();
  for (int i = 0; i < titleButtons_->Count(); ++i) {
    TSkTitleButton* b = titleButtons_->Items(i);
    b->Data.ImageIndex = b->UseSkinData ? glyph : -1;
  }
  if (mdiForm_) {
    if (Application) Application->ProcessMessages();
    mdiForm_->ConnectToClient();
  }
}

bool TSkinProvider::FormDestroying() const {
  return !formControl_ || formControl_->ComponentState().Contains(csDestroying);
}

bool TSkinProvider::Skinned() const {
  return form_ && !FormDestroying() && skinData_->Skinned(true);
}

TSkinProvider* TSkinProvider::ProviderOf(TCustomForm* Form) {
  for (TSkinProvider* p : Providers())
    if (p->form_ == Form) return p;
  return nullptr;
}

TSkinProvider* TSkinProvider::MDIFormProvider() {
  return registeredMDIProvider;
}

void TSkinProvider::RegisterMDIFormProvider(TSkinProvider* Provider) {
  registeredMDIProvider = Provider;
}

void TSkinProvider::PrepareForm() {
  TSkinManager* m = skinData_->SkinManager();
  if (!m || !form_) return;
  skinData_->UpdateIndexes();
  if (!systemMenu_) {
    systemMenu_ = std::make_unique<TSkSystemMenu>(this);
    systemMenu_->SetForm(form_);
  }
  if (firstPrepare_ && m->SkinData()->Active) {
    firstPrepare_ = false;
    if (!form_->BorderIcons().Empty()) form_->SetBorderIcons(TBorderIcons{});
    if (form_->FormStyle() == fsMDIForm && !ComponentState().Contains(csDesigning)) {
      if (!mdiForm_) mdiForm_ = std::make_unique<TSkMDIForm>(this);
      registeredMDIProvider = this;
    }
  }
  skinData_->SkinIndex = m->GetSkinIndex(skinData_->SkinSection());
  UpdateIconsIndexes();
  if (form_->FormStyle() == fsMDIChild) {
    if (TSkinProvider* p = registeredMDIProvider) {
      p->skinData_->BGChanged = true;
      p->menuRows_ = -1;
      if (p->mdiForm_) p->mdiForm_->UpdateScrollBars();
    }
  }
  if (useGlobalColor_ && !skinData_->CustomColor() && skinData_->Skinned())
    form_->SetColor(m->GetGlobalColor());
}

void TSkinProvider::SetCaptionAlignment(TAlignment Value) {
  if (Value == captionAlignment_) return;
  captionAlignment_ = Value;
  Refresh();
}

void TSkinProvider::SetShowAppIcon(bool Value) {
  if (Value == showAppIcon_) return;
  showAppIcon_ = Value;
  Refresh();
}

void TSkinProvider::SetTitleSkin(const std::string& Value) {
  if (Value == titleSkin_) return;
  titleSkin_ = Value;
  Refresh();
}

int TSkinProvider::TitleButtonGlyph() const {
  TSkinManager* m = skinData_->SkinManager();
  if (!m) return -1;
  const int glyph = m->GetMaskIndex(m->GetSkinIndex("GLOBALINFO"), "GLOBALINFO", "TITLEBUTTON");
  return glyph >= 0 ? glyph : m->GetMaskIndex(skinData_->SkinIndex, skinData_->SkinSection(), "TITLEBUTTON");
}

void TSkinProvider::TitleButtonAdded(TSkTitleButton* Button) {
  if (ComponentState().Contains(csDesigning) || !skinData_->Skinned()) return;
  Button->Data.ImageIndex = Button->UseSkinData ? TitleButtonGlyph() : -1;
  Refresh();
}

// The frame is painted again from a fresh image.
void TSkinProvider::Refresh(bool Frame) {
  skinData_->BGChanged = true;
  if (Frame && form_ && form_->Visible() && form_->HandleAllocated())
    SendMessage(form_->WindowHandle(), WM_NCPAINT, 0, 0);
}

void TSkinProvider::SetUseGlobalColor(bool Value) {
  useGlobalColor_ = Value;
  if (!skinData_->Skinned() || !form_) return;
  if (Value && !skinData_->CustomColor())
    form_->SetColor(skinData_->SkinManager()->GetGlobalColor());
  else
    form_->SetColor(clBtnFace);
}

void TSkinProvider::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (auto* m = dynamic_cast<TSkinManager*>(AComponent)) {
    if (Operation == opInsert && !skinData_->OwnSkinManager()) skinData_->SetSkinManager(m);
    if (Operation == opRemove && skinData_->OwnSkinManager() == m) skinData_->SetSkinManager(nullptr);
    return;
  }
  if (Operation == opRemove && mdiForm_) mdiForm_->ItemGone(AComponent);
  if (ComponentState().Contains(csDesigning) || !skinData_) return;
  TSkinManager* m = skinData_->SkinManager();
  if (!m || !m->SkinData()->Active) return;
  auto* menus = dynamic_cast<TSkinableMenus*>(m->MenuPainter());
  if (!menus) return;
  if (auto* item = dynamic_cast<TMenuItem*>(AComponent))
    menus->InitItem(item, Operation == opInsert);
  else if (auto* menu = dynamic_cast<TMainMenu*>(AComponent))
    menus->InitMainMenu(menu, Operation == opInsert);
}

void TSkinProvider::DestroyScroll(TSkScrollBar*& Bar) {
  if (Bar && !FormDestroying()) delete Bar;
  Bar = nullptr;
}

// A skinned form paints its whole frame: the desktop must not decorate it.
void TSkinProvider::SetOwnFrame(bool On) {
  if (!form_ || !form_->HandleAllocated()) return;
  // A window made anew (new border icons) starts without the mark.
  if (WindowHasOwnFrame(form_->WindowHandle()) == On) return;
  SetWindowOwnFrame(form_->WindowHandle(), On);
}

}  // namespace qv
