// The quick find and the Search tab without a window.
#include <iostream>

#include "browse/Catalogue.h"
#include "cli/Args.h"
#include "cli/Commands.h"
#include "cli/Options.h"
#include "cli/RowOutput.h"
#include "cli/TerminalProgress.h"
#include "platform/File.h"
#include "platform/IoError.h"
#include "platform/ProfileFile.h"
#include "search/QuickFind.h"
#include "search/SearchCatalogues.h"
#include "search/SearchIndex.h"
#include "settings/Settings.h"

namespace qvl::cli {
namespace {

// The progress line shows the file being searched and how far it is.
class SearchLine final : public SearchProgress {
 public:
  void FileLabel(std::string_view text) override { line_.Status(text); }
  void Percent(int percent) override { line_.Percent(percent); }
  void Clear() { line_.Clear(); }

 private:
  TerminalProgress line_;
};

std::vector<OptionRule> SearchRules() {
  std::vector<OptionRule> rules = HitOptionRules();
  rules.emplace_back("--no-index", false);
  return rules;
}

std::vector<std::string> HistoryFiles() {
  Collator collator;
  return ReadHistory(ProfileFile(SettingsFilePath()), collator);
}

std::string SearchText(const std::string& text) {
  if (text.empty()) throw UsageError("the search text is empty");
  return text;
}

}  // namespace

int RunFind(const std::vector<std::string>& args) {
  auto parsed = ParseArgs(args, SearchRules());
  if (parsed.positional.size() != 2) throw UsageError("find takes a catalogue file and a search text");
  const std::string& name = parsed.positional[0];
  std::string text = SearchText(parsed.positional[1]);
  const HitFilter filter = HitFilterFrom(parsed);
  const bool dates = parsed.Has("--dates");
  const HitOptions hits{.withDates = dates, .filter = filter.Empty() ? nullptr : &filter};
  const ScanOptions options{.useIndex = !parsed.Has("--no-index")};
  Collator collator;
  Catalogue catalogue;
  TerminalProgress progress;
  LoadNamedCatalogue(catalogue, name, progress);
  QuickFindResult result;
  if (dates) {
    DatedRowPrinter rows(std::cout);
    result = FindEntries(catalogue, text, rows, progress, options, hits);
  } else {
    RowPrinter rows(std::cout);
    result = FindEntries(catalogue, text, rows, progress, options, hits);
  }
  progress.Clear();
  std::cerr << QuickFindText(result) << '\n';
  std::cout.flush();
  if (options.useIndex) IndexSearchedCatalogues({name});
  return result.Found() ? kSuccess : kNothingFound;
}

int RunSearch(const std::vector<std::string>& args) {
  auto parsed = ParseArgs(args, SearchRules());
  if (parsed.positional.empty()) throw UsageError("search takes a search text and catalogue files");
  std::string text = SearchText(parsed.positional[0]);
  const HitFilter filter = HitFilterFrom(parsed);
  const bool dates = parsed.Has("--dates");
  const HitOptions hits{.withDates = dates, .filter = filter.Empty() ? nullptr : &filter};
  const ScanOptions options{.useIndex = !parsed.Has("--no-index")};
  std::vector<std::string> files(parsed.positional.begin() + 1, parsed.positional.end());
  const bool named = !files.empty();
  if (!named) files = HistoryFiles();
  SearchLine progress;
  SearchOutcome outcome;
  if (dates) {
    DatedRowPrinter rows(std::cout);
    outcome = SearchCatalogues(text, files, rows, progress, hits, options);
  } else {
    RowPrinter rows(std::cout);
    outcome = SearchCatalogues(text, files, rows, progress, hits, options);
  }
  progress.Clear();
  if (outcome.noFilesToSearch) throw std::runtime_error(std::string(kNoFilesToSearch));
  std::cerr << SearchResultText(outcome) << '\n';
  // The answer is out before the indexes the next search will use are built.
  std::cout.flush();
  if (options.useIndex) IndexSearchedCatalogues(files);
  // Catalogues of the history list that are gone are passed over, as in the
  // window; a file named here that is not there is an error.
  if (named && !outcome.skipped.empty()) {
    for (const std::string& name : outcome.skipped) std::cerr << "qvl: " << NamedFileProblem(name) << '\n';
    return kFailure;
  }
  return outcome.found ? kSuccess : kNothingFound;
}

int RunIndex(const std::vector<std::string>& args) {
  auto parsed = ParseArgs(args, {{"--status", false}});
  std::vector<std::string> files = parsed.positional;
  const bool named = !files.empty();
  if (!named) files = HistoryFiles();
  int status = kSuccess;
  if (parsed.Has("--status")) {
    // Fresh only where every one is: a script may wait for that.
    for (const std::string& file : files) {
      IndexFreshness freshness = IndexStatus(file);
      if (!FileExists(file)) {
        if (!named) continue;
        std::cerr << "qvl: " << NamedFileProblem(file) << '\n';
        status = kFailure;
        continue;
      }
      std::cout << (freshness == IndexFreshness::Fresh ? "fresh" : freshness == IndexFreshness::Stale ? "stale" : "missing")
                << '\t' << file << '\n';
      if (freshness != IndexFreshness::Fresh && status == kSuccess) status = kNothingFound;
    }
    return status;
  }
  // Catalogues of the history list that are gone are passed over; named ones are not.
  if (named) {
    for (const std::string& file : files) {
      if (FileExists(file)) continue;
      std::cerr << "qvl: " << NamedFileProblem(file) << '\n';
      status = kFailure;
    }
  }
  for (const std::string& failure : BuildSearchIndexes(files, false)) {
    std::cerr << "qvl: " << failure << '\n';
    status = kFailure;
  }
  return status;
}

}  // namespace qvl::cli
