// The skin manager's loaders: a skin description (or a stored skin, or the
// manager's common sections) read into masks, patterns and section records.
#include <algorithm>
#include <unordered_map>

#include "classlib/SysUtils.h"
#include "skin/skInheritedValues.h"
#include "skin/skSkinFiles.h"
#include "skin/skUtils.h"
#include "skin/skinManager.h"

namespace qv {

namespace {

// Characters Pos..Pos+Len-1 (1-based) of S, shorter or empty past its end.
std::string Col(const std::string& S, size_t Pos, size_t Len) {
  return Pos - 1 < S.size() ? S.substr(Pos - 1, Len) : std::string();
}
int16_t Clamp16(int v, int lo) {
  return int16_t(std::clamp(v, lo, 32767));
}
bool IsRelative(const std::string& name) {
  return name.empty() || (name[0] != '/' && name.find(':') == std::string::npos);
}
TSkImgType ImgTypeOf(int v) {
  return v >= 0 && v <= 2 ? TSkImgType(v) : itisaBorder;
}
TSkControlBevel BevelOf(int v) {
  return v >= 0 && v <= 4 ? TSkControlBevel(v) : cbNone;
}
bool IsTrue(const std::string& s) {
  return UpperCase(s) == "TRUE";
}

// Fixed-column rectangle of the "~", "@" and "^" forms.
RECT FixedRect(const std::string& v) {
  return RECT{StrToInt(Col(v, 2, 4)), StrToInt(Col(v, 7, 4)), StrToInt(Col(v, 12, 4)),
              StrToInt(Col(v, 17, 4))};
}

// A number that is no number is refused with the place it stood in: the
// conversion's own text, then the section and the key.
template <class F>
void AtKey(const std::string& Section, const std::string& Key, F&& Read) {
  try {
    Read();
  } catch (const EConvertError& e) {
    throw EConvertError(e.Message + " (section [" + Section + "], key " + Key + ")");
  }
}

}  // namespace

std::string SkinImagePath(const std::string& SkinPath, const std::string& Name) {
  return IsRelative(Name) ? SkinPath + Name : Name;
}

const TSkStoredSkin* TSkinManager::CurrentStoredSkin() const {
  int i = internalSkins_.IndexOf(skinName_);
  return i < 0 ? nullptr : internalSkins_.Items(i);
}

void TSkinManager::AddFreeFormEntry(const std::string& Section, const std::string& Key,
                                    const std::string& Value) {
  const std::string delims = " ()";
  std::string rect = ExtractWord(2, Value, delims), counts = ExtractWord(3, Value, delims);
  TSkMaskData m;
  m.SectionName = UpperCase(Section), m.PropertyName = UpperCase(Key);
  m.R = RECT{StrToInt(ExtractWord(1, rect, " ,")), StrToInt(ExtractWord(2, rect, " ,")),
             StrToInt(ExtractWord(3, rect, " ,")), StrToInt(ExtractWord(4, rect, " ,"))};
  m.ImageCount = Clamp16(StrToInt(ExtractWord(1, counts, " ,")), 1);
  m.MaskType = Clamp16(StrToInt(ExtractWord(2, counts, " ,")), 0);
  const int n = WordCount(counts, " ,");
  m.BorderWidth = n >= 3 ? Clamp16(StrToInt(ExtractWord(3, counts, " ,")), 0) : 0;
  if (m.PropertyName == "PATTERN" || m.PropertyName == "HOTPATTERN") {
    m.ImgType = itisaTexture, m.StretchMode = 0;
  } else {
    m.StretchMode = n >= 4 ? Clamp16(StrToInt(ExtractWord(4, counts, " ,")), -32768) : 1;
  }
  m.Manager = this;
  ma.push_back(std::move(m));
}

// One key of the description as a mask entry. FileForms: the "!", "~", "@"
// and "^" forms are recognised (they are not in the common sections).
void TSkinManager::AddImageEntry(const std::string& Section, const std::string& Key, const std::string& Value,
                                 bool FileForms) {
  if (Value.empty()) return;
  const char c = Value[0];
  if (FileForms && (c == '~' || c == '@' || c == '^')) {
    TSkMaskData m;
    m.SectionName = Section, m.PropertyName = Key, m.Manager = this;
    m.R = FixedRect(Value);
    if (c == '~') {
      m.StretchMode = Clamp16(StrToInt(Col(Value, 22, 2)), -32768);
      m.ImageCount = 1, m.ImgType = itisaTexture;
    } else if (c == '@') {
      m.ImageCount = Clamp16(StrToInt(Col(Value, 22, 1)), 1);
      m.MaskType = Clamp16(StrToInt(Col(Value, 24, 1)), 0);
      m.ImgType = itisaGlyph;
    } else {
      m.WL = int16_t(StrToInt(Col(Value, 22, 4))), m.WT = int16_t(StrToInt(Col(Value, 27, 4)));
      m.WR = int16_t(StrToInt(Col(Value, 32, 4))), m.WB = int16_t(StrToInt(Col(Value, 37, 4)));
      m.ImageCount = Clamp16(StrToInt(Col(Value, 42, 1)), 1);
      m.MaskType = Clamp16(StrToInt(Col(Value, 44, 1)), 0);
      m.StretchMode = int16_t(StrToInt(Col(Value, 46, 1)));
      m.BorderWidth = Clamp16(StrToInt(Col(Value, 48, 1)), 0);
      m.ImgType = itisaBorder;
    }
    ma.push_back(std::move(m));
    return;
  }
  if (FileForms && c == '!') {
    const std::string file = ExtractWord(1, Value, "!");
    if (file.find(".BMP") == std::string::npos) return;
    const std::string path = SkinImagePath(skinData_.SkinPath, file);
    if (!SkinFileExists(path)) return;
    TSkMaskData m;
    m.ImageCount = Clamp16(StrToInt(ExtractWord(2, Value, "!")), 1);
    m.MaskType = Clamp16(StrToInt(ExtractWord(3, Value, "!")), 0);
    m.ImgType = ImgTypeOf(StrToInt(ExtractWord(4, Value, "!")));
    m.Bmp = LoadSkinBitmap(path, pixelBudget_);
    if (m.Bmp->Width() < 1) return;
    m.SectionName = Section, m.PropertyName = Key, m.Manager = this;
    m.R = RECT{0, 0, m.Bmp->Width(), m.Bmp->Height()};
    ma.push_back(std::move(m));
    return;
  }
  if (Value.find('#') != std::string::npos && Value != "#") {
    if (FileForms || MasterBitmap) AddFreeFormEntry(Section, Key, Value);
    return;
  }
  if (UpperCase(Value).find(".BMP") == std::string::npos) return;
  const std::string path = SkinImagePath(skinData_.SkinPath, Value);
  if (!SkinFileExists(path)) return;
  TSkMaskData m;
  m.Bmp = LoadSkinBitmap(path, pixelBudget_);
  if (m.Bmp->Width() < 1) return;
  m.SectionName = UpperCase(Section), m.PropertyName = UpperCase(Key), m.Manager = this;
  m.MaskType = 1, m.ImageCount = 3, m.ImgType = itisaBorder;
  m.R = RECT{0, 0, m.Bmp->Width(), m.Bmp->Height()};
  ma.push_back(std::move(m));
}

void TSkinManager::LoadSkinMasks() {
  FreeMasks();
  const TSkIniText* ini = skinData_.IniFile.get();
  if (ini) {
    std::string m = ini->ReadString("GLOBALINFO", "MASTERBITMAP", "");
    if (!m.empty()) {
      m = SkinImagePath(skinData_.SkinPath, m);
      if (SkinFileExists(m)) MasterBitmap = LoadSkinBitmap(m, pixelBudget_);
    }
    for (const std::string& s : ini->Sections())
      for (const std::string& k : ini->Keys(s)) {
        if (SameText(s, "GLOBALINFO") && SameText(k, "MASTERBITMAP")) continue;
        AtKey(s, k, [&] { AddImageEntry(s, k, ini->ReadString(s, k, ""), true); });
      }
  } else if (const TSkStoredSkin* st = CurrentStoredSkin()) {
    if (!st->MasterBitmap.Empty()) {
      MasterBitmap = std::make_unique<TBitmap>();
      MasterBitmap->Assign(const_cast<TBitmap*>(&st->MasterBitmap));
      MasterBitmap->SetPixelFormat(pf24bit);
    }
    for (int i = 0; i < st->Images.Count(); ++i) {
      TSkinImage* im = st->Images.Items(i);
      TSkMaskData m;
      if (!im->Name.empty()) {
        m.Bmp = std::make_unique<TBitmap>();
        m.Bmp->Assign(im->Image());
        m.Bmp->SetPixelFormat(pf24bit);
        m.R = RECT{0, 0, m.Bmp->Width(), m.Bmp->Height()};
      } else {
        m.R = RECT{im->Left, im->Top, im->Right, im->Bottom};
      }
      m.PropertyName = UpperCase(im->PropertyName), m.SectionName = UpperCase(im->SectionName);
      if (im->ImageCount == 0) {
        m.MaskType = 1, m.ImageCount = 3;
      } else {
        m.ImageCount = Clamp16(im->ImageCount, 1), m.MaskType = Clamp16(im->MaskType, 0);
      }
      m.BorderWidth = Clamp16(im->BorderWidth, 0);
      if (m.PropertyName == "PATTERN" || m.PropertyName == "HOTPATTERN") {
        m.StretchMode = im->ImgType == itisaTexture ? int16_t(im->StretchMode) : int16_t(0);
        m.ImgType = itisaTexture;
      } else {
        m.StretchMode = int16_t(im->StretchMode), m.ImgType = im->ImgType;
      }
      m.Manager = this;
      ma.push_back(std::move(m));
    }
  } else {
    return;
  }
  if (commonSections_.empty()) return;
  std::string text;
  for (const std::string& l : commonSections_) text += l + "\n";
  TSkIniText common(text);
  for (const std::string& s : common.Sections()) {
    if (UpperCase(s) == "GLOBALINFO") continue;
    for (const std::string& k : common.Keys(s))
      AtKey(s, k, [&] { AddImageEntry(s, k, common.ReadString(s, k, "-"), false); });
  }
}

void TSkinManager::AddPatternEntry(const std::string& Section, const std::string& Key,
                                   const std::string& Value) {
  const std::string v = UpperCase(Value);
  if (v.find(".JPG") == std::string::npos && v.find(".JPEG") == std::string::npos) return;
  const std::string path = SkinImagePath(skinData_.SkinPath, v);
  if (!SkinFileExists(path)) return;
  std::unique_ptr<TJPEGImage> img = LoadSkinJpeg(path, pixelBudget_);
  if (int64_t(img->Width()) * img->Height() < 90000) {
    TSkMaskData m;
    m.Bmp = std::make_unique<TBitmap>(img->Width(), img->Height(), pf24bit);
    m.Bmp->Canvas()->Draw(0, 0, img.get());
    m.PropertyName = UpperCase(Key), m.SectionName = UpperCase(Section);
    m.ImgType = itisaTexture, m.ImageCount = 1, m.Manager = this;
    m.R = RECT{0, 0, m.Bmp->Width(), m.Bmp->Height()};
    ma.push_back(std::move(m));
    return;
  }
  if (img->Width() < 1) return;
  pa.push_back(TSkPatternData{std::move(img), UpperCase(Section), UpperCase(Key)});
}

void TSkinManager::LoadSkinPatterns() {
  FreePatterns();
  if (const TSkIniText* ini = skinData_.IniFile.get()) {
    for (const std::string& s : ini->Sections())
      for (const std::string& k : ini->Keys(s)) AddPatternEntry(s, k, ini->ReadString(s, k, "-"));
  } else if (const TSkStoredSkin* st = CurrentStoredSkin()) {
    for (int i = 0; i < st->Patterns.Count(); ++i) {
      TSkinPattern* p = st->Patterns.Items(i);
      TJPEGImage* img = p->Image();
      if (img->Empty()) continue;
      if (int64_t(img->Width()) * img->Height() < 90000) {
        TSkMaskData m;
        m.Bmp = std::make_unique<TBitmap>(img->Width(), img->Height(), pf24bit);
        m.Bmp->Canvas()->Draw(0, 0, img);
        m.PropertyName = UpperCase(p->PropertyName), m.SectionName = UpperCase(p->SectionName);
        m.ImgType = itisaTexture, m.ImageCount = 1, m.Manager = this;
        m.R = RECT{0, 0, m.Bmp->Width(), m.Bmp->Height()};
        ma.push_back(std::move(m));
      } else {
        auto copy = std::make_unique<TJPEGImage>();
        copy->Assign(img);
        pa.push_back(TSkPatternData{std::move(copy), UpperCase(p->SectionName), UpperCase(p->PropertyName)});
      }
    }
  } else {
    return;
  }
  if (commonSections_.empty()) return;
  std::string text;
  for (const std::string& l : commonSections_) text += l + "\n";
  TSkIniText common(text);
  for (const std::string& s : common.Sections())
    for (const std::string& k : common.Keys(s)) AddPatternEntry(s, k, common.ReadString(s, k, "-"));
}

// A PARENTCLASS chain longer than the number of sections is a cycle: the
// value counts as missing.
TSkInheritedValues* TSkinManager::Inherited() const {
  const TSkIniText* ini = skinData_.IniFile.get();
  if (!ini) return nullptr;
  if (!inherited_ || &inherited_->Ini() != ini) inherited_ = std::make_unique<TSkInheritedValues>(*ini);
  return inherited_.get();
}

int32_t TSkinManager::ReadInheritedInteger(const std::string& Section, const std::string& Key,
                                           int32_t Default) const {
  TSkInheritedValues* v = Inherited();
  return v ? v->Integer(Section, Key.c_str(), Default) : Default;
}

std::string TSkinManager::ReadInheritedString(const std::string& Section, const std::string& Key,
                                              const std::string& Default) const {
  TSkInheritedValues* v = Inherited();
  return v ? v->Text(Section, Key.c_str(), Default) : Default;
}

void TSkinManager::ReadGeneralFromFile(const TSkIniText& Ini) {
  skinData_.Version = StrToFloatDot(Ini.ReadString("GLOBALINFO", "VERSION", "0"), 0);
  skinData_.Author = Ini.ReadString("GLOBALINFO", "AUTHOR", "");
  skinData_.Description = Ini.ReadString("GLOBALINFO", "DESCRIPTION", "");
  auto global = [&Ini](const char* Key, const char* Default) {
    int32_t v = 0;
    AtKey("GLOBALINFO", Key, [&] { v = StrToInt(Ini.ReadString("GLOBALINFO", Key, Default)); });
    return v;
  };
  skinData_.Shadow1Color = global("SHADOW1COLOR", "0");
  skinData_.Shadow1Offset = global("SHADOW1OFFSET", "0");
  skinData_.Shadow1Blur = global("SHADOW1BLUR", "-1");
  skinData_.Shadow1Transparency = global("SHADOW1TRANSPARENCY", "0");
  gd.clear();
  TSkInheritedValues inherited(Ini);
  for (const std::string& s : Ini.Sections()) {
    TSkGeneralData g;
    auto I = [&](const char* k, int32_t d) { return inherited.Integer(s, k, d); };
    auto S = [&](const char* k, const char* d) { return inherited.Text(s, k, d); };
    g.SectionName = s;
    g.ParentClass = Ini.ReadString(s, "PARENTCLASS", "");
    g.Color = ColorToRGB(I("COLOR", 0xFFFFFF));
    g.Bevel = BevelOf(I("BEVEL", 0));
    g.ShadowBlur = I("SHADOWBLUR", 6);
    g.ShadowOffset = I("SHADOWOFFSET", 3);
    g.ShadowColor = Ini.ReadInteger(s, "SHADOWCOLOR", 0);
    g.ShadowTransparency = I("SHADOWTRANSPARENCY", 50);
    g.ShadowEnabled = IsTrue(S("SHADOWENABLED", "FALSE"));
    g.ReservedBoolean = IsTrue(S("RESERVEDBOOLEAN", "FALSE"));
    g.FontColor = I("FONTCOLOR", 0);
    g.TCLeft = I("TCLEFT", -1), g.TCTop = I("TCTOP", -1), g.TCRight = I("TCRIGHT", -1);
    g.TCBottom = I("TCBOTTOM", -1);
    g.HotFontColor = I("HOTFONTCOLOR", 0);
    g.HotTCLeft = I("HOTTCLEFT", -1), g.HotTCTop = I("HOTTCTOP", -1), g.HotTCRight = I("HOTTCRIGHT", -1);
    g.HotTCBottom = I("HOTTCBOTTOM", -1);
    g.Transparency = I("TRANSPARENCY", 0);
    g.GradientPercent = I("GRADIENTPERCENT", 0);
    g.ImagePercent = I("IMAGEPERCENT", 0);
    g.GradientData = S("GRADIENTDATA", " ");
    if (g.GradientData != " ") PrepareGradArray(g.GradientData, g.GradientArray);
    g.ShowFocus = IsTrue(S("SHOWFOCUS", "FALSE"));
    g.FadingEnabled = IsTrue(S("FADINGENABLED", "FALSE"));
    g.FadingIntervalIn = I("FADINGINTERVALIN", 5), g.FadingIntervalOut = I("FADINGINTERVALOUT", 5);
    g.FadingIterations = I("FADINGITERATIONS", 5);
    g.HotColor = I("HOTCOLOR", 0xFFFFFF);
    g.HotTransparency = I("HOTTRANSPARENCY", 0);
    g.HotBevel = BevelOf(I("HOTBEVEL", 0));
    g.HotGradientPercent = I("HOTGRADIENTPERCENT", 0);
    g.HotGradientData = S("HOTGRADIENTDATA", "");
    if (g.HotGradientData != " ") PrepareGradArray(g.HotGradientData, g.HotGradientArray);
    g.HotImagePercent = I("HOTIMAGEPERCENT", 0);
    g.BorderColor1 = I("BORDERCOLOR1", 0), g.BorderColor2 = I("BORDERCOLOR2", 0);
    gd.push_back(std::move(g));
  }
}

namespace {
// "colour left top right bottom": exactly five words, else colour 0 and no contours.
void FontColors(const std::string& text, int32_t& c, int32_t& l, int32_t& t, int32_t& r, int32_t& b) {
  c = 0, l = t = r = b = -1;
  if (WordCount(text, " ") != 5) return;
  int32_t* out[5] = {&c, &l, &t, &r, &b};
  for (int i = 0; i < 5; ++i) *out[i] = IniStrToInt(ExtractWord(i + 1, text, " "), i == 0 ? 0 : -1);
}
}  // namespace

void TSkinManager::ReadGeneralFromCommon() {
  TSkSections sections;
  StringsToSections(commonSections_, sections);
  std::unordered_map<std::string, size_t> byName;  // upper-cased name -> first record
  for (size_t i = 0; i < gd.size(); ++i) byName.emplace(UpperCase(gd[i].SectionName), i);
  for (const auto& [name, lines] : sections) {
    (void)lines;
    const std::string parentName = UpperCase(ReadSectionValue(sections, name, "-1", "PARENTCLASS"));
    auto found = byName.find(parentName);
    TSkGeneralData g = found != byName.end() ? gd[found->second] : TSkGeneralData{};
    g.SectionName = name, g.ParentClass = parentName, g.BorderColor1 = g.BorderColor2 = 0;
    auto I = [&](const char* k, int32_t& field) {
      int v = ReadSectionInt(sections, name, -1, k);
      if (v != -1) field = v;
    };
    auto S = [&](const char* k, std::string& field) {
      std::string v = ReadSectionValue(sections, name, "?", k);
      if (v != "?") field = v;
    };
    auto B = [&](const char* k, bool& field) {
      std::string v = ReadSectionValue(sections, name, "?", k);
      if (v != "?") field = IsTrue(v);
    };
    int32_t bevel = g.Bevel, hotBevel = g.HotBevel;
    I("COLOR", g.Color), I("BEVEL", bevel), I("SHADOWBLUR", g.ShadowBlur), I("SHADOWOFFSET", g.ShadowOffset);
    I("SHADOWCOLOR", g.ShadowColor), I("SHADOWTRANSPARENCY", g.ShadowTransparency);
    B("SHADOWENABLED", g.ShadowEnabled), B("RESERVEDBOOLEAN", g.ReservedBoolean);
    I("FONTCOLOR", g.FontColor), I("TCLEFT", g.TCLeft), I("TCTOP", g.TCTop), I("TCRIGHT", g.TCRight);
    I("TCBOTTOM", g.TCBottom), I("HOTFONTCOLOR", g.HotFontColor), I("HOTTCLEFT", g.HotTCLeft);
    I("HOTTCTOP", g.HotTCTop), I("HOTTCRIGHT", g.HotTCRight), I("HOTTCBOTTOM", g.HotTCBottom);
    I("TRANSPARENCY", g.Transparency), I("GRADIENTPERCENT", g.GradientPercent);
    I("IMAGEPERCENT", g.ImagePercent), S("GRADIENTDATA", g.GradientData), B("SHOWFOCUS", g.ShowFocus);
    B("FADINGENABLED", g.FadingEnabled), I("FADINGINTERVALIN", g.FadingIntervalIn);
    I("FADINGINTERVALOUT", g.FadingIntervalOut), I("FADINGITERATIONS", g.FadingIterations);
    I("HOTCOLOR", g.HotColor), I("HOTTRANSPARENCY", g.HotTransparency), I("HOTBEVEL", hotBevel);
    I("HOTGRADIENTPERCENT", g.HotGradientPercent), S("HOTGRADIENTDATA", g.HotGradientData);
    I("HOTIMAGEPERCENT", g.HotImagePercent), I("BORDERCOLOR1", g.BorderColor1),
        I("BORDERCOLOR2", g.BorderColor2);
    g.Bevel = BevelOf(bevel), g.HotBevel = BevelOf(hotBevel);
    g.GradientArray.clear(), g.HotGradientArray.clear();
    if (g.GradientData != " ") PrepareGradArray(g.GradientData, g.GradientArray);
    if (g.HotGradientData != " ") PrepareGradArray(g.HotGradientData, g.HotGradientArray);
    gd.push_back(std::move(g));
    byName.emplace(UpperCase(name), gd.size() - 1);
  }
}

void TSkinManager::LoadSkinGeneralData() {
  InvalidateLookups();
  if (const TSkIniText* ini = skinData_.IniFile.get()) {
    ReadGeneralFromFile(*ini);
  } else if (const TSkStoredSkin* st = CurrentStoredSkin()) {
    skinData_.Version = st->Version, skinData_.Author = st->Author, skinData_.Description = st->Description;
    skinData_.Shadow1Color = st->Shadow1Color, skinData_.Shadow1Offset = st->Shadow1Offset;
    skinData_.Shadow1Blur = st->Shadow1Blur, skinData_.Shadow1Transparency = st->Shadow1Transparency;
    gd.clear();
    for (int i = 0; i < st->GeneralData.Count(); ++i) {
      const TSkinGeneral* s = st->GeneralData.Items(i);
      TSkGeneralData g;
      g.SectionName = s->SectionName, g.ParentClass = s->ParentClass, g.Color = s->Color, g.Bevel = s->Bevel;
      g.ShadowBlur = s->ShadowBlur, g.ShadowColor = s->ShadowColor, g.ShadowEnabled = s->ShadowEnabled;
      g.ReservedBoolean = s->ReservedBoolean, g.ShadowOffset = s->ShadowOffset;
      g.ShadowTransparency = s->ShadowTransparency;
      FontColors(s->FontColor, g.FontColor, g.TCLeft, g.TCTop, g.TCRight, g.TCBottom);
      FontColors(s->HotFontColor, g.HotFontColor, g.HotTCLeft, g.HotTCTop, g.HotTCRight, g.HotTCBottom);
      g.Transparency = s->Transparency, g.GradientPercent = s->GradientPercent,
      g.GradientData = s->GradientData;
      PrepareGradArray(g.GradientData, g.GradientArray);
      g.ImagePercent = s->ImagePercent, g.ShowFocus = s->ShowFocus, g.FadingEnabled = s->FadingEnabled;
      g.FadingIntervalIn = s->FadingIntervalIn, g.FadingIntervalOut = s->FadingIntervalOut;
      g.FadingIterations = s->FadingIterations, g.HotColor = s->HotColor,
      g.HotTransparency = s->HotTransparency;
      g.HotBevel = s->HotBevel, g.HotGradientPercent = s->HotGradientPercent;
      g.HotGradientData = s->HotGradientData;
      PrepareGradArray(g.HotGradientData, g.HotGradientArray);
      g.HotImagePercent = s->HotImagePercent, g.BorderColor1 = s->BorderColor1,
      g.BorderColor2 = s->BorderColor2;
      gd.push_back(std::move(g));
    }
  } else {
    return;
  }
  if (!commonSections_.empty()) ReadGeneralFromCommon();
  ChangeSkinHue(hueOffset_);
  ChangeSkinSaturation(saturation_);
  InvalidateLookups();
}

}  // namespace qv
