#include "settings/Version.h"

#include "platform/Locale.h"

namespace qvl {

std::string VersionLine(std::string_view program) {
  return std::string(program) + " (Quorvalen) " + std::string(kVersionNumber) + "\n";
}

std::string CommentStamp(std::time_t when) {
  return "Created " + ShortDateText(when) + "," + LongTimeText(when) + " using " + std::string(kVersionText);
}

}  // namespace qvl
