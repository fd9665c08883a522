// The shell's public API: attribute, enumeration and name flags, the folder,
// enumerator, allocator and context-menu interfaces, display-name results,
// the special folders, SHGetFileInfo and ShellExecute.
#pragma once
#include <string>

#include "platform/ole/Com.h"
#include "platform/shell/IdLists.h"
#include "platform/window/Window.h"

namespace qv {

// Item attributes (GetAttributesOf).
constexpr uint32_t SFGAO_CANCOPY = 0x1, SFGAO_CANMOVE = 0x2, SFGAO_CANLINK = 0x4, SFGAO_CANRENAME = 0x10,
                   SFGAO_CANDELETE = 0x20, SFGAO_HASPROPSHEET = 0x40, SFGAO_DROPTARGET = 0x100,
                   SFGAO_LINK = 0x10000, SFGAO_SHARE = 0x20000, SFGAO_READONLY = 0x40000,
                   SFGAO_HIDDEN = 0x80000, SFGAO_VALIDATE = 0x01000000, SFGAO_REMOVABLE = 0x02000000,
                   SFGAO_FILESYSANCESTOR = 0x10000000, SFGAO_FOLDER = 0x20000000,
                   SFGAO_FILESYSTEM = 0x40000000, SFGAO_HASSUBFOLDER = 0x80000000;
// Every attribute this namespace knows: the answer to an empty request.
constexpr uint32_t SFGAO_KNOWN = SFGAO_CANCOPY | SFGAO_CANMOVE | SFGAO_CANRENAME | SFGAO_CANDELETE |
                                 SFGAO_DROPTARGET | SFGAO_LINK | SFGAO_READONLY | SFGAO_HIDDEN |
                                 SFGAO_REMOVABLE | SFGAO_FILESYSANCESTOR | SFGAO_FOLDER | SFGAO_FILESYSTEM |
                                 SFGAO_HASSUBFOLDER;

// EnumObjects
constexpr DWORD SHCONTF_FOLDERS = 0x20, SHCONTF_NONFOLDERS = 0x40, SHCONTF_INCLUDEHIDDEN = 0x80;
// GetDisplayNameOf / SetNameOf
constexpr DWORD SHGDN_NORMAL = 0, SHGDN_INFOLDER = 0x1, SHGDN_FOREDITING = 0x1000, SHGDN_FORPARSING = 0x8000;

// Results beyond the general ones.
constexpr HRESULT HResultFromErrno(int err) {
  return err == 0 ? S_OK : MakeHResult(0x80070000u | (uint32_t(err) & 0xFFFF));
}
constexpr HRESULT MakeCompareResult(int order) {
  return HRESULT(uint16_t(int16_t(order < 0 ? -1 : order > 0 ? 1 : 0)));
}
// The low 16 bits of a CompareIDs result, sign-extended.
constexpr int CompareResultOrder(HRESULT hr) {
  return int16_t(uint16_t(uint32_t(hr) & 0xFFFF));
}

// A display name: always returned as a wide text allocated with CoTaskMemAlloc.
constexpr UINT STRRET_WSTR = 0, STRRET_OFFSET = 1, STRRET_CSTR = 2;
struct STRRET {
  UINT uType = STRRET_WSTR;
  union {
    char16_t* pOleStr;
    UINT uOffset;
    char cStr[260];
  };
  STRRET() : pOleStr(nullptr) {}
};
// The text of a STRRET as UTF-8 (freeing a wide text); an offset beyond the
// item of pidl gives "".
std::string StrRetToString(STRRET& sr, LPCITEMIDLIST pidl);

inline constexpr IID IID_IMalloc{
    0x2D260333, 0x203C, 0x43E3, {0x87, 0x75, 0xAD, 0x9D, 0x1C, 0x8B, 0xD3, 0x35}};
inline constexpr IID IID_IEnumIDList{
    0x61B9B886, 0x95A1, 0x472A, {0x97, 0x3C, 0x66, 0xCE, 0x0A, 0xB0, 0xF3, 0x39}};
inline constexpr IID IID_IShellFolder{
    0x01871AE9, 0x4E55, 0x4297, {0xA2, 0xC0, 0xC4, 0x90, 0xF1, 0xAC, 0x38, 0x83}};
inline constexpr IID IID_IContextMenu{
    0x784A56A6, 0xA734, 0x4EB4, {0x9B, 0x6E, 0xE8, 0xEB, 0xA5, 0xCA, 0x0D, 0xB1}};
inline constexpr IID IID_IContextMenu2{
    0xFCA92F13, 0xACF0, 0x4E3E, {0xB0, 0x12, 0x0A, 0xDE, 0x29, 0xF1, 0x1C, 0xC5}};

// The shell's allocator (malloc/free underneath, the same heap as CoTaskMemAlloc).
struct IMalloc : IUnknown {
  static const IID& Iid() { return IID_IMalloc; }
  virtual void* Alloc(size_t size) = 0;
  virtual void* Realloc(void* p, size_t size) = 0;
  virtual void Free(void* p) = 0;
};

struct IEnumIDList : IUnknown {
  static const IID& Iid() { return IID_IEnumIDList; }
  // Up to celt new relative lists (the caller frees them); S_FALSE when fewer.
  virtual HRESULT Next(ULONG celt, LPITEMIDLIST* rgelt, ULONG* fetched) = 0;
  virtual HRESULT Skip(ULONG celt) = 0;
  virtual HRESULT Reset() = 0;
  virtual HRESULT Clone(IEnumIDList** out) = 0;
};

struct IBindCtx;  // binding contexts are never used; callers pass null

struct IShellFolder : IUnknown {
  static const IID& Iid() { return IID_IShellFolder; }
  virtual HRESULT ParseDisplayName(HWND owner, IBindCtx* bc, const char16_t* name, ULONG* eaten,
                                   LPITEMIDLIST* pidl, ULONG* attributes) = 0;
  virtual HRESULT EnumObjects(HWND owner, DWORD flags, IEnumIDList** out) = 0;
  virtual HRESULT BindToObject(LPCITEMIDLIST pidl, IBindCtx* bc, REFIID iid, void** out) = 0;
  virtual HRESULT BindToStorage(LPCITEMIDLIST pidl, IBindCtx* bc, REFIID iid, void** out) = 0;
  // The low 16 bits of the result, signed, order the two lists; 0 = the same item.
  virtual HRESULT CompareIDs(LPARAM column, LPCITEMIDLIST a, LPCITEMIDLIST b) = 0;
  virtual HRESULT CreateViewObject(HWND owner, REFIID iid, void** out) = 0;
  // *inOut: the attributes asked for (0 = every attribute); the answer keeps
  // those that hold for every item.
  virtual HRESULT GetAttributesOf(UINT count, const LPCITEMIDLIST* items, uint32_t* inOut) = 0;
  virtual HRESULT GetUIObjectOf(HWND owner, UINT count, const LPCITEMIDLIST* items, REFIID iid,
                                UINT* reserved, void** out) = 0;
  virtual HRESULT GetDisplayNameOf(LPCITEMIDLIST pidl, DWORD flags, STRRET* name) = 0;
  // Renames without ever replacing an existing item; *newPidl (may be null)
  // gets the new relative list.
  virtual HRESULT SetNameOf(HWND owner, LPCITEMIDLIST pidl, const char16_t* name, DWORD flags,
                            LPITEMIDLIST* newPidl) = 0;
};

// Detail columns. No folder of this namespace offers either interface, so
// views take their fallback (columns from the file's own facts); they are
// declared for the callers that ask.
inline constexpr IID IID_IShellFolder2{
    0x4350F628, 0xF5B0, 0x48D7, {0x91, 0x1E, 0x1A, 0x1A, 0xC8, 0x78, 0x5F, 0xBA}};
inline constexpr IID IID_IShellDetails{
    0xC3FF057B, 0x2472, 0x450F, {0x8F, 0xAB, 0x4A, 0xDA, 0x0B, 0x1A, 0x22, 0xFD}};
constexpr DWORD SHCOLSTATE_ONBYDEFAULT = 0x10;
struct SHELLDETAILS {
  int fmt = 0;     // the column alignment (list-view column format)
  int cxChar = 0;  // width in characters
  STRRET str;
};
struct IShellFolder2 : IShellFolder {
  static const IID& Iid() { return IID_IShellFolder2; }
  virtual HRESULT GetDefaultColumnState(UINT column, DWORD* flags) = 0;
  virtual HRESULT GetDetailsOf(LPCITEMIDLIST pidl, UINT column, SHELLDETAILS* details) = 0;
};
struct IShellDetails : IUnknown {
  static const IID& Iid() { return IID_IShellDetails; }
  virtual HRESULT GetDetailsOf(LPCITEMIDLIST pidl, UINT column, SHELLDETAILS* details) = 0;
  virtual HRESULT ColumnClick(UINT column) = 0;
};

// Context menus
constexpr UINT CMF_DEFAULTONLY = 0x1, CMF_VERBSONLY = 0x2, CMF_EXPLORE = 0x4, CMF_CANRENAME = 0x10;
constexpr UINT GCS_VERBA = 0x0, GCS_HELPTEXTA = 0x1, GCS_VALIDATEA = 0x2, GCS_VERBW = 0x4,
               GCS_HELPTEXTW = 0x5;
constexpr DWORD CMIC_MASK_ASYNCOK = 0x100000;
struct CMINVOKECOMMANDINFO {
  DWORD cbSize = sizeof(CMINVOKECOMMANDINFO);
  DWORD fMask = 0;
  HWND hwnd = nullptr;
  const char* lpVerb = nullptr;  // a verb text, or a command offset below 0x10000
  const char* lpParameters = nullptr;
  const char* lpDirectory = nullptr;
  int nShow = 1;
  DWORD dwHotKey = 0;
  HANDLE hIcon = nullptr;
};
inline const char* MakeVerbOffset(UINT offset) {
  return reinterpret_cast<const char*>(uintptr_t(offset));
}
inline bool IsVerbOffset(const char* verb) {
  return (reinterpret_cast<uintptr_t>(verb) >> 16) == 0;
}

struct IContextMenu : IUnknown {
  static const IID& Iid() { return IID_IContextMenu; }
  // Adds the commands to menu from index on, numbered from first; the result's
  // low 16 bits are the number of command ids used.
  virtual HRESULT QueryContextMenu(HMENU menu, UINT index, UINT first, UINT last, UINT flags) = 0;
  virtual HRESULT InvokeCommand(const CMINVOKECOMMANDINFO* info) = 0;
  virtual HRESULT GetCommandString(uintptr_t offset, UINT type, UINT* reserved, char* name, UINT cchMax) = 0;
};
struct IContextMenu2 : IContextMenu {
  static const IID& Iid() { return IID_IContextMenu2; }
  virtual HRESULT HandleMenuMsg(UINT msg, WPARAM wParam, LPARAM lParam) = 0;
};

// The namespace
HRESULT SHGetMalloc(IMalloc** out);
HRESULT SHGetDesktopFolder(IShellFolder** out);
// The absolute list of a special folder; E_FAIL for those that do not exist here.
constexpr int CSIDL_DESKTOP = 0, CSIDL_INTERNET = 1, CSIDL_PROGRAMS = 2, CSIDL_CONTROLS = 3,
              CSIDL_PRINTERS = 4, CSIDL_PERSONAL = 5, CSIDL_FAVORITES = 6, CSIDL_STARTUP = 7,
              CSIDL_RECENT = 8, CSIDL_SENDTO = 9, CSIDL_BITBUCKET = 10, CSIDL_STARTMENU = 11,
              CSIDL_DESKTOPDIRECTORY = 16, CSIDL_DRIVES = 17, CSIDL_NETWORK = 18, CSIDL_FONTS = 20,
              CSIDL_TEMPLATES = 21, CSIDL_COMMON_STARTMENU = 22, CSIDL_COMMON_PROGRAMS = 23,
              CSIDL_COMMON_DESKTOPDIRECTORY = 25, CSIDL_APPDATA = 26, CSIDL_PRINTHOOD = 27;
HRESULT SHGetSpecialFolderLocation(HWND owner, int csidl, LPITEMIDLIST* out);
// The file-system path of an absolute list; false for virtual items.
bool SHGetPathFromIDList(LPCITEMIDLIST pidl, std::string& path);
// The absolute list of a path (the desktop's ParseDisplayName); null when it does not parse.
LPITEMIDLIST ILCreateFromPath(const std::string& path);

// Icons and file information
constexpr UINT SHGFI_SMALLICON = 0x1, SHGFI_OPENICON = 0x2, SHGFI_PIDL = 0x8, SHGFI_USEFILEATTRIBUTES = 0x10,
               SHGFI_ICON = 0x100, SHGFI_DISPLAYNAME = 0x200, SHGFI_TYPENAME = 0x400,
               SHGFI_ATTRIBUTES = 0x800, SHGFI_SYSICONINDEX = 0x4000;
// File attributes for SHGFI_USEFILEATTRIBUTES.
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY_SHELL = 0x10;
struct SHFILEINFOW {
  HICON hIcon = nullptr;
  int iIcon = 0;
  uint32_t dwAttributes = 0;
  char16_t szDisplayName[260] = {};
  char16_t szTypeName[80] = {};
};
// `path` is a UTF-8 path, or an absolute item-id list with SHGFI_PIDL. Returns
// the system image list (as a number) for SHGFI_SYSICONINDEX, else nonzero on
// success; 0 on failure.
uintptr_t SHGetFileInfoW(const void* path, DWORD fileAttributes, SHFILEINFOW* info, UINT size, UINT flags);
inline uintptr_t SHGetFileInfo(const char* path, DWORD attributes, SHFILEINFOW* info, UINT size, UINT flags) {
  return SHGetFileInfoW(path, attributes, info, size, flags & ~SHGFI_PIDL);
}
inline uintptr_t SHGetFileInfo(LPCITEMIDLIST pidl, DWORD attributes, SHFILEINFOW* info, UINT size,
                               UINT flags) {
  return SHGetFileInfoW(pidl, attributes, info, size, flags | SHGFI_PIDL);
}
// The process-wide image lists of the shell's icons (16 and 32 pixels).
HIMAGELIST ShellImageList(bool small);

// Opening documents through the desktop's opener (xdg-open), never through a
// shell. A result above 32 means success. The verb is "open" or "explore"
// (or none); parameters are not passed on, as the opener takes none.
constexpr int SE_ERR_FNF = 2, SE_ERR_PNF = 3, SE_ERR_ACCESSDENIED = 5, SE_ERR_OOM = 8, SE_ERR_NOASSOC = 31;
HINSTANCE ShellExecuteW(HWND owner, const char16_t* verb, const char16_t* file, const char16_t* parameters,
                        const char16_t* directory, int show);
// The same with UTF-8 texts.
HINSTANCE ShellExecuteUtf8(HWND owner, const std::string& verb, const std::string& file,
                           const std::string& directory, int show);
constexpr DWORD SEE_MASK_IDLIST = 0x4, SEE_MASK_INVOKEIDLIST = 0xC;
struct SHELLEXECUTEINFOW {
  DWORD cbSize = sizeof(SHELLEXECUTEINFOW);
  DWORD fMask = 0;
  HWND hwnd = nullptr;
  const char16_t* lpVerb = nullptr;
  const char16_t* lpFile = nullptr;
  const char16_t* lpParameters = nullptr;
  const char16_t* lpDirectory = nullptr;
  int nShow = 1;
  HINSTANCE hInstApp = nullptr;
  void* lpIDList = nullptr;
};
BOOL ShellExecuteExW(SHELLEXECUTEINFOW* info);
inline BOOL ShellExecuteEx(SHELLEXECUTEINFOW* info) {
  return ShellExecuteExW(info);
}
inline HINSTANCE ShellExecute(HWND owner, const char16_t* verb, const char16_t* file,
                              const char16_t* parameters, const char16_t* directory, int show) {
  return ShellExecuteW(owner, verb, file, parameters, directory, show);
}

}  // namespace qv
