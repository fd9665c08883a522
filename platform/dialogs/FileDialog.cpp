// The open and save dialogs: the folder shown ("Look in"), its subfolders
// and its files that match the chosen filter, the file name and the filter
// choice; OK checks the name (a folder is entered, a pattern filters, a
// missing file or an existing one is asked about) before the dialog ends.
#include <algorithm>
#include <filesystem>

#include "platform/Files.h"
#include "platform/Utf.h"
#include "platform/controls/ComboBox.h"
#include "platform/controls/ListBox.h"
#include "platform/controls/SystemControls.h"
#include "platform/dialogs/DialogFrame.h"
#include "platform/dialogs/FileDialogModel.h"
#include "platform/dialogs/SysDialogs.h"
#include "platform/gdi/SystemMetrics.h"
#include "platform/window/MessageQueue.h"

namespace qv {
namespace {

constexpr int kFolderLabelId = 1100, kFolderId = 1101, kFoldersId = 1102, kFilesId = 1103,
              kNameLabelId = 1104, kNameId = 1105, kTypeLabelId = 1106, kTypeId = 1107;
// Sizes of the layout at 96 dpi, as much larger on a denser screen as the
// dialog's text is.
int DialogWidth() {
  return ScaleToScreen(460);
}
int DialogHeight() {
  return ScaleToScreen(300);
}
int Margin() {
  return ScaleToScreen(8);
}
int ButtonW() {
  return ScaleToScreen(75);
}
int ButtonH() {
  return ScaleToScreen(23);
}
int RowH() {
  return ScaleToScreen(21);
}

thread_local DWORD t_lastError = 0;

std::u16string TextOf(HWND h) {
  int n = GetWindowTextLengthW(h);
  std::u16string s(std::size_t(n) + 1, u'\0');
  s.resize(std::size_t(GetWindowTextW(h, s.data(), n + 1)));
  return s;
}

std::u16string ListText(HWND list, LRESULT index) {
  LRESULT n = SendMessageW(list, LB_GETTEXTLEN, WPARAM(index), 0);
  if (n < 0) return u"";
  std::u16string s(std::size_t(n) + 1, u'\0');
  SendMessageW(list, LB_GETTEXT, WPARAM(index), LPARAM(s.data()));
  s.resize(std::size_t(n));
  return s;
}

class FileDialog {
 public:
  FileDialog(OPENFILENAMEW& ofn, bool save) : ofn_(ofn), save_(save) {
    filters_ = dlg::ParseFilters(ofn.lpstrFilter);
    filterIndex_ =
        ofn.nFilterIndex >= 1 && ofn.nFilterIndex <= filters_.size() ? int(ofn.nFilterIndex) - 1 : 0;
    if (!filters_.empty()) patterns_ = filters_[std::size_t(filterIndex_)].patterns;
    std::string initial = ofn.lpstrFile ? Utf16ToUtf8(ofn.lpstrFile) : "";
    std::string dir = ofn.lpstrInitialDir ? Utf16ToUtf8(ofn.lpstrInitialDir) : "";
    if (!ExtractFilePath(initial).empty() && DirectoryExists(ExtractFilePath(initial)) &&
        (dir.empty() || initial[0] == '/'))
      dir = ExtractFilePath(initial);
    if (dir.empty() || !DirectoryExists(dir)) dir = std::filesystem::current_path().string();
    folder_ = IncludeTrailingPathDelimiter(dir);
    name_ = Utf8ToUtf16(ExtractFileName(initial));
  }

  BOOL Run() {
    std::u16string title = ofn_.lpstrTitle ? ofn_.lpstrTitle : (save_ ? u"Save As" : u"Open");
    if (!dlg::CreateDialogWindow(d_, ofn_.hwndOwner ? ofn_.hwndOwner : GetActiveWindow(), title,
                                 SIZE{DialogWidth(), DialogHeight()}, true)) {
      t_lastError = CDERR_INITIALIZATION;
      return FALSE;
    }
    Build();
    Fill();
    d_.defaultId = IDOK;
    d_.cancelId = IDCANCEL;
    d_.initialFocus = name_edit_;
    d_.OnCommand = [this](int id, WORD code, HWND) { return Command(id, code); };
    return dlg::RunModal(d_) == IDOK ? TRUE : FALSE;
  }

