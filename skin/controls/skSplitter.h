// TSkSplitter: the class library's splitter with skin data. It turns the
// application's hints off while the user drags (and back on after, also when
// the capture is lost), snaps collapsed neighbours back before a drag, and
// paints from the skin, pressed while a live drag runs.
#pragma once
#include <memory>

#include "classlib/stdctrls/Splitter.h"
#include "skin/controls/skSkinnedControl.h"
#include "skin/skCommonData.h"

namespace qv {

class TSkSplitter : public TSkSkinned<TSplitter> {
 public:
  explicit TSkSplitter(TComponent* AOwner);
  ~TSkSplitter() override;
  TSkCommonData* SkinData() const { return skinData_.get(); }
  bool Dragging() const { return dragging_; }
  void WndProc(TMessage& Message) override;

 protected:
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void Paint() override;
  TSkCommonData* SkinSetUpData() const override { return skinData_.get(); }
  bool SkinLoaded(TMessage& Message) override;
  bool SkinRemoved(TMessage& Message) override;
  bool SkinApplied(TMessage& Message) override;
  bool UpdateFinished(TMessage& Message) override;

 private:
  void RestoreHints();
  std::unique_ptr<TSkCommonData> skinData_;
  bool dragging_ = false;
  bool hintsSaved_ = false;
};

}  // namespace qv
