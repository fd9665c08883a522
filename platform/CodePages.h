// The code-page and locale shims: the platform's 8-bit code page is UTF-8
// (CP_ACP = CP_UTF8 = 65001); Windows-1252 is kept for byte data that names
// it. Locale answers are the fixed ones the program formats with, except the
// first day of the week, which is the environment's (LocaleDates.h).
#pragma once
#include <string>

#include "platform/WinTypes.h"

namespace qv {

constexpr UINT CP_ACP = 0, CP_OEMCP = 1, CP_THREAD_ACP = 3, CP_UTF8 = 65001, CP_WINDOWS_1252 = 1252;
constexpr DWORD MB_USEGLYPHCHARS = 0x4, MB_ERR_INVALID_CHARS = 0x8;
UINT GetACP();
UINT GetOEMCP();
// As the platform call: with outSize 0 the length needed; -1 for inSize means
// up to and including the terminating zero. 0 on failure (unknown code page,
// too small a buffer, or invalid input with MB_ERR_INVALID_CHARS).
int MultiByteToWideChar(UINT codePage, DWORD flags, const char* in, int inSize, char16_t* out, int outSize);
// Characters a code page lacks become `defaultChar` (or "?"); *usedDefault tells.
int WideCharToMultiByte(UINT codePage, DWORD flags, const char16_t* in, int inSize, char* out, int outSize,
                        const char* defaultChar, BOOL* usedDefault);

using LCID = DWORD;
constexpr LCID LOCALE_USER_DEFAULT = 0x400, LOCALE_SYSTEM_DEFAULT = 0x800;
constexpr DWORD LOCALE_SLIST = 0x0C, LOCALE_SDECIMAL = 0x0E, LOCALE_STHOUSAND = 0x0F,
                LOCALE_SSHORTDATE = 0x1F, LOCALE_STIMEFORMAT = 0x1003, LOCALE_IFIRSTDAYOFWEEK = 0x100C,
                LOCALE_IDEFAULTANSICODEPAGE = 0x1004, LOCALE_IDEFAULTCODEPAGE = 0x000B, LOCALE_SDATE = 0x1D,
                LOCALE_STIME = 0x1E;
// The value with its terminating zero; with size 0 the length needed.
int GetLocaleInfoA(LCID locale, DWORD type, char* out, int size);
int GetLocaleInfoW(LCID locale, DWORD type, char16_t* out, int size);

}  // namespace qv
