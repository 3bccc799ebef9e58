#pragma once

#include <ctime>
#include <string>
#include <string_view>

#include "catalogue/ProgramVersion.h"

namespace qvl {

// What --version prints for the program named: "qvl (Quorvalen) 2.31" and a newline.
std::string VersionLine(std::string_view program);

// The comment a new listing is offered: "Created <short date>,<long time> using
// Quorvalen v2.31", in the user's date and time formats.
std::string CommentStamp(std::time_t when);

}  // namespace qvl
