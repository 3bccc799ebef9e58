#include "platform/Program.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>

#include "platform/IoError.h"

extern char** environ;

namespace qvl {

std::string ProgramPath() {
  std::string path(PATH_MAX, '\0');
  ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
  if (length < 0) ThrowIoError("find the program file", "/proc/self/exe", errno);
  path.resize(static_cast<std::size_t>(length));
  return path;
}

std::string ProgramFolder() {
  std::string path = ProgramPath();
  return path.substr(0, path.rfind('/') + 1);
}

namespace {

bool IsOfType(const std::string& path, mode_t type) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && (st.st_mode & S_IFMT) == type;
}

// The package's documentation folder as seen from the installed bin folder.
std::string InstalledDocuments(const std::string& folder) { return folder + "../share/doc/quorvalen/"; }

}  // namespace

std::string ReadmePath() {
  std::string folder = ProgramFolder();
  std::string beside = folder + "Readme.txt";
  return IsOfType(beside, S_IFREG) ? beside : InstalledDocuments(folder) + "Readme.txt";
}

// The folder, not the read-me: a system may install packages without their
// documents, but keeps the folder for the copyright file.
bool InstalledProgramFolder(const std::string& folder) {
  return !IsOfType(folder + "Readme.txt", S_IFREG) && IsOfType(InstalledDocuments(folder), S_IFDIR);
}

std::string FindProgram(const std::string& name, const std::string& searchPath) {
  for (std::size_t begin = 0; begin <= searchPath.size();) {
    std::size_t end = std::min(searchPath.find(':', begin), searchPath.size());
    std::string folder = searchPath.substr(begin, end - begin);
    if (!folder.empty()) {
      std::string candidate = folder + "/" + name;
      struct stat st {};
      if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(candidate.c_str(), X_OK) == 0)
        return candidate;
    }
    begin = end + 1;
  }
  return {};
}

int RunProgram(const std::string& program, const std::vector<std::string>& args) {
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t child = 0;
  int err = ::posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (err != 0) ThrowIoError("run", program, err);

  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) ThrowIoError("wait for", program, errno);
  }
  if (!WIFEXITED(status))
    throw IoError("\"" + program + "\" was ended by signal " + std::to_string(WTERMSIG(status)));
  return WEXITSTATUS(status);
}

}  // namespace qvl
