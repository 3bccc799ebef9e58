// The numbering of the list view's file-type images.
#include <gtest/gtest.h>

#include "browse/FileTypeImages.h"

namespace qvl {
namespace {

TEST(ExtensionOf, TakesTheLastDotAfterAnyFolderMark) {
  EXPECT_EQ(ExtensionOf("notes.txt"), ".TXT");
  EXPECT_EQ(ExtensionOf("a.tar.Gz"), ".GZ");
  EXPECT_EQ(ExtensionOf("readme"), "");
  EXPECT_EQ(ExtensionOf("archive."), ".");
  EXPECT_EQ(ExtensionOf(".profile"), ".PROFILE");
  EXPECT_EQ(ExtensionOf("old.d\\readme"), "");
  EXPECT_EQ(ExtensionOf("c:readme"), "");
  EXPECT_EQ(ExtensionOf("c:x.Ini"), ".INI");
  EXPECT_EQ(ExtensionOf("caf\xc3\xa9.\xc3\xa9xe"), ".\xc3\xa9XE");  // only a to z change
}

TEST(FileTypeImages, NumbersEachExtensionOnceInTheOrderMet) {
  FileTypeImages images;
  auto first = images.ForName("a.exe");
  EXPECT_EQ(first.number, FileTypeImages::kFirstExtension);
  EXPECT_TRUE(first.isNew);
  auto again = images.ForName("B.EXE");
  EXPECT_EQ(again.number, first.number);
  EXPECT_FALSE(again.isNew);
  EXPECT_EQ(images.ForName("readme").number, 6);
  EXPECT_EQ(images.ForName("archive.").number, 7);
  EXPECT_FALSE(images.ForName("LICENSE").isNew);
  EXPECT_FALSE(images.ForName("backup.").isNew);
  EXPECT_EQ(images.ForExtension(".INI").number, 8);
  EXPECT_EQ(images.ForName("setup.ini").number, 8);
  EXPECT_EQ(images.Extensions(), (std::vector<std::string>{".EXE", "", ".", ".INI"}));
}

}  // namespace
}  // namespace qvl
