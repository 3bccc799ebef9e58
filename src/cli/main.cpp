#include <cstdio>
#include <exception>
#include <iostream>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "cli/Args.h"
#include "cli/Commands.h"
#include "settings/Version.h"

namespace {

using Command = int (*)(const std::vector<std::string>&);

int Dispatch(const std::vector<std::string>& args) {
  using namespace qvl::cli;
  static const std::map<std::string, Command> kCommands = {
      {"drives", RunDrives},
      {"list", RunList},
      {"info", RunInfo},
      {"ls", RunLs},
      {"tree", RunTree},
      {"merge", RunMerge},
      {"find", RunFind},
      {"search", RunSearch},
      {"diff", RunDiff},
      {"dupes", RunDupes},
      {"unique", RunUnique},
      {"du", RunDu},
      {"export", RunExport},
      {"index", RunIndex},
  };
  if (args.empty()) throw UsageError("no command given");
  if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    std::cout << UsageText();
    return kSuccess;
  }
  if (args[0] == "--version") {
    std::cout << qvl::VersionLine("qvl");
    return kSuccess;
  }
  auto command = kCommands.find(args[0]);
  if (command == kCommands.end())
    throw UsageError((args[0].starts_with('-') ? "unknown option " : "unknown command ") + args[0]);
  return command->second(std::vector<std::string>(args.begin() + 1, args.end()));
}

// Some messages are written for a message box, with CR LF between lines; on a
// terminal each of their lines is a line of its own, with the program's name.
std::string TerminalLines(std::string_view text) {
  std::string lines = "qvl: ";
  for (std::size_t start = 0;;) {
    std::size_t end = text.find("\r\n", start);
    lines += text.substr(start, end - start);
    if (end == std::string_view::npos) return lines + "\n";
    lines += "\nqvl: ";
    start = end + 2;
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  try {
    int status = Dispatch(args);
    std::cout.flush();
    if (!std::cout) {
      std::cerr << "qvl: Cannot write to standard output\n";
      return qvl::cli::kFailure;
    }
    return status;
  } catch (const qvl::cli::UsageError& error) {
    // The whole usage would bury the message; it is one option away.
    std::cerr << "qvl: " << error.what() << "\nUsage: qvl COMMAND [ARGUMENTS]; 'qvl --help' lists the commands and their options\n";
  } catch (const std::exception& error) {
    std::cerr << TerminalLines(error.what());
  }
  return qvl::cli::kFailure;
}
