// The input query: a prompt over an edit and OK and Cancel below it.
#include <algorithm>

#include "platform/controls/SystemControls.h"
#include "platform/dialogs/DialogFrame.h"
#include "platform/dialogs/SysDialogs.h"
#include "platform/gdi/SystemMetrics.h"
#include "platform/window/MessageQueue.h"

namespace qv {
namespace {
// Sizes of the layout at 96 dpi, as much larger on a denser screen as the
// dialog's text is.
int Margin() {
  return ScaleToScreen(8);
}
int DialogWidth() {
  return ScaleToScreen(270);
}
int EditH() {
  return ScaleToScreen(21);
}
int ButtonW() {
  return ScaleToScreen(75);
}
int ButtonH() {
  return ScaleToScreen(25);
}
constexpr int kEditId = 100, kPromptId = 101;
}  // namespace

bool InputQueryDialog(HWND owner, const std::u16string& caption, const std::u16string& prompt,
                      std::u16string& value) {
  dlg::Dialog d;
  d.defaultId = IDOK;
  d.cancelId = IDCANCEL;
  SIZE p = dlg::MeasureText(prompt, DialogWidth() - 2 * Margin(), true);
  int editTop = Margin() + p.cy + 4;
  int buttonsTop = editTop + EditH() + 14;
  int height = buttonsTop + ButtonH() + Margin();
  if (!dlg::CreateDialogWindow(d, owner ? owner : GetActiveWindow(), caption, SIZE{DialogWidth(), height},
                               true))
    return false;
  dlg::AddControl(d, u"STATIC", prompt, SS_LEFT,
                  RECT{Margin(), Margin(), DialogWidth() - Margin(), Margin() + p.cy}, kPromptId);
  HWND edit = dlg::AddControl(d, u"EDIT", value, WS_TABSTOP | ES_AUTOHSCROLL,
                              RECT{Margin(), editTop, DialogWidth() - Margin(), editTop + EditH()}, kEditId,
                              WS_EX_CLIENTEDGE);
  int x = DialogWidth() / 2 - ButtonW() - 3;
  dlg::AddControl(d, u"BUTTON", u"OK", WS_TABSTOP | BS_DEFPUSHBUTTON,
                  RECT{x, buttonsTop, x + ButtonW(), buttonsTop + ButtonH()}, IDOK);
  x = DialogWidth() / 2 + 3;
  dlg::AddControl(d, u"BUTTON", u"Cancel", WS_TABSTOP | BS_PUSHBUTTON,
                  RECT{x, buttonsTop, x + ButtonW(), buttonsTop + ButtonH()}, IDCANCEL);
  d.initialFocus = edit;
  // The text is read when OK is pressed, while the edit still exists.
  std::u16string typed = value;
  d.OnCommand = [&](int id, WORD code, HWND) {
    if (id == IDOK && code == BN_CLICKED) {
      int n = GetWindowTextLengthW(edit);
      std::u16string text(std::size_t(n) + 1, u'\0');
      text.resize(std::size_t(GetWindowTextW(edit, text.data(), n + 1)));
      typed = text;
    }
    return false;
  };
  if (dlg::RunModal(d) != IDOK) return false;
  value = typed;
  return true;
}

}  // namespace qv
