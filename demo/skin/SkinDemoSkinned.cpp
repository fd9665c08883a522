// The skin demo's page of skinned class-library controls: an edit, a spin
// edit, an edit with a button and a speed button on a skinned panel.
#include "demo/skin/SkinDemoForm.h"
#include "skin/controls/skCustomComboEdit.h"
#include "skin/controls/skEdit.h"
#include "skin/controls/skPanel.h"
#include "skin/controls/skSpeedButton.h"
#include "skin/controls/skSpinEdit.h"
#include "skin/controls/skTooledit.h"

namespace qv::demo {

namespace {
// An edit whose button shows the "..." glyph.
class TDemoEllipsisEdit : public TSkCustomComboEdit {
 public:
  explicit TDemoEllipsisEdit(TComponent* AOwner) : TSkCustomComboEdit(AOwner) {
    defaultGlyph_ = "BTN_ELLIPSIS";
  }
};
}  // namespace

void TSkinDemoForm::AddSkinnedControls() {
  ControlsPanel = new TSkPanel(this);
  ControlsPanel->SetParent(Background);
  ControlsPanel->SetBounds(290, 190, 250, 150);
  Edit = new TSkEdit(this);
  Edit->SetParent(ControlsPanel);
  Edit->SetBounds(12, 12, 226, 21);
  Edit->SetText("A skinned edit");
  Spin = new TSkSpinEdit(this);
  Spin->SetParent(ControlsPanel);
  Spin->SetBounds(12, 44, 100, 21);
  Spin->MinValue = 0, Spin->MaxValue = 1073741824, Spin->Increment = 1024;
  Spin->SetValue(1024);
  ButtonEdit = new TDemoEllipsisEdit(this);
  ButtonEdit->SetParent(ControlsPanel);
  ButtonEdit->SetBounds(120, 44, 118, 21);
  ButtonEdit->SetText("Browse");
  Speed = new TSkSpeedButton(this);
  Speed->SetParent(ControlsPanel);
  Speed->SkinData()->SetSkinSection("BUTTON");
  Speed->SetBounds(12, 80, 100, 26);
  Speed->SetCaption("Speed button");
  DateEdit = new TSkDateEdit(this);
  DateEdit->SetParent(ControlsPanel);
  DateEdit->SetBounds(120, 82, 118, 21);
  DateEdit->SetDate(EncodeDate(2026, 12, 7));
}

}  // namespace qv::demo
