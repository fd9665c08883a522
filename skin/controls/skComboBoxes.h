// The skinned combo-box family over the platform's COMBOBOX window: the list
// control base with skin data, the combo core (its edit and list children
// subclassed, drop-down state and sizing), the string combo box (styles,
// sorting, character case, auto-complete, owner drawing) and the extended
// combo box whose items carry images and an indentation.
#pragma once
#include <memory>
#include <string>

#include "classlib/Collection.h"
#include "classlib/Strings.h"
#include "classlib/controls/CustomControl.h"
#include "classlib/stdctrls/ComboBox.h"  // TComboBoxStyle
#include "skin/controls/skSkinnedControl.h"
#include "skin/skCommonData.h"
#include "skin/skConst.h"

namespace qv {

class TCustomImageList;
class TChangeLink;

// The base of the list controls: skin data (section "COMBOBOX") and a bound label.
class TSkCustomListControl : public TSkSkinned<TWinControl> {
 public:
  explicit TSkCustomListControl(TComponent* AOwner);
  ~TSkCustomListControl() override;
  TSkCommonData* SkinData() const { return skinData_.get(); }
  TSkBoundLabel* BoundLabel() const { return boundLabel_.get(); }
  void WndProc(TMessage& Message) override;

 protected:
  TSkCommonData* SkinSetUpData() const override { return skinData_.get(); }
  void SkinSetUpDone(bool FromStream) override;
  bool SkinLoaded(TMessage& Message) override;
  bool SkinRemoved(TMessage& Message) override;
  bool SkinApplied(TMessage& Message) override;
  bool CtrlHandled(TMessage& Message) override;
  bool UpdateFinished(TMessage& Message) override;
  std::unique_ptr<TSkCommonData> skinData_;
  std::unique_ptr<TSkBoundLabel> boundLabel_;
};

class TSkCommonCombo;

// The items of a combo box, read and written through CB_* messages.
class TSkCustomComboBoxStrings : public TStrings {
 public:
  explicit TSkCustomComboBoxStrings(TSkCommonCombo* Combo) : combo_(Combo) {}
  int Count() const override;
  std::string Strings(int Index) const override;
  TObject* Objects(int Index) const override;
  void SetObjects(int Index, TObject* AObject) override;
  int Add(const std::string& S) override;
  int AddObject(const std::string& S, TObject* AObject) override;
  void Insert(int Index, const std::string& S) override;
  void Delete(int Index) override;
  void Clear() override;
  int IndexOf(const std::string& S) const override;

 protected:
  void SetUpdateState(bool Updating) override;
  HWND Wnd() const;
  TSkCommonCombo* combo_;
};
using TSkComboBoxStrings = TSkCustomComboBoxStrings;

class TSkCommonCombo : public TSkCustomListControl {
 public:
  explicit TSkCommonCombo(TComponent* AOwner);
  ~TSkCommonCombo() override;

  int MaxLength() const { return maxLength_; }
  void SetMaxLength(int Value);
  int DropDownCount() const { return dropDownCount_; }
  void SetDropDownCount(int Value) { dropDownCount_ = Value; }
  int ItemIndex();
  void SetItemIndex(int Value);
  int ItemHeight();
  void SetItemHeight(int Value);
  bool DroppedDown();
  void SetDroppedDown(bool Value);
  void SelectAll();
  // Whether the focus is in the control's edit or list child.
  bool FocusedInside() const;
  HWND EditHandle() const { return edit_; }
  HWND ListHandle() const { return list_; }
  TCanvas* Canvas() const { return canvas_.get(); }
  virtual TStrings* Items() = 0;
  // The drop-down button's rectangle, from the skin's arrow image (empty without one).
  RECT ButtonRect();

  TNotifyEvent OnChange, OnSelect, OnDropDown, OnCloseUp;
  void WndProc(TMessage& Message) override;

 protected:
  void CreateWnd() override;
  void DestroyWnd() override;
  virtual bool IsOwnerDrawn() const { return false; }
  virtual bool Editable() const { return true; }
  virtual void Change();
  virtual void Select();
  virtual void DropDown();
  virtual void CloseUp();
  // Messages of the edit and list children: the keys and mouse reach the control's events.
  virtual void ChildMessage(TMessage& M, HWND Child, WNDPROC Old);
  virtual void EditMessage(TMessage& M);
  // The edit child's margins after its font changed: none by default.
  virtual void UpdateMargins();
  void AdjustDropDown();
  virtual void PaintSkinned(HDC DC);
  virtual void DrawSelectedInField(TCanvas* C, const RECT& R) { (void)C, (void)R; }
  // How a disabled control is painted under a skin.
  virtual TSkDisabledKind PaintDisabledKind() const { return TSkDisabledKind{dkBlended}; }

  int maxLength_ = 0, dropDownCount_ = 14, itemIndex_ = -1, itemHeight_ = 16;
  int buttonState_ = -1;
  std::unique_ptr<TControlCanvas> canvas_;

