#pragma once

#include <string>
#include <vector>

namespace qvl::test {

struct QvlResult {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs a copy of the built qvl with the arguments, in `folder` when given. The copy
// has no settings file beside it. With a file size limit, writes past that size fail
// (EFBIG) as on a full disk.
QvlResult RunQvl(const std::vector<std::string>& args, const std::string& folder = {},
                 long long fileSizeLimit = -1);

// The same with a copy of qvl (see CopyQvlTo).
QvlResult RunQvlAt(const std::string& program, const std::vector<std::string>& args,
                   const std::string& folder = {}, long long fileSizeLimit = -1);

// Puts the built qvl into `folder` (a hard link where possible), so that it reads the
// settings file of that folder; the result is its path.
std::string CopyQvlTo(const std::string& folder);

}  // namespace qvl::test
