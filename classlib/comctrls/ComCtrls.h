// What the class-library common controls share: making a control over a
// common-control window class, changing its styles and frame in place, the
// custom-draw state and colours, and image lists handed to a window and
// re-sent when they change.
#pragma once
#include <functional>

#include "classlib/controls/WinControl.h"
#include "classlib/graphics/ImageList.h"
#include "platform/comctl/CommCtrl.h"

namespace qv {

class TCanvas;

// Makes Params create a window that behaves as the common-control class
// `className` ("SysTreeView32", ...), registering the classes first.
void CreateCommonSubClass(TCreateParams& Params, const char16_t* className);

// Puts the bits of Mask in the window's style as Style has them, telling the
// window (WM_STYLECHANGED); false when nothing changed.
bool ChangeWindowStyle(HWND Handle, DWORD Mask, DWORD Style);
// Gives the window the sunken client edge or takes it away, redrawing the frame.
void SetClientEdge(HWND Handle, bool On);

enum TCustomDrawStateItem {
  cdsSelected,
  cdsGrayed,
  cdsDisabled,
  cdsChecked,
  cdsFocused,
  cdsDefault,
  cdsHot,
  cdsMarked,
  cdsIndeterminate
};
using TCustomDrawState = Set<TCustomDrawStateItem>;
TCustomDrawState CustomDrawState(UINT itemState);
// An item's custom-draw handler paints through Canvas: the canvas font and
// brush start with the row's text colours, and the colours the handler
// leaves there go back to the window.
void CustomDrawItemColours(TCanvas* Canvas, COLORREF& Text, COLORREF& TextBk,
                           const std::function<void()>& Handler);

enum TSortType { stNone, stData, stText, stBoth };

// An image list used by a control: sends its handle with `apply` whenever
// the list is set, changes or goes away (null then).
class TImageListLink {
 public:
  explicit TImageListLink(std::function<void(HIMAGELIST)> apply);
  // Sends the list to Control's window, when it has one, with Msg and Which.
  TImageListLink(TWinControl* Control, UINT Msg, WPARAM Which);
  ~TImageListLink();
  TCustomImageList* List() const { return list_; }
  void Set(TCustomImageList* Value, TComponent* Owner);
  void Forget(TComponent* Removed);  // from the owner's Notification
  void Resend() const;

 private:
  std::function<void(HIMAGELIST)> apply_;
  TCustomImageList* list_ = nullptr;
  TChangeLink link_;
};

// Owner's image list in Slot becomes Value: the change link and the free
// notification move along. False when Slot already held Value.
bool ReplaceImageList(TComponent* Owner, TCustomImageList*& Slot, TChangeLink* Link, TCustomImageList* Value);

}  // namespace qv
