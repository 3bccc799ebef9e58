#include "browse/CatalogueReplay.h"

#include <cstdint>

#include "catalogue/Fields.h"
#include "catalogue/FolderNesting.h"
#include "catalogue/Tags.h"
#include "platform/Locale.h"

namespace qvl {
namespace {

class Replay {
 public:
  Replay(CatalogueReader& reader, FolderWriter& writer, const ReplayOptions& options, std::string rootPath)
      : reader_(reader), writer_(writer), options_(options), nesting_(rootPath.size()) {
    state_.ListPath = std::move(rootPath);
  }

  void Run(std::int64_t rootPosition) {
    Enter({});
    if (SeekFolderRecords(reader_, rootPosition)) {
      ReadFolder();
      while (!reader_.AtEnd()) Step();
    } else {
      ReadFolder();  // nothing to read: an empty root
    }
    // A file cut short leaves folders open; the root is left last.
    while (nesting_.Close()) Leave();
    Leave();
  }

 private:
  // Records that a well-formed catalogue never has are read as the loader reads
  // them; the entries after a folder's subfolders are left out.
  void Step() {
    unsigned char current = reader_.CurrentTag();
    if (OpensFolder(current, reader_.AtEnd())) {
      ++state_.Level(state_.ListDepth).NextFolder;
      Enter(reader_.ReadField());
      nesting_.Open(state_.ListPath.size());
      ReadFolder();
    } else if (current == tag::FolderEnd) {
      // The root stays open to the end of the data, so nothing follows its close.
      if (nesting_.Close()) Leave();
      reader_.ReadByte();
    } else if (IsEntryTag(current)) {
      reader_.ReadField();  // an entry after the folder's subfolders
    } else {
      reader_.ReadByte();  // a SectionMark before the end
    }
  }

  void Enter(std::string_view name) {
    if (state_.ListDepth > 0) {
      state_.ListPath += name;
      state_.ListPath += '\\';
    }
    ++state_.ListDepth;
    if (state_.levels.size() < state_.ListDepth) state_.levels.emplace_back();
    WalkLevel& level = state_.Level(state_.ListDepth);
    level.FolderName = state_.ListDepth > 1 ? std::string(name) : std::string();
    level.FolderNames.clear();
    level.FileNames.clear();
    level.NextFolder = 0;
    level.FolderBytes = 0;
  }

  void ReadFolder() {
    WalkLevel& level = state_.Level(state_.ListDepth);
    while (IsEntryTag(reader_.CurrentTag())) {
      bool isFile = reader_.CurrentTag() == tag::FileEntry;
      std::string text = reader_.ReadField();
      if (!isFile) {
        level.FolderNames.push_back(std::move(text));
        continue;
      }
      EntryParts parts = SplitEntryText(text);
      level.FolderBytes = AddBytes(level.FolderBytes, StoredSize(parts.sizeText));
      level.FileNames.push_back(options_.entryTexts ? text : std::string(parts.name));
    }
    writer_.BeginFolder(state_);
  }

  void Leave() {
    writer_.EndFolder(state_);
    --state_.ListDepth;
    state_.ListPath.resize(nesting_.Innermost());
  }

  CatalogueReader& reader_;
  FolderWriter& writer_;
  const ReplayOptions& options_;
  WalkState state_;
  FolderNesting<std::size_t> nesting_;  // ListPath's length with each open folder
};

}  // namespace

std::string ReplayRootPath(std::string_view caption) {
  char letter = 'C';
  if (caption.size() >= 2 && caption[1] == ':') {
    char first = AsciiUpper(caption[0]);
    if (first >= 'A' && first <= 'Z') letter = first;
  }
  return std::string(1, letter) + ":\\";
}

void ReplayCatalogue(Catalogue& catalogue, FolderWriter& writer, const ReplayOptions& options,
                     Progress& progress) {
  std::int64_t rootPosition = catalogue.Folders().Empty() ? 0 : catalogue.Folders().Position(0);
  // A loaded catalogue replays from memory the load has warmed: too quick to report.
  (void)progress;
  Replay(catalogue.Reader(), writer, options, ReplayRootPath(catalogue.Caption())).Run(rootPosition);
}

CatalogueTotals CountCatalogue(Catalogue& catalogue, Progress& progress) {
  struct Counter final : FolderWriter {
    void BeginFolder(const WalkState& state) override {
      ++totals.folders;
      totals.files += static_cast<std::int64_t>(state.Current().FileNames.size());
      totals.bytes = AddBytes(totals.bytes, state.Current().FolderBytes);
    }
    void EndFolder(const WalkState&) override {}
    CatalogueTotals totals;
  } counter;
  ReplayCatalogue(catalogue, counter, {}, progress);
  return counter.totals;
}

}  // namespace qvl
