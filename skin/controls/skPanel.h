// TSkPanel: the class library's panel with skin data, the parent cache of
// its children when skinned; TSkDragBar, a title-bar panel that moves its
// form when dragged with the left button; TSkGrip, a small square that shows
// the bottom-right corner of its linked control's cache.
#pragma once
#include <functional>
#include <memory>

#include "classlib/stdctrls/Panel.h"
#include "skin/controls/skSkinnedControl.h"
#include "skin/skCommonData.h"

namespace qv {

using TPaintEvent = std::function<void(TObject* Sender, TCanvas* Canvas)>;

class TSkPanel : public TSkSkinned<TPanel> {
 public:
  explicit TSkPanel(TComponent* AOwner);
  ~TSkPanel() override;
  TSkCommonData* SkinData() const { return skinData_.get(); }
  TPaintEvent OnPaint;
  void WndProc(TMessage& Message) override;

 protected:
  void PaintWindow(HDC DC) override;
  virtual void PaintSkinned(HDC DC);
  void PrepareCache();
  void PaintCaption(TBitmap* Cache);
  TSkCommonData* SkinSetUpData() const override { return skinData_.get(); }
  bool SkinLoaded(TMessage& Message) override;
  bool SkinRemoved(TMessage& Message) override;
  bool SkinApplied(TMessage& Message) override;
  bool UpdateFinished(TMessage& Message) override;
  bool CacheFrozen(TMessage& Message) override;
  bool PreparingQuery(TMessage& Message) override;
  bool SkinCommand(TMessage& Message) override;
  bool SkinnedReady();
  std::unique_ptr<TSkCommonData> skinData_;
};

class TSkDragBar : public TSkPanel {
 public:
  explicit TSkDragBar(TComponent* AOwner);
  TControl* DraggedControl = nullptr;
  void WndProc(TMessage& Message) override;

 protected:
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
};

class TSkGrip : public TSkPanel {
 public:
  explicit TSkGrip(TComponent* AOwner);
  TWinControl* LinkedControl = nullptr;
  bool Linked() const { return LinkedControl != nullptr; }

 protected:
  void Paint() override;
};

}  // namespace qv
