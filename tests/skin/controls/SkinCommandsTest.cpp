// The skin-command decoder of the skinned controls: each command reaches its
// hook, commands for another manager reach the general hook, query 7 is
// answered unless a control lets it go on, and other messages pass
// untouched; and the skinned controls' shared set-up runs in its order.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "classlib/controls/WinControl.h"
#include "skin/controls/skSkinCommands.h"
#include "skin/controls/skSkinnedControl.h"
#include "skin/skMessages.h"

namespace qv::test {
namespace {

// Records which hook saw the message; the general hooks claim command 6 only.
class Recorder : public TSkCommandHooks {
 public:
  std::string seen;

 protected:
  bool SkinLoaded(TMessage&) override { return Note("loaded"); }
  bool SkinRemoved(TMessage&) override { return Note("removed"); }
  bool SkinApplied(TMessage&) override { return Note("applied"); }
  bool SkinCommand(TMessage& M) override {
    Note("command " + std::to_string(M.WParamHi()));
    return M.WParamHi() == AC_ENDUPDATE;
  }
  void SkinChanged(TMessage&) override { Note("changed"); }
  void SkinCommandAfter(TMessage& M) override { Note("after " + std::to_string(M.WParamHi())); }
  void SkinCommandAfterPlain(TMessage& M) override { Note("plain " + std::to_string(M.WParamHi())); }

 private:
  bool Note(const std::string& s) {
    seen += seen.empty() ? s : "," + s;
    return true;
  }
};

TMessage Command(WORD Cmd, LPARAM Manager) {
  return TMessage{SM_SKINCMD, MakeSkinWParam(Cmd), Manager, 0};
}

TEST(SkinCommands, EachCommandReachesItsHook) {
  TSkCommonData data(nullptr, false);
  const LPARAM own = reinterpret_cast<LPARAM>(data.SkinManager()), other = own + 0x1234;
  Recorder r;
  for (WORD cmd : {AC_SKINLOADED, AC_SKINREMOVED, AC_SKINAPPLIED}) {
    TMessage m = Command(cmd, own);
    EXPECT_TRUE(DispatchSkinCommand(m, &data, r));
  }
  EXPECT_EQ(r.seen, "loaded,removed,applied");
  r.seen.clear();
  TMessage foreign = Command(AC_SKINLOADED, other);
  EXPECT_FALSE(DispatchSkinCommand(foreign, &data, r));
  TMessage end = Command(AC_ENDUPDATE, other);
  EXPECT_TRUE(DispatchSkinCommand(end, &data, r));
  EXPECT_EQ(r.seen, "command 1,command 6");
  r.seen.clear();
  TMessage query = Command(AC_CTRLHANDLED, other);
  EXPECT_TRUE(DispatchSkinCommand(query, &data, r));
  EXPECT_EQ(query.LParam, 1);
  EXPECT_EQ(r.seen, "");
  TMessage paint{WM_PAINT, MakeSkinWParam(AC_SKINLOADED), own, 0};
  EXPECT_FALSE(DispatchSkinCommand(paint, &data, r));
  EXPECT_EQ(r.seen, "");
}

TEST(SkinCommands, AfterTheBaseOwnSkinChangesAndTheRestAreTold) {
  TSkCommonData data(nullptr, false);
  const LPARAM own = reinterpret_cast<LPARAM>(data.SkinManager());
  Recorder r;
  TMessage applied = Command(AC_SKINAPPLIED, own), foreign = Command(AC_SKINAPPLIED, own + 0x1234),
           cache = Command(AC_GETCACHE, own), paint{WM_PAINT, 0, 0, 0};
  for (TMessage* m : {&applied, &foreign, &cache, &paint}) DispatchSkinCommandAfter(*m, &data, r);
  EXPECT_EQ(r.seen, "changed,after 3,after 5");
  EXPECT_TRUE(IsOwnSkinChange(applied, &data));
  EXPECT_FALSE(IsOwnSkinChange(foreign, &data));
  EXPECT_FALSE(IsOwnSkinChange(cache, &data));
}

// Inside the skinned control, after its plain base: every command whichever
// manager it names, and only there (the derived control's hooks stay quiet).
TEST(SkinCommands, AfterThePlainBaseEveryCommandIsToldOnce) {
  TSkCommonData data(nullptr, false);
  const LPARAM own = reinterpret_cast<LPARAM>(data.SkinManager());
  Recorder r;
  TMessage applied = Command(AC_SKINAPPLIED, own), end = Command(AC_ENDUPDATE, own + 0x1234),
           frozen = Command(AC_SETCACHEFROZEN, 0), paint{WM_PAINT, MakeSkinWParam(AC_ENDUPDATE), own, 0};
  for (TMessage* m : {&applied, &end, &frozen, &paint}) DispatchSkinCommandAfterPlain(*m, r);
  EXPECT_EQ(r.seen, "plain 3,plain 6,plain 9");
}

// Every command a control or form answers has a hook of its own at each
// moment it is seen; one left alone falls back to that moment's general hook.
class NamedRecorder : public TSkCommandHooks {
 public:
  std::string seen;

