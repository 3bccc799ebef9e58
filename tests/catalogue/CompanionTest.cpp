// The companion file's bytes: what goes in comes out, and nothing a hostile file
// holds makes the reader crash, hang or take much memory.
#include <gtest/gtest.h>

#include <random>

#include "catalogue/Companion.h"
#include "catalogue/TagScan.h"
#include "platform/Time.h"

namespace qvl {
namespace {

Companion Sample() {
  Companion companion;
  companion.fingerprint = {81, 0x0123456789abcdefULL};
  CompanionData& data = companion.data;
  data.volume = {.uuid = "1234-ABCD",
                 .label = "DATA",
                 .fileSystem = "vfat",
                 .listedFolder = "/media/me/DATA",
                 .programVersion = "Quorvalen v2.31",
                 .capacity = 64'000'000'000ULL,
                 .free = 12,
                 .listedAt = UtcSeconds(2026, 12, 9, 14),
                 .files = 3,
                 .bytes = 1446};
  data.mergedVolumes.push_back({.label = "OLD", .listedAt = -86400});
  data.mergedVolumes.push_back({});
  const Hash128 hash{1, 2};
  data.AddEntry(UtcSeconds(2020, 1, 1));
  data.AddEntry(kUnknownTime);
  data.AddEntry(UtcSeconds(1969, 7, 20, 20, 17), &hash);
  data.AddEntry(INT64_MAX);  // kept as the largest time the format takes
  data.folderFirstEntry = {0, 3};
  return companion;
}

TEST(Companion, WhatIsWrittenReadsBack) {
  Companion written = Sample();
  auto read = DecodeCompanion(EncodeCompanion(written));
  ASSERT_TRUE(read);
  EXPECT_EQ(CompanionFingerprint(EncodeCompanion(written)), written.fingerprint);
  written.data.times[3] = (std::int64_t{1} << 62) - 1;
  EXPECT_EQ(*read, written.data);
  EXPECT_TRUE(read->HasHashes());
  EXPECT_EQ(read->HashOf(0), nullptr);
  ASSERT_NE(read->HashOf(2), nullptr);
  EXPECT_EQ(*read->HashOf(2), (Hash128{1, 2}));
  EXPECT_EQ(read->Time(1), kUnknownTime);
  EXPECT_EQ(read->Time(99), kUnknownTime);

  // No entries, no hashes, nothing known of the volume.
  Companion empty;
  empty.fingerprint = {4, 7};
  auto none = DecodeCompanion(EncodeCompanion(empty));
  ASSERT_TRUE(none);
  EXPECT_EQ(*none, empty.data);
  EXPECT_FALSE(none->HasHashes());
}

TEST(Companion, AMillionCloseTimesTakeAboutAByteEach) {
  Companion companion;
  std::mt19937_64 random(7);
  for (int i = 0; i < 1'000'000; ++i) companion.data.AddEntry(1'700'000'000 + static_cast<std::int64_t>(random() % 600));
  companion.fingerprint.size = 30'000'000;
  const std::string bytes = EncodeCompanion(companion);
  EXPECT_LT(bytes.size(), 1'500'000u);
  EXPECT_EQ(DecodeCompanion(bytes)->times, companion.data.times);
}

TEST(Companion, HostileBytesAreRefused) {
  const std::string good = EncodeCompanion(Sample());
  // Every cut, and every byte changed, is refused or read as some data; never more.
  for (std::size_t size = 0; size < good.size(); ++size) EXPECT_FALSE(DecodeCompanion(good.substr(0, size))) << size;
  for (std::size_t at = 0; at < good.size(); ++at) {
    std::string changed = good;
    changed[at] = static_cast<char>(changed[at] ^ 0x5A);
    (void)DecodeCompanion(changed);
  }
  std::mt19937_64 random(1);
  for (int i = 0; i < 2000; ++i) {
    std::string bytes = good.substr(0, 32);
    for (int n = static_cast<int>(random() % 64); n > 0; --n) bytes += static_cast<char>(random());
    (void)DecodeCompanion(bytes);
  }
  EXPECT_FALSE(DecodeCompanion("QVLC"));
  EXPECT_FALSE(DecodeCompanion(std::string(40, 'x')));

  // A payload that claims more than the catalogue could hold.
  const std::string claimsMore = CompanionFileBytes({81, 0}, std::string("\xff\xff\xff\xff\x0f", 5), false);
  EXPECT_FALSE(DecodeCompanion(claimsMore));
  std::string huge = "\x80\x80\x80\x80\x80\x80\x80\x80\x01";  // 2^56 entries
  EXPECT_FALSE(DecodeCompanionPayload(huge + std::string(100, '\0'), 81, false));
  // A head that claims a payload far past what the catalogue's size allows.
  std::string bigHead = good;
  bigHead[31] = '\x7f';
  EXPECT_FALSE(DecodeCompanion(bigHead));
  // Bytes left over after the data, and a varint that runs past 64 bits.
  const std::string payload = EncodeCompanionPayload(Sample().data);
  EXPECT_TRUE(DecodeCompanionPayload(payload, 81, true));
  EXPECT_FALSE(DecodeCompanionPayload(payload + "x", 81, true));
  EXPECT_FALSE(DecodeCompanionPayload(std::string(12, '\xff'), 81, false));
  EXPECT_FALSE(DecodeCompanionPayload(payload, 81, false));  // the hashes read as left over
  // Folders whose first entries run past the entries.
  EXPECT_FALSE(DecodeCompanionPayload(std::string("\x01\x02\x00" "\x00\x00\x00\x00\x00\x00\x00\x00" "\x05\x05" "\x01", 14), 81, false));
}

// What the reader takes, the writer writes back the same: times past what the
// writer keeps (here a rise that wraps round) are refused, not taken.
TEST(Companion, WhatIsReadWritesBackAsItWasRead) {
  const std::string found("\x2c\x02\x00\x00\x00\x00\x00\x00\x00\x00\x00\x24\x00\x00\x00\x02\x01\x07\x07\x31\x32\x33\x32\x33\x34\x2d\x41\x00\x00\xff\xff\xff\xff\xff\xff\xff\xff\xff\x01\x42\x36\x00\x00\x00\x00\x07\x34\x2d\x41\x00\x00\xff\xff\xff\xff\xff\xff\xff\xff\xff\x01\x07\x00\x00\xff\xfc\x64\x00\x00\xae\xbf\xe8\x41\x00\x00\x00\x07\x0a\x80\x00\x09", 81);
  if (auto taken = DecodeCompanionPayload(found, 81, false)) {
    EXPECT_EQ(DecodeCompanionPayload(EncodeCompanionPayload(*taken), 81, false), taken);
  }
  CompanionData far;
  far.AddEntry(INT64_MIN + 1);
  far.volume.listedAt = INT64_MAX;
  auto read = DecodeCompanionPayload(EncodeCompanionPayload(far), 81, false);
  ASSERT_TRUE(read);
  EXPECT_EQ(DecodeCompanionPayload(EncodeCompanionPayload(*read), 81, false), read);
}

TEST(Companion, VolumeFieldsInTheirOrder) {
  auto fields = VolumeFields(Sample().data);
  std::vector<std::string> keys;
  for (const auto& field : fields) keys.push_back(field.first);
  EXPECT_EQ(keys, (std::vector<std::string>{"Volume UUID", "Volume label", "File system", "Listed folder", "Capacity",
                                            "Free", "Listed", "Listed by", "Files", "Bytes", "Hashes", "Merged volume",
                                            "Merged volume"}));
  EXPECT_EQ(fields[6].second, "2026-12-09T14:00:00Z");
  EXPECT_EQ(fields[10].second, "yes");
  EXPECT_EQ(fields[11].second, "label OLD, listed 1969-12-31T00:00:00Z");
  EXPECT_EQ(fields[12].second, "");
  EXPECT_EQ(VolumeText(Companion{}.data),
            "Volume UUID:\r\nVolume label:\r\nFile system:\r\nListed folder:\r\nCapacity:\r\nFree:\r\nListed:\r\n"
            "Listed by:\r\nFiles:\r\nBytes:\r\nHashes: no");
}

// Entries are numbered by counting their tags, many bytes at a time.
TEST(EntryNumbers, CountEntryTagsCountsEveryThreeAndFour) {
  std::mt19937 random(3);
  for (int round = 0; round < 300; ++round) {
    std::vector<unsigned char> bytes(random() % 9000);
    for (auto& byte : bytes) byte = static_cast<unsigned char>(random() % 4 == 0 ? random() % 6 : random());
    std::size_t from = bytes.empty() ? 0 : random() % bytes.size();
    std::uint64_t plain = 0;
    for (std::size_t i = from; i < bytes.size(); ++i) plain += bytes[i] == 3 || bytes[i] == 4;
    EXPECT_EQ(CountEntryTags(bytes.data() + from, bytes.size() - from), plain);
  }
  const std::vector<unsigned char> entries(100'000, 4);  // more than a byte lane holds
  EXPECT_EQ(CountEntryTags(entries.data(), entries.size()), 100'000u);
}

TEST(UtcTime, IsoTextsBothWays) {
  EXPECT_EQ(IsoUtcText(0), "1970-01-01T00:00:00Z");
  EXPECT_EQ(IsoUtcText(UtcSeconds(2026, 12, 9, 14)), "2026-12-09T14:00:00Z");
  EXPECT_EQ(IsoUtcText(-1), "1969-12-31T23:59:59Z");
  EXPECT_EQ(IsoUtcText(UtcSeconds(2000, 2, 29, 23, 59, 59)), "2000-02-29T23:59:59Z");
  EXPECT_EQ(IsoUtcText(kUnknownTime), "");
  EXPECT_FALSE(IsoUtcText(INT64_MAX).empty());
  EXPECT_EQ(ParseIsoUtc("2026-12-09"), UtcSeconds(2026, 12, 9));
  EXPECT_EQ(ParseIsoUtc("2026-12-09T14:00"), UtcSeconds(2026, 12, 9, 14));
  EXPECT_EQ(ParseIsoUtc("2026-12-09 14:00:05Z"), UtcSeconds(2026, 12, 9, 14, 0, 5));
  EXPECT_EQ(ParseIsoUtc("1969-12-31T23:59:59Z"), -1);
  for (const char* bad : {"", "2026", "2026-13-01", "2026-02-29", "2026-12-09T24:00", "2026-12-09T14", "26-12-09",
                          "2026-12-09T14:00:00+01:00", "2026-12-09x"})
    EXPECT_FALSE(ParseIsoUtc(bad)) << bad;
  EXPECT_TRUE(ParseIsoUtc("2024-02-29"));
}

TEST(ContentHash, IsWhatXxhsumSays) {
  // xxhsum -H2 of a file holding "hi\n".
  EXPECT_EQ(HashText(Hash128Of("hi\n")), "f4d0497cf9394caab34d1a3ab2bece70");
  StreamHash128 pieces;
  pieces.Add("h", 1);
  pieces.Add("i\n", 2);
  EXPECT_EQ(pieces.Digest(), Hash128Of("hi\n"));
  StreamHash64 whole;
  whole.Add("abc");
  EXPECT_EQ(whole.Digest(), Hash64Of("abc"));
}

}  // namespace
}  // namespace qvl
