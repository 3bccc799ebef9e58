#include "search/EntryScan.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "catalogue/Fields.h"
#include "catalogue/FolderNesting.h"
#include "catalogue/TagScan.h"
#include "catalogue/Tags.h"

namespace qvl {
namespace {

// The marks of 64 bytes, in 16-byte vectors or in 32-byte ones.
struct NarrowVectors {
  static std::uint64_t Tags(const unsigned char* data, unsigned char tag) { return TagBits64(data, tag); }
  static std::uint64_t Starts(const SearchPattern::Candidates& candidates, const unsigned char* data) {
    return candidates.At(data);
  }
};

#if QVL_WIDE_VECTORS
struct WideVectors {
  [[gnu::target("avx2")]] static std::uint64_t Tags(const unsigned char* data, unsigned char tag) {
    return TagBits64Wide(data, tag);
  }
  [[gnu::target("avx2")]] static std::uint64_t Starts(const SearchPattern::Candidates& candidates,
                                                      const unsigned char* data) {
    return candidates.AtWide(data);
  }
};
#endif

}  // namespace

EntryScan::EntryScan(const std::string& name, const SearchPattern& pattern, bool followFolders,
                     const ScanOptions& options)
    : pattern_(pattern),
      candidates_(pattern),
      wideVectors_(options.wideVectors && HasWideVectors()),
      followFolders_(followFolders),
      blockSize_(std::max<std::size_t>(options.blockSize, 1)),
      file_(File::OpenRead(name)),
      openedState_(file_.State()),
      countEntries_(options.countEntries) {
  size_ = openedState_.size;
  stop_ = size_;
  buffer_.assign(blockSize_ + Padding(), 0);
  Fill();
  buffer_[0] = tag::SectionMark;  // the header's mark: no text lies before it
  FindLimit(0);
}

EntryScan::EntryScan(const std::string& name, const SearchPattern& pattern, bool followFolders,
                     const ScanOptions& options, std::vector<ScanRange> ranges)
    : pattern_(pattern),
      candidates_(pattern),
      wideVectors_(options.wideVectors && HasWideVectors()),
      followFolders_(followFolders),
      blockSize_(std::max<std::size_t>(options.blockSize, 1)),
      file_(File::OpenRead(name)),
      openedState_(file_.State()),
      ranges_(std::move(ranges)),
      countEntries_(options.countEntries) {
  size_ = openedState_.size;
  buffer_.assign(blockSize_ + Padding(), 0);
  if (ranges_.empty()) {
    dataEnded_ = true;
    read_ = size_;
    return;
  }
  for (const ScanRange& range : ranges_) file_.Prefetch(range.from, range.to - range.from);
  StartRange(ranges_[nextRange_++]);
}

void EntryScan::StartRange(const ScanRange& range) {
  read_ = std::clamp<std::int64_t>(range.from, 0, size_);
  stop_ = std::clamp<std::int64_t>(range.to, read_, size_);
  textOffset_ = read_ + 1;
  end_ = limit_ = pos_ = 0;
  dataEnded_ = lost_ = false;
  chunk_ = {};
  pendingNames_.clear();
  path_ = range.path;
  std::vector<std::size_t> levels = range.levels;
  if (levels.empty()) levels.push_back(1);
  nesting_ = FolderNesting<std::size_t>(std::move(levels), range.rootOpen);
  entriesBefore_ = range.entriesBefore;
  countFrom_ = 0;
  file_.Seek(read_);
  Fill();
  // The header's mark whatever its value; elsewhere a range starts at a tag, and
  // the scan relies on one standing first.
  if (range.from == 0 || !IsTag(buffer_[0])) buffer_[0] = tag::SectionMark;
  FindLimit(0);
}

std::int64_t EntryScan::Position() const { return std::clamp<std::int64_t>(FileOffset(pos_), 0, read_); }

void EntryScan::Fill() {
  auto wanted = dataEnded_ ? 0 : static_cast<std::size_t>(std::min<std::int64_t>(
                                     static_cast<std::int64_t>(blockSize_), stop_ - read_));
  std::size_t needed = end_ + wanted + Padding();
  if (buffer_.size() < needed) buffer_.resize(std::max(needed, buffer_.size() * 2));
  std::size_t got = wanted == 0 ? 0 : file_.Read(reinterpret_cast<char*>(buffer_.data() + end_), wanted);
  end_ += got;
  read_ += static_cast<std::int64_t>(got);
  // The file may also have shrunk since it was opened: its data ends here either way.
  if (got == 0 || read_ >= stop_) dataEnded_ = true;
  std::fill_n(buffer_.begin() + static_cast<std::ptrdiff_t>(end_), Padding(), 0);
}

void EntryScan::FindLimit(std::size_t newFrom) {
  if (dataEnded_) {
    limit_ = end_;
    return;
  }
  for (std::size_t i = end_; i > newFrom;) {
    if (IsTag(buffer_[--i])) {
      limit_ = i;
      return;
    }
  }
}

void EntryScan::Refill() {
  // The field still being read moves to the front, its tag first; the next block
  // follows it.
  unsigned char tag = buffer_[limit_];
  std::size_t textLength = end_ - limit_ - 1;
  bool entry = IsEntryTag(tag);
  bool keepWhole = textLength <= blockSize_ || (followFolders_ && tag == tag::FolderStart) ||
                   (entry && pattern_.Find(buffer_.data(), limit_ + 1, end_) < end_);
  std::size_t from = limit_;
  if (!keepWhole) {
    // Kept: the bytes a match running on into the next block may begin with. Should
    // the entry match there, its text is read again from the file.
    std::size_t reach = entry && pattern_.CanMatch() ? std::min(textLength, pattern_.Size() - 1) : 0;
    if (!(lost_ && limit_ == 0)) lostStart_ = FileOffset(limit_ + 1);
    lost_ = true;
    from = end_ - reach - 1;
    buffer_[from] = tag;
  } else {
    lost_ = lost_ && limit_ == 0;
  }
  // The field's tag moves to the front and is counted there.
  if (countEntries_) {
    entriesBefore_ += CountEntryTags(buffer_.data() + countFrom_, limit_ - countFrom_);
    countFrom_ = 0;
  }
  std::size_t kept = end_ - from;
  std::memmove(buffer_.data(), buffer_.data() + from, kept);
  textOffset_ += static_cast<std::int64_t>(from);
  pos_ = pos_ > limit_ ? 1 : 0;
  end_ = kept;
  limit_ = 0;
  Fill();
  FindLimit(kept);
}

void EntryScan::FolderStart(std::string_view name) {
  if (!nesting_.AnyOpen()) path_.assign(1, '\\');  // below the root, which has closed
  path_ += name;
  path_ += '\\';
  nesting_.Open(path_.size());
}

void EntryScan::FolderEnd() {
  nesting_.Close();
  path_.resize(nesting_.AnyOpen() ? nesting_.Innermost() : 0);
}

bool EntryScan::FindHit() {
#if QVL_WIDE_VECTORS
  if (wideVectors_) return FindHitWide();
#endif
  return FindHitWith<NarrowVectors>();
}

#if QVL_WIDE_VECTORS
// Built for AVX2 as a whole, so that the wide marks are inlined into the scan.
[[gnu::target("avx2"), gnu::flatten]] bool EntryScan::FindHitWide() { return FindHitWith<WideVectors>(); }
#endif

template <class Vectors>
bool EntryScan::FindHitWith() {
  // One pass over [pos_, limit_), 64 bytes at a time, marks both the folder records
  // (and SectionMarks) and where a match may be; a catalogue has a folder record
  // every few dozen bytes. Records are followed in file order up to the first hit;
  // the next call goes on from there in the same 64 bytes.
  const SearchPattern::Candidates candidates = candidates_;
  const std::size_t lead = candidates.Lead();
  const unsigned char* data = buffer_.data();
  Chunk chunk = chunk_;
  for (std::size_t pos = pos_;; pos = chunk.next) {
    if (!chunk.loaded) {
      if (pos >= limit_) {
        pos_ = limit_;
        chunk_.loaded = false;
        return false;
      }
      std::uint64_t inRange = limit_ - pos < 64 ? (std::uint64_t{1} << (limit_ - pos)) - 1 : ~std::uint64_t{0};
      chunk = {true, pos, pos + 64, followFolders_ ? Vectors::Tags(data + pos, tag::FolderEnd) & inRange : 0,
               Vectors::Starts(candidates, data + pos) & inRange};
    }
    const std::size_t at = chunk.at;
    while (chunk.starts != 0) {
      auto offset = static_cast<std::size_t>(std::countr_zero(chunk.starts));
      chunk.starts &= chunk.starts - 1;
      // (A match cannot start before the buffer's first byte, a tag.)
      if (at + offset < lead || !pattern_.MatchesAt(data + at + offset - lead)) continue;
      std::size_t start = at + offset - lead;
      std::uint64_t before = chunk.folders & ((std::uint64_t{1} << offset) - 1);
      if (before != 0) FollowFolders(at, before);
      chunk.folders ^= before;
      // The field that holds the match: back to its tag, on to the next one, found
      // among these 64 bytes' tags where they hold them. Its other matches are passed
      // over; no tag lies inside it, so no folder record does.
      std::uint64_t tags = Vectors::Tags(data + at, tag::Last);
      std::uint64_t tagsBefore = tags & ((std::uint64_t{1} << offset) - 1);
      std::uint64_t tagsAfter = tags & ~tagsBefore;
      std::size_t field = tagsBefore != 0 ? at + 63 - static_cast<std::size_t>(std::countl_zero(tagsBefore)) : start;
      while (!IsTag(data[field])) --field;
      std::size_t fieldEnd = tagsAfter != 0 ? at + static_cast<std::size_t>(std::countr_zero(tagsAfter))
                                            : at + 64 + FindTagByte(data + at + 64, end_ + 1 - (at + 64), tag::Last);
      if (fieldEnd - at >= 64) {
        chunk.next = fieldEnd;
        chunk.starts = 0;
      } else {
        chunk.starts &= ~((std::uint64_t{1} << (fieldEnd - at)) - 1);
      }
      // A match in a caption, comment or folder name is none.
      if (IsEntryTag(data[field])) {
        hitField_ = field;
        hitEnd_ = fieldEnd;
        pos_ = at;
        chunk_ = chunk;
        return true;
      }
    }
    if (chunk.folders != 0) FollowFolders(at, chunk.folders);
    chunk.loaded = false;
  }
}

void EntryScan::FollowFolders(std::size_t at, std::uint64_t records) {
  // A folder's name is only added to the path once a hit needs it or the block is
  // about to go: most folders close again before either happens.
  for (; records != 0; records &= records - 1) {
    std::size_t tagAt = at + static_cast<std::size_t>(std::countr_zero(records));
    if (buffer_[tagAt] == tag::FolderEnd) {
      // The innermost open folder is the last pending one, when there is one.
      if (pendingNames_.empty()) {
        FolderEnd();
      } else {
        pendingNames_.pop_back();
      }
    } else if (OpensFolder(buffer_[tagAt], dataEnded_ && tagAt + 1 == end_)) {
      pendingNames_.push_back(tagAt + 1);
    }
  }
}

void EntryScan::AddPendingFolders() {
  for (std::size_t name : pendingNames_) {
    std::size_t nameEnd = name + FindTagByte(buffer_.data() + name, end_ + 1 - name, tag::Last);
    FolderStart(std::string_view(reinterpret_cast<const char*>(buffer_.data() + name), nameEnd - name));
  }
  pendingNames_.clear();
}

EntryScan::Event EntryScan::Next() {
  if (FindHit()) {
    AddPendingFolders();
    if (countEntries_) {
      entriesBefore_ += CountEntryTags(buffer_.data() + countFrom_, hitField_ - countFrom_);
      countFrom_ = hitField_;
      hitEntry_ = entriesBefore_;
    }
    tag_ = buffer_[hitField_];
    if (lost_ && hitField_ == 0) {
      text_ = RereadField(lostStart_, FileOffset(hitEnd_));
    } else {
      text_ = std::string_view(reinterpret_cast<const char*>(buffer_.data() + hitField_ + 1),
                               hitEnd_ - hitField_ - 1);
    }
    endPosition_ = std::min(textOffset_ + static_cast<std::int64_t>(hitEnd_), read_);
    return Event::Hit;
  }
  if (dataEnded_) {
    if (nextRange_ >= ranges_.size()) return Event::End;
    StartRange(ranges_[nextRange_++]);
    return Event::Block;
  }
  // The tag at limit_ begins the field still being read; it is handled once the
  // field is complete, after the refill.
  AddPendingFolders();
  Refill();
  return Event::Block;
}

std::string_view EntryScan::RereadField(std::int64_t from, std::int64_t to) {
  reread_.assign(static_cast<std::size_t>(std::max<std::int64_t>(to - from, 0)), '\0');
  file_.Seek(from);
  std::size_t got = 0;
  while (got < reread_.size()) {
    std::size_t n = file_.Read(reread_.data() + got, reread_.size() - got);
    if (n == 0) break;
    got += n;
  }
  reread_.resize(got);
  file_.Seek(read_);
  return reread_;
}

ListRowView HitRow(const EntryScan& scan, std::string_view path, std::string_view archive, std::int64_t modified) {
  EntryParts parts = SplitEntryText(scan.Text());
  return {.isFolder = scan.Tag() == tag::SubfolderEntry,
          .caption = parts.name,
          .fileSize = parts.sizeText,
          .path = path,
          .archive = archive,
          .modified = modified};
}

}  // namespace qvl
