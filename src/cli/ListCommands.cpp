// The Save tab without a window: the drive table and listing a drive.
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <filesystem>
#include <iostream>
#include <stdexcept>

#include "cli/Args.h"
#include "cli/Commands.h"
#include "cli/Options.h"
#include "cli/TerminalProgress.h"
#include "browse/Import.h"
#include "listing/CreateListCommand.h"
#include "platform/File.h"
#include "platform/IoError.h"
#include "platform/ProfileFile.h"
#include "settings/Settings.h"

namespace qvl::cli {
namespace {

std::optional<char> DriveLetter(std::string text) {
  if (text.size() == 2 && text[1] == ':') text.pop_back();
  if (text.size() != 1) return std::nullopt;
  char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
  if (letter < 'a' || letter > 'z') return std::nullopt;
  return letter;
}

// The drive table with the drives of the settings file, then the --map
// substitutions of this run. When a drive is being listed, a --map must name it: a
// mistyped letter would otherwise list the real drive, perhaps the whole of "/".
DriveTable DrivesForRun(const ParsedArgs& parsed, std::optional<char> listed) {
  DriveTable table = SystemDriveTable();
  PutSettingsDrives(ProfileFile(SettingsFilePath()), table);
  auto label = parsed.Value("--label");
  bool labelUsed = false;
  for (const auto& map : parsed.Values("--map")) {
    auto eq = map.find('=');
    auto letter = eq == std::string::npos ? std::nullopt : DriveLetter(map.substr(0, eq));
    if (!letter || eq + 1 == map.size()) throw UsageError("--map takes L=DIR, not " + map);
    if (listed && letter != listed)
      throw UsageError("--map " + map + " does not name the drive being listed, " + *listed + ":");
    std::string directory = map.substr(eq + 1);
    struct stat st {};
    if (::stat(directory.c_str(), &st) != 0) ThrowIoError("open folder", directory, errno);
    if (!S_ISDIR(st.st_mode)) ThrowIoError("open folder", directory, ENOTDIR);
    bool getsLabel = label && listed == letter;
    labelUsed = labelUsed || getsLabel;
    table.Put(SubstitutedDrive(*letter, directory, getsLabel ? label : std::nullopt));
  }
  if (label && !labelUsed) throw UsageError("--label names the label of the --map drive being listed");
  return table;
}

// The catalogue's name for the history list, in full: a name relative to this folder
// would mean nothing to a later search. Devices and pipes are not recorded.
std::optional<std::string> HistoryName(const std::string& output) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(output, error)) return std::nullopt;
  auto full = std::filesystem::absolute(output, error);
  if (!error) full = std::filesystem::weakly_canonical(full, error);
  if (error) return std::nullopt;
  return full.string();
}

// The answers of the output-exists and comment dialogs, from the options.
class OptionAnswers final : public CreateListAnswers {
 public:
  OptionAnswers(const std::string& ifExists, std::optional<CommentLines> comment)
      : choice_(ifExists == "overwrite" ? OutputChoice::Overwrite
                : ifExists == "append"  ? OutputChoice::Append
                                        : OutputChoice::Cancel),
        comment_(std::move(comment)) {}
  OutputChoice OutputExists(const std::string&, ListMethod) override { return choice_; }
  std::optional<CommentLines> AskComment() override { return comment_; }

 private:
  OutputChoice choice_;
  std::optional<CommentLines> comment_;
};

// The catalogue written, kept for the history until "Listing complete" is out.
struct LaterHistory final : CatalogueHistory {
  void AddCatalogue(const std::string& catalogue) override { name = catalogue; }
  std::optional<std::string> name;
};

ImportListing ImportInto() {
  return [](const std::string& listed, const std::string& destination,
             const std::optional<CommentLines>& comment, Progress& progress) {
    Catalogue catalogue;
    ImportCatalogueFile(catalogue, listed, destination, true, comment, progress);
  };
}

}  // namespace

