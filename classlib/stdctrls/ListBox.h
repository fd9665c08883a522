// TListBox: the list box control over the LISTBOX window class. Its items
// live in the window; before the window exists (and while it is being
// re-created) they wait in a string list.
#pragma once
#include <memory>

#include "classlib/Strings.h"
#include "classlib/controls/CustomControl.h"
#include "classlib/stdctrls/OwnerDrawState.h"
#include "classlib/stdctrls/WindowItems.h"

namespace qv {

enum TListBoxStyle { lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable };

class TCustomListBox;

// The items of a list box, read and written through LB_* messages.
class TListBoxStrings : public TWindowItemStrings {
 public:
  explicit TListBoxStrings(TCustomListBox* ListBox);
};

class TCustomListBox : public TWinControl {
 public:
  explicit TCustomListBox(TComponent* AOwner);
  ~TCustomListBox() override;

  TStrings* Items() { return items_.get(); }
  void SetItems(TStrings* Value) { items_->Assign(Value); }
  int Count() { return items_->Count(); }
  void Clear() { items_->Clear(); }

  // The selected item (the caret item of a multiple-selection list); -1 for none.
  int ItemIndex();
  void SetItemIndex(int Value);
  bool Selected(int Index);
  void SetSelected(int Index, bool Value);
  int SelCount();
  void SelectAll();
  void ClearSelection();
  void DeleteSelected();
  int TopIndex();
  void SetTopIndex(int Value);
  // The item at a client point; -1 when Existing and the point is past the items.
  int ItemAtPos(POINT Pos, bool Existing);
  RECT ItemRect(int Index);

  TListBoxStyle Style() const { return style_; }
  void SetStyle(TListBoxStyle Value);
  bool MultiSelect() const { return multiSelect_; }
  void SetMultiSelect(bool Value);
  bool ExtendedSelect() const { return extendedSelect_; }
  void SetExtendedSelect(bool Value);
  bool Sorted() const { return sorted_; }
  void SetSorted(bool Value);
  bool IntegralHeight() const { return integralHeight_; }
  void SetIntegralHeight(bool Value);
  int ItemHeight();
  void SetItemHeight(int Value);
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle Value);
  TCanvas* Canvas() const { return canvas_.get(); }

  TDrawItemEvent OnDrawItem;
  TMeasureItemEvent OnMeasureItem;

  void Dispatch(TMessage& Message) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  virtual void DrawItem(int Index, const RECT& Rect, TOwnerDrawState State);
  virtual void MeasureItem(int Index, int& Height);

 private:
  friend class TListBoxStrings;
  void HandleMeasureItem(TMessage& M);
  void HandleCommand(TMessage& M);

  std::unique_ptr<TListBoxStrings> items_;
  std::unique_ptr<TStringList> saved_;  // the items while there is no window
  int savedIndex_ = -1;
  std::unique_ptr<TControlCanvas> canvas_;
  TListBoxStyle style_ = lbStandard;
  bool multiSelect_ = false, extendedSelect_ = true, sorted_ = false, integralHeight_ = false;
  int itemHeight_ = 16;
  TBorderStyle borderStyle_ = bsSingle;
};

class TListBox : public TCustomListBox {
 public:
  using TCustomListBox::TCustomListBox;
};

}  // namespace qv
