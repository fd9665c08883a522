// The tree's hint window: a plain hint text or a cell's full text drawn as in
// the tree, shown at once, faded in or slid in over a copy of the screen.
#pragma once
#include <memory>

#include "classlib/controls/HintWindow.h"
#include "datatree/DataTreeTransferTypes.h"

namespace qv {

class TBaseDataTree;

struct TDTHintData {
  TBaseDataTree* Tree = nullptr;
  PDataNode Node = nullptr;
  TColumnIndex Column = NoColumn;
  RECT HintRect{};
  std::u16string DefaultHint;
  std::u16string HintText;
  TBiDiMode BidiMode = bdLeftToRight;
  TAlignment Alignment = taLeftJustify;
  TDTTooltipLineBreakStyle LineBreakStyle = hlbDefault;
};

class TDataTreeHintWindow : public THintWindow {
 public:
  explicit TDataTreeHintWindow(TComponent* AOwner);
  ~TDataTreeHintWindow() override;
  void ActivateHint(RECT Rect, const std::string& AHint) override;
  RECT CalcHintRect(int MaxWidth, const std::string& AHint) override;
  RECT CalcHintRect(int MaxWidth, const std::string& AHint, void* AData) override;
  // The rectangle for the given hint data (nullptr: none).
  RECT CalcHintRectFor(int MaxWidth, const TDTHintData* AData);
  const TDTHintData& HintData() const { return data_; }
  // One animation step; false ends the animation.
  bool AnimationStep(int Step, int StepSize);
  // Steps run by the last animation (for checks).
  int StepsRun() const { return stepsRun_; }

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;
  void Dispatch(TMessage& Message) override;

 private:
  void InternalPaint(int Step, int StepSize);
  TDTHintData data_;
  std::weak_ptr<void> treeAlive_;  // the tree may go while its hint shows
  std::shared_ptr<int> aliveToken_ = std::make_shared<int>(0);
  HDC bufferDC_ = nullptr, backgroundDC_ = nullptr, targetDC_ = nullptr;
  HBITMAP bufferBmp_ = nullptr, backgroundBmp_ = nullptr, targetBmp_ = nullptr;
  HGDIOBJ bufferOld_ = nullptr, backgroundOld_ = nullptr, targetOld_ = nullptr;
  SIZE bitmapSize_{};
  int textHeight_ = 0;
  int stepsRun_ = 0;
  void SizeBitmaps(int W, int H);
  void FreeBitmaps();
};

}  // namespace qv
