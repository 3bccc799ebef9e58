// qvl diff, dupes, unique, du and export on catalogue files made for the test.
#include <gtest/gtest.h>

#include <cstdlib>

#include "browse/CatalogueFiles.h"
#include "support/Bytes.h"
#include "support/RunQvl.h"
#include "support/TempDir.h"

namespace qvl {
namespace {

using test::Bytes;
using test::RunQvl;
using test::TempDir;

std::string Catalogue(const std::string& records) { return Bytes("\x00" "c: [data]") + records + Bytes("\x02\x00"); }

// Before and after: a file given another size, one removed, one added, one moved, a
// folder gone and one new, and a file whose name only changed its letter case.
const std::string kOld = Catalogue(Bytes("\x04" "Docs" "\x04" "Gone" "\x03" "readme.txt/1234" "\x03" "zz.bin/200"
                                         "\x01" "Docs" "\x03" "a.txt/12" "\x03" "mv.dat/777" "\x02"
                                         "\x01" "Gone" "\x03" "g.txt/1" "\x02"));
const std::string kNew = Catalogue(Bytes("\x04" "Docs" "\x04" "New" "\x03" "README.TXT/1234" "\x03" "zz.bin/300"
                                         "\x03" "big/-2147483648" "\x01" "Docs" "\x03" "a.txt/12" "\x02"
                                         "\x01" "New" "\x03" "mv.dat/777" "\x02"));

TEST(QvlDiff, GivesEveryKindOfRowAndDiffsStatus) {
  TempDir dir;
  test::WriteFile(dir / "old.qvl", kOld);
  test::WriteFile(dir / "new.qvl", kNew);
  auto result = RunQvl({"diff", dir / "old.qvl", dir / "new.qvl"});
  EXPECT_EQ(result.status, 1) << result.err;
  EXPECT_EQ(result.out,
            "removed\tD\t\\Gone\\\t\t\t\n"
            "added\tD\t\\New\\\t\t\t\n"
            "changed\tF\t\\zz.bin\t200\t300\tsize\n"
            "added\tF\t\\big\t\t2147483648\t\n"
            "moved\tF\t\\Docs\\mv.dat\t777\t777\t\\New\\mv.dat\n"
            "removed\tF\t\\Gone\\g.txt\t1\t\t\n");
  EXPECT_EQ(result.err, "2 added, 2 removed, 1 changed, 1 moved\n");

  auto same = RunQvl({"diff", dir / "new.qvl", dir / "new.qvl"});
  EXPECT_EQ(same.status, 0) << same.err;
  EXPECT_EQ(same.out, "");
  EXPECT_EQ(same.err, "0 added, 0 removed, 0 changed, 0 moved\n");
}

// A merged catalogue holds a.txt twice in the root, and the folder Docs as "Docs"
// and "docs", which count as one folder.
TEST(QvlDiff, PairsNamesTwiceInAFolderInOrderOfAppearance) {
  TempDir dir;
  test::WriteFile(dir / "old.qvl", Catalogue(Bytes("\x04" "Docs" "\x03" "a.txt/1" "\x03" "a.txt/2" "\x01" "Docs"
                                                   "\x03" "x/1" "\x02")));
  test::WriteFile(dir / "merged.qvl", Catalogue(Bytes("\x04" "Docs" "\x04" "docs" "\x03" "a.txt/2" "\x03" "a.txt/3"
                                                      "\x03" "a.txt/1" "\x01" "Docs" "\x02" "\x01" "docs" "\x03" "x/1"
                                                      "\x03" "y/1" "\x02")));
  auto result = RunQvl({"diff", dir / "old.qvl", dir / "merged.qvl"});
  EXPECT_EQ(result.status, 1) << result.err;
  EXPECT_EQ(result.out, "added\tD\t\\docs\\\t\t\t\nadded\tF\t\\a.txt\t\t3\t\nadded\tF\t\\docs\\y\t\t1\t\n");
  EXPECT_EQ(RunQvl({"diff", dir / "merged.qvl", dir / "merged.qvl"}).status, 0);
}

TEST(QvlDiff, TroubleIsStatusTwo) {
  TempDir dir;
  test::WriteFile(dir / "old.qvl", kOld);
  test::WriteFile(dir / "text.qvl", "not a catalogue\n");
  auto missing = RunQvl({"diff", dir / "old.qvl", dir / "none.qvl"});
  EXPECT_EQ(missing.status, 2);
  EXPECT_NE(missing.err.find("none.qvl"), std::string::npos);
  auto text = RunQvl({"diff", dir / "text.qvl", dir / "old.qvl"});
  EXPECT_EQ(text.status, 2);
  EXPECT_EQ(text.err, "qvl: \"" + (dir / "text.qvl") + "\" is not a catalogue\n");
  EXPECT_EQ(RunQvl({"diff", dir / "old.qvl"}).status, 2);
}

TEST(QvlDupes, GroupsCopiesLargestWasteFirst) {
  TempDir dir;
  test::WriteFile(dir / "one.qvl", Catalogue(Bytes("\x04" "A" "\x03" "movie.mkv/5000" "\x03" "note.txt/10"
                                                   "\x03" "empty/0" "\x03" "solo/99" "\x01" "A" "\x03" "NOTE.TXT/10"
                                                   "\x02")));
  test::WriteFile(dir / "two.qvl", Catalogue(Bytes("\x03" "Movie.MKV/5000" "\x03" "note.txt/11" "\x03" "empty/0"
                                                   "\x03" "note.txt/10")));
  auto result = RunQvl({"dupes", dir / "one.qvl", dir / "two.qvl"});
  ASSERT_EQ(result.status, 0) << result.err;
  const std::string one = dir / "one.qvl", two = dir / "two.qvl";
  EXPECT_EQ(result.out, "5000\t2\t5000\n\t" + one + "\t\\movie.mkv\n\t" + two + "\t\\Movie.MKV\n"
                        "10\t3\t20\n\t" + one + "\t\\note.txt\n\t" + one + "\t\\A\\NOTE.TXT\n\t" + two +
                        "\t\\note.txt\n");
  EXPECT_EQ(result.err, "2 groups of copies, 5 files, 5020 bytes in the copies beyond the first of each\n");
  auto large = RunQvl({"dupes", one, two, "--min-size", "1K"});
  EXPECT_EQ(large.out.substr(0, 11), "5000\t2\t5000");
  EXPECT_EQ(large.out.find("note"), std::string::npos);
  auto none = RunQvl({"dupes", one, "--min-size", "1G"});
  EXPECT_EQ(none.status, 0);
  EXPECT_EQ(none.out, "");
  EXPECT_EQ(RunQvl({"dupes", one, "--min-size", "ten"}).status, 2);
}

// The history list is the default collection: a settings file beside a copy of qvl.
TEST(QvlUnique, ListsFilesFoundInNoOtherCatalogue) {
  TempDir dir;
  test::WriteFile(dir / "disk.qvl", Catalogue(Bytes("\x04" "A" "\x03" "backed.txt/10" "\x03" "only.txt/20"
                                                    "\x03" "bare" "\x03" "empty/0" "\x01" "A" "\x03" "x.jpg/30"
                                                    "\x03" "y.jpg/40" "\x02")));
  test::WriteFile(dir / "b1.qvl", Catalogue(Bytes("\x03" "BACKED.TXT/10" "\x03" "only.txt/21")));
  test::WriteFile(dir / "b2.qvl", Catalogue(Bytes("\x01" "Photos" "\x03" "x.jpg/30" "\x02")));
  auto result = RunQvl({"unique", dir / "disk.qvl", "--against", dir / "b1.qvl", "--against", dir / "b2.qvl"});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, "20\t\\only.txt\n\t\\bare\n40\t\\A\\y.jpg\n");
  EXPECT_EQ(result.err, "3 files, 60 bytes, found in no other catalogue\n");

