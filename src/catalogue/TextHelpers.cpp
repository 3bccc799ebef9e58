#include "catalogue/TextHelpers.h"

namespace qvl {

std::size_t NthCharPos(char c, long long n, std::string_view s) {
  if (n <= 0) return 0;
  long long count = 0;
  for (std::size_t i = 0; i < s.size(); ++i)
    if (s[i] == c && ++count == n) return i + 1;
  return 0;
}

std::string ShortenPath(std::string_view original, std::uint8_t margin) {
  const int limit = static_cast<int>(margin) - 30;
  if (limit < 0) return {};
  const std::size_t fit = static_cast<std::size_t>(limit);
  std::string path(original);
  if (path.size() <= fit) return path;

  // Pass i works between the i-th and the (i+1)-th backslash. A pass changes nothing
  // in front of the i-th, so the next pass's backslash is the first one after it;
  // finding it from there keeps deep paths from costing a scan per pass.
  std::size_t a = NthCharPos('\\', 3, path);  // 1-based; 0 when there is none
  bool first = true;
  while (a != 0 && path.size() > fit) {
    std::size_t next = path.find('\\', a);
    if (next != std::string::npos && next > a) path.erase(a, next - a);
    if (first) {
      path.insert(a, "..");
    } else if (a < path.size()) {
      path.erase(a, 1);
    }
    first = false;
    std::size_t following = path.find('\\', a);
    a = following == std::string::npos ? 0 : following + 1;
  }
  if (path.size() <= fit) return path;
  // No backslash left to work at: the first such pass puts ".." in front, each
  // later one takes a character from the front, so what remains is the tail.
  return path.substr(path.size() - fit);
}

std::string GroupDigits(std::string_view s) {
  const std::size_t length = s.size();
  if (length < 4 || length > 13) return std::string(s);
  std::string grouped(s);
  // A count and a char: GCC 12 at -O3 falsely warns -Wrestrict on insert(pos, " ").
  for (std::size_t tail = 3; tail < length && tail <= 9; tail += 3) grouped.insert(length - tail, 1, ' ');
  return grouped;
}

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
