// TWinControl: a control with a window of its own. The window is made
// lazily (CreateParams -> CreateWnd -> CreateWindowHandle) and its window
// procedure leads into the object's message chain, so a window procedure
// installed on the handle (SetWindowLongPtr) sees every message first. It
// holds the child controls, lays them out by Align and Anchors, paints its
// graphic children, and runs focus, tab order and keyboard handling.
#pragma once
#include <string>
#include <vector>

#include "classlib/controls/Control.h"
#include "platform/window/Window.h"

namespace qv {

class TBrush;

struct TCreateParams {
  std::string Caption;
  DWORD Style = 0;
  DWORD ExStyle = 0;
  int X = 0, Y = 0, Width = 0, Height = 0;
  HWND WndParent = nullptr;
  void* Param = nullptr;
  WNDCLASSEXW WindowClass;
  std::u16string WinClassName;
};

class TWinControl : public TControl {
 public:
  explicit TWinControl(TComponent* AOwner);
  ~TWinControl() override;
  void ChangeScale(int M, int D) override;

  // The window, made on first use (the parent's first).
  HWND Handle();
  HWND WindowHandle() const { return handle_; }
  bool HandleAllocated() const { return handle_ != nullptr; }
  void HandleNeeded();
  // Destroys the window (children first); the control keeps its state and
  // makes a new window when one is needed again.
  void DestroyHandle();
  void RecreateWnd();
  // The window procedure the messages nobody handled go to.
  WNDPROC DefWndProc() const { return defWndProc_; }
  // Entry from the window procedure: runs WindowProc and reports exceptions.
  void MainWndProc(TMessage& Message);

  // Children: graphic controls first (bottom to top), then windowed ones.
  int ControlCount() const { return int(graphic_.size() + windowed_.size()); }
  TControl* Controls(int Index) const;
  void InsertControl(TControl* AControl);
  void RemoveControl(TControl* AControl);
  bool ContainsControl(TControl* Control) const;
  // The visible child at a client point (topmost first); windowed children only on request.
  TControl* ControlAtPos(POINT Pos, bool AllowDisabled, bool AllowWinControls = false);

