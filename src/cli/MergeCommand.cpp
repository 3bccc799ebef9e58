// The Browse tab's import without a window: one catalogue merged into another.

#include "browse/Import.h"
#include "cli/Args.h"
#include "cli/Commands.h"
#include "cli/Options.h"
#include "cli/TerminalProgress.h"
#include "platform/IoError.h"

namespace qvl::cli {

int RunMerge(const std::vector<std::string>& args) {
  auto parsed = ParseArgs(args, {{"--comment"}});
  if (parsed.positional.size() != 2) throw UsageError("merge takes a source and a destination catalogue");
  const std::string& source = parsed.positional[0];
  const std::string& destination = parsed.positional[1];
  auto comment = CommentOption(parsed);
  Collator collator;
  Catalogue catalogue;
  TerminalProgress progress;
  // The window ignores a missing source; a command line names it.
  if (!ImportCatalogueFile(catalogue, source, destination, false, comment, progress))
    ThrowNamedFileProblem(source);
  progress.Clear();
  IndexWrittenCatalogue(destination);
  return kSuccess;
}

}  // namespace qvl::cli
