// TComboBox: the combo box control over the COMBOBOX window class, with its
// items in the window (or in a string list while there is none), the
// drop-down sizing by DropDownCount, and the change, select, drop-down and
// close-up events.
#pragma once
#include <memory>

#include "classlib/Strings.h"
#include "classlib/controls/CustomControl.h"
#include "classlib/stdctrls/CustomEdit.h"  // TEditCharCase
#include "classlib/stdctrls/OwnerDrawState.h"
#include "classlib/stdctrls/WindowItems.h"

namespace qv {

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };

class TCustomComboBox;

// The items of a combo box, read and written through CB_* messages.
class TComboBoxStrings : public TWindowItemStrings {
 public:
  explicit TComboBoxStrings(TCustomComboBox* ComboBox);
  // The window keeps the edit's text.
  void Clear() override;

 protected:
  void SetUpdateState(bool Updating) override;
  [[noreturn]] void InsertFailed(int Index) const override;

 private:
  TCustomComboBox* combo_;
};

class TCustomComboBox : public TWinControl {
 public:
  explicit TCustomComboBox(TComponent* AOwner);
  ~TCustomComboBox() override;

  TStrings* Items() { return items_.get(); }
  void SetItems(TStrings* Value) { items_->Assign(Value); }
  void Clear();
  // Setting it from code fires no event.
  int ItemIndex();
  void SetItemIndex(int Value);
  TComboBoxStyle Style() const { return style_; }
  void SetStyle(TComboBoxStyle Value);
  bool Sorted() const { return sorted_; }
  void SetSorted(bool Value);
  int DropDownCount() const { return dropDownCount_; }
  void SetDropDownCount(int Value) { dropDownCount_ = std::max(1, Value); }
  bool DroppedDown();
  void SetDroppedDown(bool Value);
  int ItemHeight();
  void SetItemHeight(int Value);
  int MaxLength() const { return maxLength_; }
  void SetMaxLength(int Value);
  TEditCharCase CharCase() const { return charCase_; }
  void SetCharCase(TEditCharCase Value);
  void SelectAll();
  TCanvas* Canvas() const { return canvas_.get(); }
  // The children the window made: the edit (editable styles) and the list.
  HWND EditHandle();
  HWND ListHandle();

  TNotifyEvent OnChange, OnSelect, OnDropDown, OnCloseUp;
  TDrawItemEvent OnDrawItem;
  TMeasureItemEvent OnMeasureItem;

  void Dispatch(TMessage& Message) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  virtual void Change();
  virtual void Select();
  virtual void DropDown();
  virtual void CloseUp();
  virtual void DrawItem(int Index, const RECT& Rect, TOwnerDrawState State);
  virtual void MeasureItem(int Index, int& Height);

 private:
  friend class TComboBoxStrings;
  void HandleCommand(TMessage& M);
  void HandleMeasureItem(TMessage& M);
  // Sizes the list to DropDownCount rows (fewer when there are fewer items).
  void AdjustDropDown();
  bool Editable() const { return style_ == csDropDown || style_ == csSimple; }

  std::unique_ptr<TComboBoxStrings> items_;
  std::unique_ptr<TStringList> saved_;
  int savedIndex_ = -1;
  std::unique_ptr<TControlCanvas> canvas_;
  TComboBoxStyle style_ = csDropDown;
  bool sorted_ = false;
  int dropDownCount_ = 8;
  int itemHeight_ = 16;
  int maxLength_ = 0;
  TEditCharCase charCase_ = ecNormal;
};

class TComboBox : public TCustomComboBox {
 public:
  using TCustomComboBox::TCustomComboBox;
};

}  // namespace qv
