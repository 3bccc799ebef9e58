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

// Which keys have been met twice: two bits per slot side by side, shared by all
// keys whose value falls on it, so a key met once may be taken for one met twice,
// never the other way round.
class TwiceFilter {
 public:
  explicit TwiceFilter(std::size_t expected) {
    std::size_t slots = 1 << 16;
    while (slots < expected * 4) slots *= 2;
    bits_.assign(slots / 32, 0);
    mask_ = slots - 1;
  }
  void Add(std::uint64_t key) {
    std::size_t slot = Slot(key);
    std::uint64_t& word = bits_[slot / 32];
    const unsigned shift = 2 * (slot % 32);
    // 00 -> 01 -> 11
    word |= ((word >> shift) & 1) << (shift + 1) | std::uint64_t{1} << shift;
  }
  bool Twice(std::uint64_t key) const {
    std::size_t slot = Slot(key);
    return (bits_[slot / 32] >> (2 * (slot % 32) + 1)) & 1;
  }

 private:
  std::size_t Slot(std::uint64_t key) const { return (key ^ (key >> 32)) & mask_; }
  std::vector<std::uint64_t> bits_;
  std::size_t mask_;
};

// Paths of folders of one catalogue asked for in folder order, each made from the
// last one's ancestors that it shares: folders in order are mostly near each
// other, and their paths long.
class PathMaker {
 public:
  explicit PathMaker(const FolderIndex& folders) : folders_(folders), place_(folders.Count(), 0) {}
  std::string_view Path(std::size_t folder) {
    if (chain_.empty()) {
      path_ = "\\";
      chain_.push_back({FolderIndex::kRoot, 1});
    }
    pending_.clear();
    std::size_t f = folder;
    for (; !OnChain(f); f = folders_.Parent(f)) pending_.push_back(static_cast<std::uint32_t>(f));
    const std::size_t keep = place_[f] + 1;
    chain_.resize(keep);
    path_.resize(chain_.back().length);
    for (auto it = pending_.rbegin(); it != pending_.rend(); ++it) {
      path_ += folders_.Name(*it);
      path_ += '\\';
      place_[*it] = static_cast<std::uint32_t>(chain_.size());
      chain_.push_back({*it, path_.size()});
    }
    return path_;
  }

 private:
  bool OnChain(std::size_t f) const {
    return f == FolderIndex::kRoot || (place_[f] < chain_.size() && chain_[place_[f]].folder == f);
  }
  struct Link {
    std::size_t folder, length;
  };
  const FolderIndex& folders_;
  std::vector<std::uint32_t> place_;  // per folder: where on the chain it was put
  std::vector<Link> chain_;           // the last path's folders from the root down
  std::vector<std::uint32_t> pending_;
  std::string path_;
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

  // The first reading keys names cheaply (CaseBlindKey); the second makes the full
  // fold key of the files that pass.
  auto keysOf = [&](const ReportEntry& file, auto take) {
    if (!file.size || *file.size < minSize) return;
    take(CaseBlindKey(file.name, *file.size),
         file.hash ? HashSizeKey(*file.hash, *file.size) : std::optional<std::uint64_t>());
  };
  std::string key;

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
      keysOf(file, [&](std::uint64_t blindKey, std::optional<std::uint64_t> hashKey) {
        if (!filter.Twice(blindKey) && !(hashKey && filter.Twice(*hashKey))) return;
        key.clear();
        AppendFoldKey(file.name, key);
        Candidate candidate{NameSizeKey(key, *file.size), *file.size, names.size(), static_cast<std::uint32_t>(file.name.size()),
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

  // The order of the groups, sorted on keys kept side by side: most wasted first,
  // then the larger size, then the first found.
  struct GroupOrder {
    std::int64_t wasted, size;
    std::uint32_t group;
  };
  auto headOf = [&](std::size_t g) {
    DuplicateGroupHead head;
    head.size = groups.sizes[g];
    head.copies = groups.starts[g + 1] - groups.starts[g];
    head.wasted = head.size;
    for (std::size_t i = 2; i < head.copies; ++i) head.wasted = AddBytes(head.wasted, head.size);
    return head;
  };
  std::vector<GroupOrder> order(groups.Count());
  for (std::size_t g = 0; g < order.size(); ++g) {
    DuplicateGroupHead head = headOf(g);
    order[g] = {head.wasted, head.size, static_cast<std::uint32_t>(g)};
  }
  std::sort(order.begin(), order.end(), [](const GroupOrder& a, const GroupOrder& b) {
    if (a.wasted != b.wasted) return a.wasted > b.wasted;
    if (a.size != b.size) return a.size > b.size;
    return a.group < b.group;
  });

  // Paths are made a batch of copies at a time in the order of their folders, so
  // that the walks up each catalogue's folder tree find its folders at hand; the
  // copies then go out in the order of the groups.
  struct Copy {
    std::uint32_t catalogue, folder, member, slot;
  };
  constexpr std::size_t kBatch = std::size_t{1} << 15;
  std::vector<Copy> batch;
  std::vector<std::pair<std::size_t, std::size_t>> slots;  // (start, length) in paths
  std::string paths;
  std::vector<PathMaker> pathMakers;
  for (const auto& index : folders) pathMakers.emplace_back(*index);
  DuplicateCounts counts;
  for (std::size_t n = 0; n < order.size();) {
    const std::size_t first = n;
    batch.clear();
    for (; n < order.size() && (batch.empty() || batch.size() + groups.Group(order[n].group).size() <= kBatch); ++n) {
      for (std::uint32_t member : groups.Group(order[n].group)) {
        const Candidate& c = candidates[member];
        batch.push_back({c.catalogue, c.folder, member, static_cast<std::uint32_t>(batch.size())});
      }
    }
    std::vector<Copy> byFolder = batch;
    std::sort(byFolder.begin(), byFolder.end(), [](const Copy& a, const Copy& b) {
      return a.catalogue != b.catalogue ? a.catalogue < b.catalogue : a.folder < b.folder;
    });
    paths.clear();
    slots.assign(batch.size(), {0, 0});
    for (const Copy& copy : byFolder) {
      const Candidate& c = candidates[copy.member];
      std::size_t start = paths.size();
      paths += pathMakers[c.catalogue].Path(c.folder);
      paths += std::string_view(names).substr(c.nameStart, c.nameLength);
      slots[copy.slot] = {start, paths.size() - start};
    }
    std::size_t slot = 0;
    for (std::size_t g = first; g < n; ++g) {
      DuplicateGroupHead head = headOf(order[g].group);
      rows.Group(head);
      ++counts.groups;
      counts.copies += static_cast<std::int64_t>(head.copies);
      counts.wasted = AddBytes(counts.wasted, head.wasted);
      for (std::size_t i = 0; i < head.copies; ++i, ++slot) {
        auto [start, length] = slots[slot];
        rows.Copy({catalogues[batch[slot].catalogue].name, std::string_view(paths).substr(start, length)});
      }
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
