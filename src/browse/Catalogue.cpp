#include "browse/Catalogue.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "catalogue/Tags.h"
#include "platform/File.h"

namespace qvl {
namespace {

int PercentAt(std::int64_t position, std::int64_t size) {
  return PercentOf(static_cast<double>(position), static_cast<double>(size));
}

// The first position whose percent is above `percent`.
std::int64_t NextPercentAt(int percent, std::int64_t size) {
  auto at = static_cast<std::int64_t>(std::ceil(static_cast<double>(size) * (percent + 1) / 100.0));
  while (at > 0 && PercentAt(at - 1, size) > percent) --at;
  while (at <= size && PercentAt(at, size) <= percent) ++at;
  return at;
}

}  // namespace

std::string FileTitleOf(std::string_view name) {
  auto slash = name.rfind('/');
  return std::string(slash == std::string_view::npos ? name : name.substr(slash + 1));
}

bool Catalogue::LoadCatalogue(const std::string& name, bool useProgressBar, Progress& progress) {
  if (!FileExists(name)) return false;
  folders_.Clear();
  reader_.CloseCatalogue();
  reader_.OpenCatalogue(name);

  reader_.ReadByte();  // the header's SectionMark, not checked
  fileTitle_ = FileTitleOf(name);
  caption_ = reader_.ReadField();
  // A SectionMark that is the last byte is the end mark of a catalogue cut short,
  // not a comment block.
  comment_.reset();
  if (reader_.CurrentTag() == tag::SectionMark && !reader_.AtEnd()) comment_ = reader_.ReadField();

  ReadFolders(name, useProgressBar, progress);
  return true;
}

void Catalogue::ReadFolders(const std::string& name, bool useProgressBar, Progress& progress) {
  // Catalogues hold a folder record per few hundred bytes; room that is reserved
  // but not used costs no memory.
  auto expected = static_cast<std::size_t>(std::min<std::int64_t>(reader_.CatalogueSize() / 128, 1 << 22));
  folders_.Reserve(expected, expected * 16);
  folders_.AppendRoot(reader_.ReadPosition());
  // The folders whose records are being read, innermost last. After the root's
  // FolderEnd it is empty; a folder that still follows goes below the root.
  std::vector<std::size_t> openFolders{FolderIndex::kRoot};
  std::string folderName;
  // Progress is sent when the percent changes; the position at which it next
  // changes is worked out in advance.
  const std::int64_t size = reader_.CatalogueSize();
  std::int64_t nextReport = 0;
  do {
    progress.Pump();
    reader_.SkipWhileAbove(tag::FolderEnd);  // entry records are passed over unread
    // A FolderStart that is the last byte has no name: a file cut short.
    if (reader_.CurrentTag() == tag::FolderStart && !reader_.AtEnd()) {
      folderName.clear();
      reader_.AppendField(folderName);
      std::size_t parent = openFolders.empty() ? FolderIndex::kRoot : openFolders.back();
      folders_.AppendFolder(parent, folderName, reader_.ReadPosition());
      openFolders.push_back(folders_.Count() - 1);
      if (reader_.ReadPosition() >= nextReport) {
        int percent = PercentAt(reader_.ReadPosition(), size);
        nextReport = NextPercentAt(percent, size);
        if (useProgressBar)
          progress.Percent(percent);
        else
          progress.Status("Loading file " + name + ", " + std::to_string(percent) + "% done");
      }
    }
    if (reader_.CurrentTag() == tag::FolderEnd) {
      if (!openFolders.empty()) openFolders.pop_back();
      reader_.ReadByte();
    }
    // A SectionMark before the last byte is no end mark: it is passed over like
    // an entry, so that the records after it are still read.
    if (reader_.CurrentTag() == tag::SectionMark && !reader_.AtEnd()) reader_.ReadByte();
  } while (!reader_.AtEnd());
  // As after the records of a complete file, where the root's FolderEnd emptied it.
  currentPath_ = openFolders.empty() ? std::string() : folders_.Path(openFolders.back());
}

std::string Catalogue::OriginText() const {
  return "Created from " + caption_ + "\r\nFile Comment:\r\n" + CatalogueComment();
}

}  // namespace qvl
