#pragma once

// The searches written as plainly as they can be, a byte and a field at a time
// through the catalogue reader: what the block scan must agree with on any file.
// Shared by the tests and the fuzz target.
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "browse/Catalogue.h"
#include "catalogue/Fields.h"
#include "search/EntryScan.h"
#include "search/QuickFind.h"
#include "search/SearchAhead.h"
#include "search/SearchCatalogues.h"

namespace qvl::test {

inline std::string FoldAToZ(std::string_view text) {
  std::string folded(text);
  for (char& c : folded)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return folded;
}

inline bool Contains(std::string_view entry, std::string_view text) {
  return !text.empty() && FoldAToZ(entry).find(FoldAToZ(text)) != std::string::npos;
}

inline void AddHit(ListRows& rows, unsigned char tag, std::string_view entry, std::string_view path,
                   std::string_view archive) {
  EntryParts parts = SplitEntryText(entry);
  rows.AddListRow({.isFolder = tag == tag::SubfolderEntry,
                   .caption = parts.name,
                   .fileSize = parts.sizeText,
                   .path = path,
                   .archive = archive});
}

// Quick find: past the header to the first entry, then entry by entry; the folder
// is the one before the first whose position lies beyond the entry's end.
inline ListRows ReferenceQuickFind(const std::string& file, const FolderIndex& folders, std::string_view text) {
  ListRows rows;
  CatalogueReader reader(3);
  reader.OpenCatalogue(file);
  reader.ReadByte();  // the header's mark
  auto isEntry = [&] { return reader.CurrentTag() == 3 || reader.CurrentTag() == 4; };
  do reader.ReadByte();
  while (!reader.AtEnd() && !isEntry());
  for (;;) {
    while (reader.CurrentTag() != 0 && !isEntry()) reader.ReadByte();
    if (isEntry()) {
      unsigned char entryTag = reader.CurrentTag();
      std::string entry = reader.ReadField();
      if (Contains(entry, text)) {
        std::size_t folder = 0;
        while (folder + 1 < folders.Count() && folders.Position(folder + 1) <= reader.ReadPosition()) ++folder;
        AddHit(rows, entryTag, entry, folders.Empty() ? "" : folders.Path(folder), "");
      }
    } else if (!reader.AtEnd()) {
      reader.ReadByte();  // a SectionMark that is not the end mark
    }
    if (reader.AtEnd()) break;
  }
  return rows;
}

// The search of one file: the path follows the folder records as the loader's
// index has it (folders after the root's end below the root).
inline ListRows ReferenceSearch(const std::string& file, std::string_view text) {
  ListRows rows;
  if (text.empty()) return rows;
  CatalogueReader reader(3);
  reader.OpenCatalogue(file);
  reader.ReadByte();
  reader.ReadField();
  if (reader.CurrentTag() == 0) reader.ReadField();
  std::vector<std::string> open{"\\"};
  do {
    while (reader.CurrentTag() >= 5) reader.ReadByte();
    unsigned char current = reader.CurrentTag();
    if (current == 1) {
      std::string parent = open.empty() ? "\\" : open.back();
      open.push_back(parent + reader.ReadField() + "\\");
    } else if (current == 2) {
      if (!open.empty()) open.pop_back();
      reader.ReadByte();
    } else if (current >= 3) {
      std::string entry = reader.ReadField();
      if (Contains(entry, text)) AddHit(rows, current, entry, open.empty() ? "" : open.back(), FileTitleOf(file));
    } else if (!reader.AtEnd()) {
      reader.ReadByte();
    }
  } while (!reader.AtEnd());
  return rows;
}

// The loader's folder of each entry, by the position past its field: its path, or
// "" once the root has closed. The folders are the loader's, one per FolderStart
// with a name, and a FolderEnd goes back to the loader's parent of the folder.
// `numbers` gets each entry's number, counted in file order from 0.
inline std::map<std::int64_t, std::string> LoaderFolderOfEntries(const std::string& file,
                                                                 const FolderIndex& folders,
                                                                 std::ostringstream& problems,
                                                                 std::map<std::int64_t, std::uint64_t>* numbers = nullptr) {
  std::map<std::int64_t, std::string> entries;
  std::vector<std::size_t> parents(folders.Count(), 0);
  for (std::size_t i = 0; i < folders.Count(); ++i)
    for (std::uint32_t child : folders.Children(i)) parents[child] = i;
  CatalogueReader reader(3);
  reader.OpenCatalogue(file);
  reader.ReadByte();
  reader.ReadField();
  if (reader.CurrentTag() == 0 && !reader.AtEnd()) reader.ReadField();
  std::size_t current = 0, opened = 0;
  bool rootClosed = false, closed = false;  // closed: no folder is open
  do {
    while (reader.CurrentTag() >= 5) reader.ReadByte();
    unsigned char currentTag = reader.CurrentTag();
    if (currentTag == 1 && !reader.AtEnd()) {
      reader.ReadField();
      if (++opened >= folders.Count() || folders.Position(opened) != reader.ReadPosition()) {
        problems << "the loader has no folder at " << reader.ReadPosition() << "; ";
        return entries;
      }
      if (parents[opened] != (closed ? 0 : current)) problems << "folder " << opened << "'s parent; ";
      current = opened;
      closed = false;
    } else if (currentTag == 2) {
      if (!closed && current == 0) {
        closed = rootClosed = true;
      } else if (!closed) {
        current = parents[current];
        closed = current == 0 && rootClosed;
      }
      reader.ReadByte();
    } else if (currentTag >= 3) {
      reader.ReadField();
      if (numbers != nullptr) numbers->emplace(reader.ReadPosition(), entries.size());
      entries[reader.ReadPosition()] = closed ? "" : folders.Path(current);
    } else if (!reader.AtEnd()) {
      reader.ReadByte();
    }
  } while (!reader.AtEnd());
  if (opened + 1 != folders.Count()) problems << "the loader has " << folders.Count() << " folders; ";
  return entries;
}

// The search's path of every entry that a one-byte text finds, for each first
// byte of an entry, against the loader's folder of that entry.
inline std::string CheckScanFolders(const std::string& file, const FolderIndex& folders) {
  std::ostringstream problems;
  std::map<std::int64_t, std::uint64_t> numbers;
  auto expected = LoaderFolderOfEntries(file, folders, problems, &numbers);
  std::set<char> firstBytes;
  {
    CatalogueReader reader;
    reader.OpenCatalogue(file);
    reader.ReadByte();
    do {
      if (IsEntryTag(reader.CurrentTag())) {
        std::string entry = reader.ReadField();
        if (!entry.empty()) firstBytes.insert(entry[0]);
      } else {
        reader.ReadByte();
      }
    } while (!reader.AtEnd());
  }
  for (char first : firstBytes) {
    SearchPattern pattern(std::string_view(&first, 1));
    // The entries' numbers too, which the companion keeps dates by, in blocks small
    // enough that fields run across them.
    for (std::size_t blockSize : {std::size_t{1} << 12, std::size_t{3}}) {
      EntryScan scan(file, pattern, true, ScanOptions{.blockSize = blockSize, .countEntries = true});
      for (EntryScan::Event event; (event = scan.Next()) != EntryScan::Event::End;) {
        if (event != EntryScan::Event::Hit) continue;
        auto found = expected.find(scan.EndPosition());
        if (found == expected.end())
          problems << "no entry ends at " << scan.EndPosition() << "; ";
        else if (found->second != scan.Path())
          problems << "entry ending at " << scan.EndPosition() << " in " << scan.Path() << ", not " << found->second
                   << "; ";
        else if (numbers[scan.EndPosition()] != scan.EntryNumber())
          problems << "entry ending at " << scan.EndPosition() << " numbered " << scan.EntryNumber() << ", not "
                   << numbers[scan.EndPosition()] << "; ";
      }
    }
  }
  return problems.str();
}

inline std::string RowsText(const ListRows& rows) {
  std::ostringstream text;
  for (const ListRow& row : rows.rows)
    text << (row.isFolder ? 'D' : 'F') << ' ' << row.caption << '|' << row.fileSize << '|' << row.path << '|'
         << row.archive << '\n';
  return text.str();
}

// Both searches of `file` for each text, with blocks of several sizes and with
// both widths of vectors, against the plain ones. Returns what differs, or an
// empty text.
inline std::string CheckSearches(const std::string& file, const std::vector<std::string>& texts) {
  std::ostringstream problems;
  Collator collator("en_US");
  Catalogue catalogue;
  SearchProgress quiet;
  catalogue.LoadCatalogue(file, true, quiet);
  problems << CheckScanFolders(file, catalogue.Folders());
  for (const std::string& text : texts) {
    std::string quickExpected = RowsText(ReferenceQuickFind(file, catalogue.Folders(), text));
    std::string searchExpected = RowsText(ReferenceSearch(file, text));
    const std::size_t defaultSize = ScanOptions().blockSize;
    for (ScanOptions options : {ScanOptions{1}, ScanOptions{2}, ScanOptions{5}, ScanOptions{},
                                ScanOptions{5, false}, ScanOptions{defaultSize, false}}) {
      ListRows quick, search;
      FindEntries(catalogue, text, quick, quiet, options);
      SearchCatalogueFile(text, file, search, quiet, options);
      std::string how = " in blocks of " + std::to_string(options.blockSize) +
                        (options.wideVectors ? "" : " with 16-byte vectors");
      if (RowsText(quick) != quickExpected)
        problems << "quick find of \"" << text << "\"" << how << ":\n" << RowsText(quick) << "instead of\n"
                 << quickExpected;
      if (RowsText(search) != searchExpected)
        problems << "search of \"" << text << "\"" << how << ":\n" << RowsText(search) << "instead of\n"
                 << searchExpected;
    }
    // The file twice over, searched by workers side by side.
    ListRows twice;
    ScanWatcher quietWatcher;
    SearchFilesAhead(text, {file, file}, twice, quietWatcher, [](const std::string&, const CatalogueSearch&) {});
    if (RowsText(twice) != searchExpected + searchExpected)
      problems << "search of \"" << text << "\" twice, side by side:\n" << RowsText(twice);
  }
  return problems.str();
}

}  // namespace qvl::test
