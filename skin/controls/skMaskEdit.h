// TSkMaskEdit: the class library's mask edit with skin data, a disabled look
// and a bound label. Its painting steps are virtual so that the edit with a
// button can add its button to the frame and the text area.
#pragma once
#include <memory>

#include "classlib/stdctrls/MaskEdit.h"
#include "skin/controls/skSkinnedControl.h"
#include "skin/skCommonData.h"

namespace qv {

class TSkMaskEdit : public TSkSkinned<TMaskEdit> {
 public:
  explicit TSkMaskEdit(TComponent* AOwner);
  ~TSkMaskEdit() override;

  TSkCommonData* SkinData() const { return skinData_.get(); }
  TSkDisabledKind DisabledKind() const { return disabledKind_; }
  virtual void SetDisabledKind(TSkDisabledKind Value);
  TSkBoundLabel* BoundLabel() const { return boundLabel_.get(); }

  void WndProc(TMessage& Message) override;

 protected:
  virtual void SetEditRect() {}
  // Copies the frame strips of the cache to DC (the window DC when null).
  virtual void PaintFrame(HDC DC);
  virtual void PaintCacheText();
  virtual void PaintWhole(HDC DC);
  // 1 while focused or under the mouse, else 0.
  virtual int HotState();
  void Change() override;
  void PrepareCache();
  TSkCommonData* SkinSetUpData() const override { return skinData_.get(); }
  bool SkinLoaded(TMessage& Message) override;
  bool SkinRemoved(TMessage& Message) override;
  bool SkinApplied(TMessage& Message) override;
  bool UpdateFinished(TMessage& Message) override;
  std::unique_ptr<TSkCommonData> skinData_;

 private:
  TSkDisabledKind disabledKind_{dkBlended};
  std::unique_ptr<TSkBoundLabel> boundLabel_;
};

}  // namespace qv
