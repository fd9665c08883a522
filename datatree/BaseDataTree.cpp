// The tree as a component: construction with its defaults, destruction,
// the property setters, the state set and the event dispatchers.
#include "datatree/BaseDataTree.h"

#include "classlib/controls/Forms.h"
#include "classlib/controls/MenuBase.h"
#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/ImageList.h"
#include "classlib/graphics/Picture.h"
#include "datatree/DataTreeImages.h"
#include "datatree/RowPainter.h"
#include "datatree/ValidationWorker.h"
#include "platform/window/Messages.h"

namespace qv {

TBaseDataTree::TBaseDataTree(TComponent* AOwner) : TCustomControl(AOwner) {
  InitializeDataTreeGlobals();
  ControlStyle() += TControlStyle{csCaptureMouse, csOpaque, csReplicatable, csDisplayDragImage, csReflector};
  ControlStyle().Exclude(csSetCaption);
  SetBounds(Left(), Top(), 200, 100);
  SetTabStop(true);
  SetParentColor(false);
  SetColor(clWindow);
  scrollBarOptions_ = std::make_unique<TScrollBarOptions>(this);
  header_.reset(GetHeaderClass()(this));
  colors_ = std::make_unique<TDTColors>(this);
  options_.reset(new TCustomDataTreeOptions(this));
  paintCanvas_ = std::make_unique<TCanvas>();
  background_ = std::make_unique<TPicture>();
  background_->OnChange = [this](TObject*) {
    if (!IsDestroying()) Invalidate();
  };
  checkImages_ = CheckImageList(ckLightCheck);
  InitRootNode();
  AcquireWorker();
  validation_.SetHoldsWorker(true);
  TreeSerial();  // known to the other trees from the start (moves and drops)
}

TBaseDataTree::~TBaseDataTree() {
  Destroying();
  ShutdownTransfers();
  if (validation_.HoldsWorker())
    ReleaseWorker(this);  // interrupts a validation of this tree first
  else
    InterruptValidation();
  auto misc = options_->MiscOptions();
  misc.Exclude(toReadOnly);
  options_->SetMiscOptions(misc);
  Clear();
  FreeRowBuffer();
  HidePanningWindow();
  if (HandleAllocated()) DestroyHandle();
  store_.FreeRoot();
  root_ = nullptr;
}

TBaseDataTree::TColumnClass TBaseDataTree::GetColumnClass() {
  return [](TDataTreeColumns* Collection) { return new TDataTreeColumn(Collection); };
}

TBaseDataTree::THeaderClass TBaseDataTree::GetHeaderClass() {
  return [](TBaseDataTree* Owner) { return new TDTHeader(Owner); };
}

uint32_t TBaseDataTree::AllocateInternalDataArea(uint32_t Size) {
  DTAssert(root_->TotalCount <= 1, "Internal data allocation must be done before any node is created.");
  uint32_t offset = uint32_t(sizeof(TDataNode)) + totalInternalDataSize_;
  totalInternalDataSize_ += (Size + 3) & ~3u;
  return offset;
}

bool TBaseDataTree::CanFocus() {
  if (!TCustomControl::CanFocus()) return false;
  if (ComponentState().Contains(csDesigning)) return true;
  TCustomForm* form = GetParentForm(this);
  return !form || (form->Enabled() && form->Visible());
}

TCustomDataTreeOptions* TBaseDataTree::CreateOptions() {
  return new TCustomDataTreeOptions(this);
}

TDataTreeStates TBaseDataTree::TreeStates() const {
  return states_;
}

void TBaseDataTree::DoStateChange(TDataTreeStates Enter, TDataTreeStates Leave) {
  // The handler sees the states as they were; it is told of any call that
  // enters a state not set or leaves one that is.
  TDataTreeStates change = (Enter - states_) + (Leave * states_);
  if (!change.Empty() && OnStateChange) OnStateChange(this, Enter, Leave);
  states_ += Enter;
  states_ -= Leave;
  validation_.Follow(states_);  // the worker polls its own copy of tsStopValidation
}

// --- Property setters

void TBaseDataTree::SetBiDiMode(TBiDiMode Value) {
  bidiMode_ = Value;
  // Columns that follow the tree take the new mode.
  TDataTreeColumns* cols = header_->Columns();
  for (int i = 0; i < cols->Count(); ++i) {
    TDataTreeColumn* c = cols->Items(i);
    if (!c->Options().Contains(coParentBidiMode)) continue;
    TDTColumnOptions options = c->Options();
    c->SetBiDiMode(Value);
    c->SetOptions(options);
  }
  // The scroll bar side is a window style: always made again.
  if (HandleAllocated()) RecreateWnd();
}

bool TBaseDataTree::IsRightToLeft(TColumnIndex Column) const {
  TDataTreeColumns* cols = header_->Columns();
  TBiDiMode mode = cols->IsValidColumn(Column) ? cols->Items(Column)->BiDiMode() : bidiMode_;
  return mode != bdLeftToRight;
}

void TBaseDataTree::SetBackground(TPicture* Value) {
  background_->Assign(Value);
  Invalidate();
}

void TBaseDataTree::SetBackgroundOffsetX(int Value) {
  if (backgroundOffsetX_ == Value) return;
  backgroundOffsetX_ = Value;
  Invalidate();
}

void TBaseDataTree::SetBackgroundOffsetY(int Value) {
  if (backgroundOffsetY_ == Value) return;
  backgroundOffsetY_ = Value;
  Invalidate();
}

void TBaseDataTree::SetAlignment(TAlignment Value) {
  if (alignment_ == Value) return;
  alignment_ = Value;
  if (!IsLoading()) Invalidate();
}

void TBaseDataTree::SetAnimationDuration(uint32_t Value) {
  animationDuration_ = Value;
  auto a = options_->AnimationOptions();
  if (Value != 0)
    a.Include(toAnimatedToggle);
  else
    a.Exclude(toAnimatedToggle);
  options_->SetAnimationOptions(a);
}

void TBaseDataTree::SetBorderStyle(TBorderStyle Value) {
  if (borderStyle_ == Value) return;
  borderStyle_ = Value;
  if (HandleAllocated()) RecreateWnd();
}

void TBaseDataTree::SetButtonFillMode(TDTButtonFillMode Value) {
  if (buttonFillMode_ == Value) return;
  buttonFillMode_ = Value;
  PrepareBitmaps(true, false);
  if (HandleAllocated()) Invalidate();
}

void TBaseDataTree::SetButtonStyle(TDTButtonStyle Value) {
  if (buttonStyle_ == Value) return;
  buttonStyle_ = Value;
  PrepareBitmaps(true, false);
  if (HandleAllocated()) Invalidate();
}

void TBaseDataTree::SetCheckImageKind(TCheckImageKind Value) {
  if (checkImageKind_ == Value) return;
  checkImageKind_ = Value;
  checkImages_ = Value == ckCustom ? customCheckImages_ : CheckImageList(Value);
  if (HandleAllocated() && updateCount_ == 0 && !IsLoading()) InvalidateRect(Handle(), nullptr, FALSE);
}

void TBaseDataTree::SetCustomCheckImages(TCustomImageList* Value) {
  if (customCheckImages_ == Value) return;
  if (customCheckImages_) {
    customCheckImages_->RemoveFreeNotification(this);
    if (checkImages_ == customCheckImages_) checkImages_ = nullptr;
  }
  customCheckImages_ = Value;
  if (Value) Value->FreeNotification(this);
  if (checkImageKind_ == ckCustom) checkImages_ = Value;
  if (!IsLoading()) Invalidate();
}

void TBaseDataTree::SetImages(TCustomImageList* Value) {
  if (images_ == Value) return;
  if (images_) images_->RemoveFreeNotification(this);
  images_ = Value;
  if (Value) Value->FreeNotification(this);
  if (!IsLoading()) Invalidate();
}

void TBaseDataTree::SetStateImages(TCustomImageList* Value) {
  if (stateImages_ == Value) return;
  if (stateImages_) stateImages_->RemoveFreeNotification(this);
  stateImages_ = Value;
  if (Value) Value->FreeNotification(this);
  if (HandleAllocated() && !IsLoading()) Invalidate();
}

void TBaseDataTree::SetDefaultNodeHeight(uint32_t Value) {
  if (Value == 0) Value = 18;
  if (Value > 0xFFFF) Value = 0xFFFF;
  if (Value == defaultNodeHeight_) return;
  InterruptValidation();
  DoStateChange({tsNeedScale});
  int delta = int(Value) - int(defaultNodeHeight_);
  root_->NodeHeight = uint16_t(Value);
  AdjustTotalHeight(root_, delta, true);
  defaultNodeHeight_ = Value;
  InvalidateCache();
  if (updateCount_ == 0 && HandleAllocated() && !IsLoading()) {
    ValidateCache();
    UpdateScrollBars(true);
    if (focus_.Node())
      ScrollIntoView(focus_.Node(), options_->SelectionOptions().Contains(toCenterScrollIntoView));
    Invalidate();
  }
}

void TBaseDataTree::SetIncrementalSearch(TDTIncrementalSearch Value) {
  if (incrementalSearch_ == Value) return;
  incrementalSearch_ = Value;
  if (Value == isNone) {
    if (HandleAllocated()) KillTimer(Handle(), SearchTimer);
    search_.Reset();
  }
}

void TBaseDataTree::SetIndent(uint32_t Value) {
  if (indent_ == Value) return;
  indent_ = Value;
  NodeWidthsChanged();
  if (!IsLoading() && updateCount_ == 0 && HandleAllocated()) {
    UpdateScrollBars(true);
    Invalidate();
  }
}

void TBaseDataTree::SetLineMode(TDTLineMode Value) {
  if (lineMode_ == Value) return;
  lineMode_ = Value;
  if (HandleAllocated() && !IsLoading()) Invalidate();
}

void TBaseDataTree::SetLineStyle(TDTLineStyle Value) {
  if (lineStyle_ == Value) return;
  lineStyle_ = Value;
  PrepareBitmaps(false, true);
  if (HandleAllocated() && !IsLoading()) Invalidate();
}

void TBaseDataTree::SetMargin(int Value) {
  if (margin_ == Value) return;
  margin_ = Value;
  NodeWidthsChanged();
  RequestRangeXUpdate();
  if (HandleAllocated() && !IsLoading()) Invalidate();
}

void TBaseDataTree::SetNodeAlignment(TDTNodeAlignment Value) {
  if (nodeAlignment_ == Value) return;
  nodeAlignment_ = Value;
  if (HandleAllocated() && !IsLoading()) Invalidate();
}

void TBaseDataTree::SetSelectionCurveRadius(uint32_t Value) {
  if (selectionCurveRadius_ == Value) return;
  selectionCurveRadius_ = Value;
  if (HandleAllocated() && !IsLoading()) Invalidate();
}

void TBaseDataTree::SetTextMargin(int Value) {
  if (textMargin_ == Value) return;
  textMargin_ = Value;
  NodeWidthsChanged();
  RequestRangeXUpdate();
  if (!IsLoading()) Invalidate();
}

// Copies the settings in a fixed order (later setters see the earlier ones);
// properties the class library does not have are left out of the order.
void TBaseDataTree::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TBaseDataTree*>(Source);
  if (!s) return TCustomControl::Assign(Source);
  if (options_->MiscOptions().Contains(toReadOnly)) return;
  SetAlign(s->Align());
  SetAnchors(s->Anchors());
  AutoScrollDelay = s->AutoScrollDelay;
  AutoScrollInterval = s->AutoScrollInterval;
  SetBackground(s->Background());
  AssignBevels(s);
  if (bidiMode_ != s->BiDiMode()) SetBiDiMode(s->BiDiMode());
  SetBorderStyle(s->BorderStyle());
  SetBorderWidth(s->BorderWidth());
  ChangeDelay = s->ChangeDelay;
  SetCheckImageKind(s->CheckImageKind());
  SetColor(s->Color());
  colors_->Assign(s->Colors());
  Constraints().Assign(&s->Constraints());
  SetDefaultNodeHeight(s->DefaultNodeHeight());
  DefaultPasteMode = s->DefaultPasteMode;
  DragImageKind = s->DragImageKind;
  SetEnabled(s->Enabled());
  Font()->Assign(s->Font());
  header_->Assign(s->Header());
  HintAnimation = s->HintAnimation;
  HintMode = s->HintMode;
  HotCursor = s->HotCursor;
  SetImages(s->Images());
  SetIndent(s->Indent());
  SetMargin(s->Margin());
  SetNodeAlignment(s->NodeAlignment());
  SetNodeDataSize(s->NodeDataSize());
  options_->Assign(s->TreeOptions());
  SetParentColor(s->ParentColor());
  SetParentFont(s->ParentFont());
  SetParentShowHint(s->ParentShowHint());
  SetPopupMenu(s->PopupMenu<TMenuBase>());
  SetRootNodeCount(s->RootNodeCount());
  scrollBarOptions_->Assign(s->ScrollBarOptions());
  SetShowHint(s->ShowHint());
  SetStateImages(s->StateImages());
  if (s->TabOrder() >= 0) SetTabOrder(s->TabOrder());  // a tree without a parent has no place
  SetTabStop(s->TabStop());
  SetVisible(s->Visible());
  SetSelectionCurveRadius(s->SelectionCurveRadius());
  SelectionBlendFactor = s->SelectionBlendFactor;
}

