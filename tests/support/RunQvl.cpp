#include "support/RunQvl.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <stdexcept>

#include "support/TempDir.h"

namespace qvl::test {

QvlResult RunQvl(const std::vector<std::string>& args, const std::string& folder, long long fileSizeLimit) {
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
    std::vector<char*> argv{const_cast<char*>(QVL_BINARY)};
    for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    ::execv(QVL_BINARY, argv.data());
    ::_exit(127);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(outPath), ReadFile(errPath)};
}

}  // namespace qvl::test
