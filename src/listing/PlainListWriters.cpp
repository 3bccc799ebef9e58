#include "listing/PlainListWriters.h"

#include <stdexcept>

#include "catalogue/TextHelpers.h"

namespace qvl {
namespace {

void AppendIndent(std::string& text, std::size_t depth) {
  for (std::size_t level = 1; level < depth; ++level) text += "| ";
}

}  // namespace

void PlainListWriter::EndLine() {
  // A name may hold a line break (or the end-of-file mark a later append cuts at);
  // either would break the list apart, so such bytes become "?".
  for (char& c : line_)
    if (c == '\r' || c == '\n' || c == '\x1a') c = '?';
  line_ += "\r\n";
  output_.Write(line_);
  line_.clear();
}

void PlainListWriter::WriteLine(std::string_view text) {
  line_.append(text);
  EndLine();
}

void PlainListWriter::WriteRule(char c) {
  line_.append(rightMargin_, c);
  EndLine();
}

void PlainListWriter::WriteTwoColumns(std::string_view left, std::string_view right) {
  line_.append(left);
  std::size_t used = left.size() + right.size();
  if (used < rightMargin_) line_.append(rightMargin_ - used, ' ');
  line_.append(right);
  EndLine();
}

void PlainListWriter::WriteListHeader(const ListHeader& header) {
  WriteRule('*');
  WriteTwoColumns("* List created " + header.date + " at " + header.time + " from " + header.caption, "*");
  WriteRule('*');
  if (!header.comment) {
    WriteLine({});
    return;
  }
  for (const std::string& line : *header.comment) WriteTwoColumns("*" + line, "*");
  WriteRule('*');
}

void PlainListWriter::WriteListTrailer(std::string_view caption) {
  WriteLine({});
  WriteRule('*');
  WriteTwoColumns("* End of list created from " + std::string(caption), "*");
  WriteRule('*');
  WriteLine({});
}

std::string PlainListWriter::FolderSummary(const WalkState& state) const {
  const WalkLevel& level = state.Current();
  return " (" + GroupDigits(std::to_string(level.FolderBytes)) + " bytes in " +
         std::to_string(level.FileNames.size()) + " files)";
}

void CollapsedWriter::WriteCollapsedFolder(const WalkState& state) {
  std::string left;
  AppendIndent(left, state.ListDepth);
  left += '<';
  left += state.CurrentName();
  left += '>';
  WriteTwoColumns(left, FolderSummary(state));
}

void CollapsedWriter::WriteCollapsedFiles(const WalkState& state) {
  std::string line;
  AppendIndent(line, state.ListDepth);
  line += "|--";
  const std::size_t prefix = line.size();
  for (const std::string& name : state.Current().FileNames) {
    line.resize(prefix);
    line += name;
    WriteLine(line);
  }
}

void FolderLineWriter::WriteFolderLine(const WalkState& state) {
  WriteTwoColumns(ShortenPath(state.ListPath, RightMargin()), FolderSummary(state));
}

void FolderBlockWriter::WriteFolderBlock(const WalkState& state) {
  WriteRule('_');
  WriteTwoColumns(ShortenPath(state.ListPath, RightMargin()), FolderSummary(state));
  WriteRule('_');
  for (const std::string& name : state.Current().FileNames) WriteLine(name);
}

std::unique_ptr<PlainListWriter> MakePlainListWriter(ListMethod method, ByteSink& output,
                                                     std::uint8_t rightMargin) {
  switch (method) {
    case ListMethod::Collapsed:
      return std::make_unique<CollapsedWriter>(output, rightMargin);
    case ListMethod::FoldersOnly:
      return std::make_unique<FolderLineWriter>(output, rightMargin);
    case ListMethod::FoldersAndFilenames:
      return std::make_unique<FolderBlockWriter>(output, rightMargin);
    case ListMethod::Catalogue:
      break;
  }
  throw std::invalid_argument("A catalogue is not a plain list");
}

}  // namespace qvl
