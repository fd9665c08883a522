// The skin manager: properties, skin switching, lookups, recolouring and the
// announcements of a new or removed skin.
#include "skin/skinManager.h"

#include <algorithm>
#include <filesystem>
#include <unordered_map>

#include "classlib/controls/Application.h"
#include "skin/skColors.h"
#include "skin/skControlTree.h"
#include "skin/skMessages.h"
#include "skin/skSkinFiles.h"
#include "skin/skUtils.h"

namespace fs = std::filesystem;

namespace qv {

TSkinManager* DefaultManager = nullptr;
bool SkinLoading = false;
bool SkinBroadcasting = false;
TSkMenuPainterFactory SkinMenuPainterFactory;

namespace {
// Clears SkinLoading on every way out, exceptions included.
struct LoadingScope {
  LoadingScope() { SkinLoading = true; }
  ~LoadingScope() { SkinLoading = false; }
};
const char* kDefaultSkinDirectory = "skins";
}  // namespace

TSkinManager::TSkinManager(TComponent* AOwner) : TComponent(AOwner) {
  if (!DefaultManager) {
    DefaultManager = this;
    if (!ComponentState().Contains(csDesigning) && Application)
      hookId_ = Application->HookMainWindow([this](TMessage& M) { return MainWindowHook(M); });
  }
  if (SkinMenuPainterFactory) menuPainter_ = SkinMenuPainterFactory(this);
}

TSkinManager::~TSkinManager() {
  Destroying();  // controls that name this manager forget it when told the skin is gone
  SetActive(false);
  if (hookId_ && Application) Application->UnhookMainWindow(hookId_);
  hookId_ = 0;
  menuPainter_.reset();
  FreePatterns();
  FreeMasks();
  if (DefaultManager == this) DefaultManager = nullptr;
}

void TSkinManager::AfterConstruction() {
  TComponent::AfterConstruction();
  if (skinDirectory_.empty()) skinDirectory_ = kDefaultSkinDirectory;
}

void TSkinManager::Loaded() {
  TComponent::Loaded();
  if (skinDirectory_.empty()) skinDirectory_ = kDefaultSkinDirectory;
  if (menuSupport_.IcoLineSkin.empty()) menuSupport_.IcoLineSkin = "ICOLINE";
  if (active_ && !skinName_.empty()) {
    LoadingScope scope;
    try {
      LoadAll();
    } catch (const Exception& e) {
      throw ESkinError("Skin \"" + skinName_ + "\" could not be loaded: " + e.Message);
    }
    SendNewSkin();
  }
}

bool TSkinManager::MainWindowHook(TMessage& Message) {
  if (Message.Msg == 0xBCB3 && menuPainter_) return menuPainter_->HandleMainWindowMessage(Message);
  return false;
}

bool TSkinManager::IsDefault() const {
  return DefaultManager == this;
}

void TSkinManager::SetIsDefault(bool Value) {
  if (!Value && DefaultManager) return;
  DefaultManager = this;
  if (!active_) {
    SendRemoveSkin();
  } else {
    SendNewSkin();
    RepaintForms();
  }
}

void TSkinManager::SetActive(bool Value) {
  if (Value == active_) return;
  active_ = Value;
  if (!Value) {
    if (!ComponentState().Contains(csLoading)) SendRemoveSkin();
    InitConstData();
  } else {
    SetSkinName(skinName_);
  }
}

void TSkinManager::SetCommonSections(const std::vector<std::string>& Value) {
  std::vector<std::string> previous = std::move(commonSections_);
  commonSections_.clear();
  for (std::string line : Value) {
    if (!line.empty() && line[0] != ';') line = DelChars(line, ' ');
    commonSections_.push_back(line);
  }
  try {
    SetSkinName(skinName_);
  } catch (const ESkinError&) {
    commonSections_ = std::move(previous);  // with the skin that stays
    throw;
  }
}

void TSkinManager::SetSkinDirectory(const std::string& Value) {
  if (Value == skinDirectory_) return;
  skinDirectory_ = Value;
  skinData_.SkinPath = ResolveSkinDirectory();
}

void TSkinManager::SetSkinnedPopups(bool Value) {
  if (Value == skinnedPopups_) return;
  skinnedPopups_ = Value;
  if (!ComponentState().Contains(csDesigning) && menuPainter_) menuPainter_->SetActive(skinData_.Active);
}

std::string TSkinManager::SkinFile(const std::string& Name) const {
  return ResolveSkinDirectory() + Name + "/Options.dat";
}

void TSkinManager::LoadAll() {
  pixelBudget_ = kSkinMaxTotalPixels;
  LoadSkinMasks();
  CheckImageRects();
  LoadSkinPatterns();
  LoadSkinGeneralData();
  InvalidateLookups();
}

void TSkinManager::SetSkinName(const std::string& Value) {
  const std::string previous = skinName_;
  skinName_ = Value;
  if (!active_) return;
  if (OnBeforeChange) OnBeforeChange(this);
  LoadingScope scope;
  ReloadKeepingOnFailure(previous);
  if (!active_) return;
  SendNewSkin();
  if (OnAfterChange) OnAfterChange(this);
}

// Everything a reload replaces, kept so that a failed reload can put it back.
struct TSkinManager::Snapshot {
  TSkMaskArray ma;
  TSkPatternArray pa;
  TSkGeneralDataArray gd;
  std::unique_ptr<TBitmap> master;
  std::unique_ptr<TSkIniText> ini;
  std::string path, author, description;
  double version = 0;
  int32_t shadowColor = 0, shadowOffset = 0, shadowBlur = -1, shadowTransparency = 0;
  bool active = false;
  std::string name;
  int hue = 0, saturation = 0;
};

std::unique_ptr<TSkinManager::Snapshot> TSkinManager::TakeSnapshot(bool TakeDescription) {
  auto s = std::make_unique<Snapshot>();
  s->ma = std::move(ma), s->pa = std::move(pa), s->gd = std::move(gd), s->master = std::move(MasterBitmap);
  ma.clear(), pa.clear(), gd.clear();
  InvalidateLookups();
  if (TakeDescription) s->ini = std::move(skinData_.IniFile);
  s->path = skinData_.SkinPath, s->author = skinData_.Author, s->description = skinData_.Description;
  s->version = skinData_.Version, s->shadowColor = skinData_.Shadow1Color;
  s->shadowOffset = skinData_.Shadow1Offset, s->shadowBlur = skinData_.Shadow1Blur;
  s->shadowTransparency = skinData_.Shadow1Transparency;
  s->active = skinData_.Active, s->name = skinName_, s->hue = hueOffset_, s->saturation = saturation_;
  return s;
}

void TSkinManager::RestoreSnapshot(Snapshot& S, bool TakeDescription) {
  ma = std::move(S.ma), pa = std::move(S.pa), gd = std::move(S.gd), MasterBitmap = std::move(S.master);
  InvalidateLookups();
  if (TakeDescription) skinData_.IniFile = std::move(S.ini);
  skinData_.SkinPath = S.path, skinData_.Author = S.author, skinData_.Description = S.description;
  skinData_.Version = S.version, skinData_.Shadow1Color = S.shadowColor;
  skinData_.Shadow1Offset = S.shadowOffset, skinData_.Shadow1Blur = S.shadowBlur;
  skinData_.Shadow1Transparency = S.shadowTransparency;
  skinData_.Active = S.active, skinName_ = S.name, hueOffset_ = S.hue, saturation_ = S.saturation;
}

// Runs the loaders; when they fail, the snapshot comes back and the error
// goes on as ESkinError naming the skin.
void TSkinManager::LoadAllOrRestore(Snapshot& Previous, bool TakeDescription) {
  std::string why;
  try {
    LoadAll();
    return;
  } catch (const Exception& e) {
    why = e.Message;
  } catch (const std::bad_alloc&) {
    why = "out of memory";
  }
  const std::string name = skinName_;
  RestoreSnapshot(Previous, TakeDescription);
  throw ESkinError("Skin \"" + name + "\" could not be loaded: " + why);
}

// Opens the new description and loads it; when anything fails the previous
// skin's data, description and name come back and the error goes on.
void TSkinManager::ReloadKeepingOnFailure(const std::string& PreviousName) {
  const std::string newName = skinName_;
  skinName_ = PreviousName;
  std::unique_ptr<Snapshot> previous = TakeSnapshot(true);
  skinName_ = newName;
  skinData_.Active = false;
  const std::string path = ResolveSkinPath(SkinFile(skinName_));
  if (SkinFileExists(path)) {
    auto ini = std::make_unique<TSkIniText>();
    if (!ini->LoadFromFile(path, kSkinMaxDescription)) {
      RestoreSnapshot(*previous, true);
      throw ESkinError("Skin \"" + newName + "\" could not be loaded: its description cannot be read");
    }
    skinData_.IniFile = std::move(ini);
    skinData_.SkinPath = ResolveSkinPath(ResolveSkinDirectory() + skinName_) + "/";
  } else {
    skinData_.SkinPath.clear();
    if (internalSkins_.IndexOf(skinName_) < 0) {
      if (internalSkins_.Count() > 0) {
        skinName_ = internalSkins_.Items(0)->Name();
      } else {
        // Nothing to load: the manager only turns inactive. The skin loaded
        // before stays in place, so controls never told of the change still
        // paint with it; only its description is closed.
        active_ = false;
        ma = std::move(previous->ma), pa = std::move(previous->pa), gd = std::move(previous->gd);
        MasterBitmap = std::move(previous->master);
        return;
      }
    }
  }
  LoadAllOrRestore(*previous, true);
}

// A new hue or saturation recolours fresh data from the open description or
// stored skin; when that reload fails, the previous value and data stay.
void TSkinManager::ReloadRecoloured(int PreviousHue, int PreviousSaturation) {
  const int hue = hueOffset_, saturation = saturation_;
  hueOffset_ = PreviousHue, saturation_ = PreviousSaturation;
  std::unique_ptr<Snapshot> previous = TakeSnapshot(false);
  hueOffset_ = hue, saturation_ = saturation;
  LoadAllOrRestore(*previous, false);
}

void TSkinManager::SetHueOffset(int Value) {
  if (Value == hueOffset_) return;
  const int previous = hueOffset_;
  hueOffset_ = Value;
  {
    LoadingScope scope;
    if (skinData_.Active) ReloadRecoloured(previous, saturation_);
  }
  if (!ComponentState().Contains(csLoading) && !ComponentState().Contains(csReading)) RepaintForms();
}

void TSkinManager::SetSaturation(int Value) {
  if (Value == saturation_) return;
  const int previous = saturation_;
  saturation_ = Value;
  {
    LoadingScope scope;
    if (skinData_.Active) ReloadRecoloured(hueOffset_, previous);
  }
  if (!ComponentState().Contains(csLoading) && !ComponentState().Contains(csReading)) RepaintForms();
}

std::string TSkinManager::SkinInfo() const {
  if (!skinData_.Active) return "N/A";
  char buf[64];
  snprintf(buf, sizeof buf, "%g", skinData_.Version);  // "%g" never uses a locale separator here
  std::string s = buf;
  for (char& c : s)
    if (c == ',') c = '.';
  return s;
}

TSkLookupIndex& TSkinManager::Lookups() const {
  if (!lookups_.Built()) lookups_.Build(gd, ma, pa);
  return lookups_;
}

int TSkinManager::GetSkinIndex(const std::string& SectionName) const {
  return Lookups().Section(SectionName);
}

int TSkinManager::FindMaskIndex(const std::string& SectionName, const std::string& PropertyName) const {
  if (SectionName.empty()) return -1;
  return Lookups().Own(TSkLookupIndex::lkMask, SectionName, PropertyName);
}

int TSkinManager::GetMaskIndex(int SkinIndex, const std::string& SectionName,
                               const std::string& PropertyName) const {
  if (SectionName.empty()) return -1;
  return Lookups().Inherited(TSkLookupIndex::lkMask, SkinIndex, SectionName, PropertyName);
}

int TSkinManager::GetPatternIndex(int SkinIndex, const std::string& SectionName,
                                  const std::string& PropertyName) const {
  if (SkinIndex < 0 || pa.empty() || SectionName.empty()) return -1;
  return Lookups().Inherited(TSkLookupIndex::lkPattern, SkinIndex, SectionName, PropertyName);
}

int TSkinManager::GetTextureIndex(int SkinIndex, const std::string& SectionName,
                                  const std::string& PropertyName) const {
  if (SkinIndex < 0 || ma.empty() || SectionName.empty()) return -1;
  return Lookups().Inherited(TSkLookupIndex::lkTexture, SkinIndex, SectionName, PropertyName);
}

// A part of the master bitmap must lie right of and below its origin with its
// corners in order: the painters cut states and borders out of it by
// dividing its size.
void TSkinManager::CheckImageRects() const {
  for (const TSkMaskData& m : ma) {
    const RECT& r = m.R;
    if (r.left >= 0 && r.top >= 0 && r.right >= r.left && r.bottom >= r.top) continue;
    throw ESkinError("the image " + m.SectionName + "/" + m.PropertyName + " has the rectangle (" +
                     std::to_string(r.left) + ", " + std::to_string(r.top) + ", " + std::to_string(r.right) +
                     ", " + std::to_string(r.bottom) + "), which is back to front or negative");
  }
}

SIZE TSkinManager::GetMaskSize(int i) const {
  if (!IsValidImgIndex(i)) return SIZE{0, 0};
  const TSkMaskData& m = ma[size_t(i)];
  if (m.Bmp) return SIZE{m.Bmp->Width() / 3, m.Bmp->Height() / 2};
  // Never a negative size, even for a rectangle set by hand.
  const int64_t w = std::clamp<int64_t>(int64_t(m.R.right) - m.R.left, 0, INT32_MAX),
                h = std::clamp<int64_t>(int64_t(m.R.bottom) - m.R.top, 0, INT32_MAX);
  return SIZE{LONG(w / std::max<int>(1, m.ImageCount)), LONG(h / std::max<int>(1, m.MaskType + 1))};
}

TColor TSkinManager::GetGlobalColor() const {
  int i = GetSkinIndex("GLOBALINFO");
  return i < 0 ? ColorToRGB(clBtnFace) : ColorToRGB(gd[size_t(i)].Color);
}

TColor TSkinManager::GetGlobalFontColor() const {
  int i = GetSkinIndex("GLOBALINFO");
  return i < 0 ? clSkinTransparent : ColorToRGB(gd[size_t(i)].FontColor);
}

// Relative forms resolve against the program folder; the result ends in "/".
std::string TSkinManager::ResolveSkinDirectory() const {
  std::string d = skinDirectory_;
  for (char& c : d)
    if (c == '\\') c = '/';
  const std::string app = GetAppPath();
  std::string r;
  if (d.rfind("..", 0) == 0) {
    std::string base = app.empty() ? std::string() : app.substr(0, app.size() - 1);
    size_t p = base.find_last_of('/');
    base = p == std::string::npos ? std::string() : base.substr(0, p + 1);
    r = base + (d.size() > 3 ? d.substr(3) : std::string());
  } else if (d.rfind("./", 0) == 0) {
    r = app + d.substr(2);
  } else if (!d.empty() && d[0] == '/') {
    r = d;
  } else {
    r = app + d;
  }
  return NormalizeDir(r);
}

std::string TSkinManager::ListSkinNames(std::vector<std::string>& List) const {
  List.clear();
  std::vector<std::string> names;
  for (int i = 0; i < internalSkins_.Count(); ++i) names.push_back(internalSkins_.Items(i)->Name());
  std::error_code ec;
  const std::string dir = ResolveSkinPath(ResolveSkinDirectory());
  if (fs::is_directory(dir, ec)) {
    std::vector<std::string> folders;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
      std::string n = it->path().filename().string();
      if (n.empty() || n[0] == '.' || !it->is_directory(ec)) continue;
      if (SkinFileExists(it->path().string() + "/Options.dat")) folders.push_back(n);
    }
    std::sort(folders.begin(), folders.end());  // the folder order of the file system is not stable
    names.insert(names.end(), folders.begin(), folders.end());
  }
  std::string first = names.empty() ? std::string() : names.front();
  std::sort(names.begin(), names.end());
  List = names;
  return first;
}

