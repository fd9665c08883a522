// TCoolBar over the rebar window class: every windowed control put on the
// bar gets a band (a gripper and the control, which the bar places), and
// the bar's height can follow its rows.
#pragma once
#include <memory>

#include "classlib/Collection.h"
#include "classlib/controls/WinControl.h"

namespace qv {

class TCoolBar;

class TCoolBand : public TCollectionItem {
 public:
  explicit TCoolBand(TCollection* Collection);
  TWinControl* Control() const { return control_; }
  void SetControl(TWinControl* Value);
  // The band starts a new row.
  bool Break() const { return break_; }
  void SetBreak(bool Value);
  bool FixedSize() const { return fixedSize_; }
  void SetFixedSize(bool Value);
  int MinHeight() const { return minHeight_; }
  void SetMinHeight(int Value);
  int MinWidth() const { return minWidth_; }
  void SetMinWidth(int Value);
  // 0: as wide as the control.
  int Width() const { return width_; }
  void SetWidth(int Value);
  bool Visible() const { return visible_; }
  void SetVisible(bool Value);

 private:
  TWinControl* control_ = nullptr;
  bool break_ = true, fixedSize_ = false, visible_ = true;
  int minHeight_ = 25, minWidth_ = 0, width_ = 0;
};

class TCoolBands : public TCollection {
 public:
  explicit TCoolBands(TCoolBar* CoolBar);
  TCoolBand* Add() { return static_cast<TCoolBand*>(TCollection::Add()); }
  TCoolBand* Items(int Index) const { return static_cast<TCoolBand*>(TCollection::Items(Index)); }
  TCoolBand* FindBand(TControl* AControl) const;

 protected:
  void Update(TCollectionItem* Item) override;
  void Notify(TCollectionItem* Item, TCollectionNotification Action) override;

 private:
  friend class TCoolBand;
  TCoolBar* bar_;
  bool constructing_ = false;
};

class TCoolBar : public TWinControl {
 public:
  explicit TCoolBar(TComponent* AOwner);
  ~TCoolBar() override;
  TCoolBands* Bands() const { return bands_.get(); }
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool Value);
  void Dispatch(TMessage& Message) override;
  // Puts the bands into the window again.
  void UpdateBands();

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  // The bar, not alignment, places its controls.
  void AlignControls(TControl* AControl, RECT& Rect) override;

 private:
  void FitHeight();
  std::unique_ptr<TCoolBands> bands_;
  bool autoSize_ = false, updating_ = false;
};

}  // namespace qv
