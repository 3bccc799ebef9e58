#include "search/SearchIndex.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <thread>

#include "catalogue/FolderNesting.h"
#include "catalogue/TagScan.h"
#include "catalogue/Tags.h"
#include "platform/Hash.h"
#include "platform/IoError.h"

namespace qvl {
namespace {

constexpr std::string_view kMagic = "QVLINDX1";
constexpr std::uint32_t kVersion = 2;
constexpr std::size_t kSample = 4096;  // bytes of the catalogue's head and tail in the quick check
constexpr std::size_t kFixedHeader = 144;
constexpr std::size_t kBucketBytes = 16;
constexpr std::size_t kBuckets = 256;
constexpr std::size_t kDirectoryEntry = 28;
constexpr std::size_t kBlockEntry = 32;
constexpr std::size_t kMaxPath = 8192;
constexpr std::uint32_t kBitmapFlag = 1u << 24;
constexpr std::size_t kTrigrams = std::size_t{1} << 24;

// Thrown where an index does not hold together; never leaves this file.
struct Damaged {};

unsigned char Fold(unsigned char c) {
  return static_cast<unsigned char>(c - 'a') < 26 ? static_cast<unsigned char>(c - ('a' - 'A')) : c;
}

void PutU32(std::string& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>(value >> (8 * i));
}
void PutU64(std::string& out, std::uint64_t value) {
  for (int i = 0; i < 8; ++i) out += static_cast<char>(value >> (8 * i));
}
void PutVarint(std::string& out, std::uint64_t value) {
  while (value >= 0x80) {
    out += static_cast<char>((value & 0x7F) | 0x80);
    value >>= 7;
  }
  out += static_cast<char>(value);
}

// Reads little-endian numbers and varints from bytes it checks the bounds of.
class Reader {
 public:
  explicit Reader(std::string_view bytes) : bytes_(bytes) {}
  std::uint64_t Fixed(std::size_t at, int width) const {
    if (at > bytes_.size() || bytes_.size() - at < static_cast<std::size_t>(width)) throw Damaged{};
    std::uint64_t value = 0;
    for (int i = width - 1; i >= 0; --i)
      value = value << 8 | static_cast<unsigned char>(bytes_[at + static_cast<std::size_t>(i)]);
    return value;
  }
  std::uint32_t U32(std::size_t at) const { return static_cast<std::uint32_t>(Fixed(at, 4)); }
  std::uint64_t U64(std::size_t at) const { return Fixed(at, 8); }
  std::uint64_t Varint(std::size_t& at) const {
    std::uint64_t value = 0;
    for (int shift = 0; shift < 64; shift += 7) {
      if (at >= bytes_.size()) throw Damaged{};
      auto byte = static_cast<unsigned char>(bytes_[at++]);
      value |= std::uint64_t{byte & 0x7Fu} << shift;
      if ((byte & 0x80) == 0) return value;
    }
    throw Damaged{};
  }
  std::string_view Slice(std::size_t at, std::size_t length) const {
    if (at > bytes_.size() || bytes_.size() - at < length) throw Damaged{};
    return bytes_.substr(at, length);
  }

 private:
  std::string_view bytes_;
};

std::uint64_t SampleHash(std::int64_t size, std::string_view head, std::string_view tail) {
  StreamHash64 hash;
  std::string sizeBytes;
  PutU64(sizeBytes, static_cast<std::uint64_t>(size));
  hash.Add(sizeBytes);
  hash.Add(head);
  hash.Add(tail);
  return hash.Digest();
}

// The quick check's hash of an open catalogue, read where it stands now.
std::uint64_t SampleHashOf(const File& file, std::int64_t size) {
  std::string head(static_cast<std::size_t>(std::min<std::int64_t>(size, kSample)), '\0');
  head.resize(file.ReadAt(0, head.data(), head.size()));
  std::int64_t tailFrom = std::max<std::int64_t>(size - static_cast<std::int64_t>(kSample), 0);
  std::string tail(static_cast<std::size_t>(size - tailFrom), '\0');
  tail.resize(file.ReadAt(tailFrom, tail.data(), tail.size()));
  return SampleHash(size, head, tail);
}

std::string AbsolutePath(const std::string& name) {
  std::error_code error;
  std::filesystem::path path = std::filesystem::absolute(name, error);
  if (error) return name;
  std::filesystem::path canonical = std::filesystem::weakly_canonical(path, error);
  return (error ? path.lexically_normal() : canonical).string();
}

// ---- Building -------------------------------------------------------------

struct GroupList {
  std::uint32_t key = 0, count = 0, last = 0;
  std::string list;  // varint differences of block numbers
};

struct Checkpoint {
  std::int64_t from = 0;
  std::uint64_t entriesBefore = 0;
  std::string path;
  std::vector<std::size_t> levels;
  bool rootOpen = true;
};

// Follows the records as the scan does (the same folder rule, the same fields)
// and gathers each block's three-byte groups.
class IndexBuilder {
 public:
  IndexBuilder(std::int64_t size, std::size_t blockBytes)
      : size_(size), blockBytes_(static_cast<std::int64_t>(std::max<std::size_t>(blockBytes, 1))),
        seen_(kTrigrams / 64, 0) {
    blocks_.push_back({0, 0, path_, nesting_.Levels(), nesting_.RootOpen()});
  }

