// TSkSystemMenu: the popup a skinned form shows instead of the window's own
// system menu (restore, move, size, minimise, maximise, close), its
// visibility and enabled rules (shared with the caption buttons) and the
// optional list of the manager's skins at its top.
#pragma once
#include "classlib/controls/Forms.h"
#include "classlib/menus/Menus.h"

namespace qv {

class TSkinProvider;

class TSkSystemMenu : public TPopupMenu {
 public:
  explicit TSkSystemMenu(TSkinProvider* AOwner);
  void SetForm(TCustomForm* Form) { form_ = Form; }
  TCustomForm* Form() const { return form_; }

  TMenuItem *ItemRestore = nullptr, *ItemMove = nullptr, *ItemSize = nullptr, *ItemMinimize = nullptr,
            *ItemMaximize = nullptr, *ItemClose = nullptr;

  void UpdateItems();
  void MakeSkinItems();
  // Shows the menu at a screen point (the skin list first, when asked for).
  void DropSysMenu(int X, int Y);

  bool VisibleClose() const;
  bool VisibleMax() const;
  bool VisibleMin() const;
  bool VisibleRestore() const;
  bool VisibleSize() const;
  bool EnabledMax() const;
  bool EnabledMin() const;
  bool EnabledMove() const;
  bool EnabledRestore() const;
  bool EnabledSize() const;

 private:
  TMenuItem* MakeItem(const std::string& Caption, const std::string& Name, WPARAM Command);
  void Command(WPARAM Command);
  bool Iconic() const;
  TBorderStyle Style() const { return form_ ? form_->BorderStyle() : bsNone; }
  TWindowState State() const { return form_ ? form_->WindowState() : wsNormal; }

  TSkinProvider* owner_;
  TCustomForm* form_ = nullptr;
};

}  // namespace qv
