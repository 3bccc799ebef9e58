#pragma once

#include <string>
#include <vector>

namespace qvl::test {

// The lines of a text made of CR LF lines; text after the last CR LF shows as a last
// line marked "<no CR LF>".
inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(text.substr(start, end - start));
  if (start < text.size()) lines.push_back(text.substr(start) + "<no CR LF>");
  return lines;
}

}  // namespace qvl::test
