#include "app/work/ListingTask.h"

#include "browse/Import.h"
#include "platform/Locale.h"
#include "search/SearchIndex.h"

namespace qvl::app {
namespace {

// A catalogue written is recorded once the command has ended, on the window's thread.
struct LaterHistory final : CatalogueHistory {
  void AddCatalogue(const std::string& catalogue) override { name = catalogue; }
  std::optional<std::string> name;
};

}  // namespace

void IndexCatalogue(const std::string& catalogue) {
  try {
    BuildSearchIndex(catalogue);
  } catch (const std::exception&) {
    // The index is derived: without one, searches of the catalogue scan it whole.
  }
}

ListingOutcome RunListing(const CreateListRequest& request, CreateListAnswers& answers, Progress& progress) {
  ListingOutcome outcome;
  try {
    Collator collator;
    auto source =
        MakeLinuxDirectorySource(request.list.drive.rootDirectory, DirectoryOptions{.linkTargets = false});
    LaterHistory history;
    auto importListing = [](const std::string& listed, const std::string& destination,
                            const std::optional<CommentLines>& comment, Progress& importProgress) {
      Catalogue catalogue;
      ImportCatalogueFile(catalogue, listed, destination, true, comment, importProgress);
    };
    auto result = RunCreateList(request, answers, *source, collator, history, importListing, progress);
    outcome.complete = result == CreateListResult::Complete;
    outcome.catalogue = history.name;
    if (outcome.catalogue) IndexCatalogue(*outcome.catalogue);
  } catch (const LockedOutputError& error) {
    outcome.lockedOutput = true;
    outcome.error = error.what();
    outcome.reason = error.Reason();
  } catch (const std::exception& error) {
    outcome.error = error.what();
  } catch (...) {
    outcome.error = "The listing stopped with an unknown error";
  }
  return outcome;
}

}  // namespace qvl::app
