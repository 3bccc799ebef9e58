// The Browse tab without a window: what a catalogue holds, one folder's rows, and
// the whole catalogue written out as a plain list.
#include <algorithm>
#include <cstdint>
#include <ctime>
#include <iostream>
#include <utility>
#include <vector>

#include "browse/Catalogue.h"
#include "browse/CatalogueReplay.h"
#include "browse/FolderView.h"
#include "catalogue/Fields.h"
#include "cli/Args.h"
#include "cli/Commands.h"
#include "cli/Options.h"
#include "cli/RowOutput.h"
#include "cli/TerminalProgress.h"
#include "listing/PlainListWriters.h"
#include "platform/IoError.h"
#include "platform/Locale.h"
#include "search/RowOrder.h"

namespace qvl::cli {
namespace {

void Load(Catalogue& catalogue, const std::string& name, TerminalProgress& progress) {
  LoadNamedCatalogue(catalogue, name, progress);
}

// The order of qvl ls: a column of the list view, by its rule (sizes compare as
// text there: "10" before "9"), or the stored sizes as numbers.
struct LsOrder {
  RowOrder columns;
  bool bytes = false;
  bool ascending = true;

  void Sort(std::vector<ListRow>& rows) const {
    if (!bytes) {
      columns.Sort(rows);
      return;
    }
    // Folders first in both directions, in the catalogue's order; each file's size
    // is read once, not at every comparison.
    auto files = std::stable_partition(rows.begin(), rows.end(), [](const ListRow& row) { return row.isFolder; });
    std::vector<std::pair<std::int64_t, std::size_t>> keys;
    keys.reserve(static_cast<std::size_t>(rows.end() - files));
    for (auto row = files; row != rows.end(); ++row)
      keys.emplace_back(StoredSize(row->fileSize), static_cast<std::size_t>(row - files));
    std::stable_sort(keys.begin(), keys.end(), [this](const auto& a, const auto& b) {
      return ascending ? a.first < b.first : a.first > b.first;
    });
    std::vector<ListRow> sorted;
    sorted.reserve(keys.size());
    for (const auto& key : keys) sorted.push_back(std::move(files[static_cast<std::ptrdiff_t>(key.second)]));
    std::move(sorted.begin(), sorted.end(), files);
  }
};

// "--sort size:desc" and the like.
LsOrder OrderNamed(const std::string& text) {
  auto colon = text.find(':');
  std::string column = text.substr(0, colon);
  std::string direction = colon == std::string::npos ? "asc" : text.substr(colon + 1);
  LsOrder order;
  order.ascending = direction == "asc";
  if (!order.ascending && direction != "desc")
    throw UsageError("--sort takes asc or desc after the colon, not " + direction);
  if (column == "name")
    order.columns.SetOrder(Column::Filename, order.ascending);
  else if (column == "size")
    order.columns.SetOrder(Column::FileSize, order.ascending);
  else if (column == "path")
    order.columns.SetOrder(Column::Path, order.ascending);
  else if (column == "archive")
    order.columns.SetOrder(Column::Archive, order.ascending);
  else if (column == "bytes")
    order.bytes = true;
  else
    throw UsageError("--sort takes name, size, path or archive (or bytes), not " + column);
  return order;
}

// A labelled value; the lines of a value after its first are indented under it.
void PrintField(std::string_view label, std::string_view value) {
  constexpr std::size_t kWidth = 11;
  if (value.empty()) {
    std::cout << label << '\n';
    return;
  }
  std::cout << label << std::string(kWidth - label.size(), ' ');
  for (std::size_t start = 0;;) {
    auto end = value.find("\r\n", start);
    std::cout << value.substr(start, end - start) << '\n';
    if (end == std::string_view::npos || end + 2 == value.size()) break;
    start = end + 2;
    if (value.compare(start, 2, "\r\n") != 0) std::cout << std::string(kWidth, ' ');
  }
}

// A value of the volume record on one line: the label or folder of a disk may
// hold line breaks or other control bytes.
std::string TerminalText(std::string_view text) {
  std::string line(text);
  for (char& c : line)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  return line;
}

// Standard output as a sink for the plain-list writers.
class StandardOutput final : public ByteSink {
 public:
  void Write(std::string_view bytes) override {
    std::cout.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!std::cout) throw IoError("Cannot write to standard output");
  }
};

}  // namespace

