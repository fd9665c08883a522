// Walking and addressing a tree of controls with the skin command message:
// commands to one control or to all children, queries read back from the
// message, background colours, graphic children painted into a DC, and the
// broadcast of a message to every form of the application.
#pragma once
#include <functional>
#include <string>

#include "classlib/controls/Control.h"
#include "classlib/controls/ControlTypes.h"
#include "skin/skMessages.h"

namespace qv {

class TWinControl;
class TCustomForm;

bool HasScrollBar(HWND Wnd, int Kind);
void RepaintChildren(TWinControl* Control);
// SharedBgColor := the control's background colour (command 21, else its Color).
TColor QueryBgColor(TControl* Control);
// The same colour for a caller that only wants the value: SharedBgColor is
// none again afterwards, so no later painter takes it for its parent's colour.
TColor BgColorOf(TControl* Control);
void GetWorkArea(RECT& R);
void ClearCacheFrozen(TControl* Control);
bool GraphicChildPaints(TControl* Child, HDC DC);
void PaintGraphicChildren(HDC DC, TWinControl* Control, POINT Offset);
void RefreshWindowPos(TWinControl* Control);
LRESULT SendSkinCommandToHandle(HWND Wnd, WORD Command);
// Perform on a graphic control; SendMessage to a windowed control that has a
// handle; nothing otherwise (no handle is made).
LRESULT SendSkinCommand(TControl* Control, WORD Command, WORD Sub = 0, LPARAM LParam = 0);
// The control's WindowProc called with the query; true when it answered 1.
bool QuerySkinCommand(TControl* Control, WORD Command);
bool ControlIsReady(TControl* Control);
TCustomForm* GetOwnerForm(TComponent* Component);
UINT GetTextFlags(TControl* Control, TAlignment Alignment);
// Passes the message down the tree (skinned windowed children get it, others
// are searched); stops at the first child being destroyed.
void SkinBroadcast(TWinControl* Control, TMessage& Message);
// Delivers to the form's skin provider (filled in by the form skinning unit).
using TSendToProvider = std::function<void(TCustomForm* Form, TMessage& Message)>;
extern TSendToProvider SendToProviderHook;
void SendToProvider(TCustomForm* Form, TMessage& Message);
// Every form (the application's components, last first, then the extra forms).
void BroadcastToForms(TMessage& Message);
// Forms the form broadcast reaches besides the application's own.
std::vector<TCustomForm*>& ExtraForms();

}  // namespace qv
