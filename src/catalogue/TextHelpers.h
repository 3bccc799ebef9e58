#pragma once

#include <string>
#include <string_view>

namespace qvl {

// The last folder name of a path that ends with a backslash: drop the last
// character, then everything up to the last remaining backslash ("C:\Docs\Old\"
// gives "Old", "C:\" gives "C:").
std::string LastFolderName(std::string_view path);

// The path one folder up: drop the trailing backslash, then everything after the
// last remaining one ("\Docs\Old\" gives "\Docs\", "\" gives "").
std::string ParentPath(std::string_view path);

}  // namespace qvl