// The bevels' place in the order of Assign: BevelEdges, BevelInner,
// BevelKind, BevelOuter and BevelWidth.
void TBaseDataTree::AssignBevels(TBaseDataTree* Source) {
  SetBevelEdges(Source->BevelEdges());
  SetBevelInner(Source->BevelInner());
  SetBevelKind(Source->BevelKind());
  SetBevelOuter(Source->BevelOuter());
  SetBevelWidth(Source->BevelWidth());
}

void TBaseDataTree::Loaded() {
  TCustomControl::Loaded();
  if (states_.Contains(tsNeedRootCountUpdate) && root_->ChildCount > 0) {
    // The count stored while loading is applied now, also on a read-only tree.
    DoStateChange({}, {tsNeedRootCountUpdate});
    auto misc = options_->MiscOptions();
    bool readOnly = misc.Contains(toReadOnly);
    options_->misc_.Exclude(toReadOnly);
    uint32_t count = root_->ChildCount;
    root_->ChildCount = 0;
    BeginUpdate();
    SetChildCount(root_, count);
    EndUpdate();
    if (readOnly) options_->misc_.Include(toReadOnly);
  }
  header_->FixMainColumn();
  header_->Columns()->FixPositions();
  header_->RecalculateHeader();
  if (header_->Options().Contains(hoAutoResize)) header_->AdjustAutoSize(-2, true);
}

