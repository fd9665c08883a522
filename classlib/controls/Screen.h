// TScreen (the global Screen: the forms, the active form and control, the
// screen cursor and cursor table, screen and work-area sizes, font names and
// the hint font) and TMouse (the global Mouse: position, capture, drag
// threshold, wheel lines).
#pragma once
#include <map>
#include <memory>
#include <vector>

#include "classlib/Component.h"
#include "classlib/Strings.h"
#include "classlib/controls/ControlTypes.h"

namespace qv {

class TCustomForm;
class TWinControl;
class TDataModule;
class TFont;

class TScreen : public TComponent {
 public:
  explicit TScreen(TComponent* AOwner);
  ~TScreen() override;

  int FormCount() const { return int(forms_.size()); }
  TCustomForm* Forms(int Index) const { return forms_.at(size_t(Index)); }
  int CustomFormCount() const { return FormCount(); }
  TCustomForm* CustomForms(int Index) const { return Forms(Index); }
  int DataModuleCount() const { return int(dataModules_.size()); }
  TDataModule* DataModules(int Index) const { return dataModules_.at(size_t(Index)); }
  TCustomForm* ActiveForm() const { return activeForm_; }
  TCustomForm* ActiveCustomForm() const { return activeForm_; }
  TWinControl* ActiveControl() const { return activeControl_; }

  // While not crDefault, this cursor shows over every window of the program.
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor Value);
  // The cursor handle of an id; unknown ids give the arrow.
  HCURSOR Cursors(TCursor Index) const;
  void SetCursors(TCursor Index, HCURSOR Handle);

  int Width() const;
  int Height() const;
  RECT WorkAreaRect() const;
  int WorkAreaWidth() const { return WorkAreaRect().Width(); }
  int WorkAreaHeight() const { return WorkAreaRect().Height(); }
  int WorkAreaLeft() const { return WorkAreaRect().left; }
  int WorkAreaTop() const { return WorkAreaRect().top; }
  // The screen's density as the display reports it (96 when it says nothing).
  int PixelsPerInch() const;
  TStrings* Fonts();
  // The system's fonts, as large as the screen's density makes the
  // system's text (unless a program gave them a size of its own).
  TFont* HintFont() const { return FollowDensity(hintFont_.get()); }
  TFont* IconFont() const { return FollowDensity(iconFont_.get()); }
  TFont* MenuFont() const { return FollowDensity(menuFont_.get()); }

  TNotifyEvent OnActiveFormChange, OnActiveControlChange;

  // Bookkeeping of the forms and modules (called by them).
  void AddForm(TCustomForm* Form);
  void RemoveForm(TCustomForm* Form);
  void AddDataModule(TDataModule* Module);
  void RemoveDataModule(TDataModule* Module);
  void SetActiveForm(TCustomForm* Form);
  void SetActiveControl(TWinControl* Control);
  // The active form became the top of the list (the order forms were active in).
  void ControlDestroyed(TControl* Control);

 private:
  std::vector<TCustomForm*> forms_;
  std::vector<TDataModule*> dataModules_;
  TCustomForm* activeForm_ = nullptr;
  TWinControl* activeControl_ = nullptr;
  TCursor cursor_ = crDefault;
  std::map<TCursor, HCURSOR> cursors_;
  std::unique_ptr<TStringList> fonts_;
  TFont* FollowDensity(TFont* font) const;
  mutable std::map<const TFont*, int> systemHeights_;
  std::unique_ptr<TFont> hintFont_, iconFont_, menuFont_;
};

class TMouse {
 public:
  POINT CursorPos() const;
  void SetCursorPos(POINT Value);
  HWND Capture() const;
  void SetCapture(HWND Value);
  int DragThreshold = 5;
  bool MousePresent() const { return true; }
  int WheelScrollLines() const;
};

extern TScreen* Screen;
extern TMouse* Mouse;

}  // namespace qv