  // The field that the tag at `tagAt` begins; `text` runs to the next tag or the
  // end of the data.
  void Field(std::int64_t tagAt, unsigned char tag, std::string_view text) {
    if (tagAt == 0) return;  // the header's mark, whatever its value
    if (tagAt - blocks_.back().from >= blockBytes_) {
      EndBlock();
      blocks_.push_back({tagAt, entries_, path_, nesting_.Levels(), nesting_.RootOpen()});
    }
    if (IsEntryTag(tag)) {
      ++entries_;
      AddGroups(text);
    } else if (tag == tag::FolderStart) {
      if (!OpensFolder(tag, tagAt + 1 == size_)) return;
      if (!nesting_.AnyOpen()) path_.assign(1, '\\');
      path_ += text;
      path_ += '\\';
      nesting_.Open(path_.size());
    } else if (tag == tag::FolderEnd) {
      nesting_.Close();
      path_.resize(nesting_.AnyOpen() ? nesting_.Innermost() : 0);
    }
  }

  std::string Finish(const std::string& absolutePath, const FileStamp& stamp, std::uint64_t sampleHash,
                     std::uint64_t fullHash) {
    EndBlock();
    std::sort(groups_.begin(), groups_.end(), [](const GroupList& a, const GroupList& b) { return a.key < b.key; });
    const auto blockCount = static_cast<std::uint32_t>(blocks_.size());

    // A search reads the entries of the blocks it scans and the one after each run,
    // and the first one's checkpoint: each entry and checkpoint has its own checksum.
    std::string blocks;
    std::string checkpoints;
    for (const Checkpoint& block : blocks_) {
      std::string checkpoint;
      checkpoint += static_cast<char>(block.rootOpen ? 1 : 0);
      PutVarint(checkpoint, block.path.size());
      checkpoint += block.path;
      PutVarint(checkpoint, block.levels.size());
      for (std::size_t level : block.levels) PutVarint(checkpoint, level);
      std::string entry;
      PutU64(entry, static_cast<std::uint64_t>(block.from));
      PutU64(entry, block.entriesBefore);
      PutU32(entry, static_cast<std::uint32_t>(checkpoints.size()));
      PutU32(entry, static_cast<std::uint32_t>(checkpoint.size()));
      PutU32(entry, static_cast<std::uint32_t>(Hash64Of(checkpoint)));
      PutU32(entry, static_cast<std::uint32_t>(Hash64Of(entry)));
      blocks += entry;
      checkpoints += checkpoint;
    }
    if (checkpoints.size() > UINT32_MAX) throw IoError("Cannot index \"" + absolutePath + "\": its folder paths are too long");
    blocks += checkpoints;

    // Each group's list: block numbers as rising differences, or a bitmap of the
    // blocks where that is shorter.
    std::string directory, postings;
    std::array<std::uint32_t, kBuckets> bucketFirst{}, bucketCount{};
    std::uint32_t groups = 0;
    const std::size_t bitmapBytes = (blocks_.size() + 7) / 8;
    for (GroupList& group : groups_) {
      std::string& list = group.list;
      std::uint32_t flags = 0;
      if (list.size() > bitmapBytes) {
        std::string bitmap(bitmapBytes, '\0');
        Reader in(list);
        std::size_t at = 0;
        std::uint64_t block = 0;
        for (std::uint32_t k = 0; k < group.count; ++k) {
          block += in.Varint(at);
          bitmap[block / 8] = static_cast<char>(static_cast<unsigned char>(bitmap[block / 8]) | (1u << (block % 8)));
        }
        list = std::move(bitmap);
        flags = kBitmapFlag;
      }
      const std::uint32_t key = group.key;
      std::uint32_t bucket = key >> 16;
      if (bucketCount[bucket]++ == 0) bucketFirst[bucket] = groups;
      PutU32(directory, key | flags);
      PutU32(directory, group.count);
      PutU64(directory, postings.size());
      PutU32(directory, static_cast<std::uint32_t>(list.size()));
      PutU64(directory, Hash64Of(list));
      postings += list;
      ++groups;
    }

    std::string header;
    header += kMagic;
    PutU32(header, kVersion);
    const std::size_t headerLength = kFixedHeader + kBuckets * kBucketBytes + absolutePath.size() + 8;
    PutU32(header, static_cast<std::uint32_t>(headerLength));
    PutU64(header, static_cast<std::uint64_t>(stamp.state.size));
    PutU64(header, static_cast<std::uint64_t>(stamp.state.modifiedNs));
    PutU64(header, static_cast<std::uint64_t>(stamp.changedNs));
    PutU64(header, stamp.state.identity.device);
    PutU64(header, stamp.state.identity.inode);
    PutU64(header, sampleHash);
    PutU64(header, fullHash);
    PutU32(header, static_cast<std::uint32_t>(blockBytes_));
    PutU32(header, blockCount);
    const std::uint64_t blocksOffset = headerLength;
    PutU64(header, blocksOffset);
    PutU64(header, blocks.size());
    PutU64(header, 0);  // each entry has its own checksum
    PutU64(header, blocksOffset + blocks.size());
    PutU64(header, groups);
    PutU64(header, blocksOffset + blocks.size() + directory.size());
    PutU64(header, postings.size());
    PutU32(header, static_cast<std::uint32_t>(absolutePath.size()));
    PutU32(header, 0);
    for (std::size_t bucket = 0; bucket < kBuckets; ++bucket) {
      PutU32(header, bucketFirst[bucket]);
      PutU32(header, bucketCount[bucket]);
      std::string_view entries = std::string_view(directory).substr(
          std::size_t{bucketFirst[bucket]} * kDirectoryEntry, std::size_t{bucketCount[bucket]} * kDirectoryEntry);
      PutU64(header, Hash64Of(entries));
    }
    header += absolutePath;
    PutU64(header, Hash64Of(header));
    return header + blocks + directory + postings;
  }

