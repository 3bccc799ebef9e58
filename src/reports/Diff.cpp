#include "reports/Diff.h"

#include <algorithm>
#include <vector>

#include "browse/FolderIndex.h"
#include "catalogue/CatalogueReader.h"
#include "platform/Locale.h"
#include "reports/EntryMatch.h"
#include "reports/EntryStream.h"

namespace qvl {
namespace {

constexpr std::uint32_t kNone = UINT32_MAX;

// What a diff keeps of one catalogue: its folder index, where each folder's runs of
// entries stand, and which folders share a path.
struct Side {
  struct Run {
    std::int64_t position;
    std::uint64_t firstOrdinal;
    std::uint32_t next = kNone;
  };
  FolderIndex folders;
  std::vector<Run> runs;
  std::vector<std::uint32_t> firstRun, lastRun;  // per folder
  std::vector<std::uint32_t> parent;             // per folder
  std::vector<std::uint32_t> pathClass;          // per folder: its path's class in `folders`
  std::vector<std::uint32_t> lead;               // per folder: the first folder of its path
  std::vector<std::uint32_t> nextOfPath;         // per folder: the next folder of its path
  CatalogueReader reader{std::size_t{1} << 16};
  const EntryFacts* facts = nullptr;
};

// The first pass: the folders and the runs of entries, without their texts.
class RunRecorder final : public EntryVisitor {
 public:
  explicit RunRecorder(Side& side) : side_(side) {}
  void FolderOpened(std::size_t folder) override {
    if (side_.firstRun.size() <= folder) {
      side_.firstRun.resize(folder + 1, kNone);
      side_.lastRun.resize(folder + 1, kNone);
      side_.parent.resize(folder + 1, 0);
    }
    side_.parent[folder] = open_.empty() ? 0 : open_.back();
    open_.push_back(static_cast<std::uint32_t>(folder));
  }
  void FolderClosed(std::size_t) override { open_.pop_back(); }
  void EntryRead(const StreamedEntry& streamed) override {
    if (!streamed.runStart) return;
    auto run = static_cast<std::uint32_t>(side_.runs.size());
    side_.runs.push_back({streamed.position, streamed.entry.ordinal});
    std::uint32_t& last = side_.lastRun[streamed.folder];
    (last == kNone ? side_.firstRun[streamed.folder] : side_.runs[last].next) = run;
    last = run;
  }

 private:
  Side& side_;
  std::vector<std::uint32_t> open_;
};

void ReadSide(Side& side, const std::string& name, Progress& progress) {
  progress.Status("Reading " + name);
  EntryStream stream(name, side.folders, progress, {.texts = false});
  RunRecorder recorder(side);
  stream.Run(recorder);
  const std::size_t count = side.folders.Count();
  side.firstRun.resize(count, kNone);
  side.lastRun.resize(count, kNone);
  side.parent.resize(count, 0);
  side.pathClass.assign(count, kNone);
  side.lead.assign(count, kNone);
  side.nextOfPath.assign(count, kNone);
  std::vector<std::uint32_t> lastOfPath(count, kNone);
  // Parents come before their folders: each path's class is one step from its
  // parent's.
  for (std::size_t folder = 0; folder < count; ++folder) {
    std::optional<std::uint32_t> pathClass = FolderIndex::kRootClass;
    if (folder != FolderIndex::kRoot) {
      std::uint32_t parentClass = side.pathClass[side.parent[folder]];
      pathClass = parentClass == kNone ? std::nullopt : side.folders.ChildClass(parentClass, side.folders.Name(folder));
    }
    std::optional<std::size_t> first = pathClass ? side.folders.FirstOfClass(*pathClass) : std::nullopt;
    if (pathClass) side.pathClass[folder] = *pathClass;
    auto lead = static_cast<std::uint32_t>(first && *first <= folder ? *first : folder);
    side.lead[folder] = lead;
    if (lastOfPath[lead] != kNone) side.nextOfPath[lastOfPath[lead]] = static_cast<std::uint32_t>(folder);
    lastOfPath[lead] = static_cast<std::uint32_t>(folder);
  }
  side.reader.OpenCatalogue(name);
}

// The entries of all folders of one path, names kept in one buffer.
struct FolderEntries {
  std::vector<ReportEntry> entries;
  std::vector<std::uint32_t> folderOf;
  std::vector<std::size_t> nameStart;
  std::string names;

