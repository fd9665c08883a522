// Version information of the program and the facts about its own file: the
// program folder and the application name.
#pragma once
#include <string>

namespace qv {

// The application title the program sets at start-up.
inline constexpr char kAppTitle[] = "Quirvane";

// The full path of the running program file ("" when it cannot be found).
std::string ProgramFile();
// The application title; when that is empty, the program file's name without
// its extension.
std::string AppName();
// The program folder, with a trailing "/".
std::string AppPath();

// The program's version block: file version, comments and the four parts of
// the file version, as texts.
class TInfo {
 public:
  // Reads the version of the program file, then Title and ExeFolder.
  TInfo();

  // Fills the values from fileName's version block. Only the program file
  // has one; any other file gives "<info not available>" everywhere.
  void ReadVersion(const std::string& fileName);
  // Takes the values of a version block and splits fileVersion into its parts.
  void SetVersion(const std::string& fileVersion, const std::string& comments);
  // Major.Minor.Build, a blank and the comments ("1.2.4 text" for 1.2.3.4).
  std::string VersionText() const;

  std::string FileVersion;
  std::string Comments;
  std::string Major;
  std::string Minor;
  std::string Release;
  std::string Build;
  std::string Title;
  std::string ExeFolder;

  static constexpr const char* kNotAvailable = "<info not available>";

 private:
  void SetNotAvailable();
};

}  // namespace qv
