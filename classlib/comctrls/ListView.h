// TListView over the list view window class: TListColumn(s) for the report
// view's columns, TListItem(s) for the rows (each row's data points at its
// item; with owner data the rows are asked for through OnData), and the
// control's properties and events, raised from the window's notifications.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "classlib/Collection.h"
#include "classlib/Strings.h"
#include "classlib/comctrls/ComCtrls.h"
#include "platform/comctl/ListView.h"

namespace qv {

class TCustomListView;
class TListItems;
class TListItem;

class TListColumn : public TCollectionItem {
 public:
  explicit TListColumn(TCollection* Collection);
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& Value);
  int Width() const;
  void SetWidth(int Value);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment Value);
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int Value);
  bool AutoSize = false;
  std::string DisplayName() const override { return caption_; }

 private:
  friend class TListColumns;
  friend class TCustomListView;
  TCustomListView* View() const;
  void Send() const;
  std::string caption_;
  int width_ = 50;
  TAlignment alignment_ = taLeftJustify;
  int imageIndex_ = -1;
};

class TListColumns : public TCollection {
 public:
  explicit TListColumns(TCustomListView* AOwner);
  TListColumn* Add() { return static_cast<TListColumn*>(TCollection::Add()); }
  TListColumn* Items(int Index) const { return static_cast<TListColumn*>(TCollection::Items(Index)); }
  TCustomListView* Owner() const { return owner_; }

 protected:
  void Notify(TCollectionItem* Item, TCollectionNotification Action) override;

 private:
  TCustomListView* owner_;
};

class TListItem : public TPersistent {
 public:
  explicit TListItem(TListItems* AOwner);
  ~TListItem() override;
  TListItems* Owner() const { return owner_; }
  TCustomListView* ListView() const;
  int Index() const;

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& Value);
  TStrings* SubItems() const { return subItems_.get(); }
  void* Data() const { return data_; }
  void SetData(void* Value) { data_ = Value; }
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int Value);
  int StateIndex() const;
  void SetStateIndex(int Value);
  bool Checked() const { return StateIndex() == 2; }
  void SetChecked(bool Value) { SetStateIndex(Value ? 2 : 1); }
  bool Selected() const;
  void SetSelected(bool Value);
  bool Focused() const;
  void SetFocused(bool Value);
  void Delete();
  void MakeVisible(bool PartialOK = true);
  RECT DisplayRect(int Code) const;
  bool EditCaption();
  void Update();

 private:
  friend class TListItems;
  friend class TCustomListView;
  friend class TSubItems;
  UINT State(UINT mask) const;
  void SetState(UINT state, UINT mask);

  TListItems* owner_;
  int index_ = -1;  // where it was last seen; checked on use
  std::string caption_;
  std::unique_ptr<TStrings> subItems_;
  void* data_ = nullptr;
  int imageIndex_ = -1;
};

class TListItems : public TPersistent {
 public:
  explicit TListItems(TCustomListView* AOwner);
  ~TListItems() override;
  TCustomListView* Owner() const { return owner_; }

  TListItem* Add() { return Insert(Count()); }
  TListItem* AddItem(TListItem* Item, int Index = -1);
  TListItem* Insert(int Index);
  void Delete(int Index);
  void Clear();
  int Count() const;
  // With owner data, the number of rows.
  void SetCount(int Value);
  // With owner data, the shared item filled by OnData for the row.
  TListItem* Item(int Index) const;
  int IndexOf(const TListItem* Value) const;
  void BeginUpdate();
  void EndUpdate();

 private:
  friend class TListItem;
  friend class TCustomListView;
  friend class TSubItems;
  HWND Wnd() const;
  void Renumber(int from) const;
  // Puts every row into a window made anew.
  void Resend();

  TCustomListView* owner_;
  std::vector<TListItem*> items_;            // owned; in row order
  mutable std::unique_ptr<TListItem> temp_;  // owner data
  int updateCount_ = 0;
  bool sortPending_ = false;  // a caption changed in a sorted list while updating
};

