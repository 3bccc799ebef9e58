#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "catalogue/Tags.h"
#include "listing/CatalogueHistory.h"
#include "listing/CreateList.h"
#include "platform/IoError.h"

namespace qvl {

// What to do with an output file that exists, as the output-exists dialog numbers it.
enum class OutputChoice { Cancel = 0, Overwrite = 1, Append = 2 };

// The questions the create-list command asks: the window answers with its dialogs,
// qvl with its options.
class CreateListAnswers {
 public:
  virtual ~CreateListAnswers() = default;
  // The output is about to be written: false stops the command. The window asks
  // here whether to close the catalogue it shows when that is the output.
  virtual bool ReleaseOutput(const std::string& output) {
    (void)output;
    return true;
  }
  // The output file exists. The second choice reads "Import" for a catalogue and
  // "Append" for a plain list.
  virtual OutputChoice OutputExists(const std::string& output, ListMethod method) = 0;
  // The comment of the listing, or of the catalogue a listing is merged into;
  // none when the user adds none.
  virtual std::optional<CommentLines> AskComment() = 0;
};

// Merges the catalogue file `listed` into the catalogue file `destination`, which
// gets `comment`: the import, which the caller provides (it belongs to browsing).
using ImportListing = std::function<void(const std::string& listed, const std::string& destination,
                                         const std::optional<CommentLines>& comment, Progress& progress)>;

inline constexpr std::string_view kLockedOutputText = "File is locked by another application.\r\nAborting.";

// The output could not be created or opened: the command's one fixed message,
// kLockedOutputText, with the system's reason beside it.
class LockedOutputError : public IoError {
 public:
  explicit LockedOutputError(std::string reason)
      : IoError(std::string(kLockedOutputText)), reason_(std::move(reason)) {}
  const std::string& Reason() const { return reason_; }

 private:
  std::string reason_;
};

struct CreateListRequest {
  ListRequest list;    // the drive and the method; the comment is asked for
  std::string output;  // the output file's name
  bool skipComment = false;
};

enum class CreateListResult { Complete, Cancelled };

// The create-list command without its window: settles what to do with an existing
// output, asks for the comment, lists the drive into a new, overwritten or
// appended plain list or catalogue, and records a catalogue in `history`. A
// catalogue is appended to by listing into OUTPUT.tmp (made anew: one that is
// there already is refused, never written through) and importing that into the
// output, which keeps its content until the merged file replaces it.
//
// A new or overwritten output is written to OUTPUT.new-RANDOM.tmp and renamed over
// the output when complete; it keeps the old output's permissions and owner.
//
// Throws LockedOutputError when the output cannot be created or opened (nothing is
// written), IoError when writing fails later: a new or overwritten output is left
// as it was (none when there was none) and its temporary file removed, an appended
// plain list is cut back, and in a catalogue append the catalogue is left as it was
// and OUTPUT.tmp removed. Ends with the status "Listing complete".
//
// Threads: may run on a worker thread. The answers and the progress are called on
// that thread, so a window answers through its own thread and waits for the reply.
CreateListResult RunCreateList(const CreateListRequest& request, CreateListAnswers& answers,
                               DirectorySource& source, const Collator& collator, CatalogueHistory& history,
                               const ImportListing& importListing, Progress& progress);

}  // namespace qvl
