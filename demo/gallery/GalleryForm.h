// The gallery form: every standard control of the class library laid out in
// the classic look, with a main menu, a popup menu and actions that follow
// the form's state at idle. Every event it hears is written to the event log
// below the controls, so a person (or a test) sees what each control did.
#pragma once
#include <string>
#include <vector>

#include "classlib/actions/ActnList.h"
#include "classlib/controls/Forms.h"
#include "classlib/dialogs/Dialogs.h"
#include "classlib/menus/Menus.h"
#include "classlib/stdctrls/Bevel.h"
#include "classlib/stdctrls/BitBtn.h"
#include "classlib/stdctrls/Button.h"
#include "classlib/stdctrls/CheckBox.h"
#include "classlib/stdctrls/ComboBox.h"
#include "classlib/stdctrls/CustomEdit.h"
#include "classlib/stdctrls/GroupBox.h"
#include "classlib/stdctrls/Image.h"
#include "classlib/stdctrls/Label.h"
#include "classlib/stdctrls/LabeledEdit.h"
#include "classlib/stdctrls/ListBox.h"
#include "classlib/stdctrls/MaskEdit.h"
#include "classlib/stdctrls/Memo.h"
#include "classlib/stdctrls/Panel.h"
#include "classlib/stdctrls/ScrollBar.h"
#include "classlib/stdctrls/Shape.h"
#include "classlib/stdctrls/SpeedButton.h"
#include "classlib/stdctrls/Splitter.h"

namespace qv::gallery {

class TGalleryForm : public TForm {
 public:
  explicit TGalleryForm(TComponent* AOwner);

  // Text entry
  TGroupBox* TextGroup = nullptr;
  TLabel* NameLabel = nullptr;
  TEdit* NameEdit = nullptr;
  TMaskEdit* DateEdit = nullptr;
  TLabeledEdit* DiscEdit = nullptr;
  TMemo* NotesMemo = nullptr;
  // Choices
  TGroupBox* ChoiceGroup = nullptr;
  TCheckBox* CheckBox = nullptr;
  TCheckBox* ThreeStateBox = nullptr;
  TRadioButton* RadioOne = nullptr;
  TRadioButton* RadioTwo = nullptr;
  TRadioGroup* MediaGroup = nullptr;
  TComboBox* Combo = nullptr;
  TListBox* List = nullptr;
  // Buttons and pictures
  TButton* ClearButton = nullptr;
  TBitBtn* OkButton = nullptr;
  TSpeedButton* AlignButtons[3] = {};
  TSpeedButton* FlatButton = nullptr;
  TSpeedButton* ShapeButton = nullptr;  // drops the circle's menu down
  TScrollBar* ScrollBar = nullptr;
  TPanel* Panel = nullptr;
  TBevel* Bevel = nullptr;
  TImage* Image = nullptr;
  TShape* Shape = nullptr;
  TLabel* HintLabel = nullptr;
  TEdit* PasswordEdit = nullptr;
  TButton* DisabledButton = nullptr;
  // Buttons that show the standard dialogs, and the file dialogs they use
  TButton* MessageButton = nullptr;
  TButton* InputButton = nullptr;
  TButton* OpenButton = nullptr;
  TButton* SaveButton = nullptr;
  TOpenDialog* OpenDialog = nullptr;
  TSaveDialog* SaveDialog = nullptr;
  // Below the controls
  TSplitter* Splitter = nullptr;
  TMemo* LogMemo = nullptr;
  TPanel* StatusPanel = nullptr;
  // Menus and actions
  TMainMenu* MainMenu = nullptr;
  TPopupMenu* ShapeMenu = nullptr;
  TMenuItem *FileMenu = nullptr, *EditMenu = nullptr, *ViewMenu = nullptr, *HelpMenu = nullptr;
  TMenuItem *CutItem = nullptr, *CopyItem = nullptr, *PasteItem = nullptr, *ShowLogItem = nullptr;
  TMenuItem *RedItem = nullptr, *GreenItem = nullptr, *BlueItem = nullptr;
  TActionList* Actions = nullptr;
  TAction *CutAction = nullptr, *CopyAction = nullptr, *PasteAction = nullptr, *SelectAllAction = nullptr;
  TAction *ClearLogAction = nullptr, *ShowLogAction = nullptr;

  // Every event heard, oldest first (the log shows the same lines).
  const std::vector<std::string>& Events() const { return events_; }
  void Log(const std::string& Line);
  void ClearLog();

 private:
  void BuildTextGroup();
  void BuildChoices();
  void BuildButtons();
  void BuildPictures();
  void BuildDialogButtons();
  void AskQuestion();
  void AskDiscLabel();
  void OpenFile();
  void SaveFile();
  void BuildBottom();
  void BuildActions();
  void BuildMainMenu();
  void BuildShapeMenu();
  void SetShapeColour(TColor Colour, const std::string& Name);
  // The edit that has the focus, for the clipboard actions; nullptr if none.
  TCustomEdit* FocusedEdit();

  std::vector<std::string> events_;
};

// Makes the form through the application (the main form when it is the
// first) and shows it with the focus on the name edit.
TGalleryForm* CreateGallery();

}  // namespace qv::gallery
