// TTreeView over the tree view window class: TTreeNode objects for the
// items (each item's data points at its node), TTreeNodes to add, find and
// walk them, and the control's properties and events (change, expansion,
// editing, deletion, custom draw), raised from the window's notifications.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "classlib/comctrls/ComCtrls.h"
#include "platform/comctl/TreeView.h"

namespace qv {

class TCustomTreeView;
class TTreeNodes;
class TTreeNode;

using TTVCompare = std::function<int(TTreeNode* Node1, TTreeNode* Node2, LPARAM Data)>;

class TTreeNode : public TPersistent {
 public:
  explicit TTreeNode(TTreeNodes* AOwner);
  ~TTreeNode() override;

  HTREEITEM ItemId() const { return item_; }
  TTreeNodes* Owner() const { return owner_; }
  TCustomTreeView* TreeView() const;

  const std::string& Text() const { return text_; }
  void SetText(const std::string& Value);
  void* Data() const { return data_; }
  void SetData(void* Value) { data_ = Value; }
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int Value);
  int SelectedIndex() const { return selectedIndex_; }
  void SetSelectedIndex(int Value);
  int OverlayIndex() const { return overlayIndex_; }
  void SetOverlayIndex(int Value);
  int StateIndex() const;
  void SetStateIndex(int Value);
  bool Checked() const { return StateIndex() == 2; }
  void SetChecked(bool Value) { SetStateIndex(Value ? 2 : 1); }
  bool HasChildren() const;
  void SetHasChildren(bool Value);
  bool Expanded() const;
  void SetExpanded(bool Value);
  void Expand(bool Recurse);
  void Collapse(bool Recurse);
  bool Selected() const;
  void SetSelected(bool Value);
  bool IsVisible() const;
  void MakeVisible();
  RECT DisplayRect(bool TextOnly) const;
  bool EditText();
  void EndEdit(bool Cancel);

  TTreeNode* Parent() const;
  TTreeNode* GetFirstChild() const;
  TTreeNode* GetLastChild() const;
  TTreeNode* getNextSibling() const;
  TTreeNode* getPrevSibling() const;
  TTreeNode* GetNext() const;  // the next node in the tree's order, expanded or not
  TTreeNode* GetPrev() const;
  TTreeNode* GetNextVisible() const;
  TTreeNode* GetPrevVisible() const;
  int Count() const;
  TTreeNode* Item(int Index) const;
  int Index() const;
  int Level() const;
  int AbsoluteIndex() const;
  bool HasAsParent(TTreeNode* Value) const;

  void Delete();
  void DeleteChildren();
  bool AlphaSort(bool Recurse = false);
  bool CustomSort(TTVCompare SortProc, LPARAM Data, bool Recurse = false);

 private:
  friend class TTreeNodes;
  friend class TCustomTreeView;
  HWND Wnd() const;
  TTreeNode* NodeOf(HTREEITEM h) const;
  HTREEITEM Near(UINT Code) const;
  void SetItemFields(UINT mask, const TVITEMW& item) const;
  void SetStateBits(UINT state, UINT mask) const;
  void Repaint() const;

  TTreeNodes* owner_;
  HTREEITEM item_ = nullptr;
  std::string text_;
  void* data_ = nullptr;
  int imageIndex_ = -1, selectedIndex_ = -1, overlayIndex_ = -1;
  bool deleting_ = false;
};

enum TNodeAttachMode { naAdd, naAddFirst, naAddChild, naAddChildFirst, naInsert };

// What a node is made with besides its text, so that a control filling a
// large tree sends one insertion per node instead of one message per field.
struct TTreeNodeFields {
  void* Data = nullptr;
  int ImageIndex = -1, SelectedIndex = -1;
  int HasChildren = -1;  // 0 or 1 sets the button; -1 leaves it to the children added
};

class TTreeNodes : public TPersistent {
 public:
  explicit TTreeNodes(TCustomTreeView* AOwner);
  ~TTreeNodes() override;
  TCustomTreeView* Owner() const { return owner_; }

