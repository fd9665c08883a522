// TSkEdit: the class library's edit with skin data, a disabled look and a
// bound caption label. Skinned, it paints its frame (and, while neither
// focused nor hot, its text) from a cache bitmap; unskinned, every message
// reaches the plain edit after the skin-command answers.
#pragma once
#include <memory>

#include "classlib/stdctrls/CustomEdit.h"
#include "skin/controls/skSkinnedControl.h"
#include "skin/skCommonData.h"

namespace qv {

class TSkEdit : public TSkSkinned<TEdit> {
 public:
  explicit TSkEdit(TComponent* AOwner);
  ~TSkEdit() override;

  TSkCommonData* SkinData() const { return skinData_.get(); }
  TSkDisabledKind DisabledKind() const { return disabledKind_; }
  void SetDisabledKind(TSkDisabledKind Value);
  TSkBoundLabel* BoundLabel() const { return boundLabel_.get(); }

  void WndProc(TMessage& Message) override;

 protected:
  // The text area in the cache: inside the border and the bevels.
  RECT CacheTextRect();
  void PrepareCache();
  void PaintFull(HDC DC);
  void PaintFrame();
  // The text the cache shows: the password character once per character.
  std::string DisplayText();
  TSkCommonData* SkinSetUpData() const override { return skinData_.get(); }
  bool SkinLoaded(TMessage& Message) override;
  bool SkinRemoved(TMessage& Message) override;
  bool SkinApplied(TMessage& Message) override;
  bool BgNotPlainQuery(TMessage& Message) override;
  void AfterPlainUpdateFinished(TMessage& Message) override;
  void AfterPlainCacheFrozen(TMessage& Message) override;

 private:
  bool SkinnedWndProc(TMessage& Message);
  std::unique_ptr<TSkCommonData> skinData_;
  TSkDisabledKind disabledKind_{dkBlended};
  std::unique_ptr<TSkBoundLabel> boundLabel_;
};

// Shared by the edit family: the four 2-pixel frame strips of a cache copied
// to a window DC.
void CopyFrameStrips(HDC DC, TBitmap* Cache, int Width, int Height);
// Password text as the cache shows it.
std::string MaskedText(const std::string& Text, char16_t PasswordChar);

}  // namespace qv
