// General routines of the skin library.
#include "skin/skUtils.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "classlib/SysUtils.h"
#include "classlib/controls/Application.h"
#include "classlib/graphics/Icon.h"
#include "platform/Exception.h"
#include "platform/Files.h"
#include "platform/gdi/SystemMetrics.h"
#include "platform/window/Input.h"

namespace qv {

TShowErrorSink ShowErrorSink;
TShellIconSource ShellIconSource;

int GetStatusFontHeight() {
  NONCLIENTMETRICSW m;
  if (!SystemParametersInfo(SPI_GETNONCLIENTMETRICS, sizeof(m), &m, 0)) return 0;
  return m.lfStatusFont.lfHeight;
}

int Limit255(int V) {
  return V < 0 ? 0 : V > 255 ? 255 : V;
}

void StringsToSections(const std::vector<std::string>& Source, TSkSections& Target) {
  Target.clear();
  for (const std::string& line : Source) {
    if (line.empty() || line[0] == ';') continue;
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      Target.emplace_back(line.substr(1, line.size() - 2), std::vector<std::string>{});
    } else if (!Target.empty()) {
      Target.back().second.push_back(line);
    }
  }
}

std::string ReadSectionValue(const TSkSections& Sections, const std::string& Section,
                             const std::string& Default, const std::string& Key) {
  for (const auto& [name, lines] : Sections) {
    if (CompareText(name, Section) != 0) continue;
    for (const std::string& l : lines) {
      size_t eq = l.find('=');
      if (eq != std::string::npos && CompareText(l.substr(0, eq), Key) == 0) return l.substr(Key.size() + 1);
    }
    return Default;
  }
  return Default;
}

int ReadSectionInt(const TSkSections& Sections, const std::string& Section, int Default,
                   const std::string& Key) {
  std::string v = ReadSectionValue(Sections, Section, "", Key);
  if (v.size() > 2 && v[0] == '0' && (v[1] == 'x' || v[1] == 'X'))
    return StrToIntDef("$" + v.substr(2), Default);
  return StrToIntDef(v, Default);
}

int RoundEven(double V) {
  return int(std::nearbyint(V));  // the default rounding mode rounds halves to even
}

int SumPercent(int A, int B) {
  return RoundEven(A * (100 - B) / 100.0 + B);
}

bool RectInRect(const RECT& Outer, const RECT& Inner) {
  RECT o{Outer.left, Outer.top, Outer.right + 1, Outer.bottom + 1};
  auto inside = [&](int x, int y) { return x >= o.left && x <= o.right && y >= o.top && y <= o.bottom; };
  return inside(Inner.left, Inner.top) && inside(Inner.right, Inner.bottom);
}

namespace {
bool IsDelim(char c, const std::string& d) {
  return d.find(c) != std::string::npos;
}
}  // namespace

int WordPosition(int N, const std::string& S, const std::string& Delims) {
  int count = 0;
  size_t i = 0;
  while (i < S.size()) {
    while (i < S.size() && IsDelim(S[i], Delims)) ++i;
    if (i >= S.size()) break;
    if (++count == N) return int(i) + 1;
    while (i < S.size() && !IsDelim(S[i], Delims)) ++i;
  }
  return 0;
}

std::string ExtractWord(int N, const std::string& S, const std::string& Delims) {
  int p = WordPosition(N, S, Delims);
  if (p == 0) return {};
  size_t i = size_t(p - 1), e = i;
  while (e < S.size() && !IsDelim(S[e], Delims)) ++e;
  return S.substr(i, e - i);
}

int WordCount(const std::string& S, const std::string& Delims) {
  int n = 0;
  bool in = false;
  for (char c : S) {
    bool d = IsDelim(c, Delims);
    if (!d && !in) ++n;
    in = !d;
  }
  return n;
}

std::string MakeStr(char C, int N) {
  return N < 1 ? std::string() : std::string(size_t(N), C);
}

std::string DelChars(const std::string& S, char C) {
  std::string r;
  for (char c : S)
    if (c != C) r += c;
  return r;
}

bool IsEmptyStr(const std::string& S, const std::string& Set) {
  for (char c : S)
    if (Set.find(c) == std::string::npos) return false;
  return true;
}