std::string UsageText() {
  return R"(Usage: qvl COMMAND [ARGUMENTS]

Quorvalen's command-line tool: catalogues drives and reads catalogues.

  qvl drives [--map L=DIR]...
                      the drives, one per line: letter, type, caption, mount point
  qvl list DRIVE -o FILE [options]
                      list a drive into a catalogue (.qvl) or a plain list
      -o, --output FILE   the catalogue or plain list to write
      --method M          qvl (default) | collapsed | folders | filenames
      --no-sizes          catalogue entries without file sizes
      --hash              read every regular file and keep its XXH3-128 content
                          hash in the companion (progress in bytes read; a file
                          that cannot be read is named and gets no hash)
      --no-index          build no search index of the catalogue written
      --comment TEXT      one comment line; up to four, in order
      --margin N          width of plain-list lines, 0 to 255 (default: the
                          settings' RightMargin, else 95)
      --map L=DIR         for this run drive L is the folder DIR; L must be
                          the DRIVE listed (qvl drives takes any letter)
      --label TEXT        the volume label of the --map drive being listed
      --if-exists fail|overwrite|append
                          what to do when FILE exists (default: fail); append
                          adds a plain list at the end of the file, and merges
                          a catalogue into FILE (listed into FILE.tmp first;
                          --comment gives the merged file its comment)
  qvl merge SOURCE DESTINATION [--comment TEXT]...
                      import the catalogue SOURCE into the catalogue DESTINATION:
                      folders with the same path (letter case ignored) get both
                      catalogues' entries; DESTINATION keeps its caption, and
                      its comment is replaced by the --comment lines (none
                      without). Every entry keeps its date and hash; the
                      volume record stays DESTINATION's, and SOURCE's volume
                      joins its merged volumes
  qvl info FILE       a catalogue's caption, comment, and its numbers of folders,
                      files and bytes; then its companion's volume record as
                      "Key: value" lines (Volume UUID, Volume label, File system,
                      Listed folder, Capacity, Free, Listed, Listed by, Files,
                      Bytes, Hashes: yes|no, a Merged volume line for each
                      volume merged in), or "Companion: none" or
                      "Companion: stale"
  qvl ls FILE [PATH] [--sort COLUMN[:asc|:desc]] [--dates]
                      the rows of one folder of a catalogue, one per line: D or F,
                      name, size, path, archive, separated by tabs (tab, CR and LF
                      in a field as \t, \r, \n). PATH is "\" (the root, default) or
                      "\Docs\Old\"; COLUMN is name (default, a to z; the window
                      starts z to a), size, path, archive or bytes. size orders
                      the sizes as text, as the window's list does ("10" before
                      "9"); bytes orders them as numbers, folders first either
                      way, so bytes:desc gives the largest files first. --dates
                      adds a sixth field, the modification time in UTC
                      (2026-12-09T14:00:00Z), empty where it is not known
  qvl find FILE TEXT [--dates] [filters] [--no-index]
                      the entries of a catalogue whose text (name, or name/size)
                      holds TEXT, letters a to z in either case, no wildcards;
                      rows as for ls, with the folder of each entry as path
      filters, all of which a row must pass:
      --newer DATE        modified after DATE: 2026-12-09 or 2026-12-09T14:00[:00],
      --older DATE        or before it; in UTC. An entry whose date is not
                          known passes neither
      --min-size N        files of at least N bytes, or at most N; N may end in
      --max-size N        K, M, G or T (powers of 1024). Folders pass neither
      --ext LIST          files whose name ends in one of the extensions,
                          comma separated (jpg,png), letter case ignored
      --no-index          read the whole catalogue, not the parts its search
                          index points to (the rows are the same)
  qvl search TEXT [FILE...] [--dates] [filters] [--no-index]
                      the same over the catalogues named, or else over every
                      catalogue of the history list; rows also name the catalogue;
                      --dates, --newer, --older, --min-size, --max-size, --ext
                      and --no-index as for find
  qvl index [FILE...] [--status]
                      build the search index of the catalogues named, or else of
                      every catalogue of the history list; --status says instead
                      for each whether its index is fresh, stale or missing (exit
                      status 1 unless all are fresh)
  qvl diff OLD NEW    what changed from catalogue OLD to NEW, one row per
                      difference: added, removed, changed or moved, D or F, the
                      path, the old size, the new size, then what changed (size,
                      date, hash) or, for moved, the new path. Folders pair by
                      path and names by name, letter case ignored; folders of
                      one catalogue whose paths compare equal count as one, and
                      a name twice in a folder (a merged catalogue) pairs first
                      with a copy the same on the other side, then in order of
                      appearance. Sizes, dates and hashes count where both know
                      them. Moved: a file gone from one folder and come in
                      another with the same name and size (and hash), when no
                      other file gone or come has that name and size. A summary
                      goes to stderr; exit status 0 when the two are the same, 1
                      when they differ, 2 on trouble
  qvl dupes [FILE...] [--min-size N]
                      files that are copies of one another in the catalogues
                      named, or else in every catalogue of the history list: the
                      same hash where both have one, else the same name (letter
                      case ignored) and size. Files listed without sizes are
                      never copies; --min-size (default 1: empty files are not
                      copies) takes a byte count, with K, M, G or T. Each group:
                      a line of size, copies and wasted bytes (size times copies
                      less one), then a line per copy, a tab first: catalogue and
                      path; the most wasted space first
  qvl unique FILE [--against FILE...] [--min-size N]
                      the files of FILE of which no other catalogue (those
                      named, or else the rest of the history list) holds a copy,
                      by the same rule: size and path, then the number of files
                      and bytes on stderr. Files without a size cannot be
                      matched and are listed; files below --min-size are not
  qvl du FILE [FOLDER] [--depth N]
                      the folders of FOLDER (default "\") and below, down to N
                      levels, with all they hold: bytes, files and path,
                      largest first
  qvl export FILE --format jsonl|csv|ncdu
                      every entry of a catalogue on stdout, in the catalogue's
                      order: path (its folder), name, kind (folder or file),
                      size, and date and hash where known, as JSON Lines, as
                      CSV (RFC 4180, a header row) or
                      in ncdu's JSON export format, which ncdu browses and reads
                      (sizes as both apparent size and disk usage). Names and
                      paths that are not UTF-8 are written as Windows-1252 text,
                      as the window shows them, with their bytes in hexadecimal
                      beside them (name_hex, path_hex)
  qvl tree FILE [--method collapsed|folders|filenames] [--margin N]
                      the catalogue written out as a plain list in that style
                      (default collapsed), as a listing of the drive would have
                      been; sizes and totals from the stored sizes. Folders
                      and files come in the order the catalogue stores them:
                      as the listing sorted them, but a merged folder holds
                      the merged-in entries first and the folders a merge
                      added last
  qvl --help, -h      this text
  qvl --version       the program's name and version

DRIVE is a drive letter, with or without ":". Sizes are whole byte counts, up
to 64 bits; a negative stored size (written by programs that keep only the low
32 bits of a size, as a signed number) counts as those 32 bits unsigned:
-2147483648 is 2147483648 bytes. Totals add up the sizes as stored, in 64 bits.
Exit status: 0 on success, 2 on an error; find and search give 1 when they
found nothing, diff when the catalogues differ. An empty dupes, unique or du
report is a success.

Every catalogue written (a listing, an overwrite, an append, a merge) gets a
companion file beside it, FILE.qvc (disk.qvl.qvc for disk.qvl), that holds what
the catalogue format cannot: the volume's UUID, label, file system, capacity and
free space, when and from which folder it was listed, each entry's modification
time and, with --hash, each file's content hash. It names the catalogue's size
and hash: a companion that is not its catalogue's (the catalogue was changed by
another program) is never used, and the catalogue works as one without a
companion. Other programs read the catalogue as ever; moving a catalogue, move
its companion with it.

