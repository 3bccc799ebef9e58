#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "cli/Args.h"
#include "listing/ListMethod.h"
#include "search/HitFilter.h"

namespace qvl {
class Catalogue;
}

namespace qvl::cli {

class TerminalProgress;

// --method: qvl, collapsed, folders or filenames.
ListMethod MethodNamed(const std::string& name);
// --margin: 0 to 255.
std::uint8_t MarginNamed(const std::string& text);
// --margin when given, else the settings' RightMargin (95 without one).
std::uint8_t MarginFor(const std::optional<std::string>& text);
// --min-size and the like: a byte count, with K, M, G or T for powers of 1024.
std::int64_t ByteCountNamed(const std::string& option, const std::string& text);

// The options of find and search: --dates and the filters.
std::vector<OptionRule> HitOptionRules();

// After a command wrote a catalogue: its search index, so that the next search
// is quick. A failure costs the index only: a warning.
void IndexWrittenCatalogue(const std::string& catalogue);
// After a search: indexes for the catalogues it met without a fresh one.
void IndexSearchedCatalogues(const std::vector<std::string>& catalogues);
// The filter the options ask for; an option's bad value is a UsageError.
HitFilter HitFilterFrom(const ParsedArgs& parsed);

// Why a file named on the command line could not be read: the system's reason
// ("No such file or directory", "Is a directory", "Permission denied").
std::string NamedFileProblem(const std::string& name);
[[noreturn]] void ThrowNamedFileProblem(const std::string& name);

// Loads a catalogue named on the command line. Unlike the window, which reads any
// file, it refuses one that is missing, empty or does not begin with a
// catalogue's first byte, and warns on stderr of one that ends before its end
// mark, which is still loaded.
void LoadNamedCatalogue(Catalogue& catalogue, const std::string& name, TerminalProgress& progress);
// The same checks for a catalogue that is read without loading it: its first and
// last bytes.
void CheckNamedCatalogue(const std::string& name, TerminalProgress& progress);

}  // namespace qvl::cli
