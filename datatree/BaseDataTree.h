// TBaseDataTree: the data tree control's base class. Rows are TDataNode
// records created by count and initialised on first touch; the owner keeps
// its payload in each record and answers everything else through events.
// The implementation is split by concern over the BaseDataTree*.cpp files.
#pragma once
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "classlib/controls/CustomControl.h"
#include "datatree/DataNode.h"
#include "datatree/DataNodeStore.h"
#include "datatree/DataTreeAnimation.h"
#include "datatree/DataTreeHeader.h"
#include "datatree/DataTreeOptions.h"
#include "datatree/DataTreeTransferTypes.h"
#include "datatree/DataTreeTypes.h"
#include "datatree/FocusState.h"
#include "datatree/IncrementalSearch.h"
#include "datatree/RubberBand.h"
#include "datatree/SelectionStore.h"
#include "datatree/ValidationState.h"
#include "platform/backend/Backend.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Paint.h"
#include "platform/window/ScrollBar.h"

namespace qv {

class TDTDataObject;
class TBaseDataTree;
class TBitmap;
class THintWindow;
class TCustomImageList;
class TMenuBase;
class TPicture;
class TRowPainter;
class TStream;
class TClipboardFormats;
class TDTDragImage;
class TDTDragManager;
struct TDataTreeTransferState;

// Timer ids of the tree's window.
enum : uintptr_t {
  ExpandTimer = 1,
  EditTimer = 2,
  HeaderTimer = 3,
  ScrollTimer = 4,
  ChangeTimer = 5,
  StructureChangeTimer = 6,
  SearchTimer = 7
};

// What DoSetOffsetXY does besides moving the offsets.
enum TScrollUpdateOption { suoRepaintHeader, suoRepaintScrollBars, suoScrollClientArea, suoUpdateNCArea };
using TScrollUpdateOptions = Set<TScrollUpdateOption, 4>;
inline const TScrollUpdateOptions DefaultScrollUpdateFlags{suoRepaintHeader, suoRepaintScrollBars,
                                                           suoScrollClientArea, suoUpdateNCArea};

enum TPaintTreeFlag {
  ptBackground,
  ptColumnColor,
  ptFocusRect,
  ptSelection,
  ptDropMark,
  ptGridLines,
  ptMainColumnOnly,
  ptSelectedOnly
};
using TPaintTreeFlags = Set<TPaintTreeFlag, 8>;

// What the painter knows about one cell.
struct TDTCellPaintInfo {
  TCanvas* Canvas = nullptr;
  HDC DC = nullptr;
  TPaintTreeFlags PaintOptions;
  PDataNode Node = nullptr;
  TColumnIndex Column = NoColumn;
  int Position = 0;
  RECT CellRect{}, ContentRect{};
  int NodeWidth = 0;
  TAlignment Alignment = taLeftJustify;
  TBiDiMode BidiMode = bdLeftToRight;
  int BrushOrigin = 0;
  int ImageIndex = -1, StateIndex = -1;
};

// One image of a cell: which, where, from which list, and whether the owner
// asked for it ghosted.
struct TDTImageInfo {
  int Index = -1;
  int XPos = 0, YPos = 0;
  bool Ghosted = false;
  TCustomImageList* Images = nullptr;
};

// Events.
using TDTInitNodeEvent =
    std::function<void(TBaseDataTree*, PDataNode ParentNode, PDataNode Node, TDataNodeInitStates&)>;
using TDTInitChildrenEvent = std::function<void(TBaseDataTree*, PDataNode Node, uint32_t& ChildCount)>;
using TDTFreeNodeEvent = std::function<void(TBaseDataTree*, PDataNode Node)>;
using TDTGetNodeDataSizeEvent = std::function<void(TBaseDataTree*, int32_t& NodeDataSize)>;
using TDTStructureChangeEvent = std::function<void(TBaseDataTree*, PDataNode Node, TChangeReason Reason)>;
using TDTUpdatingEvent = std::function<void(TBaseDataTree*, TDTUpdateState State)>;
using TDTChangeEvent = std::function<void(TBaseDataTree*, PDataNode Node)>;
using TDTChangingEvent = std::function<void(TBaseDataTree*, PDataNode Node, bool& Allowed)>;
using TDTFocusChangingEvent =
    std::function<void(TBaseDataTree*, PDataNode OldNode, PDataNode NewNode, TColumnIndex OldColumn,
                       TColumnIndex NewColumn, bool& Allowed)>;
using TDTFocusChangeEvent = std::function<void(TBaseDataTree*, PDataNode Node, TColumnIndex Column)>;
using TDTCheckChangingEvent =
    std::function<void(TBaseDataTree*, PDataNode Node, TCheckState& NewState, bool& Allowed)>;
using TDTStateChangeEvent = std::function<void(TBaseDataTree*, TDataTreeStates Enter, TDataTreeStates Leave)>;
using TDTCompareEvent =
    std::function<void(TBaseDataTree*, PDataNode Node1, PDataNode Node2, TColumnIndex Column, int& Result)>;
using TDTGetImageEvent = std::function<void(TBaseDataTree*, PDataNode Node, TDTImageKind Kind,
                                            TColumnIndex Column, bool& Ghosted, int& ImageIndex)>;
using TDTHeaderClickEvent = std::function<void(TDTHeader*, TColumnIndex Column, TMouseButton Button,
                                               TShiftState Shift, int X, int Y)>;
using TDTHeaderNotifyEvent = std::function<void(TDTHeader*, TColumnIndex Column)>;
using TDTHeaderDraggedEvent = std::function<void(TDTHeader*, TColumnIndex Column, int OldPosition)>;
using TDTHeaderDraggingEvent = std::function<void(TDTHeader*, TColumnIndex Column, bool& Allowed)>;
using TDTBeforeItemEraseEvent =
    std::function<void(TBaseDataTree*, TCanvas* Canvas, PDataNode Node, RECT ItemRect, TColor& ItemColor,
                       TItemEraseAction& EraseAction)>;
using TDTAfterItemEraseEvent =
    std::function<void(TBaseDataTree*, TCanvas* Canvas, PDataNode Node, RECT ItemRect)>;
using TDTBeforeItemPaintEvent =
    std::function<void(TBaseDataTree*, TCanvas* Canvas, PDataNode Node, RECT ItemRect, bool& CustomDraw)>;
using TDTAfterItemPaintEvent =
    std::function<void(TBaseDataTree*, TCanvas* Canvas, PDataNode Node, RECT ItemRect)>;
using TDTBeforeCellPaintEvent =
    std::function<void(TBaseDataTree*, TCanvas* Canvas, PDataNode Node, TColumnIndex Column, RECT CellRect)>;
using TDTAfterCellPaintEvent = TDTBeforeCellPaintEvent;
using TDTPaintEvent = std::function<void(TBaseDataTree*, TCanvas* Canvas)>;
using TDTColumnClickEvent = std::function<void(TBaseDataTree*, TColumnIndex Column, TShiftState Shift)>;
using TDTGetCellIsEmptyEvent =
    std::function<void(TBaseDataTree*, PDataNode Node, TColumnIndex Column, bool& IsEmpty)>;
using TDTMeasureItemEvent =
    std::function<void(TBaseDataTree*, TCanvas* Canvas, PDataNode Node, int& NodeHeight)>;
using TDTIncrementalSearchEvent =
    std::function<void(TBaseDataTree*, PDataNode Node, const std::u16string& SearchText, int& Result)>;
using TDTKeyActionEvent =
    std::function<void(TBaseDataTree*, WORD& CharCode, TShiftState& Shift, bool& DoDefault)>;
using TDTHotNodeChangeEvent = std::function<void(TBaseDataTree*, PDataNode OldNode, PDataNode NewNode)>;
using TDTScrollEvent = std::function<void(TBaseDataTree*, int DeltaX, int DeltaY)>;
using TDTGetLineStyleEvent = std::function<void(TBaseDataTree*, const uint8_t*& Bits)>;
using TDTBackgroundPaintEvent = std::function<void(TBaseDataTree*, TCanvas* Canvas, RECT R, bool& Handled)>;
using TDTGetImageExEvent =
    std::function<void(TBaseDataTree*, PDataNode Node, TDTImageKind Kind, TColumnIndex Column, bool& Ghosted,
                       int& ImageIndex, TCustomImageList*& ImageList)>;
using TDTHeaderMouseEvent =
    std::function<void(TDTHeader*, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TDTHeaderMouseMoveEvent = std::function<void(TDTHeader*, TShiftState Shift, int X, int Y)>;
using TDTHeaderDraggedOutEvent = std::function<void(TDTHeader*, TColumnIndex Column, POINT DropPosition)>;
using TDTGetHeaderCursorEvent = std::function<void(TDTHeader*, HCURSOR& Cursor)>;
using TDTHeaderDrawEvent = std::function<void(TDTHeader*, TCanvas* HeaderCanvas, TDataTreeColumn* Column,
                                              RECT R, bool Hover, bool Pressed, TDTDropMarkMode DropMark)>;
using TDTHeaderDrawQueryElementsEvent =
    std::function<void(TDTHeader*, THeaderPaintInfo& PaintInfo, THeaderPaintElements& Elements)>;
using TDTAdvancedHeaderPaintEvent =
    std::function<void(TDTHeader*, THeaderPaintInfo& PaintInfo, const THeaderPaintElements& Elements)>;
using TDTGetCursorEvent = std::function<void(TBaseDataTree*, TCursor& Cursor)>;
using TDTGetHelpContextEvent =
    std::function<void(TBaseDataTree*, PDataNode Node, TColumnIndex Column, int& HelpContext)>;
using TDTPopupEvent = std::function<void(TBaseDataTree*, PDataNode Node, TColumnIndex Column, POINT P,
                                         bool& AskParent, TMenuBase*& PopupMenu)>;
using TDTScrollBarShowEvent = std::function<void(TBaseDataTree*, int Bar, bool Show)>;

// The panning cursors (and images of the panning window), drawn in code.
enum TPanningShape {
  psMoveAll,
  psMoveNS,
  psMoveEW,
  psMoveN,
  psMoveS,
  psMoveE,
  psMoveW,
  psMoveNE,
  psMoveNW,
  psMoveSE,
  psMoveSW,
  psCount
};
HCURSOR PanningCursor(TPanningShape Shape);
// The shape for the mouse's offset from the anchor: within 8 pixels on both
// axes the directions that can scroll, else the arrow towards the mouse.
TPanningShape ChoosePanningShape(int DX, int DY, bool Horizontal, bool Vertical);

// A pixel position worked out in 64 bits, saturated to what an offset holds.
inline int SaturateToInt(int64_t Value) {
  return int(std::clamp<int64_t>(Value, INT32_MIN, INT32_MAX));
}

class TBaseDataTree : public TCustomControl {
 public:
  explicit TBaseDataTree(TComponent* AOwner);
  ~TBaseDataTree() override;

  // --- Node store
  // From this many new children at once they are made in one run of slots.
  static constexpr uint32_t kBulkChildren = 65536;
  PDataNode RootNode() const { return root_; }
  PDataNode AddChild(PDataNode Parent, void* UserData = nullptr);
  uint32_t ChildCount(PDataNode Node) const;
  void SetChildCount(PDataNode Node, uint32_t NewChildCount);
  uint32_t RootNodeCount() const { return root_->ChildCount; }
  void SetRootNodeCount(uint32_t Value);
  int32_t NodeDataSize() const { return nodeDataSize_; }
  void SetNodeDataSize(int32_t Value);
  uint32_t TotalInternalDataSize() const { return totalInternalDataSize_; }
  // User data starts on an 8-byte boundary behind the internal area.
  std::size_t UserDataOffset() const {
    return (sizeof(TDataNode) + totalInternalDataSize_ + 7) & ~std::size_t(7);
  }
  void DeleteNode(PDataNode Node, bool Reindex = true);
  void DeleteChildren(PDataNode Node, bool ResetHasChildren = false);
  virtual void Clear();
  void BeginUpdate();
  void EndUpdate();
  uint32_t UpdateCount() const { return updateCount_; }
  uint32_t VisibleCount() const { return store_.VisibleCount(); }
  uint32_t TotalCount() const { return root_->TotalCount - 1; }
  uint32_t NodeHeight(PDataNode Node);
  void SetNodeHeight(PDataNode Node, uint32_t Value);
  bool IsEmpty() const { return root_->ChildCount == 0; }
  std::size_t NodeBytesReserved() const { return store_.Pool().ReservedBytes(); }
  std::size_t NodeSlotBytes() const { return store_.Pool().SlotSize(); }

  // --- Navigation and queries
  PDataNode GetFirst();
  PDataNode GetFirstNoInit() const;
  PDataNode GetFirstChild(PDataNode Node);
  PDataNode GetFirstInitialized() const;
  PDataNode GetFirstSelected();
  PDataNode GetFirstCutCopy();
  PDataNode GetFirstVisible();
  PDataNode GetFirstVisibleNoInit() const;
  PDataNode GetFirstVisibleChild(PDataNode Node);
  PDataNode GetNext(PDataNode Node);
  PDataNode GetNextNoInit(PDataNode Node) const;
  PDataNode GetNextInitialized(PDataNode Node) const;
  PDataNode GetNextSelected(PDataNode Node);
  PDataNode GetNextCutCopy(PDataNode Node);
  PDataNode GetNextSibling(PDataNode Node) const;
  PDataNode GetNextVisible(PDataNode Node);
  PDataNode GetNextVisibleNoInit(PDataNode Node) const;
  PDataNode GetNextVisibleSibling(PDataNode Node);
  PDataNode GetPrevious(PDataNode Node);
  PDataNode GetPreviousNoInit(PDataNode Node) const;
  PDataNode GetPreviousSibling(PDataNode Node) const;
  PDataNode GetPreviousVisible(PDataNode Node);
  PDataNode GetPreviousVisibleNoInit(PDataNode Node) const;
  PDataNode GetPreviousVisibleSibling(PDataNode Node);
  PDataNode GetPreviousVisibleSiblingNoInit(PDataNode Node) const;
  PDataNode GetLast(PDataNode Node = nullptr);
  PDataNode GetLastNoInit(PDataNode Node = nullptr) const;
  PDataNode GetLastChild(PDataNode Node);
  PDataNode GetLastChildNoInit(PDataNode Node) const;
  PDataNode GetLastVisible(PDataNode Node = nullptr);
  PDataNode GetLastVisibleNoInit(PDataNode Node = nullptr) const;
  PDataNode GetLastVisibleChild(PDataNode Node);
  PDataNode GetLastVisibleChildNoInit(PDataNode Node) const;
  PDataNode GetVisibleParent(PDataNode Node) const;

  void* GetNodeData(PDataNode Node) const;
  template <class T>
  T* GetNodeData(PDataNode Node) const {
    return static_cast<T*>(GetNodeData(Node));
  }
  uint32_t GetNodeLevel(PDataNode Node) const;
  bool IsNodeVisible(PDataNode Node) const;
  bool VisiblePath(PDataNode Node) const;
  bool GetVisible(PDataNode Node);
  int CompareNodePositions(PDataNode Node1, PDataNode Node2) const;
  RECT GetDisplayRect(PDataNode Node, TColumnIndex Column, bool TextOnly, bool Unclipped = false);
  PDataNode GetNodeAt(int X, int Y, bool Relative, int& NodeTop);
  PDataNode GetNodeAt(int X, int Y) {
    int top;
    return GetNodeAt(X, Y, true, top);
  }
  PDataNode GetTopNode();
  void GetHitTestInfoAt(int X, int Y, bool Relative, THitInfo& HitInfo);
  int GetMaxColumnWidth(TColumnIndex Column);
  virtual bool HasImage(PDataNode Node, TDTImageKind Kind, TColumnIndex Column);
  TNodeArray GetSortedSelection(bool Resolve);
  TNodeArray GetSortedCutCopySet(bool Resolve);
  PDataNode FindInPositionCache(PDataNode Node, int& CurrentPos) const;
  PDataNode FindInPositionCache(int Position, int& CurrentPos) const;
  HWND PanningWindow() const { return panningWindow_; }

  // --- Properties and node state
  bool Expanded(PDataNode Node) const { return Node && Node->Has(vsExpanded); }
  void SetExpanded(PDataNode Node, bool Value);
  virtual void FullExpand(PDataNode Node = nullptr);
  virtual void FullCollapse(PDataNode Node = nullptr);
  bool Selected(PDataNode Node) const { return Node && Node->Has(vsSelected); }
  void SetSelected(PDataNode Node, bool Value);
  int32_t SelectionCount() const { return selection_.Count(); }
  void ClearSelection();
  void SelectAll(bool VisibleOnly);
  // Adds many nodes at once: one change notification, the least repainting.
  virtual void AddToSelectionList(const TNodeArray& NewItems, bool ForceInsert);
  // Forgets a node's data and children so that the owner is asked again.
  virtual void ResetNode(PDataNode Node);
  int LevelDifference(PDataNode Node1, PDataNode Node2) const;
  static TCheckState DetermineNextCheckState(TCheckType CheckType, TCheckState CheckState);
  // True for a pointer to a live node of this tree (foreign or stale ones are refused unread).
  bool IsNodeOfThisTree(const void* Node) const;
  PDataNode FocusedNode() const { return focus_.Node(); }
  void SetFocusedNode(PDataNode Value);
  TColumnIndex FocusedColumn() const { return focus_.Column(); }
  void SetFocusedColumn(TColumnIndex Value);
  PDataNode TopNode() { return GetTopNode(); }
  void SetTopNode(PDataNode Node);
  PDataNode RangeAnchor() const { return focus_.Anchor(); }
  PDataNode HotNode() const { return focus_.Hot(); }
  // The index of Node's check image: by check type, state, enabled and hot;
  // -1 without a check.
  int GetCheckImage(PDataNode Node) const;
  TCheckState CheckState(PDataNode Node) const {
    return Node ? TCheckState(Node->CheckState) : csUncheckedNormal;
  }
  void SetCheckState(PDataNode Node, TCheckState Value);
  TCheckType CheckType(PDataNode Node) const { return Node ? TCheckType(Node->CheckType) : ctNone; }
  void SetCheckType(PDataNode Node, TCheckType Value);
  bool Disabled(PDataNode Node) const { return Node && Node->Has(vsDisabled); }
  void SetDisabled(PDataNode Node, bool Value);
  bool HasChildren(PDataNode Node) const { return Node && Node->Has(vsHasChildren); }
  void SetHasChildren(PDataNode Node, bool Value);
  void ToggleNode(PDataNode Node);
  // Runs Callback through Steps steps within Duration ms on the animation
  // clock; nothing while another animation runs (tsInAnimation).
  virtual void Animate(int Steps, int Duration, const TDTAnimationCallback& Callback, void* Data);
  // The clock animations read; nullptr is the system clock. Not owned.
  void SetAnimationClock(TAnimationClock* Clock) { animationClock_ = Clock; }
  void Sort(PDataNode Node, TColumnIndex Column, TSortDirection Direction, bool DoInit = true);
  // Sorts one sibling list; the children that have children of their own are
  // collected on the way (for SortTree).
  void MergeSortNodes(TNodeArray& Nodes, TColumnIndex Column, TSortDirection Direction);
  void SortChildren(PDataNode Node, TColumnIndex Column, TSortDirection Direction, bool DoInit,
                    std::vector<PDataNode>* Parents);
  void SortTree(TColumnIndex Column, TSortDirection Direction, bool DoInit = true);
  void ReinitNode(PDataNode Node, bool Recursive);
  void ReinitChildren(PDataNode Node, bool Recursive);
  virtual void InvalidateNode(PDataNode Node);
  void InvalidateChildren(PDataNode Node, bool Recursive);
  void InvalidateToBottom(PDataNode Node);
  void InvalidateColumn(TColumnIndex Column);
  // Redraws a node's row at once.
  void RepaintNode(PDataNode Node);
  // Copies the settings of another tree (not its nodes: their count and size only).
  void Assign(TPersistent* Source) override;
  bool ScrollIntoView(PDataNode Node, bool Center, bool Horizontally = false);

  TDataTreeStates TreeStates() const;
  void DoStateChange(TDataTreeStates Enter, TDataTreeStates Leave = {});

  // The picture behind the rows (with toShowBackground), tiled from the offsets.
  TPicture* Background() const { return background_.get(); }
  void SetBackground(TPicture* Value);
  int BackgroundOffsetX() const { return backgroundOffsetX_; }
  int BackgroundOffsetY() const { return backgroundOffsetY_; }
  void SetBackgroundOffsetX(int Value);
  void SetBackgroundOffsetY(int Value);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment Value);
  // Right-to-left modes lay the rows out from the right (indentation, lines,
  // buttons, pictures, then the text) and put the vertical scroll bar left.
  TBiDiMode BiDiMode() const { return bidiMode_; }
  void SetBiDiMode(TBiDiMode Value);
  // A column's own mode, or the tree's for no column.
  bool IsRightToLeft(TColumnIndex Column) const;
  uint32_t AnimationDuration() const { return animationDuration_; }
  void SetAnimationDuration(uint32_t Value);
  uint32_t AutoExpandDelay = 1000, AutoScrollDelay = 1000, AutoScrollInterval = 1;
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle Value);
  TDTButtonFillMode ButtonFillMode() const { return buttonFillMode_; }
  void SetButtonFillMode(TDTButtonFillMode Value);
  TDTButtonStyle ButtonStyle() const { return buttonStyle_; }
  void SetButtonStyle(TDTButtonStyle Value);
  uint32_t ChangeDelay = 0;
  TCheckImageKind CheckImageKind() const { return checkImageKind_; }
  void SetCheckImageKind(TCheckImageKind Value);
  TDTColors* Colors() const { return colors_.get(); }
  TCustomImageList* CustomCheckImages() const { return customCheckImages_; }
  void SetCustomCheckImages(TCustomImageList* Value);
  uint32_t DefaultNodeHeight() const { return defaultNodeHeight_; }
  void SetDefaultNodeHeight(uint32_t Value);
  TDTNodeAttachMode DefaultPasteMode = amAddChildLast;
  TDTDrawSelectionMode DrawSelectionMode = smDottedRectangle;
  uint32_t EditDelay = 1000;
  TDTHeader* Header() const { return header_.get(); }
  TDTHintMode HintMode = hmDefault;
  TCursor HotCursor = crDefault;
  TCustomImageList* Images() const { return images_; }
  void SetImages(TCustomImageList* Value);
  TCustomImageList* StateImages() const { return stateImages_; }
  void SetStateImages(TCustomImageList* Value);
  TDTIncrementalSearch IncrementalSearch() const { return incrementalSearch_; }
  void SetIncrementalSearch(TDTIncrementalSearch Value);
  TDTSearchDirection IncrementalSearchDirection = sdForward;
  TDTSearchStart IncrementalSearchStart = ssFocusedNode;
  uint32_t IncrementalSearchTimeout = 1000;
  uint32_t Indent() const { return indent_; }
  void SetIndent(uint32_t Value);
  TDTLineMode LineMode() const { return lineMode_; }
  void SetLineMode(TDTLineMode Value);
  TDTLineStyle LineStyle() const { return lineStyle_; }
  void SetLineStyle(TDTLineStyle Value);
  int Margin() const { return margin_; }
  void SetMargin(int Value);
  TDTNodeAlignment NodeAlignment() const { return nodeAlignment_; }
  void SetNodeAlignment(TDTNodeAlignment Value);
  TScrollBarOptions* ScrollBarOptions() const { return scrollBarOptions_.get(); }
  uint8_t SelectionBlendFactor = 128;
  uint32_t SelectionCurveRadius() const { return selectionCurveRadius_; }
  void SetSelectionCurveRadius(uint32_t Value);
  int TextMargin() const { return textMargin_; }
  void SetTextMargin(int Value);
  bool WantTabs = false;
  TCustomDataTreeOptions* TreeOptions() const { return options_.get(); }
  int OffsetX() const { return offsetX_; }
  int OffsetY() const { return offsetY_; }
  void SetOffsetX(int Value);
  void SetOffsetY(int Value);
  void SetOffsetXY(POINT Value);
  int RangeX() const;
  // The scroll range is an int: a taller tree scrolls as far as an int reaches.
  int RangeY() const {
    return int(std::min<int64_t>(int64_t(root_->TotalHeight) - defaultNodeHeight_, INT32_MAX));
  }
  // The header's rectangle in window coordinates: above the client area,
  // inside the border, the bevels and the BorderWidth ring.
  RECT HeaderRect() const { return headerRect_; }
  // The rows and the header (which lies in the frame) are painted again.
  void Invalidate() override;
  // The height the header takes off the client area (0 while hidden).
  int VisibleHeaderHeight() const;
  // Where the client area starts in the window.
  POINT ClientOriginInWindow();
  // Header coordinates: client x, client y plus the header's height.
  POINT ClientToHeader(POINT P) const;
  POINT HeaderToScreen(POINT P);
  // How far the header's columns lie right of the client's: the width of a
  // vertical bar at the left (right-to-left), else 0.
  int HeaderScrollBarShift();
  TCustomImageList* CheckImages() const { return checkImages_; }
  const std::u16string& SearchBuffer() const { return search_.Buffer(); }
  PDataNode LastSearchNode() const { return search_.LastHit(); }
  PDataNode DropTargetNode() const { return dropTargetNode_; }
  size_t PositionCacheSize() const { return store_.CacheSize(); }

