// The two kinds of painted controls and the canvas they paint with:
// TCustomControl draws into its own window's DC, TGraphicControl into its
// parent's DC moved to its origin and clipped to its bounds. Outside of
// painting, TControlCanvas makes a DC of its own on the control.
#pragma once
#include <memory>

#include "classlib/controls/WinControl.h"
#include "classlib/graphics/Canvas.h"

namespace qv {

class TControlCanvas : public TCanvas {
 public:
  TControlCanvas() = default;
  ~TControlCanvas() override;
  TControl* Control() const { return control_; }
  void SetControl(TControl* Value);
  // Gives back a DC this canvas made itself.
  void FreeHandle();

 protected:
  void CreateHandle() override;

 private:
  TControl* control_ = nullptr;
  HDC madeDC_ = nullptr;
  HWND madeFor_ = nullptr;
};

// Binds a control canvas to the device context of one paint and lets it go
// again however the paint ends.
class TCanvasPaintScope {
 public:
  TCanvasPaintScope(TControlCanvas& canvas, HDC dc) : canvas_(canvas) {
    canvas_.FreeHandle();
    canvas_.Lock();
    canvas_.SetHandle(dc);
  }
  ~TCanvasPaintScope() {
    canvas_.SetHandle(nullptr);
    canvas_.Unlock();
  }
  TCanvasPaintScope(const TCanvasPaintScope&) = delete;
  TCanvasPaintScope& operator=(const TCanvasPaintScope&) = delete;

 private:
  TControlCanvas& canvas_;
};

class TCustomControl : public TWinControl {
 public:
  explicit TCustomControl(TComponent* AOwner);
  ~TCustomControl() override;
  TCanvas* Canvas() const { return canvas_.get(); }
  void Dispatch(TMessage& Message) override;

 protected:
  virtual void Paint() {}
  void PaintWindow(HDC DC) override;

 private:
  std::unique_ptr<TControlCanvas> canvas_;
};

class TGraphicControl : public TControl {
 public:
  explicit TGraphicControl(TComponent* AOwner);
  ~TGraphicControl() override;
  TCanvas* Canvas() const { return canvas_.get(); }
  void Dispatch(TMessage& Message) override;

 protected:
  virtual void Paint() {}

 private:
  std::unique_ptr<TControlCanvas> canvas_;
};

}  // namespace qv
