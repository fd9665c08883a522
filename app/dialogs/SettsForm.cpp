// The settings dialog, built in code: one " File Types " page with the list
// and its Add, Edit and Delete buttons, then OK, Cancel and Help.
#include "app/dialogs/SettsForm.h"

#include "app/dialogs/DialogControls.h"
#include "app/dialogs/DialogTexts.h"
#include "app/dialogs/FTypeDlg.h"
#include "app/dialogs/HelpAccess.h"
#include "app/dialogs/ProgramIcon.h"
#include "classlib/dialogs/Dialogs.h"

namespace qv {

TSettsForm* SettsForm = nullptr;

namespace T = texts::settsform;

TSettsForm::TSettsForm(TComponent* AOwner) : TForm(AOwner) {
  SetName("SettsForm");
  SetCaption(T::Caption);
  SetBorderStyle(bsDialog);
  Position = poScreenCenter;
  SetClientWidth(520);
  SetClientHeight(326);

  Pages = new TPageControl(this);
  Pages->SetParent(this);
  Pages->SetBounds(8, 8, 504, 273);
  TypesSheet = new TTabSheet(this);
  TypesSheet->SetPageControl(Pages);
  TypesSheet->SetCaption(T::FileTypes);

  FileList = new TListView(this);
  FileList->SetParent(TypesSheet);
  FileList->SetBounds(4, 4, 400, 232);
  SetUpFileKindList(FileList, T::ColumnType, T::ColumnExtensions, 264);
  FileList->SetHideSelection(false);
  FileList->OnChange = [this](TObject*, TListItem* Item, TItemChange Change) {
    FileListChange(Item, Change);
  };

  Actions = new TActionList(this);
  actAdd = NewAction(Actions, this, T::Add, T::AddHint);
  actAdd->OnExecute = [this](TObject*) { AddType(); };
  actEdit = NewAction(Actions, this, T::Edit, T::EditHint);
  actEdit->OnUpdate = [this](TObject*) { actEdit->SetEnabled(FileList->Selected() != nullptr); };
  actEdit->OnExecute = [this](TObject*) { EditType(); };
  actDel = NewAction(Actions, this, T::Delete, T::DeleteHint);
  actDel->OnUpdate = [this](TObject*) { actDel->SetEnabled(FileList->Selected() != nullptr); };
  actDel->OnExecute = [this](TObject*) { DeleteType(); };

  AddBtn = NewButton(TypesSheet, this, 412, 4);
  AddBtn->SetAction(actAdd);
  EditBtn = NewButton(TypesSheet, this, 412, 34);
  EditBtn->SetAction(actEdit);
  DelBtn = NewButton(TypesSheet, this, 412, 64);
  DelBtn->SetAction(actDel);
  TypesSheet->SetShowHint(true);

  OKBtn = NewButton(this, this, 275, 292, T::Ok);
  OKBtn->SetDefault(true);
  OKBtn->ModalResult = mrOk;
  CancelBtn = NewCancelButton(this, this, 356, 292, T::Cancel);
  actHelp = NewHelpAction(Actions, this, [] { return std::string(T::HelpTopic); });
  HelpBtn = NewButton(this, this, 437, 292);
  HelpBtn->SetAction(actHelp);

  SetActiveControl(FileList);
}

TFTypeDlg* TSettsForm::Editor() const {
  return TypeDlg ? TypeDlg : FTypeDlg;
}

void TSettsForm::SetFileKinds(const TFileKinds& Source) {
  kinds_.Assign(Source);
  FillList();
}

void TSettsForm::FillList() {
  refilling_ = true;
  FillFileKindList(FileList, &kinds_);
  refilling_ = false;
}

int32_t TSettsForm::SelectedType() {
  TListItem* item = FileList->Selected();
  if (!item) return -1;
  intptr_t i = reinterpret_cast<intptr_t>(item->Data());
  return i >= 0 && i < kinds_.Count() ? int32_t(i) : -1;
}

void TSettsForm::AddType() {
  TFTypeDlg* dlg = Editor();
  if (!dlg) return;
  dlg->SetTypeName("");
  dlg->SetExts("");
  if (dlg->ShowModal() != mrOk) return;
  kinds_.Add(dlg->TypeName(), dlg->Exts(), true);
  FillList();
}

void TSettsForm::EditType() {
  TFTypeDlg* dlg = Editor();
  int32_t i = SelectedType();
  if (!dlg || i < 0) return;
  TFileKind& kind = kinds_.GetItem(i);
  dlg->SetTypeName(kind.Name);
  dlg->SetExts(kind.Exts);
  if (dlg->ShowModal() != mrOk) return;
  // The table may have been refilled while the editor was up.
  if (i >= kinds_.Count()) return;
  TFileKind& edited = kinds_.GetItem(i);
  edited.Name = dlg->TypeName();
  edited.SetExts(dlg->Exts());
  FillList();
}

void TSettsForm::DeleteType() {
  if (!FileList->Selected()) return;
  // Enter answers No: a type goes only with a deliberate Yes.
  if (MessageDlg(T::DeleteQuestion, mtConfirmation, mbYesNo, 0, mbNo) != mrYes) return;
  int32_t i = SelectedType();
  if (i >= 0) kinds_.Delete(i);
  FillList();
}

void TSettsForm::FileListChange(TListItem* Item, TItemChange Change) {
  if (Change != ctState || refilling_ || !Visible() || !Item) return;
  StoreFileKindCheck(Item, kinds_);
}

void TSettsForm::CreateParams(TCreateParams& Params) {
  TForm::CreateParams(Params);
  Params.WindowClass.hIcon = ProgramIcon();
}

}  // namespace qv
