// The context menu of one shell item: "open" (the default) and "rename" (for
// items that can be renamed, when the caller allows it). QueryContextMenu
// puts the commands into a popup menu of platform/menus (or, without a menu,
// only notes them); GetShellMenuItems reads them back as data.
#pragma once
#include <string>
#include <vector>

#include "platform/shell/ShellApi.h"
#include "platform/shell/ShellItems.h"

namespace qv {

struct ShellMenuItem {
  UINT Offset;             // command id - first id
  std::string Verb;        // "open", "rename"
  std::u16string Caption;  // with "&" before the access key
  bool Default;
};

class TShellContextMenu : public ComObject<IContextMenu2> {
 public:
  explicit TShellContextMenu(ShellFacts item) : item_(std::move(item)) {}

  HRESULT QueryContextMenu(HMENU menu, UINT index, UINT first, UINT last, UINT flags) override;
  HRESULT InvokeCommand(const CMINVOKECOMMANDINFO* info) override;
  HRESULT GetCommandString(uintptr_t offset, UINT type, UINT* reserved, char* name, UINT cchMax) override;
  HRESULT HandleMenuMsg(UINT, WPARAM, LPARAM) override { return S_OK; }

  // The commands of the last QueryContextMenu.
  const std::vector<ShellMenuItem>& Items() const { return items_; }

 protected:
  void* QueryExtra(REFIID iid) override;

 private:
  const ShellMenuItem* Find(const char* verbOrOffset) const;

  ShellFacts item_;
  std::vector<ShellMenuItem> items_;
};

// The commands a shell context menu offers (after QueryContextMenu); false
// when menu is not one of ours.
bool GetShellMenuItems(IContextMenu* menu, std::vector<ShellMenuItem>& items);

}  // namespace qv
