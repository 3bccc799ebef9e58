#include "listing/CreateListCommand.h"

#include <unistd.h>

#include <filesystem>

#include "catalogue/CompanionFile.h"
#include "platform/File.h"

namespace qvl {
namespace {

// Opens the output as the choice asks; any failure is the one fixed message. The
// listing of a catalogue append is a file of our own: one that is there already
// (another user's, or left by a run that was stopped) is not written through.
File OpenOutput(const std::string& name, bool append, std::string& cutText) {
  try {
    return append ? File::OpenAppendText(name, &cutText) : File::CreateExclusive(name);
  } catch (const IoError& error) {
    throw LockedOutputError(error.what());
  }
}

// A new or overwritten output is written under a temporary name beside it and
// renamed into place once complete, so that a run that fails or is killed leaves
// the old output as it was, not a part of a listing that reads as a whole one. The
// name is one no other user can guess and take first. Meanwhile the old output
// stays locked: a second run to it is refused, as a second writer of the file
// itself would be. A device or pipe is written in place.
class NewOutput {
 public:
  NewOutput() = default;
  NewOutput(const NewOutput&) = delete;
  NewOutput& operator=(const NewOutput&) = delete;
  // Whatever stopped the run, the temporary file goes with it.
  ~NewOutput() {
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
  }

  File Open(const std::string& name) {
    try {
      target_ = ReplacementTarget(name);
      std::error_code error;
      auto status = std::filesystem::status(target_, error);
      if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) return File::Create(name);
      if (std::filesystem::exists(status)) oldOutput_ = File::LockExisting(target_);
      File file = File::CreateUnique(target_ + ".new-", ".tmp", name);
      temporary_ = file.Path();
      if (oldOutput_.IsOpen()) file.TakePermissionsOf(target_);
      return file;
    } catch (const IoError& error) {
      throw LockedOutputError(error.what());
    }
  }

  // A device or pipe is written in place; nothing lies beside it.
  bool InPlace() const { return temporary_.empty(); }
  const std::string& Target() const { return target_; }

  // Puts the complete output in place of the old one, then its companion in place
  // of the old one's. Between the two renames the old companion is beside the new
  // catalogue, whose fingerprint it does not have, so it is not used.
  void Commit(File& file, CompanionOutput* companion) {
    if (temporary_.empty()) return;
    file.Sync();
    RenameFile(temporary_, target_);
    temporary_.clear();
    oldOutput_ = File();
    if (companion == nullptr) return;
    try {
      companion->Commit();
    } catch (const IoError& error) {
      RemoveCompanion(target_);
      throw IoError(std::string(error.what()) + "; the catalogue \"" + target_ + "\" is complete, without its dates");
    }
  }

 private:
  File oldOutput_;          // locked while the new output is written; closed when none
  std::string target_;      // what the temporary file is renamed over
  std::string temporary_;   // empty when written in place, or once renamed
};

void DeleteQuietly(const std::string& name) {
  try {
    DeleteFile(name);
  } catch (const IoError&) {
    // The failure that stopped the command is the one to report.
  }
}

}  // namespace

CreateListResult RunCreateList(const CreateListRequest& request, CreateListAnswers& answers,
                               DirectorySource& source, const Collator& collator, CatalogueHistory& history,
                               const ImportListing& importListing, Progress& progress) {
  const std::string& output = request.output;
  const bool catalogue = request.list.method == ListMethod::Catalogue;
  if (!answers.ReleaseOutput(output)) return CreateListResult::Cancelled;

  OutputChoice choice = OutputChoice::Overwrite;
  if (FileExists(output)) choice = answers.OutputExists(output, request.list.method);
  if (choice == OutputChoice::Cancel) return CreateListResult::Cancelled;
  const bool catalogueAppend = catalogue && choice == OutputChoice::Append;
  const bool plainAppend = !catalogue && choice == OutputChoice::Append;
  const std::string listed = catalogueAppend ? output + ".tmp" : output;
  std::string cutText;  // an end-of-file mark and what followed it, cut off for an append
  NewOutput replaced;
  File file = catalogueAppend || plainAppend ? OpenOutput(listed, plainAppend, cutText) : replaced.Open(output);
  const bool withCompanion = catalogue && request.list.companion && (catalogueAppend || !replaced.InPlace());
  // The listing a catalogue append merges gets its companion under a fixed name
  // beside it, made anew as the listing is.
  File listedCompanion;
  if (catalogueAppend && withCompanion) {
    try {
      listedCompanion = OpenOutput(CompanionPath(listed), false, cutText);
    } catch (...) {
      file = File();
      DeleteQuietly(listed);
      throw;
    }
  }
  auto dropListed = [&] {
    DeleteQuietly(listed);
    if (listedCompanion.IsOpen() || !listedCompanion.Path().empty()) {
      listedCompanion = File();
      DeleteQuietly(CompanionPath(listed));
    }
  };

  ListRequest list = request.list;
  list.comment.reset();
  // A listing merged into a catalogue gets its comment from the merge.
  if (!request.skipComment && !catalogueAppend) list.comment = answers.AskComment();

  if (plainAppend) {
    AppendListing(list, file, cutText, source, collator, progress);
  } else {
    try {
      Companion companion;
      WriteListing(list, file, source, collator, progress, withCompanion ? &companion : nullptr);
      if (catalogueAppend) {
        file.Close();
        if (withCompanion) {
          listedCompanion.Write(EncodeCompanion(companion));
          listedCompanion.Close();
        }
      } else {
        CompanionOutput companionOutput;
        if (withCompanion) companionOutput.Write(replaced.Target(), companion);
        replaced.Commit(file, withCompanion ? &companionOutput : nullptr);
        file.Close();
      }
    } catch (...) {
      file = File();
      if (catalogueAppend) dropListed();
      throw;
    }
  }

  if (catalogueAppend) {
    try {
      std::optional<CommentLines> comment;
      if (!request.skipComment) comment = answers.AskComment();
      importListing(listed, output, comment, progress);
    } catch (...) {
      dropListed();
      throw;
    }
    // The merge is done; a listing that will not go away is no reason to say otherwise.
    dropListed();
  }
  if (catalogue) history.AddCatalogue(output);
  progress.Status("Listing complete");
  return CreateListResult::Complete;
}

}  // namespace qvl
