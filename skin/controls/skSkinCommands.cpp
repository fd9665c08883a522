// The decoder of the skinned controls' skin commands (see skSkinCommands.h).
#include "skin/controls/skSkinCommands.h"

#include "skin/skMessages.h"

namespace qv {

bool DispatchSkinCommand(TMessage& M, const TSkCommonData* Data, TSkCommandHooks& Hooks) {
  return DispatchSkinCommand(M, Data->SkinManager(), Hooks);
}

bool DispatchSkinCommand(TMessage& M, const TSkinManager* Own, TSkCommandHooks& Hooks) {
  if (M.Msg != SM_SKINCMD) return false;
  const bool mine = M.LParam == reinterpret_cast<LPARAM>(Own);
  switch (M.WParamHi()) {
    case AC_SKINLOADED:
      return mine ? Hooks.SkinLoaded(M) : Hooks.SkinCommand(M);
    case AC_SKINREMOVED:
      return mine ? Hooks.SkinRemoved(M) : Hooks.SkinCommand(M);
    case AC_SKINAPPLIED:
      return mine ? Hooks.SkinApplied(M) : Hooks.SkinCommand(M);
    case AC_CTRLHANDLED:
      return Hooks.CtrlHandled(M);
    default:
      return Hooks.SkinCommand(M);
  }
}

bool IsOwnSkinChange(const TMessage& M, const TSkCommonData* Data) {
  return IsOwnSkinChange(M, Data->SkinManager());
}

bool IsOwnSkinChange(const TMessage& M, const TSkinManager* Own) {
  const WORD command = M.WParamHi();
  return M.Msg == SM_SKINCMD && command >= AC_SKINLOADED && command <= AC_SKINAPPLIED &&
         M.LParam == reinterpret_cast<LPARAM>(Own);
}

void DispatchSkinCommandAfter(TMessage& M, const TSkCommonData* Data, TSkCommandHooks& Hooks) {
  DispatchSkinCommandAfter(M, Data->SkinManager(), Hooks);
}

void DispatchSkinCommandAfter(TMessage& M, const TSkinManager* Own, TSkCommandHooks& Hooks) {
  if (M.Msg != SM_SKINCMD) return;
  if (IsOwnSkinChange(M, Own))
    Hooks.SkinChanged(M);
  else
    Hooks.SkinCommandAfter(M);
}

void DispatchSkinCommandAfterPlain(TMessage& M, TSkCommandHooks& Hooks) {
  if (M.Msg == SM_SKINCMD) Hooks.SkinCommandAfterPlain(M);
}

}  // namespace qv
