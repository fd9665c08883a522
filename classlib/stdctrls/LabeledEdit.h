// TLabeledEdit: an edit with a caption label (EditLabel) that stays beside
// it above, below, left or right, follows its visibility and enabled state,
// and focuses the edit by its accelerator.
#pragma once
#include "classlib/controls/CustomControl.h"
#include "classlib/stdctrls/CustomEdit.h"

namespace qv {

class TCustomLabeledEdit;

// The edit's label: caption text painted transparently with its "&" underline.
class TBoundLabel : public TGraphicControl {
 public:
  explicit TBoundLabel(TCustomLabeledEdit* Edit);
  TCustomLabeledEdit* FocusControl() const { return edit_; }
  void Dispatch(TMessage& Message) override;
  // Sizes the label to its caption.
  void AdjustBounds();

 protected:
  void Paint() override;

 private:
  TCustomLabeledEdit* edit_;
};

enum TLabelPosition { lpAbove, lpBelow, lpLeft, lpRight };

class TCustomLabeledEdit : public TCustomEdit {
 public:
  explicit TCustomLabeledEdit(TComponent* AOwner);
  ~TCustomLabeledEdit() override;

  TBoundLabel* EditLabel() const { return label_; }
  TLabelPosition LabelPosition() const { return labelPosition_; }
  void SetLabelPosition(TLabelPosition Value);
  int LabelSpacing() const { return labelSpacing_; }
  void SetLabelSpacing(int Value);

  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void SetParent(TWinControl* AParent) override;
  void Dispatch(TMessage& Message) override;
  // Puts the label beside the edit.
  void PlaceLabel();

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  TBoundLabel* label_ = nullptr;
  TLabelPosition labelPosition_ = lpAbove;
  int labelSpacing_ = 3;
};

class TLabeledEdit : public TCustomLabeledEdit {
 public:
  explicit TLabeledEdit(TComponent* AOwner) : TCustomLabeledEdit(AOwner) {}
};

}  // namespace qv
