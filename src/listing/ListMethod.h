#pragma once

namespace qvl {

// The listing methods, numbered as the method selector orders them.
enum class ListMethod { Collapsed = 0, FoldersOnly = 1, FoldersAndFilenames = 2, Catalogue = 3 };

}  // namespace qvl
