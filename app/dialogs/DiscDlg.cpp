// The disc properties dialog, built in code: label (read only), category
// (sorted drop-down list whose entries carry the category index), location,
// description, and OK, Cancel and Help.
#include "app/dialogs/DiscDlg.h"

#include "app/dialogs/DialogControls.h"
#include "app/dialogs/DialogTexts.h"
#include "app/dialogs/HelpAccess.h"
#include "app/dialogs/ProgramIcon.h"
#include "catalogue/Engine.h"
#include "platform/Utf.h"

namespace qv {

TDiscDlg* DiscDlg = nullptr;

namespace T = texts::discdlg;

TDiscDlg::TDiscDlg(TComponent* AOwner) : TForm(AOwner) {
  SetName("DiscDlg");
  SetCaption(T::Caption);
  SetBorderStyle(bsDialog);
  Position = poScreenCenter;
  SetClientWidth(345);
  SetClientHeight(300);

  LabelEdit = new TLabeledEdit(this);
  LabelEdit->SetParent(this);
  LabelEdit->SetBounds(12, 24, 200, 21);
  LabelEdit->EditLabel()->SetCaption(T::Label);
  LabelEdit->SetReadOnly(true);
  LabelEdit->SetColor(clBtnFace);

  TypeCombo = new TComboBox(this);
  TypeCombo->SetParent(this);
  TypeCombo->SetBounds(220, 24, 113, 21);
  TypeCombo->SetStyle(csDropDownList);
  TypeCombo->SetSorted(true);
  TypeLabel = new TLabel(this);
  TypeLabel->SetParent(this);
  TypeLabel->SetBounds(220, 8, 113, 13);
  TypeLabel->SetCaption(T::Category);
  TypeLabel->SetFocusControl(TypeCombo);

  StoreEdit = new TLabeledEdit(this);
  StoreEdit->SetParent(this);
  StoreEdit->SetBounds(12, 68, 321, 21);
  StoreEdit->EditLabel()->SetCaption(T::Location);

  Info = new TMemo(this);
  Info->SetParent(this);
  Info->SetBounds(12, 112, 321, 140);
  Info->SetScrollBars(ssVertical);
  EscapeCancels(Info);  // the focus starts here
  InfoLabel = new TLabel(this);
  InfoLabel->SetParent(this);
  InfoLabel->SetBounds(12, 96, 321, 13);
  InfoLabel->SetCaption(T::Description);
  InfoLabel->SetFocusControl(Info);

  Actions = new TActionList(this);
  actOK = NewOkAction(this, Actions, T::Ok, [this] { return CanAccept(); });

  OKBtn = NewButton(this, this, 96, 264, T::Ok);
  OKBtn->SetAction(actOK);
  OKBtn->SetDefault(true);
  CancelBtn = NewCancelButton(this, this, 177, 264, T::Cancel);
  actHelp = NewHelpAction(Actions, this, [] { return std::string(T::HelpTopic); });
  HelpBtn = NewButton(this, this, 258, 264);
  HelpBtn->SetAction(actHelp);

  SetActiveControl(Info);
}

const TDiscKinds* TDiscDlg::CategoryList() const {
  if (Categories) return Categories;
  return Engine && Engine->Discs ? &Engine->Discs->Categories : nullptr;
}

void TDiscDlg::FillCategories() {
  FillCategoryCombo(TypeCombo, CategoryList());
}

void TDiscDlg::SetData(const TDiscData& Data) {
  FillCategories();
  data_ = Data;
  LabelEdit->SetText(Utf16ToUtf8(Data.Label));
  StoreEdit->SetText(Utf16ToUtf8(Data.Location));
  TypeCombo->SetItemIndex(CategoryEntry(TypeCombo, Data.Category));
  Info->SetText(Utf16ToUtf8(Data.Description));
}

void TDiscDlg::GetData(TDiscData& Data) {
  Data = data_;
  Data.Location = Utf8ToUtf16(StoreEdit->Text());
  // With no entry chosen the category stays as it was.
  const int32_t chosen = ChosenCategory(TypeCombo);
  if (chosen >= 0) Data.Category = chosen;
  Data.Description = Utf8ToUtf16(Info->Text());
}

// OK is offered while the label and the location can be stored; a field
// that cannot says so in its label, so the greyed OK has its reason in view.
bool TDiscDlg::CanAccept() {
  auto judge = [](TLabeledEdit* edit, const char* caption, bool fits) {
    edit->EditLabel()->SetCaption(fits ? std::string(caption) : std::string(caption) + T::TooLong);
    edit->EditLabel()->Font()->SetColor(fits ? clWindowText : clRed);
    return fits;
  };
  const bool label = judge(LabelEdit, T::Label, DiscTextFits(data_.Label));
  const bool location = judge(StoreEdit, T::Location, DiscTextFits(Utf8ToUtf16(StoreEdit->Text())));
  return label && location;
}

void TDiscDlg::CreateParams(TCreateParams& Params) {
  TForm::CreateParams(Params);
  Params.WindowClass.hIcon = ProgramIcon();
}

}  // namespace qv
