// Drag and drop between windows of this process: drop targets registered
// per window and the modal drag loop that drives them.
//
// A registered target is AddRef'd until RevokeDragDrop. The window manager
// offers no destruction hook, so a window that dies while registered is
// forgotten (and its target released) the next time the registry is used —
// by a drag, a registration, or OleUninitialize. Callers should still revoke
// before they destroy their window, as the platform expects.
#pragma once
#include "platform/ole/DataTransfer.h"
#include "platform/window/Messages.h"

namespace qv {

struct POINTL {
  LONG x = 0, y = 0;
};

constexpr DWORD DROPEFFECT_NONE = 0, DROPEFFECT_COPY = 1, DROPEFFECT_MOVE = 2, DROPEFFECT_LINK = 4,
                DROPEFFECT_SCROLL = 0x80000000;
// Key state of the drop interfaces: the mouse-message MK_ bits, plus Alt.
constexpr DWORD MK_ALT = 0x20;

inline constexpr IID IID_IDropSource{0x00000121, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_IDropTarget{0x00000122, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

struct IDropSource : IUnknown {
  static const IID& Iid() { return IID_IDropSource; }
  // S_OK to go on, DRAGDROP_S_DROP or DRAGDROP_S_CANCEL to end.
  virtual HRESULT QueryContinueDrag(BOOL escapePressed, DWORD keyState) = 0;
  // DRAGDROP_S_USEDEFAULTCURSORS, or S_OK after setting a cursor itself.
  virtual HRESULT GiveFeedback(DWORD effect) = 0;
};

// Points are in screen coordinates; *effect comes in as the effects the
// source allows and goes out as the one the target would take.
struct IDropTarget : IUnknown {
  static const IID& Iid() { return IID_IDropTarget; }
  virtual HRESULT DragEnter(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect) = 0;
  virtual HRESULT DragOver(DWORD keyState, POINTL pt, DWORD* effect) = 0;
  virtual HRESULT DragLeave() = 0;
  virtual HRESULT Drop(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect) = 0;
};

HRESULT RegisterDragDrop(HWND hwnd, IDropTarget* target);
HRESULT RevokeDragDrop(HWND hwnd);
// The target registered for `hwnd` itself (AddRef'd), or nullptr.
ComPtr<IDropTarget> RegisteredDropTarget(HWND hwnd);

// The drop target at a screen point: the one of the window under it or of
// its nearest registered parent (owners do not count); nullptr when none.
ComPtr<IDropTarget> DropTargetAt(POINT screen, HWND& window);

// Runs a modal drag from the current mouse position until the source ends
// it. The target under the cursor is the nearest window, walking up from
// the window under the cursor through its parents, with a registered
// target; where the desktop shows another program's window on top there,
// the backend carries the drag to that program instead. Escape or both buttons cancel (as the source
// decides), releasing the button drops. Returns DRAGDROP_S_DROP with the effect the target took,
// DRAGDROP_S_CANCEL with DROPEFFECT_NONE (also for a release over no target or a refusing one), or an error
// the source returned.
HRESULT DoDragDrop(IDataObject* data, IDropSource* source, DWORD okEffects, DWORD* effect);

}  // namespace qv
