// Version information. The program's version block comes from the project
// version at build time: major.minor.patch becomes the file version
// major.minor.0.patch, so the shown major.minor.build equals the project version.
#include "catalogue/Info.h"

#include <sys/stat.h>
#include <unistd.h>

#include "Version.h"
#include "platform/Files.h"

namespace qv {

namespace {

#define QV_STR2(x) #x
#define QV_STR(x) QV_STR2(x)
constexpr char kFileVersion[] =
    QV_STR(QV_VERSION_MAJOR) "." QV_STR(QV_VERSION_MINOR) ".0." QV_STR(QV_VERSION_PATCH);
constexpr char kComments[] = "Disc cataloguer for the Linux desktop";

bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa {
  }, sb{};
  if (::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

// The text of s from pos up to the next sep (or the end); pos moves past it.
std::string NextPiece(const std::string& s, std::size_t& pos, char sep) {
  if (pos >= s.size()) return "";
  std::size_t end = s.find(sep, pos);
  if (end == std::string::npos) end = s.size();
  std::string piece = s.substr(pos, end - pos);
  pos = end + 1;
  return piece;
}

}  // namespace

std::string ProgramFile() {
  std::string buf(4096, '\0');
  ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
  if (n <= 0 || std::size_t(n) >= buf.size()) return "";
  buf.resize(std::size_t(n));
  return buf;
}

std::string AppName() {
  std::string title = kAppTitle;
  if (!title.empty()) return title;
  std::string name = ExtractFileName(ProgramFile());
  return ChangeFileExt(name, "");
}

std::string AppPath() {
  // The program file does not move while it runs: find its folder once.
  static const std::string path = [] {
    std::string exe = ProgramFile();
    return exe.empty() ? std::string("./") : ExtractFilePath(exe);
  }();
  return path;
}

TInfo::TInfo() {
  ReadVersion(ProgramFile());
  Title = AppName();
  ExeFolder = AppPath();
}

void TInfo::ReadVersion(const std::string& fileName) {
  if (!fileName.empty() && SameFile(fileName, ProgramFile()))
    SetVersion(kFileVersion, kComments);
  else
    SetNotAvailable();
}

void TInfo::SetNotAvailable() {
  FileVersion = Comments = Major = Minor = Release = Build = kNotAvailable;
}

void TInfo::SetVersion(const std::string& fileVersion, const std::string& comments) {
  FileVersion = fileVersion;
  Comments = comments;
  char sep = fileVersion.find('.') != std::string::npos ? '.' : ',';
  if (fileVersion.find(sep) == std::string::npos) {
    Major = Minor = Release = Build = kNotAvailable;
    return;
  }
  std::size_t pos = 0;
  Major = NextPiece(fileVersion, pos, sep);
  Minor = NextPiece(fileVersion, pos, sep);
  Release = NextPiece(fileVersion, pos, sep);
  Build = pos < fileVersion.size() ? fileVersion.substr(pos) : "";
}

std::string TInfo::VersionText() const {
  return Major + "." + Minor + "." + Build + " " + Comments;
}

}  // namespace qv
