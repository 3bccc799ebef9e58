#pragma once

#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "catalogue/Tags.h"

namespace qvl::cli {

// A command line that does not fit the command: the message, then the usage.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct OptionRule {
  OptionRule(std::string optionName, bool valued = true, std::string otherSpelling = {})
      : name(std::move(optionName)), takesValue(valued), alias(std::move(otherSpelling)) {}
  std::string name;   // "--method", or "-o"
  bool takesValue;
  std::string alias;  // another spelling ("--output" for "-o")
};

struct ParsedArgs {
  std::vector<std::string> positional;
  std::multimap<std::string, std::string> options;  // by the option's first spelling, in the order given

  bool Has(const std::string& name) const { return options.count(name) > 0; }
  // The value of an option that may be given once.
  std::optional<std::string> Value(const std::string& name) const;
  std::vector<std::string> Values(const std::string& name) const;
};

// The comment lines of "--comment TEXT" given up to four times; none without.
std::optional<CommentLines> CommentOption(const ParsedArgs& parsed);

// Options may come anywhere among the positional arguments, as "--name value" or
// "--name=value"; "--" ends the options.
ParsedArgs ParseArgs(const std::vector<std::string>& args, const std::vector<OptionRule>& rules);

}  // namespace qvl::cli
