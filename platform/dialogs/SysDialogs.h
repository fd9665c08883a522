// The system dialogs: message boxes (and message dialogs with any buttons),
// the input query and the open and save dialogs. Each is a real modal
// window: its owner is disabled while it runs, the keyboard works as in
// any dialog (Tab, Enter for the default button, Esc for the cancel
// button, arrows between buttons, the underlined letters), and a backend
// hears of it when it starts (Backend::ModalStarted), so tests can answer.
#pragma once
#include <string>
#include <vector>

#include "platform/window/Input.h"

namespace qv {

constexpr UINT MB_OKCANCEL = 0x1, MB_ABORTRETRYIGNORE = 0x2, MB_YESNOCANCEL = 0x3, MB_YESNO = 0x4,
               MB_RETRYCANCEL = 0x5, MB_TYPEMASK = 0xF, MB_ICONSTOP = MB_ICONHAND, MB_ICONERROR = MB_ICONHAND,
               MB_ICONWARNING = MB_ICONEXCLAMATION, MB_ICONINFORMATION = MB_ICONASTERISK, MB_ICONMASK = 0xF0,
               MB_DEFBUTTON2 = 0x100, MB_DEFBUTTON3 = 0x200, MB_DEFMASK = 0xF00, MB_SYSTEMMODAL = 0x1000,
               MB_TASKMODAL = 0x2000;
constexpr int IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7,
              IDCLOSE = 8, IDHELP = 9;

// The button pressed (IDOK ...); Esc and the close box give IDCANCEL, or
// IDOK for a box with only OK; 0 when the box cannot be made.
int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT flags);

// A message dialog with any buttons, for the class library's own dialogs.
struct MessageDialogButton {
  int id = 0;
  std::u16string caption;  // "&" marks the letter that presses it
};
struct MessageDialogSpec {
  HWND owner = nullptr;  // null: the active window
  std::u16string caption, text;
  HICON icon = nullptr;
  UINT beep = 0;  // MB_ICON* for MessageBeep; no beep without an icon
  std::vector<MessageDialogButton> buttons;
  int defaultId = 0;
  int cancelId = 0;  // Esc and the close box; 0: neither closes the dialog
};
int ShowMessageDialog(const MessageDialogSpec& spec);

// A caption, a prompt, an edit with `value` selected, OK and Cancel; true
// with the edited text in `value` on OK.
bool InputQueryDialog(HWND owner, const std::u16string& caption, const std::u16string& prompt,
                      std::u16string& value);

// ---- Open and save dialogs ----
constexpr DWORD OFN_READONLY = 0x1, OFN_OVERWRITEPROMPT = 0x2, OFN_HIDEREADONLY = 0x4, OFN_NOCHANGEDIR = 0x8,
                OFN_NOVALIDATE = 0x100, OFN_ALLOWMULTISELECT = 0x200, OFN_EXTENSIONDIFFERENT = 0x400,
                OFN_PATHMUSTEXIST = 0x800, OFN_FILEMUSTEXIST = 0x1000, OFN_CREATEPROMPT = 0x2000,
                OFN_NOREADONLYRETURN = 0x8000, OFN_NOTESTFILECREATE = 0x10000, OFN_ENABLESIZING = 0x800000,
                OFN_DONTADDTORECENT = 0x2000000, OFN_FORCESHOWHIDDEN = 0x10000000;
constexpr DWORD CDERR_INITIALIZATION = 0x0002, FNERR_BUFFERTOOSMALL = 0x3003;

struct OPENFILENAMEW {
  DWORD lStructSize = sizeof(OPENFILENAMEW);
  HWND hwndOwner = nullptr;
  // Pairs of zero-terminated strings (description, patterns separated by
  // ";"), ended by an empty string: u"Text Files (*.txt)\0*.txt\0\0".
  LPCWSTR lpstrFilter = nullptr;
  DWORD nFilterIndex = 1;      // 1-based; updated to the filter in use
  LPWSTR lpstrFile = nullptr;  // in: the initial name or path; out: the chosen path
  DWORD nMaxFile = 0;
  LPCWSTR lpstrInitialDir = nullptr;
  LPCWSTR lpstrTitle = nullptr;  // null: "Open" or "Save As"
  DWORD Flags = 0;
  WORD nFileOffset = 0, nFileExtension = 0;  // out: where the name and extension start
  LPCWSTR lpstrDefExt = nullptr;             // added to a name typed without one
};
// FALSE when cancelled, or with CommDlgExtendedError() telling what failed.
BOOL GetOpenFileNameW(OPENFILENAMEW* ofn);
BOOL GetSaveFileNameW(OPENFILENAMEW* ofn);
DWORD CommDlgExtendedError();

}  // namespace qv
