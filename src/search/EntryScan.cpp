#include "search/EntryScan.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "catalogue/TagScan.h"
#include "catalogue/Tags.h"

namespace qvl {
namespace {

constexpr std::size_t kNone = SIZE_MAX;


}  // namespace

EntryScan::EntryScan(const std::string& name, const SearchPattern& pattern, bool followFolders,
                     std::size_t blockSize)
    : pattern_(pattern),
      followFolders_(followFolders),
      blockSize_(std::max<std::size_t>(blockSize, 1)),
      file_(File::OpenRead(name)) {
  size_ = file_.Size();
  buffer_.assign(blockSize_ + Padding(), 0);
  Fill();
  buffer_[0] = tagByte::SectionMark;  // the header's mark: no text lies before it
  FindLimit(0);
}

std::int64_t EntryScan::Position() const { return std::clamp<std::int64_t>(FileOffset(pos_), 0, read_); }

void EntryScan::Fill() {
  auto wanted = dataEnded_ ? 0 : static_cast<std::size_t>(std::min<std::int64_t>(
                                     static_cast<std::int64_t>(blockSize_), size_ - read_));
  std::size_t needed = end_ + wanted + Padding();
  if (buffer_.size() < needed) buffer_.resize(std::max(needed, buffer_.size() * 2));
  std::size_t got = wanted == 0 ? 0 : file_.Read(reinterpret_cast<char*>(buffer_.data() + end_), wanted);
  end_ += got;
  read_ += static_cast<std::int64_t>(got);
  // The file may also have shrunk since it was opened: its data ends here either way.
  if (got == 0 || read_ >= size_) dataEnded_ = true;
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
  bool keepWhole = textLength <= blockSize_ || (followFolders_ && tag == tagByte::FolderStart) ||
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
  std::size_t kept = end_ - from;
  std::memmove(buffer_.data(), buffer_.data() + from, kept);
  textOffset_ += static_cast<std::int64_t>(from);
  pos_ = pos_ > limit_ ? 1 : 0;
  end_ = kept;
  limit_ = 0;
  hitKnown_ = false;
  Fill();
  FindLimit(kept);
}

std::size_t EntryScan::NextHit() {
  if (hitKnown_ && (hitAt_ == kNone || hitAt_ >= pos_)) return hitAt_;
  hitKnown_ = true;
  for (std::size_t from = pos_;;) {
    std::size_t at = pattern_.Find(buffer_.data(), from, limit_);
    if (at >= limit_) return hitAt_ = kNone;
    // The field that holds the match: back to its tag, on to the next one.
    std::size_t tagAt = at;
    while (!IsTag(buffer_[--tagAt])) {
    }
    std::size_t fieldEnd = at + FindTagByte(buffer_.data() + at, end_ + 1 - at, tagByte::Last);
    if (IsEntryTag(buffer_[tagAt])) {
      hitField_ = tagAt;
      hitEnd_ = fieldEnd;
      return hitAt_ = at;
    }
    from = fieldEnd;
  }
}

void EntryScan::FolderStart(std::string_view name) {
  if (openFolders_.empty()) path_.assign(1, '\\');
  path_ += name;
  path_ += '\\';
  openFolders_.push_back(path_.size());
}

void EntryScan::FolderEnd() {
  if (!openFolders_.empty()) openFolders_.pop_back();
  path_.resize(openFolders_.empty() ? 0 : openFolders_.back());
}

void EntryScan::FollowFolders(std::size_t to) {
  // The folder records (and SectionMarks) in [pos_, to), visited 64 bytes at a time:
  // a catalogue has one every few dozen bytes.
  for (std::size_t at = pos_; at < to;) {
    std::uint64_t tags = TagBits64(buffer_.data() + at, tagByte::FolderEnd);
    if (to - at < 64) tags &= (std::uint64_t{1} << (to - at)) - 1;
    std::size_t next = at + 64;
    for (; tags != 0; tags &= tags - 1) {
      std::size_t tagAt = at + static_cast<std::size_t>(std::countr_zero(tags));
      if (buffer_[tagAt] == tagByte::FolderEnd) {
        FolderEnd();
      } else if (buffer_[tagAt] == tagByte::FolderStart && !(dataEnded_ && tagAt + 1 == end_)) {
        // (A FolderStart that is the last byte has no name: a file cut short.)
        std::size_t name = tagAt + 1;
        std::size_t nameEnd = name + FindTagByte(buffer_.data() + name, end_ + 1 - name, tagByte::Last);
        FolderStart(std::string_view(reinterpret_cast<const char*>(buffer_.data() + name), nameEnd - name));
        // A name holds no tag; one that runs past these 64 bytes ends the run of them.
        if (nameEnd >= next) {
          next = nameEnd;
          break;
        }
      }
    }
    at = next;
  }
  pos_ = std::max(pos_, to);
}

EntryScan::Event EntryScan::Next() {
  std::size_t hit = NextHit();
  if (hit != kNone) {
    if (followFolders_) FollowFolders(hitField_);
    tag_ = buffer_[hitField_];
    if (lost_ && hitField_ == 0) {
      text_ = RereadField(lostStart_, FileOffset(hitEnd_));
    } else {
      text_ = std::string_view(reinterpret_cast<const char*>(buffer_.data() + hitField_ + 1),
                               hitEnd_ - hitField_ - 1);
    }
    endPosition_ = std::min(textOffset_ + static_cast<std::int64_t>(hitEnd_), read_);
    pos_ = hitEnd_;
    return Event::Hit;
  }
  if (dataEnded_) return Event::End;
  // The tag at limit_ begins the field still being read; it is handled once the
  // field is complete, after the refill.
  if (followFolders_) FollowFolders(limit_);
  pos_ = std::max(pos_, limit_);
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

}  // namespace qvl
