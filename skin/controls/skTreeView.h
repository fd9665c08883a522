// TSkTreeView: the class library's tree view with skin data and a bound label.
// Unskinned it is the plain tree view; skinned, it paints a frame of its own
// from the skin section and lays skinned scroll bars over its frame.
#pragma once
#include <memory>

#include "classlib/comctrls/TreeView.h"
#include "skin/controls/skScrollBar.h"
#include "skin/controls/skSkinnedControl.h"
#include "skin/skCommonData.h"

namespace qv {

class TSkTreeView : public TSkSkinned<TTreeView> {
 public:
  explicit TSkTreeView(TComponent* AOwner);
  ~TSkTreeView() override;

  TSkCommonData* SkinData() const { return skinData_.get(); }
  TSkBoundLabel* BoundLabel() const { return boundLabel_.get(); }
  // The skinned bars, null while not needed (tests look at them).
  TSkScrollBar* VertBar() const { return vBar_; }
  TSkScrollBar* HorzBar() const { return hBar_; }
  // Makes, places, shows or frees the skinned bars after the tree scrolled or changed.
  void UpdateScrollBars();

  void WndProc(TMessage& Message) override;

 protected:
  // The skinned bars are made as soon as the window holds its items.
  void CreateWnd() override;
  // The frame width the skin paints around the client area.
  int FrameWidth() const { return BorderWidth() + 3; }
  void PaintFrame();

 private:
  TSkCommonData* SkinSetUpData() const override { return skinData_.get(); }
  void SkinSetUpDone(bool FromStream) override;
  bool SkinLoaded(TMessage& Message) override;
  bool SkinRemoved(TMessage& Message) override;
  bool SkinApplied(TMessage& Message) override;
  bool CtrlHandled(TMessage& Message) override;
  bool UpdateFinished(TMessage& Message) override;
  bool SkinnedMessage(TMessage& M);
  void NormalPath(TMessage& M);
  void AfterNotify(const TMessage& M);
  void FreeBars();
  bool UpdateBar(TSkScrollBar*& Bar, int Which);
  void PlaceBars();
  bool Dying() const;

  std::unique_ptr<TSkCommonData> skinData_;
  TBorderStyle savedBorder_ = bsSingle;
  std::unique_ptr<TSkBoundLabel> boundLabel_;
  TSkScrollBar* vBar_ = nullptr;
  TSkScrollBar* hBar_ = nullptr;
};

}  // namespace qv
