#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "catalogue/Tags.h"
#include "catalogue/WalkState.h"
#include "listing/ListMethod.h"
#include "platform/ByteSink.h"

namespace qvl {

// Width of plain-list lines when nothing else is set.
constexpr std::uint8_t kDefaultRightMargin = 95;

// What a plain list's header says besides the fixed words.
struct ListHeader {
  std::string caption;  // the drive caption, "c: [data]"
  std::string date;     // the user's short date
  std::string time;     // the user's long time
  std::optional<CommentLines> comment;
};

// The plain-list styles share their lines: rules, two columns filling the right
// margin, header and trailer. Each line ends in CR LF. The writers read only the
// walk state they are handed and their margin, so a catalogue replayed through the
// same walk state comes out as a listing of the drive would.
class PlainListWriter : public FolderWriter {
 public:
  PlainListWriter(ByteSink& output, std::uint8_t rightMargin) : output_(output), rightMargin_(rightMargin) {}

  // RightMargin copies of c.
  void WriteRule(char c);
  // left and right with blanks between, so that right ends in the last column; when
  // they do not fit, one straight after the other.
  void WriteTwoColumns(std::string_view left, std::string_view right);
  void WriteListHeader(const ListHeader& header);
  void WriteListTrailer(std::string_view caption);

 protected:
  void WriteLine(std::string_view text);
  // " (1 434 bytes in 2 files)" for the folder being listed.
  std::string FolderSummary(const WalkState& state) const;
  std::uint8_t RightMargin() const { return rightMargin_; }

 private:
  void EndLine();

  ByteSink& output_;
  std::uint8_t rightMargin_;
  std::string line_;  // the line being put together, reused
};

// "Collapsed": "<name>" lines indented by "| " per level; a folder's files follow
// everything below it.
class CollapsedWriter final : public PlainListWriter {
 public:
  using PlainListWriter::PlainListWriter;
  void WriteCollapsedFolder(const WalkState& state);
  void WriteCollapsedFiles(const WalkState& state);
  void BeginFolder(const WalkState& state) override { WriteCollapsedFolder(state); }
  void EndFolder(const WalkState& state) override { WriteCollapsedFiles(state); }
};

// "Folders only": one line per folder, its path and summary.
class FolderLineWriter final : public PlainListWriter {
 public:
  using PlainListWriter::PlainListWriter;
  void WriteFolderLine(const WalkState& state);
  void BeginFolder(const WalkState& state) override { WriteFolderLine(state); }
  void EndFolder(const WalkState&) override {}
};

// "Folders and filenames": the folder line between two rules, then its file names.
class FolderBlockWriter final : public PlainListWriter {
 public:
  using PlainListWriter::PlainListWriter;
  void WriteFolderBlock(const WalkState& state);
  void BeginFolder(const WalkState& state) override { WriteFolderBlock(state); }
  void EndFolder(const WalkState&) override {}
};

// The writer of a plain method; the catalogue method has none here.
std::unique_ptr<PlainListWriter> MakePlainListWriter(ListMethod method, ByteSink& output,
                                                     std::uint8_t rightMargin);

}  // namespace qvl
