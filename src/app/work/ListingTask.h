#pragma once

#include <optional>
#include <string>
#include <vector>

#include "listing/CreateListCommand.h"

namespace qvl::app {

// How one run of the create-list command ended.
struct ListingOutcome {
  bool complete = false;      // "Listing complete"; false when cancelled or failed
  bool lockedOutput = false;  // the output could not be created or opened
  std::string error;          // what stopped the command, for the error report
  std::string reason;         // the system's reason beside the locked-output message
  std::optional<std::string> catalogue;  // a catalogue written, for the history
};

// The create-list command as a worker's task: lists the request's drive with the
// machine's directories, answering through `answers` (on the window's thread) and
// reporting to `progress`. Every failure ends up in the outcome, none is thrown.
// The search index of a catalogue just written, built or built again; a failure
// only leaves searches of it to scan the whole file.
void IndexCatalogue(const std::string& catalogue);

ListingOutcome RunListing(const CreateListRequest& request, CreateListAnswers& answers, Progress& progress);

}  // namespace qvl::app
