#include "platform/IoError.h"

#include <cstring>

namespace qvl {

void ThrowIoError(std::string_view action, std::string_view file, int err) {
  std::string message = "Cannot ";
  message += action;
  message += " \"";
  message += file;
  message += "\": ";
  message += std::strerror(err);
  throw IoError(message);
}

}  // namespace qvl
