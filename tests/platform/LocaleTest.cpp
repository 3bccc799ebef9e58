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