 protected:
  bool OtherSkinLoaded(TMessage&) override { return Note("other loaded"); }
  bool OtherSkinRemoved(TMessage&) override { return Note("other removed"); }
  bool ProviderQuery(TMessage&) override { return Note("provider"); }
  bool CacheQuery(TMessage&) override { return Note("cache"); }
  bool UpdateFinished(TMessage&) override { return Note("finished"); }
  bool SetUpdating(TMessage&) override { return Note("updating"); }
  bool CacheFrozen(TMessage&) override { return Note("frozen"); }
  bool PreparingQuery(TMessage&) override { return Note("preparing"); }
  bool SectionRedrawn(TMessage&) override { return Note("section"); }
  bool ChildRepainting(TMessage&) override { return Note("child"); }
  bool RepaintNow(TMessage&) override { return Note("repaint"); }
  bool BgNotPlainQuery(TMessage&) override { return Note("not plain"); }
  bool BgColorQuery(TMessage&) override { return Note("colour"); }
  bool FadeStart(TMessage&) override { return Note("fade"); }
  bool SkinCommand(TMessage& M) override { return Note("general " + std::to_string(M.WParamHi())); }
  void AfterSkinRemoved(TMessage&) override { Note("after removed"); }
  void SkinChanged(TMessage&) override { Note("changed"); }
  void AfterCacheQuery(TMessage&) override { Note("after cache"); }
  void AfterPreparingQuery(TMessage&) override { Note("after preparing"); }
  void SkinCommandAfter(TMessage& M) override { Note("after " + std::to_string(M.WParamHi())); }
  void AfterPlainCacheQuery(TMessage&) override { Note("plain cache"); }
  void AfterPlainUpdateFinished(TMessage&) override { Note("plain finished"); }
  void AfterPlainCacheFrozen(TMessage&) override { Note("plain frozen"); }
  void AfterPlainPreparingQuery(TMessage&) override { Note("plain preparing"); }
  void SkinCommandAfterPlain(TMessage& M) override { Note("plain " + std::to_string(M.WParamHi())); }

 private:
  bool Note(const std::string& s) {
    seen += seen.empty() ? s : "," + s;
    return true;
  }
};

TEST(SkinCommands, EachAnsweredCommandHasANamedHookAtEveryMoment) {
  TSkCommonData data(nullptr, false);
  const LPARAM own = reinterpret_cast<LPARAM>(data.SkinManager()), other = own + 0x1234;
  NamedRecorder r;
  for (WORD cmd : {AC_SKINLOADED, AC_SKINREMOVED, AC_SKINAPPLIED}) {
    TMessage m = Command(cmd, other);
    DispatchSkinCommand(m, &data, r);
  }
  for (WORD cmd : {4, 5, 6, 8, 9, 10, 11, 13, 15, 16, 19, 20, 21, 23, 24}) {
    TMessage m = Command(cmd, own);
    EXPECT_TRUE(DispatchSkinCommand(m, &data, r));
  }
  EXPECT_EQ(
      r.seen,
      "other loaded,other removed,general 3,provider,cache,finished,updating,frozen,preparing,general 11,"
      "section,child,repaint,not plain,general 20,colour,fade,general 24");
  r.seen.clear();
  for (WORD cmd : {AC_SKINLOADED, AC_SKINREMOVED, AC_SKINAPPLIED}) {
    TMessage m = Command(cmd, own);
    DispatchSkinCommandAfter(m, &data, r);
  }
  for (WORD cmd : {AC_SKINREMOVED, AC_GETCACHE, AC_PREPARING, AC_ENDUPDATE}) {
    TMessage m = Command(cmd, other);
    DispatchSkinCommandAfter(m, &data, r);
  }
  EXPECT_EQ(r.seen, "changed,after removed,changed,after 2,after cache,after preparing,after 6");
  r.seen.clear();
  for (WORD cmd : {AC_GETCACHE, AC_ENDUPDATE, AC_SETCACHEFROZEN, AC_PREPARING, AC_SKINAPPLIED}) {
    TMessage m = Command(cmd, other);
    DispatchSkinCommandAfterPlain(m, r);
  }
  EXPECT_EQ(r.seen, "plain cache,plain finished,plain frozen,plain preparing,plain 3");
}

// The shared set-up, constructed and loaded alike: the plain control first,
// then the skin data, then the control's own step, told which it was.
class PlainControl : public TWinControl {
 public:
  using TWinControl::TWinControl;
  mutable std::string seen;
  void AfterConstruction() override {
    TWinControl::AfterConstruction();
    seen += "plain,";
  }
  void Loaded() override {
    TWinControl::Loaded();
    seen += "plain,";
  }
};

class SetUpRecorder : public TSkSkinned<PlainControl> {
 public:
  explicit SetUpRecorder(TComponent* AOwner)
      : TSkSkinned(AOwner), data_(std::make_unique<TSkCommonData>(this, false)) {}

 protected:
  TSkCommonData* SkinSetUpData() const override {
    seen += "data,";
    return data_.get();
  }
  void SkinSetUpDone(bool FromStream) override { seen += FromStream ? "loaded" : "constructed"; }

 private:
  std::unique_ptr<TSkCommonData> data_;
};

TEST(SkinnedSetUp, PlainControlThenSkinDataThenTheControlsOwnStep) {
  SetUpRecorder c(nullptr);
  c.AfterConstruction();
  EXPECT_EQ(c.seen, "plain,data,constructed");
  c.seen.clear();
  c.Loaded();
  EXPECT_EQ(c.seen, "plain,data,loaded");
}

}  // namespace
}  // namespace qv::test
