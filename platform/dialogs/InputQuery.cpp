// The input query: a prompt over an edit and OK and Cancel below it.
#include <algorithm>

#include "platform/controls/SystemControls.h"
#include "platform/dialogs/DialogFrame.h"
#include "platform/dialogs/SysDialogs.h"
#include "platform/window/MessageQueue.h"

namespace qv {
namespace {
constexpr int kMargin = 8, kWidth = 270, kEditH = 21, kButtonW = 75, kButtonH = 25, kEditId = 100,
              kPromptId = 101;
}

bool InputQueryDialog(HWND owner, const std::u16string& caption, const std::u16string& prompt,
                      std::u16string& value) {
  dlg::Dialog d;
  d.defaultId = IDOK;
  d.cancelId = IDCANCEL;
  SIZE p = dlg::MeasureText(prompt, kWidth - 2 * kMargin, true);
  int editTop = kMargin + p.cy + 4;
  int buttonsTop = editTop + kEditH + 14;
  int height = buttonsTop + kButtonH + kMargin;
  if (!dlg::CreateDialogWindow(d, owner ? owner : GetActiveWindow(), caption, SIZE{kWidth, height}, true))
    return false;
  dlg::AddControl(d, u"STATIC", prompt, SS_LEFT, RECT{kMargin, kMargin, kWidth - kMargin, kMargin + p.cy},
                  kPromptId);
  HWND edit =
      dlg::AddControl(d, u"EDIT", value, WS_TABSTOP | ES_AUTOHSCROLL,
                      RECT{kMargin, editTop, kWidth - kMargin, editTop + kEditH}, kEditId, WS_EX_CLIENTEDGE);
  int x = kWidth / 2 - kButtonW - 3;
  dlg::AddControl(d, u"BUTTON", u"OK", WS_TABSTOP | BS_DEFPUSHBUTTON,
                  RECT{x, buttonsTop, x + kButtonW, buttonsTop + kButtonH}, IDOK);
  x = kWidth / 2 + 3;
  dlg::AddControl(d, u"BUTTON", u"Cancel", WS_TABSTOP | BS_PUSHBUTTON,
                  RECT{x, buttonsTop, x + kButtonW, buttonsTop + kButtonH}, IDCANCEL);
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
