// The combo box's state and the operations its window procedure and its
// painter share. Internal to the system controls.
// Private to its folder: scripts/check-includes.py refuses it anywhere else.
#pragma once
#include "platform/controls/ComboBox.h"

namespace qv::cb {

struct Combo {
  HWND hwnd = nullptr;
  HWND notify = nullptr;  // the parent
  HWND edit = nullptr;    // the edit child of the editable styles
  HWND list = nullptr;
  WNDPROC editProc = nullptr;  // the edit's procedure under our subclass
  DWORD style = 0;
  UINT id = 0;
  HFONT font = nullptr;
  int fieldHeight = 21;  // the closed control's height
  int fieldItemHeight = 13;
  int droppedHeight = 0;  // the list's height when dropped
  int droppedWidth = 0;
  bool dropped = false;
  bool focused = false;
  bool buttonDown = false;
  bool extendedUI = false;
  bool settingEdit = false;  // the combo itself is changing the edit's text
  int selBeforeDrop = -1;

  int Kind() const { return int(style & 3); }
  bool Simple() const { return Kind() == CBS_SIMPLE; }
  bool DropList() const { return Kind() == CBS_DROPDOWNLIST; }
  bool OwnerDraw() const { return style & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE); }
};

Combo* Data(HWND hwnd);
RECT ButtonRect(const Combo& c);
RECT FieldRect(const Combo& c);  // inside the border, left of the button
void Layout(Combo& c);
void Paint(Combo& c, HDC dc);  // into dc when given, else through BeginPaint
int CurrentSelection(const Combo& c);

}  // namespace qv::cb
