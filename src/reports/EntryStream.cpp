#include "reports/EntryStream.h"

#include <algorithm>

#include "catalogue/CatalogueHeader.h"
#include "catalogue/FolderNesting.h"

namespace qvl {

EntryStream::EntryStream(const std::string& name, FolderIndex& folders, Progress& progress,
                         const EntryStreamOptions& options)
    : reader_(std::size_t{1} << 16), folders_(folders), progress_(progress), options_(options) {
  reader_.OpenCatalogue(name);
  CatalogueHeader header = ReadCatalogueHeader(reader_);
  caption_ = std::move(header.caption);
  comment_ = std::move(header.comment);
}

void EntryStream::ReportProgress() {
  int percent = PercentOf(static_cast<double>(reader_.ReadPosition()), static_cast<double>(reader_.CatalogueSize()));
  if (percent == lastPercent_) return;
  lastPercent_ = percent;
  progress_.Percent(percent);
}

void EntryStream::Run(EntryVisitor& visitor) {
  folders_.Clear();
  auto expected = static_cast<std::size_t>(std::min<std::int64_t>(reader_.CatalogueSize() / 128, 1 << 22));
  folders_.Reserve(expected, expected * 16);
  folders_.AppendRoot(reader_.ReadPosition());
  std::string path = "\\";
  FolderNesting<Level> nesting(Level{FolderIndex::kRoot, 1});
  visitor.FolderOpened(FolderIndex::kRoot);
  ReportProgress();

  StreamedEntry streamed;
  std::string text;
  bool afterEntry = false;
  do {
    const unsigned char current = reader_.CurrentTag();
    if (IsEntryTag(current) && !reader_.AtEnd()) {
      streamed.position = reader_.ReadPosition() - 1;
      streamed.runStart = !afterEntry;
      streamed.folder = nesting.Innermost().folder;
      streamed.path = path;
      ReportEntry& entry = streamed.entry;
      entry = ReportEntry{.ordinal = ordinal_++, .isFolder = current == tag::SubfolderEntry};
      if (options_.texts) {
        text.clear();
        reader_.AppendField(text);
        if (entry.isFolder) {
          entry.name = text;
        } else {
          EntryParts parts = SplitEntryText(text);
          entry.name = parts.name;
          entry.size = EntrySize(parts.sizeText);
        }
      } else {
        reader_.ReadByte();
        reader_.SkipWhileAbove(tag::Last);
      }
      if (options_.facts != nullptr) options_.facts->Fill(entry);
      visitor.EntryRead(streamed);
      afterEntry = true;
      continue;
    }
    afterEntry = false;
    if (OpensFolder(current, reader_.AtEnd())) {
      text.clear();
      reader_.AppendField(text);
      if (!nesting.AnyOpen()) path.resize(1);  // below the root, which has closed
      folders_.AppendFolder(nesting.Innermost().folder, text, reader_.ReadPosition());
      path += text;
      path += '\\';
      nesting.Open(Level{folders_.Count() - 1, path.size()});
      visitor.FolderOpened(folders_.Count() - 1);
      ReportProgress();
    } else if (current == tag::FolderEnd) {
      if (auto closed = nesting.Close()) {
        visitor.FolderClosed(closed->folder);
        path.resize(nesting.Innermost().pathLength);
      }
      reader_.ReadByte();
    } else {
      reader_.ReadByte();  // a SectionMark before the end, or a tag at the very end
    }
  } while (!reader_.AtEnd());
  // A file cut short leaves folders open.
  while (auto closed = nesting.Close()) visitor.FolderClosed(closed->folder);
  progress_.Percent(100);
}

}  // namespace qvl
