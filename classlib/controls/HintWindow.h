// THintWindow: the small topmost popup that shows a hint. The application
// makes it through its replaceable HintWindowClass factory.
#pragma once
#include "classlib/controls/CustomControl.h"

namespace qv {

class THintWindow : public TCustomControl {
 public:
  explicit THintWindow(TComponent* AOwner);
  // Shows Hint in Rect (screen coordinates) without activating.
  virtual void ActivateHint(RECT Rect, const std::string& Hint);
  // The rectangle (at 0,0) the text needs, wrapped at MaxWidth.
  virtual RECT CalcHintRect(int MaxWidth, const std::string& Hint);
  // With the data a control's CM_HINTSHOW handed over (nullptr for none).
  virtual RECT CalcHintRect(int MaxWidth, const std::string& Hint, void* Data) {
    (void)Data;
    return CalcHintRect(MaxWidth, Hint);
  }
  void ReleaseHandle() { DestroyHandle(); }
  bool IsHintShowing();

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;
  void Dispatch(TMessage& Message) override;
};

}  // namespace qv
