// TAboutForm: the about box. It shows the version of the settings store's
// version block, the maker and the support address; the two links open the
// web page and a new mail message through the desktop.
#pragma once
#include <string>

#include "classlib/actions/ActnList.h"
#include "classlib/controls/Forms.h"
#include "classlib/stdctrls/Button.h"
#include "classlib/stdctrls/Label.h"

namespace qv {

class TAboutForm : public TForm {
 public:
  explicit TAboutForm(TComponent* AOwner);

  // What a link label opens: the web page (tag 1), a mail to support (tag 2).
  static std::string LinkTarget(intptr_t tag);
  // Opens the link of a label with a non-zero tag; false when the desktop
  // could not open it.
  bool OpenLink(TLabel* link);

  TLabel* VersionLbl;
  TLabel* DeveloperLbl;
  TLabel* SupportLbl;
  TLabel* VersionTxt;
  TLabel* CompanyTxt;
  TLabel* SupportTxt;
  TButton* CloseBtn;
  TActionList* Actions;
  TAction* actHelp;  // F1: the contents, which name the box's fields

 protected:
  // The window class carries the program icon.
  void CreateParams(TCreateParams& Params) override;

 private:
  TLabel* NewLabel(int x, int y, const std::string& caption);
  void MakeLink(TLabel* link, intptr_t tag);
};

extern TAboutForm* AboutForm;

}  // namespace qv
