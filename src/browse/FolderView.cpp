#include "browse/FolderView.h"

#include "catalogue/Fields.h"
#include "catalogue/FolderNesting.h"
#include "catalogue/Tags.h"
#include "catalogue/TextHelpers.h"
#include "platform/IoError.h"

namespace qvl {

bool ShowFolder(Catalogue& catalogue, std::string_view path, ListRowSink& rows) {
  auto folder = catalogue.Folders().Find(path);
  if (!folder) return false;
  CatalogueReader& reader = catalogue.Reader();
  if (!reader.CatalogueOpen())
    throw IoError("Cannot read \"" + reader.OpenCatalogueName() + "\": the catalogue has been closed");
  catalogue.SetCurrentPath(std::string(path));
  rows.ClearListView();

  if (!SeekFolderRecords(reader, catalogue.Folders().Position(*folder))) return true;
  // The folder's records are its entries in order: the companion numbers them
  // from the folder's first.
  const auto first = catalogue.FolderFirstEntry(*folder);
  std::string text;
  for (std::uint64_t entry = first.value_or(0);; ++entry) {
    auto recordTag = static_cast<char>(reader.CurrentTag());
    if (recordTag != tag::SubfolderEntry && recordTag != tag::FileEntry) break;
    text.clear();
    reader.AppendField(text);
    EntryParts parts = SplitEntryText(text);
    rows.AddListRow({.isFolder = recordTag == tag::SubfolderEntry,
                     .caption = parts.name,
                     .fileSize = parts.sizeText,
                     .modified = first ? catalogue.EntryTime(entry) : kUnknownTime});
  }
  return true;
}

std::string FolderText(std::int64_t fileCount, std::string_view path) {
  return std::to_string(fileCount) + " file(s) in folder " + ShortenPath(path, 85);
}

std::optional<std::string> BackPath(std::string_view path) {
  if (path == "\\") return std::nullopt;
  return ParentPath(path);
}

std::string SubfolderPath(std::string_view path, std::string_view name) {
  std::string child(path);
  child += name;
  child += '\\';
  return child;
}

}  // namespace qvl
