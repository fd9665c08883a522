// Forms and their relatives: TCustomForm/TForm (top-level windows with a
// border style, activation, the active control, key preview, closing and
// modal showing), TScrollingWinControl and TFrame (containers placed on
// forms), TDataModule (a non-visual container), and TButtonControl, the
// base through which buttons answer Enter and Esc as a form's default and
// cancel buttons and Space when focused.
#pragma once
#include <memory>
#include <vector>

#include "classlib/controls/BasicAction.h"
#include "classlib/controls/CustomControl.h"
#include "classlib/controls/MenuBase.h"
#include "classlib/controls/ScrollingWinControl.h"
#include "classlib/controls/ShortCuts.h"

namespace qv {

class TMainMenu;

enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = Set<TBorderIcon>;
enum TPosition {
  poDesigned,
  poDefault,
  poDefaultPosOnly,
  poDefaultSizeOnly,
  poScreenCenter,
  poDesktopCenter,
  poMainFormCenter,
  poOwnerFormCenter
};
enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TTileMode { tbHorizontal, tbVertical };
enum TFormStateItem { fsCreating, fsVisible, fsShowing, fsModal, fsCreatedMDIChild, fsActivated };
using TFormState = Set<TFormStateItem>;
enum TCloseAction { caNone, caHide, caFree, caMinimize };
using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;

class TCustomForm : public TScrollingWinControl {
 public:
  explicit TCustomForm(TComponent* AOwner);
  ~TCustomForm() override;
  void AfterConstruction() override;

  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle Value);
  TBorderIcons BorderIcons() const { return borderIcons_; }
  void SetBorderIcons(TBorderIcons Value);
  TPosition Position = poDesigned;
  // The density the form was built for; a scaled form is resized to the
  // screen's density once it is constructed.
  int PixelsPerInch = 96;
  bool Scaled = true;
  // Forms keep their place and scale their client area.
  void ChangeScale(int M, int D) override;
  TFormStyle FormStyle() const { return formStyle_; }
  void SetFormStyle(TFormStyle Value);
  TWindowState WindowState() const { return windowState_; }
  void SetWindowState(TWindowState Value);
  bool KeyPreview = false;
  TFormState FormState() const { return formState_; }
  bool Active() const { return active_; }
  TCanvas* Canvas() const { return canvas_.get(); }

  TWinControl* ActiveControl() const { return activeControl_; }
  void SetActiveControl(TWinControl* Control);
  TModalResult ModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult Value) { modalResult_ = Value; }

  void Show();
  void Hide() { SetVisible(false); }
  // Shows the form, disables the other forms and runs the messages until
  // ModalResult is set or the form closes; returns ModalResult.
  virtual TModalResult ShowModal();
  void Close();
  virtual bool CloseQuery();
  // Frees the form once the messages under way are done.
  void Release();

  // Focus bookkeeping: the control that received the focus.
  bool SetFocusedControl(TWinControl* Control);
  void FocusControl(TWinControl* Control);
  // A control that is going away (hidden, disabled, removed) loses the focus.
  void ControlRemoved(TWinControl* Control);

  // The main menu (a TMainMenu of classlib/menus), shown as the window's menu bar.
  template <class M = TMainMenu>
  M* Menu() const {
    return static_cast<M*>(menu_);
  }
  void SetMenu(TMenuBase* Value);
  // The menu's handle changed (items rebuilt): the menu bar shows it again.
  void MenuChanged();

  void Dispatch(TMessage& Message) override;
  // Whether the key is one of this form's shortcuts: OnShortCut, the main
  // menu's items, then the form's action lists. True consumes it.
  virtual bool IsShortCut(WORD Key, TShiftState Shift);
  // The idle update: every action of the form's action lists (OnUpdate).
  virtual void UpdateActions();
  // The action lists owned by the form or by the components it owns.
  std::vector<TActionListBase*> ActionLists() const;

  // MDI. An fsMDIForm form holds its children in an MDI client window
  // (ClientHandle) that fills the room its aligned controls leave.
  HWND ClientHandle() const;
  TCustomForm* ActiveMDIChild() const;
  int MDIChildCount() const;
  TCustomForm* MDIChildren(int I) const;  // top of the z-order first
  TTileMode TileMode = tbHorizontal;
  void Cascade();
  void Tile();
  void ArrangeIcons();
  void Next();
  void Previous();

  TNotifyEvent OnCreate, OnDestroy, OnShow, OnHide, OnActivate, OnDeactivate, OnPaint;
  TShortCutEvent OnShortCut;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void AlignControls(TControl* AControl, RECT& Rect) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void FrameStyle(DWORD& Style, DWORD& ExStyle) const override;
  bool HasMenuBar() const override { return menu_ && !Parent(); }
  bool IsTopLevelControl() const override { return !Parent(); }
  void PaintWindow(HDC DC) override;
  virtual void Paint();
  virtual void DoClose(TCloseAction& Action);
  virtual void DoShow();
  virtual void DoHide();
  virtual void Activate();
  virtual void Deactivate();

 private:
  friend class TWinControl;
  friend class TApplication;
  void ApplyPosition();
  void ShowingChanged();
  void HandleActivate(TMessage& Message);
  void SetWindowFocus();
  void CloseModal();
  void MdiCreateParams(TCreateParams& Params);
  void CreateMdiClient();
  void MdiActivated(TMessage& Message);
  std::vector<TCustomForm*> MdiChildList() const;

  TBorderStyle borderStyle_ = bsSizeable;
  TBorderIcons borderIcons_{biSystemMenu, biMinimize, biMaximize};
  TFormStyle formStyle_ = fsNormal;
  TWindowState windowState_ = wsNormal;
  TFormState formState_;
  bool active_ = false;
  bool created_ = false;
  TWinControl* activeControl_ = nullptr;
  TMenuBase* menu_ = nullptr;
  TWinControl* focusedControl_ = nullptr;
  TModalResult modalResult_ = mrNone;
  std::unique_ptr<TControlCanvas> canvas_;
  HWND clientHandle_ = nullptr;
};

class TForm : public TCustomForm {
 public:
  explicit TForm(TComponent* AOwner) : TCustomForm(AOwner) {}
};

class TFrame : public TScrollingWinControl {
 public:
  explicit TFrame(TComponent* AOwner);
};

class TDataModule : public TComponent {
 public:
  explicit TDataModule(TComponent* AOwner);
  ~TDataModule() override;
  void AfterConstruction() override;
  TNotifyEvent OnCreate, OnDestroy;
};

class TButtonControl : public TWinControl {
 public:
  explicit TButtonControl(TComponent* AOwner);
  bool Default() const { return default_; }
  void SetDefault(bool Value) { default_ = Value; }
  bool Cancel() const { return cancel_; }
  void SetCancel(bool Value) { cancel_ = Value; }
  TModalResult ModalResult = mrNone;
  // Sets the form's ModalResult, then fires OnClick.
  void Click() override;
  void Dispatch(TMessage& Message) override;

 private:
  bool default_ = false, cancel_ = false;
  bool spaceDown_ = false;  // Space clicks on release, like a push button
};

// The form a control is on (the top of its parent chain when that is a form).
TCustomForm* GetParentForm(TControl* Control);

}  // namespace qv
