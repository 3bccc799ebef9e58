#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/Locale.h"

namespace qvl {
namespace {

TEST(Collator, IgnoresLetterCaseButNotAccents) {
  Collator collator("en_US");
  EXPECT_TRUE(collator.Equal("README.TXT", "readme.txt"));
  EXPECT_LT(collator.Compare("A.txt", "b.txt"), 0);
  EXPECT_GT(collator.Compare("b.txt", "A.txt"), 0);
  EXPECT_FALSE(collator.Equal("café", "cafe"));
  EXPECT_TRUE(collator.Equal("ÜBER", "über"));
}

TEST(Collator, SortIsRepeatableForNamesThatCompareEqual) {
  Collator collator("en_US");
  std::vector<std::string> names{"b", "a.txt", "A.TXT", "B", std::string("\xff\xfe"), std::string("\xfe\xff")};
  collator.Sort(names);
  std::vector<std::string> again{"B", std::string("\xfe\xff"), "A.TXT", "b", "a.txt", std::string("\xff\xfe")};
  collator.Sort(again);
  EXPECT_EQ(names, again);
  EXPECT_EQ(names[0], "A.TXT");
  EXPECT_EQ(names[1], "a.txt");
}

TEST(Collator, FollowsTheLocale) {
  // Swedish puts "ä" after "z"; German beside "a".
  std::vector<std::string> swedish{"zebra", "äpple"}, german = swedish;
  Collator("sv_SE").Sort(swedish);
  Collator("de_DE").Sort(german);
  EXPECT_EQ(swedish, (std::vector<std::string>{"zebra", "äpple"}));
  EXPECT_EQ(german, (std::vector<std::string>{"äpple", "zebra"}));
}

// Look-ups by key must agree with the comparison, including on bytes that are not
// UTF-8 and on characters the comparison ignores.
TEST(Collator, SortKeysAreEqualExactlyWhenTextsCompareEqual) {
  Collator collator("en_US");
  std::vector<std::string> texts{"Docs", "DOCS", "docs", "Döcs", "DÖCS", "Doc", "Docs ", "",
                                 std::string("\xff"), std::string("\xfe"), std::string("D\x01ocs"),
                                 "\\Docs\\", "\\docs\\", "straße", "STRASSE", std::string("a\xc3"), "a\xef\xbf\xbd"};
  for (const auto& a : texts)
    for (const auto& b : texts)
      EXPECT_EQ(collator.SortKey(a) == collator.SortKey(b), collator.Equal(a, b)) << a << " / " << b;
}

TEST(Locale, EqualIgnoringCaseIgnoresLetterCaseAlone) {
  // UTF-8: letter case, in and out of ASCII, and full case folding.
  EXPECT_TRUE(EqualIgnoringCase("Docs", "DOCS"));
  EXPECT_TRUE(EqualIgnoringCase("\xC3\x84pfel", "\xC3\xA4PFEL"));  // Äpfel / äPFEL
  EXPECT_TRUE(EqualIgnoringCase("stra\xC3\x9F" "e", "STRASSE"));
  EXPECT_FALSE(EqualIgnoringCase("Docs", "Doc"));
  EXPECT_FALSE(EqualIgnoringCase("caf\xC3\xA9", "cafe"));
  EXPECT_FALSE(EqualIgnoringCase("x\xC2\xB2", "x2"));          // superscript two
  EXPECT_FALSE(EqualIgnoringCase("\xEF\xBC\xA1", "A"));        // full-width A
  EXPECT_FALSE(EqualIgnoringCase("\xEF\xBC\xA1", "a"));
  EXPECT_TRUE(EqualIgnoringCase("\xEF\xBC\xA1", "\xEF\xBD\x81"));  // full-width A and a
  // Windows-1252: its case pairs, accents still count.
  EXPECT_TRUE(EqualIgnoringCase("\xC9T\xC9", "\xE9t\xE9"));    // ÉTÉ / été
  EXPECT_FALSE(EqualIgnoringCase("\xE9t\xE9", "\xE8t\xE8"));   // été / ètè
  EXPECT_TRUE(EqualIgnoringCase("\x8A\x8C\x8E\x9F", "\x9A\x9C\x9E\xFF"));
  EXPECT_FALSE(EqualIgnoringCase("\xD7", "\xF7"));               // × and ÷ are no pair
  EXPECT_FALSE(EqualIgnoringCase("\xDF", "\xFF"));
  // Bytes that are not UTF-8 never equal UTF-8 text whose folded bytes match theirs.
  EXPECT_FALSE(EqualIgnoringCase("\xC5\xA0\xA0", "\xE5\xA0\xA0"));
  // The keys agree with the comparison.
  const std::vector<std::string> texts{"Docs", "DOCS", "\xC9T\xC9", "\xE9t\xE9", "\xE8t\xE8", "x\xC2\xB2",
                                       "x2", "", "\xC5\xA0\xA0", "\xE5\xA0\xA0", "\xC3\x84", "\xC3\xA4"};
  for (const auto& a : texts)
    for (const auto& b : texts) EXPECT_EQ(FoldKey(a) == FoldKey(b), EqualIgnoringCase(a, b)) << a << " / " << b;
}

TEST(Locale, UserLocaleNameDropsEncodingAndModifier) {
  ::setenv("LC_ALL", "de_DE.UTF-8@euro", 1);
  EXPECT_EQ(UserLocaleName("LC_COLLATE"), "de_DE");
  ::setenv("LC_ALL", "C", 1);
  EXPECT_EQ(UserLocaleName("LC_COLLATE"), "");
  ::unsetenv("LC_ALL");
}

TEST(Locale, LetterCaseOfNames) {
  EXPECT_EQ(LowerCase("DATA Ü"), "data ü");
  EXPECT_EQ(UpperCase("straße"), "STRASSE");
  // Not UTF-8 (a Windows-1252 "Ä"): only A to Z change, the byte stays.
  EXPECT_EQ(LowerCase(std::string("AB\xc4", 3)), std::string("ab\xc4", 3));
}

TEST(Locale, DateAndTimeTexts) {
  ::setenv("LC_ALL", "C", 1);
  ::setenv("TZ", "UTC", 1);
  ::tzset();
  EXPECT_EQ(ShortDateText(0), "01/01/70");
  EXPECT_EQ(LongTimeText(3661), "01:01:01");
  ::unsetenv("LC_ALL");
}

}  // namespace
}  // namespace qvl
