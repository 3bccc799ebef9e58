#pragma once

#include <string>

namespace qvl::test {

// A byte string from a literal that may hold NUL bytes: Bytes("\x00" "c:").
template <std::size_t N>
std::string Bytes(const char (&literal)[N]) {
  return std::string(literal, N - 1);
}

}  // namespace qvl::test
