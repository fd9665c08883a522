// TSkinManager: the component that owns a loaded skin. It resolves the skin
// folder, reads the description and images into masks, patterns and section
// records (or takes a stored skin), recolours them, answers the lookups of
// painters and controls, and announces a new or removed skin to every form.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "classlib/Component.h"
#include "classlib/controls/ControlMessages.h"
#include "classlib/controls/ControlTypes.h"
#include "platform/Exception.h"
#include "skin/skInheritedValues.h"
#include "skin/skIniText.h"
#include "skin/skLookupIndex.h"
#include "skin/skMaskData.h"
#include "skin/skStoredSkins.h"

namespace qv {

// A skin folder that cannot be loaded: the message says which skin and why.
class ESkinError : public Exception {
 public:
  using Exception::Exception;
};

// The record of the current skin.
class TSkinData {
 public:
  std::unique_ptr<TSkIniText> IniFile;  // the open description, or null
  std::string SkinPath;                 // folder of the current skin, ending in "/"
  bool Active = false;                  // a skin is loaded and announced
  double Version = 0;
  std::string Author, Description;
  int32_t Shadow1Color = 0, Shadow1Offset = 0, Shadow1Blur = -1, Shadow1Transparency = 0;
};

// Menu options read by the skinned menus.
class TSkMenuSupport {
 public:
  std::string IcoLineSkin;
  bool UseExtraLine = false;
  int ExtraLineWidth = 32;
};

// What the skinned menus plug into the manager (filled in by the menu unit).
class ISkinMenuPainter {
 public:
  virtual ~ISkinMenuPainter() = default;
  virtual void ResetCachedSection() = 0;
  virtual void SetActive(bool Active) = 0;
  // A main-window message of the menu loop; true when handled.
  virtual bool HandleMainWindowMessage(TMessage& Message) = 0;
};
using TSkMenuPainterFactory = std::function<std::unique_ptr<ISkinMenuPainter>(class TSkinManager*)>;
extern TSkMenuPainterFactory SkinMenuPainterFactory;

// Section and mask indexes computed once per skin (-1 = absent).
struct TSkConstData {
  int16_t IndexGlobalInfo = -1;
  int16_t CheckBox[9] = {-1, -1, -1, -1, -1, -1, -1, -1, -1};
  int16_t IndexTab[4] = {-1, -1, -1, -1}, MaskTab[4] = {-1, -1, -1, -1};
  int16_t IndexScrollBtn[4] = {-1, -1, -1, -1}, MaskScrollBtn[4] = {-1, -1, -1, -1},
          GlyphScrollBtn[4] = {-1, -1, -1, -1}, PatternScrollBtn[4] = {-1, -1, -1, -1},
          HotPatternScrollBtn[4] = {-1, -1, -1, -1};
  int16_t IndexSlider[2] = {-1, -1}, MaskSlider[2] = {-1, -1}, GlyphSlider[2] = {-1, -1};
  int16_t PatternSlider[4] = {-1, -1, -1, -1};
  int16_t IndexScrollBar[4] = {-1, -1, -1, -1}, MaskScrollBar[4] = {-1, -1, -1, -1},
          PatternScrollBar[4] = {-1, -1, -1, -1}, HotPatternScrollBar[4] = {-1, -1, -1, -1};
};

class TSkinManager : public TComponent {
 public:
  explicit TSkinManager(TComponent* AOwner);
  ~TSkinManager() override;
  void AfterConstruction() override;
  void Loaded() override;

  bool IsDefault() const;
  void SetIsDefault(bool Value);
  bool Active() const { return active_; }
  void SetActive(bool Value);
  const std::vector<std::string>& CommonSections() const { return commonSections_; }
  void SetCommonSections(const std::vector<std::string>& Value);
  int Saturation() const { return saturation_; }
  void SetSaturation(int Value);
  int HueOffset() const { return hueOffset_; }
  void SetHueOffset(int Value);
  TSkStoredSkins& InternalSkins() { return internalSkins_; }
  TSkMenuSupport& MenuSupport() { return menuSupport_; }
  const std::string& SkinDirectory() const { return skinDirectory_; }
  void SetSkinDirectory(const std::string& Value);
  const std::string& SkinName() const { return skinName_; }
  // Loads the skin when Active. A skin that cannot be loaded raises ESkinError
  // and leaves the previous skin (and name) in place.
  void SetSkinName(const std::string& Value);
  std::string SkinInfo() const;
  std::string Version() const { return "4.70"; }
  bool SkinnedPopups() const { return skinnedPopups_; }
  void SetSkinnedPopups(bool Value);
  TNotifyEvent OnAfterChange, OnBeforeChange;

