#include "browse/Import.h"

#include <cerrno>
#include <vector>

#include "catalogue/CatalogueHeader.h"
#include "catalogue/Fields.h"
#include "catalogue/FolderNesting.h"
#include "platform/ByteSink.h"
#include "platform/File.h"
#include "platform/IoError.h"

namespace qvl {
namespace {

constexpr std::string_view kRewriting = "Rewriting dir ";

// One merge: the destination read front to back, the source read by seeks to the
// folders it copies.
class Merge {
 public:
  Merge(Catalogue& source, CatalogueReader& destination, ByteSink& out, bool fromListing, Progress& progress)
      : folders_(source.Folders()),
        source_(source.Reader()),
        destination_(destination),
        out_(out),
        fromListing_(fromListing),
        progress_(progress) {}

  void Run(const std::optional<CommentLines>& comment) {
    // The destination's caption stays; its comment is dropped for the one given.
    CatalogueHeader header = ReadCatalogueHeader(destination_);
    out_.Write(CatalogueHeaderBytes(header.caption,
                                    comment ? std::optional(CommentBlockText(*comment)) : std::nullopt));

    // The source root's records lead the root.
    mergePath_ = std::string(kRewriting) + "\\";
    ReportProgress();
    CopyRecords(FolderIndex::kRoot);

    while (!destination_.AtEnd()) {
      unsigned char current = destination_.CurrentTag();
      if (OpensFolder(current, destination_.AtEnd())) {
        ReportProgress();
        EnterFolder(destination_.ReadField());
      } else if (current == tag::FolderEnd) {
        // The root closes once, at the end: what follows its FolderEnd in an odd
        // file goes below it, as the loader reads it, and further FolderEnds
        // close nothing.
        if (auto folder = nesting_.Close()) LeaveFolder(*folder);
        destination_.ReadByte();
      } else if (IsEntryTag(current)) {
        destination_.CopyWhileAbove(tag::FolderEnd, out_);  // after subfolders too: kept
      } else {
        destination_.ReadByte();  // a SectionMark before the end
      }
    }
    // A file cut short leaves folders open: they are closed as if it went on.
    while (auto folder = nesting_.Close()) LeaveFolder(*folder);
    LeaveFolder(nesting_.Innermost());  // the root, last
    Put(tag::SectionMark, {});
  }

 private:
  struct OpenFolder {
    std::optional<std::uint32_t> pathClass;  // the source's class of its path
    std::optional<std::size_t> merged;       // the source folder merged into it
    std::size_t pathEnd;                     // mergePath_'s length with it
  };
  struct NewFolder {
    std::size_t folder;
    std::size_t nextChild = 0;
  };

  void Put(char recordTag, std::string_view text) {
    out_.Write(std::string_view(&recordTag, 1));
    out_.Write(text);
  }

  void ReportProgress() {
    int percent = PercentOf(static_cast<double>(destination_.ReadPosition()),
                            static_cast<double>(destination_.CatalogueSize()));
    if (percent == lastPercent_) return;
    lastPercent_ = percent;
    if (fromListing_)
      progress_.Status("Importing to " + destination_.OpenCatalogueName() + ", " + std::to_string(percent) + "% done");
    else
      progress_.Percent(percent);
  }

  // The copy rule: the folder's SubfolderEntry and FileEntry records, up to the
  // first other tag. The folder counts as merged from now on.
  void CopyRecords(std::size_t folder) {
    std::int64_t position = folders_.Position(folder);
    folders_.SetPosition(folder, 0);
    if (SeekFolderRecords(source_, position) && IsEntryTag(source_.CurrentTag()))
      source_.CopyWhileAbove(tag::FolderEnd, out_);
  }

  bool Merged(std::size_t folder) const { return folders_.Position(folder) < 1; }

  void EnterFolder(const std::string& name) {
    Put(tag::FolderStart, name);
    mergePath_ += name;
    mergePath_ += '\\';
    const OpenFolder& parent = nesting_.Innermost();
    OpenFolder folder{std::nullopt, std::nullopt, mergePath_.size()};
    if (parent.pathClass) folder.pathClass = folders_.ChildClass(*parent.pathClass, name);
    // A path that the destination holds twice takes the source's records once.
    auto match = folder.pathClass ? folders_.FirstOfClass(*folder.pathClass) : std::nullopt;
    if (match && !Merged(*match)) {
      CopyRecords(*match);
      folder.merged = match;
    }
    nesting_.Open(folder);
  }

  // Closes a folder that the destination's FolderEnd has just closed: the source
  // folders below it that the destination lacks go in first.
  void LeaveFolder(const OpenFolder& folder) {
    if (folder.merged) WriteNewFolders(*folder.merged);
    Put(tag::FolderEnd, {});
    mergePath_.resize(nesting_.Innermost().pathEnd);
  }