 private:
  void AddGroups(std::string_view text) {
    if (text.size() < 3) return;
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    std::uint32_t key = std::uint32_t{Fold(bytes[0])} << 8 | Fold(bytes[1]);
    for (std::size_t i = 2; i < text.size(); ++i) {
      key = (key << 8 | Fold(bytes[i])) & 0xFFFFFF;
      std::uint64_t& word = seen_[key / 64];
      const std::uint64_t bit = std::uint64_t{1} << (key % 64);
      if ((word & bit) == 0) {
        word |= bit;
        blockGroups_.push_back(key);
      }
    }
  }

  // Each group of the block gets the block's number on its list, as the
  // difference from the last one there.
  void EndBlock() {
    const auto block = static_cast<std::uint32_t>(blocks_.size() - 1);
    for (std::uint32_t key : blockGroups_) {
      GroupList& group = groups_[GroupOf(key)];
      std::uint32_t step = group.count == 0 ? block : block - group.last;
      if (step < 0x80) {
        group.list.push_back(static_cast<char>(step));
      } else {
        PutVarint(group.list, step);
      }
      group.last = block;
      ++group.count;
      seen_[key / 64] = 0;
    }
    blockGroups_.clear();
  }

  // A catalogue holds some tens of thousands of groups: a small open-addressed
  // table of keys beside their numbers (it stays in the cache) finds each one.
  std::uint32_t GroupOf(std::uint32_t key) {
    if (4 * (groups_.size() + 1) > slots_.size()) {
      std::vector<std::uint64_t> old(slots_.size() * 2, kFree);
      old.swap(slots_);
      for (std::uint64_t entry : old)
        if (entry != kFree) slots_[SlotOf(static_cast<std::uint32_t>(entry >> 32))] = entry;
    }
    std::uint64_t& slot = slots_[SlotOf(key)];
    if (slot == kFree) {
      slot = std::uint64_t{key} << 32 | groups_.size();
      groups_.push_back({key, 0, 0, {}});
    }
    return static_cast<std::uint32_t>(slot);
  }
  // The slot holding `key`, or the free one where it would go.
  std::size_t SlotOf(std::uint32_t key) const {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t slot = (key * std::size_t{2654435761u} >> 8) & mask;; slot = (slot + 1) & mask)
      if (slots_[slot] == kFree || static_cast<std::uint32_t>(slots_[slot] >> 32) == key) return slot;
  }
  static constexpr std::uint64_t kFree = ~std::uint64_t{0};

