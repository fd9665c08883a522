// Main and popup menus over menu handles: TMenuItem (caption with '&',
// shortcut, image, check and radio state, default, events, the sub-items and
// an action link), TMenu with its Items tree and image list, TMainMenu (a
// form's menu bar) and TPopupMenu (a context menu that pops up on
// WM_CONTEXTMENU when AutoPopup is on).
//
// Items are owner-drawn when their menu has OwnerDraw set or an image list,
// or when the item has a bitmap; then the item measures and draws itself
// (images, check marks, text and shortcut in the classic look) unless
// OnMeasureItem / OnAdvancedDrawItem / OnDrawItem take over.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "classlib/controls/BasicAction.h"
#include "classlib/controls/MenuBase.h"
#include "classlib/controls/ShortCuts.h"

namespace qv {

class TCanvas;
class TBitmap;
class TCustomImageList;
class TChangeLink;
class TMenu;
class TMenuItem;
class TMenuActionLink;

using TMenuDrawItemEvent = std::function<void(TObject* Sender, TCanvas* ACanvas, RECT ARect, bool Selected)>;
using TAdvancedMenuDrawItemEvent =
    std::function<void(TObject* Sender, TCanvas* ACanvas, RECT ARect, TOwnerDrawState State)>;
using TMenuMeasureItemEvent = std::function<void(TObject* Sender, TCanvas* ACanvas, int& Width, int& Height)>;

class EMenuError : public Exception {
 public:
  using Exception::Exception;
};

enum TFindItemKind { fkCommand, fkHandle, fkShortCut };
enum TPopupAlignment { paLeft, paRight, paCenter };

class TMenuItem : public TComponent {
 public:
  explicit TMenuItem(TComponent* AOwner);
  ~TMenuItem() override;

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& Value);
  bool IsLine() const { return caption_ == "-"; }
  bool Checked() const { return checked_; }
  void SetChecked(bool Value);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool Value);
  bool Visible() const { return visible_; }
  void SetVisible(bool Value);
  bool Default() const { return default_; }
  void SetDefault(bool Value);
  bool RadioItem() const { return radioItem_; }
  void SetRadioItem(bool Value);
  int GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(int Value);
  bool AutoCheck = false;  // a click toggles Checked
  TShortCut ShortCut() const { return shortCut_; }
  void SetShortCut(TShortCut Value);
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int Value);
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& Value) { hint_ = Value; }
  // A glyph of its own (made on first use); an empty one counts as none.
  TBitmap* Bitmap();
  bool HasBitmap() const;

  // The tree.
  int Count() const { return int(items_.size()); }
  TMenuItem* Items(int Index) const;
  TMenuItem* Parent() const { return parent_; }
  int MenuIndex() const;
  int IndexOf(const TMenuItem* Item) const;
  void Add(TMenuItem* Item);  // the item becomes a sub-item (owned by its owner, not the parent)
  void Insert(int Index, TMenuItem* Item);
  void Remove(TMenuItem* Item);                        // detaches without freeing
  void Delete(int Index);                              // detaches and frees
  void Clear();                                        // frees every sub-item
  TMenuItem* Find(const std::string& ACaption) const;  // ignores '&' and case
  TMenu* GetParentMenu() const;
  // The images its own menu (or the nearest sub-menu owner) uses.
  TCustomImageList* GetImageList() const;

  // Platform side: the command id, and the sub-menu handle of an item with sub-items.
  UINT Command() const { return command_; }
  HMENU Handle();
  bool HandleAllocated() const { return handle_ != nullptr; }

  TBasicAction* Action() const;
  void SetAction(TBasicAction* Value);
  TMenuActionLink* ActionLink() const { return actionLink_.get(); }
  virtual void InitiateAction();
  // OnClick, or the action when there is no OnClick; AutoCheck toggles first.
  virtual void Click();

  TNotifyEvent OnClick;
  TMenuDrawItemEvent OnDrawItem;
  TAdvancedMenuDrawItemEvent OnAdvancedDrawItem;
  TMenuMeasureItemEvent OnMeasureItem;

  // Owner-draw entry points (the menu calls them for WM_MEASUREITEM / WM_DRAWITEM).
  bool IsOwnerDraw() const;
  bool IsTopLevelOfMainMenu() const;
  void MeasureItem(TCanvas* ACanvas, int& Width, int& Height);
  void AdvancedDrawItem(TCanvas* ACanvas, RECT ARect, TOwnerDrawState State);

  // Rebuilds the platform items of this sub-menu (after changes).
  void RebuildHandle();

 protected:
  virtual void DoDrawText(TCanvas* ACanvas, const std::string& ACaption, RECT& Rect, bool Selected,
                          UINT Flags);
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  friend class TMenu;
  friend class TMenuActionLink;
  void Changed();  // the parent's handle must show the new state
  void AppendTo(HMENU Menu);
  void TurnSiblingsOff();
  void SetMenu(TMenu* Value) { menu_ = Value; }
  void DefaultDraw(TCanvas* ACanvas, RECT ARect, TOwnerDrawState State);

  std::string caption_, hint_;
  bool checked_ = false, enabled_ = true, visible_ = true, default_ = false, radioItem_ = false;
  int groupIndex_ = 0, imageIndex_ = -1;
  TShortCut shortCut_ = scNone;
  std::unique_ptr<TBitmap> bitmap_;
  std::vector<TMenuItem*> items_;
  TMenuItem* parent_ = nullptr;
  TMenu* menu_ = nullptr;  // set on a menu's root item
  UINT command_ = 0;
  HMENU handle_ = nullptr;
  std::unique_ptr<TMenuActionLink> actionLink_;
  bool rebuilding_ = false;
};

