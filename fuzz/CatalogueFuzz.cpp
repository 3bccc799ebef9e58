// libFuzzer target: any bytes, loaded as a catalogue, browsed, replayed, merged and searched,
// must neither crash, hang nor read out of bounds, and must keep the load's promises;
// both searches must find what a plain reading finds.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "browse/CatalogueChecks.h"
#include "search/SearchChecks.h"

namespace {

std::string ScratchPath(const char* what) {
  const char* base = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  return std::string(base) + "/qvl-fuzz-" + std::to_string(::getpid()) + "-" + what;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  static const std::string input = ScratchPath("input.qvl");
  static const std::string scratch = ScratchPath("replay.qvl");
  std::ofstream(input, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data),
                                                                 static_cast<std::streamsize>(size));
  std::string problems = qvl::test::CheckCatalogue(input, scratch);
  // Texts that are frequent in any file, and two taken from the input itself.
  std::vector<std::string> texts = {"a", "/"};
  if (size >= 4) {
    texts.emplace_back(reinterpret_cast<const char*>(data + size / 2), 2);
    texts.emplace_back(reinterpret_cast<const char*>(data + size - 3), 3);
  }
  problems += qvl::test::CheckSearches(input, texts);
  if (!problems.empty()) {
    std::fprintf(stderr, "catalogue check failed: %s\n", problems.c_str());
    std::abort();
  }
  return 0;
}
