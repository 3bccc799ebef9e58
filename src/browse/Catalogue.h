#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "browse/CatalogueReader.h"
#include "browse/FolderIndex.h"
#include "platform/Locale.h"
#include "platform/Progress.h"

namespace qvl {

// A catalogue's file name without its folder, as the status bar and the search's
// Archive column show it.
std::string FileTitleOf(std::string_view name);

// An open catalogue: its reader, which stays open after the load, its folder index
// and what its header says. The browser, the quick find and the merge work on one.
// Threads: one operation at a time (load, show a folder, quick find, merge). It may
// run on a worker thread while the window's thread leaves the catalogue alone.
class Catalogue {
 public:
  explicit Catalogue(const Collator& collator) : folders_(collator) {}

  // Reads the file `name` once from front to back and builds the folder index.
  // Returns false, changing nothing, when there is no such file. A file that
  // cannot be opened or read throws IoError. A file that is cut short or malformed
  // loads up to where its data ends; what was read stays usable.
  //
  // Progress: once per folder, either Percent (useProgressBar) or the status text
  // "Loading file NAME, N% done"; Pump once per pass over the records.
  bool LoadCatalogue(const std::string& name, bool useProgressBar, Progress& progress);
  void CloseCatalogue() { reader_.CloseCatalogue(); }

  CatalogueReader& Reader() { return reader_; }
  const CatalogueReader& Reader() const { return reader_; }
  FolderIndex& Folders() { return folders_; }
  const FolderIndex& Folders() const { return folders_; }

  // The drive caption (the status bar's second panel).
  const std::string& Caption() const { return caption_; }
  // The catalogue's file name without its folder (the status bar's first panel).
  const std::string& FileTitle() const { return fileTitle_; }
  // The comment block's text, CR LF pairs kept; none when the file has no block.
  const std::optional<std::string>& CommentBlock() const { return comment_; }
  // The comment block's text, or "(none)".
  std::string CatalogueComment() const { return comment_.value_or("(none)"); }
  // Where the catalogue came from, as the status bar's click shows it.
  std::string OriginText() const;

  // The folder being read while loading, the folder shown while browsing.
  const std::string& CurrentPath() const { return currentPath_; }
  void SetCurrentPath(std::string path) { currentPath_ = std::move(path); }

 private:
  void ReadFolders(const std::string& name, bool useProgressBar, Progress& progress);

  CatalogueReader reader_;
  FolderIndex folders_;
  std::string caption_;
  std::string fileTitle_;
  std::optional<std::string> comment_;
  std::string currentPath_;
};

}  // namespace qvl
