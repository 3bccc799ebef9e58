#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "listing/ListMethod.h"

namespace qvl::cli {

// --method: qvl, collapsed, folders or filenames.
ListMethod MethodNamed(const std::string& name);
// --margin: 0 to 255.
std::uint8_t MarginNamed(const std::string& text);
// --margin when given, else the settings' RightMargin (95 without one).
std::uint8_t MarginFor(const std::optional<std::string>& text);

// Why a file named on the command line could not be read: the system's reason
// ("No such file or directory", "Is a directory", "Permission denied").
std::string NamedFileProblem(const std::string& name);
[[noreturn]] void ThrowNamedFileProblem(const std::string& name);

}  // namespace qvl::cli
