// Look-ups in the folder index against the plain rule: the first folder whose
// names compare equal one by one, letter case ignored.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <random>

#include "browse/FolderIndex.h"

namespace qvl {
namespace {

std::vector<std::string> Split(std::string_view path) {
  std::vector<std::string> names;
  for (std::size_t start = 1; start < path.size();) {
    std::size_t end = path.find('\\', start);
    names.emplace_back(path.substr(start, end - start));
    start = end + 1;
  }
  return names;
}

std::optional<std::size_t> FirstEqual(const FolderIndex& index, const Collator& collator, std::string_view path) {
  auto wanted = Split(path);
  for (std::size_t i = 0; i < index.Count(); ++i) {
    auto names = Split(index.Path(i));
    if (names.size() != wanted.size()) continue;
    bool equal = true;
    for (std::size_t n = 0; n < names.size() && equal; ++n) equal = collator.Equal(names[n], wanted[n]);
    if (equal) return i;
  }
  return std::nullopt;
}

// Trees with case twins, names with a backslash, subfolders sorted (the way
// listings write them) or not (merged files), looked up in every spelling.
TEST(FolderIndex, FindIsTheFirstFolderWithEqualNames) {
  Collator collator("en_US");
  const std::vector<std::string> names{"a", "A", "b", "B", "é", "É", "e", "ab", "aB", "a\\b", "zz"};
  std::mt19937 random(7);
  for (int round = 0; round < 40; ++round) {
    FolderIndex index(collator);
    index.AppendRoot(1);
    // Folders are added parent by parent; a parent's subfolders sorted or shuffled.
    for (std::size_t parent = 0; parent < index.Count() && index.Count() < 120; ++parent) {
      std::vector<std::string> children;
      for (std::size_t n = random() % 5; n > 0; --n) children.push_back(names[random() % names.size()]);
      if (random() % 3 != 0)
        collator.Sort(children);
      else
        std::shuffle(children.begin(), children.end(), random);
      for (const auto& name : children) index.AppendFolder(parent, name, 2 + static_cast<std::int64_t>(index.Count()));
    }
    // Every path the index has, in other letters, and some it has not, in random order.
    std::vector<std::string> paths;
    for (std::size_t i = 0; i < index.Count(); ++i) {
      std::string path = index.Path(i);
      paths.push_back(path);
      std::string other = path;
      for (char& c : other) {
        auto byte = static_cast<unsigned char>(c);
        c = static_cast<char>(random() % 2 ? std::toupper(byte) : std::tolower(byte));
      }
      paths.push_back(other);
      paths.push_back(path + "zz\\");
    }
    std::shuffle(paths.begin(), paths.end(), random);
    for (const auto& path : paths) ASSERT_EQ(index.Find(path), FirstEqual(index, collator, path)) << path;
  }
}

}  // namespace
}  // namespace qvl
