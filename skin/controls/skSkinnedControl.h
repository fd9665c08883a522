// The skeleton every skinned control is built on: the plain control it
// skins, the skin-command hooks, and the set-up they all share. Once the
// control is constructed, and again once it is loaded, the plain control
// goes first, then the skin data reads the skin, then the control's own
// step (SkinSetUpDone).
#pragma once
#include "skin/controls/skSkinCommands.h"
#include "skin/skCommonData.h"

namespace qv {

template <class TPlain>
class TSkSkinned : public TPlain, protected TSkCommandHooks {
 public:
  using TPlain::TPlain;

  void AfterConstruction() override {
    TPlain::AfterConstruction();
    SkinSetUpData()->Loaded();
    SkinSetUpDone(false);
  }
  void Loaded() override {
    TPlain::Loaded();
    SkinSetUpData()->Loaded();
    SkinSetUpDone(true);
  }

 protected:
  // The control's skin data, made in its constructor.
  virtual TSkCommonData* SkinSetUpData() const = 0;
  // The control's own step after its skin data read the skin; FromStream
  // tells Loaded from AfterConstruction.
  virtual void SkinSetUpDone(bool /*FromStream*/) {}
};

}  // namespace qv
