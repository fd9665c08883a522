// Menus as the control core sees them. The menu classes (TMainMenu,
// TPopupMenu in classlib/menus) derive from TMenuBase, so a form can show
// its main menu, hand it its menu messages and shortcuts, and a control can
// pop up its context menu, without the core depending on the menu library.
#pragma once
#include "classlib/Component.h"
#include "classlib/controls/ControlMessages.h"
#include "classlib/controls/ControlTypes.h"

namespace qv {

class TControl;

class TMenuBase : public TComponent {
 public:
  using TComponent::TComponent;
  // The menu's handle, made on first use.
  virtual HMENU GetHandle() = 0;
  // Runs the item whose shortcut it is (when enabled); true consumes the key.
  virtual bool IsShortCut(WORD Key, TShiftState Shift) = 0;
  // The menu messages of the window showing the menu: WM_COMMAND from a menu,
  // WM_INITMENUPOPUP, WM_MENUSELECT, WM_MENUCHAR, and WM_MEASUREITEM /
  // WM_DRAWITEM for ODT_MENU items. True when they were the menu's.
  virtual bool DispatchMenuMessage(TMessage& Message) = 0;
  // A context menu for `Control` at a screen point; false when it does not pop up.
  virtual bool ContextPopup(TControl* Control, POINT At) {
    (void)Control, (void)At;
    return false;
  }
  // The form whose menu bar this is changed or went (so the bar is rebuilt).
  virtual void AttachedTo(HWND Window) { (void)Window; }
};

// Menu messages that no form's main menu claimed (a popup menu whose
// WindowHandle is that form, for instance): the menu library installs this.
using TPopupMenuDispatch = bool (*)(TMessage& Message);
void SetPopupMenuDispatch(TPopupMenuDispatch Dispatch);
bool DispatchPopupMenuMessage(TMessage& Message);

}  // namespace qv