  // The subfolders of the source folder `parent` not merged yet, each with its
  // records and its own new subfolders, in source order. A stack, not recursion:
  // catalogues may nest deeper than a call stack.
  void WriteNewFolders(std::size_t parent) {
    std::vector<NewFolder> pending{{parent}};
    while (!pending.empty()) {
      NewFolder& top = pending.back();
      auto children = folders_.Children(top.folder);
      while (top.nextChild < children.size() && Merged(children[top.nextChild])) ++top.nextChild;
      if (top.nextChild == children.size()) {
        std::size_t done = top.folder;
        pending.pop_back();
        if (!pending.empty()) {
          Put(tag::FolderEnd, {});
          mergePath_.resize(mergePath_.size() - folders_.Name(done).size() - 1);
        }
        continue;
      }
      std::size_t child = children[top.nextChild++];
      std::string_view name = folders_.Name(child);
      Put(tag::FolderStart, name);
      mergePath_ += name;
      mergePath_ += '\\';
      progress_.Status(mergePath_);
      CopyRecords(child);
      pending.push_back({child});
    }
  }

  FolderIndex& folders_;
  CatalogueReader& source_;
  CatalogueReader& destination_;
  ByteSink& out_;
  bool fromListing_;
  Progress& progress_;
  // The destination's folders being copied; the root's merged the source root.
  FolderNesting<OpenFolder> nesting_{OpenFolder{FolderIndex::kRootClass, FolderIndex::kRoot, kRewriting.size() + 1}};
  // "Rewriting dir " and MergePath, the path being written, kept together so that
  // the status of each new folder costs no copy of its path.
  std::string mergePath_;
  int lastPercent_ = -1;
};

}  // namespace

bool SameCatalogueFile(const std::string& source, const std::string& destination) {
  return source == destination || SameFile(source, destination);
}

namespace {

// A merge must not write a result that reads as whole from files that changed
// under it: copied over, cut short or added to while it ran.
void CheckUnchanged(Catalogue& source, const CatalogueReader& destination, const std::string& target) {
  CatalogueReader& reader = source.Reader();
  const std::string& sourceName = reader.OpenCatalogueName();
  bool sourceWhole = source.Unchanged();
  if (sourceWhole && source.Complete()) {
    // The end mark where it was when the source was loaded.
    reader.SeekCatalogue(reader.CatalogueSize() - 1);
    reader.ReadByte();
    sourceWhole = reader.CurrentTag() == tag::SectionMark && reader.ReadPosition() == reader.CatalogueSize();
  }
  if (!sourceWhole)
    throw IoError("Cannot merge \"" + sourceName + "\": it was changed while it was being merged; \"" + target +
                  "\" is left as it was");
  auto now = StateOf(target);
  if (!now) ThrowIoError("replace", target, ENOENT);
  if (now->identity != destination.OpenedState().identity)
    throw IoError("Cannot replace \"" + target + "\": it was replaced by another file during the import");
  if (*now != destination.OpenedState())
    throw IoError("Cannot replace \"" + target + "\": it was changed by another program during the import");
}

}  // namespace

void ImportCatalogue(Catalogue& source, const std::string& destination, bool fromListing,
                     const std::optional<CommentLines>& comment, Progress& progress) {
  const std::string target = ReplacementTarget(destination);
  CatalogueReader reader;
  reader.OpenCatalogue(destination);
  // Whatever the destination is, it is replaced: a file that is plainly no
  // catalogue (a text file, an empty file) is refused rather than rewritten.
  reader.ReadByte();
  if (reader.CatalogueSize() == 0 || reader.CurrentTag() != tag::SectionMark)
    throw IoError("Cannot import into \"" + destination + "\": it is not a catalogue");
  reader.SeekCatalogue(0);

  // The name is fixed, so it is made anew: one that is there already (another
  // user's link, or left by a merge that was stopped) is refused, never written through.
  const std::string temporary = target + ".imp.tmp";
  File file = File::CreateExclusive(temporary);
  try {
    file.TakePermissionsOf(target);
    BufferedSink out(file);
    Merge(source, reader, out, fromListing, progress).Run(comment);
    out.Flush();
    file.Sync();
    file.Close();
    // Renaming over a file that took the destination's place meanwhile would
    // throw that file away, and over none would bring back one that was removed.
    CheckUnchanged(source, reader, target);
    reader.CloseCatalogue();
    RenameFile(temporary, target);
  } catch (...) {
    file = File();
    try {
      DeleteFile(temporary);
    } catch (const IoError&) {
      // The failure that stopped the import is the one to report.
    }
    throw;
  }
}

bool ImportCatalogueFile(Catalogue& catalogue, const std::string& source, const std::string& destination,
                         bool fromListing, const std::optional<CommentLines>& comment, Progress& progress) {
  if (!FileExists(source)) return false;
  if (SameCatalogueFile(source, destination)) throw SameFileError();
  // What is no catalogue, or only the first part of one, would be merged as
  // folders of garbage or as a whole that it is not.
  if (!catalogue.LoadCatalogue(source, !fromListing, progress, LoadCheck::CatalogueOnly)) return false;
  if (!catalogue.Complete()) throw IoError(CutShortText(source) + ", and is not merged");
  ImportCatalogue(catalogue, destination, fromListing, comment, progress);
  return true;
}

}  // namespace qvl