Searches use an index of each catalogue kept in $XDG_CACHE_HOME/Quorvalen/
(~/.cache/Quorvalen/), built after every catalogue qvl writes and, after a
search, for each catalogue searched that had none that was fresh. It answers
texts of three bytes or more by pointing to the parts of the catalogue worth
reading; shorter texts, and catalogues changed since their index was built,
are read whole. Deleting that folder loses nothing; qvl index builds it again.

Quorvalen.ini holds the settings qvl shares with the window: beside qvl, or in
$XDG_CONFIG_HOME/Quorvalen/ (~/.config/Quorvalen/) when qvl is installed or its
folder cannot be written. Drives of its section [Drives] (T=/home/me/Music) join the drive table,
and every catalogue qvl list writes joins its history list by its absolute path.
)";
}

int RunDrives(const std::vector<std::string>& args) {
  auto parsed = ParseArgs(args, {{"--map"}, {"--label"}});
  if (!parsed.positional.empty()) throw UsageError("drives takes no arguments");
  DriveTable table = DrivesForRun(parsed, std::nullopt);
  for (const Drive& drive : table.Drives()) {
    std::cout << drive.letter << ":\t" << DriveTypeName(drive.type) << '\t' << DriveCaption(drive) << '\t'
              << drive.rootDirectory << '\n';
  }
  return kSuccess;
}