 private:
  void Build() {
    int listTop = Margin() + RowH() + 4, listBottom = DialogHeight() - Margin() - 2 * RowH() - 14;
    dlg::AddControl(d_, u"STATIC", u"Look &in:", SS_LEFT, RECT{Margin(), Margin() + 3, 70, Margin() + RowH()},
                    kFolderLabelId);
    folderLabel_ =
        dlg::AddControl(d_, u"STATIC", u"", SS_LEFT | SS_NOPREFIX | SS_PATHELLIPSIS,
                        RECT{72, Margin() + 3, DialogWidth() - Margin(), Margin() + RowH()}, kFolderId);
    int split = Margin() + 150;
    folders_ = dlg::AddControl(d_, u"LISTBOX", u"", WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY,
                               RECT{Margin(), listTop, split, listBottom}, kFoldersId, WS_EX_CLIENTEDGE);
    files_ = dlg::AddControl(d_, u"LISTBOX", u"", WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY,
                             RECT{split + 6, listTop, DialogWidth() - Margin(), listBottom}, kFilesId,
                             WS_EX_CLIENTEDGE);
    int row1 = listBottom + 10, row2 = row1 + RowH() + 6, labelW = 80;
    int fieldRight = DialogWidth() - Margin() - ButtonW() - 10;
    dlg::AddControl(d_, u"STATIC", u"File &name:", SS_LEFT,
                    RECT{Margin(), row1 + 3, Margin() + labelW, row1 + RowH()}, kNameLabelId);
    name_edit_ =
        dlg::AddControl(d_, u"EDIT", name_, WS_TABSTOP | ES_AUTOHSCROLL,
                        RECT{Margin() + labelW, row1, fieldRight, row1 + RowH()}, kNameId, WS_EX_CLIENTEDGE);
    dlg::AddControl(d_, u"STATIC", u"Files of &type:", SS_LEFT,
                    RECT{Margin(), row2 + 3, Margin() + labelW, row2 + RowH()}, kTypeLabelId);
    types_ = dlg::AddControl(d_, u"COMBOBOX", u"", WS_TABSTOP | CBS_DROPDOWNLIST,
                             RECT{Margin() + labelW, row2, fieldRight, row2 + 120}, kTypeId);
    for (auto& f : filters_) SendMessageW(types_, CB_ADDSTRING, 0, LPARAM(f.description.c_str()));
    SendMessageW(types_, CB_SETCURSEL, WPARAM(filterIndex_), 0);
    int bx = DialogWidth() - Margin() - ButtonW();
    dlg::AddControl(d_, u"BUTTON", save_ ? u"&Save" : u"&Open", WS_TABSTOP | BS_DEFPUSHBUTTON,
                    RECT{bx, row1 - 1, bx + ButtonW(), row1 - 1 + ButtonH()}, IDOK);
    dlg::AddControl(d_, u"BUTTON", u"Cancel", WS_TABSTOP | BS_PUSHBUTTON,
                    RECT{bx, row2 - 1, bx + ButtonW(), row2 - 1 + ButtonH()}, IDCANCEL);
  }

  // Shows the folder: its path, its subfolders and its matching files.
  void Fill() {
    SetWindowTextW(folderLabel_, Utf8ToUtf16(folder_).c_str());
    auto listing = dlg::ListFolder(folder_, patterns_, (ofn_.Flags & OFN_FORCESHOWHIDDEN) != 0);
    SendMessageW(folders_, LB_RESETCONTENT, 0, 0);
    SendMessageW(files_, LB_RESETCONTENT, 0, 0);
    for (auto& f : listing.folders) SendMessageW(folders_, LB_ADDSTRING, 0, LPARAM(f.c_str()));
    for (auto& f : listing.files) SendMessageW(files_, LB_ADDSTRING, 0, LPARAM(f.c_str()));
  }

  void Enter(const std::string& folder) {
    folder_ = IncludeTrailingPathDelimiter(folder);
    Fill();
  }

  bool Command(int id, WORD code) {
    if (id == kFoldersId && code == LBN_DBLCLK) {
      LRESULT i = SendMessageW(folders_, LB_GETCURSEL, 0, 0);
      if (i >= 0) OpenFolder(ListText(folders_, i));
      return true;
    }
    if (id == kFilesId && (code == LBN_SELCHANGE || code == LBN_DBLCLK)) {
      LRESULT i = SendMessageW(files_, LB_GETCURSEL, 0, 0);
      if (i >= 0) SetWindowTextW(name_edit_, ListText(files_, i).c_str());
      if (code == LBN_DBLCLK) Ok();
      return true;
    }
    if (id == kTypeId && code == CBN_SELCHANGE) {
      LRESULT i = SendMessageW(types_, CB_GETCURSEL, 0, 0);
      if (i >= 0 && std::size_t(i) < filters_.size()) {
        filterIndex_ = int(i);
        patterns_ = filters_[std::size_t(i)].patterns;
        Fill();
      }
      return true;
    }
    if (id == IDOK && code == BN_CLICKED) {
      // Enter in the folder list opens the folder rather than the file.
      if (GetFocus() == folders_) {
        LRESULT i = SendMessageW(folders_, LB_GETCURSEL, 0, 0);
        if (i >= 0) return OpenFolder(ListText(folders_, i)), true;
      }
      Ok();
      return true;
    }
    return false;
  }

  void OpenFolder(const std::u16string& name) {
    Enter(name == u".." ? dlg::ParentFolder(folder_) : folder_ + Utf16ToUtf8(name));
  }

