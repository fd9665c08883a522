// TCustomTabControl over the tab control window class (tabs, the selected
// one, images, OnChanging that may refuse a change, OnChange, and children
// laid out in the display area below the tabs) and TTabControl, whose tabs
// are a string list.
#pragma once
#include <functional>
#include <memory>
#include <vector>

#include "classlib/Strings.h"
#include "classlib/controls/WinControl.h"

namespace qv {

class TCustomImageList;
class TChangeLink;

using TTabChangingEvent = std::function<void(TObject* Sender, bool& AllowChange)>;

class TCustomTabControl : public TWinControl {
 public:
  explicit TCustomTabControl(TComponent* AOwner);
  ~TCustomTabControl() override;
  int TabIndex();
  void SetTabIndex(int Value);
  TCustomImageList* Images() const { return images_; }
  void SetImages(TCustomImageList* Value);
  bool MultiLine() const { return multiLine_; }
  void SetMultiLine(bool Value);
  // The tab under a client point, or -1.
  int IndexOfTabAt(int X, int Y);
  RECT TabRect(int Index);
  RECT DisplayRect();
  TTabChangingEvent OnChanging;
  TNotifyEvent OnChange;
  void Dispatch(TMessage& Message) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void AdjustClientRect(RECT& Rect) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  virtual bool CanChange();
  virtual void Change();
  // The tabs the window should show: caption and image of each.
  virtual int TabCount() const = 0;
  virtual std::string TabCaption(int Index) const = 0;
  virtual int TabImage(int Index) const { return Index; }
  // Puts the tabs into the window again, keeping the selected one.
  void UpdateTabs();
  int tabIndex_ = -1;  // kept while there is no window

 private:
  TCustomImageList* images_ = nullptr;
  std::unique_ptr<TChangeLink> imagesLink_;
  bool multiLine_ = false;
};

class TTabControl : public TCustomTabControl {
 public:
  explicit TTabControl(TComponent* AOwner);
  ~TTabControl() override;
  TStrings* Tabs() const { return tabs_.get(); }

 protected:
  int TabCount() const override { return tabs_->Count(); }
  std::string TabCaption(int Index) const override { return tabs_->Strings(Index); }

 private:
  std::unique_ptr<TStringList> tabs_;
};

}  // namespace qv