void TBaseDataTree::MainColumnChanged() {
  CancelNodeEdit();  // an edit of the old main column ends
  if (!options_->SelectionOptions().Contains(toExtendedFocus)) focus_.SetColumn(header_->MainColumn());
  Invalidate();
}

void TBaseDataTree::Notification(TComponent* AComponent, TOperation Operation) {
  // Every reference to a component that goes away is cleared, not just the first.
  if (AComponent != this && Operation == opRemove) {
    if (AComponent == images_) {
      images_ = nullptr;
      if (!IsDestroying()) Invalidate();
    }
    if (AComponent == stateImages_) {
      stateImages_ = nullptr;
      if (!IsDestroying()) Invalidate();
    }
    if (AComponent == customCheckImages_) {
      if (checkImages_ == customCheckImages_) checkImages_ = nullptr;
      customCheckImages_ = nullptr;
      checkImageKind_ = ckLightCheck;
      if (!IsDestroying()) Invalidate();
    }
    // The control's own popup menu is forgotten by the control class.
    if (AComponent == reinterpret_cast<TComponent*>(header_->Images())) header_->SetImages(nullptr);
    if (AComponent == header_->PopupMenu) header_->PopupMenu = nullptr;
  }
  TCustomControl::Notification(AComponent, Operation);
}

