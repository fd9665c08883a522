// TToolBar over the tool bar window class, and TToolButton: each button is
// a graphic control placed where the window laid the button out, so it has
// its own hint, action, caption and events, while the window draws it and
// takes the mouse. Check and group buttons, drop-down buttons with their
// menu, separators, images (normal, hot, disabled), flat look, captions,
// wrapping and automatic height.
#pragma once
#include <memory>
#include <vector>

#include "classlib/controls/BasicAction.h"
#include "classlib/controls/CustomControl.h"

namespace qv {

class TToolBar;
class TPopupMenu;
class TCustomImageList;
class TChangeLink;

enum TToolButtonStyle { tbsButton, tbsCheck, tbsDropDown, tbsSeparator, tbsDivider };

class TToolButton : public TGraphicControl {
 public:
  explicit TToolButton(TComponent* AOwner);
  ~TToolButton() override;

  TToolButtonStyle Style() const { return style_; }
  void SetStyle(TToolButtonStyle Value);
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int Value);
  bool Down() const { return down_; }
  void SetDown(bool Value);
  // Grouped check buttons: checking one clears its neighbours of the same kind.
  bool Grouped() const { return grouped_; }
  void SetGrouped(bool Value);
  // A group whose down button comes up again when clicked.
  bool AllowAllUp = false;
  bool Indeterminate() const { return indeterminate_; }
  void SetIndeterminate(bool Value);
  bool Marked() const { return marked_; }
  void SetMarked(bool Value);
  // The row ends after this button.
  bool Wrap() const { return wrap_; }
  void SetWrap(bool Value);
  // The menu a drop-down button shows under itself.
  TPopupMenu* DropdownMenu() const { return dropdownMenu_; }
  void SetDropdownMenu(TPopupMenu* Value);
  // The position among the tool bar's buttons.
  int Index() const;
  TToolBar* ToolBar() const;

  void SetParent(TWinControl* AParent) override;
  void Dispatch(TMessage& Message) override;
  void Click() override;
  // Shows the drop-down menu under the button; false when there is none.
  bool CheckMenuDropdown();

 protected:
  std::unique_ptr<TControlActionLink> CreateActionLink() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  friend class TToolBar;
  friend class TToolButtonActionLink;
  void Changed(bool Layout);
  TToolButtonStyle style_ = tbsButton;
  int imageIndex_ = -1;
  bool down_ = false, grouped_ = false, indeterminate_ = false, marked_ = false, wrap_ = false;
  TPopupMenu* dropdownMenu_ = nullptr;
};

// A tool button also follows its action's image and checked state.
class TToolButtonActionLink : public TControlActionLink {
 public:
  explicit TToolButtonActionLink(TToolButton* AClient) : TControlActionLink(AClient), button_(AClient) {}
  void SetImageIndex(int Value) override;
  void SetChecked(bool Value) override;

 private:
  TToolButton* button_;
};

class TToolBar : public TWinControl {
 public:
  explicit TToolBar(TComponent* AOwner);
  ~TToolBar() override;

  int ButtonCount() const { return int(buttons_.size()); }
  TToolButton* Buttons(int Index) const;
  TCustomImageList* Images() const { return images_; }
  void SetImages(TCustomImageList* Value);
  TCustomImageList* HotImages() const { return hotImages_; }
  void SetHotImages(TCustomImageList* Value);
  TCustomImageList* DisabledImages() const { return disabledImages_; }
  void SetDisabledImages(TCustomImageList* Value);
  bool Flat() const { return flat_; }
  void SetFlat(bool Value);
  // Captions right of the images instead of under them.
  bool List() const { return list_; }
  void SetList(bool Value);
  bool ShowCaptions() const { return showCaptions_; }
  void SetShowCaptions(bool Value);
  bool Wrapable() const { return wrapable_; }
  void SetWrapable(bool Value);
  int ButtonWidth() const { return buttonWidth_; }
  int ButtonHeight() const { return buttonHeight_; }
  void SetButtonWidth(int Value);
  void SetButtonHeight(int Value);
  int Indent() const { return indent_; }
  void SetIndent(int Value);
  // The height follows the rows of buttons.
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool Value);
  int RowCount();

  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;
  // The button whose window part is under a client point, or null.
  TToolButton* ButtonAtPos(POINT P);

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  friend class TToolButton;
  void InsertButton(TToolButton* Button);
  void RemoveButton(TToolButton* Button);
  // Puts the buttons into the window again and places the button controls.
  void RecreateButtons();
  void UpdateButtonState(TToolButton* Button);
  void PlaceButtons();
  void AdjustHeight();
  void ImageListChange(TObject* Sender);
  void SetImageList(TCustomImageList*& Slot, std::unique_ptr<TChangeLink>& Link, TCustomImageList* Value);
  void SendImageLists();
  void HandleCommand(int Id);
  LRESULT HandleDropDown(int Id);

  std::vector<TToolButton*> buttons_;  // not owned
  TCustomImageList *images_ = nullptr, *hotImages_ = nullptr, *disabledImages_ = nullptr;
  std::unique_ptr<TChangeLink> imagesLink_, hotLink_, disabledLink_;
  bool flat_ = false, list_ = false, showCaptions_ = false, wrapable_ = true, autoSize_ = false;
  int buttonWidth_ = 23, buttonHeight_ = 22, indent_ = 0;
  bool placing_ = false, destroying_ = false;
};

}  // namespace qv
