// TComboBoxEx over the extended combo box window class: items with a
// caption, images (normal, selected, overlay) and an indent, an image
// list, the selected item, and OnChange/OnSelect from the child combo.
#pragma once
#include <memory>

#include "classlib/Collection.h"
#include "classlib/controls/WinControl.h"

namespace qv {

class TComboBoxEx;
class TCustomImageList;
class TChangeLink;

enum TComboBoxExStyle { csExDropDown, csExSimple, csExDropDownList };

class TComboExItem : public TCollectionItem {
 public:
  explicit TComboExItem(TCollection* Collection);
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& Value);
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int Value);
  int SelectedImageIndex() const { return selectedImageIndex_; }
  void SetSelectedImageIndex(int Value);
  int OverlayImageIndex() const { return overlayImageIndex_; }
  void SetOverlayImageIndex(int Value);
  int Indent() const { return indent_; }
  void SetIndent(int Value);
  void* Data = nullptr;

 private:
  std::string caption_;
  int imageIndex_ = -1, selectedImageIndex_ = -1, overlayImageIndex_ = -1, indent_ = 0;
};

class TComboExItems : public TCollection {
 public:
  explicit TComboExItems(TComboBoxEx* Combo);
  TComboExItem* Add() { return static_cast<TComboExItem*>(TCollection::Add()); }
  TComboExItem* AddItem(const std::string& Caption, int ImageIndex, int SelectedImageIndex,
                        int OverlayImageIndex, int Indent, void* Data);
  TComboExItem* Items(int Index) const { return static_cast<TComboExItem*>(TCollection::Items(Index)); }

 protected:
  void Update(TCollectionItem* Item) override;
  void Notify(TCollectionItem* Item, TCollectionNotification Action) override;

 private:
  friend class TComboExItem;
  TComboBoxEx* combo_;
  bool constructing_ = false;
};

class TComboBoxEx : public TWinControl {
 public:
  explicit TComboBoxEx(TComponent* AOwner);
  ~TComboBoxEx() override;
  TComboExItems* ItemsEx() const { return items_.get(); }
  TCustomImageList* Images() const { return images_; }
  void SetImages(TCustomImageList* Value);
  TComboBoxExStyle Style() const { return style_; }
  void SetStyle(TComboBoxExStyle Value);
  int ItemIndex();
  void SetItemIndex(int Value);
  bool DroppedDown();
  void SetDroppedDown(bool Value);
  TNotifyEvent OnChange, OnSelect;
  void Dispatch(TMessage& Message) override;
  // Puts the items into the window again.
  void UpdateItems();

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  // Puts the items into the window and selects keep.
  void FillWindow(int keep);
  std::unique_ptr<TComboExItems> items_;
  TCustomImageList* images_ = nullptr;
  std::unique_ptr<TChangeLink> imagesLink_;
  TComboBoxExStyle style_ = csExDropDown;
  int itemIndex_ = -1;
};

}  // namespace qv