enum TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };
enum TItemChange { ctText, ctImage, ctState };
enum class TItemStateItem { isNone, isCut, isDropHilited, isFocused, isSelected, isActivating };
using TItemStates = Set<TItemStateItem>;
enum TItemFind { ifData, ifPartialString, ifExactString, ifNearest };
enum TSearchDirection { sdLeft, sdRight, sdAbove, sdBelow, sdAll };

using TLVChangeEvent = std::function<void(TObject* Sender, TListItem* Item, TItemChange Change)>;
using TLVChangingEvent =
    std::function<void(TObject* Sender, TListItem* Item, TItemChange Change, bool& AllowChange)>;
using TLVSelectItemEvent = std::function<void(TObject* Sender, TListItem* Item, bool Selected)>;
using TLVColumnClickEvent = std::function<void(TObject* Sender, TListColumn* Column)>;
using TLVCompareEvent =
    std::function<void(TObject* Sender, TListItem* Item1, TListItem* Item2, int Data, int& Compare)>;
using TLVDeletedEvent = std::function<void(TObject* Sender, TListItem* Item)>;
using TLVOwnerDataEvent = std::function<void(TObject* Sender, TListItem* Item)>;
using TLVOwnerDataFindEvent =
    std::function<void(TObject* Sender, TItemFind Find, const std::string& FindString, POINT FindPosition,
                       void* FindData, int StartIndex, TSearchDirection Direction, bool Wrap, int& Index)>;
using TLVEditingEvent = std::function<void(TObject* Sender, TListItem* Item, bool& AllowEdit)>;
using TLVEditedEvent = std::function<void(TObject* Sender, TListItem* Item, std::string& S)>;
using TLVCustomDrawEvent = std::function<void(TCustomListView* Sender, const RECT& ARect, bool& DefaultDraw)>;
using TLVCustomDrawItemEvent =
    std::function<void(TCustomListView* Sender, TListItem* Item, TCustomDrawState State, bool& DefaultDraw)>;
using TLVCustomDrawSubItemEvent = std::function<void(TCustomListView* Sender, TListItem* Item, int SubItem,
                                                     TCustomDrawState State, bool& DefaultDraw)>;
using TLVCompare = std::function<int(TListItem* Item1, TListItem* Item2, LPARAM Data)>;

class TCustomListView : public TWinControl {
 public:
  explicit TCustomListView(TComponent* AOwner);
  ~TCustomListView() override;

  TListColumns* Columns() const { return columns_.get(); }
  TListItems* Items() const { return items_.get(); }
  TCanvas* Canvas() const { return canvas_.get(); }