int RunInfo(const std::vector<std::string>& args) {
  auto parsed = ParseArgs(args, {});
  if (parsed.positional.size() != 1) throw UsageError("info takes one catalogue file");
  const std::string& name = parsed.positional[0];
  Collator collator;
  Catalogue catalogue;
  TerminalProgress progress;
  Load(catalogue, name, progress);
  CatalogueTotals totals = CountCatalogue(catalogue, progress);
  progress.Clear();
  PrintField("Catalogue:", catalogue.FileTitle());
  PrintField("Caption:", catalogue.Caption());
  PrintField("Comment:", catalogue.CatalogueComment());
  PrintField("Folders:", std::to_string(totals.folders));
  PrintField("Files:", std::to_string(totals.files));
  PrintField("Bytes:", std::to_string(totals.bytes));
  // What the companion adds, each "Key: value".
  switch (catalogue.CompanionStatus()) {
    case CompanionState::None: std::cout << "Companion: none\n"; break;
    case CompanionState::Stale: std::cout << "Companion: stale\n"; break;
    case CompanionState::Valid:
      for (const auto& [key, value] : VolumeFields(*catalogue.CompanionInfo()))
        std::cout << key << ':' << (value.empty() ? "" : " ") << TerminalText(value) << '\n';
      break;
  }
  return kSuccess;
}

int RunLs(const std::vector<std::string>& args) {
  auto parsed = ParseArgs(args, {{"--sort"}, {"--dates", false}});
  if (parsed.positional.empty() || parsed.positional.size() > 2)
    throw UsageError("ls takes a catalogue file and a folder path");
  LsOrder order = OrderNamed(parsed.Value("--sort").value_or("name"));
  const std::string& name = parsed.positional[0];
  std::string path = parsed.positional.size() == 2 ? parsed.positional[1] : "\\";
  Collator collator;
  Catalogue catalogue;
  TerminalProgress progress;
  Load(catalogue, name, progress);
  ListRows rows;
  if (!ShowFolder(catalogue, path, rows))
    throw std::runtime_error("There is no folder " + path + " in \"" + name + "\"");
  progress.Clear();
  order.Sort(rows.rows);
  const bool dates = parsed.Has("--dates");
  for (const ListRow& row : rows.rows) PrintRow(std::cout, row, dates);
  std::cerr << FolderText(rows.FileCount, path) << '\n';
  return kSuccess;
}

int RunTree(const std::vector<std::string>& args) {
  auto parsed = ParseArgs(args, {{"--method"}, {"--margin"}});
  if (parsed.positional.size() != 1) throw UsageError("tree takes one catalogue file");
  ListMethod method = MethodNamed(parsed.Value("--method").value_or("collapsed"));
  if (method == ListMethod::Catalogue) throw UsageError("tree writes collapsed, folders or filenames");
  std::uint8_t rightMargin = MarginFor(parsed.Value("--margin"));
  const std::string& name = parsed.positional[0];
  Collator collator;
  Catalogue catalogue;
  TerminalProgress progress;
  Load(catalogue, name, progress);

  StandardOutput out;
  BufferedSink buffer(out);
  auto writer = MakePlainListWriter(method, buffer, rightMargin);
  ListHeader header;
  header.caption = catalogue.Caption();
  header.date = ShortDateText(std::time(nullptr));
  header.time = LongTimeText(std::time(nullptr));
  if (catalogue.CommentBlock()) header.comment = CommentLinesOf(*catalogue.CommentBlock());
  writer->WriteListHeader(header);
  ReplayCatalogue(catalogue, *writer, {}, progress);
  writer->WriteListTrailer(header.caption);
  buffer.Flush();
  progress.Clear();
  return kSuccess;
}

}  // namespace qvl::cli