void TSkinManager::FreeMasks() {
  InvalidateLookups();
  while (!ma.empty()) ma.pop_back();
  MasterBitmap.reset();
}

void TSkinManager::FreePatterns() {
  InvalidateLookups();
  while (!pa.empty()) pa.pop_back();
}

void TSkinManager::InitConstData() {
  ConstData = TSkConstData{};
  auto sec = [&](const char* n) { return int16_t(GetSkinIndex(n)); };
  auto mask = [&](int16_t s, const char* sn, const char* p) {
    return s < 0 ? int16_t(-1) : int16_t(GetMaskIndex(s, sn, p));
  };
  ConstData.IndexGlobalInfo = sec("GLOBALINFO");
  static const char* checks[9] = {"BOXCHECKED",   "BOXUNCHECKED",   "BOXGRAYED",
                                  "RADIOCHECKED", "RADIOUNCHECKED", "RADIOGRAYED",
                                  "SMALLCHECKED", "SMALLUNCHECKED", "SMALLGRAYED"};
  for (int i = 0; i < 9; ++i)
    ConstData.CheckBox[i] = mask(ConstData.IndexGlobalInfo, "GLOBALINFO", checks[i]);
  static const char* tabs[4] = {"TABTOP", "TABBOTTOM", "TABLEFT", "TABRIGHT"};
  for (int i = 0; i < 4; ++i) {
    ConstData.IndexTab[i] = sec(tabs[i]);
    ConstData.MaskTab[i] = mask(ConstData.IndexTab[i], tabs[i], "BORDERSMASK");
  }
  static const char* btns[4] = {"SCROLLBTNTOP", "SCROLLBTNBOTTOM", "SCROLLBTNLEFT", "SCROLLBTNRIGHT"};
  for (int i = 0; i < 4; ++i) {
    int16_t s = ConstData.IndexScrollBtn[i] = sec(btns[i]);
    ConstData.MaskScrollBtn[i] = mask(s, btns[i], "BORDERSMASK");
    ConstData.GlyphScrollBtn[i] = mask(s, btns[i], "GLYPHMASK");
    ConstData.PatternScrollBtn[i] = mask(s, btns[i], "PATTERN");
    ConstData.HotPatternScrollBtn[i] = mask(s, btns[i], "HOTPATTERN");
  }
  static const char* sliders[2] = {"SCROLLSLIDERV", "SCROLLSLIDERH"};
  for (int i = 0; i < 2; ++i) {
    int16_t s = ConstData.IndexSlider[i] = sec(sliders[i]);
    ConstData.MaskSlider[i] = mask(s, sliders[i], "BORDERSMASK");
    ConstData.GlyphSlider[i] = mask(s, sliders[i], "GLYPHMASK");
  }
  ConstData.PatternSlider[0] = mask(ConstData.IndexSlider[1], "SCROLLSLIDERH", "PATTERN");
  ConstData.PatternSlider[1] = mask(ConstData.IndexSlider[1], "SCROLLSLIDERH", "HOTPATTERN");
  ConstData.PatternSlider[2] = mask(ConstData.IndexSlider[0], "SCROLLSLIDERV", "PATTERN");
  ConstData.PatternSlider[3] = mask(ConstData.IndexSlider[0], "SCROLLSLIDERV", "HOTPATTERN");
  static const char* bars[4] = {"SCROLLBAR1H", "SCROLLBAR1V", "SCROLLBAR2H", "SCROLLBAR2V"};
  for (int i = 0; i < 4; ++i) {
    int16_t s = ConstData.IndexScrollBar[i] = sec(bars[i]);
    ConstData.MaskScrollBar[i] = mask(s, bars[i], "BORDERSMASK");
    ConstData.PatternScrollBar[i] = mask(s, bars[i], "PATTERN");
    ConstData.HotPatternScrollBar[i] = mask(s, bars[i], "HOTPATTERN");
  }
}

