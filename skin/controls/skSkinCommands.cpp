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
      return mine ? Hooks.SkinLoaded(M) : Hooks.OtherSkinLoaded(M);
    case AC_SKINREMOVED:
      return mine ? Hooks.SkinRemoved(M) : Hooks.OtherSkinRemoved(M);
    case AC_SKINAPPLIED:
      return mine ? Hooks.SkinApplied(M) : Hooks.OtherSkinApplied(M);
    case AC_CTRLHANDLED:
      return Hooks.CtrlHandled(M);
    case AC_GETPROVIDER:
      return Hooks.ProviderQuery(M);
    case AC_GETCACHE:
      return Hooks.CacheQuery(M);
    case AC_ENDUPDATE:
      return Hooks.UpdateFinished(M);
    case AC_SETUPDATING:
      return Hooks.SetUpdating(M);
    case AC_SETCACHEFROZEN:
      return Hooks.CacheFrozen(M);
    case AC_PREPARING:
      return Hooks.PreparingQuery(M);
    case AC_SECTIONREDRAWN:
      return Hooks.SectionRedrawn(M);
    case AC_CHILDREPAINTING:
      return Hooks.ChildRepainting(M);
    case AC_REPAINTNOW:
      return Hooks.RepaintNow(M);
    case AC_BGNOTPLAIN:
      return Hooks.BgNotPlainQuery(M);
    case AC_GETBG:
      return Hooks.BgColorQuery(M);
    case AC_FADESTART:
      return Hooks.FadeStart(M);
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
  if (IsOwnSkinChange(M, Own)) {
    switch (M.WParamHi()) {
      case AC_SKINLOADED:
        return Hooks.AfterSkinLoaded(M);
      case AC_SKINREMOVED:
        return Hooks.AfterSkinRemoved(M);
      default:
        return Hooks.AfterSkinApplied(M);
    }
  }
  switch (M.WParamHi()) {
    case AC_GETCACHE:
      return Hooks.AfterCacheQuery(M);
    case AC_PREPARING:
      return Hooks.AfterPreparingQuery(M);
    default:
      return Hooks.SkinCommandAfter(M);
  }
}

void DispatchSkinCommandAfterPlain(TMessage& M, TSkCommandHooks& Hooks) {
  if (M.Msg != SM_SKINCMD) return;
  switch (M.WParamHi()) {
    case AC_GETCACHE:
      return Hooks.AfterPlainCacheQuery(M);
    case AC_ENDUPDATE:
      return Hooks.AfterPlainUpdateFinished(M);
    case AC_SETCACHEFROZEN:
      return Hooks.AfterPlainCacheFrozen(M);
    case AC_PREPARING:
      return Hooks.AfterPlainPreparingQuery(M);
    default:
      return Hooks.SkinCommandAfterPlain(M);
  }
}

}  // namespace qv
