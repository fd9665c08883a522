// The settings store: one ini file, one section open at a time. Readers open
// a section, read and close it; writers open it erased, write it whole and
// close it. The store notes in "GENERAL" whether this is the first run of the
// program and of this build.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "catalogue/Info.h"
#include "classlib/IniFiles.h"

namespace qv {

// The folder of the settings file: $XDG_CONFIG_HOME/Quirvane/ (by default
// ~/.config/Quirvane/), with a trailing "/".
std::string SettingsFolder();
// Where catalogues go unless the user picks another folder:
// $XDG_DATA_HOME/Quirvane/Bases/ (default ~/.local/share).
std::string DefaultDatabaseFolder();

class TStorage {
 public:
  // fileName empty: AppName() + ".ini". A relative name lies in
  // SettingsFolder(), an absolute one is taken as it stands. useIni is kept
  // for callers; the store is always an ini file.
  TStorage(const std::string& fileName, bool useIni);
  // Rewrites "GENERAL": both first-run keys become 0.
  ~TStorage();
  TStorage(const TStorage&) = delete;
  TStorage& operator=(const TStorage&) = delete;

  // Opens section; erase empties it first. Opening while a section is open is
  // a programming error (assertion), as are the reads and writes below with
  // no section open.
  void Open(const std::string& section, bool erase);
  // Writes the changes to the file and closes the section.
  void Close();
  bool IsOpen() const { return Ini != nullptr && !Section.empty(); }

  int32_t ReadInteger(const std::string& ident, int32_t def) const;
  void WriteInteger(const std::string& ident, int32_t value);
  bool ReadBool(const std::string& ident, bool def) const;
  void WriteBool(const std::string& ident, bool value);
  std::string ReadString(const std::string& ident, const std::string& def) const;
  void WriteString(const std::string& ident, const std::string& value);

  // The full path of the settings file.
  const std::string& SettingsFile() const { return settingsFile_; }

  // While set, Close writes nothing: the file stays as another instance of
  // the program, the one that owns the catalogue, left it.
  bool KeepFile = false;
  bool UseIni;
  std::string Section;
  std::unique_ptr<TMemIniFile> Ini;
  std::string FileName;
  std::string AppPath;
  bool FirstRun = true;
  std::string Build;
  bool NewBuild = true;
  std::string VersionText;

 private:
  void CheckOpen() const;

  std::string settingsFile_;
};

// The process-wide store: made before the first window, freed after the last.
extern std::unique_ptr<TStorage> Storage;

}  // namespace qv