namespace {
[[noreturn]] void BadInteger(const std::string& S) {
  throw EConvertError("'" + S + "' is not a valid integer value");
}

bool ParseInt(const std::string& S, bool allowDollar, bool allow0x, int64_t& out) {
  size_t i = 0;
  bool neg = false;
  if (i < S.size() && (S[i] == '+' || S[i] == '-')) neg = S[i++] == '-';
  int base = 10;
  if (allowDollar && i < S.size() && S[i] == '$') {
    base = 16, ++i;
  } else if (allow0x && i + 1 < S.size() && S[i] == '0' && (S[i + 1] == 'x' || S[i + 1] == 'X')) {
    base = 16, i += 2;
  }
  if (i >= S.size()) return false;
  int64_t v = 0;
  for (; i < S.size(); ++i) {
    int d;
    char c = S[i];
    if (c >= '0' && c <= '9')
      d = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f')
      d = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F')
      d = c - 'A' + 10;
    else
      return false;
    v = v * base + d;
    if (v > 0xFFFFFFFFll) return false;
  }
  if (base == 10 && v > (neg ? 0x80000000ll : 0x7FFFFFFFll)) return false;
  out = neg ? -v : v;
  return true;
}
}  // namespace

int32_t StrToInt(const std::string& S) {
  int64_t v;
  if (!ParseInt(S, true, true, v)) BadInteger(S);
  return int32_t(uint32_t(v));
}

int32_t IniStrToInt(const std::string& S, int32_t Default) {
  int64_t v;
  std::string t = Trim(S);
  if (!ParseInt(t, true, true, v)) return Default;
  return int32_t(uint32_t(v));
}

double StrToFloatDot(const std::string& S, double Default) {
  std::string t = Trim(S);
  if (t.empty()) return Default;
  // Parsed by hand so that no locale setting can change the separator.
  size_t i = 0;
  bool neg = false;
  if (t[i] == '+' || t[i] == '-') neg = t[i++] == '-';
  double v = 0, scale = 1;
  bool digits = false, dot = false;
  for (; i < t.size(); ++i) {
    char c = t[i];
    if (c >= '0' && c <= '9') {
      digits = true;
      if (dot)
        v += (c - '0') * (scale /= 10);
      else
        v = v * 10 + (c - '0');
    } else if (c == '.' && !dot) {
      dot = true;
    } else {
      return Default;
    }
  }
  if (!digits) return Default;
  return neg ? -v : v;
}

void ShowError(const std::string& Text) {
  if (ShowErrorSink) {
    ShowErrorSink(Text);
  } else if (Application) {
    Application->MessageBox(Text, "Error", MB_OK | MB_ICONHAND);
  }
}

std::string GetAppPath() {
  std::string exe = Application ? Application->ExeName() : std::string();
  size_t p = exe.find_last_of("/\\");
  return p == std::string::npos ? std::string() : exe.substr(0, p + 1);
}

// Folders on this system end in "/": a final backslash becomes one.
std::string NormalizeDir(const std::string& Path) {
  if (Path.empty()) return Path;
  if (Path.back() == '/') return Path;
  if (Path.back() == '\\') return Path.substr(0, Path.size() - 1) + "/";
  return Path + "/";
}

}  // namespace qv

namespace qv {

std::unique_ptr<TIcon> GetShellIcon(const std::string& FileName, UINT Flags) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(FileName, ec) || !ShellIconSource) return nullptr;
  HICON h = ShellIconSource(FileName, Flags);
  if (!h) return nullptr;
  auto icon = std::make_unique<TIcon>();
  icon->SetHandle(h);
  if (icon->Empty()) return nullptr;
  return icon;
}

TIcon* ProgramIcon(bool Small) {
  static std::unique_ptr<TIcon> icons[2];
  static bool loaded[2] = {false, false};
  if (!loaded[Small]) {
    loaded[Small] = true;
    const std::string exe = Application ? Application->ExeName() : std::string();
    icons[Small] = GetShellIcon(exe, Small ? 1 : 0);
  }
  return icons[Small].get();
}

}  // namespace qv
