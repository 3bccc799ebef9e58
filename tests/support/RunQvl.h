#pragma once

#include <string>
#include <vector>

namespace qvl::test {

struct QvlResult {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs the qvl program with the arguments, in `folder` when given. With a file size
// limit, writes past that size fail (EFBIG) as on a full disk.
QvlResult RunQvl(const std::vector<std::string>& args, const std::string& folder = {},
                 long long fileSizeLimit = -1);

}  // namespace qvl::test
