#pragma once

#include <string>
#include <vector>

#include "browse/Catalogue.h"
#include "support/Bytes.h"
#include "support/TempDir.h"

namespace qvl::test {

// The 81 bytes of the sample disk: caption, one comment line, a root with the
// folder Docs and two files, Docs with one file.
inline std::string SampleDisk() {
  return Bytes("\x00" "c: [data]" "\x00" "Backup of data disk\r\n" "\x04" "Docs" "\x03" "readme.txt/1234"
               "\x03" "zz.bin/200" "\x01" "Docs" "\x03" "a.txt/12" "\x02\x02\x00");
}

// A catalogue with `folders` folders of `perFolder` files each, named NAME1,
// NAME2... with their numbers as sizes.
inline std::string ManyEntries(const std::string& name, int folders, int perFolder) {
  std::string bytes = Bytes("\x00" "c: [") + name + "]";
  int n = 0;
  for (int f = 0; f < folders; ++f) {
    bytes += Bytes("\x01") + name + "dir" + std::to_string(f);
    for (int i = 0; i < perFolder; ++i) {
      ++n;
      bytes += Bytes("\x03") + name + std::to_string(n) + "/" + std::to_string(n);
    }
    bytes += Bytes("\x02");
  }
  return bytes + Bytes("\x02\x00");
}

// A catalogue file in a folder of its own, and a catalogue to load it into.
struct CatalogueFile {
  explicit CatalogueFile(const std::string& bytes, const std::string& fileName = "disk.qvl")
      : path(dir / fileName) {
    WriteFile(path, bytes);
  }
  Catalogue& Load(bool useProgressBar = true) {
    Progress quiet;
    catalogue.LoadCatalogue(path, useProgressBar, quiet);
    return catalogue;
  }
  std::vector<std::string> Paths() const {
    std::vector<std::string> paths;
    for (std::size_t i = 0; i < catalogue.Folders().Count(); ++i) paths.push_back(catalogue.Folders().Path(i));
    return paths;
  }

  TempDir dir;
  std::string path;
  Collator collator{"en_US"};
  Catalogue catalogue;
};

}  // namespace qvl::test
