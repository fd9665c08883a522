// What the class-library common controls share: making a control over a
// common-control window class, the custom-draw state, and image lists
// handed to a window and re-sent when they change.
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

enum TSortType { stNone, stData, stText, stBoth };

// An image list used by a control: sends its handle with `apply` whenever
// the list is set, changes or goes away (null then).
class TImageListLink {
 public:
  explicit TImageListLink(std::function<void(HIMAGELIST)> apply);
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

}  // namespace qv
