// TMenu and its two kinds: the main menu shown as a form's menu bar and the
// popup menu. A menu answers the messages of the window that shows it:
// commands, drop-downs (a title's OnClick and the actions' update), the
// selected item's hint, and owner-draw measuring and painting. Popup menus
// hear theirs through one hidden window shared by all of them.
#include <algorithm>

#include "classlib/controls/Application.h"
#include "classlib/controls/Control.h"
#include "classlib/controls/UtilWindow.h"
#include "classlib/graphics/Canvas.h"
#include "classlib/graphics/ImageList.h"
#include "classlib/menus/Menus.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/menus/Menus.h"

namespace qv {
namespace {

std::vector<TPopupMenu*>& PopupMenus() {
  static std::vector<TPopupMenu*> list;
  return list;
}

bool DispatchToPopups(TMessage& M) {
  auto menus = PopupMenus();  // a handler may free a menu
  for (TPopupMenu* m : menus)
    if (std::find(PopupMenus().begin(), PopupMenus().end(), m) != PopupMenus().end() &&
        m->DispatchMenuMessage(M))
      return true;
  return false;
}

// The hidden window that owns the popup menus' loops.
HWND PopupListWindow() {
  static HWND window = nullptr;
  if (!window || !IsWindow(window))
    window = AllocateHWnd([](TMessage& M) {
      if (!DispatchToPopups(M)) M.Result = DefWindowProcW(window, M.Msg, M.WParam, M.LParam);
    });
  return window;
}

std::string LongHint(const std::string& hint) {
  auto bar = hint.find('|');
  return bar == std::string::npos ? hint : hint.substr(bar + 1);
}

void ShowMenuHint(const std::string& hint) {
  if (!Application || Application->Hint == hint) return;
  Application->Hint = hint;
  if (Application->OnHint) Application->OnHint(Application);
}

void RebuildAll(TMenuItem* item, int depth = 0) {
  if (depth > 32) return;
  item->RebuildHandle();
  for (int i = 0; i < item->Count(); ++i) RebuildAll(item->Items(i), depth + 1);
}

TMenuItem* FindIn(TMenuItem* item, const std::function<bool(TMenuItem*)>& match, int depth = 0) {
  if (depth > 32) return nullptr;
  if (match(item)) return item;
  for (int i = 0; i < item->Count(); ++i)
    if (TMenuItem* r = FindIn(item->Items(i), match, depth + 1)) return r;
  return nullptr;
}

TOwnerDrawState DrawState(UINT s) {
  TOwnerDrawState state;
  if (s & ODS_SELECTED) state.Include(odSelected);
  if (s & ODS_GRAYED) state.Include(odGrayed);
  if (s & ODS_DISABLED) state.Include(odDisabled);
  if (s & ODS_CHECKED) state.Include(odChecked);
  if (s & ODS_FOCUS) state.Include(odFocused);
  if (s & ODS_DEFAULT) state.Include(odDefault);
  if (s & ODS_HOTLIGHT) state.Include(odHotLight);
  if (s & ODS_INACTIVE) state.Include(odInactive);
  if (s & ODS_NOACCEL) state.Include(odNoAccel);
  return state;
}

// The visible sub-item at a position of the platform menu.
TMenuItem* VisibleAt(TMenuItem* parent, int pos) {
  for (int i = 0; i < parent->Count(); ++i)
    if (parent->Items(i)->Visible() && pos-- == 0) return parent->Items(i);
  return nullptr;
}

}  // namespace

// ---- TMenu ----

TMenu::TMenu(TComponent* AOwner)
    : TMenuBase(AOwner), items_(new TMenuItem(this)), imageLink_(new TChangeLink) {
  items_->SetMenu(this);
  imageLink_->OnChange = [this](TObject*) {
    RebuildAll(items_);
    MenuChanged(nullptr);
  };
}

TMenu::~TMenu() {
  Destroying();
  imageLink_.reset();
  delete items_;
  items_ = nullptr;
}

void TMenu::SetImages(TCustomImageList* Value) {
  if (images_ == Value) return;
  if (images_) {
    images_->UnRegisterChanges(imageLink_.get());
    images_->RemoveFreeNotification(this);
  }
  images_ = Value;
  if (images_) {
    images_->RegisterChanges(imageLink_.get());
    images_->FreeNotification(this);
  }
  RebuildAll(items_);
  MenuChanged(nullptr);
}

void TMenu::SetOwnerDraw(bool Value) {
  if (ownerDraw_ == Value) return;
  ownerDraw_ = Value;
  RebuildAll(items_);
  MenuChanged(nullptr);
}

void TMenu::Notification(TComponent* AComponent, TOperation Operation) {
  TMenuBase::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == images_) {
    images_ = nullptr;
    if (!ComponentState().Contains(csDestroying)) RebuildAll(items_);
  }
}

HMENU TMenu::CreateMenuHandle() {
  return CreatePopupMenu();
}

HMENU TMenu::GetHandle() {
  return items_ ? items_->Handle() : nullptr;
}

void TMenu::MenuChanged(TMenuItem*) {}

TMenuItem* TMenu::FindItem(uintptr_t Value, TFindItemKind Kind) {
  if (!items_) return nullptr;
  return FindIn(items_, [&](TMenuItem* i) {
    switch (Kind) {
      case fkCommand:
        return i != items_ && i->Command() == Value;
      case fkHandle:
        return i->HandleAllocated() && uintptr_t(i->handle_) == Value;
      case fkShortCut:
        return i != items_ && i->ShortCut() != scNone && i->ShortCut() == Value && i->Visible();
    }
    return false;
  });
}