  const std::string qvl = test::CopyQvlTo(dir.Path());
  test::WriteFile(dir / "Quorvalen.ini", "[History]\nItem1=" + (dir / "b1.qvl") + "\nItem2=" + (dir / "disk.qvl") +
                                             "\nItem3=" + (dir / "gone.qvl") + "\nItem4=" + (dir / "b2.qvl") + "\n");
  auto history = test::RunQvlAt(qvl, {"unique", dir / "disk.qvl"});
  EXPECT_EQ(history.out, result.out) << history.err;
  auto dupes = test::RunQvlAt(qvl, {"dupes"});
  EXPECT_EQ(dupes.status, 0) << dupes.err;
  EXPECT_NE(dupes.out.find("30\t2\t30\n"), std::string::npos);
  EXPECT_EQ(RunQvl({"unique", dir / "disk.qvl"}).status, 2);  // no history, nothing to look in
}

TEST(QvlDu, TotalsPastFourGibibytesLargestFirst) {
  TempDir dir;
  std::string records = Bytes("\x04" "Video" "\x04" "Text" "\x01" "Video");
  for (int i = 0; i < 5; ++i) records += Bytes("\x03") + "part" + std::to_string(i) + "/-2147483000";
  records += Bytes("\x02" "\x01" "Text" "\x03" "a.txt/100" "\x02");
  test::WriteFile(dir / "big.qvl", Catalogue(records));
  auto result = RunQvl({"du", dir / "big.qvl"});
  ASSERT_EQ(result.status, 0) << result.err;
  const long long video = 5 * (4294967296LL - 2147483000LL);
  EXPECT_EQ(result.out, std::to_string(video + 100) + "\t6\t\\\n" + std::to_string(video) + "\t5\t\\Video\\\n" +
                            "100\t1\t\\Text\\\n");
  EXPECT_EQ(RunQvl({"du", dir / "big.qvl", "\\text\\", "--depth", "0"}).out, "100\t1\t\\Text\\\n");
  EXPECT_EQ(RunQvl({"du", dir / "big.qvl", "--depth", "0"}).out, std::to_string(video + 100) + "\t6\t\\\n");
  EXPECT_EQ(RunQvl({"du", dir / "big.qvl", "\\None\\"}).status, 2);
  EXPECT_EQ(RunQvl({"du", dir / "big.qvl", "--depth", "-1"}).status, 2);
}

// The exports read back by Python's own readers give every entry, names that are
// not UTF-8 with their bytes.
TEST(QvlExport, JsonLinesAndCsvReadBackEveryEntry) {
  TempDir dir;
  test::WriteFile(dir / "disk.qvl", Catalogue(Bytes("\x04" "Docs" "\x03" "a,\"b\".txt/12" "\x03" "caf\xE9.txt/7"
                                                    "\x03" "two\r\nlines" "\x03" "big/-2147483648" "\x01" "Docs"
                                                    "\x03" "\xC3\xBC.txt/1" "\x02")));
  for (std::string format : {"jsonl", "csv"}) {
    auto result = RunQvl({"export", dir / "disk.qvl", "--format", format});
    ASSERT_EQ(result.status, 0) << result.err;
    test::WriteFile(dir / ("out." + format), result.out);
  }
  test::WriteFile(dir / "check.py", R"(import csv, json, sys
d = sys.argv[1]
rows = [json.loads(line) for line in open(d + "/out.jsonl", encoding="utf-8")]
with open(d + "/out.csv", newline="", encoding="utf-8") as f:
    table = list(csv.DictReader(f))
def show(r):
    name = bytes.fromhex(r["name_hex"]).decode("latin-1") + "*" if r.get("name_hex") else r["name"]
    return "%s|%s|%s|%s" % (r["path"], name, r["kind"], r.get("size", ""))
a = [show(r) for r in rows]
print("same" if a == [show(r) for r in table] else "differ")
print("\n".join(a))
)");
  std::string command = "python3 " + (dir / "check.py") + " " + dir.Path() + " > " + (dir / "py.txt") + " 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << test::ReadFile(dir / "py.txt");
  EXPECT_EQ(test::ReadFile(dir / "py.txt"),
            "same\n\\|Docs|folder|\n\\|a,\"b\".txt|file|12\n\\|caf\xC3\xA9.txt*|file|7\n\\|two\r\nlines|file|\n"
            "\\|big|file|2147483648\n\\Docs\\|\xC3\xBC.txt|file|1\n");
  // The name read as Windows-1252 stands beside its bytes.
  auto jsonl = test::ReadFile(dir / "out.jsonl");
  EXPECT_NE(jsonl.find("\"name\":\"caf\xC3\xA9.txt\",\"kind\":\"file\",\"size\":7,\"name_hex\":\"636166e92e747874\""),
            std::string::npos)
      << jsonl;
}

TEST(QvlExport, NcduReadsTheNcduExport) {
  if (std::system("command -v ncdu >/dev/null 2>&1") != 0) GTEST_SKIP() << "ncdu is not installed (apt-get install ncdu)";
  TempDir dir;
  test::WriteFile(dir / "disk.qvl", Catalogue(Bytes("\x04" "Docs" "\x03" "readme.txt/1234" "\x03" "big/-2147483648"
                                                    "\x03" "caf\xE9" "\x01" "Docs" "\x03" "a.txt/12" "\x01" "Deep"
                                                    "\x02\x02")));
  auto result = RunQvl({"export", dir / "disk.qvl", "--format", "ncdu"});
  ASSERT_EQ(result.status, 0) << result.err;
  test::WriteFile(dir / "disk.json", result.out);
  std::string command = "ncdu -f " + (dir / "disk.json") + " -o " + (dir / "again.json") + " > " + (dir / "ncdu.txt") +
                        " 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << test::ReadFile(dir / "ncdu.txt");
  std::string again = test::ReadFile(dir / "again.json");
  for (std::string item : {"{\"name\":\"c: [data]\"}", "{\"name\":\"readme.txt\",\"asize\":1234,\"dsize\":1234}",
                           "{\"name\":\"big\",\"asize\":2147483648,\"dsize\":2147483648}", "{\"name\":\"caf\xC3\xA9\"}",
                           "[{\"name\":\"Docs\"},\n{\"name\":\"a.txt\",\"asize\":12,\"dsize\":12},\n[{\"name\":\"Deep\"}]]"})
    EXPECT_NE(again.find(item), std::string::npos) << item << "\n" << again;
  EXPECT_EQ(RunQvl({"export", dir / "disk.qvl", "--format", "xml"}).status, 2);
  EXPECT_EQ(RunQvl({"export", dir / "disk.qvl"}).status, 2);
}

}  // namespace
}  // namespace qvl

