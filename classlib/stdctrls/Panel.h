// TPanel: a container with raised or lowered bevels, a border gap and a
// centred caption; aligned children stay inside its bevels.
#pragma once
#include "classlib/controls/CustomControl.h"

namespace qv {

class TCustomPanel : public TCustomControl {
 public:
  explicit TCustomPanel(TComponent* AOwner);

  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment Value);
  TBevelCut BevelInner() const { return bevelInner_; }
  void SetBevelInner(TBevelCut Value);
  TBevelCut BevelOuter() const { return bevelOuter_; }
  void SetBevelOuter(TBevelCut Value);
  int BevelWidth() const { return bevelWidth_; }
  void SetBevelWidth(int Value);
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle Value);
  bool FullRepaint = true;

  void Dispatch(TMessage& Message) override;

 protected:
  void Paint() override;
  void AdjustClientRect(RECT& Rect) override;
  void CreateParams(TCreateParams& Params) override;
  void FrameStyle(DWORD& Style, DWORD& ExStyle) const override;
  int BevelSize() const;

 private:
  void Changed();

  TAlignment alignment_ = taCenter;
  TBevelCut bevelInner_ = bvNone, bevelOuter_ = bvRaised;
  int bevelWidth_ = 1;
  TBorderStyle borderStyle_ = bsNone;
};

class TPanel : public TCustomPanel {
 public:
  using TCustomPanel::TCustomPanel;
};

}  // namespace qv
