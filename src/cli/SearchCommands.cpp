// The quick find and the Search tab without a window.
#include <iostream>

#include "browse/Catalogue.h"
#include "cli/Args.h"
#include "cli/Commands.h"
#include "cli/Options.h"
#include "cli/RowOutput.h"
#include "cli/TerminalProgress.h"
#include "platform/IoError.h"
#include "platform/ProfileFile.h"
#include "search/QuickFind.h"
#include "search/SearchCatalogues.h"
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

std::string SearchText(const std::string& text) {
  if (text.empty()) throw UsageError("the search text is empty");
  return text;
}

}  // namespace

int RunFind(const std::vector<std::string>& args) {
  auto parsed = ParseArgs(args, HitOptionRules());
  if (parsed.positional.size() != 2) throw UsageError("find takes a catalogue file and a search text");
  const std::string& name = parsed.positional[0];
  std::string text = SearchText(parsed.positional[1]);
  const HitFilter filter = HitFilterFrom(parsed);
  const bool dates = parsed.Has("--dates");
  const HitOptions hits{.withDates = dates, .filter = filter.Empty() ? nullptr : &filter};
  Collator collator;
  Catalogue catalogue;
  TerminalProgress progress;
  LoadNamedCatalogue(catalogue, name, progress);
  QuickFindResult result;
  if (dates) {
    DatedRowPrinter rows(std::cout);
    result = FindEntries(catalogue, text, rows, progress, {}, hits);
  } else {
    RowPrinter rows(std::cout);
    result = FindEntries(catalogue, text, rows, progress, {}, hits);
  }
  progress.Clear();
  std::cerr << QuickFindText(result) << '\n';
  return result.Found() ? kSuccess : kNothingFound;
}

int RunSearch(const std::vector<std::string>& args) {
  auto parsed = ParseArgs(args, HitOptionRules());
  if (parsed.positional.empty()) throw UsageError("search takes a search text and catalogue files");
  std::string text = SearchText(parsed.positional[0]);
  const HitFilter filter = HitFilterFrom(parsed);
  const bool dates = parsed.Has("--dates");
  const HitOptions hits{.withDates = dates, .filter = filter.Empty() ? nullptr : &filter};
  std::vector<std::string> files(parsed.positional.begin() + 1, parsed.positional.end());
  const bool named = !files.empty();
  if (!named) {
    Collator collator;
    files = ReadHistory(ProfileFile(SettingsFilePath()), collator);
  }
  SearchLine progress;
  SearchOutcome outcome;
  if (dates) {
    DatedRowPrinter rows(std::cout);
    outcome = SearchCatalogues(text, files, rows, progress, hits);
  } else {
    RowPrinter rows(std::cout);
    outcome = SearchCatalogues(text, files, rows, progress, hits);
  }
  progress.Clear();
  if (outcome.noFilesToSearch) throw std::runtime_error(std::string(kNoFilesToSearch));
  std::cerr << SearchResultText(outcome) << '\n';
  // Catalogues of the history list that are gone are passed over, as in the
  // window; a file named here that is not there is an error.
  if (named && !outcome.skipped.empty()) {
    for (const std::string& name : outcome.skipped) std::cerr << "qvl: " << NamedFileProblem(name) << '\n';
    return kFailure;
  }
  return outcome.found ? kSuccess : kNothingFound;
}

}  // namespace qvl::cli
