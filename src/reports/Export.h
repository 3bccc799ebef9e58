#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/ByteSink.h"
#include "platform/Progress.h"
#include "reports/ReportEntry.h"

namespace qvl {

enum class ExportFormat { JsonLines, Csv, Ncdu };
// "jsonl", "csv" or "ncdu".
std::optional<ExportFormat> ExportFormatNamed(std::string_view name);

struct ExportOptions {
  ExportFormat format = ExportFormat::JsonLines;
  const EntryFacts* facts = nullptr;
  // Written into the head of ncdu's format.
  std::string programName = "qvl";
  std::string programVersion;
  std::int64_t timestamp = 0;
};

// Writes every entry of a catalogue file, in file order, to `out`:
// - JSON Lines: one object per entry: "path" (its folder's), "name", "kind"
//   ("folder" or "file"), "size" when stored, "modified" (ISO 8601, UTC) and "hash"
//   (32 hexadecimal digits) when known;
// - CSV (RFC 4180, CR LF line ends): a header row, then the same fields;
// - ncdu's JSON export: the folder records as directories (the root named by the
//   caption), files with their sizes as both apparent size and disk usage, their
//   dates as mtime.
// Text that is not valid UTF-8 is written read as Windows-1252, as the window shows
// it, and its bytes in hexadecimal beside it ("path_hex", "name_hex"), so that it is
// kept and not mistaken for a name that is UTF-8. Returns the entries written.
//
// Throws IoError when the file cannot be read or `out` cannot be written.
std::uint64_t ExportCatalogue(const std::string& name, ByteSink& out, const ExportOptions& options,
                              Progress& progress);

// "2024-03-01T12:00:00Z".
std::string UtcTimeText(std::int64_t seconds);
std::string HexText(std::string_view bytes);

}  // namespace qvl