  std::int64_t size_;
  std::int64_t blockBytes_;
  std::string path_ = "\\";
  FolderNesting<std::size_t> nesting_{1};
  std::uint64_t entries_ = 0;
  std::vector<Checkpoint> blocks_;
  std::vector<std::uint64_t> seen_;  // the groups of the block so far, a bit each
  std::vector<std::uint32_t> blockGroups_;
  std::vector<GroupList> groups_;
  std::vector<std::uint64_t> slots_ = std::vector<std::uint64_t>(std::size_t{1} << 16, kFree);  // key, number
};

std::string BuildIndexBytes(const std::string& catalogueFile, std::size_t blockBytes) {
  File file = File::OpenRead(catalogueFile);
  const FileStamp stamp = file.Stamp();
  const std::int64_t size = stamp.state.size;
  IndexBuilder builder(size, blockBytes);
  StreamHash64 fullHash;
  std::string head, tail;
  // Fields are handed on once the tag after them is in the buffer; the rest of
  // the data moves to the front for the next read.
  constexpr std::size_t kRead = std::size_t{4} << 20;
  std::vector<unsigned char> buffer;
  std::size_t kept = 0;
  std::int64_t keptFrom = 0;  // file offset of buffer[0]
  std::int64_t read = 0;
  for (;;) {
    const auto wanted = static_cast<std::size_t>(std::min<std::int64_t>(kRead, size - read));
    buffer.resize(kept + wanted + 32);
    std::size_t got = wanted == 0 ? 0 : file.Read(reinterpret_cast<char*>(buffer.data() + kept), wanted);
    std::string_view piece(reinterpret_cast<const char*>(buffer.data() + kept), got);
    fullHash.Add(piece);
    if (head.size() < kSample) head.append(piece.substr(0, kSample - head.size()));
    tail.append(piece);
    if (tail.size() > kSample) tail.erase(0, tail.size() - kSample);
    read += static_cast<std::int64_t>(got);
    const bool ended = got == 0 || read >= size;
    const std::size_t end = kept + got;
    // The header's mark stands at 0 whatever its value.
    std::size_t tagAt = 0;
    while (tagAt < end) {
      std::size_t next = tagAt + 1 + FindTagByte(buffer.data() + tagAt + 1, end - tagAt - 1, tag::Last);
      if (next >= end && !ended) break;  // the field may go on in the next read
      builder.Field(keptFrom + static_cast<std::int64_t>(tagAt), buffer[tagAt],
                    std::string_view(reinterpret_cast<const char*>(buffer.data() + tagAt + 1),
                                     std::min(next, end) - tagAt - 1));
      tagAt = next;
    }
    if (ended) break;
    std::memmove(buffer.data(), buffer.data() + tagAt, end - tagAt);
    kept = end - tagAt;
    keptFrom += static_cast<std::int64_t>(tagAt);
  }
  if (read != size || file.Stamp() != stamp)
    throw IoError("Cannot index \"" + catalogueFile + "\": it changed while it was read");
  return builder.Finish(AbsolutePath(catalogueFile), stamp, SampleHash(size, head, tail), fullHash.Digest());
}

// ---- Reading --------------------------------------------------------------

struct Header {
  std::int64_t size = 0, modifiedNs = 0, changedNs = 0;
  std::uint64_t device = 0, inode = 0, sampleHash = 0;
  std::uint32_t blockCount = 0;
  std::uint64_t blocksOffset = 0, blocksLength = 0, blocksHash = 0;
  std::uint64_t directoryOffset = 0, groups = 0, postingsOffset = 0, postingsLength = 0;
  std::array<std::uint32_t, kBuckets> bucketFirst{}, bucketCount{};
  std::array<std::uint64_t, kBuckets> bucketHash{};
  std::string path;
};

std::string ReadAt(const File& file, std::uint64_t at, std::uint64_t length, std::int64_t fileSize) {
  if (at > static_cast<std::uint64_t>(fileSize) || length > static_cast<std::uint64_t>(fileSize) - at) throw Damaged{};
  std::string bytes(static_cast<std::size_t>(length), '\0');
  if (file.ReadAt(static_cast<std::int64_t>(at), bytes.data(), bytes.size()) != bytes.size()) throw Damaged{};
  return bytes;
}

Header ReadHeader(const File& index, std::int64_t indexSize, bool checkSums) {
  constexpr std::size_t kMaxHeader = kFixedHeader + kBuckets * kBucketBytes + kMaxPath + 8;
  std::string bytes(static_cast<std::size_t>(std::min<std::int64_t>(indexSize, kMaxHeader)), '\0');
  bytes.resize(index.ReadAt(0, bytes.data(), bytes.size()));
  Reader in(bytes);
  if (in.Slice(0, kMagic.size()) != kMagic || in.U32(8) != kVersion) throw Damaged{};
  const std::uint32_t headerLength = in.U32(12);
  const std::uint32_t pathLength = in.U32(136);
  if (pathLength > kMaxPath || headerLength != kFixedHeader + kBuckets * kBucketBytes + pathLength + 8 ||
      headerLength > bytes.size())
    throw Damaged{};
  if (checkSums && Hash64Of(in.Slice(0, headerLength - 8)) != in.U64(headerLength - 8)) throw Damaged{};
  Header header;
  header.size = static_cast<std::int64_t>(in.U64(16));
  header.modifiedNs = static_cast<std::int64_t>(in.U64(24));
  header.changedNs = static_cast<std::int64_t>(in.U64(32));
  header.device = in.U64(40);
  header.inode = in.U64(48);
  header.sampleHash = in.U64(56);
  header.blockCount = in.U32(76);
  header.blocksOffset = in.U64(80);
  header.blocksLength = in.U64(88);
  header.blocksHash = in.U64(96);
  header.directoryOffset = in.U64(104);
  header.groups = in.U64(112);
  header.postingsOffset = in.U64(120);
  header.postingsLength = in.U64(128);
  for (std::size_t bucket = 0; bucket < kBuckets; ++bucket) {
    const std::size_t at = kFixedHeader + bucket * kBucketBytes;
    header.bucketFirst[bucket] = in.U32(at);
    header.bucketCount[bucket] = in.U32(at + 4);
    header.bucketHash[bucket] = in.U64(at + 8);
    if (std::uint64_t{header.bucketFirst[bucket]} + header.bucketCount[bucket] > header.groups) throw Damaged{};
  }
  header.path = std::string(in.Slice(kFixedHeader + kBuckets * kBucketBytes, pathLength));
  const auto size = static_cast<std::uint64_t>(indexSize);
  auto within = [&](std::uint64_t at, std::uint64_t length) { return at <= size && length <= size - at; };
  if (header.size < 0 || (header.blockCount == 0 && header.size > 0) ||
      !within(header.blocksOffset, header.blocksLength) || header.groups > size / kDirectoryEntry ||
      !within(header.directoryOffset, header.groups * kDirectoryEntry) ||
      !within(header.postingsOffset, header.postingsLength) ||
      header.blocksLength < std::uint64_t{header.blockCount} * kBlockEntry)
    throw Damaged{};
  return header;
}

bool Matches(const Header& header, const FileStamp& stamp) {
  return header.size == stamp.state.size && header.modifiedNs == stamp.state.modifiedNs &&
         header.changedNs == stamp.changedNs && header.device == stamp.state.identity.device &&
         header.inode == stamp.state.identity.inode;
}

// The index's header when it is that of the catalogue as it is now.
std::optional<Header> FreshHeader(const std::string& catalogueFile, const File& index, std::int64_t indexSize) {
  std::optional<FileStamp> stamp = StampOf(catalogueFile);
  if (!stamp) return std::nullopt;
  // The catalogue's pages are on their way while the header is read.
  File catalogue = File::OpenRead(catalogueFile);
  catalogue.Prefetch(0, static_cast<std::int64_t>(kSample));
  catalogue.Prefetch(stamp->state.size - static_cast<std::int64_t>(kSample), static_cast<std::int64_t>(kSample));
  Header header = ReadHeader(index, indexSize, true);
  if (!Matches(header, *stamp) || header.path != AbsolutePath(catalogueFile)) return std::nullopt;
  if (catalogue.Stamp() != *stamp || SampleHashOf(catalogue, stamp->state.size) != header.sampleHash)
    return std::nullopt;
  return header;
}

struct Group {
  std::uint32_t keyAndFlags = 0, count = 0, length = 0;
  std::uint64_t offset = 0, hash = 0;
};

std::optional<IndexAnswer> Answer(const File& index, std::int64_t indexSize, const Header& header,
                                  const SearchPattern& pattern, bool checkSums) {
  std::string_view folded = pattern.Folded();
  if (!pattern.CanMatch() || folded.size() < 3) return std::nullopt;
  IndexAnswer answer;
  answer.catalogue.size = header.size;
  answer.catalogue.modifiedNs = header.modifiedNs;
  answer.catalogue.identity = {header.device, header.inode};
  // The text's groups, each once, found in the directory a bucket at a time.
  std::vector<std::uint32_t> keys;
  for (std::size_t i = 0; i + 3 <= folded.size(); ++i)
    keys.push_back(std::uint32_t{static_cast<unsigned char>(folded[i])} << 16 |
                   std::uint32_t{static_cast<unsigned char>(folded[i + 1])} << 8 |
                   static_cast<unsigned char>(folded[i + 2]));
  std::sort(keys.begin(), keys.end());
  keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
  std::map<std::uint32_t, std::string> buckets;
  std::vector<Group> groups;
  auto bucketAt = [&](std::uint32_t bucket) {
    return header.directoryOffset + std::uint64_t{header.bucketFirst[bucket]} * kDirectoryEntry;
  };
  for (std::uint32_t key : keys)
    index.Prefetch(static_cast<std::int64_t>(bucketAt(key >> 16)),
                   static_cast<std::int64_t>(std::uint64_t{header.bucketCount[key >> 16]} * kDirectoryEntry));
  for (std::uint32_t key : keys) {
    const std::uint32_t bucket = key >> 16;
    auto found = buckets.find(bucket);
    if (found == buckets.end()) {
      std::string entries = ReadAt(index, bucketAt(bucket), std::uint64_t{header.bucketCount[bucket]} * kDirectoryEntry, indexSize);
      if (checkSums && Hash64Of(entries) != header.bucketHash[bucket]) throw Damaged{};
      found = buckets.emplace(bucket, std::move(entries)).first;
    }
    Reader in(found->second);
    std::size_t low = 0, high = found->second.size() / kDirectoryEntry;
    std::optional<Group> group;
    while (low < high) {
      std::size_t middle = low + (high - low) / 2;
      std::uint32_t entryKey = in.U32(middle * kDirectoryEntry) & 0xFFFFFF;
      if (entryKey < key) {
        low = middle + 1;
      } else if (entryKey > key) {
        high = middle;
      } else {
        const std::size_t at = middle * kDirectoryEntry;
        group = Group{in.U32(at), in.U32(at + 4), in.U32(at + 16), in.U64(at + 8), in.U64(at + 20)};
        break;
      }
    }
    if (!group) return answer;  // a group no entry holds: no entry matches
    groups.push_back(*group);
  }
  // The rarest first: once nothing is left, the other lists are not read.
  std::sort(groups.begin(), groups.end(), [](const Group& a, const Group& b) { return a.count < b.count; });
  const std::uint32_t blockCount = header.blockCount;
  std::vector<std::uint64_t> candidates((blockCount + 63) / 64, ~std::uint64_t{0});
  std::vector<std::uint64_t> list(candidates.size());
  bool any = blockCount > 0;
  for (const Group& group : groups)
    index.Prefetch(static_cast<std::int64_t>(header.postingsOffset + group.offset), group.length);
  for (const Group& group : groups) {
    if (!any) break;
    if (group.offset > header.postingsLength || group.length > header.postingsLength - group.offset) throw Damaged{};
    std::string bytes = ReadAt(index, header.postingsOffset + group.offset, group.length, indexSize);
    if (checkSums && Hash64Of(bytes) != group.hash) throw Damaged{};
    std::fill(list.begin(), list.end(), 0);
    if ((group.keyAndFlags & kBitmapFlag) != 0) {
      if (bytes.size() != (blockCount + 7) / 8) throw Damaged{};
      for (std::size_t i = 0; i < bytes.size(); ++i)
        list[i / 8] |= std::uint64_t{static_cast<unsigned char>(bytes[i])} << (8 * (i % 8));
    } else {
      Reader in(bytes);
      std::size_t at = 0;
      std::uint64_t block = 0;
      for (std::uint32_t k = 0; k < group.count; ++k) {
        std::uint64_t step = in.Varint(at);
        if (k > 0 && step == 0) throw Damaged{};
        block += step;
        if (block >= blockCount) throw Damaged{};
        list[block / 64] |= std::uint64_t{1} << (block % 64);
      }
      if (at != bytes.size()) throw Damaged{};
    }
    any = false;
    for (std::size_t i = 0; i < candidates.size(); ++i) any = (candidates[i] &= list[i]) != 0 || any;
  }
  if (blockCount % 64 != 0 && !candidates.empty()) candidates.back() &= (std::uint64_t{1} << (blockCount % 64)) - 1;
  if (!any) return answer;
  // A block or two between candidates is read with them: one read costs less than
  // two. Where most blocks are candidates, the whole file is read in one go, as
  // the scan reads it.
  std::uint32_t candidateCount = 0, gap = 0;
  bool seenCandidate = false;
  for (std::uint32_t block = 0; block < blockCount; ++block) {
    if ((candidates[block / 64] >> (block % 64) & 1) != 0) {
      if (seenCandidate && gap > 0 && gap <= 2)
        for (std::uint32_t b = block - gap; b < block; ++b) candidates[b / 64] |= std::uint64_t{1} << (b % 64);
      candidateCount += seenCandidate && gap <= 2 ? gap + 1 : 1;
      seenCandidate = true;
      gap = 0;
    } else {
      ++gap;
    }
  }
  if (2 * std::uint64_t{candidateCount} > blockCount) {
    ScanRange whole;
    whole.to = header.size;
    answer.ranges.push_back(std::move(whole));
    return answer;
  }

  // The entries of each run of candidates and of the block after it, then the
  // runs' first checkpoints; each step's reads are asked for together.
  const std::uint64_t checkpointsAt = header.blocksOffset + std::uint64_t{blockCount} * kBlockEntry;
  const std::uint64_t checkpointsLength = header.blocksLength - std::uint64_t{blockCount} * kBlockEntry;
  auto isCandidate = [&](std::uint32_t block) { return (candidates[block / 64] >> (block % 64) & 1) != 0; };
  struct Run {
    std::uint32_t first = 0, end = 0;  // the candidates [first, end)
    std::uint32_t entries = 0;         // with the block after them, when there is one
    std::uint64_t cpOffset = 0, cpLength = 0;
    std::uint32_t cpHash = 0;
  };
  std::vector<Run> runs;
  for (std::uint32_t block = 0; block < blockCount;) {
    if (!isCandidate(block)) {
      ++block;
      continue;
    }
    Run run;
    run.first = block;
    while (block < blockCount && isCandidate(block)) ++block;
    run.end = block;
    run.entries = block - run.first + (block < blockCount ? 1 : 0);
    runs.push_back(run);
    index.Prefetch(static_cast<std::int64_t>(header.blocksOffset + std::uint64_t{run.first} * kBlockEntry),
                   static_cast<std::int64_t>(std::uint64_t{run.entries} * kBlockEntry));
  }
  std::int64_t previousTo = 0;
  for (Run& run : runs) {
    std::string bytes = ReadAt(index, header.blocksOffset + std::uint64_t{run.first} * kBlockEntry,
                               std::uint64_t{run.entries} * kBlockEntry, indexSize);
    Reader in(bytes);
    std::int64_t previousFrom = -1;
    for (std::uint32_t k = 0; k < run.entries; ++k) {
      const std::size_t at = std::size_t{k} * kBlockEntry;
      if (checkSums && static_cast<std::uint32_t>(Hash64Of(in.Slice(at, kBlockEntry - 4))) != in.U32(at + 28))
        throw Damaged{};
      const auto from = static_cast<std::int64_t>(in.U64(at));
      if (from <= previousFrom || (run.first + k == 0) != (from == 0) || (from > 0 && from >= header.size))
        throw Damaged{};
      previousFrom = from;
    }
    ScanRange range;
    range.from = static_cast<std::int64_t>(in.U64(0));
    range.entriesBefore = in.U64(8);
    if (previousTo > 0 && range.from < previousTo) throw Damaged{};  // runs rise, apart
    run.cpOffset = in.U32(16);
    run.cpLength = in.U32(20);
    run.cpHash = in.U32(24);
    if (run.cpOffset > checkpointsLength || run.cpLength > checkpointsLength - run.cpOffset) throw Damaged{};
    index.Prefetch(static_cast<std::int64_t>(checkpointsAt + run.cpOffset), static_cast<std::int64_t>(run.cpLength));
    // Up to and with the tag that starts the next block.
    range.to = run.end < blockCount ? static_cast<std::int64_t>(in.U64(std::size_t{run.entries - 1} * kBlockEntry)) + 1
                                    : header.size;
    if (range.to <= range.from && header.size > 0) throw Damaged{};
    previousTo = range.to;
    answer.ranges.push_back(std::move(range));
  }
  for (std::size_t r = 0; r < runs.size(); ++r) {
    ScanRange& range = answer.ranges[r];
    const std::string checkpoint = ReadAt(index, checkpointsAt + runs[r].cpOffset, runs[r].cpLength, indexSize);
    if (checkSums && static_cast<std::uint32_t>(Hash64Of(checkpoint)) != runs[r].cpHash) throw Damaged{};
    Reader cpIn(checkpoint);
    std::size_t cp = 0;
    const auto rootOpen = static_cast<unsigned char>(cpIn.Slice(cp++, 1)[0]);
    if (rootOpen > 1) throw Damaged{};
    range.rootOpen = rootOpen == 1;
    const std::uint64_t pathLength = cpIn.Varint(cp);
    if (pathLength > checkpoint.size()) throw Damaged{};
    range.path = std::string(cpIn.Slice(cp, static_cast<std::size_t>(pathLength)));
    cp += static_cast<std::size_t>(pathLength);
    const std::uint64_t levels = cpIn.Varint(cp);
    if (levels == 0 || levels > pathLength + 1) throw Damaged{};
    range.levels.clear();
    for (std::uint64_t k = 0; k < levels; ++k) {
      std::uint64_t level = cpIn.Varint(cp);
      // The root's length stays 1 once the root has closed and the path is "".
      if (level > std::max<std::uint64_t>(pathLength, 1) || (!range.levels.empty() && level <= range.levels.back()))
        throw Damaged{};
      range.levels.push_back(static_cast<std::size_t>(level));
    }
    if (cp != checkpoint.size()) throw Damaged{};
  }
  return answer;
}

void RemoveQuietly(const std::string& file) {
  std::error_code error;
  std::filesystem::remove(file, error);
}

}  // namespace

