// Shared fixture of the shell tests: a temporary tree that holds a home
// folder and the mount points of a fake mount table (with a label link), and
// helpers that speak to the namespace in plain strings.
#pragma once
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/Utf.h"
#include "platform/backend/HeadlessBackend.h"
#include "platform/shell/Mounts.h"
#include "platform/shell/ShellApi.h"
#include "platform/shell/ShellItems.h"
#include "tests/common/TempDir.h"

namespace qv::test {

class ShellTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root = tmp.Path().substr(0, tmp.Path().size() - 1);  // without the trailing "/"
    home = root + "/home";
    data = root + "/data";  // a drive of the fake table
    MakeDir(home);
    MakeDir(data);
    MakeDir(root + "/labels");
    MakeDir(root + "/devices");
    WriteFile(root + "/devices/sdz1", "");
    std::filesystem::create_symlink(root + "/devices/sdz1", root + "/labels/Holiday\\x20Disc");
    std::ofstream(root + "/mountinfo")
        << "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
        << "23 22 0:5 / /proc rw shared:2 - proc proc rw\n"
        << "24 22 8:2 / " << data << " rw shared:3 - ext4 " << root << "/devices/sdz1 rw\n"
        << "25 22 11:0 / /media/cdrom ro - iso9660 /dev/sr0 ro\n"
        << "26 22 8:17 / /media/usb\\040stick rw - vfat /dev/sdq1 rw\n"
        << "27 22 0:50 / /net/share rw - nfs4 server:/export rw\n"
        << "28 22 8:2 /sub " << root << "/bound rw - ext4 /dev/sdb2 rw\n"
        << "29 22 0:30 / /run/user/1000 rw - tmpfs tmpfs rw\n"
        << "garbage line\n";
    SetMountInfoPath(root + "/mountinfo");
    SetDiskLabelFolder(root + "/labels");
    const char* h = std::getenv("HOME");
    savedHome = h ? h : "";
    ::setenv("HOME", home.c_str(), 1);
    SHGetDesktopFolder(desktop.Put());
  }

  void TearDown() override {
    desktop.Reset();
    SetMountInfoPath("");
    SetDiskLabelFolder("");
    ::setenv("HOME", savedHome.c_str(), 1);
  }

  static void MakeDir(const std::string& p) { std::filesystem::create_directories(p); }
  static void WriteFile(const std::string& p, const std::string& text) { std::ofstream(p) << text; }
  static std::string ReadFile(const std::string& p) {
    std::ifstream in(p);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  // The absolute list of a path (null when it does not parse).
  IdListPtr Parse(const std::string& path, HRESULT* result = nullptr) {
    std::u16string w = Utf8ToUtf16(path);
    IdListPtr pidl;
    ULONG eaten = 0;
    HRESULT hr = desktop->ParseDisplayName(nullptr, nullptr, w.c_str(), &eaten, pidl.Put(), nullptr);
    if (result) *result = hr;
    return pidl;
  }

  std::string NameOf(IShellFolder* folder, LPCITEMIDLIST pidl, DWORD flags) {
    STRRET sr;
    if (FAILED(folder->GetDisplayNameOf(pidl, flags, &sr))) return "<failed>";
    return StrRetToString(sr, pidl);
  }
  std::string NameOf(LPCITEMIDLIST absolute, DWORD flags) { return NameOf(desktop.Get(), absolute, flags); }

  ComPtr<IShellFolder> Bind(LPCITEMIDLIST absolute) {
    ComPtr<IShellFolder> folder;
    if (ILIsEmpty(absolute)) return desktop;
    desktop->BindToObject(absolute, nullptr, IID_IShellFolder, reinterpret_cast<void**>(folder.Put()));
    return folder;
  }
  ComPtr<IShellFolder> BindPath(const std::string& path) {
    IdListPtr pidl = Parse(path);
    return pidl ? Bind(pidl.Get()) : ComPtr<IShellFolder>();
  }

  // The in-folder names a folder lists for flags, in the listing's order.
  std::vector<std::string> List(IShellFolder* folder, DWORD flags, std::vector<IdListPtr>* items = nullptr) {
    std::vector<std::string> names;
    ComPtr<IEnumIDList> e;
    if (folder->EnumObjects(nullptr, flags, e.Put()) != S_OK) return {"<failed>"};
    LPITEMIDLIST item = nullptr;
    while (e->Next(1, &item, nullptr) == S_OK) {
      names.push_back(NameOf(folder, item, SHGDN_INFOLDER | SHGDN_FORPARSING));
      if (items)
        items->emplace_back(item);
      else
        ILFree(item);
    }
    return names;
  }

  uint32_t Attributes(IShellFolder* folder, LPCITEMIDLIST relative, uint32_t mask) {
    uint32_t a = mask;
    return SUCCEEDED(folder->GetAttributesOf(1, &relative, &a)) ? a : 0xDEADBEEF;
  }

  HeadlessBackend backend;
  TempDir tmp;
  std::string root, home, data, savedHome;
  ComPtr<IShellFolder> desktop;
};

}  // namespace qv::test