  TTreeNode* Add(TTreeNode* Sibling, const std::string& S) { return AddObject(Sibling, S, nullptr); }
  TTreeNode* AddObject(TTreeNode* Sibling, const std::string& S, void* Ptr);
  TTreeNode* AddFirst(TTreeNode* Sibling, const std::string& S);
  TTreeNode* AddChild(TTreeNode* Parent, const std::string& S) { return AddChildObject(Parent, S, nullptr); }
  TTreeNode* AddChildObject(TTreeNode* Parent, const std::string& S, void* Ptr);
  TTreeNode* AddChildObject(TTreeNode* Parent, const std::string& S, const TTreeNodeFields& Fields);
  TTreeNode* AddChildFirst(TTreeNode* Parent, const std::string& S);
  // Before Sibling (at the end of the top level when Sibling is null).
  TTreeNode* Insert(TTreeNode* Sibling, const std::string& S) { return InsertObject(Sibling, S, nullptr); }
  TTreeNode* InsertObject(TTreeNode* Sibling, const std::string& S, void* Ptr);
  void Delete(TTreeNode* Node);
  void Clear();
  void BeginUpdate();
  void EndUpdate();
  int Count() const;
  TTreeNode* Item(int Index) const;  // by absolute index, in the tree's order
  TTreeNode* GetFirstNode() const;
  TTreeNode* GetNode(HTREEITEM ItemId) const;

 private:
  friend class TTreeNode;
  friend class TCustomTreeView;
  TTreeNode* InternalAdd(TTreeNode* Node, const std::string& S, const TTreeNodeFields& Fields,
                         TNodeAttachMode Mode);
  TTreeNode* InternalAdd(TTreeNode* Node, const std::string& S, void* Ptr, TNodeAttachMode Mode) {
    TTreeNodeFields fields;
    fields.Data = Ptr;
    return InternalAdd(Node, S, fields, Mode);
  }
  HWND Wnd() const;

  TCustomTreeView* owner_;
  int updateCount_ = 0;
  mutable int cacheIndex_ = -1;  // the last node found by index, for walks by Item(i)
  mutable TTreeNode* cacheNode_ = nullptr;
};

enum THitTestItem {
  htAbove,
  htBelow,
  htNowhere,
  htOnItem,
  htOnButton,
  htOnIcon,
  htOnIndent,
  htOnLabel,
  htOnRight,
  htOnStateIcon,
  htToLeft,
  htToRight
};
using THitTests = Set<THitTestItem>;

using TTVChangedEvent = std::function<void(TObject* Sender, TTreeNode* Node)>;
using TTVChangingEvent = std::function<void(TObject* Sender, TTreeNode* Node, bool& AllowChange)>;
using TTVExpandingEvent = std::function<void(TObject* Sender, TTreeNode* Node, bool& AllowExpansion)>;
using TTVCollapsingEvent = std::function<void(TObject* Sender, TTreeNode* Node, bool& AllowCollapse)>;
using TTVExpandedEvent = std::function<void(TObject* Sender, TTreeNode* Node)>;
using TTVEditingEvent = std::function<void(TObject* Sender, TTreeNode* Node, bool& AllowEdit)>;
using TTVEditedEvent = std::function<void(TObject* Sender, TTreeNode* Node, std::string& S)>;
using TTVCompareEvent =
    std::function<void(TObject* Sender, TTreeNode* Node1, TTreeNode* Node2, int Data, int& Compare)>;
using TTVCustomDrawEvent = std::function<void(TCustomTreeView* Sender, const RECT& ARect, bool& DefaultDraw)>;
using TTVCustomDrawItemEvent =
    std::function<void(TCustomTreeView* Sender, TTreeNode* Node, TCustomDrawState State, bool& DefaultDraw)>;

class TCustomTreeView : public TWinControl {
 public:
  explicit TCustomTreeView(TComponent* AOwner);
  ~TCustomTreeView() override;

  TTreeNodes* Items() const { return items_.get(); }
  TTreeNode* Selected();
  void SetSelected(TTreeNode* Value);
  TTreeNode* TopItem();
  void SetTopItem(TTreeNode* Value);
  TTreeNode* GetNodeAt(int X, int Y);
  THitTests GetHitTestInfoAt(int X, int Y);
  bool IsEditing();
  void FullExpand();
  void FullCollapse();
  bool AlphaSort(bool Recurse = true);
  bool CustomSort(TTVCompare SortProc, LPARAM Data, bool Recurse = true);
  TCanvas* Canvas() const { return canvas_.get(); }

