// TCustomMaskEdit and TMaskEdit: an edit whose text follows an edit mask.
// Typing overwrites the editable positions and skips the literals; Text is
// the value the mask saves, EditText what the window shows; leaving the
// control with required positions empty raises EDBEditError.
#pragma once
#include "classlib/stdctrls/CustomEdit.h"
#include "classlib/stdctrls/EditMask.h"
#include "platform/Exception.h"

namespace qv {

class EDBEditError : public Exception {
 public:
  using Exception::Exception;
};

class TCustomMaskEdit : public TCustomEdit {
 public:
  explicit TCustomMaskEdit(TComponent* AOwner);

  const std::string& EditMask() const { return editMask_; }
  void SetEditMask(const std::string& Value);
  bool IsMasked() const { return !mask_.Empty(); }
  std::string EditText();
  void SetEditText(const std::string& Value);
  // Raises EDBEditError (with the caret put at the gap) when a required
  // position is empty.
  virtual void ValidateEdit();

  void Dispatch(TMessage& Message) override;

 protected:
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void KeyPress(char16_t& Key) override;

 private:
  std::u16string Shown();
  void Show(const std::u16string& text);
  // Replaces [from, to) of the shown text with blanks at the editable places.
  void BlankRange(int from, int to);
  void TypeChar(char16_t c);
  void Selection(int& from, int& to);
  void PasteText(const std::u16string& text);

  std::string editMask_;
  TEditMask mask_;
  unsigned pasteRead_ = 0;  // a paste whose text another program is still giving
  std::u16string entered_;  // the shown text when the control was entered (Esc restores it)
};

class TMaskEdit : public TCustomMaskEdit {
 public:
  explicit TMaskEdit(TComponent* AOwner) : TCustomMaskEdit(AOwner) {}
};

}  // namespace qv
