// ShellExecute: "open" (and "explore") of a file, folder or address through
// the desktop's opener, xdg-open, started without a shell. The headless
// backend records the request instead. Results below 33 are the failures:
// no such file, no opener, or a verb this desktop has no meaning for.
#include <sys/stat.h>

#include "platform/Files.h"
#include "platform/Processes.h"
#include "platform/Utf.h"
#include "platform/backend/Backend.h"
#include "platform/shell/ShellApi.h"
#include "platform/shell/ShellItems.h"

namespace qv {

namespace {

constexpr intptr_t kStarted = 42;

HINSTANCE Result(intptr_t code) {
  return reinterpret_cast<HINSTANCE>(code);
}

// "scheme:..." with a scheme of two or more letters is an address, not a path.
bool IsAddress(const std::string& s) {
  std::size_t colon = s.find(':');
  if (colon == std::string::npos || colon < 2) return false;
  for (std::size_t i = 0; i < colon; ++i) {
    char c = s[i];
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
          (i > 0 && ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'))))
      return false;
  }
  return true;
}

std::string Text(const char16_t* s) {
  return s ? Utf16ToUtf8(s) : std::string();
}

}  // namespace

HINSTANCE ShellExecuteUtf8(HWND, const std::string& verbText, const std::string& file,
                           const std::string& directory, int) {
  // Verbs are names, compared without regard to case ("Open" is "open").
  std::string verb = verbText;
  for (char& c : verb)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  if (!verb.empty() && verb != "open" && verb != "explore") return Result(SE_ERR_NOASSOC);
  if (file.empty()) return Result(SE_ERR_FNF);
  std::string target = file;
  if (!IsAddress(file)) {
    // A relative name is taken from the given folder.
    if (file[0] != '/') target = IncludeTrailingPathDelimiter(directory.empty() ? "." : directory) + file;
    struct stat st {};
    if (::stat(target.c_str(), &st) != 0) return Result(SE_ERR_FNF);
  }
  if (Backend* b = CurrentBackend(); b && b->OpenWithDesktop(target)) return Result(kStarted);
  std::string opener = FindProgramOnPath("xdg-open");
  if (opener.empty()) return Result(SE_ERR_NOASSOC);
  struct stat st {};
  std::string dir =
      !directory.empty() && ::stat(directory.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? directory : "";
  return Result(StartDetached(opener, {target}, dir) ? kStarted : SE_ERR_OOM);
}

HINSTANCE ShellExecuteW(HWND owner, const char16_t* verb, const char16_t* file, const char16_t*,
                        const char16_t* directory, int show) {
  return ShellExecuteUtf8(owner, Text(verb), Text(file), Text(directory), show);
}

BOOL ShellExecuteExW(SHELLEXECUTEINFOW* info) {
  if (!info) return FALSE;
  std::string file = Text(info->lpFile);
  if ((info->fMask & SEE_MASK_IDLIST) && info->lpIDList) {
    auto pidl = static_cast<LPCITEMIDLIST>(info->lpIDList);
    if (!IsValidShellList(pidl) || !SHGetPathFromIDList(pidl, file)) {
      info->hInstApp = Result(SE_ERR_NOASSOC);
      return FALSE;
    }
  }
  info->hInstApp =
      ShellExecuteUtf8(info->hwnd, Text(info->lpVerb), file, Text(info->lpDirectory), info->nShow);
  return reinterpret_cast<intptr_t>(info->hInstApp) > 32;
}

}  // namespace qv