  int TabOrder() const;
  void SetTabOrder(int Value);
  bool TabStop() const { return tabStop_; }
  void SetTabStop(bool Value) { tabStop_ = Value; }
  void GetTabOrderList(std::vector<TWinControl*>& List);
  TWinControl* FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop, bool CheckParent);
  void SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop);
  virtual void SetFocus();
  bool Focused() const;
  virtual bool CanFocus();

  bool Showing() const { return showing_; }
  bool IsShowing() const override { return showing_; }
  int BorderWidth() const { return borderWidth_; }
  void SetBorderWidth(int Value);

  // The frame's bevels. With a kind other than bkNone, each of the inner and
  // outer bevel that is cut takes BevelWidth pixels off every edge named in
  // BevelEdges: they belong to the non-client area, inside the window's own
  // border, and are drawn with it.
  TBevelEdges BevelEdges() const { return bevelEdges_; }
  void SetBevelEdges(TBevelEdges Value);
  TBevelCut BevelInner() const { return bevelInner_; }
  void SetBevelInner(TBevelCut Value);
  TBevelCut BevelOuter() const { return bevelOuter_; }
  void SetBevelOuter(TBevelCut Value);
  TBevelKind BevelKind() const { return bevelKind_; }
  void SetBevelKind(TBevelKind Value);
  int BevelWidth() const { return bevelWidth_; }
  void SetBevelWidth(int Value);
  // Pixels the bevels take off one named edge (0 without a bevel kind).
  int BevelEdgeSize() const;
  // R shrunk by the bevels on the edges they are on.
  void ExcludeBevels(RECT& R) const;
  // The size of the window's own border on each side (WS_BORDER, a sizing
  // frame, a client edge), from the window's styles.
  SIZE GetBorderDimensions();
  bool DoubleBuffered = false;
  bool ParentBackground() const { return style_.Contains(csParentBackground); }
  void SetParentBackground(bool Value);
  TBrush* Brush() const { return brush_.get(); }

  void DisableAlign() { ++alignLevel_; }
  void EnableAlign();
  bool AlignDisabled() const { return alignLevel_ > 0; }
  void Realign();
  void ScrollBy(int DeltaX, int DeltaY);
  // Sends the message to every child (stops at the first that answers non-zero).
  void Broadcast(TMessage& Message);
  void NotifyControls(UINT Msg);

  void SetParent(TWinControl* AParent) override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  RECT GetClientRect() override;
  POINT ClientOrigin() override;
  void Invalidate() override;
  void Update() override;
  void Repaint() override;
  void SetZOrder(bool TopMost) override;
  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;
  void DefaultHandler(TMessage& Message) override;

  TNotifyEvent OnEnter, OnExit;
  TKeyEvent OnKeyDown, OnKeyUp;
  TKeyPressEvent OnKeyPress;

  // The control whose window this is, or null.
  static TWinControl* FindControl(HWND Handle);

 protected:
  virtual void CreateParams(TCreateParams& Params);
  virtual void CreateWindowHandle(const TCreateParams& Params);
  virtual void CreateWnd();
  virtual void CreateHandle();
  virtual void DestroyWnd();
  virtual void DestroyWindowHandle();
  // The window styles the non-client area comes from, known without a window.
  virtual void FrameStyle(DWORD& Style, DWORD& ExStyle) const;
  // Whether the frame holds a menu bar (a form with a main menu).
  virtual bool HasMenuBar() const { return false; }
  virtual void AlignControls(TControl* AControl, RECT& Rect);
  // Draws the bevels on a window DC inside R (window coordinates) and moves
  // R inside them.
  void PaintBevels(HDC DC, RECT& R) const;
  // The non-client size changed (bevels, border width): the window lays out
  // its frame again and the children their client area.
  virtual void FrameChanged();
  virtual void AdjustClientRect(RECT& Rect);
  virtual void PaintWindow(HDC DC);
  void PaintHandler(TMessage& Message);
  // Paints the graphic children (from First upwards) onto DC, each clipped
  // to its bounds and with its own origin.
  void PaintControls(HDC DC, TControl* First);
  virtual void KeyDown(WORD& Key, TShiftState Shift);
  virtual void KeyUp(WORD& Key, TShiftState Shift);
  virtual void KeyPress(char16_t& Key);
  // The key events of a key message: the form first when it previews keys,
  // then the control's own. True when the key was taken (cleared).
  bool DoKeyDown(TMessage& Message);
  bool DoKeyUp(TMessage& Message);
  bool DoKeyPress(TMessage& Message);
  virtual void DoEnter();
  virtual void DoExit();
  virtual void UpdateShowing();
  // Whether the control may show without a parent control (forms).
  virtual bool IsTopLevelControl() const { return false; }
  void RequestAlign() override;
  bool IsControlMouseMsg(TMessage& Message);
  void SetShowingDirect(bool Value) { showing_ = Value; }

 private:
  friend class TControl;
  friend class TCustomForm;
  static LRESULT ControlWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  void AlignControl(TControl* AControl);
  void ApplyAnchors(TControl* Control, const RECT& Client);
  HWND PrecedingWindow(TWinControl* Control) const;
  void UpdateBoundsFromWindow();
  void HandleKeyNotify(TMessage& Message);
  bool IsMenuKey(WORD Key);
  void ReflectToChild(TMessage& Message, HWND Child);
  void HandleSetCursor(TMessage& Message);
  void HandleEraseBackground(TMessage& Message);
  void HandleNcCalcSize(TMessage& Message);
  void HandleNcPaint(TMessage& Message);

  HWND handle_ = nullptr;
  WNDPROC defWndProc_ = nullptr;
  std::vector<TControl*> graphic_;
  std::vector<TWinControl*> windowed_;
  std::vector<TWinControl*> tabList_;
  bool tabStop_ = false;
  bool showing_ = false;
  int borderWidth_ = 0;
  TBevelEdges bevelEdges_{beLeft, beTop, beRight, beBottom};
  TBevelCut bevelInner_ = bvRaised, bevelOuter_ = bvLowered;
  TBevelKind bevelKind_ = bkNone;
  int bevelWidth_ = 1;
  int alignLevel_ = 0;
  bool aligning_ = false;
  std::unique_ptr<TBrush> brush_;
};

// The form (or top-level windowed control) a control is on.
TWinControl* GetParentWindowControl(TControl* Control);

}  // namespace qv
