// Entry points of the namespace: the allocator, the desktop folder, the
// special folders that exist on this desktop (others fail), paths of lists
// and display-name results.
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <fstream>

#include "platform/Utf.h"
#include "platform/ole/GlobalMemory.h"
#include "platform/shell/ShellApi.h"
#include "platform/shell/ShellFolder.h"

namespace qv {

namespace {

class TShellMalloc : public ComObject<IMalloc> {
 public:
  void* Alloc(size_t size) override { return CoTaskMemAlloc(size); }
  void* Realloc(void* p, size_t size) override { return std::realloc(p, size); }
  void Free(void* p) override { CoTaskMemFree(p); }
};

bool IsFolder(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string EnvFolder(const char* name, const std::string& fallback) {
  const char* v = std::getenv(name);
  return v && v[0] == '/' ? std::string(v) : fallback;
}

// A folder named in the user's user-dirs.dirs (XDG_DESKTOP_DIR="$HOME/Desktop").
std::string UserDir(const std::string& key) {
  const std::string home = HomeFolder();
  std::ifstream in(EnvFolder("XDG_CONFIG_HOME", home + "/.config") + "/user-dirs.dirs");
  for (std::string line; std::getline(in, line);) {
    if (line.compare(0, key.size() + 1, key + "=") != 0) continue;
    std::string v = line.substr(key.size() + 1);
    if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
    if (v.compare(0, 5, "$HOME") == 0) v = home + v.substr(5);
    return v.empty() || v[0] != '/' ? std::string() : v;
  }
  return "";
}

// The folder of a special-folder id that maps to a real folder; "" for none.
std::string SpecialFolderPath(int csidl) {
  const std::string home = HomeFolder();
  switch (csidl) {
    case CSIDL_PERSONAL: {
      std::string docs = UserDir("XDG_DOCUMENTS_DIR");
      return IsFolder(docs) ? docs : home;
    }
    case CSIDL_DESKTOPDIRECTORY: {
      std::string d = UserDir("XDG_DESKTOP_DIR");
      return d.empty() ? home + "/Desktop" : d;
    }
    case CSIDL_TEMPLATES: {
      std::string t = UserDir("XDG_TEMPLATES_DIR");
      return t.empty() ? home + "/Templates" : t;
    }
    case CSIDL_APPDATA:
      return EnvFolder("XDG_CONFIG_HOME", home + "/.config");
    case CSIDL_FONTS:
      return EnvFolder("XDG_DATA_HOME", home + "/.local/share") + "/fonts";
  }
  return "";
}

}  // namespace

HRESULT SHGetMalloc(IMalloc** out) {
  if (!out) return E_POINTER;
  *out = new TShellMalloc;
  return S_OK;
}

HRESULT SHGetDesktopFolder(IShellFolder** out) {
  if (!out) return E_POINTER;
  *out = TShellFolder::Create(ShellPlace::Desktop, "");
  return S_OK;
}

HRESULT SHGetSpecialFolderLocation(HWND, int csidl, LPITEMIDLIST* out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (csidl == CSIDL_DESKTOP) {
    *out = ILCombine(nullptr, nullptr);
  } else if (csidl == CSIDL_DRIVES) {
    *out = MakeShellItem(ShellItemType::Computer, 0, "");
  } else {
    std::string path = SpecialFolderPath(csidl);
    if (!IsFolder(path)) return E_FAIL;  // no such folder on this desktop
    *out = ParseShellPath(path);
  }
  return *out ? S_OK : E_FAIL;
}

bool SHGetPathFromIDList(LPCITEMIDLIST pidl, std::string& path) {
  ShellFacts facts;
  if (!ResolveShellList(ShellPlace::Desktop, "", pidl, facts) || facts.Path.empty()) return false;
  path = facts.Path;
  return true;
}

LPITEMIDLIST ILCreateFromPath(const std::string& path) {
  return ParseShellPath(path);
}

std::string StrRetToString(STRRET& sr, LPCITEMIDLIST pidl) {
  switch (sr.uType) {
    case STRRET_WSTR: {
      std::string text = sr.pOleStr ? Utf16ToUtf8(sr.pOleStr) : std::string();
      CoTaskMemFree(sr.pOleStr);
      sr.pOleStr = nullptr;
      return text;
    }
    case STRRET_OFFSET: {
      if (ILIsEmpty(pidl) || sr.uOffset >= ILItemSize(pidl)) return "";
      const char* p = reinterpret_cast<const char*>(pidl) + sr.uOffset;
      return std::string(p, strnlen(p, ILItemSize(pidl) - sr.uOffset));
    }
    case STRRET_CSTR:
      return std::string(sr.cStr, strnlen(sr.cStr, sizeof sr.cStr));
  }
  return "";
}

}  // namespace qv
