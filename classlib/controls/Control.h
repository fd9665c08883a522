// TControl: the base of every visual control. It holds the geometry, the
// appearance shared with the parent (colour, font, hint), alignment and
// anchors, and the message chain WindowProc -> WndProc -> Dispatch ->
// DefaultHandler that both windowed and graphic controls run.
#pragma once
#include <functional>
#include <memory>
#include <string>

#include "classlib/Component.h"
#include "classlib/controls/ControlMessages.h"
#include "classlib/controls/ControlTypes.h"
#include "platform/gdi/SystemColors.h"

namespace qv {

class TWinControl;
class TFont;
class TPopupMenu;
class TMenuBase;
class TBasicAction;
class TControlActionLink;

using TWndMethod = std::function<void(TMessage& Message)>;
// Before a control's context menu pops up; Handled keeps it from showing.
using TContextPopupEvent = std::function<void(TObject* Sender, POINT MousePos, bool& Handled)>;

// Minimum and maximum sizes; 0 means "no limit".
// n * m / d rounded to the nearest integer (the scaling of ChangeScale).
inline int MulDiv(int n, int m, int d) {
  if (d == 0) return -1;
  long long p = (long long)n * m, half = (d < 0 ? -d : d) / 2;
  // Halves round away from zero.
  return int(((p < 0) != (d < 0) ? p - (d < 0 ? -half : half) : p + (d < 0 ? -half : half)) / d);
}

class TSizeConstraints : public TPersistent {
 public:
  int MinWidth = 0, MinHeight = 0, MaxWidth = 0, MaxHeight = 0;
  // Clamps a proposed size to the limits.
  void Apply(int& Width, int& Height) const;
  void Assign(TPersistent* Source) override;
};

class TControl : public TComponent {
 public:
  explicit TControl(TComponent* AOwner);
  ~TControl() override;

  // The tree. Setting a parent inserts the control at the top of its siblings.
  TWinControl* Parent() const { return parent_; }
  virtual void SetParent(TWinControl* AParent);

  // Geometry in the parent's client coordinates.
  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetLeft(int Value) { SetBounds(Value, top_, width_, height_); }
  void SetTop(int Value) { SetBounds(left_, Value, width_, height_); }
  void SetWidth(int Value) { SetBounds(left_, top_, Value, height_); }
  void SetHeight(int Value) { SetBounds(left_, top_, width_, Value); }
  virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
  RECT BoundsRect() const { return RECT{left_, top_, left_ + width_, top_ + height_}; }
  void SetBoundsRect(const RECT& R) { SetBounds(R.left, R.top, R.Width(), R.Height()); }
  virtual RECT GetClientRect();
  RECT ClientRect() { return GetClientRect(); }
  int ClientWidth() { return GetClientRect().right; }
  int ClientHeight() { return GetClientRect().bottom; }
  void SetClientWidth(int Value);
  void SetClientHeight(int Value);
  // Screen position of the client area's top-left corner.
  virtual POINT ClientOrigin();
  POINT ClientToScreen(POINT P) { return POINT{P.x + ClientOrigin().x, P.y + ClientOrigin().y}; }
  POINT ScreenToClient(POINT P) { return POINT{P.x - ClientOrigin().x, P.y - ClientOrigin().y}; }

  bool Visible() const { return visible_; }
  void SetVisible(bool Value);
  void Show();
  void Hide() { SetVisible(false); }
  bool Enabled() const { return enabled_; }
  virtual void SetEnabled(bool Value);
  // Visible here and all the way up to a showing window.
  virtual bool IsShowing() const;

  TAlign Align() const { return align_; }
  void SetAlign(TAlign Value);
  TAnchors Anchors() const { return anchors_; }
  void SetAnchors(TAnchors Value);
  TSizeConstraints& Constraints() { return constraints_; }

  TColor Color() const { return color_; }
  void SetColor(TColor Value);
  bool ParentColor() const { return parentColor_; }
  void SetParentColor(bool Value);
  TFont* Font() const { return font_.get(); }
  void SetFont(TFont* Value);
  bool ParentFont() const { return parentFont_; }
  void SetParentFont(bool Value);

  // Caption and Text are the same string; windowed controls keep it in the window.
  std::string Text();
  void SetText(const std::string& Value);
  std::string Caption() { return Text(); }
  void SetCaption(const std::string& Value) { SetText(Value); }