std::string IndexFolder() {
  const char* cacheHome = std::getenv("XDG_CACHE_HOME");
  const char* home = std::getenv("HOME");
  std::string folder;
  if (cacheHome != nullptr && cacheHome[0] == '/')
    folder = cacheHome;
  else if (home != nullptr && home[0] != '\0')
    folder = std::string(home) + "/.cache";
  else
    throw IoError("Cannot find the cache folder for search indexes: neither XDG_CACHE_HOME nor HOME is set");
  if (folder.back() != '/') folder += '/';
  return folder + "Quorvalen/";
}

std::string IndexFileOf(const std::string& catalogueFile) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::uint64_t hash = Hash64Of(AbsolutePath(catalogueFile));
  std::string name;
  for (int shift = 60; shift >= 0; shift -= 4) name += kDigits[(hash >> shift) & 0xF];
  return IndexFolder() + name + ".qvi";
}

IndexFreshness IndexStatus(const std::string& catalogueFile) {
  try {
    if (!FileExists(catalogueFile)) return IndexFreshness::Missing;
    const std::string indexFile = IndexFileOf(catalogueFile);
    if (!FileExists(indexFile)) return IndexFreshness::Missing;
    File index = File::OpenRead(indexFile);
    return FreshHeader(catalogueFile, index, index.Size()) ? IndexFreshness::Fresh : IndexFreshness::Stale;
  } catch (const Damaged&) {
    return IndexFreshness::Stale;
  } catch (const IoError&) {
    return IndexFreshness::Missing;
  }
}

