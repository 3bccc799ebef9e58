// Questions about catalogues as a collection: diff, dupes, unique, du, export.
#include <deque>
#include <charconv>
#include <ctime>
#include <iostream>

#include "browse/Import.h"
#include "cli/Args.h"
#include "cli/Commands.h"
#include "cli/Options.h"
#include "cli/RowOutput.h"
#include "cli/TerminalProgress.h"
#include "platform/IoError.h"
#include "platform/Locale.h"
#include "platform/ProfileFile.h"
#include "reports/CompanionFacts.h"
#include "reports/Collection.h"
#include "reports/Diff.h"
#include "reports/EntryMatch.h"
#include "reports/Export.h"
#include "reports/FolderTotals.h"
#include "settings/History.h"
#include "settings/Settings.h"
#include "settings/Version.h"

namespace qvl::cli {
namespace {

// A number, or nothing for none.
void AddNumber(OutputLines& lines, const std::optional<std::int64_t>& number) {
  if (!number) return;
  char* out = lines.Room(24);
  lines.Commit(std::to_chars(out, out + 24, *number).ptr);
}

class DiffLines final : public DiffRows {
 public:
  void Row(const DiffRow& row) override {
    lines_.Add(DiffKindName(row.kind));
    lines_.Add(row.isFolder ? "\tD\t" : "\tF\t");
    lines_.AddEscaped(row.path);
    lines_.Add("\t");
    AddNumber(lines_, row.oldSize);
    lines_.Add("\t");
    AddNumber(lines_, row.newSize);
    lines_.Add("\t");
    if (row.kind == DiffKind::Moved) lines_.AddEscaped(row.newPath);
    if (row.kind == DiffKind::Changed) lines_.Add(ChangedPartsText(row.changed));
    lines_.EndLine();
  }
  OutputLines lines_;
};

class DuplicateLines final : public DuplicateRows {
 public:
  void Group(const DuplicateGroupHead& head) override {
    AddNumber(lines_, head.size);
    lines_.Add("\t");
    AddNumber(lines_, static_cast<std::int64_t>(head.copies));
    lines_.Add("\t");
    AddNumber(lines_, head.wasted);
    lines_.EndLine();
  }
  void Copy(const DuplicateCopy& copy) override {
    lines_.Add("\t");
    lines_.AddEscaped(copy.catalogue);
    lines_.Add("\t");
    lines_.AddEscaped(copy.path);
    lines_.EndLine();
  }
  OutputLines lines_;
};

class UniqueLines final : public UniqueRows {
 public:
  void File(const UniqueFile& file) override {
    AddNumber(lines_, file.size);
    lines_.Add("\t");
    lines_.AddEscaped(file.path);
    lines_.EndLine();
  }
  OutputLines lines_;
};

// Standard output as a sink for the export.
class StandardOutput final : public ByteSink {
 public:
  void Write(std::string_view bytes) override {
    std::cout.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!std::cout) throw IoError("Cannot write to standard output");
  }
  void Flush() override { std::cout.flush(); }
};

// The catalogues to compare, each with what its companion knows of its entries.
struct Catalogues {
  std::deque<CompanionFacts> facts;  // a deque: the files point into it
  std::vector<CollectionFile> files;
  void Add(const std::string& name) {
    facts.push_back(CompanionFacts::For(name));
    files.push_back({name, &facts.back()});
  }
};

// The catalogues named, or the history list's; those of the history that are gone
// are passed over, as the search does.
Catalogues NamedOrHistory(const std::vector<std::string>& named, TerminalProgress& progress) {
  Catalogues catalogues;
  if (!named.empty()) {
    for (const std::string& name : named) {
      CheckNamedCatalogue(name, progress);
      catalogues.Add(name);
    }
    return catalogues;
  }
  Collator collator;
  for (const std::string& name : ReadHistory(ProfileFile(SettingsFilePath()), collator)) {
    if (!FileExists(name)) continue;
    CheckNamedCatalogue(name, progress);
    catalogues.Add(name);
  }
  return catalogues;
}

std::int64_t MinSize(const ParsedArgs& parsed) {
  auto text = parsed.Value("--min-size");
  return text ? ByteCountNamed("--min-size", *text) : 1;
}

}  // namespace

int RunDiff(const std::vector<std::string>& args) {
  auto parsed = ParseArgs(args, {});
  if (parsed.positional.size() != 2) throw UsageError("diff takes two catalogue files, the old and the new");
  TerminalProgress progress;
  for (const std::string& name : parsed.positional) CheckNamedCatalogue(name, progress);
  const CompanionFacts oldFacts = CompanionFacts::For(parsed.positional[0]);
  const CompanionFacts newFacts = CompanionFacts::For(parsed.positional[1]);
  DiffCounts counts;
  {
    DiffLines rows;
    counts = DiffCatalogues(parsed.positional[0], parsed.positional[1], rows, progress, {&oldFacts, &newFacts});
    rows.lines_.Flush();
    progress.Clear();
  }
  std::cerr << counts.added << " added, " << counts.removed << " removed, " << counts.changed << " changed, "
            << counts.moved << " moved\n";
  return counts.Any() ? kNothingFound : kSuccess;
}

