// The shell context menu of the shell controls and the tree's part in its
// verbs: rename starts editing in place, open runs in the item's folder,
// delete and paste bring the tree up to date.
#include <sys/stat.h>
#include <unistd.h>

#include "classlib/SysUtils.h"
#include "classlib/menus/Menus.h"
#include "platform/Files.h"
#include "platform/menus/Menus.h"
#include "skin/controls/skShellTreeView.h"

namespace qv {

namespace {
ComPtr<IContextMenu2> activeMenu;

std::string VerbOf(IContextMenu* Menu, UINT Offset) {
  char verb[256] = {};
  if (FAILED(Menu->GetCommandString(Offset, GCS_VERBA, nullptr, verb, sizeof(verb)))) return {};
  return verb;
}

ComPtr<IContextMenu> MenuOf(TSkShellFolder* Folder, HWND Window) {
  ComPtr<IContextMenu> menu;
  IShellFolder* parent = Folder->ParentShellFolder();
  LPCITEMIDLIST items[] = {Folder->RelativeId()};
  if (parent)
    parent->GetUIObjectOf(Window, 1, items, IID_IContextMenu, nullptr, reinterpret_cast<void**>(menu.Put()));
  return menu;
}
}  // namespace

IContextMenu2* ActiveShellMenu() {
  return activeMenu.Get();
}

void ShowShellContextMenu(TWinControl* Control, TSkShellFolder* Folder, POINT Screen) {
  if (!Folder) return;
  ComPtr<IContextMenu> menu = MenuOf(Folder, Control->Handle());
  if (!menu) return;
  HMENU popup = CreatePopupMenu();
  menu->QueryContextMenu(popup, 0, 1, 0x7FFF, CMF_EXPLORE | CMF_CANRENAME);
  activeMenu = menu.As<IContextMenu2>();
  const UINT command = UINT(TrackPopupMenu(popup, TPM_RETURNCMD | TPM_RIGHTBUTTON, Screen.x, Screen.y, 0,
                                           Control->Handle(), nullptr));
  activeMenu.Reset();
  if (command) {
    const std::string verb = VerbOf(menu.Get(), command - 1);
    auto* handler = dynamic_cast<IShellVerbHandler*>(Control);
    bool handled = false;
    HRESULT result = S_OK;
    if (handler) handler->VerbStarting(verb, handled);
    if (!handled) {
      CMINVOKECOMMANDINFO info;
      info.hwnd = Control->Handle();
      info.lpVerb = MakeVerbOffset(command - 1);
      info.nShow = 1;  // SW_SHOWNORMAL
      result = menu->InvokeCommand(&info);
    }
    if (handler) handler->VerbDone(verb, result == S_OK);
  }
  DestroyMenu(popup);
}

bool RunShellVerb(TSkShellFolder* Folder, const std::string& Verb) {
  ComPtr<IContextMenu> menu = Folder ? MenuOf(Folder, nullptr) : ComPtr<IContextMenu>();
  if (!menu) return false;
  CMINVOKECOMMANDINFO info;
  info.fMask = CMIC_MASK_ASYNCOK;
  info.lpVerb = Verb.c_str();
  info.nShow = 1;
  return menu->InvokeCommand(&info) == S_OK;
}

bool TSkCustomShellTreeView::DoContextPopup(POINT Screen) {
  TPopupMenu* own = PopupMenu();
  if (!AutoContextMenus || (own && own->AutoPopup)) return TSkTreeView::DoContextPopup(Screen);
  if (Screen.x == -1 && Screen.y == -1) Screen = ClientToScreen(POINT{0, 0});
  ShowShellContextMenu(this, GetSelectedFolder(), Screen);
  return true;
}

void TSkCustomShellTreeView::VerbStarting(const std::string& Verb, bool& Handled) {
  if (SameText(Verb, "rename") && Selected()) {
    Selected()->EditText();
    Handled = true;
  } else if (SameText(Verb, "open") && GetSelectedFolder()) {
    char cwd[4096];
    savedDirectory_ = ::getcwd(cwd, sizeof(cwd)) ? cwd : "";
    const std::string folder = ExtractFilePath(GetSelectedFolder()->ParsingPath());
    if (!folder.empty() && ::chdir(folder.c_str()) != 0) savedDirectory_.clear();
  }
}

void TSkCustomShellTreeView::VerbDone(const std::string& Verb, bool Succeeded) {
  TTreeNode* sel = Selected();
  if (SameText(Verb, "open") && !savedDirectory_.empty()) {
    if (::chdir(savedDirectory_.c_str()) != 0) {
      // The old folder is gone; the process stays where it is.
    }
    savedDirectory_.clear();
  }
  if (!Succeeded || !sel) return;
  if (SameText(Verb, "delete")) {
    // Only when nothing at all is left at the path (the tree holds folders, not just files).
    struct stat st {};
    TSkShellFolder* f = FolderOf(sel);
    if (f && ::lstat(f->ParsingPath().c_str(), &st) != 0) sel->Delete();
  } else if (SameText(Verb, "paste")) {
    RefreshNode(sel);
  }
}

}  // namespace qv