bool AllIndexesFresh(const std::vector<std::string>& catalogueFiles) {
  bool any = false;
  for (const std::string& file : catalogueFiles) {
    std::error_code error;
    if (!std::filesystem::exists(file, error)) continue;
    if (IndexStatus(file) != IndexFreshness::Fresh) return false;
    any = true;
  }
  return any;
}

void WriteSearchIndex(const std::string& catalogueFile, const std::string& indexFile, std::size_t blockBytes) {
  const std::string bytes = BuildIndexBytes(catalogueFile, blockBytes);
  File file = File::CreateUnique(indexFile + ".", ".tmp", indexFile);
  const std::string temporary = file.Path();
  try {
    file.Write(bytes);
    file.Close();
    if (std::rename(temporary.c_str(), indexFile.c_str()) != 0) ThrowIoError("write", indexFile, errno);
  } catch (...) {
    RemoveQuietly(temporary);
    throw;
  }
}

void BuildSearchIndex(const std::string& catalogueFile) {
  const std::string indexFile = IndexFileOf(catalogueFile);
  std::error_code error;
  std::filesystem::create_directories(IndexFolder(), error);
  if (error) ThrowIoError("create the folder", IndexFolder(), error.value());
  WriteSearchIndex(catalogueFile, indexFile);
}

