// Types shared by the tree's editing, hint, stream, clipboard, drag-and-drop
// and export code: the edit link interface, drop modes and effects, the
// events these features fire, and the error codes of the tree stream.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "classlib/controls/ControlMessages.h"
#include "datatree/DataNode.h"
#include "datatree/DataTreeTypes.h"
#include "platform/Set.h"
#include "platform/ole/DataTransfer.h"
#include "platform/ole/DragDrop.h"

namespace qv {

class TBaseDataTree;
class TStream;
class TObject;

// Error codes of the tree stream and the data transfer.
enum : int {
  kMoveIntoOwnSubtree = 2001,
  kStreamWrongFormat = 2002,
  kStreamWrongVersion = 2003,
  kStreamTooShort = 2004,
  kStreamNoAnchor = 2005,
  kStreamBadEnd = 2006,
  kClipboardFailed = 2007,
};

enum TDropMode { dmNowhere, dmAbove, dmOnNode, dmBelow };
enum TDTDragState { dsDragEnter, dsDragLeave, dsDragMove };
enum TDragOperation { doCopy, doMove, doLink };
using TDragOperations = Set<TDragOperation, 8>;
enum TDTDragType { dtOLE, dtVCL };
enum TDTDragImageKind { diComplete, diMainColumnOnly, diNoImage };
enum THintAnimationType { hatNone, hatFade, hatSlide, hatSystemDefault };
enum TDTTooltipLineBreakStyle { hlbDefault, hlbForceSingleLine, hlbForceMultiLine };
// Which nodes an export renders.
enum TDTTextSource : uint8_t { txAll, txInitialized, txSelected, txCutCopySet, txVisible };

// The object that edits one cell in place for a tree.
inline constexpr IID IID_IDTEditLink{
    0x2BE3EA15, 0x15A2, 0x4F0E, {0x9E, 0x33, 0x62, 0x6F, 0x44, 0x19, 0xAB, 0x01}};
struct IDTEditLink : IUnknown {
  static const IID& Iid() { return IID_IDTEditLink; }
  virtual bool BeginEdit() = 0;
  virtual bool CancelEdit() = 0;
  virtual bool EndEdit() = 0;
  virtual bool PrepareEdit(TBaseDataTree* Tree, PDataNode Node, TColumnIndex Column) = 0;
  virtual RECT GetBounds() = 0;
  virtual void ProcessMessage(TMessage& Message) = 0;
  virtual void SetBounds(RECT R) = 0;
};

using TDTCreateEditorEvent =
    std::function<void(TBaseDataTree*, PDataNode Node, TColumnIndex Column, ComPtr<IDTEditLink>& EditLink)>;
using TDTEditChangingEvent =
    std::function<void(TBaseDataTree*, PDataNode Node, TColumnIndex Column, bool& Allowed)>;
using TDTEditChangeEvent = std::function<void(TBaseDataTree*, PDataNode Node, TColumnIndex Column)>;
using TDTEditCancelEvent = std::function<void(TBaseDataTree*, TColumnIndex Column)>;
using TDTNodeMovingEvent =
    std::function<void(TBaseDataTree*, PDataNode Node, PDataNode Target, bool& Allowed)>;
using TDTNodeMovedEvent = std::function<void(TBaseDataTree*, PDataNode Node)>;
using TDTSaveNodeEvent = std::function<void(TBaseDataTree*, PDataNode Node, TStream& Stream)>;
using TDTDragOverEvent =
    std::function<void(TBaseDataTree*, TObject* Source, TShiftState Shift, TDTDragState State, POINT Pt,
                       TDropMode Mode, DWORD& Effect, bool& Accept)>;
using TDTDragDropEvent = std::function<void(TBaseDataTree*, TObject* Source, IDataObject* DataObject,
                                            const std::vector<WORD>& Formats, TShiftState Shift, POINT Pt,
                                            DWORD& Effect, TDropMode Mode)>;
using TDTCreateDataObjectEvent = std::function<void(TBaseDataTree*, ComPtr<IDataObject>& DataObject)>;
using TDTGetUserClipboardFormatsEvent = std::function<void(TBaseDataTree*, std::vector<FORMATETC>& Formats)>;
using TDTRenderOLEDataEvent = std::function<void(TBaseDataTree*, const FORMATETC& FormatEtcIn,
                                                 STGMEDIUM& Medium, bool ForClipboard, HRESULT& Result)>;
using TDTStartDragEvent = std::function<void(TBaseDataTree*)>;
using TDTEndDragEvent = std::function<void(TBaseDataTree*, int X, int Y)>;
using TDTGetHintEvent =
    std::function<void(TBaseDataTree*, PDataNode Node, TColumnIndex Column,
                       TDTTooltipLineBreakStyle& LineBreakStyle, std::u16string& HintText)>;

}  // namespace qv