  // Header's view of the tree.
  virtual void MainColumnChanged();
  virtual int GetColumnClientWidth() { return HandleAllocated() ? ClientWidth() : Width(); }
  bool IsLoading() const { return ComponentState().Contains(csLoading); }
  bool IsDestroying() const { return ComponentState().Contains(csDestroying); }

  // --- Events
  TDTInitNodeEvent OnInitNode;
  TDTInitChildrenEvent OnInitChildren;
  TDTFreeNodeEvent OnFreeNode;
  TDTGetNodeDataSizeEvent OnGetNodeDataSize;
  TDTStructureChangeEvent OnStructureChange;
  TDTUpdatingEvent OnUpdating;
  TDTChangeEvent OnChange;
  TDTFocusChangingEvent OnFocusChanging;
  TDTFocusChangeEvent OnFocusChanged;
  TDTChangingEvent OnExpanding, OnCollapsing;
  TDTChangeEvent OnExpanded, OnCollapsed;
  TDTCheckChangingEvent OnChecking;
  TDTChangeEvent OnChecked;
  TDTStateChangeEvent OnStateChange;
  TDTCompareEvent OnCompareNodes;
  TDTGetImageEvent OnGetImageIndex;
  TDTHeaderClickEvent OnHeaderClick, OnHeaderDblClick;
  TDTHeaderMouseEvent OnHeaderMouseDown, OnHeaderMouseUp;
  TDTHeaderNotifyEvent OnColumnResize;
  TDTHeaderDraggedEvent OnHeaderDragged;
  TDTHeaderDraggingEvent OnHeaderDragging;
  TDTBeforeItemEraseEvent OnBeforeItemErase;
  TDTAfterItemEraseEvent OnAfterItemErase;
  TDTBeforeItemPaintEvent OnBeforeItemPaint;
  TDTAfterItemPaintEvent OnAfterItemPaint;
  TDTBeforeCellPaintEvent OnBeforeCellPaint;
  TDTAfterCellPaintEvent OnAfterCellPaint;
  TDTPaintEvent OnBeforePaint, OnAfterPaint;
  TDTColumnClickEvent OnColumnClick, OnColumnDblClick;
  TDTGetCellIsEmptyEvent OnGetCellIsEmpty;
  TDTMeasureItemEvent OnMeasureItem;
  TDTIncrementalSearchEvent OnIncrementalSearch;
  TDTKeyActionEvent OnKeyAction;
  TDTHotNodeChangeEvent OnHotChange;
  TDTScrollEvent OnScroll;
  TDTChangeEvent OnResetNode;
  TDTGetLineStyleEvent OnGetLineStyle;
  TDTBackgroundPaintEvent OnPaintBackground;
  TDTGetImageExEvent OnGetImageIndexEx;
  TDTHeaderMouseMoveEvent OnHeaderMouseMove;
  TDTHeaderDraggedOutEvent OnHeaderDraggedOut;
  TDTGetHeaderCursorEvent OnGetHeaderCursor;
  TDTHeaderDrawEvent OnHeaderDraw;
  TDTHeaderDrawQueryElementsEvent OnHeaderDrawQueryElements;
  TDTAdvancedHeaderPaintEvent OnAdvancedHeaderDraw;
  TDTGetCursorEvent OnGetCursor;
  TDTGetHelpContextEvent OnGetHelpContext;
  TDTPopupEvent OnGetPopupMenu;
  TDTScrollBarShowEvent OnShowScrollbar;

