#pragma once

#include <string_view>

namespace qvl {

// The program's name and version: the window's title, the About tab, comment
// stamps, and the volume record of every catalogue listed.
inline constexpr std::string_view kVersionText = "Quorvalen v2.31";

}  // namespace qvl
