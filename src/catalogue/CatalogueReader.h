#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ByteSink.h"
#include "platform/File.h"
#include "platform/Hash.h"

namespace qvl {

// Reads a catalogue file front to back through a block buffer: one byte at a time
// (ReadByte) or one text field at a time (ReadField), after a seek to any position.
//
// Past the end of the data, reading yields SectionMark (0), the end mark, and sets
// AtEnd, so every loop that stops at the end mark or at AtEnd also stops on a file
// that is empty, cut short or malformed. Bytes beyond the size taken when the file
// was opened are not read.
//
// Threads: used by one thread at a time; it holds a position and a buffer.
class CatalogueReader {
 public:
  static constexpr std::size_t kDefaultBlockSize = std::size_t{1} << 15;

  explicit CatalogueReader(std::size_t blockSize = kDefaultBlockSize);

  // Opens the file for reading and stands at its start; a failure throws IoError.
  void OpenCatalogue(const std::string& name);
  void CloseCatalogue();
  bool CatalogueOpen() const { return file_.IsOpen(); }
  // The name as passed to OpenCatalogue; kept after the file is closed.
  const std::string& OpenCatalogueName() const { return name_; }
  std::int64_t CatalogueSize() const { return size_; }
  // The file as it was opened: its size and time tell whether it has been changed.
  const FileState& OpenedState() const { return openedState_; }

  // From now on the blocks read front to back from the file's start are hashed as
  // they are read, so that a load also gives the fingerprint of the file without
  // reading it twice. Reading elsewhere is allowed; only the bytes met in order count.
  void StartFingerprint();
  // The XXH3-64 of the whole file, once every byte of it has been read in order.
  std::optional<std::uint64_t> Fingerprint() const;

  // The next read starts at `position`; a position outside the file reads as its end.
  void SeekCatalogue(std::int64_t position);

  // Makes the next byte CurrentTag.
  void ReadByte() {
    if (index_ == length_ && !FillBlock()) return;
    currentTag_ = buffer_[index_++];
  }
  // The bytes up to the next byte from 0 to 4, which becomes CurrentTag. Reads at
  // least one byte: when the next byte is already a tag, the text is empty.
  std::string ReadField();
  // ReadField appending to `text`.
  void AppendField(std::string& text);
  // ReadByte while CurrentTag is greater than `tag`, without keeping the bytes.
  void SkipWhileAbove(unsigned char tag);
  // SkipWhileAbove handing CurrentTag and the bytes passed over to `out`: the
  // records up to the next tag not above `tag`, as they stand in the file.
  void CopyWhileAbove(unsigned char tag, ByteSink& out);

  unsigned char CurrentTag() const { return currentTag_; }
  // The file offset just past the last byte read.
  std::int64_t ReadPosition() const { return blockStart_ + static_cast<std::int64_t>(index_); }
  // True once the last byte of the file has been read (or a read found none left);
  // cleared by SeekCatalogue.
  bool AtEnd() const { return pastEnd_ || (ReadPosition() == size_ && ReadPosition() > seekPosition_); }

 private:
  // Reads the next block; at the end of the data makes CurrentTag the end mark.
  bool FillBlock();

  File file_;
  std::string name_;
  std::int64_t size_ = 0;
  FileState openedState_;
  std::size_t blockSize_;
  std::vector<unsigned char> buffer_;
  std::int64_t blockStart_ = 0;    // file offset of buffer_[0]
  std::int64_t seekPosition_ = 0;  // where the last SeekCatalogue went
  std::size_t index_ = 0;          // bytes of the block consumed
  std::size_t length_ = 0;         // bytes in the block
  unsigned char currentTag_ = 0;
  bool pastEnd_ = false;
  std::unique_ptr<StreamHash64> fingerprint_;  // while hashing
  std::int64_t hashedTo_ = 0;                  // the bytes hashed so far
};

}  // namespace qvl
