// Builds a large, repeatable tree for the listing benchmarks: about a million files
// in about a hundred thousand folders, a chain 25 levels deep, one folder of 50,000
// files, names in several scripts. Files are sparse: sizes without data; with
// --data they hold bytes (for the hashing benchmark), and --max-size caps them.
//
//   make_tree DIR [--files N] [--folders M] [--seed S] [--max-size BYTES] [--data 1]
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

const char* const kWords[] = {"report", "Photo", "backup", "notes", "Übersicht", "données", "проект",
                              "写真", "archive", "Music", "invoice", "draft", "Ωmega", "café",
                              "2019", "old", "new", "final", "copy of", "ReadMe"};
const char* const kExtensions[] = {".txt", ".jpg", ".JPG", ".pdf", ".mp3", ".docx", ".zip", ".c",
                                   ".h", "", ".tar.gz", ".png", ".exe", ".ini", ".log"};

template <typename T, std::size_t N>
const T& Pick(std::mt19937_64& random, const T (&items)[N]) {
  return items[random() % N];
}

std::string Name(std::mt19937_64& random, std::size_t serial, bool folder) {
  std::string name = Pick(random, kWords);
  if (random() % 3 == 0) name += std::string(" ") + Pick(random, kWords);
  // Two appends: GCC 12 at -O3 falsely warns -Wrestrict on "_" + std::string.
  name += '_';
  name += std::to_string(serial);
  if (!folder) name += Pick(random, kExtensions);
  return name;
}

void Fail(const std::string& what) {
  std::fprintf(stderr, "make_tree: %s: %s\n", what.c_str(), std::strerror(errno));
  std::exit(1);
}

struct FileSizes {
  std::uint64_t maxSize = UINT64_MAX;
  bool data = false;
  std::vector<char> block;  // the bytes written with --data, at an offset of its own for each file
};

void MakeFile(const std::string& path, std::mt19937_64& random, FileSizes& sizes) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) Fail(path);
  // Mostly small files, some large, a few past 4 GiB.
  std::uint64_t roll = random() % 1000;
  std::uint64_t size = roll < 700 ? random() % 100000
                       : roll < 995 ? random() % 100000000
                                    : 4294967296ULL + random() % 4294967296ULL;
  size = std::min(size, sizes.maxSize);
  if (!sizes.data) {
    if (::ftruncate(fd, static_cast<off_t>(size)) != 0) Fail(path);
  } else {
    std::size_t half = sizes.block.size() / 2;
    for (std::uint64_t written = 0; written < size;) {
      std::size_t piece = static_cast<std::size_t>(std::min<std::uint64_t>(size - written, half));
      if (::write(fd, sizes.block.data() + random() % half, piece) != static_cast<ssize_t>(piece)) Fail(path);
      written += piece;
    }
  }
  ::close(fd);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: make_tree DIR [--files N] [--folders M] [--seed S]\n");
    return 2;
  }
  std::string root = argv[1];
  std::size_t files = 1000000, folders = 100000;
  std::uint64_t seed = 1;
  FileSizes sizes;
  for (int i = 2; i + 1 < argc; i += 2) {
    std::string option = argv[i];
    std::uint64_t value = std::strtoull(argv[i + 1], nullptr, 10);
    if (option == "--files") files = value;
    else if (option == "--folders") folders = value;
    else if (option == "--seed") seed = value;
    else if (option == "--max-size") sizes.maxSize = value;
    else if (option == "--data") sizes.data = value != 0;
  }
  std::mt19937_64 random(seed);
  if (sizes.data) {
    sizes.block.resize(std::size_t{2} << 20);
    for (char& c : sizes.block) c = static_cast<char>(random());
  }
  if (::mkdir(root.c_str(), 0755) != 0 && errno != EEXIST) Fail(root);

  // Folder 0 is the root. Each new folder goes below a recent one, which gives a
  // tree of moderate depth; the first 25 form a chain for the deep case.
  std::vector<std::string> paths{root};
  for (std::size_t i = 1; i < folders; ++i) {
    std::size_t parent = i <= 25 ? i - 1 : i - 1 - random() % std::min<std::size_t>(i, 5000);
    if (i > 25 && parent < 25 && parent > 0) parent = 0;
    std::string path = paths[parent] + "/" + Name(random, i, true);
    if (::mkdir(path.c_str(), 0755) != 0) Fail(path);
    paths.push_back(std::move(path));
  }
  std::size_t bigFolder = paths.size() / 2;
  std::size_t bigCount = std::min<std::size_t>(50000, files / 4);
  for (std::size_t i = 0; i < files; ++i) {
    std::size_t folder = i < bigCount ? bigFolder : random() % paths.size();
    MakeFile(paths[folder] + "/" + Name(random, i, false), random, sizes);
  }
  std::printf("%zu folders, %zu files in %s\n", paths.size(), files, root.c_str());
  return 0;
}
