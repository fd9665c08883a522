// Shared types of the data tree control: node and tree state flags, option
// enumerations, hit positions, the tree's error class and its assertion.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "classlib/controls/ControlTypes.h"
#include "platform/Exception.h"
#include "platform/Set.h"

namespace qv {

struct TDataNode;
using PDataNode = TDataNode*;
using TNodeArray = std::vector<PDataNode>;
using TColumnIndex = int32_t;  // -1 no column, -2 invalid column
constexpr TColumnIndex NoColumn = -1, InvalidColumn = -2;

// Node states: bits of TDataNode::States.
enum TDataNodeState : uint16_t {
  vsInitialized = 1u << 0,
  vsChecking = 1u << 1,
  vsCutOrCopy = 1u << 2,
  vsDisabled = 1u << 3,
  vsDeleting = 1u << 4,
  vsExpanded = 1u << 5,
  vsHasChildren = 1u << 6,
  vsVisible = 1u << 7,
  vsSelected = 1u << 8,
  vsInitialUserData = 1u << 9,
  vsAllChildrenHidden = 1u << 10,
  vsClearing = 1u << 11,
  vsMultiline = 1u << 12,
  vsHeightMeasured = 1u << 13,
  vsToggling = 1u << 14,
};

enum TDataNodeInitState { ivsDisabled, ivsExpanded, ivsHasChildren, ivsMultiline, ivsSelected };
using TDataNodeInitStates = Set<TDataNodeInitState, 8>;

enum TChangeReason {
  crIgnore,
  crAccumulated,
  crChildAdded,
  crChildDeleted,
  crNodeAdded,
  crNodeCopied,
  crNodeMoved
};
enum TDTUpdateState { usBegin, usBeginSynch, usSynch, usUpdate, usEnd, usEndSynch };
enum TDTNodeAttachMode { amNoWhere, amInsertBefore, amInsertAfter, amAddChildFirst, amAddChildLast };
enum TCheckState : uint8_t {
  csUncheckedNormal,
  csUncheckedPressed,
  csCheckedNormal,
  csCheckedPressed,
  csMixedNormal,
  csMixedPressed
};
enum TCheckType : uint8_t { ctNone, ctTriStateCheckBox, ctCheckBox, ctRadioButton, ctButton };
enum TCheckImageKind {
  ckLightCheck,
  ckDarkCheck,
  ckLightTick,
  ckDarkTick,
  ckCustom,
  ckFlat,
  ckXP,
  ckSystem,
  ckSystemFlat
};
enum TDTNodeAlignment { naFromBottom, naFromTop, naProportional };
enum TDTImageKind { ikNormal, ikSelected, ikState, ikOverlay };
enum TItemEraseAction { eaColor, eaDefault, eaNone };
enum TVSTTextType { ttNormal, ttStatic };
enum TSortDirection { sdAscending, sdDescending };
enum TDTButtonStyle { bsRectangle, bsTriangle };
enum TDTButtonFillMode { fmTreeColor, fmWindowColor, fmShaded, fmTransparent };
enum TDTLineStyle { lsCustomStyle, lsDotted, lsSolid };
enum TDTLineMode { lmNormal, lmBands };
// The tree-line segment a row shows at one indentation level.
enum TDTLineType {
  ltNone,
  ltBottomRight,
  ltTopDown,
  ltTopDownRight,
  ltRight,
  ltTopRight,
  ltLeft,
  ltLeftBottom
};
enum TDTIncrementalSearch { isAll, isNone, isInitializedOnly, isVisibleOnly };
enum TDTSearchDirection { sdForward, sdBackward };
enum TDTSearchStart { ssAlwaysStartOver, ssLastHit, ssFocusedNode };
enum TDTDrawSelectionMode { smDottedRectangle, smBlendedRectangle };
enum TDTHintMode { hmDefault, hmHint, hmHintAndDefault, hmTooltip };

// The tree's states, changed only through DoStateChange.
enum TDataTreeState {
  tsCancelHintAnimation,
  tsChangePending,
  tsCheckPropagation,
  tsCollapsing,
  tsToggleFocusedSelection,
  tsClearPending,
  tsClipboardFlushing,
  tsCopyPending,
  tsCutPending,
  tsDrawSelPending,
  tsDrawSelecting,
  tsEditing,
  tsEditPending,
  tsExpanding,
  tsHint,
  tsInAnimation,
  tsIncrementalSearching,
  tsIncrementalSearchPending,
  tsIterating,
  tsKeyCheckPending,
  tsLeftButtonDown,
  tsMouseCheckPending,
  tsMiddleButtonDown,
  tsNeedScale,
  tsNeedRootCountUpdate,
  tsOLEDragging,
  tsOLEDragPending,
  tsPainting,
  tsRightButtonDown,
  tsPopupMenuShown,
  tsScrolling,
  tsScrollPending,
  tsSizing,
  tsStopValidation,
  tsStructureChangePending,
  tsSynchMode,
  tsThumbTracking,
  tsUpdateHiddenChildrenNeeded,
  tsUpdating,
  tsUseCache,
  tsUserDragObject,
  tsUseThemes,
  tsValidating,
  tsValidationNeeded,
  tsVCLDragging,
  tsVCLDragPending,
  tsWheelPanning,
  tsWheelScrolling,
  tsWindowCreating
};
using TDataTreeStates = Set<TDataTreeState, 64>;

// Option sets.
enum TDTPaintOption {
  toHideFocusRect,
  toHideSelection,
  toHotTrack,
  toPopupMode,
  toShowBackground,
  toShowButtons,
  toShowDropmark,
  toShowHorzGridLines,
  toShowRoot,
  toShowTreeLines,
  toShowVertGridLines,
  toThemeAware,
  toUseBlendedImages,
  toGhostedIfUnfocused,
  toFullVertGridLines,
  toAlwaysHideSelection,
  toUseBlendedSelection,
  toStaticBackground
};
using TDTPaintOptions = Set<TDTPaintOption, 32>;
enum TDTAnimationOption { toAnimatedToggle };
using TDTAnimationOptions = Set<TDTAnimationOption, 8>;
enum TDTAutoOption {
  toAutoDropExpand,
  toAutoExpand,
  toAutoScroll,
  toAutoScrollOnExpand,
  toAutoSort,
  toAutoSpanColumns,
  toAutoTristateTracking,
  toAutoHideButtons,
  toAutoDeleteMovedNodes,
  toDisableAutoscrollOnFocus,
  toAutoChangeScale,
  toAutoFreeOnCollapse,
  toDisableAutoscrollOnEdit
};
using TDTAutoOptions = Set<TDTAutoOption, 16>;
enum TDTSelectionOption {
  toDisableDrawSelection,
  toExtendedFocus,
  toFullRowSelect,
  toLevelSelectConstraint,
  toMiddleClickSelect,
  toMultiSelect,
  toRightClickSelect,
  toSiblingSelectConstraint,
  toCenterScrollIntoView,
  toSimpleDrawSelection
};
using TDTSelectionOptions = Set<TDTSelectionOption, 16>;
enum TDTMiscOption {
  toAcceptOLEDrop,
  toCheckSupport,
  toEditable,
  toFullRepaintOnResize,
  toGridExtensions,
  toInitOnSave,
  toReportMode,
  toToggleOnDblClick,
  toWheelPanning,
  toReadOnly,
  toVariableNodeHeight,
  toFullRowDrag
};
using TDTMiscOptions = Set<TDTMiscOption, 16>;
enum TDTStringOption { toSaveCaptions, toShowStaticText, toAutoAcceptEditChange };
using TDTStringOptions = Set<TDTStringOption, 8>;

// Hit positions of a hit test.
enum THitPosition {
  hpAbove,
  hpBelow,
  hpNowhere,
  hpOnItem,
  hpOnItemButton,
  hpOnItemCheckbox,
  hpOnItemIndent,
  hpOnItemLabel,
  hpOnItemLeft,
  hpOnItemRight,
  hpOnNormalIcon,
  hpOnStateIcon,
  hpToLeft,
  hpToRight
};
using THitPositions = Set<THitPosition, 16>;

struct THitInfo {
  PDataNode HitNode = nullptr;
  THitPositions HitPositions;
  TColumnIndex HitColumn = NoColumn;
};

// Errors that input can cause (damaged streams, bad user data requests).
class EDataTreeError : public Exception {
 public:
  using Exception::Exception;
};

// The tree's precondition checks carry an English text.
[[noreturn]] void DataTreeAssertionFailed(const char* message);
inline void DTAssert(bool condition, const char* message) {
  if (!condition) DataTreeAssertionFailed(message);
}

}  // namespace qv
