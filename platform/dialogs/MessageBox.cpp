// Message boxes and message dialogs: an icon, the text wrapped to a
// readable width, and a centred row of buttons, with the default and
// cancel buttons the box type calls for.
#include <algorithm>

#include "platform/controls/SystemControls.h"
#include "platform/dialogs/DialogFrame.h"
#include "platform/dialogs/SysDialogs.h"
#include "platform/gdi/SystemMetrics.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/StandardIcons.h"

namespace qv {
namespace {

// Sizes of the layout at 96 dpi, as much larger on a denser screen as the
// dialog's text is.
int Margin() {
  return ScaleToScreen(12);
}
int IconSize() {
  return ScaleToScreen(32);
}
int IconGap() {
  return ScaleToScreen(12);
}
int ButtonW() {
  return ScaleToScreen(75);
}
int ButtonH() {
  return ScaleToScreen(23);
}
int ButtonGap() {
  return ScaleToScreen(6);
}
int TextWidth() {
  return ScaleToScreen(420);
}
int MinWidth() {
  return ScaleToScreen(160);
}
constexpr int kTextId = 0xFFFF, kIconId = 20;

std::vector<MessageDialogButton> ButtonsOf(UINT type) {
  switch (type) {
    case MB_OKCANCEL:
      return {{IDOK, u"OK"}, {IDCANCEL, u"Cancel"}};
    case MB_ABORTRETRYIGNORE:
      return {{IDABORT, u"&Abort"}, {IDRETRY, u"&Retry"}, {IDIGNORE, u"&Ignore"}};
    case MB_YESNOCANCEL:
      return {{IDYES, u"&Yes"}, {IDNO, u"&No"}, {IDCANCEL, u"Cancel"}};
    case MB_YESNO:
      return {{IDYES, u"&Yes"}, {IDNO, u"&No"}};
    case MB_RETRYCANCEL:
      return {{IDRETRY, u"&Retry"}, {IDCANCEL, u"Cancel"}};
    default:
      return {{IDOK, u"OK"}};
  }
}

HICON IconOf(UINT flags) {
  switch (flags & MB_ICONMASK) {
    case MB_ICONHAND:
      return LoadIconW(nullptr, IDI_HAND);
    case MB_ICONQUESTION:
      return LoadIconW(nullptr, IDI_QUESTION);
    case MB_ICONEXCLAMATION:
      return LoadIconW(nullptr, IDI_EXCLAMATION);
    case MB_ICONASTERISK:
      return LoadIconW(nullptr, IDI_ASTERISK);
  }
  return nullptr;
}

}  // namespace

int ShowMessageDialog(const MessageDialogSpec& spec) {
  if (spec.buttons.empty()) return 0;
  // Text beside the icon, at most TextWidth() wide, centred on the icon when short.
  SIZE text = dlg::MeasureText(spec.text, TextWidth());
  int textLeft = Margin() + (spec.icon ? IconSize() + IconGap() : 0);
  int bodyH = std::max(text.cy, spec.icon ? IconSize() : 0);
  int n = int(spec.buttons.size());
  int rowW = n * ButtonW() + (n - 1) * ButtonGap();
  int width = std::max({textLeft + text.cx + Margin(), rowW + 2 * Margin(), MinWidth()});
  int height = Margin() + bodyH + Margin() + ButtonH() + Margin();
  bool canClose = spec.cancelId != 0;
  dlg::Dialog d;
  d.defaultId = spec.defaultId ? spec.defaultId : spec.buttons.front().id;
  d.cancelId = spec.cancelId;
  HWND owner = spec.owner ? spec.owner : GetActiveWindow();
  if (!dlg::CreateDialogWindow(d, owner, spec.caption, SIZE{width, height}, canClose)) return 0;
  if (spec.icon) {
    HWND icon =
        dlg::AddControl(d, u"STATIC", u"", SS_ICON,
                        RECT{Margin(), Margin(), Margin() + IconSize(), Margin() + IconSize()}, kIconId);
    SendMessageW(icon, STM_SETICON, WPARAM(spec.icon), 0);
  }
  int textTop = Margin() + (bodyH - text.cy) / 2;
  dlg::AddControl(d, u"STATIC", spec.text, SS_LEFT | SS_NOPREFIX,
                  RECT{textLeft, textTop, textLeft + text.cx, textTop + text.cy}, kTextId);
  int x = (width - rowW) / 2, y = height - Margin() - ButtonH();
  for (auto& b : spec.buttons) {
    DWORD style = WS_TABSTOP | (b.id == d.defaultId ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
    dlg::AddControl(d, u"BUTTON", b.caption, style, RECT{x, y, x + ButtonW(), y + ButtonH()}, b.id);
    x += ButtonW() + ButtonGap();
  }
  if (spec.icon && spec.beep) MessageBeep(spec.beep);
  return dlg::RunModal(d);
}

int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT flags) {
  MessageDialogSpec spec;
  spec.owner = owner;
  spec.text = text ? text : u"";
  spec.caption = caption ? caption : u"Error";
  spec.icon = IconOf(flags);
  spec.beep = flags & MB_ICONMASK;
  UINT type = flags & MB_TYPEMASK;
  spec.buttons = ButtonsOf(type);
  std::size_t def = (flags & MB_DEFMASK) >> 8;
  spec.defaultId = spec.buttons[def < spec.buttons.size() ? def : 0].id;
  // Esc closes a box that has Cancel, or only OK; Yes/No and Abort/Retry/Ignore must be answered.
  for (auto& b : spec.buttons)
    if (b.id == IDCANCEL) spec.cancelId = IDCANCEL;
  if (type == MB_OK || spec.buttons.size() == 1) spec.cancelId = IDOK;
  return ShowMessageDialog(spec);
}

}  // namespace qv
