#include "reports/Collection.h"

#include <algorithm>
#include <memory>

#include "browse/FolderIndex.h"
#include "catalogue/Fields.h"
#include "platform/Locale.h"
#include "reports/EntryMatch.h"
#include "reports/EntryStream.h"

namespace qvl {
namespace {

constexpr std::uint32_t kNone = UINT32_MAX;

// Visits the entries of one file, the files among them as ReportEntry.
template <class Visit>
void ReadFiles(const CollectionFile& file, FolderIndex& folders, Progress& progress, Visit visit) {
  struct Visitor final : EntryVisitor {
    explicit Visitor(Visit& v) : visit(v) {}
    void EntryRead(const StreamedEntry& streamed) override {
      if (!streamed.entry.isFolder) visit(streamed);
    }
    Visit& visit;
  } visitor(visit);
  progress.Status("Reading " + file.name);
  EntryStream stream(file.name, folders, progress, {.facts = file.facts});
  stream.Run(visitor);
}

// Which keys have been met twice: two bits per slot, shared by all keys whose
// value falls on it, so a key met once may be taken for one met twice, never the
// other way round.
class TwiceFilter {
 public:
  explicit TwiceFilter(std::size_t expected) {
    std::size_t slots = 1 << 16;
    while (slots < expected * 8) slots *= 2;
    once_.assign(slots / 64, 0);
    twice_.assign(slots / 64, 0);
    mask_ = slots - 1;
  }
  void Add(std::uint64_t key) {
    std::size_t slot = (key ^ (key >> 32)) & mask_;
    std::uint64_t bit = std::uint64_t{1} << (slot % 64);
    if (once_[slot / 64] & bit) twice_[slot / 64] |= bit;
    once_[slot / 64] |= bit;
  }
  bool Twice(std::uint64_t key) const {
    std::size_t slot = (key ^ (key >> 32)) & mask_;
    return (twice_[slot / 64] >> (slot % 64)) & 1;
  }

