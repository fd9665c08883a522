// Program start through posix_spawn: no shell, no waiting; the optional
// working folder is set in the child before it executes.
#include "platform/Processes.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <thread>

#include "platform/Files.h"

extern char** environ;

namespace qv {

std::string FindProgramOnPath(const std::string& name) {
  if (name.empty() || name.find('/') != std::string::npos) return "";
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= dirs.size()) {
    std::size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    std::string dir = dirs.substr(start, end - start);
    if (!dir.empty()) {
      std::string candidate = IncludeTrailingPathDelimiter(dir) + name;
      if (FileExists(candidate) && ::access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    start = end + 1;
  }
  return "";
}

bool StartDetached(const std::string& program, const std::vector<std::string>& args,
                   const std::string& directory) {
  if (program.empty()) return false;
  std::vector<std::string> texts;
  texts.push_back(ExtractFileName(program));
  texts.insert(texts.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& t : texts) argv.push_back(t.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  if (::posix_spawn_file_actions_init(&actions) != 0) return false;
  if (!directory.empty() && ::posix_spawn_file_actions_addchdir_np(&actions, directory.c_str()) != 0) {
    ::posix_spawn_file_actions_destroy(&actions);
    return false;
  }
  pid_t pid = 0;
  int rc = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  ::posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return false;
  std::thread([pid] {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }).detach();
  return true;
}

}  // namespace qv
