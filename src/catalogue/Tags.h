#pragma once

#include <array>
#include <string>

namespace qvl {

// A catalogue is a flat stream of one-byte tags, each followed by a text field that
// runs up to the next byte from 0x00 to 0x04. Unsigned, as readers compare the
// file's bytes with them.
namespace tag {
constexpr unsigned char SectionMark = 0x00;     // header, comment block, end mark
constexpr unsigned char FolderStart = 0x01;     // + folder name
constexpr unsigned char FolderEnd = 0x02;       // closes the innermost folder
constexpr unsigned char FileEntry = 0x03;       // + entry text: name, or name "/" size
constexpr unsigned char SubfolderEntry = 0x04;  // + subfolder name
constexpr unsigned char Last = 0x04;            // every byte up to this one is a tag
}  // namespace tag

constexpr bool IsTag(unsigned char byte) { return byte <= tag::Last; }
// FileEntry or SubfolderEntry: the records that belong to the folder they stand in.
constexpr bool IsEntryTag(unsigned char byte) {
  return byte == tag::FileEntry || byte == tag::SubfolderEntry;
}

// The comment's four lines, as the comment dialog fills them.
using CommentLines = std::array<std::string, 4>;

}  // namespace qvl