bool TMenu::DispatchCommand(WORD ACommand) {
  TMenuItem* item = FindItem(ACommand, fkCommand);
  if (!item) return false;
  item->Click();
  return true;
}

bool TMenu::DispatchPopup(HMENU AMenu) {
  TMenuItem* item = FindItem(uintptr_t(AMenu), fkHandle);
  if (!item) return false;
  InitiateActions(item);
  item->Click();
  return true;
}

bool TMenu::IsShortCut(WORD Key, TShiftState Shift) {
  TShortCut sc = ::qv::ShortCut(Key, Shift);
  if (sc == scNone) return false;
  TMenuItem* item = FindItem(sc, fkShortCut);
  if (!item) return false;
  for (TMenuItem* p = item->Parent(); p; p = p->Parent())
    if (!p->Enabled() || !p->Visible()) return false;
  item->InitiateAction();
  if (!item->Enabled()) return false;
  item->Click();
  return true;
}

bool TMenu::MeasureOrDraw(TMessage& M) {
  if (M.Msg == WM_MEASUREITEM) {
    auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(M.LParam);
    TMenuItem* item = FindItem(mis->itemID, fkCommand);
    if (!item || mis->itemData != uintptr_t(item)) return false;
    HDC dc = CreateCompatibleDC(nullptr);
    int w = int(mis->itemWidth), h = int(mis->itemHeight);
    {
      TCanvas canvas;
      canvas.SetHandle(dc);
      item->MeasureItem(&canvas, w, h);
      canvas.SetHandle(nullptr);
    }
    DeleteDC(dc);
    mis->itemWidth = UINT(std::max(w, 0));
    mis->itemHeight = UINT(std::max(h, 0));
    M.Result = 1;
    return true;
  }
  auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(M.LParam);
  TMenuItem* item = FindItem(dis->itemID, fkCommand);
  if (!item || dis->itemData != uintptr_t(item)) return false;
  TCanvas canvas;
  canvas.SetHandle(dis->hDC);
  item->AdvancedDrawItem(&canvas, dis->rcItem, DrawState(dis->itemState));
  canvas.SetHandle(nullptr);
  M.Result = 1;
  return true;
}

bool TMenu::DispatchMenuMessage(TMessage& M) {
  if (!items_) return false;
  switch (M.Msg) {
    case WM_COMMAND:
      return DispatchCommand(LOWORD(M.WParam));
    case WM_INITMENUPOPUP:
      return DispatchPopup(reinterpret_cast<HMENU>(M.WParam));
    case WM_MENUSELECT: {
      UINT flags = HIWORD(M.WParam);
      HMENU menu = reinterpret_cast<HMENU>(M.LParam);
      if (flags == 0xFFFF && !menu) {
        ShowMenuHint("");
        return false;
      }
      TMenuItem* owner = FindItem(uintptr_t(menu), fkHandle);
      if (!owner) return false;
      TMenuItem* item =
          flags & MF_POPUP ? VisibleAt(owner, LOWORD(M.WParam)) : FindItem(LOWORD(M.WParam), fkCommand);
      ShowMenuHint(item ? LongHint(item->Hint()) : std::string());
      return true;
    }
    case WM_MEASUREITEM:
    case WM_DRAWITEM:
      return M.LParam && MeasureOrDraw(M);
  }
  return false;
}

// ---- TMainMenu ----

HMENU TMainMenu::CreateMenuHandle() {
  return CreateMenu();
}

void TMainMenu::AttachedTo(HWND Window) {
  window_ = Window;
  if (window_) DrawMenuBar(window_);
}

void TMainMenu::MenuChanged(TMenuItem*) {
  if (window_ && IsWindow(window_) && !ComponentState().Contains(csDestroying)) DrawMenuBar(window_);
}

// ---- TPopupMenu ----

TPopupMenu::TPopupMenu(TComponent* AOwner) : TMenu(AOwner) {
  PopupMenus().push_back(this);
  SetPopupMenuDispatch(DispatchToPopups);
}

TPopupMenu::~TPopupMenu() {
  std::erase(PopupMenus(), this);
}

void TPopupMenu::SetPopupComponent(TComponent* Value) {
  if (popupComponent_ == Value) return;
  if (popupComponent_) popupComponent_->RemoveFreeNotification(this);
  popupComponent_ = Value;
  if (Value) Value->FreeNotification(this);
}

void TPopupMenu::Notification(TComponent* AComponent, TOperation Operation) {
  TMenu::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == popupComponent_) popupComponent_ = nullptr;
}

HWND TPopupMenu::WindowHandle() {
  return windowHandle_ && IsWindow(windowHandle_) ? windowHandle_ : PopupListWindow();
}

void TPopupMenu::DoPopup(TObject* Sender) {
  if (OnPopup) OnPopup(Sender);
}

void TPopupMenu::Popup(int X, int Y) {
  auto self = std::find(PopupMenus().begin(), PopupMenus().end(), this);
  if (self == PopupMenus().end()) return;
  DoPopup(this);
  if (std::find(PopupMenus().begin(), PopupMenus().end(), this) == PopupMenus().end()) return;
  InitiateActions(Items());
  UINT align = Alignment == paRight    ? TPM_RIGHTALIGN
               : Alignment == paCenter ? TPM_CENTERALIGN
                                       : TPM_LEFTALIGN;
  TrackPopupMenu(GetHandle(), align | TPM_LEFTBUTTON | TPM_RIGHTBUTTON, X, Y, 0, WindowHandle(), nullptr);
}

bool TPopupMenu::ContextPopup(TControl* Control, POINT At) {
  if (!AutoPopup) return false;
  SetPopupComponent(Control);
  Popup(At.x, At.y);
  return true;
}

}  // namespace qv
