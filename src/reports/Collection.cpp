#include "reports/Collection.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <thread>

#include "browse/FolderIndex.h"
#include "catalogue/Fields.h"
#include "platform/File.h"
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
  // Threads may add at once.
  void Add(std::uint64_t key) {
    std::size_t slot = Slot(key);
    std::atomic_ref<std::uint64_t> word(bits_[slot / 32]);
    const std::uint64_t once = std::uint64_t{1} << (2 * (slot % 32));
    if (word.fetch_or(once, std::memory_order_relaxed) & once) word.fetch_or(once << 1, std::memory_order_relaxed);
  }
  void Prefetch(std::uint64_t key) const { __builtin_prefetch(&bits_[Slot(key) / 32]); }
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

struct GroupOrder {
  std::int64_t wasted, size;
  std::uint32_t group;
};

struct BatchCopy {
  std::uint64_t where;  // catalogue << 32 | folder
  std::size_t nameStart;
  std::uint32_t nameLength;
  std::uint32_t copy;  // its place in the batch
};

// Copies of groups [first, end) of the order, their paths one after the other.
struct PathBatch {
  std::size_t first = 0, end = 0;
  std::vector<std::uint32_t> copies;                       // candidates, in the order of the groups
  std::vector<std::pair<std::size_t, std::size_t>> slots;  // each copy's path: (start, length) in paths
  std::string paths;
  std::vector<BatchCopy> byFolder;  // the copies in the order of their folders
};
constexpr std::size_t kBatch = std::size_t{1} << 15;
constexpr std::size_t kFetchAhead = 64;

std::int64_t FileSizeOf(const std::string& name) {
  File file = File::OpenRead(name);
  return file.Size();
}

// Runs work(i, progress) for each catalogue i on up to four threads, the caller's
// among them; only the caller's reports progress, which is not for other threads.
// The first failure is thrown once all have stopped.
template <class Work>
void ForEachFile(const std::vector<CollectionFile>& files, Progress& progress, Work work) {
  std::atomic<std::size_t> next{0};
  std::mutex failed;
  std::exception_ptr failure;
  auto run = [&](Progress& mine) {
    for (;;) {
      std::size_t i = next++;
      if (i >= files.size()) return;
      try {
        work(i, mine);
      } catch (...) {
        std::lock_guard lock(failed);
        if (!failure) failure = std::current_exception();
        next = files.size();
        return;
      }
    }
  };
  Progress quiet;
  std::size_t threads = std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, 4);
  threads = std::min(threads, files.size());
  {
    std::vector<std::jthread> helpers;
    for (std::size_t t = 1; t < threads; ++t) helpers.emplace_back([&] { run(quiet); });
    run(progress);
  }
  if (failure) std::rethrow_exception(failure);
}

}  // namespace

