#include "catalogue/CatalogueReader.h"

#include <algorithm>

#include "catalogue/TagScan.h"
#include "catalogue/Tags.h"

namespace qvl {

CatalogueReader::CatalogueReader(std::size_t blockSize)
    : blockSize_(std::max<std::size_t>(blockSize, 1)), buffer_(blockSize_) {}

void CatalogueReader::OpenCatalogue(const std::string& name) {
  File file = File::OpenRead(name);
  openedState_ = file.State();
  size_ = openedState_.size;
  file_ = std::move(file);
  name_ = name;
  length_ = 0;  // the block read is of another file
  fingerprint_.reset();
  SeekCatalogue(0);
}

void CatalogueReader::StartFingerprint() {
  fingerprint_ = std::make_unique<StreamHash64>();
  hashedTo_ = 0;
  // A block read before counts only from its start.
  if (length_ > 0 && blockStart_ == 0) {
    fingerprint_->Add(buffer_.data(), length_);
    hashedTo_ = static_cast<std::int64_t>(length_);
  }
}

std::optional<std::uint64_t> CatalogueReader::Fingerprint() const {
  if (!fingerprint_ || hashedTo_ != size_) return std::nullopt;
  return fingerprint_->Digest();
}

void CatalogueReader::CloseCatalogue() {
  file_.Close();
  fingerprint_.reset();
  length_ = 0;
  SeekCatalogue(0);
}

void CatalogueReader::SeekCatalogue(std::int64_t position) {
  // A position in the block at hand needs no read: the merge seeks to folder after
  // folder a few hundred bytes apart.
  if (!pastEnd_ && position >= blockStart_ && position < blockStart_ + static_cast<std::int64_t>(length_)) {
    index_ = static_cast<std::size_t>(position - blockStart_);
    seekPosition_ = position;
    return;
  }
  if (file_.IsOpen() && position >= 0 && position < size_) file_.Seek(position);
  seekPosition_ = blockStart_ = position;
  index_ = length_ = 0;
  pastEnd_ = false;
}

bool CatalogueReader::FillBlock() {
  blockStart_ += static_cast<std::int64_t>(index_);
  index_ = length_ = 0;
  if (!pastEnd_ && file_.IsOpen() && blockStart_ >= 0 && blockStart_ < size_) {
    auto wanted = static_cast<std::size_t>(std::min<std::int64_t>(static_cast<std::int64_t>(blockSize_), size_ - blockStart_));
    length_ = file_.Read(reinterpret_cast<char*>(buffer_.data()), wanted);
    const std::int64_t blockEnd = blockStart_ + static_cast<std::int64_t>(length_);
    if (fingerprint_ && blockStart_ <= hashedTo_ && hashedTo_ < blockEnd) {
      fingerprint_->Add(buffer_.data() + (hashedTo_ - blockStart_), static_cast<std::size_t>(blockEnd - hashedTo_));
      hashedTo_ = blockEnd;
    }
  }
  if (length_ > 0) return true;
  // The file may also have shrunk since it was opened: its data ends here either way.
  pastEnd_ = true;
  currentTag_ = tag::SectionMark;
  return false;
}

std::string CatalogueReader::ReadField() {
  std::string text;
  AppendField(text);
  return text;
}

void CatalogueReader::AppendField(std::string& text) {
  for (;;) {
    if (index_ == length_ && !FillBlock()) return;
    const unsigned char* start = buffer_.data() + index_;
    std::size_t found = FindTagByte(start, length_ - index_, tag::Last);
    text.append(reinterpret_cast<const char*>(start), found);
    index_ += found;
    if (index_ < length_) {
      currentTag_ = buffer_[index_++];
      return;
    }
    currentTag_ = buffer_[length_ - 1];
  }
}

void CatalogueReader::SkipWhileAbove(unsigned char tag) {
  while (currentTag_ > tag) {
    if (index_ == length_ && !FillBlock()) return;
    std::size_t found = FindTagByte(buffer_.data() + index_, length_ - index_, tag);
    index_ += found;
    if (index_ < length_) {
      currentTag_ = buffer_[index_++];
      return;
    }
    currentTag_ = buffer_[length_ - 1];
  }
}

void CatalogueReader::CopyWhileAbove(unsigned char tag, ByteSink& out) {
  if (currentTag_ <= tag) return;
  out.Write(std::string_view(reinterpret_cast<const char*>(&currentTag_), 1));
  for (;;) {
    if (index_ == length_ && !FillBlock()) return;
    const unsigned char* start = buffer_.data() + index_;
    std::size_t found = FindTagByte(start, length_ - index_, tag);
    out.Write(std::string_view(reinterpret_cast<const char*>(start), found));
    index_ += found;
    if (index_ < length_) {
      currentTag_ = buffer_[index_++];
      return;
    }
    currentTag_ = buffer_[length_ - 1];
  }
}

}  // namespace qvl
