// TWinControl's focus and keyboard handling: tab order, focusability,
// key events (with the form's key preview first), and the dialog keys
// (Tab, arrows, Enter, Esc) that go to the form unless the control wants them.
#include <algorithm>

#include "classlib/controls/Application.h"
#include "classlib/controls/Forms.h"
#include "classlib/controls/MenuBase.h"
#include "classlib/controls/WinControl.h"
#include "platform/window/Input.h"

namespace qv {

int TWinControl::TabOrder() const {
  if (!Parent()) return -1;
  auto& list = Parent()->tabList_;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : int(it - list.begin());
}

void TWinControl::SetTabOrder(int Value) {
  if (!Parent()) return;
  auto& list = Parent()->tabList_;
  std::erase(list, this);
  Value = std::clamp(Value, 0, int(list.size()));
  list.insert(list.begin() + Value, this);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& List) {
  for (auto* c : tabList_) {
    List.push_back(c);
    c->GetTabOrderList(List);
  }
}

TWinControl* TWinControl::FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop,
                                          bool CheckParent) {
  std::vector<TWinControl*> list;
  GetTabOrderList(list);
  int n = int(list.size());
  if (n == 0) return nullptr;
  auto found = std::find(list.begin(), list.end(), CurControl);
  int start = found == list.end() ? (GoForward ? n - 1 : 0) : int(found - list.begin());
  int i = start;
  do {
    i = GoForward ? (i + 1) % n : (i + n - 1) % n;
    TWinControl* c = list[size_t(i)];
    if (c != CurControl && c->CanFocus() && (!CheckTabStop || c->TabStop()) &&
        (!CheckParent || c->Parent() == this))
      return c;
  } while (i != start);
  return nullptr;
}

void TWinControl::SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop) {
  if (TWinControl* next = FindNextControl(CurControl, GoForward, CheckTabStop, !CheckTabStop))
    next->SetFocus();
}

bool TWinControl::CanFocus() {
  TCustomForm* form = GetParentForm(this);
  for (TWinControl* c = this; c; c = c->Parent()) {
    if (!c->Visible() || !c->Enabled()) return false;
    if (c == form) break;
  }
  return !form || (form->Visible() && form->Enabled());
}

void TWinControl::SetFocus() {
  if (TCustomForm* form = GetParentForm(this); form && form != this)
    form->FocusControl(this);
  else if (Visible() && Enabled())
    ::qv::SetFocus(Handle());
}

bool TWinControl::Focused() const {
  return handle_ && GetFocus() == handle_;
}

void TWinControl::DoEnter() {
  if (OnEnter) OnEnter(this);
}

void TWinControl::DoExit() {
  if (OnExit) OnExit(this);
}

void TWinControl::KeyDown(WORD& Key, TShiftState Shift) {
  if (OnKeyDown) OnKeyDown(this, Key, Shift);
}

void TWinControl::KeyUp(WORD& Key, TShiftState Shift) {
  if (OnKeyUp) OnKeyUp(this, Key, Shift);
}

void TWinControl::KeyPress(char16_t& Key) {
  if (OnKeyPress) OnKeyPress(this, Key);
}

// The three key paths share one rule: the form previews (KeyPreview), then
// the control; a key set to 0 is consumed.
bool TWinControl::DoKeyDown(TMessage& M) {
  TCustomForm* form = GetParentForm(this);
  auto alive = AliveToken();
  if (form && form != this && form->KeyPreview && form->DoKeyDown(M)) return true;
  if (alive.expired()) return true;
  WORD key = WORD(M.WParam);
  if (!ControlStyle().Contains(csNoStdEvents)) {
    KeyDown(key, KeyboardStateToShiftState());
    if (alive.expired()) return true;
    M.WParam = key;
  }
  return key == 0;
}

bool TWinControl::DoKeyUp(TMessage& M) {
  TCustomForm* form = GetParentForm(this);
  auto alive = AliveToken();
  if (form && form != this && form->KeyPreview && form->DoKeyUp(M)) return true;
  if (alive.expired()) return true;
  WORD key = WORD(M.WParam);
  if (!ControlStyle().Contains(csNoStdEvents)) {
    KeyUp(key, KeyboardStateToShiftState());
    if (alive.expired()) return true;
    M.WParam = key;
  }
  return key == 0;
}

bool TWinControl::DoKeyPress(TMessage& M) {
  TCustomForm* form = GetParentForm(this);
  auto alive = AliveToken();
  if (form && form != this && form->KeyPreview && form->DoKeyPress(M)) return true;
  if (alive.expired()) return true;
  char16_t ch = char16_t(M.WParam);
  if (!ControlStyle().Contains(csNoStdEvents)) {
    KeyPress(ch);
    if (alive.expired()) return true;
    M.WParam = ch;
  }
  return ch == 0;
}

// Shortcuts: the control's form first, then the application's chain.
// Modifier keys on their own are never shortcuts.
bool TWinControl::IsMenuKey(WORD Key) {
  if (Key == VK_SHIFT || Key == VK_CONTROL || Key == VK_MENU) return false;
  TShiftState shift = KeyboardStateToShiftState();
  auto alive = AliveToken();
  TCustomForm* form = GetParentForm(this);
  if (form && form->IsShortCut(Key, shift)) return true;
  if (alive.expired()) return true;
  // The context menus of the control and its parents.
  for (TControl* c = this; c; c = c->Parent())
    if (TMenuBase* popup = c->PopupMenu<TMenuBase>()) {
      if (popup->IsShortCut(Key, shift)) return true;
      if (alive.expired()) return true;
    }
  return Application && Application->IsShortCut(Key, shift);
}

// Before a key reaches the focused window: the parents may take it
// (CM_CHILDKEY), and the navigation keys the control does not want become
// the form's dialog keys.
void TWinControl::HandleKeyNotify(TMessage& M) {
  M.Result = 1;
  auto alive = AliveToken();
  if (Perform(CM_CHILDKEY, M.WParam, reinterpret_cast<LPARAM>(this)) != 0 || alive.expired()) return;
  if (IsMenuKey(WORD(M.WParam)) || alive.expired()) return;
  LRESULT mask = 0;
  switch (M.WParam) {
    case VK_TAB:
      mask = DLGC_WANTTAB;
      break;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
      mask = DLGC_WANTARROWS;
      break;
    case VK_RETURN:
    case VK_EXECUTE:
    case VK_ESCAPE:
    case VK_CANCEL:
      mask = DLGC_WANTALLKEYS;
      break;
  }
  if (mask && Perform(CM_WANTSPECIALKEY, M.WParam, M.LParam) == 0 && !(Perform(WM_GETDLGCODE, 0, 0) & mask)) {
    TCustomForm* form = GetParentForm(this);
    if (form && form->Perform(CM_DIALOGKEY, M.WParam, M.LParam) != 0) return;
  }
  if (!alive.expired()) M.Result = 0;
}

}  // namespace qv
