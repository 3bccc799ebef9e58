#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace qvl {

// The extension a file's icon is chosen by: the name from its last "." on, when that
// dot comes after any "\" or ":", with a to z in upper case; "" when there is none.
// "readme" has "", "archive." has ".".
std::string ExtensionOf(std::string_view name);

// The list view's image numbers: five built-in images, then one image per
// extension in the order the extensions are first met, for the whole run.
class FileTypeImages {
 public:
  static constexpr int kFolder = 0;
  static constexpr int kIni = 1;
  static constexpr int kDll = 2;
  static constexpr int kGeneric = 4;
  static constexpr int kFirstExtension = 5;

  struct Image {
    int number = kGeneric;
    bool isNew = false;  // the extension was met for the first time: its picture is wanted
  };

  // The image of an upper-case extension, numbered on first use.
  Image ForExtension(std::string_view extension);
  // The image of a file's name; no allocation once its extension is known.
  Image ForName(std::string_view name);

  // The extensions met, in order: extension i has image kFirstExtension + i.
  const std::vector<std::string>& Extensions() const { return extensions_; }

 private:
  struct Hash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
  };

  std::vector<std::string> extensions_;
  std::unordered_map<std::string, int, Hash, std::equal_to<>> numbers_;
  std::string scratch_;  // the upper-case extension being looked up
};

}  // namespace qvl
