// TUpDown over the up-down window class: Min, Max, Position and Increment,
// wrapping, arrow keys, an associated control (usually an edit) that shows
// the position and hosts the arrows at its edge, OnChanging that may refuse
// a step, and OnClick with the arrow pressed.
#pragma once
#include <functional>

#include "classlib/controls/WinControl.h"

namespace qv {

enum TUDBtnType { btNext, btPrev };
enum TUDAlignButton { udLeft, udRight };
enum TUDOrientation { udHorizontal, udVertical };

using TUDClickEvent = std::function<void(TObject* Sender, TUDBtnType Button)>;
using TUDChangingEvent = std::function<void(TObject* Sender, bool& AllowChange)>;

class TUpDown : public TWinControl {
 public:
  explicit TUpDown(TComponent* AOwner);
  int Min() const { return min_; }
  int Max() const { return max_; }
  void SetMin(int Value);
  void SetMax(int Value);
  int Position();
  void SetPosition(int Value);
  int Increment = 1;
  bool Wrap() const { return wrap_; }
  void SetWrap(bool Value);
  bool ArrowKeys() const { return arrowKeys_; }
  void SetArrowKeys(bool Value);
  TUDOrientation Orientation() const { return orientation_; }
  void SetOrientation(TUDOrientation Value);
  TUDAlignButton AlignButton() const { return alignButton_; }
  void SetAlignButton(TUDAlignButton Value);
  TWinControl* Associate() const { return associate_; }
  void SetAssociate(TWinControl* Value);
  TUDClickEvent OnClick;
  TUDChangingEvent OnChanging;
  void Dispatch(TMessage& Message) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  virtual bool CanChange();
  virtual void DoClick(TUDBtnType Button);

 private:
  int min_ = 0, max_ = 100, position_ = 0;
  int lastStep_ = 0;  // the step the window last announced
  bool wrap_ = false, arrowKeys_ = true;
  TUDOrientation orientation_ = udVertical;
  TUDAlignButton alignButton_ = udRight;
  TWinControl* associate_ = nullptr;
};

}  // namespace qv
