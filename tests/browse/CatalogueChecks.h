#pragma once

// What must hold for any file once it is loaded, however malformed: shared by the
// tests and the fuzz target.
#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>

#include "browse/Catalogue.h"
#include "browse/CatalogueReplay.h"
#include "browse/FolderView.h"
#include "browse/Import.h"
#include "listing/CatalogueWriter.h"

namespace qvl::test {

// Loads `path`, then browses every folder (up to `maxShown`), replays the whole
// catalogue and loads the replay's output again from `scratch`, and merges it
// into an empty catalogue beside `scratch` and loads that. Returns what went
// wrong, or an empty text.
inline std::string CheckCatalogue(const std::string& path, const std::string& scratch, std::size_t maxShown = 100) {
  std::ostringstream problems;
  Collator collator("en_US");
  Catalogue catalogue;
  Progress quiet;
  if (!catalogue.LoadCatalogue(path, true, quiet)) return "not loaded";
  const FolderIndex& folders = catalogue.Folders();
  const std::int64_t size = catalogue.Reader().CatalogueSize();
  if (folders.Empty() || folders.Path(0) != "\\") problems << "no root; ";
  bool backslashInName = false;
  for (std::size_t i = 0; i < folders.Count(); ++i) {
    if (folders.Position(i) < 0 || folders.Position(i) > size) problems << "position " << folders.Position(i) << "; ";
    if (i > 0 && folders.Position(i) < folders.Position(i - 1)) problems << "positions fall at " << i << "; ";
    backslashInName = backslashInName || folders.Name(i).find('\\') != std::string_view::npos;
    if (i >= maxShown) continue;  // building paths costs their depth
    std::string folder = folders.Path(i);
    if (folder.front() != '\\' || folder.back() != '\\') problems << "path " << folder << "; ";
    auto found = folders.Find(folder);
    if (!found || *found > i) problems << "not found: " << folder << "; ";
    ListRows rows;
    if (!ShowFolder(catalogue, folder, rows)) problems << "not shown: " << folder << "; ";
    std::int64_t files = 0;
    for (const ListRow& row : rows.rows) files += row.isFolder ? 0 : 1;
    if (files != rows.FileCount) problems << "file count; ";
  }

  // The replay opens and closes every folder once, in pairs, and writes a
  // catalogue with the same folders.
  struct Checked final : FolderWriter {
    explicit Checked(ByteSink& sink) : writer(sink) {}
    void BeginFolder(const WalkState& state) override {
      if (state.ListDepth != ++depth) balanced = false;
      ++begun;
      writer.BeginFolder(state);
    }
    void EndFolder(const WalkState& state) override {
      if (state.ListDepth != depth--) balanced = false;
      writer.EndFolder(state);
    }
    CatalogueWriter writer;
    std::size_t depth = 0, begun = 0;
    bool balanced = true;
  };
  StringSink replayed;
  Checked checked(replayed);
  checked.writer.WriteCatalogueHeader(catalogue.Caption(), std::nullopt);
  ReplayCatalogue(catalogue, checked, {.entryTexts = true}, quiet);
  checked.writer.WriteEndMark();
  if (!checked.balanced || checked.depth != 0) problems << "replay unbalanced; ";
  if (checked.begun != folders.Count()) problems << "replay has " << checked.begun << " folders; ";

  std::ofstream(scratch, std::ios::binary | std::ios::trunc) << replayed.text;
  Catalogue again;
  again.LoadCatalogue(scratch, true, quiet);
  if (again.Folders().Count() != folders.Count()) problems << "replay loads other folders; ";
  for (std::size_t i = 0; !backslashInName && i < std::min(folders.Count(), maxShown); ++i)
    if (again.Folders().Path(i) != folders.Path(i)) problems << "replay path " << again.Folders().Path(i) << "; ";

  // Merged into an empty catalogue, every folder is new and written below its
  // parent in order: the loader finds the same folders there.
  const std::string merged = scratch + ".merged.qvl";
  std::ofstream(merged, std::ios::binary | std::ios::trunc) << std::string("\0m:\2\0", 5);
  Catalogue source;
  source.LoadCatalogue(path, true, quiet);
  ImportCatalogue(source, merged, false, std::nullopt, quiet);
  Catalogue reloaded;
  reloaded.LoadCatalogue(merged, true, quiet);
  if (reloaded.Folders().Count() != folders.Count())
    problems << "merge loads " << reloaded.Folders().Count() << " folders; ";
  for (std::size_t i = 0; !backslashInName && i < std::min({folders.Count(), reloaded.Folders().Count(), maxShown});
       ++i)
    if (reloaded.Folders().Path(i) != folders.Path(i)) problems << "merge path " << reloaded.Folders().Path(i) << "; ";
  return problems.str();
}

}  // namespace qvl::test
