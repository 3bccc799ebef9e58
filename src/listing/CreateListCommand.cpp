#include "listing/CreateListCommand.h"

#include "platform/File.h"

namespace qvl {
namespace {

// Opens the output as the choice asks; any failure is the one fixed message.
File OpenOutput(const std::string& name, bool append, std::string& cutText) {
  try {
    return append ? File::OpenAppendText(name, &cutText) : File::Create(name);
  } catch (const IoError& error) {
    throw LockedOutputError(error.what());
  }
}

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
  File file = OpenOutput(listed, plainAppend, cutText);

  ListRequest list = request.list;
  list.comment.reset();
  // A listing merged into a catalogue gets its comment from the merge.
  if (!request.skipComment && !catalogueAppend) list.comment = answers.AskComment();

  if (plainAppend) {
    AppendListing(list, file, cutText, source, collator, progress);
  } else {
    try {
      WriteListing(list, file, source, collator, progress);
      file.Close();
    } catch (...) {
      file = File();
      if (catalogueAppend) DeleteQuietly(listed);
      throw;
    }
  }

  if (catalogueAppend) {
    try {
      std::optional<CommentLines> comment;
      if (!request.skipComment) comment = answers.AskComment();
      importListing(listed, output, comment, progress);
    } catch (...) {
      DeleteQuietly(listed);
      throw;
    }
    // The merge is done; a listing that will not go away is no reason to say otherwise.
    DeleteQuietly(listed);
  }
  if (catalogue) history.AddCatalogue(output);
  progress.Status("Listing complete");
  return CreateListResult::Complete;
}

}  // namespace qvl
