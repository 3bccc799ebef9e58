#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/Directory.h"

namespace qvl::test {

// A drive made up in memory: folders by their path below the root ("" for the root,
// "Docs/Old" below it), each with the entries the enumeration reports.
class FakeDirectory : public DirectorySource {
 public:
  void AddFolder(const std::string& path, std::vector<DirEntry> entries) { folders_[path] = std::move(entries); }
  // A folder whose enumeration fails, for `reason`.
  void AddUnreadable(const std::string& path, std::string reason = "Permission denied") {
    unreadable_.push_back(path);
    reasons_[path] = std::move(reason);
  }

  bool Enumerate(const std::vector<std::string>& folderNames, std::vector<DirEntry>& entries) override {
    std::string path;
    for (const auto& name : folderNames) path += (path.empty() ? "" : "/") + name;
    enumerated.push_back(path);
    entries.clear();
    for (const auto& bad : unreadable_) {
      if (bad == path) {
        reason_ = reasons_[path];
        return false;
      }
    }
    auto found = folders_.find(path);
    if (found == folders_.end()) {
      reason_ = "No such file or directory";
      return false;
    }
    entries = found->second;
    return true;
  }

  std::string FailureReason() const override { return reason_; }

  // A file's content, for its hash; a file without one cannot be read.
  void AddContent(const std::string& path, std::string content) { contents_[path] = std::move(content); }
  bool HashFile(const std::vector<std::string>& folderNames, const std::string& name, Hash128& hash,
                const BytesRead& read) override {
    std::string path;
    for (const auto& folder : folderNames) path += folder + "/";
    auto found = contents_.find(path + name);
    if (found == contents_.end()) {
      reason_ = "Permission denied";
      return false;
    }
    hash = Hash128Of(found->second);
    if (read) read(found->second.size());
    return true;
  }

  std::vector<std::string> enumerated;

 private:
  std::map<std::string, std::string> reasons_;
  std::string reason_;
  std::map<std::string, std::vector<DirEntry>> folders_;
  std::map<std::string, std::string> contents_;
  std::vector<std::string> unreadable_;
};

inline DirEntry Folder(const std::string& name, std::int64_t modified = kUnknownTime) {
  return {name, attr::Directory, 0, modified};
}
inline DirEntry FileOf(const std::string& name, long long size, std::int64_t modified = kUnknownTime) {
  return {name, attr::Archive, size, modified};
}

// The tree every listing format is shown with: readme.txt (1234 bytes) and zz.bin
// (200) in the root, a.txt (12) in Docs.
inline void AddSampleDisk(FakeDirectory& drive) {
  drive.AddFolder("", {FileOf("zz.bin", 200), Folder("Docs"), FileOf("readme.txt", 1234)});
  drive.AddFolder("Docs", {FileOf("a.txt", 12)});
}

}  // namespace qvl::test
