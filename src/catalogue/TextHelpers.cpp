#include "catalogue/TextHelpers.h"

namespace qvl {

std::string LastFolderName(std::string_view path) {
  if (path.empty()) return {};
  path.remove_suffix(1);
  auto slash = path.rfind('\\');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string ParentPath(std::string_view path) {
  if (path.empty()) return {};
  path.remove_suffix(1);
  auto slash = path.rfind('\\');
  return std::string(slash == std::string_view::npos ? std::string_view() : path.substr(0, slash + 1));
}

}  // namespace qvl
