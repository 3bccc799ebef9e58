// libFuzzer target: any bytes as a companion's payload (its first byte says whether
// hashes follow), put beside a catalogue with the catalogue's own fingerprint, so
// that every reader gets past the fingerprint to the payload: the loader, the
// folder rows, both searches and the merge must neither crash nor hang, and what
// is read must read back as it is written. The bytes are also read as a whole
// companion file.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "browse/CatalogueFiles.h"
#include "browse/FolderView.h"
#include "browse/Import.h"
#include "catalogue/CompanionFile.h"
#include "search/QuickFind.h"
#include "search/SearchCatalogues.h"

namespace {

std::string ScratchPath(const char* what) {
  const char* base = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  return std::string(base) + "/qvl-companion-fuzz-" + std::to_string(::getpid()) + "-" + what;
}

void Write(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "companion check failed: %s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  using namespace qvl;
  static const std::string catalogue = ScratchPath("disk.qvl");
  static const std::string destination = ScratchPath("dest.qvl");
  const std::string input(reinterpret_cast<const char*>(data), size);
  (void)DecodeCompanion(input);

  const std::string disk = test::SampleDisk();
  const bool withHashes = size > 0 && (data[0] & 1) != 0;
  const std::string payload = size > 0 ? input.substr(1) : std::string();
  Write(catalogue, disk);
  Write(CompanionPath(catalogue), CompanionFileBytes({disk.size(), Hash64Of(disk)}, payload, withHashes));

  auto decoded = DecodeCompanionPayload(payload, disk.size(), withHashes);
  if (decoded && DecodeCompanionPayload(EncodeCompanionPayload(*decoded), disk.size(), decoded->HasHashes()) != decoded)
    Fail("what was read does not read back");

  Catalogue loaded;
  Progress quiet;
  SearchProgress quietSearch;
  loaded.LoadCatalogue(catalogue, true, quiet);
  if ((loaded.CompanionStatus() == CompanionState::Valid) != (decoded && decoded->folderFirstEntry.size() == 2))
    Fail("the loader's verdict is not the payload's");
  for (const char* folder : {"\\", "\\Docs\\"}) {
    ListRows rows;
    ShowFolder(loaded, folder, rows);
  }
  (void)loaded.OriginText();
  ListRows hits;
  FindEntries(loaded, "t", hits, quiet);
  SearchNamedCatalogue("t", catalogue, hits, quietSearch);

  // Merged into a catalogue without a companion, the merged one is whole and read
  // as valid exactly when the source's companion was.
  Write(destination, disk);
  std::remove(CompanionPath(destination).c_str());
  Catalogue source;
  try {
    ImportCatalogueFile(source, catalogue, destination, false, std::nullopt, quiet);
  } catch (const std::exception& error) {
    Fail(error.what());
  }
  Catalogue merged;
  merged.LoadCatalogue(destination, true, quiet);
  if ((merged.CompanionStatus() == CompanionState::Valid) != (loaded.CompanionStatus() == CompanionState::Valid))
    Fail("the merged companion");
  return 0;
}
