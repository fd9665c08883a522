// Skinned labels: the class library's label made transparent, taking its
// text colour from the active skin and drawing disabled text as a mix of
// its font colour and the background; the bound label of edit controls.
#pragma once
#include "classlib/stdctrls/Label.h"
#include "skin/controls/skSkinCommands.h"

namespace qv {

class TSkBoundLabel;

class TSkCustomLabel : public TCustomLabel, protected TSkCommandHooks {
 public:
  explicit TSkCustomLabel(TComponent* AOwner);
  void WndProc(TMessage& Message) override;

 protected:
  void AfterSkinRemoved(TMessage& Message) override;
  // The font to paint with: the skin's global font colour applied first.
  virtual TFont* GetCurrentFont();
  void Paint() override;
  void DoDrawText(RECT& Rect, UINT Flags) override;
};

class TSkLabel : public TSkCustomLabel {
 public:
  explicit TSkLabel(TComponent* AOwner);
  bool UseSkinColor = true;
  void WndProc(TMessage& Message) override;

 protected:
  TFont* GetCurrentFont() override;
  bool SkinRemoved(TMessage& Message) override;
  bool OtherSkinRemoved(TMessage& Message) override;
  bool CtrlHandled(TMessage& Message) override;
};

// The label a bound label makes beside its edit.
class TSkEditLabel : public TSkLabel {
 public:
  TSkEditLabel(TComponent* AOwner, TSkBoundLabel* BoundLabel);
  ~TSkEditLabel() override;
  TSkBoundLabel* BoundLabel() const { return boundLabel_; }

 private:
  TSkBoundLabel* boundLabel_;
};

// Installs the edit label as the bound labels' label maker.
void RegisterEditLabelFactory();

}  // namespace qv
