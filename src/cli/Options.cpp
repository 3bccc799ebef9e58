#include "cli/Options.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cctype>
#include <iostream>
#include <optional>

#include "browse/Catalogue.h"
#include "cli/Args.h"
#include "cli/TerminalProgress.h"
#include "platform/IoError.h"
#include "platform/ProfileFile.h"
#include "settings/Settings.h"

namespace qvl::cli {

ListMethod MethodNamed(const std::string& name) {
  if (name == "qvl") return ListMethod::Catalogue;
  if (name == "collapsed") return ListMethod::Collapsed;
  if (name == "folders") return ListMethod::FoldersOnly;
  if (name == "filenames") return ListMethod::FoldersAndFilenames;
  throw UsageError("--method takes qvl, collapsed, folders or filenames, not " + name);
}

std::uint8_t MarginNamed(const std::string& text) {
  bool digits = !text.empty() && text.size() <= 3 &&
                std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
  if (!digits || std::stoi(text) > 255) throw UsageError("--margin takes a number from 0 to 255, not " + text);
  return static_cast<std::uint8_t>(std::stoi(text));
}

std::string NamedFileProblem(const std::string& name) {
  struct stat st {};
  int reason = ::stat(name.c_str(), &st) != 0 ? errno : S_ISDIR(st.st_mode) ? EISDIR : ENOENT;
  return IoErrorText("open", name, reason);
}

void ThrowNamedFileProblem(const std::string& name) { throw IoError(NamedFileProblem(name)); }

void LoadNamedCatalogue(Catalogue& catalogue, const std::string& name, TerminalProgress& progress) {
  if (!catalogue.LoadCatalogue(name, true, progress, LoadCheck::CatalogueOnly)) ThrowNamedFileProblem(name);
  if (!catalogue.Complete()) {
    progress.Clear();
    std::cerr << "qvl: warning: " << CutShortText(name) << '\n';
  }
}

std::uint8_t MarginFor(const std::optional<std::string>& text) {
  return text ? MarginNamed(*text) : ReadRightMargin(ProfileFile(SettingsFilePath()));
}

}  // namespace qvl::cli