void TSkinManager::SendNewSkin() {
  if (menuPainter_) menuPainter_->ResetCachedSection();
  skinData_.Active = false;
  SkinBroadcasting = true;
  InitConstData();
  TMessage m{SM_SKINCMD, MakeSkinWParam(AC_SKINLOADED), reinterpret_cast<LPARAM>(this), 0};
  BroadcastToForms(m);
  SkinBroadcasting = false;
  skinData_.Active = true;
  RepaintForms();
}

void TSkinManager::RepaintForms() {
  TMessage m{SM_SKINCMD, MakeSkinWParam(AC_REPAINTNOW), 0, 0};
  BroadcastToForms(m);
  TMessage a{SM_SKINCMD, MakeSkinWParam(AC_SKINAPPLIED), reinterpret_cast<LPARAM>(this), 0};
  BroadcastToForms(a);
}

void TSkinManager::SendRemoveSkin() {
  skinData_.Active = false;
  TMessage m{SM_SKINCMD, MakeSkinWParam(AC_SKINREMOVED), reinterpret_cast<LPARAM>(this), 0};
  BroadcastToForms(m);
  FreeMasks();
  FreePatterns();
  gd.clear();
  InvalidateLookups();
}

void TSkinManager::ChangeSkinHue(int Offset) {
  if (Offset == 0) return;
  auto hue = [&](int32_t& c) {
    if (c != -1) c = ChangeHue(Offset, c);
  };
  if (MasterBitmap) ChangeBitmapHue(MasterBitmap.get(), Offset);
  for (TSkMaskData& m : ma)
    if (m.Bmp) ChangeBitmapHue(m.Bmp.get(), Offset);
  for (TSkGeneralData& g : gd) {
    g.Color = ChangeHue(Offset, g.Color), g.HotColor = ChangeHue(Offset, g.HotColor);
    for (int32_t* c : {&g.FontColor, &g.TCLeft, &g.TCTop, &g.TCRight, &g.TCBottom, &g.HotFontColor,
                       &g.HotTCLeft, &g.HotTCTop, &g.HotTCRight, &g.HotTCBottom})
      hue(*c);
    for (TSkGradStep& s : g.GradientArray)
      s.Color1 = ChangeHue(Offset, s.Color1), s.Color2 = ChangeHue(Offset, s.Color2);
    for (TSkGradStep& s : g.HotGradientArray)
      s.Color1 = ChangeHue(Offset, s.Color1), s.Color2 = ChangeHue(Offset, s.Color2);
  }
  skinData_.Shadow1Color = ChangeHue(Offset, skinData_.Shadow1Color);
}

