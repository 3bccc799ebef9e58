#include "support/TempDir.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace qvl::test {
namespace fs = std::filesystem;

TempDir::TempDir() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/qvl-test-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  // rm copes with trees deeper than a path can name; chmod gives back the rights
  // a test may have taken away.
  std::string quoted = "'" + path_ + "'";
  int status = std::system(("chmod -R u+rwx " + quoted + " 2>/dev/null; rm -rf " + quoted).c_str());
  (void)status;
}

void TempDir::MakeFolder(const std::string& relative) const { fs::create_directories(*this / relative); }

void TempDir::MakeFile(const std::string& relative, const std::string& content) const {
  fs::create_directories(fs::path(*this / relative).parent_path());
  WriteFile(*this / relative, content);
}

void TempDir::MakeSizedFile(const std::string& relative, long long size) const {
  MakeFile(relative);
  fs::resize_file(*this / relative, static_cast<std::uintmax_t>(size));
}

void TempDir::MakeLink(const std::string& relative, const std::string& target) const {
  fs::create_symlink(target, *this / relative);
}

void MakeFolderChain(const std::string& base, const std::vector<std::string>& names) {
  int fd = ::open(base.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  for (const auto& name : names) {
    if (fd < 0 || ::mkdirat(fd, name.c_str(), 0755) != 0) throw std::runtime_error("mkdirat failed");
    int next = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ::close(fd);
    fd = next;
  }
  if (fd >= 0) ::close(fd);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
  if (!out) throw std::runtime_error("cannot write " + path);
}

}  // namespace qvl::test