  void Read(Side& side, std::uint32_t lead) {
    entries.clear();
    folderOf.clear();
    nameStart.clear();
    names.clear();
    for (std::uint32_t folder = lead; folder != kNone; folder = side.nextOfPath[folder]) {
      for (std::uint32_t run = side.firstRun[folder]; run != kNone; run = side.runs[run].next) {
        ReadEntryRun(side.reader, side.runs[run].position, side.runs[run].firstOrdinal, side.facts, text_,
                     [&](const ReportEntry& entry) {
                       nameStart.push_back(names.size());
                       names += entry.name;
                       entries.push_back(entry);
                       folderOf.push_back(folder);
                     });
      }
    }
    for (std::size_t i = 0; i < entries.size(); ++i)
      entries[i].name = std::string_view(names).substr(nameStart[i], entries[i].name.size());
  }

 private:
  std::string text_;
};

bool SameInOrder(const std::vector<ReportEntry>& a, const std::vector<ReportEntry>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].isFolder != b[i].isFolder || a[i].name != b[i].name || a[i].size != b[i].size ||
        a[i].modified != b[i].modified || a[i].hash != b[i].hash)
      return false;
  }
  return true;
}

// A difference found, kept until the moves are known.
struct Pending {
  DiffKind kind;
  bool isFolder;
  std::uint32_t oldFolder = kNone, newFolder = kNone;
  std::size_t oldName = 0, newName = 0;  // in the names buffer
  std::uint32_t oldLength = 0, newLength = 0;
  std::optional<std::int64_t> oldSize{}, newSize{};
  std::optional<ContentHash> hash{};
  unsigned changed = 0;
  bool movedAway = false;
  std::size_t movedFrom = SIZE_MAX;
};

class Differ {
 public:
  Differ(Side& oldSide, Side& newSide) : old_(oldSide), new_(newSide) {}

  void Compare(Progress& progress) {
    progress.Status("Comparing");
    std::vector<bool> oldDone(old_.folders.Count(), false);
    const std::size_t count = new_.folders.Count();
    // Each folder's path, as a class of the old catalogue's paths, when it has one.
    std::vector<std::uint32_t> oldClass(count, kNone);
    for (std::size_t folder = 0; folder < count; ++folder) {
      if (folder % 1024 == 0) {
        progress.Percent(PercentOf(static_cast<double>(folder), static_cast<double>(count)));
      }
      std::optional<std::uint32_t> pathClass = FolderIndex::kRootClass;
      if (folder != FolderIndex::kRoot) {
        std::uint32_t parentClass = oldClass[new_.parent[folder]];
        pathClass = parentClass == kNone ? std::nullopt
                                         : old_.folders.ChildClass(parentClass, new_.folders.Name(folder));
      }
      if (pathClass) oldClass[folder] = *pathClass;
      if (new_.lead[folder] != folder) continue;
      after_.Read(new_, static_cast<std::uint32_t>(folder));
      auto match = pathClass ? old_.folders.FirstOfClass(*pathClass) : std::nullopt;
      if (match) {
        std::uint32_t lead = old_.lead[*match];
        oldDone[lead] = true;
        before_.Read(old_, lead);
      } else {
        before_.Read(old_, kNone);
      }
      CompareFolder();
    }
    for (std::size_t folder = 0; folder < old_.folders.Count(); ++folder) {
      if (old_.lead[folder] != folder || oldDone[folder]) continue;
      before_.Read(old_, static_cast<std::uint32_t>(folder));
      after_.Read(new_, kNone);
      CompareFolder();
    }
  }

  void FindMoves() {
    std::vector<ReportEntry> removed, added;
    std::vector<std::size_t> removedAt, addedAt;
    for (std::size_t i = 0; i < pending_.size(); ++i) {
      const Pending& row = pending_[i];
      if (row.isFolder || (row.kind != DiffKind::Removed && row.kind != DiffKind::Added)) continue;
      bool isRemoved = row.kind == DiffKind::Removed;
      ReportEntry entry{.name = isRemoved ? Name(row.oldName, row.oldLength) : Name(row.newName, row.newLength),
                        .size = isRemoved ? row.oldSize : row.newSize,
                        .hash = row.hash};
      (isRemoved ? removed : added).push_back(entry);
      (isRemoved ? removedAt : addedAt).push_back(i);
    }
    for (auto [gone, found] : PairMoves(removed, added)) {
      pending_[removedAt[gone]].movedAway = true;
      pending_[addedAt[found]].movedFrom = removedAt[gone];
    }
  }

