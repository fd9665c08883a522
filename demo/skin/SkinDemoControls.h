// Custom controls of the skin demo, painted through the skin engine: each
// owns its skin data and a cache bitmap, paints its section (background,
// nine-part border, glyphs, text) into the cache and copies it to the window;
// without a skin each paints plainly.
#pragma once
#include <memory>
#include <string>

#include "classlib/controls/CustomControl.h"
#include "skin/skCommonData.h"
#include "skin/skFade.h"

namespace qv::demo {

class TSkDemoControl : public TCustomControl {
 public:
  TSkDemoControl(TComponent* AOwner, const std::string& Section, int ClassCode);
  ~TSkDemoControl() override;
  TSkCommonData* SkinData() { return skinData_.get(); }
  void WndProc(TMessage& Message) override;

 protected:
  void Paint() override;
  // The state index of the border (0 normal, 1 hot, 2 pressed).
  virtual int State() { return 0; }
  virtual void PaintPlain(TCanvas* C) = 0;
  // Text and glyphs over the skinned background in the cache.
  virtual void PaintContent(TBitmap* Cache) { (void)Cache; }
  // False for a background: the section's colours without its border.
  virtual bool Framed() { return true; }
  TSkFadeTimer* fade_ = nullptr;

 private:
  std::unique_ptr<TSkCommonData> skinData_;
};

// A background panel ("FORM" or "PANEL") that children see through. The
// form's background leaves the section's border to the form's frame. It holds
// controls as a panel does, so its paints leave out its children's windows:
// without a skin it fills its face, and a child that has already painted
// (during a skin change, or before the panel after an expose) stays shown.
class TSkDemoPanel : public TSkDemoControl {
 public:
  TSkDemoPanel(TComponent* AOwner, const std::string& Section)
      : TSkDemoControl(AOwner, Section, 51), framed_(Section != "FORM") {
    ControlStyle().Include(csAcceptsControls);
  }

 protected:
  void PaintPlain(TCanvas* C) override;
  bool Framed() override { return framed_; }

 private:
  bool framed_;
};

class TSkDemoButton : public TSkDemoControl {
 public:
  explicit TSkDemoButton(TComponent* AOwner) : TSkDemoControl(AOwner, "BUTTON", 93) {}
  void WndProc(TMessage& Message) override;

 protected:
  int State() override;
  void PaintPlain(TCanvas* C) override;
  void PaintContent(TBitmap* Cache) override;

 private:
  bool pressed_ = false;
};

// A text box look: the "EDIT" border with the caption inside.
class TSkDemoBox : public TSkDemoControl {
 public:
  explicit TSkDemoBox(TComponent* AOwner) : TSkDemoControl(AOwner, "EDIT", 3) { SetTabStop(true); }

 protected:
  int State() override { return Focused() ? 1 : 0; }
  void PaintPlain(TCanvas* C) override;
  void PaintContent(TBitmap* Cache) override;
};

// A check box drawn from the skin's check glyphs.
class TSkDemoCheck : public TSkDemoControl {
 public:
  explicit TSkDemoCheck(TComponent* AOwner) : TSkDemoControl(AOwner, "CHECKBOX", 32) {}
  bool Checked = false;
  void Click() override;

 protected:
  void PaintPlain(TCanvas* C) override;
  void PaintContent(TBitmap* Cache) override;
};

}  // namespace qv::demo
