// TLabel: text painted on the parent, sized to its text when AutoSize is
// on, wrapped when WordWrap is on, and with an "&" accelerator that moves
// the focus to its FocusControl.
#pragma once
#include "classlib/controls/CustomControl.h"
#include "classlib/stdctrls/Button.h"  // IsAccel

namespace qv {

enum TTextLayout { tlTop, tlCenter, tlBottom };

class TCustomLabel : public TGraphicControl {
 public:
  explicit TCustomLabel(TComponent* AOwner);

  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment Value);
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool Value);
  TTextLayout Layout() const { return layout_; }
  void SetLayout(TTextLayout Value);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool Value);
  bool ShowAccelChar() const { return showAccelChar_; }
  void SetShowAccelChar(bool Value);
  bool Transparent() const { return !ControlStyle().Contains(csOpaque); }
  void SetTransparent(bool Value);
  TWinControl* FocusControl() const { return focusControl_; }
  void SetFocusControl(TWinControl* Value);

  void Dispatch(TMessage& Message) override;

 protected:
  void Paint() override;
  // Draws (or with DT_CALCRECT measures) the caption in the canvas's font.
  virtual void DoDrawText(RECT& Rect, UINT Flags);
  virtual std::string GetLabelText() { return Caption(); }
  // Fits the bounds to the text when AutoSize is on.
  virtual void AdjustBounds();
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  TAlignment alignment_ = taLeftJustify;
  bool autoSize_ = true;
  TTextLayout layout_ = tlTop;
  bool wordWrap_ = false;
  bool showAccelChar_ = true;
  TWinControl* focusControl_ = nullptr;
};

class TLabel : public TCustomLabel {
 public:
  using TCustomLabel::TCustomLabel;
};

}  // namespace qv
