// TOpenDialog and TSaveDialog over the system open and save dialogs.
#include "classlib/controls/Application.h"
#include "classlib/controls/Forms.h"
#include "classlib/dialogs/Dialogs.h"
#include "platform/Utf.h"
#include "platform/dialogs/SysDialogs.h"

namespace qv {
namespace {

constexpr std::size_t kPathUnits = 4096;

// "Text (*.txt)|*.txt|All (*.*)|*.*" becomes the zero-separated pair list.
std::u16string FilterList(const std::string& filter) {
  std::u16string out = Utf8ToUtf16(filter);
  for (auto& c : out)
    if (c == u'|') c = 0;
  out.push_back(0);
  out.push_back(0);
  return out;
}

DWORD FlagsOf(TOpenOptions o) {
  struct Pair {
    TOpenOption option;
    DWORD flag;
  };
  static const Pair kPairs[] = {{ofReadOnly, OFN_READONLY},
                                {ofOverwritePrompt, OFN_OVERWRITEPROMPT},
                                {ofHideReadOnly, OFN_HIDEREADONLY},
                                {ofNoChangeDir, OFN_NOCHANGEDIR},
                                {ofNoValidate, OFN_NOVALIDATE},
                                {ofPathMustExist, OFN_PATHMUSTEXIST},
                                {ofFileMustExist, OFN_FILEMUSTEXIST},
                                {ofCreatePrompt, OFN_CREATEPROMPT},
                                {ofNoReadOnlyReturn, OFN_NOREADONLYRETURN},
                                {ofEnableSizing, OFN_ENABLESIZING},
                                {ofForceShowHidden, OFN_FORCESHOWHIDDEN}};
  DWORD flags = 0;
  for (auto& p : kPairs)
    if (o.Contains(p.option)) flags |= p.flag;
  return flags;
}

}  // namespace

bool TOpenDialog::Execute() {
  std::u16string filter = FilterList(Filter);
  std::u16string initialDir = Utf8ToUtf16(InitialDir), title = Utf8ToUtf16(Title),
                 defExt = Utf8ToUtf16(DefaultExt);
  std::u16string file = Utf8ToUtf16(FileName);
  file.resize(std::max(kPathUnits, file.size() + 1), u'\0');
  OPENFILENAMEW ofn;
  TCustomForm* main = Application ? Application->MainForm() : nullptr;
  ofn.hwndOwner = GetActiveWindow()                 ? GetActiveWindow()
                  : main && main->HandleAllocated() ? main->WindowHandle()
                                                    : nullptr;
  ofn.lpstrFilter = Filter.empty() ? nullptr : filter.c_str();
  ofn.nFilterIndex = DWORD(std::max(FilterIndex, 1));
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = DWORD(file.size());
  ofn.lpstrInitialDir = InitialDir.empty() ? nullptr : initialDir.c_str();
  ofn.lpstrTitle = Title.empty() ? nullptr : title.c_str();
  ofn.lpstrDefExt = DefaultExt.empty() ? nullptr : defExt.c_str();
  ofn.Flags = FlagsOf(Options);
  if (OnShow) OnShow(this);
  BOOL ok = IsSave() ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
  if (OnClose) OnClose(this);
  if (!ok) return false;
  FileName = Utf16ToUtf8(std::u16string(ofn.lpstrFile));
  FilterIndex = int(ofn.nFilterIndex);
  if (ofn.Flags & OFN_EXTENSIONDIFFERENT)
    Options.Include(ofExtensionDifferent);
  else
    Options.Exclude(ofExtensionDifferent);
  return true;
}

}  // namespace qv