  // --- Event dispatchers (each presets the answer's default)
  virtual void DoInitNode(PDataNode Parent, PDataNode Node, TDataNodeInitStates& InitStates);
  virtual void DoInitChildren(PDataNode Node, uint32_t& ChildCount);
  virtual void DoFreeNode(PDataNode Node);
  // Whether freed nodes must be handed to DoFreeNode one by one; a
  // descendant that overrides DoFreeNode answers true.
  virtual bool FreesNodesOneByOne() const { return bool(OnFreeNode); }
  virtual void DoGetNodeDataSize(int32_t& Size);
  virtual void DoChange(PDataNode Node);
  virtual bool DoFocusChanging(PDataNode OldNode, PDataNode NewNode, TColumnIndex OldColumn,
                               TColumnIndex NewColumn);
  virtual void DoFocusChange(PDataNode Node, TColumnIndex Column);
  virtual bool DoExpanding(PDataNode Node);
  virtual void DoExpanded(PDataNode Node);
  virtual bool DoCollapsing(PDataNode Node);
  virtual void DoCollapsed(PDataNode Node);
  virtual bool DoChecking(PDataNode Node, TCheckState& NewState);
  virtual void DoChecked(PDataNode Node);
  virtual int DoCompare(PDataNode Node1, PDataNode Node2, TColumnIndex Column);
  // ImageList, when given, receives the list to draw from (nil: the tree's own).
  virtual int DoGetImageIndex(PDataNode Node, TDTImageKind Kind, TColumnIndex Column, bool& Ghosted,
                              TCustomImageList** ImageList = nullptr);
  virtual void DoHeaderClick(TColumnIndex Column, TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void DoHeaderDblClick(TColumnIndex Column, TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void DoColumnResize(TColumnIndex Column);
  virtual void DoHeaderMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void DoHeaderMouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void DoHeaderMouseMove(TShiftState Shift, int X, int Y);
  virtual bool DoHeaderDragging(TColumnIndex Column);
  virtual void DoHeaderDragged(TColumnIndex Column, int OldPosition);
  virtual void DoHeaderDraggedOut(TColumnIndex Column, POINT DropPosition);
  virtual void DoGetHeaderCursor(HCURSOR& Cursor);
  virtual void DoHeaderDraw(TCanvas* Canvas, TDataTreeColumn* Column, RECT R, bool Hover, bool Pressed,
                            TDTDropMarkMode DropMark);
  virtual void DoHeaderDrawQueryElements(THeaderPaintInfo& PaintInfo, THeaderPaintElements& Elements);
  virtual void DoAdvancedHeaderDraw(THeaderPaintInfo& PaintInfo, const THeaderPaintElements& Elements);
  virtual void DoGetCursor(TCursor& Cursor);
  virtual bool DoDragAllowed(PDataNode Node, TColumnIndex Column);
  virtual void DoShowScrollbar(int Bar, bool Show);
  // The menu for a node (asking its parents while the handler says so), or nil.
  virtual TMenuBase* DoGetPopupMenu(PDataNode Node, TColumnIndex Column, POINT Position);
  virtual bool HasPopupMenu(PDataNode Node, TColumnIndex Column, POINT Position);
  // Pops up the node's menu at a client point, else the control's own.
  virtual void ShowPopupMenu(PDataNode Node, TColumnIndex Column, POINT Position);
  // The node's own menu only (OnGetPopupMenu); true when one popped up.
  bool PopupNodeMenu(PDataNode Node, TColumnIndex Column, POINT Position);
  virtual bool DoGetCellIsEmpty(PDataNode Node, TColumnIndex Column);
  virtual int DoIncrementalSearch(PDataNode Node, const std::u16string& Text);
  virtual bool DoKeyAction(WORD& CharCode, TShiftState& Shift);
  virtual void DoHotChange(PDataNode Old, PDataNode New);
  virtual void DoScroll(int DeltaX, int DeltaY);
  virtual int DoGetNodeWidth(PDataNode Node, TColumnIndex Column, TCanvas* Canvas = nullptr);
  virtual void DoMeasureItem(TCanvas* Canvas, PDataNode Node, int& NodeHeight);
  // Owner-drawn hints: a tree that measures and paints its node hints itself.
  virtual bool OwnerDrawsHints() const { return false; }
  virtual void DoGetHintSize(PDataNode, TColumnIndex, RECT&) {}
  virtual void DoDrawHint(TCanvas*, PDataNode, const RECT&, TColumnIndex) {}
  void Change(PDataNode Node);
  void StructureChange(PDataNode Node, TChangeReason Reason);
  bool ClickCheck(PDataNode Node, TCheckState NewState);

  // --- Position cache (filled by the validation worker)
  void InterruptValidation();
  void InvalidateCache();
  void ValidateCache();
  // Builds the cache on the window's thread and enters tsUseCache when it is complete.
  bool ValidateCacheNow(const std::atomic<bool>* stop);
  // The worker's step: fills the position cache unless tsStopValidation is
  // set; true when the cache is complete. Changes no state.
  bool DoValidateCache();
  void WaitForWorker();
  void HandleChangeState(WPARAM EnterMask, LPARAM LeaveMask);
  void UpdateScrollBars(bool DoRepaint);
  void UpdateHorizontalScrollBar(bool DoRepaint);
  void UpdateVerticalScrollBar(bool DoRepaint);

  // Painting into any DC: the visible rows of Window (tree coordinates) at Target.
  void PaintTree(HDC TargetDC, const RECT& Window, POINT Target, TPaintTreeFlags PaintOptions);

  // --- Editing, commands, tree stream, clipboard, moving, drag and drop and
  // hints (DataTreeEditing.cpp, DataTreeCommands.cpp, DataTreeStream.cpp,
  // DataTreeClipboard.cpp, DataTreeMove.cpp, DataTreeDropTarget.cpp,
  // DataTreeDragSource.cpp, DataTreeHints.cpp).
  // A copy outlives the tree as its text: when the tree goes while the copy
  // is still on the clipboard, the text is rendered then, through the tree's
  // events, so an owner whose members those events read frees the tree
  // first. A cut, and a copy of a tree that is cleared, leave the clipboard empty.
  virtual void CopyToClipboard();
  virtual void CutToClipboard();
  void CancelCutOrCopy();
  void FinishCutOrCopy();
  virtual void DeleteSelectedNodes();
  virtual bool EditNode(PDataNode Node, TColumnIndex Column);
  bool EndEditNode();
  bool CancelEditNode();
  // The running edit's link and column (nullptr / -1 when none runs).
  IDTEditLink* EditLink() const;
  TColumnIndex EditColumn() const;
  virtual void UpdateEditBounds();
  bool EndNodeEdit();
  bool CancelNodeEdit();
  void BeginDrag(bool Immediate, int Threshold = -1);
  bool Dragging() const;
  IDTDragManager* GetDragManager();
  TDTDragImage* DragImage();
  bool ExecuteStandardEditAction(int Command);
  TAlignment GetControlsAlignment() const { return alignment_; }
  // Old form data kept every option in one set of "vo" names: each known name
  // sets the option of the same name in its set now; unknown names are skipped.
  void ReadLegacyOptions(const std::vector<std::string>& Identifiers);
  // An editor whose edit ended is freed outside the current message.
  void ReleaseEditor(TWinControl* Editor);
  virtual void SaveToStream(TStream& Stream, PDataNode Node = nullptr);
  virtual void LoadFromStream(TStream& Stream);
  void SaveToFile(const std::string& FileName);
  void LoadFromFile(const std::string& FileName);
  void WriteNode(TStream& Stream, PDataNode Node);
  virtual void WriteChunks(TStream& Stream, PDataNode Node);
  void ReadNode(TStream& Stream, int Version, PDataNode Node);
  virtual bool ReadChunk(TStream& Stream, int Version, PDataNode Node, int ChunkType, int ChunkSize);
  void SkipNode(TStream& Stream);
  virtual void InternalAddFromStream(TStream& Stream, int Version, PDataNode Node);
  void MoveTo(PDataNode Source, PDataNode Target, TDTNodeAttachMode Mode, bool ChildrenOnly);
  static bool HasAsParent(PDataNode Node, PDataNode PotentialParent);
  bool InsertFromDataObject(TBaseDataTree* Source, IDataObject* DataObject, PDataNode TargetNode,
                            TDTNodeAttachMode Mode, bool Optimized);
  virtual bool PasteFromClipboard();
  TClipboardFormats* ClipboardFormats();
  virtual void GetOfferedFormats(std::vector<FORMATETC>& Formats);
  virtual HRESULT RenderOLEData(const FORMATETC& FormatEtcIn, STGMEDIUM& Medium, bool ForClipboard);
  // A reader that renders the text of Object's nodes a piece at a time, as
  // the Unicode text format holds it; nullptr when the tree cannot.
  virtual std::unique_ptr<TextReader> ReadTextInPieces(TDTDataObject* Object) {
    (void)Object;
    return nullptr;
  }
  virtual HRESULT DragEnter(DWORD KeyState, POINT Pt, DWORD& Effect);
  virtual HRESULT DragOver(TObject* Source, DWORD KeyState, TDTDragState State, POINT Pt, DWORD& Effect);
  // Repaints TreeRect (client coordinates) under the drag image of Tree without
  // painting over the image: its saved copy takes the new picture instead.
  virtual void UpdateWindowAndDragImage(TBaseDataTree* Tree, RECT TreeRect, bool UpdateNCArea,
                                        bool ReshowDragImage);
  virtual void DragLeave();
  virtual HRESULT DragDrop(IDataObject* DataObject, DWORD KeyState, POINT Pt, DWORD& Effect);
  virtual DWORD DetermineDropEffect(TObject* Source, TShiftState Shift, DWORD AllowedEffects);
  TDropMode LastDropMode() const;
  // The nodes of the drag under way (in tree order); freed nodes leave it.
  const TNodeArray& DragSelection() const;
  void StartOLEDrag(POINT HotSpot);
  // Hint handling: the application's hint request and the hint window's queries.
  LRESULT HandleHintShow(void* HintInfo);
  void HandleHintShowPause(int& Pause);
  virtual std::u16string GetNodeHint(PDataNode Node, TColumnIndex Column,
                                     TDTTooltipLineBreakStyle& LineBreakStyle);
  virtual std::u16string GetNodeTooltip(PDataNode Node, TColumnIndex Column,
                                        TDTTooltipLineBreakStyle& LineBreakStyle);
  THintAnimationType EffectiveHintAnimation() const;
  RECT LastHintRect() const;
  // Each live tree has a number of its own; the clipboard names trees by it.
  uint32_t TreeSerial();
  static TBaseDataTree* TreeFromSerial(uint32_t Serial);
  static TBaseDataTree* GetTreeFromDataObject(IDataObject* DataObject);

  TDragOperations DragOperations{doCopy, doMove};
  TDTDragType DragType = dtOLE;
  TDTDragImageKind DragImageKind = diComplete;
  int DragWidth = 200, DragHeight = 350;
  THintAnimationType HintAnimation = hatSystemDefault;
  int DragThreshold = 5;

  TDTCreateEditorEvent OnCreateEditor;
  TDTEditChangingEvent OnEditing;
  TDTEditChangeEvent OnEdited;
  TDTEditCancelEvent OnEditCancelled;
  TDTNodeMovingEvent OnNodeMoving, OnNodeCopying;
  TDTNodeMovedEvent OnNodeMoved, OnNodeCopied;
  TDTSaveNodeEvent OnSaveNode, OnLoadNode;
  TDTDragOverEvent OnDragOver;
  TDTDragDropEvent OnDragDrop;
  TDTCreateDataObjectEvent OnCreateDataObject;
  TDTCreateDragManagerEvent OnCreateDragManager;
  TDTGetUserClipboardFormatsEvent OnGetUserClipboardFormats;
  TDTRenderOLEDataEvent OnRenderOLEData;
  TDTStartDragEvent OnStartDrag;
  TDTEndDragEvent OnEndDrag;
  TDTEditChangingEvent OnDragAllowed;

 protected:
  void AssignBevels(TBaseDataTree* Source);
  void HandleMouseLeave();
  // Node store internals.
  PDataNode MakeNewNode();
  // A node of the default height once the slot size is known.
  PDataNode MakeNewNodeFast() { return store_.NewNode(uint16_t(defaultNodeHeight_)); }
  void EnsureSlotSize();
  void InitRootNode();
  virtual void InitNode(PDataNode Node);
  virtual void InitChildren(PDataNode Node);
  void InternalConnectNode(PDataNode Node, PDataNode Destination, TDTNodeAttachMode Mode);
  void InternalDisconnectNode(PDataNode Node, bool KeepFocus, bool Reindex = true);
  void AdjustTotalCount(PDataNode Node, int64_t Value, bool Relative) {
    store_.AdjustTotalCount(Node, Value, Relative);
  }
  void AdjustTotalHeight(PDataNode Node, int64_t Value, bool Relative) {
    store_.AdjustTotalHeight(Node, Value, Relative);
  }
  uint32_t CountVisibleChildren(PDataNode Node) const { return store_.CountVisibleChildren(Node); }
  void DetermineHiddenChildrenFlag(PDataNode Node);
  void DetermineHiddenChildrenFlagAllNodes();
  void ResetRangeAnchor();
  void ForgetNode(PDataNode Node);
  bool DropAllNodes();
  bool ChildrenInOrder(PDataNode Node, TColumnIndex Column, TSortDirection Direction);
  void InitIfNeeded(PDataNode Node) {
    if (Node && Node != root_ && !Node->Has(vsInitialized)) InitNode(Node);
  }

  // Selection internals.
  virtual void AddToSelection(PDataNode Node);
  virtual void RemoveFromSelection(PDataNode Node);
  bool InternalAddToSelection(const TNodeArray& NewItems, bool ForceInsert);
  void InternalRemoveFromSelection(PDataNode Node);
  void InternalClearSelection();
  int PackArray();
  bool FindNodeInSelection(PDataNode Node, int& Index) const;
  void ChangeFocus(PDataNode Value, bool Ask);
  bool ApplyCheckState(PDataNode Node, TCheckState Value);
  virtual bool CheckParentCheckState(PDataNode Node, TCheckState NewState);
  virtual void ToggleSelection(PDataNode StartNode, PDataNode EndNode);
  virtual void SelectNodes(PDataNode StartNode, PDataNode EndNode, bool AddOnly);
  virtual void UnselectNodes(PDataNode StartNode, PDataNode EndNode);
  // A range's start: the first node for none, else the nearest visible node at or before it.
  PDataNode RangeStartNode(PDataNode StartNode);
  void HandleClickSelection(PDataNode LastFocused, PDataNode NewNode, TShiftState Shift, bool DragPending);
  virtual void HandleHotTrack(int X, int Y);
  virtual void HandleMouseDblClick(TShiftState Shift, const THitInfo& Hit);
  // Shows the check box pressed; the check applies when the button comes up over it.
  void PressCheckBox(PDataNode Node);

  // Geometry.
  int NodeTop(PDataNode Node);
  int GetNodeIndent(PDataNode Node) const;
  int CheckImageWidth() const;
  void DetermineHitPositionLTR(THitInfo& HitInfo, int Offset, int Right, TAlignment Alignment);
  void DetermineHitPositionRTL(THitInfo& HitInfo, int Offset, int Right, TAlignment Alignment);

  // Painting.
  virtual void PaintNodeContent(TDTCellPaintInfo&, TVSTTextType) {}
  void PaintRow(PDataNode Node, const RECT& Window, TPaintTreeFlags Options, int Level, int ButtonY);
  void PaintTreeLines(HDC DC, PDataNode Node, int Left, int Height, int Level, int ButtonY);
  void PaintNodeButton(HDC DC, PDataNode Node, int X, int Y);
  // Line mode lmBands: grid-coloured bands down the indentation levels.
  void PaintBands(HDC DC, PDataNode Node, int Left, int Height, int Level);
  // The drop mark of the drop target's row; Mode 1 above, 3 below (others draw nothing).
  virtual void PaintDropMark(HDC DC, const RECT& Row, int Mode);
  void PaintCheckImage(HDC DC, PDataNode Node, int X, int Y);
  // A node's state or normal image with its overlay (DoOverlay), blended for
  // ghosted, cut and selected nodes, greyed for a disabled node or tree.
  virtual void PaintImage(TDTCellPaintInfo& PaintInfo, const TDTImageInfo& Image, bool DoOverlay);
  void PaintGridLine(HDC DC, const RECT& R, TColor Color, TColor Background);
  // The part of the rubber band (SelectionRect, in the coordinates of the
  // DC, whose window origin is WindowOrgX) that crosses Target (device
  // coordinates): blended or a dotted frame, as DrawSelectionMode says.
  virtual void PaintSelectionRectangle(HDC DC, int WindowOrgX, const RECT& Target, const RECT& SelectionRect);
  // The band, normalised, relative to the row whose top is RowTop.
  RECT BandInRow(int RowTop) const;
  // The band over the area below the last row, from tree position From down.
  void PaintBandBelowRows(HDC TargetDC, const RECT& Window, POINT Target, int From);
  void PaintHeader(HDC DC, const RECT& R);
  // The expand buttons (9 x 9, fuchsia transparent) for ButtonStyle and
  // ButtonFillMode, and the custom line pattern for LineStyle.
  void PrepareBitmaps(bool NeedButtons, bool NeedLines);
  void DrawRectangleButton(TCanvas* C, bool Plus);
  TBitmap* PlusBitmap();
  TBitmap* MinusBitmap();
  // The vertical anchor of Node's button and images by NodeAlignment, and the
  // button's top, with the images shown (or not) in the row.
  void GetButtonVAlign(bool ShowImages, bool ShowStateImages, int& ButtonY, int& VAlign, PDataNode Node);
  std::unique_ptr<TBitmap> plusBM_, minusBM_;
  std::unique_ptr<uint8_t[]> customLinePattern_;  // from OnGetLineStyle, if it gave one
  HBRUSH DottedBrush(TColor Color, TColor Background);
  int rowAbsoluteTop_ = 0;
  int rangeXSeen_ = 0, rangeXShown_ = 0;  // widest row painted (trees without columns)
  PDataNode paintFocusMark_ = nullptr;    // FocusMarkNode() of the paint under way
  HBRUSH lineBrush_ = nullptr, gridBrush_ = nullptr;
  void Paint() override;

  // Scrolling. Moves the offsets (clamped to the content) and scrolls the
  // client area as Options say; ClipRect (client coordinates) limits the
  // scrolled area. True when an offset changed.
  bool DoSetOffsetXY(POINT Value, TScrollUpdateOptions Options = DefaultScrollUpdateFlags,
                     const RECT* ClipRect = nullptr);
  // Moves the pixels of the rows by the deltas and invalidates what they uncover.
  void ScrollClientArea(int DX, int DY, const RECT* ClipRect);
  // The hot node under the mouse after the content moved beneath it.
  void TrackHotAfterScroll();
  // The widest row of a tree without columns. Widths are measured for nodes
  // whose data exists (initialised, or given user data), after the current
  // message: all rows after changes that may narrow or move them, else the
  // rows initialised or added since, one by one.
  void NodeWidthsChanged();
  void NodeWidthMayGrow(PDataNode Node, bool WithSubtree = false);
  // Node's descendants (and Node with WithNode) leave the view.
  void RowsLeaveView(PDataNode Node, bool WithNode);
  int NodeExtent(PDataNode Node);
  // Measures the visible rows from From up to (without) To.
  void MeasureRows(PDataNode From, PDataNode To);
  void RefreshNodesRangeX();
  void RequestRangeXUpdate();
  int nodesRangeX_ = 0;
  PDataNode widestRow_ = nullptr;
  bool rangeXStale_ = true, rangeXPosted_ = false, measuringRangeX_ = false;
  std::vector<std::pair<PDataNode, bool>> rangeXPending_;
  void ScrollMessage(int Bar, int Code);
  // Sets a scroll bar and reports when it was shown or hidden.
  void SetScrollBarInfo(int Bar, const SCROLLINFO& Info, bool DoRepaint);

  // Window and messages.
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  // With toAutoChangeScale the node height and the header scale with the form.
  void ChangeScale(int M, int D) override;
  void WndProc(TMessage& Message) override;
  void TakeFocusOnPress();
  void Resize() override;
  void AdjustClientRect(RECT& Rect) override;
  void FrameChanged() override;
  // The non-client area: its layout (the header's rectangle), the header's
  // hit code, and the header, bevels and BorderWidth ring painted there.
  void UpdateHeaderRect(int Width, int Height);
  void HandleNcCalcSize(TMessage& Message);
  void HandleNcHitTest(TMessage& Message);
  void HandleNcPaint(TMessage& Message);
  void PaintNonClientArea(HDC DC, RECT R);
  void PrintWindow(TMessage& Message);
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void KeyPress(char16_t& Key) override;
  void KeyUp(WORD& Key, TShiftState Shift) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Loaded() override;
  void HandleTimer(uintptr_t Id);
  void HandleMouseWheel(int Delta, TShiftState Shift);
  // A rubber band starts at Start (content coordinates); Ctrl toggles the
  // selection it meets instead of adding to it.
  void StartDrawSelection(POINT Start, bool Ctrl);
  // Selects and unselects the rows whose inside status differs between the rectangles.
  bool HandleDrawSelection(RECT OldRect, RECT NewRect);
  bool CollectSelectedNodes(TColumnIndex Main, int NodeLeft, int NodeRight, TAlignment Alignment,
                            bool RightToLeft, const RECT& OldRect, const RECT& NewRect, int FromY, int ToY,
                            int Edge, int& EndY, TNodeArray& Add);
  // The width of the check and images before a node's text in the main column.
  int DrawSelectionTextLeft(PDataNode Node, TColumnIndex Main);
  // Moves the band's second corner to (X, Y), clamped to the content; true when it moved.
  virtual bool CalculateSelectionRect(int X, int Y);
  // The visible row at content pixel Y and its top, for the walk along the
  // band's upper (Edge 0) or lower (1) edge.
  PDataNode BandRowAt(int Y, int& Top, int Edge);
  bool HandleTreeViewMessage(TMessage& Message);
  // Auto scrolling near the edges (rubber band) and wheel panning (middle button).
  void UpdateAutoScroll(int X, int Y);
  void ScrollByTimer();
  void StartWheelPanning(POINT Position);
  void StopWheelPanning();
  enum ScrollDirection : uint8_t { sdLeft = 1, sdUp = 2, sdRight = 4, sdDown = 8 };
  uint8_t DetermineScrollDirections(int X, int Y);
  uint8_t scrollDirections_ = 0;
  DWORD scrollStartTime_ = 0;
  void CancelModes();
  // The context menu at the focused cell (the menu key, Shift+F10).
  void PopupAtFocusedCell();
  bool menuKeyHandled_ = false;
  // F1: the help context of the focused node (asking its parents), else of
  // the control and its parents; a non-zero one goes to the help.
  void HelpKey();
  virtual void InvokeHelp(int Context);
  // WM_SETCURSOR over the client area: true when a cursor was set.
  bool HandleSetCursor();
  // WM_PRINTCLIENT: the whole visible tree into another DC.
  void PrintClient(HDC DC);
  // The system colours changed: the shared check images are drawn again.
  void SystemColorsChanged();
  // Wheel panning: the cursor pointing where the view moves, and the small
  // window that marks the anchor.
  virtual void AdjustPanningCursor(int X, int Y);
  void ShowPanningWindow(POINT Position);
  void HidePanningWindow();
  HWND panningWindow_ = nullptr;
  HICON panningImage_ = nullptr;
  HCURSOR panningCursor_ = nullptr;
  void DoIncrementalSearchKey(char16_t Key);
  void AnimateToggle(PDataNode Node, bool Expand, int HeightDelta);
  // One slide step of the rows below a toggled node; always continues.
  bool ToggleAnimationStep(int Step, int StepSize);
  struct TToggleAnimation {
    bool Expand = false;
    RECT Area{};  // the client part that slides
  } toggleAnimation_;
  TAnimationClock* animationClock_ = nullptr;

  friend class TWorkerThread;
  class TRowHooks;  // the painting steps a row's painter may call
  friend class TCustomDataTreeOptions;
  friend class TDTColors;
  friend class TDTHeader;
  friend class TDataTreeColumns;

  // Links, counts, heights and the position cache live in the store; the
  // root it holds for the tree's whole life is kept at hand as root_.
  TDataNodeStore store_;
  PDataNode root_ = nullptr;
  int32_t nodeDataSize_ = -1;
  uint32_t totalInternalDataSize_ = 0;
  uint32_t updateCount_ = 0;
  TSelectionStore selection_;
  int lastSelectionLevel_ = -1;
  // Focused node and column, range anchor and hot node.
  TFocusState focus_;
  PDataNode lastChangedNode_ = nullptr;
  PDataNode lastStructureChangeNode_ = nullptr;
  TChangeReason lastStructureChangeReason_ = crIgnore;
  PDataNode dropTargetNode_ = nullptr;
  PDataNode checkNode_ = nullptr;
  TCheckState pendingCheckState_ = csUncheckedNormal;
  int checkPropagationCount_ = 0;
  int offsetX_ = 0, offsetY_ = 0;
  RECT headerRect_{};

  // States: the two the worker reads live in atomics of their own.
  TDataTreeStates states_;
  TValidationState validation_;

  // Properties.
  TAlignment alignment_ = taLeftJustify;
  TBiDiMode bidiMode_ = bdLeftToRight;
  // While a right-to-left main cell is painted its lines are mirrored about
  // the cell's middle (mirrorSum_ = left + right).
  bool mirrorLines_ = false;
  int mirrorSum_ = 0;
  void FillLine(HDC DC, RECT R, HBRUSH Brush);
  uint32_t animationDuration_ = 200;
  TBorderStyle borderStyle_ = bsSingle;
  TDTButtonFillMode buttonFillMode_ = fmTreeColor;
  TDTButtonStyle buttonStyle_ = bsRectangle;
  TCheckImageKind checkImageKind_ = ckLightCheck;
  TCustomImageList* checkImages_ = nullptr;
  TCustomImageList* customCheckImages_ = nullptr;
  TCustomImageList* images_ = nullptr;
  TCustomImageList* stateImages_ = nullptr;
  uint32_t defaultNodeHeight_ = 18;
  TDTIncrementalSearch incrementalSearch_ = isNone;
  uint32_t indent_ = 18;
  TDTLineMode lineMode_ = lmNormal;
  TDTLineStyle lineStyle_ = lsDotted;
  int margin_ = 4;
  TDTNodeAlignment nodeAlignment_ = naProportional;
  uint32_t selectionCurveRadius_ = 0;
  int textMargin_ = 4;

  std::unique_ptr<TPicture> background_;
  int backgroundOffsetX_ = 0, backgroundOffsetY_ = 0;
  bool TileBackground(HDC DC, const RECT& Row, int AbsoluteTop);
  // The picture fixed in the client area, over the tree's colour, whatever the
  // scroll position (AbsoluteTop: where R's top is in the tree's content).
  bool PaintStaticBackground(HDC DC, const RECT& R, int AbsoluteTop);
  // The background picture over R, fixed or tiled; false without a picture.
  bool PaintBackground(HDC DC, const RECT& R, int AbsoluteTop);
  // The selection highlight over R; DropTarget paints it in the drop colours.
  void PaintCellSelection(HDC DC, const RECT& R, bool Focused, bool DropTarget = false);
  // Where a focused tree shows its focus: the node that carries the focus
  // rectangle, or a frame round the client area when no node is visible.
  PDataNode FocusMarkNode() const;
  bool ShowsFocusFrame();
  void PaintFocusFrame(HDC DC);
  // Paints the area below the last row: the columns' colours, or the tree's.
  void PaintBelowRows(HDC TargetDC, const RECT& Rest, int WindowLeft, POINT Target);
  // The node or one of its ancestors is selected (a dragged subtree).
  bool InSelectedSubtree(PDataNode Node) const;
  std::unique_ptr<TDTHeader> header_;
  std::unique_ptr<TDTColors> colors_;
  std::unique_ptr<TScrollBarOptions> scrollBarOptions_;
  std::unique_ptr<TCustomDataTreeOptions> options_;
  std::unique_ptr<TCanvas> paintCanvas_;

  // Input state.
  TIncrementalSearch search_{*this};
  POINT lastClickPos_{};
  PDataNode pendingClearNode_ = nullptr;
  // The rubber band; the last row its walk visited is forgotten whenever the
  // rows' geometry may change (InvalidateCache) or the node goes.
  TRubberBand band_;

  // Each row is painted by the row painter into the off-screen row buffer.
  HDC rowDC_ = nullptr;
  HBITMAP rowBitmap_ = nullptr;
  HGDIOBJ rowOldBitmap_ = nullptr;
  SIZE rowSize_{};
  void EnsureRowBuffer(int Width, int Height);
  void FreeRowBuffer();

  virtual TCustomDataTreeOptions* CreateOptions();

 public:
  // The classes the tree makes its parts of, as makers: the header's columns
  // (asked at every new column), the header (asked by the constructor, so a
  // subclass that answers another one makes its header again in its own)
  // and the window of node hints.
  using TColumnClass = std::function<TDataTreeColumn*(TDataTreeColumns* Collection)>;
  using THeaderClass = std::function<TDTHeader*(TBaseDataTree* Owner)>;
  virtual TColumnClass GetColumnClass();
  virtual THeaderClass GetHeaderClass();
  virtual std::function<THintWindow*(TComponent* Owner)> GetHintWindowClass();
  // Reserves Size bytes (rounded up to 4) in every node record before the
  // user data and answers their offset from the start of the record; only
  // while no node exists besides the hidden root.
  virtual uint32_t AllocateInternalDataArea(uint32_t Size);
  // The tree is focusable only while its form can take the focus.
  bool CanFocus() override;

 protected:
  // Editing, transfer, drag and hint state (made on first use).
  virtual void DoCreateEditor(PDataNode Node, TColumnIndex Column, ComPtr<IDTEditLink>& Link);
  virtual bool CanEdit(PDataNode Node, TColumnIndex Column);
  void BeginNodeEdit();
  // Ends editing, drag and clipboard ties before the tree goes.
  void ShutdownTransfers();
  void TransferForgetNode(PDataNode Node);
  void TransferForgetAll();
  // Takes the drag's selection now if it is still to be taken: before the
  // selection or the tree's nodes change while a drag is under way.
  void TakeDragSelection() const;
  bool PutSelectionOnClipboard(bool Cut);
  bool HandleTransferMessage(TMessage& Message);
  void RegisterDropTarget();
  void RevokeDropTarget();
  // Empties the clipboard only while it still holds this tree's own data.
  void ReleaseOwnClipboard();
  // As the tree goes: its copy on the clipboard stays, its text rendered now
  // into data that needs no tree; its cut is dropped (its rows could not be
  // moved any more).
  void LeaveOwnClipboard();
  TDataTreeTransferState& Xfer();
  // Counts the nodes taken out of the tree: text rendered a piece at a time
  // lists its nodes again when this changed.
  uint64_t NodesForgotten() const;
  // How many nodes the last copy or cut marked; at least as many as carry the mark.
  size_t CutCopyCount() const;
  struct XferDeleter {
    void operator()(TDataTreeTransferState* p) const;
  };
  std::unique_ptr<TDataTreeTransferState, XferDeleter> xfer_;
  friend class TDTDataObject;
  friend class TDTDragImage;
  friend struct TreeXfer;
};

}  // namespace qv
