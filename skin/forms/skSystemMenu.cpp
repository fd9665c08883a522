// The skinned form's system menu: its six commands, the rules that show and
// enable them (and the caption buttons), and the skin list.
#include "skin/forms/skSystemMenu.h"

#include "classlib/controls/Application.h"
#include "platform/window/MessageQueue.h"
#include "skin/forms/skMDIForm.h"
#include "skin/forms/skinMenus.h"
#include "skin/forms/skinProvider.h"
#include "skin/skinManager.h"

namespace qv {

namespace {
const char* kSkinItemName = "SkinSelectItem";

std::string WithoutAmpersands(const std::string& S) {
  std::string out;
  for (char c : S)
    if (c != '&') out += c;
  return out;
}
}  // namespace

TSkSystemMenu::TSkSystemMenu(TSkinProvider* AOwner) : TPopupMenu(nullptr), owner_(AOwner) {
  ItemRestore = MakeItem("Restore", "ItemRestore", SC_RESTORE);
  ItemMove = MakeItem("Move", "ItemMove", SC_MOVE);
  ItemSize = MakeItem("Size", "ItemSize", SC_SIZE);
  ItemMinimize = MakeItem("Minimize", "ItemMinimize", SC_MINIMIZE);
  ItemMaximize = MakeItem("Maximize", "ItemMaximize", SC_MAXIMIZE);
  auto* line = new TMenuItem(this);
  line->SetCaption("-");
  Items()->Add(line);
  ItemClose = MakeItem("Close", "ItemClose", SC_CLOSE);
  ItemClose->SetShortCut(TShortCut(0x8073));  // Alt+F4
}

TMenuItem* TSkSystemMenu::MakeItem(const std::string& Caption, const std::string& Name, WPARAM Cmd) {
  auto* item = new TMenuItem(this);
  item->SetCaption(Caption);
  item->SetName(Name);
  item->OnClick = [this, Cmd](TObject*) { Command(Cmd); };
  Items()->Add(item);
  return item;
}

void TSkSystemMenu::Command(WPARAM Cmd) {
  if (!form_ || !form_->HandleAllocated()) return;
  HWND h = form_->WindowHandle();
  if (Cmd == SC_MINIMIZE && Application && form_ == Application->MainForm()) {
    Application->Minimize();
    UpdateItems();
    return;
  }
  if (Cmd == SC_MAXIMIZE && form_->FormStyle() != fsMDIChild) form_->SetWindowState(wsMaximized);
  SendMessage(h, WM_SYSCOMMAND, Cmd, 0);
  if (Cmd == SC_RESTORE || Cmd == SC_MAXIMIZE) UpdateItems();
  if (Cmd == SC_RESTORE && form_->FormStyle() == fsMDIChild)
    if (TSkinProvider* p = TSkinProvider::MDIFormProvider(); p && p->MDIForm())
      p->MDIForm()->UpdateScrollBars();
}

bool TSkSystemMenu::Iconic() const {
  return form_ && form_->HandleAllocated() && IsIconic(form_->WindowHandle());
}

bool TSkSystemMenu::VisibleClose() const {
  return owner_->BorderIcons.Contains(sbiSystemMenu);
}

bool TSkSystemMenu::VisibleMax() const {
  if (Iconic()) return true;
  const TBorderStyle s = Style();
  if (s == bsDialog || s == bsNone || s == bsSizeToolWin || s == bsToolWindow) return false;
  if (s == bsSingle && !owner_->BorderIcons.Contains(sbiMaximize)) return false;
  return VisibleClose();
}

bool TSkSystemMenu::VisibleMin() const {
  if (Iconic()) return true;
  const TBorderStyle s = Style();
  if (s == bsDialog || s == bsNone || s == bsSizeToolWin || s == bsToolWindow) return false;
  if (s == bsSingle && !owner_->BorderIcons.Contains(sbiMinimize)) return false;
  return VisibleClose();
}

bool TSkSystemMenu::VisibleRestore() const {
  const TBorderStyle s = Style();
  return s != bsDialog && s != bsNone && s != bsSizeToolWin && s != bsToolWindow && VisibleClose();
}

bool TSkSystemMenu::VisibleSize() const {
  const TBorderStyle s = Style();
  return s != bsDialog && s != bsNone && s != bsToolWindow;
}

bool TSkSystemMenu::EnabledMax() const {
  const TBorderStyle s = Style();
  return owner_->BorderIcons.Contains(sbiMaximize) && State() != wsMaximized &&
         (s == bsSingle || s == bsSizeable || s == bsSizeToolWin);
}

bool TSkSystemMenu::EnabledMin() const {
  return owner_->BorderIcons.Contains(sbiMinimize) && State() != wsMinimized;
}

bool TSkSystemMenu::EnabledMove() const {
  return State() != wsMaximized;
}

bool TSkSystemMenu::EnabledRestore() const {
  return (owner_->BorderIcons.Contains(sbiMaximize) && State() != wsNormal) || State() == wsMinimized;
}

bool TSkSystemMenu::EnabledSize() const {
  return Style() != bsSingle && !Iconic();
}

void TSkSystemMenu::UpdateItems() {
  if (!form_) return;
  ItemRestore->SetVisible(VisibleRestore());
  ItemMove->SetVisible(true);
  ItemSize->SetVisible(VisibleSize());
  ItemMinimize->SetVisible(VisibleMin());
  ItemMaximize->SetVisible(VisibleMax());
  ItemClose->SetVisible(VisibleClose());
  ItemRestore->SetEnabled(EnabledRestore());
  ItemMove->SetEnabled(EnabledMove());
  ItemSize->SetEnabled(EnabledSize());
  ItemMinimize->SetEnabled(EnabledMin());
  ItemMaximize->SetEnabled(EnabledMax());
  ItemClose->SetEnabled(true);
}

void TSkSystemMenu::MakeSkinItems() {
  TSkinManager* m = owner_->SkinData()->SkinManager();
  if (!m) return;
  std::vector<std::string> names;
  m->ListSkinNames(names);
  if (names.empty()) return;
  auto* head = new TMenuItem(this);
  head->SetCaption("Available skins");
  head->SetName(kSkinItemName);
  Items()->Insert(0, head);
  auto* line = new TMenuItem(this);
  line->SetCaption("-");
  Items()->Insert(1, line);
  for (size_t i = 0; i < names.size(); ++i) {
    auto* item = new TMenuItem(this);
    item->SetCaption(names[i]);
    item->SetName(kSkinItemName + std::to_string(i));
    item->SetRadioItem(true);
    item->SetChecked(names[i] == m->SkinName());
    item->OnClick = [this, item](TObject*) {
      if (TSkinManager* mm = owner_->SkinData()->SkinManager())
        mm->SetSkinName(WithoutAmpersands(item->Caption()));
    };
    head->Add(item);
  }
}

void TSkSystemMenu::DropSysMenu(int X, int Y) {
  if (owner_->MakeSkinMenu) {
    if (Items()->Count() > 0 && Items()->Items(0)->Name() == kSkinItemName) {
      delete Items()->Items(0);  // the list goes with its items, then the line under it
      if (Items()->Count() > 0 && Items()->Items(0)->IsLine()) Items()->Delete(0);
    }
    MakeSkinItems();
    if (TSkinManager* m = owner_->SkinData()->SkinManager())
      if (auto* menus = dynamic_cast<TSkinableMenus*>(m->MenuPainter())) menus->InitPopupMenu(this, true);
  }
  UpdateItems();
  if (form_ && form_->HandleAllocated()) SetWindowHandle(form_->WindowHandle());
  Popup(X, Y);
}

}  // namespace qv
