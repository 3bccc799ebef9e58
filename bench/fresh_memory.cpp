// What memory used for the first time costs on this machine: the milliseconds to
// touch every page of 256 MB never touched before, per MB. A list that keeps a
// search's millions of rows pays it for every byte it holds; a printer does not.
//
//   fresh_memory
#include <chrono>
#include <cstdio>
#include <memory>

int main() {
  constexpr std::size_t kBytes = std::size_t{256} << 20;
  constexpr std::size_t kPage = 4096;
  auto start = std::chrono::steady_clock::now();
  auto memory = std::make_unique_for_overwrite<char[]>(kBytes);
  for (std::size_t at = 0; at < kBytes; at += kPage) memory[at] = 1;
  double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  std::printf("fresh memory: %.2f ms per MB (256 MB touched in %.0f ms)\n", ms / 256, ms);
  return memory[kPage] == 1 ? 0 : 1;
}