// --- Event dispatchers

void TBaseDataTree::DoInitNode(PDataNode Parent, PDataNode Node, TDataNodeInitStates& InitStates) {
  if (OnInitNode) OnInitNode(this, Parent, Node, InitStates);
}

void TBaseDataTree::DoInitChildren(PDataNode Node, uint32_t& ChildCount) {
  if (OnInitChildren) OnInitChildren(this, Node, ChildCount);
}

void TBaseDataTree::DoGetNodeDataSize(int32_t& Size) {
  Size = 0;
  if (OnGetNodeDataSize) OnGetNodeDataSize(this, Size);
}

void TBaseDataTree::DoChange(PDataNode Node) {
  if (HandleAllocated()) KillTimer(Handle(), ChangeTimer);
  if (OnChange) OnChange(this, Node);
  lastChangedNode_ = nullptr;
}

bool TBaseDataTree::DoFocusChanging(PDataNode OldNode, PDataNode NewNode, TColumnIndex OldColumn,
                                    TColumnIndex NewColumn) {
  bool allowed = true;
  if (OnFocusChanging) OnFocusChanging(this, OldNode, NewNode, OldColumn, NewColumn, allowed);
  return allowed;
}

void TBaseDataTree::DoFocusChange(PDataNode Node, TColumnIndex Column) {
  if (OnFocusChanged) OnFocusChanged(this, Node, Column);
}

bool TBaseDataTree::DoExpanding(PDataNode Node) {
  bool allowed = true;
  if (OnExpanding) OnExpanding(this, Node, allowed);
  return allowed;
}

