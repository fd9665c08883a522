// The skin commands (SM_SKINCMD) of a skinned control turned into named
// hooks: one decoder reads the command and the manager it names, and each
// control overrides only the hooks it reacts to. A control derived from a
// skinned one extends a hook by calling its base's hook first.
#pragma once
#include "classlib/controls/Control.h"
#include "skin/skCommonData.h"

namespace qv {

class TSkCommandHooks {
 public:
  virtual ~TSkCommandHooks() = default;

 protected:
  friend bool DispatchSkinCommand(TMessage& Message, const TSkinManager* Own, TSkCommandHooks& Hooks);
  friend void DispatchSkinCommandAfter(TMessage& Message, const TSkinManager* Own, TSkCommandHooks& Hooks);
  friend void DispatchSkinCommandAfterPlain(TMessage& Message, TSkCommandHooks& Hooks);
  // Commands 1, 2 and 3 naming the control's own manager; true when the
  // message must go no further. By default it goes on.
  virtual bool SkinLoaded(TMessage&) { return false; }
  virtual bool SkinRemoved(TMessage&) { return false; }
  virtual bool SkinApplied(TMessage&) { return false; }
  // Query 7: the control answers that it handles the skin commands itself,
  // and the query goes no further. False lets it go on unanswered.
  virtual bool CtrlHandled(TMessage& Message) {
    Message.LParam = 1;
    return true;
  }
  // Every other command, and commands 1 to 3 naming another manager: true
  // when the message must go no further.
  virtual bool SkinCommand(TMessage&) { return false; }
  // After the control's base has seen the message: commands 1 to 3 naming
  // the control's own manager, and every other command.
  virtual void SkinChanged(TMessage&) {}
  virtual void SkinCommandAfter(TMessage&) {}
  // Inside the skinned control itself, after the plain control it skins has
  // seen the message: every command that got that far, whichever manager it
  // names. Kept apart from SkinCommandAfter, which a derived control uses
  // once the whole skinned control has answered.
  virtual void SkinCommandAfterPlain(TMessage&) {}
};

// Hands an SM_SKINCMD message to the hook of its command; true when it must
// go no further. Any other message: false, untouched.
bool DispatchSkinCommand(TMessage& Message, const TSkCommonData* Data, TSkCommandHooks& Hooks);
// The same for a control without skin data, whose own manager is Own.
bool DispatchSkinCommand(TMessage& Message, const TSkinManager* Own, TSkCommandHooks& Hooks);
// The same once the control's base has seen the message (its answers may be
// overwritten there). Any other message: untouched.
void DispatchSkinCommandAfter(TMessage& Message, const TSkCommonData* Data, TSkCommandHooks& Hooks);
void DispatchSkinCommandAfter(TMessage& Message, const TSkinManager* Own, TSkCommandHooks& Hooks);
// The same once the plain control a skinned one is built on has seen the
// message. Any other message: untouched.
void DispatchSkinCommandAfterPlain(TMessage& Message, TSkCommandHooks& Hooks);
// True for commands 1 to 3 naming Data's manager.
bool IsOwnSkinChange(const TMessage& Message, const TSkCommonData* Data);
bool IsOwnSkinChange(const TMessage& Message, const TSkinManager* Own);

}  // namespace qv