  // The help topic of the control (0: ask the parent).
  int HelpContext = 0;
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& Value) { hint_ = Value; }
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool Value);
  bool ParentShowHint() const { return parentShowHint_; }
  void SetParentShowHint(bool Value);
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor Value);
  // The context menu (a TPopupMenu of classlib/menus) that WM_CONTEXTMENU pops up.
  template <class M = TPopupMenu>
  M* PopupMenu() const {
    return static_cast<M*>(popupMenu_);
  }
  void SetPopupMenu(TMenuBase* Value);

  // The action the control follows (caption, enabled, hint, visible) and
  // that a click executes when OnClick is not set.
  TBasicAction* Action() const;
  void SetAction(TBasicAction* Value);
  TControlActionLink* ActionLink() const { return actionLink_.get(); }
  // Runs the action's update (OnUpdate).
  virtual void InitiateAction();
  bool IsRightToLeft() const { return false; }
  bool UseRightToLeftAlignment() const { return false; }

  TControlStyle& ControlStyle() { return style_; }
  const TControlStyle& ControlStyle() const { return style_; }
  TControlState& ControlState() { return state_; }
  const TControlState& ControlState() const { return state_; }
  bool MouseCapture() const;
  void SetMouseCapture(bool Value);

  // The message chain. WindowProc is replaceable; the default calls WndProc.
  TWndMethod WindowProc;
  LRESULT Perform(UINT Msg, WPARAM WParam, LPARAM LParam);
  virtual void WndProc(TMessage& Message);
  // Runs the handler this class (or a base) has for the message, else DefaultHandler.
  virtual void Dispatch(TMessage& Message);
  virtual void DefaultHandler(TMessage& Message);

  virtual void Invalidate();
  virtual void Update();
  virtual void Repaint();
  void Refresh() { Repaint(); }
  void BringToFront() { SetZOrder(true); }
  void SendToBack() { SetZOrder(false); }
  virtual void SetZOrder(bool TopMost);

  virtual void Click();
  virtual void DblClick();

  // A token that expires when the control is destroyed: code that fires
  // events checks it before touching the control again.
  std::weak_ptr<void> AliveToken() const { return alive_; }

  TNotifyEvent OnClick, OnDblClick, OnResize, OnMouseEnter, OnMouseLeave;
  TMouseEvent OnMouseDown, OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  TCanResizeEvent OnCanResize;
  TMouseWheelEvent OnMouseWheel;
  TContextPopupEvent OnContextPopup;

  // Scales bounds, size limits and an own font by M/D (a form designed at D
  // pixels per inch shown on a screen of M); windowed controls scale their
  // children too.
  virtual void ChangeScale(int M, int D);

  // The control that has the mouse captured (a graphic control's capture is
  // held by its parent's window).
  static TControl* CaptureControl();

 protected:
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void MouseMove(TShiftState Shift, int X, int Y);
  virtual void Resize();
  virtual bool CanResize(int& NewWidth, int& NewHeight);
  // Applies OnCanResize and the constraints to a proposed size.
  void CheckNewSize(int& NewWidth, int& NewHeight);
  // Asks the parent to lay out its children again.
  virtual void RequestAlign();
  // Tells a windowless control of its new bounds by WM_WINDOWPOSCHANGED, WM_MOVE and WM_SIZE.
  void PerformBoundsMessages(bool Moved, bool Sized);
  // After a move or resize: the parent lays out or rescrolls its children.
  void BoundsChanged();
  virtual void VisibleChanging() {}
  // The link SetAction makes; controls that follow more of the action return their own.
  virtual std::unique_ptr<TControlActionLink> CreateActionLink();
  // WM_CONTEXTMENU: OnContextPopup, then the popup menu; true when handled.
  virtual bool DoContextPopup(POINT Screen);
  // Records the distances to the parent's right and bottom edges, which the
  // right and bottom anchors keep when the parent is resized.
  void UpdateAnchorRules();
  void SetTextDirect(const std::string& Value) { text_ = Value; }
  const std::string& TextDirect() const { return text_; }
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  friend class TWinControl;
  void HandleMouse(TMessage& M);
  void DoMouseDown(TMessage& M, TMouseButton Button, TShiftState Shift);
  void DoMouseUp(TMessage& M, TMouseButton Button);
  void FontChanged();
  void DoParentFontChanged();
  void DoParentColorChanged();

  TWinControl* parent_ = nullptr;
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  bool visible_ = true, enabled_ = true;
  TAlign align_ = alNone;
  TAnchors anchors_ = kDefaultAnchors;
  POINT anchorMargin_;  // distances to the parent's right and bottom edges
  bool anchorValid_ = false;
  bool anchoring_ = false;  // the parent is moving the control by its anchors
  TSizeConstraints constraints_;
  TColor color_ = clWindow;
  bool parentColor_ = false;
  std::unique_ptr<TFont> font_;
  bool parentFont_ = true;
  bool fromParent_ = false;  // the font or colour is being copied from the parent
  std::string text_, hint_;
  bool showHint_ = false, parentShowHint_ = true;
  TCursor cursor_ = crDefault;
  TMenuBase* popupMenu_ = nullptr;
  std::unique_ptr<TControlActionLink> actionLink_;
  TControlStyle style_{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  TControlState state_;
  std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace qv
