// The message record every control's window procedure chain passes along,
// and the class library's component messages (CM_*), numbered from CM_BASE.
// The reflected notifications (CN_*) live with the window messages.
#pragma once
#include "platform/window/Messages.h"

namespace qv {

// One message on its way through WindowProc -> WndProc -> Dispatch ->
// DefaultHandler. Handlers answer through Result; the caller reads it back.
struct TMessage {
  UINT Msg = 0;
  WPARAM WParam = 0;
  LPARAM LParam = 0;
  LRESULT Result = 0;

  WORD WParamLo() const { return LOWORD(WParam); }
  WORD WParamHi() const { return HIWORD(WParam); }
  WORD LParamLo() const { return LOWORD(uintptr_t(LParam)); }
  WORD LParamHi() const { return HIWORD(uintptr_t(LParam)); }
  // The client position a mouse message carries.
  POINT Pos() const { return POINT{GET_X_LPARAM(LParam), GET_Y_LPARAM(LParam)}; }
};

constexpr UINT CM_DEACTIVATE = CM_BASE + 1, CM_GOTFOCUS = CM_BASE + 2, CM_CANCELMODE = CM_BASE + 4,
               CM_DIALOGKEY = CM_BASE + 5, CM_DIALOGCHAR = CM_BASE + 6, CM_FOCUSCHANGED = CM_BASE + 7,
               CM_PARENTFONTCHANGED = CM_BASE + 8, CM_PARENTCOLORCHANGED = CM_BASE + 9,
               CM_HITTEST = CM_BASE + 10, CM_VISIBLECHANGED = CM_BASE + 11, CM_ENABLEDCHANGED = CM_BASE + 12,
               CM_COLORCHANGED = CM_BASE + 13, CM_FONTCHANGED = CM_BASE + 14, CM_CURSORCHANGED = CM_BASE + 15,
               CM_CTL3DCHANGED = CM_BASE + 16, CM_PARENTCTL3DCHANGED = CM_BASE + 17,
               CM_TEXTCHANGED = CM_BASE + 18, CM_MOUSEENTER = CM_BASE + 19, CM_MOUSELEAVE = CM_BASE + 20,
               CM_MENUCHANGED = CM_BASE + 21, CM_APPKEYDOWN = CM_BASE + 22, CM_APPSYSCOMMAND = CM_BASE + 23,
               CM_BUTTONPRESSED = CM_BASE + 24, CM_SHOWINGCHANGED = CM_BASE + 25, CM_ENTER = CM_BASE + 26,
               CM_EXIT = CM_BASE + 27, CM_DESIGNHITTEST = CM_BASE + 28, CM_ICONCHANGED = CM_BASE + 29,
               CM_WANTSPECIALKEY = CM_BASE + 30, CM_INVOKEHELP = CM_BASE + 31, CM_WINDOWHOOK = CM_BASE + 32,
               CM_RELEASE = CM_BASE + 33, CM_SHOWHINTCHANGED = CM_BASE + 34,
               CM_PARENTSHOWHINTCHANGED = CM_BASE + 35, CM_SYSCOLORCHANGE = CM_BASE + 36,
               CM_FONTCHANGE = CM_BASE + 38, CM_TIMECHANGE = CM_BASE + 39, CM_UIACTIVATE = CM_BASE + 41,
               CM_UIDEACTIVATE = CM_BASE + 42, CM_CONTROLLISTCHANGE = CM_BASE + 44,
               CM_CHILDKEY = CM_BASE + 46, CM_DRAG = CM_BASE + 47, CM_HINTSHOW = CM_BASE + 48,
               CM_DIALOGHANDLE = CM_BASE + 49, CM_ISTOOLCONTROL = CM_BASE + 50, CM_RECREATEWND = CM_BASE + 51,
               CM_INVALIDATE = CM_BASE + 52, CM_SYSFONTCHANGED = CM_BASE + 53,
               CM_CONTROLCHANGE = CM_BASE + 54, CM_CHANGED = CM_BASE + 55, CM_DOCKCLIENT = CM_BASE + 56,
               CM_FLOAT = CM_BASE + 58, CM_BORDERCHANGED = CM_BASE + 59, CM_BIDIMODECHANGED = CM_BASE + 60,
               CM_PARENTBIDIMODECHANGED = CM_BASE + 61, CM_ACTIONUPDATE = CM_BASE + 63,
               CM_HINTSHOWPAUSE = CM_BASE + 65, CM_MOUSEWHEEL = CM_BASE + 67, CM_ISSHORTCUT = CM_BASE + 68,
               CM_INVALIDATEDOCKHOST = CM_BASE + 70, CM_POPUPHWNDDESTROY = CM_BASE + 72,
               CM_DESTROYHANDLE = CM_BASE + 74, CM_CONTROLLISTCHANGING = CM_BASE + 76,
               CM_UNTHEMECONTROL = CM_BASE + 78;

}  // namespace qv
