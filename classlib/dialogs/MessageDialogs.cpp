// MessageDlg, ShowMessage, InputQuery and InputBox over the system dialogs.
#include <vector>

#include "classlib/controls/Application.h"
#include "classlib/controls/Forms.h"
#include "classlib/controls/MessageBox.h"
#include "classlib/dialogs/Dialogs.h"
#include "platform/Utf.h"
#include "platform/dialogs/SysDialogs.h"
#include "platform/window/StandardIcons.h"

namespace qv {
namespace {

struct ButtonInfo {
  TMsgDlgBtn button;
  const char16_t* caption;
  int result;
};
// In the order the buttons appear.
constexpr ButtonInfo kButtons[] = {{mbYes, u"&Yes", mrYes},
                                   {mbNo, u"&No", mrNo},
                                   {mbOK, u"OK", mrOk},
                                   {mbCancel, u"Cancel", mrCancel},
                                   {mbAbort, u"&Abort", mrAbort},
                                   {mbRetry, u"&Retry", mrRetry},
                                   {mbIgnore, u"&Ignore", mrIgnore},
                                   {mbAll, u"&All", mrAll},
                                   {mbNoToAll, u"N&o to All", mrNoToAll},
                                   {mbYesToAll, u"Yes to &All", mrYesToAll},
                                   {mbHelp, u"&Help", 0}};
constexpr int kHelpId = 100;

std::string CaptionOf(TMsgDlgType type) {
  switch (type) {
    case mtWarning:
      return "Warning";
    case mtError:
      return "Error";
    case mtInformation:
      return "Information";
    case mtConfirmation:
      return "Confirm";
    default:
      return Application ? Application->Title : "";
  }
}

UINT IconFlagOf(TMsgDlgType type) {
  switch (type) {
    case mtWarning:
      return MB_ICONWARNING;
    case mtError:
      return MB_ICONERROR;
    case mtInformation:
      return MB_ICONINFORMATION;
    case mtConfirmation:
      return MB_ICONQUESTION;
    default:
      return 0;
  }
}

// The message-box type of a button set, for the hook (MB_OK when none fits).
UINT TypeOf(TMsgDlgButtons b) {
  b -= TMsgDlgButtons{mbHelp};
  if (b == mbOKCancel) return MB_OKCANCEL;
  if (b == mbAbortRetryIgnore) return MB_ABORTRETRYIGNORE;
  if (b == mbYesNoCancel) return MB_YESNOCANCEL;
  if (b == mbYesNo) return MB_YESNO;
  if (b == TMsgDlgButtons{mbRetry, mbCancel}) return MB_RETRYCANCEL;
  return MB_OK;
}

// Enter: OK, else Yes, else the first button. Esc: Cancel, else No, else OK.
TMsgDlgBtn DefaultOf(TMsgDlgButtons b) {
  for (TMsgDlgBtn x : {mbOK, mbYes})
    if (b.Contains(x)) return x;
  for (auto& info : kButtons)
    if (b.Contains(info.button)) return info.button;
  return mbOK;
}

int ResultOf(TMsgDlgBtn b) {
  for (auto& info : kButtons)
    if (info.button == b) return info.result;
  return mrNone;
}

int Run(const std::string& msg, TMsgDlgType type, TMsgDlgButtons buttons, int helpCtx, TMsgDlgBtn def) {
  if (buttons.Empty()) buttons = TMsgDlgButtons{mbOK};
  std::string caption = CaptionOf(type);
  UINT flags = TypeOf(buttons) | IconFlagOf(type);
  if (HasMessageBoxHook()) return MessageBox(nullptr, msg, caption, flags);
  MessageDialogSpec spec;
  TCustomForm* main = Application ? Application->MainForm() : nullptr;
  spec.owner = GetActiveWindow()                 ? GetActiveWindow()
               : main && main->HandleAllocated() ? main->WindowHandle()
                                                 : nullptr;
  spec.caption = Utf8ToUtf16(caption);
  spec.text = Utf8ToUtf16(msg);
  static const LPCWSTR_ID kIcons[] = {IDI_EXCLAMATION, IDI_HAND, IDI_ASTERISK, IDI_QUESTION};
  if (type != mtCustom) spec.icon = LoadIconW(nullptr, kIcons[type]);
  spec.beep = flags & MB_ICONMASK;
  for (auto& info : kButtons)
    if (buttons.Contains(info.button))
      spec.buttons.push_back({info.button == mbHelp ? kHelpId : info.result, info.caption});
  spec.defaultId = ResultOf(def);
  for (TMsgDlgBtn x : {mbCancel, mbNo, mbOK})
    if (buttons.Contains(x)) {
      spec.cancelId = ResultOf(x);
      break;
    }
  for (;;) {
    int r = ShowMessageDialog(spec);
    if (r != kHelpId) return r;
    if (Application) Application->HelpContext(helpCtx);  // the help button leaves the question open
  }
}

}  // namespace

int MessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx) {
  return Run(Msg, DlgType, Buttons, HelpCtx, DefaultOf(Buttons));
}

int MessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx,
               TMsgDlgBtn DefaultButton) {
  return Run(Msg, DlgType, Buttons, HelpCtx,
             Buttons.Contains(DefaultButton) ? DefaultButton : DefaultOf(Buttons));
}

void ShowMessage(const std::string& Msg) {
  MessageDlg(Msg, mtCustom, TMsgDlgButtons{mbOK}, 0);
}

bool InputQuery(const std::string& ACaption, const std::string& APrompt, std::string& Value) {
  std::u16string value = Utf8ToUtf16(Value);
  if (!InputQueryDialog(GetActiveWindow(), Utf8ToUtf16(ACaption), Utf8ToUtf16(APrompt), value)) return false;
  Value = Utf16ToUtf8(value);
  return true;
}

std::string InputBox(const std::string& ACaption, const std::string& APrompt, const std::string& ADefault) {
  std::string value = ADefault;
  return InputQuery(ACaption, APrompt, value) ? value : ADefault;
}

}  // namespace qv