std::vector<std::string> BuildSearchIndexes(const std::vector<std::string>& catalogueFiles, bool onlyMissing) {
  // One file per core at a time (up to four): reading and sorting take a core each.
  std::vector<std::optional<std::string>> failures(catalogueFiles.size());
  std::atomic<std::size_t> next = 0;
  auto work = [&] {
    for (std::size_t i; (i = next++) < catalogueFiles.size();) {
      const std::string& file = catalogueFiles[i];
      try {
        if (FileExists(file) && (!onlyMissing || IndexStatus(file) != IndexFreshness::Fresh)) BuildSearchIndex(file);
      } catch (const std::exception& error) {
        failures[i] = error.what();
      }
    }
  };
  {
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const auto count = static_cast<unsigned>(std::min<std::size_t>({cores, 4, catalogueFiles.size()}));
    std::vector<std::jthread> workers;
    for (unsigned i = 1; i < count; ++i) workers.emplace_back(work);
    work();
  }
  std::vector<std::string> messages;
  for (auto& failure : failures)
    if (failure) messages.push_back(std::move(*failure));
  return messages;
}

std::vector<std::string> BuildMissingIndexes(const std::vector<std::string>& catalogueFiles) {
  return BuildSearchIndexes(catalogueFiles, true);
}

std::optional<IndexAnswer> AskIndexFile(const std::string& indexFile, const SearchPattern& pattern, bool checkSums) {
  try {
    File index = File::OpenRead(indexFile);
    const std::int64_t size = index.Size();
    return Answer(index, size, ReadHeader(index, size, checkSums), pattern, checkSums);
  } catch (const Damaged&) {
    return std::nullopt;
  } catch (const IoError&) {
    return std::nullopt;
  }
}

