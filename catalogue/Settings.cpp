// The settings store over an ini file in the user's configuration folder
// (the program folder is usually read-only on Linux).
#include "catalogue/Settings.h"

#include <clocale>
#include <cstdlib>

#include "platform/Exception.h"
#include "platform/Files.h"

namespace qv {

std::unique_ptr<TStorage> Storage;

namespace {

constexpr char kGeneral[] = "GENERAL";

// An environment folder, or "" when unset or not absolute (the XDG rule).
std::string EnvFolder(const char* name) {
  const char* v = std::getenv(name);
  if (!v || v[0] != '/') return "";
  return IncludeTrailingPathDelimiter(v);
}

}  // namespace

std::string SettingsFolder() {
  std::string base = EnvFolder("XDG_CONFIG_HOME");
  if (base.empty()) {
    std::string home = EnvFolder("HOME");
    base = home.empty() ? AppPath() : home + ".config/";
  }
  return base + AppName() + "/";
}

std::string DefaultDatabaseFolder() {
  std::string base = EnvFolder("XDG_DATA_HOME");
  if (base.empty()) {
    std::string home = EnvFolder("HOME");
    base = home.empty() ? AppPath() : home + ".local/share/";
  }
  return base + AppName() + "/Bases/";
}

TStorage::TStorage(const std::string& fileName, bool useIni) : UseIni(useIni) {
  FileName = fileName.empty() ? AppName() + ".ini" : fileName;
  AppPath = qv::AppPath();
  settingsFile_ = FileName.front() == '/' ? FileName : SettingsFolder() + FileName;
  // Number texts use a point whatever locale a library may have set.
  std::setlocale(LC_NUMERIC, "C");

  TInfo info;
  VersionText = info.VersionText();
  Build = info.Build;

  Open(kGeneral, false);
  NewBuild = ReadBool("Build" + Build, true);
  FirstRun = ReadBool("First", true);
  Close();
}

TStorage::~TStorage() {
  // A destructor must not throw: a section left open is closed first, and a
  // file that cannot be written loses the two keys, as any other setting.
  try {
    if (IsOpen()) Close();
    Open(kGeneral, true);
    WriteBool("Build" + Build, false);
    WriteBool("First", false);
    Close();
  } catch (const std::exception&) {
  }
}

void TStorage::Open(const std::string& section, bool erase) {
  QV_ASSERT(!IsOpen());
  QV_ASSERT(!section.empty());
  Ini = std::make_unique<TMemIniFile>(settingsFile_);
  Section = section;
  if (erase) Ini->EraseSection(section);
}

void TStorage::Close() {
  QV_ASSERT(IsOpen());
  if (Ini->Modified() && !KeepFile) {
    ForceDirectories(ExtractFilePath(settingsFile_));
    Ini->UpdateFile();
  }
  Ini.reset();
  Section.clear();
}

void TStorage::CheckOpen() const {
  QV_ASSERT(IsOpen());
}

int32_t TStorage::ReadInteger(const std::string& ident, int32_t def) const {
  CheckOpen();
  return Ini->ReadInteger(Section, ident, def);
}

void TStorage::WriteInteger(const std::string& ident, int32_t value) {
  CheckOpen();
  Ini->WriteInteger(Section, ident, value);
}

bool TStorage::ReadBool(const std::string& ident, bool def) const {
  CheckOpen();
  return Ini->ReadBool(Section, ident, def);
}

void TStorage::WriteBool(const std::string& ident, bool value) {
  CheckOpen();
  Ini->WriteBool(Section, ident, value);
}

std::string TStorage::ReadString(const std::string& ident, const std::string& def) const {
  CheckOpen();
  return Ini->ReadString(Section, ident, def);
}

void TStorage::WriteString(const std::string& ident, const std::string& value) {
  CheckOpen();
  Ini->WriteString(Section, ident, value);
}

}  // namespace qv
