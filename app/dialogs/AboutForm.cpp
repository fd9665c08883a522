// The about box, built in code: three caption labels with their values, two
// of which are links (hand cursor, underlined under the mouse), and Close.
#include "app/dialogs/AboutForm.h"

#include "app/dialogs/DialogTexts.h"
#include "app/dialogs/HelpAccess.h"
#include "app/dialogs/ProgramIcon.h"
#include "catalogue/Info.h"
#include "catalogue/Settings.h"
#include "platform/shell/ShellApi.h"

namespace qv {

TAboutForm* AboutForm = nullptr;

namespace T = texts::aboutform;

TAboutForm::TAboutForm(TComponent* AOwner) : TForm(AOwner) {
  SetName("AboutForm");
  SetCaption(T::Caption);
  SetBorderStyle(bsDialog);
  Position = poScreenCenter;
  SetClientWidth(329);
  SetClientHeight(140);

  VersionLbl = NewLabel(16, 16, T::Version);
  DeveloperLbl = NewLabel(16, 40, T::Developer);
  SupportLbl = NewLabel(16, 64, T::Support);
  // The store is made before any window; a test may run without it.
  VersionTxt = NewLabel(96, 16, Storage ? Storage->VersionText : TInfo().VersionText());
  CompanyTxt = NewLabel(96, 40, T::Company);
  MakeLink(CompanyTxt, 1);
  SupportTxt = NewLabel(96, 64, T::SupportAddress);
  MakeLink(SupportTxt, 2);

  CloseBtn = new TButton(this);
  CloseBtn->SetParent(this);
  CloseBtn->SetBounds(127, 103, 75, 25);
  CloseBtn->SetCaption(T::Close);
  CloseBtn->SetDefault(true);
  CloseBtn->SetCancel(true);
  CloseBtn->ModalResult = mrOk;
  Actions = new TActionList(this);
  actHelp = NewHelpAction(Actions, this, [] { return std::string(texts::help::AboutTopic); });
  SetActiveControl(CloseBtn);
}

TLabel* TAboutForm::NewLabel(int x, int y, const std::string& caption) {
  auto* l = new TLabel(this);
  l->SetParent(this);
  l->SetLeft(x);
  l->SetTop(y);
  l->SetCaption(caption);
  return l;
}

void TAboutForm::MakeLink(TLabel* link, intptr_t tag) {
  link->SetTag(tag);
  link->SetCursor(crHandPoint);
  link->Font()->SetColor(clNavy);
  link->OnMouseEnter = [link](TObject*) { link->Font()->SetStyle(TFontStyles{fsUnderline}); };
  link->OnMouseLeave = [link](TObject*) { link->Font()->SetStyle(TFontStyles{}); };
  link->OnClick = [this, link](TObject*) { OpenLink(link); };
}

std::string TAboutForm::LinkTarget(intptr_t tag) {
  if (tag == 1) return T::WebPage;
  if (tag == 2) return std::string("mailto:") + T::SupportAddress;
  return "";
}

bool TAboutForm::OpenLink(TLabel* link) {
  std::string target = LinkTarget(link->Tag());
  if (target.empty()) return false;
  HINSTANCE r = ShellExecuteUtf8(Handle(), T::OpenVerb, target, "", SW_RESTORE);
  return reinterpret_cast<intptr_t>(r) > 32;
}

void TAboutForm::CreateParams(TCreateParams& Params) {
  TForm::CreateParams(Params);
  Params.WindowClass.hIcon = ProgramIcon();
}

}  // namespace qv
