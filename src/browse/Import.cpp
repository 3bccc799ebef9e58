#include "browse/Import.h"

#include <cerrno>
#include <vector>

#include "catalogue/CatalogueHeader.h"
#include "catalogue/CompanionFile.h"
#include "catalogue/Fields.h"
#include "catalogue/FolderNesting.h"
#include "catalogue/TagScan.h"
#include "platform/ByteSink.h"
#include "platform/File.h"
#include "platform/IoError.h"

namespace qvl {
namespace {

constexpr std::string_view kRewriting = "Rewriting dir ";
constexpr std::uint64_t kNoEntry = UINT64_MAX;

// Where the entries of the merged catalogue come from, for its companion: runs of
// entries copied from one side, in output order, and each output folder's first
// entry.
struct MergeRecord {
  struct Run {
    bool fromSource;
    std::uint64_t first;  // the side's number of the run's first entry; kNoEntry when not known
    std::uint64_t count;
  };
  std::vector<Run> runs;
  std::vector<std::uint64_t> folderFirst;
  std::uint64_t destinationEntries = 0;  // counted as the destination is read
};

// Counts the entry tags of what passes: the number of the next entry written.
class EntryCountingSink final : public ByteSink {
 public:
  explicit EntryCountingSink(ByteSink& target) : target_(target) {}
  void Write(std::string_view bytes) override {
    target_.Write(bytes);
    count_ += CountEntryTags(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
  }
  void Flush() override { target_.Flush(); }
  std::uint64_t Count() const { return count_; }

 private:
  ByteSink& target_;
  std::uint64_t count_ = 0;
};

// One merge: the destination read front to back, the source read by seeks to the
// folders it copies.
class Merge {
 public:
  // With `record`, the merge keeps where each entry came from; `out` then is the
  // counting sink that numbers them.
  Merge(Catalogue& source, CatalogueReader& destination, ByteSink& out, bool fromListing, Progress& progress,
        MergeRecord* record = nullptr, EntryCountingSink* counter = nullptr)
      : folders_(source.Folders()),
        source_(source.Reader()),
        sourceCompanion_(source.CompanionInfo()),
        destination_(destination),
        out_(out),
        fromListing_(fromListing),
        progress_(progress),
        record_(counter != nullptr ? record : nullptr),
        counter_(counter) {}

  void Run(const std::optional<CommentLines>& comment) {
    // The destination's caption stays; its comment is dropped for the one given.
    CatalogueHeader header = ReadCatalogueHeader(destination_);
    out_.Write(CatalogueHeaderBytes(header.caption,
                                    comment ? std::optional(CommentBlockText(*comment)) : std::nullopt));

    // The source root's records lead the root.
    mergePath_ = std::string(kRewriting) + "\\";
    ReportProgress();
    if (record_ != nullptr) record_->folderFirst.push_back(counter_->Count());
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
        const std::uint64_t before = Copied();
        destination_.CopyWhileAbove(tag::FolderEnd, out_);  // after subfolders too: kept
        if (record_ != nullptr) {
          const std::uint64_t count = Copied() - before;
          record_->runs.push_back({false, record_->destinationEntries, count});
          record_->destinationEntries += count;
        }
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
  // A folder of the merged catalogue begins: the loader numbers it next.
  void PutFolderStart(std::string_view name) {
    Put(tag::FolderStart, name);
    if (record_ != nullptr) record_->folderFirst.push_back(counter_->Count());
  }
  std::uint64_t Copied() const { return counter_ != nullptr ? counter_->Count() : 0; }

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
    const std::uint64_t before = Copied();
    if (SeekFolderRecords(source_, position) && IsEntryTag(source_.CurrentTag()))
      source_.CopyWhileAbove(tag::FolderEnd, out_);
    if (record_ != nullptr && Copied() > before) {
      const bool known = sourceCompanion_ != nullptr && folder < sourceCompanion_->folderFirstEntry.size();
      record_->runs.push_back({true, known ? sourceCompanion_->folderFirstEntry[folder] : kNoEntry, Copied() - before});
    }
  }

  bool Merged(std::size_t folder) const { return folders_.Position(folder) < 1; }

  void EnterFolder(const std::string& name) {
    PutFolderStart(name);
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
      PutFolderStart(name);
      mergePath_ += name;
      mergePath_ += '\\';
      progress_.Status(mergePath_);
      CopyRecords(child);
      pending.push_back({child});
    }
  }

