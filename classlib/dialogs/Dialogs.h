// The class library's dialogs: message dialogs (MessageDlg, ShowMessage),
// the input query (InputQuery, InputBox) and the open and save dialogs
// (TOpenDialog, TSaveDialog). Message dialogs go to the message-box hook
// first when one is installed (tests, the skin's own box).
#pragma once
#include <string>

#include "classlib/Component.h"
#include "classlib/controls/ControlTypes.h"
#include "platform/Set.h"

namespace qv {

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn {
  mbYes,
  mbNo,
  mbOK,
  mbCancel,
  mbAbort,
  mbRetry,
  mbIgnore,
  mbAll,
  mbNoToAll,
  mbYesToAll,
  mbHelp
};
using TMsgDlgButtons = Set<TMsgDlgBtn>;
inline const TMsgDlgButtons mbYesNo{mbYes, mbNo}, mbYesNoCancel{mbYes, mbNo, mbCancel},
    mbYesAllNoAllCancel{mbYes, mbYesToAll, mbNo, mbNoToAll, mbCancel}, mbOKCancel{mbOK, mbCancel},
    mbAbortRetryIgnore{mbAbort, mbRetry, mbIgnore}, mbAbortIgnore{mbAbort, mbIgnore};

// The modal result of the button pressed (mrYes ...). The caption is the
// type's ("Warning", "Error", "Information", "Confirm"), or the
// application's title for mtCustom.
int MessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx);
// With the button Enter presses chosen by the caller.
int MessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx,
               TMsgDlgBtn DefaultButton);
// A message with OK under the application's title.
void ShowMessage(const std::string& Msg);

// True with the edited text in Value when OK is pressed.
bool InputQuery(const std::string& ACaption, const std::string& APrompt, std::string& Value);
// The edited text, or ADefault when cancelled.
std::string InputBox(const std::string& ACaption, const std::string& APrompt, const std::string& ADefault);

enum TOpenOption {
  ofReadOnly,
  ofOverwritePrompt,
  ofHideReadOnly,
  ofNoChangeDir,
  ofShowHelp,
  ofNoValidate,
  ofAllowMultiSelect,
  ofExtensionDifferent,
  ofPathMustExist,
  ofFileMustExist,
  ofCreatePrompt,
  ofShareAware,
  ofNoReadOnlyReturn,
  ofNoTestFileCreate,
  ofNoNetworkButton,
  ofNoLongNames,
  ofOldStyleDialog,
  ofNoDereferenceLinks,
  ofEnableIncludeNotify,
  ofEnableSizing,
  ofDontAddToRecent,
  ofForceShowHidden
};
using TOpenOptions = Set<TOpenOption>;

class TCommonDialog : public TComponent {
 public:
  explicit TCommonDialog(TComponent* AOwner) : TComponent(AOwner) {}
  virtual bool Execute() = 0;
  int HelpContext = 0;
  TNotifyEvent OnShow, OnClose;
};

// The file chosen lands in FileName; Filter is "Description|*.ext;*.ext2|...".
class TOpenDialog : public TCommonDialog {
 public:
  explicit TOpenDialog(TComponent* AOwner) : TCommonDialog(AOwner) {}
  bool Execute() override;
  std::string Filter;
  int FilterIndex = 1;
  std::string DefaultExt;  // without the dot
  std::string FileName;
  std::string InitialDir;
  std::string Title;
  TOpenOptions Options{ofHideReadOnly, ofEnableSizing};

 protected:
  virtual bool IsSave() const { return false; }
};

class TSaveDialog : public TOpenDialog {
 public:
  explicit TSaveDialog(TComponent* AOwner) : TOpenDialog(AOwner) {}

 protected:
  bool IsSave() const override { return true; }
};

}  // namespace qv
