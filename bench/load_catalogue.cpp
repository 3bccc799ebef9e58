// Loads a catalogue as the Browse tab does and prints its number of folders; with
// a count, loads it that many times in one process and prints the fastest load,
// which leaves out the start of the process.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "browse/Catalogue.h"

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: load_catalogue FILE [REPEATS]\n");
    return 2;
  }
  int repeats = argc == 3 ? std::atoi(argv[2]) : 1;
  try {
    qvl::Collator collator;
    qvl::Catalogue catalogue;
    qvl::Progress quiet;
    double best = 1e9;
    for (int i = 0; i < repeats; ++i) {
      auto start = std::chrono::steady_clock::now();
      if (!catalogue.LoadCatalogue(argv[1], true, quiet)) {
        std::fprintf(stderr, "load_catalogue: no file %s\n", argv[1]);
        return 2;
      }
      std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
      if (took.count() < best) best = took.count();
    }
    if (argc == 3)
      std::printf("%.2f ms\n", best * 1000);
    else
      std::printf("%zu folders\n", catalogue.Folders().Count());
  } catch (const std::exception& error) {
    std::fprintf(stderr, "load_catalogue: %s\n", error.what());
    return 2;
  }
  return 0;
}