std::optional<IndexAnswer> AskIndex(const std::string& catalogueFile, const SearchPattern& pattern) {
  if (!pattern.CanMatch() || pattern.Size() < 3) return std::nullopt;
  std::string indexFile;
  try {
    indexFile = IndexFileOf(catalogueFile);
    if (!FileExists(indexFile)) return std::nullopt;
    File index = File::OpenRead(indexFile);
    const std::int64_t size = index.Size();
    std::optional<Header> header = FreshHeader(catalogueFile, index, size);
    if (!header) return std::nullopt;
    return Answer(index, size, *header, pattern, true);
  } catch (const Damaged&) {
    RemoveQuietly(indexFile);
    return std::nullopt;
  } catch (const IoError&) {
    return std::nullopt;
  }
}

void OpenSearchScan(std::optional<EntryScan>& scan, const std::string& fileName, const SearchPattern& pattern,
                    bool followFolders, const ScanOptions& options) {
  if (options.useIndex) {
    if (std::optional<IndexAnswer> answer = AskIndex(fileName, pattern)) {
      scan.emplace(fileName, pattern, followFolders, options, std::move(answer->ranges));
      if (scan->OpenedState() == answer->catalogue) return;
      scan.reset();  // replaced since it was asked about: the whole file answers
    }
  }
  scan.emplace(fileName, pattern, followFolders, options);
}

}  // namespace qvl