void TSkinManager::ChangeSkinSaturation(int Percent) {
  if (Percent == 0) return;
  const int p = (-Percent) % 101;  // the remainder takes the dividend's sign
  auto sat = [&](int32_t& c) {
    if (c != -1) c = ChangeSaturation(c, p);
  };
  if (MasterBitmap) ChangeBitmapSaturation(MasterBitmap.get(), p);
  for (TSkMaskData& m : ma)
    if (m.Bmp) ChangeBitmapSaturation(m.Bmp.get(), p);
  for (TSkGeneralData& g : gd) {
    g.Color = ChangeSaturation(g.Color, p), g.HotColor = ChangeSaturation(g.HotColor, p);
    for (int32_t* c : {&g.FontColor, &g.TCLeft, &g.TCTop, &g.TCRight, &g.TCBottom, &g.HotFontColor,
                       &g.HotTCLeft, &g.HotTCTop, &g.HotTCRight, &g.HotTCBottom})
      sat(*c);
    for (TSkGradStep& s : g.GradientArray)
      s.Color1 = ChangeSaturation(s.Color1, p), s.Color2 = ChangeSaturation(s.Color2, p);
    for (TSkGradStep& s : g.HotGradientArray)
      s.Color1 = ChangeSaturation(s.Color1, p), s.Color2 = ChangeSaturation(s.Color2, p);
  }
  skinData_.Shadow1Color = ChangeSaturation(skinData_.Shadow1Color, p);
}

}  // namespace qv
