#pragma once

#include <string>
#include <vector>

namespace qvl::cli {

// Exit statuses.
constexpr int kSuccess = 0;
constexpr int kNothingFound = 1;  // find, search: no hits; diff: differences
constexpr int kFailure = 2;

std::string UsageText();

// Each command takes the arguments after its name, prints its results on stdout,
// and throws UsageError or IoError for the caller to report.
int RunDrives(const std::vector<std::string>& args);
int RunList(const std::vector<std::string>& args);
int RunInfo(const std::vector<std::string>& args);
int RunLs(const std::vector<std::string>& args);
int RunTree(const std::vector<std::string>& args);
int RunMerge(const std::vector<std::string>& args);
int RunFind(const std::vector<std::string>& args);
int RunSearch(const std::vector<std::string>& args);
int RunDiff(const std::vector<std::string>& args);
int RunDupes(const std::vector<std::string>& args);
int RunUnique(const std::vector<std::string>& args);
int RunDu(const std::vector<std::string>& args);
int RunExport(const std::vector<std::string>& args);
int RunIndex(const std::vector<std::string>& args);

}  // namespace qvl::cli
