#include "support/RunQvl.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <stdexcept>

#include "support/TempDir.h"

namespace qvl::test {

std::string CopyQvlTo(const std::string& folder) {
  std::string copy = folder + "/qvl";
  std::error_code error;
  std::filesystem::create_hard_link(QVL_BINARY, copy, error);
  if (error) std::filesystem::copy_file(QVL_BINARY, copy);
  return copy;
}

QvlResult RunQvl(const std::vector<std::string>& args, const std::string& folder, long long fileSizeLimit) {
  // qvl reads and writes the settings file beside itself: each test process runs a
  // copy of its own, so no test touches one in the build folder.
  static const TempDir home;
  static const std::string program = CopyQvlTo(home.Path());
  return RunQvlAt(program, args, folder, fileSizeLimit);
}

QvlResult RunQvlAt(const std::string& program, const std::vector<std::string>& args, const std::string& folder,
                   long long fileSizeLimit) {
  TempDir capture;
  std::string outPath = capture / "out", errPath = capture / "err";
  pid_t child = ::fork();
  if (child < 0) throw std::runtime_error("fork failed");
  if (child == 0) {
    int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(out, 1);
    ::dup2(err, 2);
    if (!folder.empty() && ::chdir(folder.c_str()) != 0) ::_exit(126);
    if (fileSizeLimit >= 0) {
      ::signal(SIGXFSZ, SIG_IGN);  // stays ignored in qvl, so the write fails instead
      rlimit limit{static_cast<rlim_t>(fileSizeLimit), static_cast<rlim_t>(fileSizeLimit)};
      if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(126);
    }
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(outPath), ReadFile(errPath)};
}

}  // namespace qvl::test