int RunList(const std::vector<std::string>& args) {
  auto parsed = ParseArgs(args, {{"-o", true, "--output"},
                                 {"--method"},
                                 {"--no-sizes", false},
                                 {"--comment"},
                                 {"--margin"},
                                 {"--map"},
                                 {"--label"},
                                 {"--if-exists"},
                                 {"--hash", false},
                                 {"--no-index", false},
                                 // For the benchmark that weighs the companion's cost alone.
                                 {"--without-companion", false}});
  if (parsed.positional.size() != 1) throw UsageError("list takes one drive");
  auto letter = DriveLetter(parsed.positional[0]);
  if (!letter) throw UsageError("not a drive letter: " + parsed.positional[0]);
  auto output = parsed.Value("-o");
  if (!output || output->empty()) throw UsageError("list needs an output file (-o FILE)");
  std::string ifExists = parsed.Value("--if-exists").value_or("fail");
  if (ifExists != "fail" && ifExists != "overwrite" && ifExists != "append")
    throw UsageError("--if-exists takes fail, overwrite or append, not " + ifExists);

  ProfileFile settings(SettingsFilePath());
  ListRequest request;
  request.method = MethodNamed(parsed.Value("--method").value_or("qvl"));
  request.rightMargin = MarginFor(parsed.Value("--margin"));
  request.withSizes = !parsed.Has("--no-sizes");
  request.comment = CommentOption(parsed);
  request.contentHashes = parsed.Has("--hash");
  request.companion = !parsed.Has("--without-companion");
  if (request.contentHashes && request.method != ListMethod::Catalogue)
    throw UsageError("--hash is for catalogues (--method qvl): a plain list keeps no hashes");
  DriveTable drives = DrivesForRun(parsed, letter);
  const Drive* drive = drives.Find(*letter);
  if (drive == nullptr) throw std::runtime_error(std::string("There is no drive ") + *letter + ": on this machine");
  request.drive = *drive;

  TerminalProgress progress;
  OptionAnswers answers(ifExists, request.comment);
  CreateListRequest command{request, *output};
  auto source = MakeLinuxDirectorySource(drive->rootDirectory, DirectoryOptions{.linkTargets = false});
  Collator collator;
  LaterHistory history;
  CreateListResult result;
  try {
    result = RunCreateList(command, answers, *source, collator, history, ImportInto(), progress);
  } catch (const LockedOutputError& error) {
    throw IoError(std::string(error.what()) + " (" + error.Reason() + ")");
  }
  progress.Clear();
  if (result == CreateListResult::Cancelled)
    throw IoError("\"" + *output + "\" exists; nothing written (--if-exists overwrite replaces it)");
  std::cerr << "Listing complete\n";
  progress.SayUnreadableCount();
  if (request.method == ListMethod::Catalogue && !parsed.Has("--no-index")) IndexWrittenCatalogue(*output);
  auto historyName = history.name ? HistoryName(*history.name) : std::nullopt;
  if (historyName) {
    // The catalogue is written; a settings file that cannot take the name costs the
    // history entry only, so it is a warning, not a failed listing.
    try {
      StoredHistory(settings).AddCatalogue(*historyName);
    } catch (const std::exception& error) {
      std::cerr << "qvl: warning: " << error.what() << "; the catalogue is not in the history list\n";
    }
  }
  return kSuccess;
}

}  // namespace qvl::cli