  DiffCounts Emit(DiffRows& rows) {
    DiffCounts counts;
    std::string path, newPath;
    for (const Pending& row : pending_) {
      if (row.movedAway) continue;
      DiffRow out{.kind = row.kind, .isFolder = row.isFolder, .oldSize = row.oldSize, .newSize = row.newSize,
                  .changed = row.changed};
      if (row.movedFrom != SIZE_MAX) {
        const Pending& from = pending_[row.movedFrom];
        out.kind = DiffKind::Moved;
        out.oldSize = from.oldSize;
        path = EntryPath(old_, from.oldFolder, Name(from.oldName, from.oldLength), false);
        newPath = EntryPath(new_, row.newFolder, Name(row.newName, row.newLength), false);
        out.newPath = newPath;
      } else if (row.kind == DiffKind::Removed) {
        path = EntryPath(old_, row.oldFolder, Name(row.oldName, row.oldLength), row.isFolder);
      } else {
        path = EntryPath(new_, row.newFolder, Name(row.newName, row.newLength), row.isFolder);
      }
      out.path = path;
      ++(out.kind == DiffKind::Added     ? counts.added
         : out.kind == DiffKind::Removed ? counts.removed
         : out.kind == DiffKind::Changed ? counts.changed
                                         : counts.moved);
      rows.Row(out);
    }
    return counts;
  }

 private:
  std::string_view Name(std::size_t start, std::uint32_t length) const {
    return std::string_view(names_).substr(start, length);
  }
  static std::string EntryPath(const Side& side, std::uint32_t folder, std::string_view name, bool isFolder) {
    std::string path = side.folders.Path(folder);
    path += name;
    if (isFolder) path += '\\';
    return path;
  }
  std::size_t KeepName(std::string_view name) {
    std::size_t start = names_.size();
    names_ += name;
    return start;
  }

  void CompareFolder() {
    if (SameInOrder(before_.entries, after_.entries)) return;
    EntryPairing pairing = PairEntries(before_.entries, after_.entries);
    for (std::size_t o : pairing.removed) {
      const ReportEntry& entry = before_.entries[o];
      Pending row{.kind = DiffKind::Removed, .isFolder = entry.isFolder};
      row.oldFolder = before_.folderOf[o];
      row.oldName = KeepName(entry.name);
      row.oldLength = static_cast<std::uint32_t>(entry.name.size());
      row.oldSize = entry.size;
      row.hash = entry.hash;
      pending_.push_back(row);
    }
    // Changed and added in the new catalogue's order.
    std::size_t c = 0, a = 0;
    while (c < pairing.changed.size() || a < pairing.added.size()) {
      bool takeChanged = a == pairing.added.size() ||
                         (c < pairing.changed.size() && pairing.changed[c].second < pairing.added[a]);
      std::size_t n = takeChanged ? pairing.changed[c].second : pairing.added[a];
      const ReportEntry& entry = after_.entries[n];
      Pending row{.kind = takeChanged ? DiffKind::Changed : DiffKind::Added, .isFolder = entry.isFolder};
      row.newFolder = after_.folderOf[n];
      row.newName = KeepName(entry.name);
      row.newLength = static_cast<std::uint32_t>(entry.name.size());
      row.newSize = entry.size;
      row.hash = entry.hash;
      if (takeChanged) {
        const ReportEntry& before = before_.entries[pairing.changed[c].first];
        row.oldSize = before.size;
        row.changed = ChangedParts(before, entry);
        ++c;
      } else {
        ++a;
      }
      pending_.push_back(row);
    }
  }

  Side& old_;
  Side& new_;
  FolderEntries before_, after_;
  std::vector<Pending> pending_;
  std::string names_;
};

}  // namespace

std::string_view DiffKindName(DiffKind kind) {
  switch (kind) {
    case DiffKind::Added: return "added";
    case DiffKind::Removed: return "removed";
    case DiffKind::Changed: return "changed";
    case DiffKind::Moved: break;
  }
  return "moved";
}

DiffCounts DiffCatalogues(const std::string& oldName, const std::string& newName, DiffRows& rows,
                          Progress& progress, const DiffSources& sources) {
  Side oldSide, newSide;
  oldSide.facts = sources.oldFacts;
  newSide.facts = sources.newFacts;
  ReadSide(oldSide, oldName, progress);
  ReadSide(newSide, newName, progress);
  Differ differ(oldSide, newSide);
  differ.Compare(progress);
  differ.FindMoves();
  return differ.Emit(rows);
}

}  // namespace qvl