 private:
  static LRESULT ChildProc(HWND Wnd, UINT Msg, WPARAM W, LPARAM L);
  void Subclass(HWND Child, WNDPROC& Old);
  void Unsubclass(HWND& Child, WNDPROC& Old);
  HWND edit_ = nullptr, list_ = nullptr;
  WNDPROC editOld_ = nullptr, listOld_ = nullptr;
};

using TSkDrawItemEvent =
    std::function<void(TWinControl* Control, int Index, const RECT& Rect, TOwnerDrawState State)>;
using TSkMeasureItemEvent = std::function<void(TWinControl* Control, int Index, int& Height)>;

class TSkCommonComboBox : public TSkCommonCombo {
 public:
  explicit TSkCommonComboBox(TComponent* AOwner);
  ~TSkCommonComboBox() override;
  TStrings* Items() override { return items_.get(); }
  void SetItems(TStrings* Value) { items_->Assign(Value); }
  TComboBoxStyle Style() const { return style_; }
  void SetStyle(TComboBoxStyle Value);
  bool Sorted() const { return sorted_; }
  void SetSorted(bool Value);
  TEditCharCase CharCase() const { return charCase_; }
  void SetCharCase(TEditCharCase Value);
  bool AutoComplete = true;
  TSkDisabledKind DisabledKind{dkBlended};
  TSkDrawItemEvent OnDrawItem;
  TSkMeasureItemEvent OnMeasureItem;
  void Dispatch(TMessage& Message) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  // The items live in the window: a window made anew gets them back.
  void CreateWnd() override;
  void DestroyWnd() override;
  bool IsOwnerDrawn() const override { return style_ == csOwnerDrawFixed || style_ == csOwnerDrawVariable; }
  bool Editable() const override { return style_ == csDropDown || style_ == csSimple; }
  void EditMessage(TMessage& M) override;
  TSkDisabledKind PaintDisabledKind() const override { return DisabledKind; }
  virtual void DrawItem(int Index, const RECT& Rect, TOwnerDrawState State);
  virtual void MeasureItem(int Index, int& Height) { (void)Index, (void)Height; }
  void DrawSelectedInField(TCanvas* C, const RECT& R) override;
  // Completes the typed text from the first item that begins with it.
  void AutoCompleteTyped();

 private:
  void HandleCommand(TMessage& M);
  std::unique_ptr<TSkComboBoxStrings> items_;
  std::unique_ptr<TStringList> saved_;
  TComboBoxStyle style_ = csDropDown;
  bool sorted_ = false;
  TEditCharCase charCase_ = ecNormal;
};

class TSkComboBox : public TSkCommonComboBox {
 public:
  using TSkCommonComboBox::TSkCommonComboBox;
};

class TSkCustomComboBoxEx;

class TSkComboItem : public TCollectionItem {
 public:
  explicit TSkComboItem(TCollection* Collection);
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& Value);
  int ImageIndex = -1;
  int Indend = -1;
  int OverlayImageIndex = -1;
  int SelectedImageIndex = -1;
  void* Data = nullptr;
  std::string DisplayName() const override;

 private:
  std::string caption_;
};

class TSkComboItems : public TCollection {
 public:
  explicit TSkComboItems(TSkCustomComboBoxEx* Combo);
  TSkComboItem* Add() { return static_cast<TSkComboItem*>(TCollection::Add()); }
  TSkComboItem* AddItem(const std::string& Caption, int ImageIndex, int SelectedImageIndex,
                        int OverlayImageIndex, int Indent, void* Data);
  TSkComboItem* Items(int Index) const { return static_cast<TSkComboItem*>(TCollection::Items(Index)); }
  TSkCustomComboBoxEx* Combo() const { return combo_; }

 protected:
  void Update(TCollectionItem* Item) override;
  void Notify(TCollectionItem* Item, TCollectionNotification Action) override;

 private:
  friend class TSkComboItem;
  TSkCustomComboBoxEx* combo_;
  bool constructing_ = false;  // an item is being made: it is not whole yet
};

class TSkCustomComboBoxEx : public TSkCommonComboBox {
 public:
  explicit TSkCustomComboBoxEx(TComponent* AOwner);
  ~TSkCustomComboBoxEx() override;
  TCustomImageList* Images() const { return images_; }
  void SetImages(TCustomImageList* Value);
  TSkComboItems* ItemsEx() const { return itemsEx_.get(); }
  void SetItemsEx(TSkComboItems* Value) { itemsEx_->Assign(Value); }
  // Copies ItemsEx into the window's items (at the next window creation when there is none).
  void UpdateItems();
  TSkComboItem* ItemOf(int Index);
  // The image index an item shows (InList: drawn in the dropped list, not the closed field).
  int ItemImage(int Index, bool Selected, bool InList);
  // The image rectangle of an item drawn in R.
  RECT ImageRect(int Index, const RECT& R, bool InList);

 protected:
  void CreateWnd() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void DrawItem(int Index, const RECT& Rect, TOwnerDrawState State) override;
  void DrawSelectedInField(TCanvas* C, const RECT& R) override;
  void Change() override;
  void UpdateMargins() override;

 private:
  void PaintItem(TCanvas* C, int Index, RECT R, TOwnerDrawState State, bool InList);
  TCustomImageList* images_ = nullptr;
  std::unique_ptr<TChangeLink> imagesLink_;
  std::unique_ptr<TSkComboItems> itemsEx_;
  bool itemsPending_ = false;
};

class TSkComboBoxEx : public TSkCustomComboBoxEx {
 public:
  using TSkCustomComboBoxEx::TSkCustomComboBoxEx;
};

}  // namespace qv