  // Appearance and behaviour (window styles).
  bool ShowButtons() const { return showButtons_; }
  void SetShowButtons(bool Value) { showButtons_ = Value, ApplyStyle(); }
  bool ShowLines() const { return showLines_; }
  void SetShowLines(bool Value) { showLines_ = Value, ApplyStyle(); }
  bool ShowRoot() const { return showRoot_; }
  void SetShowRoot(bool Value) { showRoot_ = Value, ApplyStyle(); }
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool Value) { readOnly_ = Value, ApplyStyle(); }
  bool HideSelection() const { return hideSelection_; }
  void SetHideSelection(bool Value) { hideSelection_ = Value, ApplyStyle(); }
  bool RowSelect() const { return rowSelect_; }
  void SetRowSelect(bool Value) { rowSelect_ = Value, ApplyStyle(); }
  bool HotTrack() const { return hotTrack_; }
  void SetHotTrack(bool Value) { hotTrack_ = Value, ApplyStyle(); }
  bool CheckBoxes() const { return checkBoxes_; }
  void SetCheckBoxes(bool Value) { checkBoxes_ = Value, ApplyStyle(); }
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle Value);
  bool RightClickSelect = false;
  bool AutoExpand = false;
  int Indent() const { return indent_; }
  void SetIndent(int Value);
  TCustomImageList* Images() const { return images_.List(); }
  void SetImages(TCustomImageList* Value) { images_.Set(Value, this); }
  TCustomImageList* StateImages() const { return stateImages_.List(); }
  void SetStateImages(TCustomImageList* Value) { stateImages_.Set(Value, this); }
  TSortType SortType() const { return sortType_; }
  void SetSortType(TSortType Value);

  TTVChangedEvent OnChange, OnExpanded, OnCollapsed, OnDeletion, OnAddition, OnGetImageIndex,
      OnGetSelectedIndex;
  TTVChangingEvent OnChanging;
  TTVExpandingEvent OnExpanding;
  TTVCollapsingEvent OnCollapsing;
  TTVEditingEvent OnEditing;
  TTVEditedEvent OnEdited;
  TTVCompareEvent OnCompare;
  TTVCustomDrawEvent OnCustomDraw;
  TTVCustomDrawItemEvent OnCustomDrawItem;

  void Dispatch(TMessage& Message) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void FrameStyle(DWORD& Style, DWORD& ExStyle) const override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  virtual bool CanExpand(TTreeNode* Node);
  virtual bool CanCollapse(TTreeNode* Node);
  virtual bool CanChange(TTreeNode* Node);
  virtual bool CanEdit(TTreeNode* Node);
  virtual void Change(TTreeNode* Node);
  virtual void Expand(TTreeNode* Node);
  virtual void Collapse(TTreeNode* Node);
  virtual void Edit(const TVITEMW& Item);
  virtual void Delete(TTreeNode* Node);
  virtual void Added(TTreeNode* Node);
  virtual void GetImageIndex(TTreeNode* Node);
  virtual void GetSelectedIndex(TTreeNode* Node);

 private:
  friend class TTreeNode;
  friend class TTreeNodes;
  DWORD TreeStyle() const;
  void ApplyStyle();
  void Notify(TMessage& M);
  LRESULT CustomDraw(NMTVCUSTOMDRAW* cd);
  // A window made anew (a parent's border style, a reparenting) takes the
  // same node objects, in the same places, with the same states.
  void KeepNodes();
  void RestoreNodes();
  void FreeKeptNodes();

  // A node between two windows: its parent (earlier in the list), its state
  // bits and, for a node without children, the button it was given.
  struct TKeptNode {
    TTreeNode* Node;
    TTreeNode* Parent;
    UINT State;
    int Children;
  };
  std::vector<TKeptNode> kept_;
  TTreeNode* keptSelected_ = nullptr;
  TTreeNode* keptTop_ = nullptr;
  bool keeping_ = false;    // the items go, their node objects stay
  bool restoring_ = false;  // the selection put back is no change

  std::unique_ptr<TTreeNodes> items_;
  std::unique_ptr<TCanvas> canvas_;
  TImageListLink images_, stateImages_;
  bool showButtons_ = true, showLines_ = true, showRoot_ = true, readOnly_ = false, hideSelection_ = true,
       rowSelect_ = false, hotTrack_ = false, checkBoxes_ = false;
  TBorderStyle borderStyle_ = bsSingle;
  int indent_ = 19;
  TSortType sortType_ = stNone;
};

class TTreeView : public TCustomTreeView {
 public:
  using TCustomTreeView::TCustomTreeView;
};

}  // namespace qv
