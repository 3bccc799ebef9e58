// libFuzzer target for the search index: the input is a catalogue, indexed in
// blocks of a size its first byte picks; searches through the index must give
// the scan's rows. The index is then damaged where the input's last bytes say
// and read without its checksums: the decoder must refuse it or answer with
// ranges of the file, and neither it nor a scan of those ranges may crash, hang
// or read out of bounds.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "search/SearchChecks.h"
#include "search/SearchIndex.h"

namespace {

std::string ScratchPath(const char* what) {
  const char* base = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  return std::string(base) + "/qvl-fuzz-" + std::to_string(::getpid()) + "-" + what;
}

std::string Rows(const std::string& file, const qvl::SearchPattern& pattern, std::vector<qvl::ScanRange> ranges) {
  qvl::EntryScan scan(file, pattern, true, {}, std::move(ranges));
  std::string rows;
  for (auto event = scan.Next(); event != qvl::EntryScan::Event::End; event = scan.Next())
    if (event == qvl::EntryScan::Event::Hit) rows += scan.Path() + "|" + std::string(scan.Text()) + "\n";
  return rows;
}

std::string ScanRows(const std::string& file, const qvl::SearchPattern& pattern) {
  qvl::EntryScan scan(file, pattern, true);
  std::string rows;
  for (auto event = scan.Next(); event != qvl::EntryScan::Event::End; event = scan.Next())
    if (event == qvl::EntryScan::Event::Hit) rows += scan.Path() + "|" + std::string(scan.Text()) + "\n";
  return rows;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  static const std::string input = ScratchPath("index-input.qvl");
  static const std::string index = ScratchPath("index.qvi");
  std::ofstream(input, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data),
                                                                 static_cast<std::streamsize>(size));
  const std::size_t blockBytes = size == 0 ? 1 : 1 + data[0] % 64;
  qvl::WriteSearchIndex(input, index, blockBytes);
  std::vector<std::string> texts = {"abc", "a/1"};
  for (std::size_t at = 1; at + 3 <= size && texts.size() < 6; at += size / 4 + 1)
    texts.emplace_back(reinterpret_cast<const char*>(data + at), std::min<std::size_t>(3 + at % 3, size - at));
  std::ostringstream problems;
  for (const std::string& text : texts) {
    qvl::SearchPattern pattern(text);
    auto answer = qvl::AskIndexFile(index, pattern, true);
    if (!answer) continue;
    if (Rows(input, pattern, answer->ranges) != ScanRows(input, pattern)) problems << "rows of \"" << text << "\" differ\n";
  }
  // Damage: the input's last bytes, two at a time, name a place and a value.
  std::string bytes = qvl::ReadFileBytes(index);
  for (std::size_t at = size; at >= 2 && size - at < 16 && !bytes.empty(); at -= 2)
    bytes[(data[at - 2] * 131u + data[at - 1] * 7u) % bytes.size()] ^= static_cast<char>(data[at - 1] | 1);
  std::ofstream(index, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  for (const std::string& text : texts) {
    qvl::SearchPattern pattern(text);
    if (auto answer = qvl::AskIndexFile(index, pattern, false)) Rows(input, pattern, answer->ranges);
  }
  if (!problems.str().empty()) {
    std::fprintf(stderr, "search index check failed: %s\n", problems.str().c_str());
    std::abort();
  }
  return 0;
}