int RunDupes(const std::vector<std::string>& args) {
  auto parsed = ParseArgs(args, {{"--min-size"}});
  std::int64_t minSize = MinSize(parsed);
  TerminalProgress progress;
  auto catalogues = NamedOrHistory(parsed.positional, progress);
  const auto& files = catalogues.files;
  if (files.empty()) throw std::runtime_error("No catalogues to compare: name them, or list drives into the history");
  DuplicateCounts counts;
  {
    DuplicateLines rows;
    counts = FindDuplicates(files, minSize, rows, progress);
    rows.lines_.Flush();
    progress.Clear();
  }
  std::cerr << counts.groups << " groups of copies, " << counts.copies << " files, " << counts.wasted
            << " bytes in the copies beyond the first of each\n";
  return kSuccess;
}

int RunUnique(const std::vector<std::string>& args) {
  auto parsed = ParseArgs(args, {{"--against"}, {"--min-size"}});
  if (parsed.positional.size() != 1) throw UsageError("unique takes one catalogue file");
  std::int64_t minSize = MinSize(parsed);
  const std::string& name = parsed.positional[0];
  TerminalProgress progress;
  CheckNamedCatalogue(name, progress);
  auto against = NamedOrHistory(parsed.Values("--against"), progress);
  std::vector<CollectionFile> others;
  for (const CollectionFile& other : against.files)
    if (!SameCatalogueFile(name, other.name)) others.push_back(other);
  if (others.empty())
    throw std::runtime_error("No other catalogues to look in: name them with --against, or list drives into the history");
  UniqueCounts counts;
  {
    UniqueLines rows;
    const CompanionFacts facts = CompanionFacts::For(name);
    counts = FindUnique({name, &facts}, others, minSize, rows, progress);
    rows.lines_.Flush();
    progress.Clear();
  }
  std::cerr << counts.files << " files, " << counts.bytes << " bytes, found in no other catalogue\n";
  return kSuccess;
}

int RunDu(const std::vector<std::string>& args) {
  auto parsed = ParseArgs(args, {{"--depth"}});
  if (parsed.positional.empty() || parsed.positional.size() > 2)
    throw UsageError("du takes a catalogue file and a folder path");
  std::optional<std::size_t> depth;
  if (auto text = parsed.Value("--depth")) {
    bool digits = !text->empty() && text->size() <= 9 &&
                  std::all_of(text->begin(), text->end(), [](unsigned char c) { return std::isdigit(c); });
    if (!digits) throw UsageError("--depth takes a number of levels, not " + *text);
    depth = std::stoul(*text);
  }
  const std::string& name = parsed.positional[0];
  std::string path = parsed.positional.size() == 2 ? parsed.positional[1] : "\\";
  TerminalProgress progress;
  CheckNamedCatalogue(name, progress);
  auto totals = FolderTotals(name, path, depth, progress);
  progress.Clear();
  if (!totals) throw std::runtime_error("There is no folder " + path + " in \"" + name + "\"");
  OutputLines lines;
  for (const FolderTotal& total : *totals) {
    AddNumber(lines, total.bytes);
    lines.Add("\t");
    AddNumber(lines, total.files);
    lines.Add("\t");
    lines.AddEscaped(total.path);
    lines.EndLine();
  }
  lines.Flush();
  return kSuccess;
}

int RunExport(const std::vector<std::string>& args) {
  auto parsed = ParseArgs(args, {{"--format"}});
  if (parsed.positional.size() != 1) throw UsageError("export takes one catalogue file");
  auto formatName = parsed.Value("--format");
  if (!formatName) throw UsageError("export needs --format jsonl, csv or ncdu");
  auto format = ExportFormatNamed(*formatName);
  if (!format) throw UsageError("--format takes jsonl, csv or ncdu, not " + *formatName);
  const std::string& name = parsed.positional[0];
  TerminalProgress progress;
  CheckNamedCatalogue(name, progress);
  const CompanionFacts facts = CompanionFacts::For(name);
  ExportOptions options{.format = *format,
                        .facts = &facts,
                        .programName = "qvl",
                        .programVersion = std::string(kVersionText),
                        .timestamp = static_cast<std::int64_t>(std::time(nullptr))};
  StandardOutput out;
  ExportCatalogue(name, out, options, progress);
  progress.Clear();
  return kSuccess;
}

}  // namespace qvl::cli
