#pragma once

#include <string>
#include <vector>

namespace qvl::test {

struct QvlResult {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs the qvl program with the arguments, in `folder` when given.
QvlResult RunQvl(const std::vector<std::string>& args, const std::string& folder = {});

}  // namespace qvl::test
