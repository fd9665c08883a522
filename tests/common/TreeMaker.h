// Builds folder trees for scanner and engine tests: files of a given size
// (sparse, so large sizes cost nothing) and modification time.
#pragma once
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace qv::test {

inline void MakeFolder(const std::string& path) {
  std::filesystem::create_directories(path);
}

inline void MakeFile(const std::string& path, int64_t size = 0, int64_t mtime = 1600000000) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  int fd = ::open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return;
  if (size > 0 && ::ftruncate(fd, off_t(size)) != 0) {
  }
  ::close(fd);
  struct timeval tv[2] = {{time_t(mtime), 0}, {time_t(mtime), 0}};
  ::utimes(path.c_str(), tv);
}

}  // namespace qv::test
