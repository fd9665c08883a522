// The skin library's message box: a modal form with an icon, a wrapped
// message and a row of buttons, laid out from the message font's average
// character size, carrying a form skin provider (section "DIALOG"); and the
// error path of the skin engine bound to it.
#pragma once
#include <string>

#include "classlib/controls/Forms.h"
#include "classlib/dialogs/Dialogs.h"

namespace qv {

class TSkinProvider;

class TSkMessageForm : public TForm {
 public:
  explicit TSkMessageForm(TComponent* AOwner);
  TSkinProvider* SkinProvider = nullptr;
  int HelpContext = 0;
  std::string HelpFile;
  void HelpButtonClick(TObject* Sender);
};

// Width and height of the average letter of the canvas's font.
SIZE GetAveCharSize(TCanvas* Canvas);
// The measured width (+ 8) of a button's caption, 0 = not measured yet.
int& MessageButtonWidth(TMsgDlgBtn Button);

// The caller owns the form.
TSkMessageForm* skCreateMessageDialog(const std::string& Caption, const std::string& Msg, TMsgDlgType DlgType,
                                      TMsgDlgButtons Buttons);
int skMessageDlgPosHelp(const std::string& Caption, const std::string& Msg, TMsgDlgType DlgType,
                        TMsgDlgButtons Buttons, int HelpCtx, int X, int Y, const std::string& HelpFileName);
int skMessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx);

// Binds the skin engine's seams to the form skinning: errors shown in the
// skinned message box, skin commands delivered to form providers, and the
// skinned menus as the managers' menu painter. Call once at start-up.
void UseSkinnedForms();

}  // namespace qv
