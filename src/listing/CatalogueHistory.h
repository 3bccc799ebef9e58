#pragma once

#include <string>

namespace qvl {

// Where the create-list command records a catalogue file it has written: the history
// list of catalogue files that the search across catalogues goes through.
class CatalogueHistory {
 public:
  virtual ~CatalogueHistory() = default;
  // Adds the name unless the history holds it already, in any letter case.
  virtual void AddCatalogue(const std::string& name) = 0;
};

}  // namespace qvl
