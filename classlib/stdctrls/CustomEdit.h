// TCustomEdit and TEdit: the class-library edit over the EDIT window class,
// with its text properties, selection, clipboard commands and OnChange.
#pragma once
#include <string>

#include "classlib/controls/WinControl.h"

namespace qv {

enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };

class TCustomEdit : public TWinControl {
 public:
  explicit TCustomEdit(TComponent* AOwner);

  int MaxLength() const { return maxLength_; }
  void SetMaxLength(int Value);
  char16_t PasswordChar() const { return passwordChar_; }
  void SetPasswordChar(char16_t Value);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool Value);
  bool AutoSelect = true;
  bool HideSelection() const { return hideSelection_; }
  void SetHideSelection(bool Value);
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle Value);
  TEditCharCase CharCase() const { return charCase_; }
  void SetCharCase(TEditCharCase Value);
  bool Modified();
  // With AutoSize (the default) the height follows the font and the border.
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool Value);
  void SetModified(bool Value);

  // Selection in characters of the window's text.
  int SelStart();
  void SetSelStart(int Value);
  int SelLength();
  void SetSelLength(int Value);
  std::string SelText();
  void SetSelText(const std::string& Value);
  void SelectAll();
  // The user's Select All (an Edit menu's command): the selection becomes the
  // desktop's primary selection, as one made by mouse or keys; SelectAll is
  // the program's own selection and leaves it.
  void SelectAllForUser();
  void ClearSelection();
  void CopyToClipboard();
  void CutToClipboard();
  void PasteFromClipboard();
  void Undo();
  void ClearUndo();
  bool CanUndo();
  void Clear() { SetText(""); }

  TNotifyEvent OnChange;

  void Dispatch(TMessage& Message) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void FrameStyle(DWORD& Style, DWORD& ExStyle) const override;
  // The text changed (by the user or the program).
  virtual void Change();
  // Sets the height the font and border call for, when AutoSize is on.
  void AdjustHeight();

 private:
  int maxLength_ = 0;
  char16_t passwordChar_ = 0;
  bool readOnly_ = false;
  bool hideSelection_ = true;
  bool autoSize_ = true;
  bool modifiedNoHandle_ = false;
  TBorderStyle borderStyle_ = bsSingle;
  TEditCharCase charCase_ = ecNormal;
};

class TEdit : public TCustomEdit {
 public:
  explicit TEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}
};

}  // namespace qv
