#include "reports/FolderTotals.h"

#include <algorithm>

#include "catalogue/Fields.h"
#include "platform/Locale.h"
#include "reports/EntryStream.h"
#include "search/RowOrder.h"

namespace qvl {
namespace {

// A folder's totals reach its parent when it closes.
class Totaller final : public EntryVisitor {
 public:
  void FolderOpened(std::size_t folder) override {
    if (bytes.size() <= folder) {
      bytes.resize(folder + 1, 0);
      files.resize(folder + 1, 0);
    }
    open_.push_back(folder);
  }
  void FolderClosed(std::size_t folder) override {
    open_.pop_back();
    std::size_t parent = open_.back();
    bytes[parent] = AddBytes(bytes[parent], bytes[folder]);
    files[parent] += files[folder];
  }
  void EntryRead(const StreamedEntry& streamed) override {
    if (streamed.entry.isFolder) return;
    ++files[streamed.folder];
    if (streamed.entry.size) bytes[streamed.folder] = AddBytes(bytes[streamed.folder], *streamed.entry.size);
  }

  std::vector<std::int64_t> bytes, files;

 private:
  std::vector<std::size_t> open_;  // the root stays at the bottom
};

}  // namespace

std::optional<std::vector<FolderTotal>> FolderTotals(const std::string& name, std::string_view path,
                                                     std::optional<std::size_t> depth, Progress& progress) {
  FolderIndex folders;
  EntryStream stream(name, folders, progress);
  Totaller totaller;
  stream.Run(totaller);
  auto top = folders.Find(path);
  if (!top) return std::nullopt;

  std::vector<FolderTotal> totals;
  std::vector<std::pair<std::size_t, std::size_t>> pending{{*top, 0}};  // (folder, depth)
  while (!pending.empty()) {
    auto [folder, level] = pending.back();
    pending.pop_back();
    totals.push_back({folders.Path(folder), totaller.bytes[folder], totaller.files[folder], level});
    if (depth && level >= *depth) continue;
    for (std::uint32_t child : folders.Children(folder)) pending.emplace_back(child, level + 1);
  }
  std::sort(totals.begin(), totals.end(), [](const FolderTotal& a, const FolderTotal& b) {
    if (a.bytes != b.bytes) return a.bytes > b.bytes;
    int order = CompareText(a.path, b.path);
    return order != 0 ? order < 0 : a.path < b.path;
  });
  return totals;
}

}  // namespace qvl
