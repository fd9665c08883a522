// Context-menu commands: built at QueryContextMenu from the item's
// attributes, run by verb or by offset; "properties" is run by name only.
// Deliberately no "delete".
#include "platform/shell/ContextMenu.h"

#include <cstring>

#include "platform/Files.h"
#include "platform/menus/Menus.h"
#include "platform/shell/ItemProperties.h"

namespace qv {

namespace {

HRESULT CopyOut(const std::string& text, UINT type, char* name, UINT cchMax) {
  if (!name || cchMax == 0) return E_INVALIDARG;
  if (type == GCS_VERBW || type == GCS_HELPTEXTW) {
    auto* out = reinterpret_cast<char16_t*>(name);
    std::size_t n = std::min<std::size_t>(text.size(), cchMax - 1);
    for (std::size_t i = 0; i < n; ++i) out[i] = char16_t(static_cast<unsigned char>(text[i]));
    out[n] = 0;
  } else {
    std::size_t n = std::min<std::size_t>(text.size(), cchMax - 1);
    std::memcpy(name, text.data(), n);
    name[n] = 0;
  }
  return S_OK;
}

}  // namespace

void* TShellContextMenu::QueryExtra(REFIID iid) {
  // IContextMenu2 derives from IContextMenu: the base answers too.
  return iid == IID_IContextMenu ? static_cast<IContextMenu*>(this) : nullptr;
}

HRESULT TShellContextMenu::QueryContextMenu(HMENU menu, UINT index, UINT first, UINT last, UINT flags) {
  items_.clear();
  items_.push_back({0, "open", u"&Open", true});
  if ((flags & CMF_CANRENAME) && !(flags & CMF_DEFAULTONLY) &&
      (ShellAttributesOf(item_, SFGAO_CANRENAME) & SFGAO_CANRENAME))
    items_.push_back({1, "rename", u"Rena&me", false});
  UINT used = 0;
  for (const ShellMenuItem& m : items_) {
    if (first + m.Offset > last) break;
    if (menu) {
      if (!InsertMenuW(menu, index++, MF_BYPOSITION | MF_STRING, first + m.Offset, m.Caption.c_str()))
        return E_FAIL;
      if (m.Default) SetMenuDefaultItem(menu, first + m.Offset, FALSE);
    }
    used = m.Offset + 1;
  }
  items_.resize(used);
  return HRESULT(used);
}

const ShellMenuItem* TShellContextMenu::Find(const char* verb) const {
  for (const ShellMenuItem& m : items_) {
    if (IsVerbOffset(verb) ? m.Offset == UINT(reinterpret_cast<uintptr_t>(verb)) : m.Verb == verb) return &m;
  }
  return nullptr;
}

HRESULT TShellContextMenu::InvokeCommand(const CMINVOKECOMMANDINFO* info) {
  if (!info) return E_INVALIDARG;
  // A verb given by name needs no menu to have been queried.
  std::string verb;
  if (IsVerbOffset(info->lpVerb)) {
    const ShellMenuItem* m = Find(info->lpVerb);
    if (!m) return E_INVALIDARG;
    verb = m->Verb;
  } else {
    verb = info->lpVerb;
  }
  if (verb == "open" || verb == "explore") {
    if (item_.Path.empty()) return E_FAIL;  // virtual items have nothing to open
    std::string dir = item_.Type == ShellItemType::File ? ExtractFilePath(item_.Path) : item_.Path;
    HINSTANCE r = ShellExecuteUtf8(info->hwnd, "open", item_.Path, dir, info->nShow);
    return reinterpret_cast<intptr_t>(r) > 32 ? S_OK : E_FAIL;
  }
  // Asked for by name only (a view's Alt+Enter): the desktop's file manager shows them.
  if (verb == "properties") {
    if (item_.Path.empty()) return E_FAIL;  // virtual items have no properties to show
    return ShowItemProperties(item_.Path) ? S_OK : E_FAIL;
  }
  // Renaming is the view's label editing; the shell has nothing to run for it.
  if (verb == "rename") return E_NOTIMPL;
  return E_INVALIDARG;
}

HRESULT TShellContextMenu::GetCommandString(uintptr_t offset, UINT type, UINT*, char* name, UINT cchMax) {
  if (offset > 0xFFFF) return E_INVALIDARG;
  const ShellMenuItem* m = Find(reinterpret_cast<const char*>(offset));
  if (!m) return E_INVALIDARG;
  switch (type) {
    case GCS_VERBA:
    case GCS_VERBW:
      return CopyOut(m->Verb, type, name, cchMax);
    case GCS_HELPTEXTA:
    case GCS_HELPTEXTW:
      return CopyOut(m->Verb == "open" ? "Opens the item." : "Renames the item.", type, name, cchMax);
    case GCS_VALIDATEA:
      return S_OK;
  }
  return E_INVALIDARG;
}

bool GetShellMenuItems(IContextMenu* menu, std::vector<ShellMenuItem>& items) {
  auto* own = dynamic_cast<TShellContextMenu*>(menu);
  if (!own) return false;
  items = own->Items();
  return true;
}

}  // namespace qv
