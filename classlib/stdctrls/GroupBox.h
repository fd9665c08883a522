// TGroupBox (an etched frame with a caption that holds other controls) and
// TRadioGroup (a group box holding one radio button per item, in columns).
#pragma once
#include <memory>
#include <vector>

#include "classlib/Strings.h"
#include "classlib/controls/CustomControl.h"

namespace qv {

class TRadioButton;

class TCustomGroupBox : public TCustomControl {
 public:
  explicit TCustomGroupBox(TComponent* AOwner);
  void Dispatch(TMessage& Message) override;

 protected:
  void AdjustClientRect(RECT& Rect) override;
  void Paint() override;
  int CaptionHeight();
};

class TGroupBox : public TCustomGroupBox {
 public:
  explicit TGroupBox(TComponent* AOwner) : TCustomGroupBox(AOwner) {}
};

class TCustomRadioGroup : public TCustomGroupBox {
 public:
  explicit TCustomRadioGroup(TComponent* AOwner);
  ~TCustomRadioGroup() override;

  TStrings* Items() const { return items_.get(); }
  void SetItems(TStrings* Value) { items_->Assign(Value); }
  int ItemIndex() const { return itemIndex_; }
  // Checks the item's button; OnClick follows, as after a user's click.
  void SetItemIndex(int Value);
  int Columns() const { return columns_; }
  void SetColumns(int Value);
  // The radio button of item Index.
  TRadioButton* Buttons(int Index) const { return buttons_.at(size_t(Index)); }
  void Dispatch(TMessage& Message) override;

 private:
  void UpdateButtons();
  void ArrangeButtons();
  void ButtonClick(TObject* Sender);

  std::unique_ptr<TStringList> items_;
  std::vector<TRadioButton*> buttons_;
  int itemIndex_ = -1;
  int columns_ = 1;
  bool updating_ = false;
};

class TRadioGroup : public TCustomRadioGroup {
 public:
  explicit TRadioGroup(TComponent* AOwner) : TCustomRadioGroup(AOwner) {}
};

}  // namespace qv