void TBaseDataTree::DoExpanded(PDataNode Node) {
  if (OnExpanded) OnExpanded(this, Node);
}

bool TBaseDataTree::DoCollapsing(PDataNode Node) {
  bool allowed = true;
  if (OnCollapsing) OnCollapsing(this, Node, allowed);
  return allowed;
}

void TBaseDataTree::DoCollapsed(PDataNode Node) {
  if (OnCollapsed) OnCollapsed(this, Node);
}

bool TBaseDataTree::DoChecking(PDataNode Node, TCheckState& NewState) {
  if (options_->MiscOptions().Contains(toReadOnly)) return false;
  bool allowed = true;
  if (OnChecking) OnChecking(this, Node, NewState, allowed);
  return allowed;
}

void TBaseDataTree::DoChecked(PDataNode Node) {
  if (OnChecked) OnChecked(this, Node);
}

int TBaseDataTree::DoCompare(PDataNode Node1, PDataNode Node2, TColumnIndex Column) {
  int result = 0;
  if (OnCompareNodes) OnCompareNodes(this, Node1, Node2, Column, result);
  return result;
}

int TBaseDataTree::DoGetImageIndex(PDataNode Node, TDTImageKind Kind, TColumnIndex Column, bool& Ghosted,
                                   TCustomImageList** ImageList) {
  int index = -1;
  Ghosted = false;
  if (ImageList) *ImageList = nullptr;
  if (OnGetImageIndexEx) {
    // The extended handler alone is asked; its list replaces the tree's.
    TCustomImageList* list = nullptr;
    OnGetImageIndexEx(this, Node, Kind, Column, Ghosted, index, list);
    if (ImageList) *ImageList = list;
  } else if (OnGetImageIndex) {
    OnGetImageIndex(this, Node, Kind, Column, Ghosted, index);
  }
  return index;
}

bool TBaseDataTree::HasImage(PDataNode Node, TDTImageKind Kind, TColumnIndex Column) {
  bool ghosted = false;
  return DoGetImageIndex(Node, Kind, Column, ghosted) > -1;
}

void TBaseDataTree::DoHeaderClick(TColumnIndex Column, TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnHeaderClick) OnHeaderClick(header_.get(), Column, Button, Shift, X, Y);
}

void TBaseDataTree::DoHeaderDblClick(TColumnIndex Column, TMouseButton Button, TShiftState Shift, int X,
                                     int Y) {
  if (OnHeaderDblClick) OnHeaderDblClick(header_.get(), Column, Button, Shift, X, Y);
}

void TBaseDataTree::DoColumnResize(TColumnIndex Column) {
  if (HandleAllocated() && updateCount_ == 0) {
    UpdateHorizontalScrollBar(false);
    Invalidate();
  }
  if (OnColumnResize) OnColumnResize(header_.get(), Column);
  UpdateEditBounds();  // an editor over the cell follows it
}

bool TBaseDataTree::DoGetCellIsEmpty(PDataNode Node, TColumnIndex Column) {
  bool empty = true;  // a neighbouring text may span the cell unless the owner says otherwise
  if (OnGetCellIsEmpty) OnGetCellIsEmpty(this, Node, Column, empty);
  return empty;
}

int TBaseDataTree::DoIncrementalSearch(PDataNode Node, const std::u16string& Text) {
  int result = 0;
  if (OnIncrementalSearch) OnIncrementalSearch(this, Node, Text, result);
  return result;
}

bool TBaseDataTree::DoKeyAction(WORD& CharCode, TShiftState& Shift) {
  bool doDefault = true;
  if (OnKeyAction) OnKeyAction(this, CharCode, Shift, doDefault);
  return doDefault;
}

void TBaseDataTree::DoHotChange(PDataNode Old, PDataNode New) {
  if (OnHotChange) OnHotChange(this, Old, New);
}

void TBaseDataTree::DoScroll(int DeltaX, int DeltaY) {
  if (OnScroll) OnScroll(this, DeltaX, DeltaY);
}

int TBaseDataTree::DoGetNodeWidth(PDataNode, TColumnIndex, TCanvas*) {
  return 0;
}

void TBaseDataTree::DoMeasureItem(TCanvas* Canvas, PDataNode Node, int& NodeHeight) {
  if (OnMeasureItem) OnMeasureItem(this, Canvas, Node, NodeHeight);
}

}  // namespace qv