 private:
  std::vector<std::uint64_t> once_, twice_;
  std::size_t mask_;
};

struct Candidate {
  std::uint64_t nameKey;
  std::int64_t size;
  std::size_t nameStart;
  std::uint32_t nameLength;
  std::uint32_t folder;
  std::uint32_t catalogue;
  std::uint32_t hash = kNone;  // in the list of hashes
};

}  // namespace

DuplicateCounts FindDuplicates(const std::vector<CollectionFile>& catalogues, std::int64_t minSize,
                               DuplicateRows& rows, Progress& progress) {
  Collator collator;
  minSize = std::max<std::int64_t>(minSize, 0);
  std::int64_t bytes = 0;
  std::vector<std::unique_ptr<FolderIndex>> folders;
  for (std::size_t i = 0; i < catalogues.size(); ++i) folders.push_back(std::make_unique<FolderIndex>(collator));

  std::string key;
  auto keysOf = [&](const ReportEntry& file, auto take) {
    if (!file.size || *file.size < minSize) return;
    key.clear();
    AppendFoldKey(file.name, key);
    take(NameSizeKey(key, *file.size), file.hash ? HashSizeKey(*file.hash, *file.size) : std::optional<std::uint64_t>());
  };

  // First: which keys occur more than once. Entries take some 24 bytes or more.
  for (const CollectionFile& file : catalogues) {
    FolderIndex sizing(collator);
    bytes += EntryStream(file.name, sizing, progress).Size();
  }
  TwiceFilter filter(static_cast<std::size_t>(bytes / 24));
  for (std::size_t c = 0; c < catalogues.size(); ++c) {
    ReadFiles(catalogues[c], *folders[c], progress, [&](const StreamedEntry& streamed) {
      keysOf(streamed.entry, [&](std::uint64_t nameKey, std::optional<std::uint64_t> hashKey) {
        filter.Add(nameKey);
        if (hashKey) filter.Add(*hashKey);
      });
    });
  }

  // Then the files that may have copies, with their names.
  std::vector<Candidate> candidates;
  std::vector<ContentHash> hashes;
  std::string names;
  for (std::size_t c = 0; c < catalogues.size(); ++c) {
    ReadFiles(catalogues[c], *folders[c], progress, [&](const StreamedEntry& streamed) {
      const ReportEntry& file = streamed.entry;
      keysOf(file, [&](std::uint64_t nameKey, std::optional<std::uint64_t> hashKey) {
        if (!filter.Twice(nameKey) && !(hashKey && filter.Twice(*hashKey))) return;
        Candidate candidate{nameKey, *file.size, names.size(), static_cast<std::uint32_t>(file.name.size()),
                            static_cast<std::uint32_t>(streamed.folder), static_cast<std::uint32_t>(c)};
        names += file.name;
        if (file.hash) {
          candidate.hash = static_cast<std::uint32_t>(hashes.size());
          hashes.push_back(*file.hash);
        }
        candidates.push_back(candidate);
      });
    });
  }

  auto at = [&](std::size_t i) {
    const Candidate& c = candidates[i];
    ReportEntry file{.name = std::string_view(names).substr(c.nameStart, c.nameLength), .size = c.size};
    if (c.hash != kNone) file.hash = hashes[c.hash];
    return file;
  };
  DuplicateGroups groups = GroupDuplicatesKeyed(
      candidates.size(), at, [&](std::size_t i) { return candidates[i].nameKey; }, minSize);

  std::vector<std::uint32_t> order(groups.Count());
  for (std::size_t g = 0; g < order.size(); ++g) order[g] = static_cast<std::uint32_t>(g);
  auto headOf = [&](std::size_t g) {
    DuplicateGroupHead head;
    head.size = candidates[groups.Group(g)[0]].size;
    head.copies = groups.Group(g).size();
    head.wasted = head.size;
    for (std::size_t i = 2; i < head.copies; ++i) head.wasted = AddBytes(head.wasted, head.size);
    return head;
  };
  std::vector<std::int64_t> wasted(order.size());
  for (std::size_t g = 0; g < order.size(); ++g) wasted[g] = headOf(g).wasted;
  std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
    if (wasted[a] != wasted[b]) return wasted[a] > wasted[b];
    return candidates[groups.Group(a)[0]].size > candidates[groups.Group(b)[0]].size;
  });

  DuplicateCounts counts;
  std::string path;
  for (std::uint32_t g : order) {
    DuplicateGroupHead head = headOf(g);
    rows.Group(head);
    ++counts.groups;
    counts.copies += static_cast<std::int64_t>(head.copies);
    counts.wasted = AddBytes(counts.wasted, head.wasted);
    for (std::uint32_t member : groups.Group(g)) {
      const Candidate& c = candidates[member];
      path = folders[c.catalogue]->Path(c.folder);
      path += std::string_view(names).substr(c.nameStart, c.nameLength);
      rows.Copy({catalogues[c.catalogue].name, path});
    }
  }
  return counts;
}

UniqueCounts FindUnique(const CollectionFile& catalogue, const std::vector<CollectionFile>& others,
                        std::int64_t minSize, UniqueRows& rows, Progress& progress) {
  Collator collator;
  FolderIndex folders(collator);
  CopyFinder finder(minSize);
  ReadFiles(catalogue, folders, progress, [&](const StreamedEntry& streamed) { finder.Add(streamed.entry); });
  for (const CollectionFile& other : others) {
    FolderIndex otherFolders(collator);
    ReadFiles(other, otherFolders, progress, [&](const StreamedEntry& streamed) { finder.Offer(streamed.entry); });
  }
  UniqueCounts counts;
  std::uint32_t number = 0;
  std::string path;
  ReadFiles(catalogue, folders, progress, [&](const StreamedEntry& streamed) {
    const ReportEntry& file = streamed.entry;
    // (A file that grew between the two readings has more files than were added.)
    std::uint32_t at = number++;
    if ((at < finder.Count() && finder.Found(at)) || (file.size && *file.size < minSize)) return;
    path = streamed.path;
    path += file.name;
    rows.File({path, file.size});
    ++counts.files;
    if (file.size) counts.bytes = AddBytes(counts.bytes, *file.size);
  });
  return counts;
}

}  // namespace qvl
