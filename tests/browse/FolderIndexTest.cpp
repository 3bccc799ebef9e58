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

std::optional<std::size_t> FirstEqual(const FolderIndex& index, std::string_view path) {
  auto wanted = Split(path);
  for (std::size_t i = 0; i < index.Count(); ++i) {
    auto names = Split(index.Path(i));
    if (names.size() != wanted.size()) continue;
    bool equal = true;
    for (std::size_t n = 0; n < names.size() && equal; ++n) equal = EqualIgnoringCase(names[n], wanted[n]);
    if (equal) return i;
  }
  return std::nullopt;
}

// Trees with case twins, names with a backslash, subfolders sorted (the way
// listings write them) or not (merged files), looked up in every spelling.
TEST(FolderIndex, FindIsTheFirstFolderWithEqualNames) {
  Collator collator("en_US");
  // Names the collation holds equal but that differ in more than letter case
  // (accents of Windows-1252 bytes, width, variant forms) stand among them.
  const std::vector<std::string> names{"a", "A", "b", "B", "é", "É", "e", "ab", "aB", "a\\b", "zz",
                                       "\xE9t\xE9", "\xC9T\xC9", "\xE8t\xE8", "x\xC2\xB2", "x2", "\xEF\xBC\xA1"};
  std::mt19937 random(7);
  for (int round = 0; round < 40; ++round) {
    FolderIndex index;
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
    for (const auto& path : paths) ASSERT_EQ(index.Find(path), FirstEqual(index, path)) << path;
  }
}

FolderIndex IndexOf(const std::vector<std::string>& topFolders) {
  FolderIndex index;
  index.AppendRoot(1);
  for (const auto& name : topFolders) index.AppendFolder(FolderIndex::kRoot, name, 2 + static_cast<std::int64_t>(index.Count()));
  return index;
}

// Names that differ in more than letter case are different folders, however the
// collation sorts them; names that differ in letter case alone are one.
TEST(FolderIndex, OnlyLetterCaseIsIgnored) {
  // Windows-1252 "été" and "ètè": both found, each as itself, and "ÉTÉ" is the first.
  FolderIndex accents = IndexOf({"\xE9t\xE9", "\xE8t\xE8"});
  EXPECT_EQ(accents.Find("\\\xE9t\xE9\\"), 1u);
  EXPECT_EQ(accents.Find("\\\xE8t\xE8\\"), 2u);
  EXPECT_EQ(accents.Find("\\\xC9T\xC9\\"), 1u);
  EXPECT_EQ(accents.Find("\\\xC8T\xC8\\"), 2u);
  EXPECT_EQ(accents.Find("\\\xE9t\xE8\\"), std::nullopt);
  // UTF-8 "x²" is not "x2", nor full-width "Ａ" "A".
  FolderIndex forms = IndexOf({"x\xC2\xB2", "\xEF\xBC\xA1", "Docs", "\xC3\x84rger"});
  EXPECT_EQ(forms.Find("\\x2\\"), std::nullopt);
  EXPECT_EQ(forms.Find("\\X\xC2\xB2\\"), 1u);
  EXPECT_EQ(forms.Find("\\A\\"), std::nullopt);
  EXPECT_EQ(forms.Find("\\a\\"), std::nullopt);
  EXPECT_EQ(forms.Find("\\\xEF\xBD\x81\\"), 2u);  // full-width "ａ"
  EXPECT_EQ(forms.Find("\\DOCS\\"), 3u);
  EXPECT_EQ(forms.Find("\\\xC3\xA4RGER\\"), 4u);  // "äRGER"
  // One step at a time, as the merge goes down a tree.
  auto docs = forms.ChildClass(FolderIndex::kRootClass, "docs");
  ASSERT_TRUE(docs);
  EXPECT_EQ(forms.FirstOfClass(*docs), 3u);
  EXPECT_FALSE(forms.ChildClass(FolderIndex::kRootClass, "x2"));
}

// Look-ups mostly try the subfolder after the last one found; any other order
// and any spelling must find the same folders.
TEST(FolderIndex, LookUpsInAnyOrderAndSpelling) {
  std::vector<std::string> names;
  for (int i = 0; i < 300; ++i) names.push_back("Folder" + std::to_string(i));
  FolderIndex index = IndexOf(names);
  std::mt19937 random(3);
  for (int round = 0; round < 3; ++round) {
    std::vector<int> order(names.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
    if (round > 0) std::shuffle(order.begin(), order.end(), random);
    for (int i : order) {
      std::string path(1, '\\');  // (appended: GCC 12 at -O3 warns falsely of "\\" + name)
      path += round == 2 ? AsciiUpperCase(names[i]) : names[i];
      path += '\\';
      ASSERT_EQ(index.Find(path), static_cast<std::size_t>(i) + 1) << path;
    }
  }
  EXPECT_EQ(index.Find("\\Folder300\\"), std::nullopt);
}

}  // namespace
}  // namespace qvl
