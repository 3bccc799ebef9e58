#include "cli/Options.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cctype>
#include <iostream>
#include <optional>

#include "browse/Catalogue.h"
#include "catalogue/CatalogueHeader.h"
#include "catalogue/CatalogueReader.h"
#include "catalogue/Tags.h"
#include "platform/File.h"
#include "cli/Args.h"
#include "cli/TerminalProgress.h"
#include "platform/IoError.h"
#include "platform/ProfileFile.h"
#include "platform/Time.h"
#include "search/SearchIndex.h"
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

std::vector<OptionRule> HitOptionRules() {
  return {{"--dates", false}, {"--newer"}, {"--older"}, {"--min-size"}, {"--max-size"}, {"--ext"}};
}

void IndexWrittenCatalogue(const std::string& catalogue) {
  try {
    BuildSearchIndex(catalogue);
  } catch (const std::exception& error) {
    std::cerr << "qvl: warning: " << error.what() << "; searches of it scan the whole catalogue\n";
  }
}

void IndexSearchedCatalogues(const std::vector<std::string>& catalogues) {
  for (const std::string& failure : BuildMissingIndexes(catalogues))
    std::cerr << "qvl: warning: " << failure << "; searches of it scan the whole catalogue\n";
}

HitFilter HitFilterFrom(const ParsedArgs& parsed) {
  HitFilter filter;
  auto date = [&](const std::string& option) -> std::optional<std::int64_t> {
    auto text = parsed.Value(option);
    if (!text) return std::nullopt;
    auto time = ParseIsoUtc(*text);
    if (!time) throw UsageError(option + " takes a date, 2026-12-09, or a date and time, 2026-12-09T14:00:00, not " + *text);
    return time;
  };
  auto size = [&](const std::string& option) -> std::optional<std::uint64_t> {
    auto text = parsed.Value(option);
    if (!text) return std::nullopt;
    auto bytes = ParseByteSize(*text);
    if (!bytes) throw UsageError(option + " takes a number of bytes, with K, M, G or T after it or not, not " + *text);
    return bytes;
  };
  filter.newerThan = date("--newer");
  filter.olderThan = date("--older");
  filter.minSize = size("--min-size");
  filter.maxSize = size("--max-size");
  for (const std::string& list : parsed.Values("--ext")) {
    for (std::size_t start = 0; start <= list.size();) {
      std::size_t comma = std::min(list.find(',', start), list.size());
      std::string extension = list.substr(start, comma - start);
      if (extension.starts_with('.')) extension.erase(0, 1);
      if (!extension.empty()) filter.extensions.push_back(extension);
      start = comma + 1;
    }
  }
  if (parsed.Has("--ext") && filter.extensions.empty()) throw UsageError("--ext takes extensions such as jpg,png");
  return filter;
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

void CheckNamedCatalogue(const std::string& name, TerminalProgress& progress) {
  if (!FileExists(name)) ThrowNamedFileProblem(name);
  CatalogueReader reader;
  reader.OpenCatalogue(name);
  if (!ReadCatalogueHeader(reader, true).beginsLikeCatalogue) throw IoError(NotACatalogueText(name));
  reader.SeekCatalogue(reader.CatalogueSize() - 1);
  reader.ReadByte();
  if (reader.CatalogueSize() < 2 || reader.CurrentTag() != tag::SectionMark) {
    progress.Clear();
    std::cerr << "qvl: warning: " << CutShortText(name) << '\n';
  }
}

std::int64_t ByteCountNamed(const std::string& option, const std::string& text) {
  std::size_t digits = 0;
  while (digits < text.size() && std::isdigit(static_cast<unsigned char>(text[digits]))) ++digits;
  std::string suffix = text.substr(digits);
  const std::string units = "KMGT";
  auto unit = suffix.size() == 1 ? units.find(static_cast<char>(std::toupper(static_cast<unsigned char>(suffix[0]))))
                                 : std::string::npos;
  if (digits == 0 || digits > 15 || (!suffix.empty() && unit == std::string::npos))
    throw UsageError(option + " takes a byte count (digits, then K, M, G or T if you like), not " + text);
  std::int64_t count = std::stoll(text.substr(0, digits));
  if (unit != std::string::npos) {
    for (std::size_t i = 0; i <= unit; ++i) {
      if (count > INT64_MAX / 1024) throw UsageError(option + " is too large: " + text);
      count *= 1024;
    }
  }
  return count;
}

std::uint8_t MarginFor(const std::optional<std::string>& text) {
  return text ? MarginNamed(*text) : ReadRightMargin(ProfileFile(SettingsFilePath()));
}

}  // namespace qvl::cli