DuplicateCounts FindDuplicates(const std::vector<CollectionFile>& catalogues, std::int64_t minSize,
                               DuplicateRows& rows, Progress& progress) {
  minSize = std::max<std::int64_t>(minSize, 0);
  std::vector<std::unique_ptr<FolderIndex>> folders;
  for (std::size_t i = 0; i < catalogues.size(); ++i) folders.push_back(std::make_unique<FolderIndex>());

  // The first reading keys names cheaply (CaseBlindKey); the second makes the full
  // fold key of the files that pass.
  auto keysOf = [&](const ReportEntry& file, auto take) {
    if (!file.size || *file.size < minSize) return;
    take(CaseBlindKey(file.name, *file.size),
         file.hash ? HashSizeKey(*file.hash, *file.size) : std::optional<std::uint64_t>());
  };

  // First: which keys occur more than once. Entries take some 24 bytes or more.
  std::int64_t bytes = 0;
  for (const CollectionFile& file : catalogues) bytes += FileSizeOf(file.name);
  TwiceFilter filter(static_cast<std::size_t>(bytes / 24));
  // Keys go to the filter some at a time, fetched first: each falls on a slot
  // anywhere in it.
  ForEachFile(catalogues, progress, [&](std::size_t c, Progress& fileProgress) {
    std::vector<std::uint64_t> keys;
    auto addKeys = [&] {
      for (std::uint64_t key : keys) filter.Prefetch(key);
      for (std::uint64_t key : keys) filter.Add(key);
      keys.clear();
    };
    ReadFiles(catalogues[c], *folders[c], fileProgress, [&](const StreamedEntry& streamed) {
      keysOf(streamed.entry, [&](std::uint64_t blindKey, std::optional<std::uint64_t> hashKey) {
        keys.push_back(blindKey);
        if (hashKey) keys.push_back(*hashKey);
        if (keys.size() >= kFetchAhead) addKeys();
      });
    });
    addKeys();
  });

  // Then the files that may have copies, with their names, each catalogue's apart
  // and then put together in order.
  struct Found {
    std::vector<Candidate> candidates;
    std::vector<ContentHash> hashes;
    std::string names;
  };
  std::vector<Found> found(catalogues.size());
  ForEachFile(catalogues, progress, [&](std::size_t c, Progress& fileProgress) {
    Found& mine = found[c];
    mine.candidates.reserve(static_cast<std::size_t>(FileSizeOf(catalogues[c].name) / 32));
    // Files wait in `waiting` (their names in `waitingNames`) until their slots of
    // the filter have been fetched.
    struct Waiting {
      std::uint64_t blindKey;
      std::optional<std::uint64_t> hashKey;
      std::int64_t size;
      std::size_t nameStart, nameLength;
      std::uint32_t folder;
      std::optional<ContentHash> hash;
    };
    std::vector<Waiting> waiting;
    std::string waitingNames, key;
    auto take = [&] {
      for (const Waiting& file : waiting) {
        filter.Prefetch(file.blindKey);
        if (file.hashKey) filter.Prefetch(*file.hashKey);
      }
      for (const Waiting& file : waiting) {
        if (!filter.Twice(file.blindKey) && !(file.hashKey && filter.Twice(*file.hashKey))) continue;
        std::string_view name = std::string_view(waitingNames).substr(file.nameStart, file.nameLength);
        key.clear();
        AppendFoldKey(name, key);
        Candidate candidate{NameSizeKey(key, file.size), file.size, mine.names.size(),
                            static_cast<std::uint32_t>(name.size()), file.folder, static_cast<std::uint32_t>(c)};
        mine.names += name;
        if (file.hash) {
          candidate.hash = static_cast<std::uint32_t>(mine.hashes.size());
          mine.hashes.push_back(*file.hash);
        }
        mine.candidates.push_back(candidate);
      }
      waiting.clear();
      waitingNames.clear();
    };
    ReadFiles(catalogues[c], *folders[c], fileProgress, [&](const StreamedEntry& streamed) {
      const ReportEntry& file = streamed.entry;
      keysOf(file, [&](std::uint64_t blindKey, std::optional<std::uint64_t> hashKey) {
        waiting.push_back({blindKey, hashKey, *file.size, waitingNames.size(), file.name.size(),
                           static_cast<std::uint32_t>(streamed.folder), file.hash});
        waitingNames += file.name;
        if (waiting.size() >= kFetchAhead) take();
      });
    });
    take();
  });
  std::vector<Candidate> candidates;
  std::vector<ContentHash> hashes;
  std::string names;
  {
    std::size_t total = 0, nameBytes = 0;
    for (const Found& part : found) {
      total += part.candidates.size();
      nameBytes += part.names.size();
    }
    candidates.reserve(total);
    names.reserve(nameBytes);
    for (Found& part : found) {
      for (Candidate candidate : part.candidates) {
        candidate.nameStart += names.size();
        if (candidate.hash != kNone) candidate.hash += static_cast<std::uint32_t>(hashes.size());
        candidates.push_back(candidate);
      }
      names += part.names;
      hashes.insert(hashes.end(), part.hashes.begin(), part.hashes.end());
      part = Found();
    }
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
  // that each path is made from the last one's; the next batch is made while one
  // goes out in the order of the groups.
  std::vector<PathMaker> pathMakers;
  for (const auto& index : folders) pathMakers.emplace_back(*index);
  // Two batches take turns, keeping their memory: fresh memory costs a page fault
  // per page.
  auto makeBatch = [&](PathBatch& batch, std::size_t first) {
    batch.first = batch.end = first;
    batch.copies.clear();
    batch.byFolder.clear();
    batch.paths.clear();
    for (; batch.end < order.size() &&
           (batch.copies.empty() || batch.copies.size() + groups.Group(order[batch.end].group).size() <= kBatch);
         ++batch.end) {
      batch.copies.insert(batch.copies.end(), groups.Group(order[batch.end].group).begin(),
                          groups.Group(order[batch.end].group).end());
    }
    // The copies' candidates lie anywhere: each is fetched some copies ahead.
    for (std::size_t copy = 0; copy < batch.copies.size(); ++copy) {
      if (copy + kFetchAhead < batch.copies.size()) __builtin_prefetch(&candidates[batch.copies[copy + kFetchAhead]]);
      const Candidate& c = candidates[batch.copies[copy]];
      batch.byFolder.push_back({std::uint64_t{c.catalogue} << 32 | c.folder, c.nameStart, c.nameLength,
                                static_cast<std::uint32_t>(copy)});
    }
    std::sort(batch.byFolder.begin(), batch.byFolder.end(),
              [](const BatchCopy& a, const BatchCopy& b) { return a.where < b.where; });
    batch.slots.resize(batch.copies.size());
    for (std::size_t i = 0; i < batch.byFolder.size(); ++i) {
      if (i + kFetchAhead < batch.byFolder.size()) __builtin_prefetch(names.data() + batch.byFolder[i + kFetchAhead].nameStart);
      const BatchCopy& copy = batch.byFolder[i];
      std::size_t start = batch.paths.size();
      batch.paths += pathMakers[copy.where >> 32].Path(copy.where & UINT32_MAX);
      batch.paths += std::string_view(names).substr(copy.nameStart, copy.nameLength);
      batch.slots[copy.copy] = {start, batch.paths.size() - start};
    }
  };

  DuplicateCounts counts;
  PathBatch batches[2];
  makeBatch(batches[0], 0);
  for (int turn = 0; batches[turn].first < batches[turn].end; turn = 1 - turn) {
    const PathBatch& batch = batches[turn];
    std::future<void> next = std::async(std::launch::async, makeBatch, std::ref(batches[1 - turn]), batch.end);
    progress.Percent(PercentOf(static_cast<double>(batch.first), static_cast<double>(order.size())));
    std::size_t copy = 0;
    for (std::size_t n = batch.first; n < batch.end; ++n) {
      DuplicateGroupHead head = headOf(order[n].group);
      rows.Group(head);
      ++counts.groups;
      counts.copies += static_cast<std::int64_t>(head.copies);
      counts.wasted = AddBytes(counts.wasted, head.wasted);
      for (std::size_t i = 0; i < head.copies; ++i, ++copy) {
        auto [start, length] = batch.slots[copy];
        rows.Copy({catalogues[candidates[batch.copies[copy]].catalogue].name,
                   std::string_view(batch.paths).substr(start, length)});
      }
    }
    next.get();
  }
  return counts;
}

UniqueCounts FindUnique(const CollectionFile& catalogue, const std::vector<CollectionFile>& others,
                        std::int64_t minSize, UniqueRows& rows, Progress& progress) {
  FolderIndex folders;
  CopyFinder finder(minSize);
  ReadFiles(catalogue, folders, progress, [&](const StreamedEntry& streamed) { finder.Add(streamed.entry); });
  for (const CollectionFile& other : others) {
    FolderIndex otherFolders;
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
