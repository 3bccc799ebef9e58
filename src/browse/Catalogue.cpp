#include "browse/Catalogue.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "catalogue/CatalogueHeader.h"
#include "catalogue/FolderNesting.h"
#include "catalogue/Tags.h"
#include "platform/File.h"
#include "platform/IoError.h"

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

namespace {

// Appended piece by piece: GCC 12 at -O3 takes "\"" + std::string for an
// overlapping copy (a false -Wrestrict).
std::string QuotedThen(std::string_view before, std::string_view name, std::string_view after) {
  std::string text(before);
  text += '"';
  text += name;
  text += '"';
  text += after;
  return text;
}

}  // namespace

std::string NotACatalogueText(std::string_view name) { return QuotedThen("", name, " is not a catalogue"); }

std::string CutShortText(std::string_view name) {
  return QuotedThen("", name, " ends before its end mark; it may be cut short");
}

std::string ReplacedCatalogueText(std::string_view name) {
  return QuotedThen("The catalogue ", name,
                    " has been deleted or replaced since it was opened.\r\nOpen it again to browse it.");
}

bool Catalogue::LoadCatalogue(const std::string& name, bool useProgressBar, Progress& progress, LoadCheck check) {
  if (!FileExists(name)) return false;
  auto loaded = std::make_unique<Loaded>();
  CatalogueReader& reader = loaded->reader;
  reader.OpenCatalogue(name);
  // The companion's head says the size of the catalogue it describes; only then
  // is the fingerprint worth taking, as the load reads the bytes anyway.
  CompanionCandidate candidate = ReadCompanionCandidate(name, reader.CatalogueSize());
  if (candidate.state == CompanionState::Valid) reader.StartFingerprint();

  CatalogueHeader header = ReadCatalogueHeader(reader, check == LoadCheck::CatalogueOnly);
  if (check == LoadCheck::CatalogueOnly && !header.beginsLikeCatalogue) throw IoError(NotACatalogueText(name));
  loaded->beginsLikeCatalogue = header.beginsLikeCatalogue;
  loaded->fileTitle = FileTitleOf(name);
  loaded->caption = std::move(header.caption);
  loaded->comment = std::move(header.comment);

  std::string path = ReadFolders(*loaded, name, useProgressBar, progress);
  // The end mark is a SectionMark as the last byte; the first byte, the header's
  // mark, cannot be both.
  const std::int64_t size = reader.CatalogueSize();
  if (size >= 2) {
    reader.SeekCatalogue(size - 1);
    reader.ReadByte();
    loaded->complete = reader.ReadPosition() == size && reader.CurrentTag() == tag::SectionMark;
  }
  auto fingerprint = reader.Fingerprint();
  if (candidate.state == CompanionState::Valid && !fingerprint) candidate.state = CompanionState::Stale;
  loaded->companion = CheckCompanion(std::move(candidate), fingerprint.value_or(0), loaded->folders.Count());
  loaded_ = std::move(loaded);
  currentPath_ = std::move(path);
  return true;
}

std::string Catalogue::ReadFolders(Loaded& loaded, const std::string& name, bool useProgressBar,
                                   Progress& progress) {
  CatalogueReader& reader = loaded.reader;
  FolderIndex& folders = loaded.folders;
  // Catalogues hold a folder record per few hundred bytes; room that is reserved
  // but not used costs no memory.
  auto expected = static_cast<std::size_t>(std::min<std::int64_t>(reader.CatalogueSize() / 128, 1 << 22));
  folders.Reserve(expected, expected * 16);
  folders.AppendRoot(reader.ReadPosition());
  FolderNesting<std::size_t> nesting(FolderIndex::kRoot);  // folder numbers
  std::string folderName;
  // Progress is sent when the percent changes; the position at which it next
  // changes is worked out in advance.
  const std::int64_t size = reader.CatalogueSize();
  std::int64_t nextReport = 0;
  do {
    reader.SkipWhileAbove(tag::FolderEnd);  // entry records are passed over unread
    if (OpensFolder(reader.CurrentTag(), reader.AtEnd())) {
      folderName.clear();
      reader.AppendField(folderName);
      folders.AppendFolder(nesting.Innermost(), folderName, reader.ReadPosition());
      nesting.Open(folders.Count() - 1);
      if (reader.ReadPosition() >= nextReport) {
        int percent = PercentAt(reader.ReadPosition(), size);
        nextReport = NextPercentAt(percent, size);
        if (useProgressBar)
          progress.Percent(percent);
        else
          progress.Status("Loading file " + name + ", " + std::to_string(percent) + "% done");
      }
    }
    if (reader.CurrentTag() == tag::FolderEnd) {
      nesting.Close();
      reader.ReadByte();
    }
    // A SectionMark before the last byte is passed over like an entry, so that the
    // records after it are still read.
    if (reader.CurrentTag() == tag::SectionMark && !EndsRecords(tag::SectionMark, reader.AtEnd())) reader.ReadByte();
  } while (!reader.AtEnd());
  // As after the records of a complete file, where the root's FolderEnd closed it.
  return nesting.AnyOpen() ? folders.Path(nesting.Innermost()) : std::string();
}

bool Catalogue::Unchanged() const {
  const CatalogueReader& reader = loaded_->reader;
  return reader.CatalogueOpen() && StateOf(reader.OpenCatalogueName()) == reader.OpenedState();
}

std::string Catalogue::OriginText() const {
  std::string text = "Created from " + Caption() + "\r\nFile Comment:\r\n" + CatalogueComment();
  if (const CompanionData* companion = CompanionInfo()) text += "\r\n" + VolumeText(*companion);
  return text;
}

std::optional<std::uint64_t> Catalogue::FolderFirstEntry(std::size_t folder) const {
  const CompanionData* companion = CompanionInfo();
  if (companion == nullptr || folder >= companion->folderFirstEntry.size()) return std::nullopt;
  return companion->folderFirstEntry[folder];
}

std::int64_t Catalogue::EntryTime(std::uint64_t entry) const {
  const CompanionData* companion = CompanionInfo();
  return companion != nullptr ? companion->Time(entry) : kUnknownTime;
}

}  // namespace qvl