  FolderIndex& folders_;
  CatalogueReader& source_;
  const CompanionData* sourceCompanion_;
  CatalogueReader& destination_;
  ByteSink& out_;
  bool fromListing_;
  Progress& progress_;
  MergeRecord* record_;
  EntryCountingSink* counter_;
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

// The companion of the merged catalogue: the destination's volume record with the
// source's volumes added to those merged in, and every entry's data from the
// side it was copied from.
Companion MergedCompanion(const MergeRecord& record, const CompanionData* source, const CompanionData* destination,
                          CatalogueFingerprint fingerprint) {
  Companion merged;
  merged.fingerprint = fingerprint;
  CompanionData& data = merged.data;
  if (destination != nullptr) {
    data.volume = destination->volume;
    data.mergedVolumes = destination->mergedVolumes;
  }
  if (source != nullptr) {
    data.mergedVolumes.push_back(source->volume);
    data.mergedVolumes.insert(data.mergedVolumes.end(), source->mergedVolumes.begin(), source->mergedVolumes.end());
  }
  if ((source != nullptr && source->HasHashes()) || (destination != nullptr && destination->HasHashes()))
    data.StartHashes();
  for (const MergeRecord::Run& run : record.runs) {
    const CompanionData* side = run.fromSource ? source : destination;
    for (std::uint64_t i = 0; i < run.count; ++i) {
      if (side == nullptr || run.first == kNoEntry) {
        data.AddEntry(kUnknownTime);
      } else {
        data.AddEntry(side->Time(run.first + i), side->HashOf(run.first + i));
      }
    }
  }
  data.folderFirstEntry = record.folderFirst;
  return merged;
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

  // The destination's companion counts once the merge has read all of it and
  // found it to be its own; the source's was checked by its load.
  CompanionCandidate destinationCandidate = ReadCompanionCandidate(destination, reader.CatalogueSize());
  if (destinationCandidate.state == CompanionState::Valid) reader.StartFingerprint();
  const std::shared_ptr<const CompanionData> sourceCompanion = source.SharedCompanion();
  const bool recordEntries = sourceCompanion || destinationCandidate.state == CompanionState::Valid;

  // The name is fixed, so it is made anew: one that is there already (another
  // user's link, or left by a merge that was stopped) is refused, never written through.
  const std::string temporary = target + ".imp.tmp";
  File file = File::CreateExclusive(temporary);
  try {
    file.TakePermissionsOf(target);
    FingerprintSink fingerprinted(file);
    BufferedSink out(fingerprinted);
    EntryCountingSink counted(out);
    MergeRecord record;
    Merge(source, reader, recordEntries ? static_cast<ByteSink&>(counted) : out, fromListing, progress, &record,
          recordEntries ? &counted : nullptr)
        .Run(comment);
    out.Flush();
    file.Sync();
    file.Close();
    // Renaming over a file that took the destination's place meanwhile would
    // throw that file away, and over none would bring back one that was removed.
    CheckUnchanged(source, reader, target);
    auto fingerprint = reader.Fingerprint();
    if (!fingerprint && destinationCandidate.state == CompanionState::Valid)
      destinationCandidate.state = CompanionState::Stale;
    CatalogueCompanion destinationCompanion =
        CheckCompanion(std::move(destinationCandidate), fingerprint.value_or(0));
    reader.CloseCatalogue();
    const CompanionData* destinationData = destinationCompanion.Data();
    if (destinationData != nullptr && destinationData->EntryCount() != record.destinationEntries)
      destinationData = nullptr;
    CompanionOutput companionOutput;
    const bool withCompanion = recordEntries && (sourceCompanion || destinationData != nullptr);
    if (withCompanion)
      companionOutput.Write(target, MergedCompanion(record, sourceCompanion.get(), destinationData,
                                                    {fingerprinted.Size(), fingerprinted.Digest()}));
    RenameFile(temporary, target);
    // Between the renames the old companion stands beside the merged catalogue,
    // whose fingerprint it does not have: it is not used.
    try {
      if (withCompanion)
        companionOutput.Commit();
      else
        RemoveCompanion(target);
    } catch (const IoError& error) {
      RemoveCompanion(target);
      throw IoError(std::string(error.what()) + "; the merged catalogue \"" + target + "\" is complete, without its dates");
    }
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
