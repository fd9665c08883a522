// TSplitter: a bar between aligned controls that resizes the control it is
// aligned against when dragged, live or by an inverted line released at the
// new place; MinSize limits the neighbour, and AutoSnap collapses it.
#pragma once
#include <functional>

#include "classlib/controls/CustomControl.h"

namespace qv {

enum TResizeStyle { rsNone, rsLine, rsUpdate, rsPattern };
using TCanResizeSplitEvent = std::function<void(TObject* Sender, int& NewSize, bool& Accept)>;

class TSplitter : public TGraphicControl {
 public:
  explicit TSplitter(TComponent* AOwner);
  ~TSplitter() override;

  bool AutoSnap = true;
  bool Beveled() const { return beveled_; }
  void SetBeveled(bool Value);
  int MinSize() const { return minSize_; }
  void SetMinSize(int Value) { minSize_ = std::max(1, Value); }
  TResizeStyle ResizeStyle = rsPattern;
  // The control being resized during a drag, null otherwise.
  TControl* ResizeControl() const { return control_; }

  TCanResizeSplitEvent OnCanResize;
  TNotifyEvent OnMoved, OnPaint;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void RequestAlign() override;
  virtual bool DoCanResize(int& NewSize);
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // The sibling the splitter is aligned against, or null.
  TControl* FindControl();

 private:
  bool Horizontal() const { return Align() == alLeft || Align() == alRight; }
  int SizeOf(TControl* c) const { return Horizontal() ? c->Width() : c->Height(); }
  void UpdateSize(int X, int Y);
  void ApplySize();
  void DrawLine();
  void EndDrag();

  bool beveled_ = false;
  int minSize_ = 30;
  TControl* control_ = nullptr;
  int downPos_ = 0;  // in the parent's coordinates
  int oldSize_ = 0, newSize_ = 0, maxSize_ = 0;
  bool lineVisible_ = false;
  int lineOffset_ = 0;
  HDC lineDC_ = nullptr;
  HBRUSH lineBrush_ = nullptr;
};

}  // namespace qv