// Caption, Checked, Enabled, Hint, ImageIndex, ShortCut, Visible and
// GroupIndex of a menu item follow its action.
class TMenuActionLink : public TActionLink {
 public:
  explicit TMenuActionLink(TMenuItem* AClient) : TActionLink(AClient), item_(AClient) {}
  void SetCaption(const std::string& Value) override;
  void SetChecked(bool Value) override;
  void SetEnabled(bool Value) override;
  void SetGroupIndex(int Value) override;
  void SetHint(const std::string& Value) override;
  void SetImageIndex(int Value) override;
  void SetShortCut(TShortCut Value) override;
  void SetVisible(bool Value) override;

 private:
  TMenuItem* item_;
};

class TMenu : public TMenuBase {
 public:
  explicit TMenu(TComponent* AOwner);
  ~TMenu() override;

  TMenuItem* Items() const { return items_; }
  TCustomImageList* Images() const { return images_; }
  void SetImages(TCustomImageList* Value);
  bool OwnerDraw() const { return ownerDraw_; }
  void SetOwnerDraw(bool Value);
  HMENU Handle() { return GetHandle(); }

  TMenuItem* FindItem(uintptr_t Value, TFindItemKind Kind);
  bool DispatchCommand(WORD ACommand);
  bool DispatchPopup(HMENU AMenu);

  // TMenuBase
  HMENU GetHandle() override;
  bool IsShortCut(WORD Key, TShiftState Shift) override;
  bool DispatchMenuMessage(TMessage& Message) override;

  // An item changed: the menu's handles show it again.
  virtual void MenuChanged(TMenuItem* Source);

 protected:
  friend class TMenuItem;
  virtual HMENU CreateMenuHandle();
  void Notification(TComponent* AComponent, TOperation Operation) override;
  bool MeasureOrDraw(TMessage& Message);

 private:
  TMenuItem* items_;
  TCustomImageList* images_ = nullptr;
  std::unique_ptr<TChangeLink> imageLink_;
  bool ownerDraw_ = false;
};

class TMainMenu : public TMenu {
 public:
  explicit TMainMenu(TComponent* AOwner) : TMenu(AOwner) {}
  void AttachedTo(HWND Window) override;
  void MenuChanged(TMenuItem* Source) override;
  HWND WindowHandle() const { return window_; }

 protected:
  HMENU CreateMenuHandle() override;

 private:
  HWND window_ = nullptr;
};

class TPopupMenu : public TMenu {
 public:
  explicit TPopupMenu(TComponent* AOwner);
  ~TPopupMenu() override;

  bool AutoPopup = true;
  TPopupAlignment Alignment = paLeft;
  // The control whose context menu it was, set before OnPopup runs.
  TComponent* PopupComponent() const { return popupComponent_; }
  void SetPopupComponent(TComponent* Value);
  // The window that hears the menu's messages while it is shown (by default a
  // hidden window of the menus); the skin points it at its form.
  HWND WindowHandle();
  void SetWindowHandle(HWND Value) { windowHandle_ = Value; }
  // Shows the menu at a screen point and runs the menu loop; the chosen
  // item's click arrives once the loop has ended.
  virtual void Popup(int X, int Y);

  bool ContextPopup(TControl* Control, POINT At) override;
  TNotifyEvent OnPopup;

 protected:
  virtual void DoPopup(TObject* Sender);
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  TComponent* popupComponent_ = nullptr;
  HWND windowHandle_ = nullptr;
};

// Fires the update of the actions of an item's sub-items (before it drops down).
void InitiateActions(TMenuItem* Item);
// The caption without its access-key marks ("&File" -> "File", "&&" -> "&").
std::string StripHotkey(const std::string& Text);

}  // namespace qv
