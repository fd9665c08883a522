// The gallery form: its frame, the event log and how the form is made and
// shown. The controls, menus and actions are built in GalleryControls.cpp
// and GalleryMenus.cpp.
#include "demo/gallery/GalleryForm.h"

#include "classlib/controls/Application.h"
#include "demo/gallery/GalleryLayout.h"
#include "demo/gallery/ShellBrowser.h"

namespace qv::gallery {

TGalleryForm::TGalleryForm(TComponent* AOwner) : TForm(AOwner) {
  SetCaption("Quirvane gallery");
  SetBounds(kFormOrigin.x, kFormOrigin.y, kFormClient.cx, kFormClient.cy);
  BuildActions();
  BuildMainMenu();
  BuildShapeMenu();
  // With the menu bar in place the client size is the one the layout expects.
  SetClientWidth(kFormClient.cx);
  SetClientHeight(kFormClient.cy);
  BuildBottom();
  BuildPages();
  BuildTextGroup();
  BuildChoices();
  BuildButtons();
  BuildPictures();
  BuildDialogButtons();
  BuildCommonPage();
  BuildShellPage();
  SetActiveControl(NameEdit);
}

TGalleryForm::~TGalleryForm() {
  // The views outlive this body; they tell nothing more to the browser or the log.
  delete Shell;
  Shell = nullptr;
  Pages->OnChange = nullptr;
  Tree->OnChange = nullptr;
  ListView->OnSelectItem = nullptr;
}

void TGalleryForm::Log(const std::string& Line) {
  events_.push_back(Line);
  if (LogMemo) {
    LogMemo->Lines()->Add(Line);
    // The newest line stays in sight.
    LogMemo->SetSelStart(int(LogMemo->Text().size()));
  }
  if (StatusPanel) StatusPanel->SetCaption(" " + Line);
}

void TGalleryForm::ClearLog() {
  events_.clear();
  if (LogMemo) LogMemo->Clear();
  if (StatusPanel) StatusPanel->SetCaption(" Ready");
}

TCustomEdit* TGalleryForm::FocusedEdit() {
  auto* edit = dynamic_cast<TCustomEdit*>(ActiveControl());
  return edit && edit->Focused() ? edit : nullptr;
}

TGalleryForm* CreateGallery() {
  TGalleryForm* form = nullptr;
  Application->CreateForm(form);
  form->Show();
  form->NotesMemo->Perform(WM_VSCROLL, SB_TOP, 0);  // shown from its first line
  form->NameEdit->SetFocus();
  return form;
}

}  // namespace qv::gallery
