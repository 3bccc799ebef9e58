#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace qvl {

// Position (from 1) of the n-th occurrence of c in s; 0 when s holds fewer than n
// of them, and for n of 0 or less.
std::size_t NthCharPos(char c, long long n, std::string_view s);

// A folder path ending in a backslash, shortened for a plain-list line to at most
// margin - 30 characters: the drive and the first two folder names stay, the third
// becomes "..", then every second name after it is dropped until it fits; when no
// name is left to drop, characters go from the front. Margins below 30 leave no
// room at all and give "".
std::string ShortenPath(std::string_view path, std::uint8_t margin);

// A number's text with blanks between groups of three characters counted from the
// right ("1234567" gives "1 234 567"), for texts of 4 to 13 characters; shorter and
// longer texts come back unchanged. A leading "-" counts as a character.
std::string GroupDigits(std::string_view s);

// The last folder name of a path that ends with a backslash: drop the last
// character, then everything up to the last remaining backslash ("C:\Docs\Old\"
// gives "Old", "C:\" gives "C:").
std::string LastFolderName(std::string_view path);

// The path one folder up: drop the trailing backslash, then everything after the
// last remaining one ("\Docs\Old\" gives "\Docs\", "\" gives "").
std::string ParentPath(std::string_view path);

}  // namespace qvl
