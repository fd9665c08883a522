// TApplication (the global Application): the message loop (Run,
// HandleMessage, re-entrant ProcessMessages), idle processing, forms made
// with CreateForm (the first is the main form), deferred freeing of
// released forms, hints, main-window hooks, and the default report of
// exceptions that escape an event handler.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "classlib/Component.h"
#include "classlib/controls/ControlMessages.h"
#include "classlib/controls/ControlTypes.h"
#include "classlib/controls/ShortCuts.h"
#include "platform/gdi/SystemColors.h"
#include "platform/window/Messages.h"

namespace qv {

class TControl;
class TCustomForm;
class TWinControl;
class THintWindow;
class TIcon;

using THintWindowFactory = std::function<THintWindow*(TComponent* Owner)>;

// What CM_HINTSHOW and OnShowHint may change before a hint shows.
struct THintInfo {
  TControl* HintControl = nullptr;
  POINT HintPos;  // screen position of the hint window
  int HintMaxWidth = 0;
  TColor HintColor = clInfoBk;
  RECT CursorRect;  // the hint stays while the mouse is inside (control coordinates)
  POINT CursorPos;  // control coordinates
  int ReshowTimeout = 0;
  int HideTimeout = 0;
  std::string HintStr;
  // A control may show its hint in a window class of its own, with data for it.
  THintWindowFactory HintWindowClass;
  void* HintData = nullptr;
};

using TWindowHook = std::function<bool(TMessage& Message)>;
using TIdleEvent = std::function<void(TObject* Sender, bool& Done)>;
using TMessageEvent = std::function<void(MSG& Msg, bool& Handled)>;
using TExceptionEvent = std::function<void(TObject* Sender, std::exception& E)>;
using TShowHintEvent = std::function<void(std::string& HintStr, bool& CanShow, THintInfo& HintInfo)>;
class TApplication : public TComponent {
 public:
  explicit TApplication(TComponent* AOwner);
  ~TApplication() override;

  // A hidden window for the application's timers and hooks.
  HWND Handle();
  void Initialize() {}
  // Makes a form owned by the application; the first one becomes MainForm.
  template <class T>
  void CreateForm(T*& Reference) {
    T* form = new T(this);
    Reference = form;
    form->AfterConstruction();
    // Data modules are made here too; only a form can be the main form.
    if constexpr (std::is_base_of_v<TCustomForm, T>)
      if (!mainForm_) mainForm_ = form;
  }
  TCustomForm* MainForm() const { return mainForm_; }
  // Runs the message loop until the application is terminated (the main form closed).
  void Run();
  // Handles every pending message and returns; safe to call from any handler.
  void ProcessMessages();
  // Handles one message, or idles (and waits) when there is none.
  void HandleMessage();
  void Terminate();
  bool Terminated() const { return terminated_; }

  std::string Title = "Quirvane";
  std::string ExeName() const;
  std::string HelpFile;
  bool HelpContext(int Context) {
    (void)Context;
    return false;
  }
  TIcon* Icon = nullptr;
  bool Active() const;
  void BringToFront();
  void Minimize();
  void Restore();

  // Hints.
  std::string Hint;  // the long hint of the control under the mouse
  bool ShowHint = true;
  TColor HintColor = clInfoBk;
  int HintPause = 500, HintShortPause = 50, HintHidePause = 2500;
  THintWindowFactory HintWindowClass;
  // The shortcut chain after the focused control's form: OnShortCut, then the main form.
  bool IsShortCut(WORD Key, TShiftState Shift);
  TShortCutEvent OnShortCut;
  TNotifyEvent OnHint;
  TShowHintEvent OnShowHint;
  void ActivateHint(POINT CursorPos);
  void CancelHint();
  // Cancels the hint when its control lies in the form.
  void CancelHintIn(TCustomForm* Form);
  void HideHint();
  THintWindow* HintWindow() const { return hintWindow_.get(); }
  // Drops the hint window, so the next hint is made by the current HintWindowClass.
  void ResetHintWindow();

  // Hooks see the application window's messages first; true = handled.
  int HookMainWindow(TWindowHook Hook);
  void UnhookMainWindow(int HookId);

  TIdleEvent OnIdle;
  TMessageEvent OnMessage;
  TExceptionEvent OnException;
  TNotifyEvent OnActivate, OnDeactivate;
  // Runs on every idle pass, for the action lists to update their actions.
  std::function<void()> OnActionUpdate;
  // The idle pass of the actions: every visible form's action lists update
  // their actions (OnUpdate). Public for code that needs them current now.
  void DoActionIdle();

  void HandleException(TObject* Sender, std::exception& E);
  void ShowException(std::exception& E);
  int MessageBox(const std::string& Text, const std::string& Caption, UINT Flags);

  // Used by the controls and forms.
  void HintMouseMessage(TControl* Control, TMessage& Message);
  void ControlDestroyed(TControl* Control);
  void ReleaseForm(TCustomForm* Form);
  // Nesting of modal loops and message dispatches: released forms are freed
  // only outside all of them.
  void EnterModal() { ++modalLevel_; }
  void LeaveModal() { --modalLevel_; }

 private:
  bool ProcessMessage(MSG& Msg);
  void Idle(const MSG& Msg);
  // Whether the pointer at ScreenPos still lies on the control whose hint waits.
  bool PointerOnHintControl(POINT ScreenPos);
  bool WindowAboveHintControl(const RECT& HintRect);
  bool IsKeyMsg(MSG& Msg);
  bool IsMDIMsg(const MSG& Msg);
  void IsHintMsg(const MSG& Msg);
  void DoMouseIdle();
  void SetMouseControl(TControl* Control);
  void FreeReleasedForms();
  void WndProc(TMessage& Message);
  void StartHintTimer(UINT Id, int Ms);
  void StopHintTimer(UINT Id);
  TControl* FindTargetControl(POINT Screen);

  HWND handle_ = nullptr;
  TCustomForm* mainForm_ = nullptr;
  bool terminated_ = false;
  int dispatchLevel_ = 0, modalLevel_ = 0;
  std::vector<TCustomForm*> released_;
  std::vector<std::pair<int, TWindowHook>> hooks_;
  int nextHookId_ = 1;
  TControl* mouseControl_ = nullptr;
  TControl* hintControl_ = nullptr;
  bool hintShown_ = false;
  std::unique_ptr<THintWindow> hintWindow_;
  bool hintWindowOfControl_ = false;  // made by a control's own hint window class
};

extern TApplication* Application;

// Entry points the control layer calls without depending on TApplication's
// lifetime (they do nothing when no application exists).
void ApplicationHintMouseMessage(TControl* Control, TMessage& Message);
void ControlDestroyed(TControl* Control);
void ApplicationHandleException(TObject* Sender, std::exception& E);

}  // namespace qv