  void Ok() {
    auto typed = dlg::ResolveTyped(folder_, TextOf(name_edit_));
    switch (typed.kind) {
      case dlg::TypedName::Nothing:
        return;
      case dlg::TypedName::Pattern:
        patterns_ = typed.patterns;
        Fill();
        return;
      case dlg::TypedName::Folder:
        SetWindowTextW(name_edit_, u"");
        Enter(typed.path);
        return;
      case dlg::TypedName::File:
        break;
    }
    std::string path = typed.path;
    if (!DirectoryExists(ExtractFilePath(path))) {
      Warn(Utf8ToUtf16(path) + u"\nThe folder does not exist.\nCheck the name and try again.", MB_OK);
      return;
    }
    if (save_) {
      path = dlg::WithDefaultExt(path, ofn_.lpstrDefExt ? ofn_.lpstrDefExt : u"");
      if (DirectoryExists(path)) return Enter(path);
      if (FileExists(path) && (ofn_.Flags & OFN_OVERWRITEPROMPT) &&
          Warn(Utf8ToUtf16(ExtractFileName(path)) + u" already exists.\nDo you want to replace it?",
               MB_YESNO | MB_DEFBUTTON2) != IDYES)
        return;
    } else if (!FileExists(path)) {
      std::string withExt = dlg::WithDefaultExt(path, ofn_.lpstrDefExt ? ofn_.lpstrDefExt : u"");
      if (FileExists(withExt)) {
        path = withExt;
      } else if (ofn_.Flags & OFN_CREATEPROMPT) {
        if (Warn(Utf8ToUtf16(ExtractFileName(path)) +
                     u"\nThis file does not exist.\nDo you want to create it?",
                 MB_YESNO) != IDYES)
          return;
      } else if (ofn_.Flags & OFN_FILEMUSTEXIST) {
        Warn(Utf8ToUtf16(ExtractFileName(path)) + u"\nFile not found.\nCheck the file name and try again.",
             MB_OK);
        return;
      }
    }
    Finish(path);
  }

  int Warn(const std::u16string& text, UINT flags) {
    std::u16string title = ofn_.lpstrTitle ? ofn_.lpstrTitle : (save_ ? u"Save As" : u"Open");
    return MessageBoxW(d_.hwnd, text.c_str(), title.c_str(), flags | MB_ICONWARNING);
  }

  void Finish(const std::string& path) {
    std::u16string wide = Utf8ToUtf16(path);
    if (!ofn_.lpstrFile || ofn_.nMaxFile < wide.size() + 1) {
      t_lastError = FNERR_BUFFERTOOSMALL;
      if (ofn_.lpstrFile && ofn_.nMaxFile >= 2) {
        // The size needed, as the platform reports it, in the first two units.
        ofn_.lpstrFile[0] = char16_t(wide.size() + 1);
        ofn_.lpstrFile[1] = char16_t((wide.size() + 1) >> 16);
      }
      dlg::End(d_, IDCANCEL);
      return;
    }
    std::copy(wide.begin(), wide.end(), ofn_.lpstrFile);
    ofn_.lpstrFile[wide.size()] = 0;
    std::size_t slash = wide.rfind(u'/');
    ofn_.nFileOffset = WORD(slash == std::u16string::npos ? 0 : slash + 1);
    std::size_t dot = wide.rfind(u'.');
    ofn_.nFileExtension = WORD(dot != std::u16string::npos && dot > ofn_.nFileOffset ? dot + 1 : 0);
    ofn_.nFilterIndex = DWORD(filterIndex_ + 1);
    std::u16string def = ofn_.lpstrDefExt ? ofn_.lpstrDefExt : u"";
    if (!def.empty() && ofn_.nFileExtension && wide.substr(ofn_.nFileExtension) != def)
      ofn_.Flags |= OFN_EXTENSIONDIFFERENT;
    dlg::End(d_, IDOK);
  }

  OPENFILENAMEW& ofn_;
  bool save_;
  dlg::Dialog d_;
  std::vector<dlg::FileFilter> filters_;
  int filterIndex_ = 0;
  std::vector<std::u16string> patterns_;
  std::string folder_;
  std::u16string name_;
  HWND folderLabel_ = nullptr, folders_ = nullptr, files_ = nullptr, name_edit_ = nullptr, types_ = nullptr;
};

BOOL RunFileDialog(OPENFILENAMEW* ofn, bool save) {
  t_lastError = 0;
  if (!ofn || ofn->lStructSize != sizeof(OPENFILENAMEW) || !ofn->lpstrFile || ofn->nMaxFile == 0) {
    t_lastError = CDERR_INITIALIZATION;
    return FALSE;
  }
  FileDialog dialog(*ofn, save);
  return dialog.Run();
}

}  // namespace

BOOL GetOpenFileNameW(OPENFILENAMEW* ofn) {
  return RunFileDialog(ofn, false);
}

BOOL GetSaveFileNameW(OPENFILENAMEW* ofn) {
  return RunFileDialog(ofn, true);
}

DWORD CommDlgExtendedError() {
  return t_lastError;
}

}  // namespace qv