namespace qvl {
namespace {

// More catalogues than threads: the groups and their copies come in one order
// whatever thread read which catalogue.
TEST(QvlDupes, ManyCataloguesGiveOneOrder) {
  TempDir dir;
  std::vector<std::string> args{"dupes"};
  for (int i = 0; i < 9; ++i) {
    std::string records = Bytes("\x01" "Disk") + std::to_string(i);
    for (int f = 0; f <= i; ++f) records += Bytes("\x03") + "file" + std::to_string(f) + "/" + std::to_string(100 + f);
    records += Bytes("\x02");
    const std::string name = dir / ("c" + std::to_string(i) + ".qvl");
    test::WriteFile(name, Catalogue(records));
    args.push_back(name);
  }
  auto first = RunQvl(args);
  ASSERT_EQ(first.status, 0) << first.err;
  // file0 is on all nine disks and wastes 8 * 100 bytes; file7 is on two and wastes 107.
  EXPECT_EQ(first.out.substr(0, first.out.find('\n')), "100\t9\t800");
  EXPECT_NE(first.out.find("107\t2\t107\n\t" + (dir / "c7.qvl") + "\t\\Disk7\\file7\n\t" + (dir / "c8.qvl") +
                           "\t\\Disk8\\file7\n"),
            std::string::npos);
  EXPECT_EQ(first.err, "8 groups of copies, 44 files, 3684 bytes in the copies beyond the first of each\n");
  for (int run = 0; run < 3; ++run) EXPECT_EQ(RunQvl(args).out, first.out);
}

// A catalogue cut short with folders open still gives a whole ncdu document and
// JSON Lines with every entry; paths that are not UTF-8 keep their bytes.
TEST(QvlExport, ACatalogueCutShortStillGivesWholeDocuments) {
  TempDir dir;
  test::WriteFile(dir / "cut.qvl", Bytes("\x00" "c:" "\x01" "D\xE9j\xE0" "\x03" "a/1" "\x01" "In" "\x03" "b/2"));
  auto ncdu = RunQvl({"export", dir / "cut.qvl", "--format", "ncdu"});
  ASSERT_EQ(ncdu.status, 0) << ncdu.err;
  EXPECT_NE(ncdu.err.find("ends before its end mark"), std::string::npos);
  EXPECT_EQ(ncdu.out.substr(ncdu.out.find("\n[{\"name\":\"c:\"}")),
            "\n[{\"name\":\"c:\"},\n[{\"name\":\"D\xC3\xA9j\xC3\xA0\",\"name_hex\":\"44e96ae0\"},\n"
            "{\"name\":\"a\",\"asize\":1,\"dsize\":1},\n[{\"name\":\"In\"},\n{\"name\":\"b\",\"asize\":2,\"dsize\":2}]]]]\n");
  auto jsonl = RunQvl({"export", dir / "cut.qvl", "--format", "jsonl"});
  EXPECT_EQ(jsonl.out,
            "{\"path\":\"\\\\D\xC3\xA9j\xC3\xA0\\\\\",\"name\":\"a\",\"kind\":\"file\",\"size\":1,"
            "\"path_hex\":\"5c44e96ae05c\"}\n"
            "{\"path\":\"\\\\D\xC3\xA9j\xC3\xA0\\\\In\\\\\",\"name\":\"b\",\"kind\":\"file\",\"size\":2,"
            "\"path_hex\":\"5c44e96ae05c496e5c\"}\n");
}

// Catalogues listed with their companions: a file that kept its name and size but
// not its content is changed by hash and date, and is no copy of the other.
TEST(QvlReports, UseTheCompanionsDatesAndHashes) {
  TempDir dir;
  dir.MakeFile("drive/same.txt", "same bytes");
  dir.MakeFile("drive/edited.txt", "first text");
  auto list = [&](const std::string& output) {
    return RunQvl({"list", "t", "--map", "t=" + (dir / "drive"), "-o", dir / output, "--hash", "--if-exists",
                   "overwrite"});
  };
  ASSERT_EQ(list("old.qvl").status, 0);
  dir.MakeFile("drive/edited.txt", "other text");  // the same size
  const std::string later = "touch -d 2030-01-01T00:00:00Z '" + (dir / "drive/edited.txt") + "'";
  ASSERT_EQ(std::system(later.c_str()), 0);
  ASSERT_EQ(list("new.qvl").status, 0);
  auto diff = RunQvl({"diff", dir / "old.qvl", dir / "new.qvl"});
  EXPECT_EQ(diff.status, 1) << diff.err;
  EXPECT_EQ(diff.out, "changed\tF\t\\edited.txt\t10\t10\tdate,hash\n");
  auto dupes = RunQvl({"dupes", dir / "old.qvl", dir / "new.qvl"});
  EXPECT_EQ(dupes.status, 0) << dupes.err;
  EXPECT_EQ(dupes.out.find("edited.txt"), std::string::npos) << dupes.out;
  EXPECT_NE(dupes.out.find("same.txt"), std::string::npos) << dupes.out;
  auto exported = RunQvl({"export", dir / "new.qvl", "--format", "jsonl"});
  EXPECT_NE(exported.out.find("\"modified\":\"2030-01-01T00:00:00Z\""), std::string::npos) << exported.out;
  EXPECT_NE(exported.out.find("\"hash\":"), std::string::npos);
}

}  // namespace
}  // namespace qvl
