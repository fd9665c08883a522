// TSkCustomListView: the class library's list view with skin data and a bound
// label. In report view it takes over its column header's window procedure,
// so that skinned, the sections are painted from the skin with a hot section
// under the mouse and a pressed one while the button is down; skinned scroll
// bars are laid over its frame and kept in step with the list.
#pragma once
#include <memory>

#include "classlib/comctrls/ListView.h"
#include "skin/controls/skScrollBar.h"
#include "skin/controls/skSkinnedControl.h"
#include "skin/skCommonData.h"

namespace qv {

class TSkCustomListView : public TSkSkinned<TCustomListView> {
 public:
  explicit TSkCustomListView(TComponent* AOwner);
  ~TSkCustomListView() override;
  void AfterConstruction() override;
  void Loaded() override;

  TSkCommonData* SkinData() const { return skinData_.get(); }
  TSkBoundLabel* BoundLabel() const { return boundLabel_.get(); }
  bool HighlightHeaders = true;

  // The header taken over (null until the report view made one) and its sections' states.
  HWND HeaderWnd() const { return header_; }
  int PressedSection() const { return pressed_; }
  int HotSection() const { return hot_; }
  TSkScrollBar* VertBar() const { return vBar_; }
  TSkScrollBar* HorzBar() const { return hBar_; }
  void UpdateScrollBars();
  // The sum of the columns' widths; a width beyond 999999 ends the sum.
  int AllColumnsWidth();

  void WndProc(TMessage& Message) override;

 protected:
  // The skinned bars are made as soon as the window holds its items.
  void CreateWnd() override;
  // The header's messages while it is taken over.
  virtual void HeaderWndProc(TMessage& Message);
  void PaintHeader();
  bool Dying() const;

 private:
  static LRESULT HeaderProc(HWND Wnd, UINT Msg, WPARAM W, LPARAM L);
  void TakeOverHeader(HWND Header);
  void ReleaseHeader();
  LRESULT CallHeader(UINT Msg, WPARAM W, LPARAM L);
  int SectionAt(POINT Client);
  void SetHot(int Section);
  void PaintSection(HDC DC, int Index, const RECT& R);
  TSkCommonData* SkinSetUpData() const override { return skinData_.get(); }
  void SkinSetUpDone(bool FromStream) override;
  bool SkinLoaded(TMessage& Message) override;
  bool SkinRemoved(TMessage& Message) override;
  bool SkinApplied(TMessage& Message) override;
  bool CtrlHandled(TMessage& Message) override;
  bool UpdateFinished(TMessage& Message) override;
  void AfterMessage(const TMessage& M);
  void PaintFrame();
  void FreeBars();
  bool UpdateBar(TSkScrollBar*& Bar, int Which);
  void PlaceBars();
  void BarMoved(bool Vertical, int Position);
  void InvalidateList(bool Forced);
  void PaintItemsBackground(HDC DC, const RECT& R);
  LRESULT CustomDrawWrapper(TMessage& M);
  void Rearrange();

  bool loading_ = true;
  HWND header_ = nullptr;
  WNDPROC headerOldProc_ = nullptr;
  int pressed_ = -1;
  std::unique_ptr<TSkCommonData> skinData_;
  int hot_ = -2;
  std::unique_ptr<TSkBoundLabel> boundLabel_;
  bool headerRepainting_ = false;
  TSkScrollBar* vBar_ = nullptr;
  TSkScrollBar* hBar_ = nullptr;
  int fontSize_ = 8;
};

class TSkListView : public TSkCustomListView {
 public:
  using TSkCustomListView::TSkCustomListView;
};

}  // namespace qv
