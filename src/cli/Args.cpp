#include "cli/Args.h"

#include <algorithm>

namespace qvl::cli {

std::optional<std::string> ParsedArgs::Value(const std::string& name) const {
  auto range = options.equal_range(name);
  if (range.first == range.second) return std::nullopt;
  if (std::next(range.first) != range.second) throw UsageError(name + " may be given only once");
  return range.first->second;
}

std::vector<std::string> ParsedArgs::Values(const std::string& name) const {
  std::vector<std::string> values;
  auto range = options.equal_range(name);
  for (auto it = range.first; it != range.second; ++it) values.push_back(it->second);
  return values;
}

std::optional<CommentLines> CommentOption(const ParsedArgs& parsed) {
  auto lines = parsed.Values("--comment");
  if (lines.size() > 4) throw UsageError("at most four --comment lines");
  if (lines.empty()) return std::nullopt;
  CommentLines comment;
  std::copy(lines.begin(), lines.end(), comment.begin());
  return comment;
}

ParsedArgs ParseArgs(const std::vector<std::string>& args, const std::vector<OptionRule>& rules) {
  ParsedArgs parsed;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      parsed.positional.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    std::string name = arg;
    std::optional<std::string> inlineValue;
    if (auto eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
      name = arg.substr(0, eq);
      inlineValue = arg.substr(eq + 1);
    }
    const OptionRule* rule = nullptr;
    for (const auto& candidate : rules)
      if (candidate.name == name || (!candidate.alias.empty() && candidate.alias == name)) rule = &candidate;
    if (rule == nullptr) throw UsageError("unknown option " + name);
    if (!rule->takesValue) {
      if (inlineValue) throw UsageError(name + " takes no value");
      parsed.options.emplace(rule->name, "");
      continue;
    }
    if (!inlineValue) {
      if (i + 1 >= args.size()) throw UsageError(name + " needs a value");
      inlineValue = args[++i];
    }
    parsed.options.emplace(rule->name, *inlineValue);
  }
  return parsed;
}

}  // namespace qvl::cli
