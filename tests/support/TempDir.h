#pragma once

#include <string>
#include <vector>

namespace qvl::test {

// A fresh folder below $TMPDIR that is removed with everything in it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& relative) const { return path_ + "/" + relative; }

  // Creates the folders on the way as needed.
  void MakeFolder(const std::string& relative) const;
  void MakeFile(const std::string& relative, const std::string& content = {}) const;
  // A sparse file of the given size.
  void MakeSizedFile(const std::string& relative, long long size) const;
  void MakeLink(const std::string& relative, const std::string& target) const;

 private:
  std::string path_;
};

// Folders nested one in the other below `base`, however long the path gets.
void MakeFolderChain(const std::string& base, const std::vector<std::string>& names);

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& content);

}  // namespace qvl::test
