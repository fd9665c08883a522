// General routines of the skin library: integer and rectangle helpers, word
// splitting, a small reader of ini-style text held in lines, strict number
// conversion, the error box and the program folder.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/WinTypes.h"

namespace qv {

class TIcon;

int GetStatusFontHeight();
int Limit255(int V);

// Ini-style text split into sections: name and the section's lines.
using TSkSection = std::pair<std::string, std::vector<std::string>>;
using TSkSections = std::vector<TSkSection>;
void StringsToSections(const std::vector<std::string>& Source, TSkSections& Target);
std::string ReadSectionValue(const TSkSections& Sections, const std::string& Section,
                             const std::string& Default, const std::string& Key);
int ReadSectionInt(const TSkSections& Sections, const std::string& Section, int Default,
                   const std::string& Key);

inline std::string IfStr(bool C, const std::string& A, const std::string& B) {
  return C ? A : B;
}
inline int IfInt(bool C, int A, int B) {
  return C ? A : B;
}
inline bool IsBetween(int V, int Lo, int Hi) {
  return Lo <= V && V <= Hi;
}
int SumPercent(int A, int B);
inline int MaxOf(int A, int B) {
  return A > B ? A : B;
}
inline int MinOf(int A, int B) {
  return A < B ? A : B;
}
bool RectInRect(const RECT& Outer, const RECT& Inner);
inline int WidthOf(const RECT& R) {
  return R.right - R.left;
}
inline int HeightOf(const RECT& R) {
  return R.bottom - R.top;
}

int WordPosition(int N, const std::string& S, const std::string& Delims);
std::string ExtractWord(int N, const std::string& S, const std::string& Delims);
int WordCount(const std::string& S, const std::string& Delims);
std::string MakeStr(char C, int N);
std::string DelChars(const std::string& S, char C);
bool IsEmptyStr(const std::string& S, const std::string& Set);

// Round half to even, as the library's rounding does everywhere.
int RoundEven(double V);

// Strict conversion: optional sign, decimal or "$"/"0x" hexadecimal; anything
// else raises EConvertError. Values beyond 32 bits raise too.
int32_t StrToInt(const std::string& S);
// The ini reader's integer read: decimal or "0x" hexadecimal, else Default.
int32_t IniStrToInt(const std::string& S, int32_t Default);
// A decimal number with "." as separator whatever the locale; Default when bad.
double StrToFloatDot(const std::string& S, double Default);

// Reports an error to the user. The skinned message box fills the sink in;
// until then the application's message box shows it.
using TShowErrorSink = std::function<void(const std::string& Text)>;
extern TShowErrorSink ShowErrorSink;
void ShowError(const std::string& Text);

std::string GetAppPath();
std::string NormalizeDir(const std::string& Path);

// The shell's icon of a file (flags 0 large, 1 small). The shell layer fills
// the source in; without one, or for a missing file, there is no icon.
using TShellIconSource = std::function<HICON(const std::string& FileName, UINT Flags)>;
extern TShellIconSource ShellIconSource;
std::unique_ptr<TIcon> GetShellIcon(const std::string& FileName, UINT Flags);
// The program file's large and small icons, read once (null when there are none).
TIcon* ProgramIcon(bool Small);

}  // namespace qv
