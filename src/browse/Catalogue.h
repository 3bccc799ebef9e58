#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "catalogue/CatalogueReader.h"
#include "catalogue/CompanionFile.h"
#include "browse/FolderIndex.h"
#include "platform/Locale.h"
#include "platform/Progress.h"

namespace qvl {

// A catalogue's file name without its folder, as the status bar and the search's
// Archive column show it.
std::string FileTitleOf(std::string_view name);

// What the programs say of a file that is plainly no catalogue (empty, or not
// beginning with the header's mark), of one cut short before its end mark, and of
// an open catalogue whose file has changed since it was loaded.
std::string NotACatalogueText(std::string_view name);
std::string CutShortText(std::string_view name);
std::string ReplacedCatalogueText(std::string_view name);

// Which files a load takes: any file, read by the catalogue's rules (the window
// and the searches always could), or only what begins like a catalogue.
enum class LoadCheck { AnyFile, CatalogueOnly };

// An open catalogue: its reader, which stays open after the load, its folder index
// and what its header says. The browser, the quick find and the merge work on one.
// Threads: one operation at a time (load, show a folder, quick find, merge). It may
// run on a worker thread while the window's thread leaves the catalogue alone.
class Catalogue {
 public:
  Catalogue() : loaded_(std::make_unique<Loaded>()) {}

  // Reads the file `name` once from front to back and builds the folder index.
  // Returns false, changing nothing, when there is no such file. A file that
  // cannot be opened or read throws IoError, and the catalogue that was open stays
  // open as it was: the file is loaded aside and takes its place once read. A file
  // that is cut short or malformed loads up to where its data ends; what was read
  // stays usable. Its first byte is not checked.
  //
  // With CatalogueOnly a file that is no catalogue throws IoError
  // (NotACatalogueText) as soon as its first byte is read, and the catalogue that
  // was open stays.
  //
  // Progress: once per folder, either Percent (useProgressBar) or the status text
  // "Loading file NAME, N% done".
  bool LoadCatalogue(const std::string& name, bool useProgressBar, Progress& progress,
                     LoadCheck check = LoadCheck::AnyFile);
  void CloseCatalogue() { loaded_->reader.CloseCatalogue(); }

  CatalogueReader& Reader() { return loaded_->reader; }
  const CatalogueReader& Reader() const { return loaded_->reader; }
  FolderIndex& Folders() { return loaded_->folders; }
  const FolderIndex& Folders() const { return loaded_->folders; }

  // The drive caption (the status bar's second panel).
  const std::string& Caption() const { return loaded_->caption; }
  // The catalogue's file name without its folder (the status bar's first panel).
  const std::string& FileTitle() const { return loaded_->fileTitle; }
  // The comment block's text, CR LF pairs kept; none when the file has no block.
  const std::optional<std::string>& CommentBlock() const { return loaded_->comment; }
  // The comment block's text, or "(none)".
  std::string CatalogueComment() const { return loaded_->comment.value_or("(none)"); }
  // The file is not empty and its first byte is the header's SectionMark, as every
  // catalogue's is; the loader reads any file, but a command line may refuse one
  // that is plainly something else.
  bool BeginsLikeCatalogue() const { return loaded_->beginsLikeCatalogue; }
  // The data ended with the end mark as its last byte: false for a file cut short.
  bool Complete() const { return loaded_->complete; }
  // The file is still the one loaded, as it was: not deleted, replaced by another,
  // written over in place, cut short or added to. Reading a folder of a file that
  // has changed would give rows of the wrong folder, or none.
  bool Unchanged() const;
  // Where the catalogue came from, as the status bar's click shows it: the
  // caption and comment, then the volume record when the companion has one.
  std::string OriginText() const;

  // The companion found beside the file at the load: none, stale (not used), or
  // valid. It was checked against the bytes the load read.
  CompanionState CompanionStatus() const { return loaded_->companion.state; }
  // What the valid companion holds (the volume record, every entry's time and
  // hash); null without a valid one.
  const CompanionData* CompanionInfo() const { return loaded_->companion.Data(); }
  std::shared_ptr<const CompanionData> SharedCompanion() const {
    return CompanionInfo() != nullptr ? loaded_->companion.data : nullptr;
  }
  // The number of the first entry of the folder `folder` of the index; none
  // without a valid companion.
  std::optional<std::uint64_t> FolderFirstEntry(std::size_t folder) const;
  // An entry's time by its number; kUnknownTime without a valid companion.
  std::int64_t EntryTime(std::uint64_t entry) const;

  // The folder being read while loading, the folder shown while browsing.
  const std::string& CurrentPath() const { return currentPath_; }
  void SetCurrentPath(std::string path) { currentPath_ = std::move(path); }

 private:
  // What a load reads, replaced as a whole.
  struct Loaded {
    CatalogueReader reader;
    FolderIndex folders;
    std::string caption;
    std::string fileTitle;
    std::optional<std::string> comment;
    bool beginsLikeCatalogue = false;
    bool complete = false;
    CatalogueCompanion companion;
  };
  // Returns the path of the folder being read when the data ended.
  static std::string ReadFolders(Loaded& loaded, const std::string& name, bool useProgressBar,
                                 Progress& progress);

  std::unique_ptr<Loaded> loaded_;
  std::string currentPath_;
};

}  // namespace qvl
