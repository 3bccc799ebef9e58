#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace qvl {

// A failed operation on a file, with a message fit to show a user: what failed,
// on which file, and the system's reason.
class IoError : public std::runtime_error {
 public:
  explicit IoError(const std::string& message) : std::runtime_error(message) {}
};

// "Cannot <action> \"<file>\": <strerror(err)>", for a failure that is reported
// without being thrown.
std::string IoErrorText(std::string_view action, std::string_view file, int err);

// Throws IoError("Cannot <action> \"<file>\": <strerror(err)>").
[[noreturn]] void ThrowIoError(std::string_view action, std::string_view file, int err);

}  // namespace qvl