  TViewStyle ViewStyle() const { return viewStyle_; }
  void SetViewStyle(TViewStyle Value);
  bool Checkboxes() const { return ext_ & LVS_EX_CHECKBOXES; }
  void SetCheckboxes(bool Value) { SetExt(LVS_EX_CHECKBOXES, Value); }
  bool RowSelect() const { return ext_ & LVS_EX_FULLROWSELECT; }
  void SetRowSelect(bool Value) { SetExt(LVS_EX_FULLROWSELECT, Value); }
  bool GridLines() const { return ext_ & LVS_EX_GRIDLINES; }
  void SetGridLines(bool Value) { SetExt(LVS_EX_GRIDLINES, Value); }
  bool HotTrack() const { return ext_ & LVS_EX_TRACKSELECT; }
  void SetHotTrack(bool Value) { SetExt(LVS_EX_TRACKSELECT, Value); }
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool Value) { readOnly_ = Value, ApplyStyle(); }
  bool HideSelection() const { return hideSelection_; }
  void SetHideSelection(bool Value) { hideSelection_ = Value, ApplyStyle(); }
  bool MultiSelect() const { return multiSelect_; }
  void SetMultiSelect(bool Value) { multiSelect_ = Value, ApplyStyle(); }
  bool ColumnClick() const { return columnClick_; }
  void SetColumnClick(bool Value) { columnClick_ = Value, ApplyStyle(); }
  bool ShowColumnHeaders() const { return showColumnHeaders_; }
  void SetShowColumnHeaders(bool Value) { showColumnHeaders_ = Value, ApplyStyle(); }
  bool OwnerData() const { return ownerData_; }
  void SetOwnerData(bool Value);
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle Value);
  TSortType SortType() const { return sortType_; }
  void SetSortType(TSortType Value);
  TCustomImageList* LargeImages() const { return largeImages_.List(); }
  void SetLargeImages(TCustomImageList* Value) { largeImages_.Set(Value, this); }
  TCustomImageList* SmallImages() const { return smallImages_.List(); }
  void SetSmallImages(TCustomImageList* Value) { smallImages_.Set(Value, this); }
  TCustomImageList* StateImages() const { return stateImages_.List(); }
  void SetStateImages(TCustomImageList* Value) { stateImages_.Set(Value, this); }

  TListItem* Selected() const;
  void SetSelected(TListItem* Value);
  TListItem* ItemFocused() const;
  void SetItemFocused(TListItem* Value);
  int ItemIndex() const;
  void SetItemIndex(int Value);
  int SelCount() const;
  TListItem* TopItem() const;
  int VisibleRowCount() const;
  TListItem* GetItemAt(int X, int Y) const;
  TListItem* FindCaption(int StartIndex, const std::string& Value, bool Partial, bool Inclusive,
                         bool Wrap) const;
  TListItem* FindData(int StartIndex, void* Value, bool Inclusive, bool Wrap) const;
  bool AlphaSort();
  bool CustomSort(TLVCompare SortProc, LPARAM Data);
  void Scroll(int DX, int DY);
  void Arrange();
  bool IsEditing() const;
  int StringWidth(const std::string& S) const;

  TLVChangeEvent OnChange;
  TLVChangingEvent OnChanging;
  TLVSelectItemEvent OnSelectItem;
  TLVColumnClickEvent OnColumnClick;
  TLVCompareEvent OnCompare;
  TLVDeletedEvent OnDeletion, OnInsert;
  TLVOwnerDataEvent OnData;
  TLVOwnerDataFindEvent OnDataFind;
  TLVEditingEvent OnEditing;
  TLVEditedEvent OnEdited;
  TLVCustomDrawEvent OnCustomDraw;
  TLVCustomDrawItemEvent OnCustomDrawItem;
  TLVCustomDrawSubItemEvent OnCustomDrawSubItem;

  void Dispatch(TMessage& Message) override;
  // The columns are as much wider as the rest of the list.
  void ChangeScale(int M, int D) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void FrameStyle(DWORD& Style, DWORD& ExStyle) const override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  virtual bool CanChange(TListItem* Item, TItemChange Change);
  virtual void Change(TListItem* Item, TItemChange Change);
  virtual bool CanEdit(TListItem* Item);
  virtual void Edit(const LVITEMW& Item);
  virtual void Delete(TListItem* Item);

 private:
  friend class TListItem;
  friend class TListItems;
  friend class TListColumn;
  friend class TListColumns;
  DWORD ListStyle() const;
  void ApplyStyle();
  void SetExt(DWORD flag, bool on);
  void Notify(TMessage& M);
  TListItem* ItemOf(int index) const;
  LRESULT CustomDraw(NMLVCUSTOMDRAW* cd);
  void SendColumns();

  std::unique_ptr<TListColumns> columns_;
  std::unique_ptr<TListItems> items_;
  std::unique_ptr<TCanvas> canvas_;
  TImageListLink largeImages_, smallImages_, stateImages_;
  TViewStyle viewStyle_ = vsIcon;
  DWORD ext_ = 0;
  bool readOnly_ = false, hideSelection_ = true, multiSelect_ = false, columnClick_ = true,
       showColumnHeaders_ = true, ownerData_ = false;
  TBorderStyle borderStyle_ = bsSingle;
  TSortType sortType_ = stNone;
  bool clearing_ = false;
  int savedOwnerCount_ = 0;  // owner data: the rows a window made anew gets back
};

class TListView : public TCustomListView {
 public:
  using TCustomListView::TCustomListView;
};

}  // namespace qv
