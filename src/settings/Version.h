#pragma once

#include <ctime>
#include <string>
#include <string_view>

namespace qvl {

// The program's name and version: the window's title, the About tab, comment stamps.
inline constexpr std::string_view kVersionText = "Quorvalen v2.31";

// The comment a new listing is offered: "Created <short date>,<long time> using
// Quorvalen v2.31", in the user's date and time formats.
std::string CommentStamp(std::time_t when);

}  // namespace qvl
