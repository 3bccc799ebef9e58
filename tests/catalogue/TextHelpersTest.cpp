#include <gtest/gtest.h>

#include <random>

#include "catalogue/TextHelpers.h"

namespace qvl {
namespace {

TEST(NthCharPos, CountsFromOneAndGivesZeroWhenShort) {
  EXPECT_EQ(NthCharPos('\\', 1, "C:\\Docs\\"), 3u);
  EXPECT_EQ(NthCharPos('\\', 2, "C:\\Docs\\"), 8u);
  EXPECT_EQ(NthCharPos('\\', 3, "C:\\Docs\\"), 0u);
  EXPECT_EQ(NthCharPos('x', 1, "C:\\Docs\\"), 0u);
  EXPECT_EQ(NthCharPos('a', 1, ""), 0u);
  EXPECT_EQ(NthCharPos('a', 0, "aaa"), 0u);
  EXPECT_EQ(NthCharPos('a', -1, "aaa"), 0u);
}

TEST(GroupDigits, BlanksByLengthCountedFromTheRight) {
  EXPECT_EQ(GroupDigits(""), "");
  EXPECT_EQ(GroupDigits("123"), "123");
  EXPECT_EQ(GroupDigits("1234"), "1 234");
  EXPECT_EQ(GroupDigits("123456"), "123 456");
  EXPECT_EQ(GroupDigits("1234567"), "1 234 567");
  EXPECT_EQ(GroupDigits("123456789"), "123 456 789");
  EXPECT_EQ(GroupDigits("1234567890"), "1 234 567 890");
  EXPECT_EQ(GroupDigits("1234567890123"), "1234 567 890 123");
  EXPECT_EQ(GroupDigits("12345678901234"), "12345678901234");
  EXPECT_EQ(GroupDigits("-123"), "- 123");
  EXPECT_EQ(GroupDigits("-2147483648"), "-2 147 483 648");
}

const std::string kCards = "C:\\Programs\\Accessories\\Games\\Solitaire\\Cards\\";

TEST(ShortenPath, KeepsDriveAndTwoNamesThenDropsEverySecondName) {
  ASSERT_EQ(kCards.size(), 46u);
  EXPECT_EQ(ShortenPath(kCards, 95), kCards);
  EXPECT_EQ(ShortenPath(kCards, 76), kCards);
  EXPECT_EQ(ShortenPath(kCards, 75), "C:\\Programs\\Accessories\\..\\Solitaire\\Cards\\");
  EXPECT_EQ(ShortenPath(kCards, 63), "C:\\Programs\\Accessories\\..\\Cards\\");
  EXPECT_EQ(ShortenPath("C:\\a\\b\\c\\d\\e\\f\\g\\h\\", 46), "C:\\a\\b\\..\\e\\g\\h\\");
}

TEST(ShortenPath, TakesFromTheFrontWhenNoFolderIsLeftToDrop) {
  EXPECT_EQ(ShortenPath("C:\\VeryLongFolderNameHere\\", 50), "yLongFolderNameHere\\");
  // The passes first drop what they can, then the front goes.
  EXPECT_EQ(ShortenPath("C:\\a\\b\\c\\d\\e\\f\\g\\h\\", 38), "\\..\\e\\g\\");
}

TEST(ShortenPath, MarginsOfThirtyAndBelowLeaveNothing) {
  EXPECT_EQ(ShortenPath(kCards, 30), "");
  EXPECT_EQ(ShortenPath(kCards, 29), "");
  EXPECT_EQ(ShortenPath("", 0), "");
  EXPECT_EQ(ShortenPath("C:\\", 31), "\\");
}

// The shortening pass by pass, as plainly as it can be put, to check the shortcuts
// of the real one against.
std::string ShortenPathByPasses(std::string path, int margin) {
  for (int i = 3; static_cast<int>(path.size()) > margin - 30; ++i) {
    std::size_t a = NthCharPos('\\', i, path), b = NthCharPos('\\', i + 1, path);
    if (b > a + 1) path.erase(a, b - a - 1);
    if (i == 3) {
      path.insert(a, "..");
    } else if (a < path.size()) {
      path.erase(a, 1);
    }
  }
  return path;
}

TEST(ShortenPath, AgreesWithThePassesOnOddPaths) {
  std::mt19937 random(7);
  const std::string pieces[] = {"\\", "\\", "a", "bc", "Long name", ".."};
  for (int round = 0; round < 3000; ++round) {
    std::string path;
    int count = static_cast<int>(random() % 14);
    for (int k = 0; k < count; ++k) path += pieces[random() % std::size(pieces)];
    if (random() % 2) path += '\\';
    int margin = 30 + static_cast<int>(random() % 40);
    std::string shortened = ShortenPath(path, static_cast<std::uint8_t>(margin));
    ASSERT_EQ(shortened, ShortenPathByPasses(path, margin)) << path << " margin " << margin;
    ASSERT_LE(shortened.size(), static_cast<std::size_t>(margin - 30));
  }
}

}  // namespace
}  // namespace qvl