  // The loaded skin.
  TSkinData* SkinData() { return &skinData_; }
  TSkMaskArray ma;
  TSkPatternArray pa;
  TSkGeneralDataArray gd;
  std::unique_ptr<TBitmap> MasterBitmap;
  TSkConstData ConstData;
  ISkinMenuPainter* MenuPainter() { return menuPainter_.get(); }

  // Lookups (exact, case-sensitive names), answered from an index built on
  // the first lookup after the arrays changed; whoever changes ma, pa or gd
  // outside the loaders calls InvalidateLookups. Used from the thread that
  // owns the manager.
  int GetSkinIndex(const std::string& SectionName) const;
  int GetMaskIndex(int SkinIndex, const std::string& SectionName, const std::string& PropertyName) const;
  int GetPatternIndex(int SkinIndex, const std::string& SectionName, const std::string& PropertyName) const;
  int GetTextureIndex(int SkinIndex, const std::string& SectionName, const std::string& PropertyName) const;
  int FindMaskIndex(const std::string& SectionName, const std::string& PropertyName) const;
  void InvalidateLookups() { lookups_.Clear(), inherited_.reset(); }
  bool IsValidSkinIndex(int i) const { return i >= 0 && size_t(i) < gd.size(); }
  bool IsValidImgIndex(int i) const { return i >= 0 && size_t(i) < ma.size(); }
  SIZE GetMaskSize(int i) const;
  TColor GetGlobalColor() const;
  TColor GetGlobalFontColor() const;
  // Fills List with the sorted skin names and returns the first one found.
  std::string ListSkinNames(std::vector<std::string>& List) const;
  std::string ResolveSkinDirectory() const;

  // Loaders (in this order: masks, patterns, general data).
  void LoadSkinMasks();
  void LoadSkinPatterns();
  void LoadSkinGeneralData();
  int32_t ReadInheritedInteger(const std::string& Section, const std::string& Key, int32_t Default) const;
  std::string ReadInheritedString(const std::string& Section, const std::string& Key,
                                  const std::string& Default) const;
  void FreeMasks();
  void FreePatterns();

  void SendNewSkin();
  void SendRemoveSkin();
  void RepaintForms();
  void ChangeSkinHue(int Offset);
  void ChangeSkinSaturation(int Percent);
  void InitConstData();

 private:
  void LoadAll();
  void CheckImageRects() const;
  struct Snapshot;
  std::unique_ptr<Snapshot> TakeSnapshot(bool TakeDescription);
  void RestoreSnapshot(Snapshot& S, bool TakeDescription);
  void LoadAllOrRestore(Snapshot& Previous, bool TakeDescription);
  void ReloadKeepingOnFailure(const std::string& Name);
  void ReloadRecoloured(int PreviousHue, int PreviousSaturation);
  const TSkStoredSkin* CurrentStoredSkin() const;
  void AddImageEntry(const std::string& Section, const std::string& Key, const std::string& Value,
                     bool FileForms);
  void AddFreeFormEntry(const std::string& Section, const std::string& Key, const std::string& Value);
  void AddPatternEntry(const std::string& Section, const std::string& Key, const std::string& Value);
  void ReadGeneralFromFile(const TSkIniText& Ini);
  void ReadGeneralFromCommon();
  std::string SkinFile(const std::string& Name) const;
  bool MainWindowHook(TMessage& Message);
  TSkLookupIndex& Lookups() const;
  TSkInheritedValues* Inherited() const;

  TSkinData skinData_;
  TSkStoredSkins internalSkins_{this};
  TSkMenuSupport menuSupport_;
  mutable TSkLookupIndex lookups_;
  mutable std::unique_ptr<TSkInheritedValues> inherited_;  // over skinData_.IniFile, made on first use
  std::unique_ptr<ISkinMenuPainter> menuPainter_;
  std::vector<std::string> commonSections_;
  std::string skinDirectory_, skinName_;
  int saturation_ = 0, hueOffset_ = 0;
  bool active_ = true, skinnedPopups_ = true;
  int hookId_ = 0;
  uint64_t pixelBudget_ = 0;  // pixels still allowed for the images of the skin being loaded
};

extern TSkinManager* DefaultManager;
extern bool SkinLoading;
extern bool SkinBroadcasting;

}  // namespace qv
