#include "platform/IoError.h"

#include <cstring>

namespace qvl {

std::string IoErrorText(std::string_view action, std::string_view file, int err) {
  std::string message = "Cannot ";
  message += action;
  message += " \"";
  message += file;
  message += "\": ";
  message += std::strerror(err);
  return message;
}

void ThrowIoError(std::string_view action, std::string_view file, int err) {
  throw IoError(IoErrorText(action, file, err));
}

}  // namespace qvl
