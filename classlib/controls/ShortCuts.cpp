// Shortcut values and their text: key names for the keys menus show.
#include "classlib/controls/ShortCuts.h"

#include <cctype>
#include <utility>

#include "platform/window/Input.h"

namespace qv {

namespace {

constexpr std::pair<WORD, const char*> kNamedKeys[] = {
    {VK_BACK, "BkSp"},      {VK_TAB, "Tab"},        {VK_RETURN, "Enter"}, {VK_ESCAPE, "Esc"},
    {VK_SPACE, "Space"},    {VK_PRIOR, "PgUp"},     {VK_NEXT, "PgDn"},    {VK_END, "End"},
    {VK_HOME, "Home"},      {VK_LEFT, "Left"},      {VK_UP, "Up"},        {VK_RIGHT, "Right"},
    {VK_DOWN, "Down"},      {VK_INSERT, "Ins"},     {VK_DELETE, "Del"},   {VK_ADD, "Num +"},
    {VK_SUBTRACT, "Num -"}, {VK_MULTIPLY, "Num *"}, {VK_DIVIDE, "Num /"}};

constexpr std::pair<TShortCut, const char*> kModifiers[] = {
    {scShift, "Shift+"}, {scCtrl, "Ctrl+"}, {scAlt, "Alt+"}};

std::string KeyName(WORD key) {
  if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return std::string(1, char(key));
  if (key >= VK_F1 && key <= VK_F1 + 23) return "F" + std::to_string(key - VK_F1 + 1);
  for (auto& [k, name] : kNamedKeys)
    if (k == key) return name;
  return {};
}

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

std::string WithoutSpaces(std::string_view text) {
  std::string s;
  for (char c : text)
    if (c != ' ') s += c;
  return s;
}

// The key of a name (spaces already taken out), or 0.
WORD KeyOfName(std::string_view name) {
  for (WORD key = 1; key < 0x100; ++key) {
    std::string n = WithoutSpaces(KeyName(key));
    if (!n.empty() && SameText(n, name)) return key;
  }
  return 0;
}

}  // namespace

TShortCut ShortCut(WORD Key, TShiftState Shift) {
  if (Key & 0xFF00) return scNone;
  TShortCut sc = TShortCut(Key);
  if (Shift.Contains(ssShift)) sc |= scShift;
  if (Shift.Contains(ssCtrl)) sc |= scCtrl;
  if (Shift.Contains(ssAlt)) sc |= scAlt;
  return sc;
}

void ShortCutToKey(TShortCut ShortCut, WORD& Key, TShiftState& Shift) {
  Key = ShortCut & 0xFF;
  Shift = TShiftState();
  if (ShortCut & scShift) Shift.Include(ssShift);
  if (ShortCut & scCtrl) Shift.Include(ssCtrl);
  if (ShortCut & scAlt) Shift.Include(ssAlt);
}

std::string ShortCutToText(TShortCut ShortCut) {
  std::string name = KeyName(ShortCut & 0xFF);
  if (name.empty()) return {};
  std::string text;
  for (auto& [flag, prefix] : kModifiers)
    if (ShortCut & flag) text += prefix;
  return text + name;
}

TShortCut TextToShortCut(std::string_view Text) {
  std::string s = WithoutSpaces(Text);
  TShortCut mods = 0;
  std::string_view rest = s;
  for (bool found = true; found;) {
    found = false;
    for (auto& [flag, prefix] : kModifiers) {
      std::string_view p = prefix;
      if (rest.size() > p.size() && SameText(rest.substr(0, p.size()), p)) {
        mods |= flag;
        rest.remove_prefix(p.size());
        found = true;
      }
    }
  }
  WORD key = KeyOfName(rest);
  return key ? TShortCut(key | mods) : scNone;
}

}  // namespace qv
