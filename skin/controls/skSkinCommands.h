// The skin commands (SM_SKINCMD) of a skinned control turned into named
// hooks: one decoder reads the command and the manager it names, and each
// control overrides only the hooks it reacts to. A control derived from a
// skinned one extends a hook by calling its base's hook first.
//
// A command is seen at up to three moments: before the control's base (the
// hooks below return true when the message must go no further), once the
// plain control a skinned one is built on has answered (AfterPlain...), and
// once the whole base has answered (After...). Every named hook falls back
// to its moment's catch-all, for controls that treat all commands alike.
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

  // ---- before the base ----
  // Commands 1, 2 and 3 naming the control's own manager. By default the
  // message goes on.
  virtual bool SkinLoaded(TMessage&) { return false; }
  virtual bool SkinRemoved(TMessage&) { return false; }
  virtual bool SkinApplied(TMessage&) { return false; }
  // The same commands naming another manager.
  virtual bool OtherSkinLoaded(TMessage& Message) { return SkinCommand(Message); }
  virtual bool OtherSkinRemoved(TMessage& Message) { return SkinCommand(Message); }
  virtual bool OtherSkinApplied(TMessage& Message) { return SkinCommand(Message); }
  // Query 7: the control answers that it handles the skin commands itself,
  // and the query goes no further. False lets it go on unanswered.
  virtual bool CtrlHandled(TMessage& Message) {
    Message.LParam = 1;
    return true;
  }
  virtual bool ProviderQuery(TMessage& Message) { return SkinCommand(Message); }    // 4
  virtual bool CacheQuery(TMessage& Message) { return SkinCommand(Message); }       // 5
  virtual bool UpdateFinished(TMessage& Message) { return SkinCommand(Message); }   // 6
  virtual bool SetUpdating(TMessage& Message) { return SkinCommand(Message); }      // 8
  virtual bool CacheFrozen(TMessage& Message) { return SkinCommand(Message); }      // 9
  virtual bool PreparingQuery(TMessage& Message) { return SkinCommand(Message); }   // 10
  virtual bool SectionRedrawn(TMessage& Message) { return SkinCommand(Message); }   // 13
  virtual bool ChildRepainting(TMessage& Message) { return SkinCommand(Message); }  // 15
  virtual bool RepaintNow(TMessage& Message) { return SkinCommand(Message); }       // 16
  virtual bool BgNotPlainQuery(TMessage& Message) { return SkinCommand(Message); }  // 19
  virtual bool BgColorQuery(TMessage& Message) { return SkinCommand(Message); }     // 21
  virtual bool FadeStart(TMessage& Message) { return SkinCommand(Message); }        // 23
  // Every command without a hook of its own overridden: true when the
  // message must go no further.
  virtual bool SkinCommand(TMessage&) { return false; }

  // ---- after the base ----
  // Commands 1 to 3 naming the control's own manager.
  virtual void AfterSkinLoaded(TMessage& Message) { SkinChanged(Message); }
  virtual void AfterSkinRemoved(TMessage& Message) { SkinChanged(Message); }
  virtual void AfterSkinApplied(TMessage& Message) { SkinChanged(Message); }
  virtual void SkinChanged(TMessage&) {}
  // The other commands (1 to 3 naming another manager included).
  virtual void AfterCacheQuery(TMessage& Message) { SkinCommandAfter(Message); }
  virtual void AfterPreparingQuery(TMessage& Message) { SkinCommandAfter(Message); }
  virtual void SkinCommandAfter(TMessage&) {}

  // ---- after the plain control ----
  // Inside the skinned control itself, after the plain control it skins has
  // seen the message: every command that got that far, whichever manager it
  // names. Kept apart from the After hooks, which a derived control uses once
  // the whole skinned control has answered.
  virtual void AfterPlainCacheQuery(TMessage& Message) { SkinCommandAfterPlain(Message); }
  virtual void AfterPlainUpdateFinished(TMessage& Message) { SkinCommandAfterPlain(Message); }
  virtual void AfterPlainCacheFrozen(TMessage& Message) { SkinCommandAfterPlain(Message); }
  virtual void AfterPlainPreparingQuery(TMessage& Message) { SkinCommandAfterPlain(Message); }
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
