// The list view's model: its rows, their icons and their order.
#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>
#include <random>
#include <string>
#include <vector>

#include "app/WindowTests.h"
#include "app/model/ListModel.h"

using namespace qvl;
using namespace qvl::app;

namespace {

using Strings = std::vector<std::string>;

ListRowView FileRow(std::string_view name, std::string_view size = {}, std::string_view path = {},
                    std::string_view archive = {}) {
  return {.isFolder = false, .caption = name, .fileSize = size, .path = path, .archive = archive};
}
ListRowView FolderRow(std::string_view name) { return {.isFolder = true, .caption = name}; }

Strings Captions(const ListModel& model) {
  Strings captions;
  for (int row = 0; row < model.RowCountFast(); ++row) captions.push_back(model.Caption(row));
  return captions;
}

void Fill(ListModel& model, const std::vector<ListRowView>& rows) {
  model.ClearListView();
  for (const auto& row : rows) model.AddListRow(row);
}

}  // namespace

class ListModelTest : public QObject {
  Q_OBJECT
 private slots:
  void StaysAConsistentModelThroughEveryChange() {
    ListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(model.columnCount(), 4);
    for (int column = 0; column < 4; ++column) {
      static const char* const kHeaders[] = {"Filename", "FileSize", "Path", "Archive"};
      QCOMPARE(model.headerData(column, Qt::Horizontal).toString(), QString::fromLatin1(kHeaders[column]));
    }
    model.AddListRow(FolderRow("Docs"));
    model.AddListRow(FileRow("b.txt", "12", "\\Docs\\", "disk.qvl"));
    model.AddListRow({.isFolder = true, .caption = "Old", .fileSize = "99"});  // a folder shows no size
    QCOMPARE(model.rowCount(), 3);
    QCOMPARE(model.data(model.index(2, 1)).toString(), QString());
    QCOMPARE(model.data(model.index(1, 2)).toString(), QStringLiteral("\\Docs\\"));
    QCOMPARE(model.data(model.index(1, 3)).toString(), QStringLiteral("disk.qvl"));
    QCOMPARE(model.flags(model.index(1, 0)) & (Qt::ItemIsEditable | Qt::ItemIsSelectable),
             Qt::ItemFlags(Qt::ItemIsSelectable));
    QCOMPARE(model.FileCount(), 1);

    // A persistent index follows its row through a sort.
    QPersistentModelIndex file(model.index(1, 2));
    RowOrder order;
    model.Sort(order);  // folders first, descending
    QCOMPARE(Captions(model), (Strings{"Old", "Docs", "b.txt"}));
    QCOMPARE(file.row(), 2);
    QCOMPARE(file.column(), 2);

    ListRowBatch batch;
    batch.AddListRow(FileRow("c.txt", "1", "\\Docs\\"));
    batch.AddListRow(FolderRow("Sub"));
    model.TakeBatch(batch);
    QCOMPARE(batch.Size(), std::size_t{0});
    QCOMPARE(model.rowCount(), 5);
    QCOMPARE(model.FileCount(), 2);
    batch.AddListRow(FileRow("d.txt"));
    model.ReplaceRows(batch);
    QCOMPARE(Captions(model), (Strings{"d.txt"}));
    QCOMPARE(model.FileCount(), 1);
    model.ClearListView();
    QCOMPARE(model.rowCount(), 0);
    QCOMPARE(model.FileCount(), 0);
    model.TakeBatch(batch);  // an empty batch changes nothing
    QCOMPARE(model.rowCount(), 0);
  }

  void ShowingAFolderResetsOnce() {
    ListModel model;
    Fill(model, {FileRow("old.txt")});
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    QSignalSpy inserts(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy layouts(&model, &QAbstractItemModel::layoutChanged);
    model.BeginReset();
    model.ClearListView();
    model.AddListRow(FileRow("a.txt", "5"));
    model.AddListRow(FolderRow("zeta"));
    model.AddListRow(FileRow("b.txt", "7"));
    model.Sort(RowOrder());
    QCOMPARE(model.RowCountFast(), 3);
    QCOMPARE(resets.count(), 0);
    model.EndReset();
    QCOMPARE(resets.count(), 1);
    QCOMPARE(inserts.count(), 0);
    QCOMPARE(layouts.count(), 0);
    QCOMPARE(Captions(model), (Strings{"zeta", "b.txt", "a.txt"}));
    QCOMPARE(model.FileCount(), 2);
  }

  void ABatchArrivesWithOneInsert() {
    ListModel model;
    model.AddListRow(FolderRow("first"));
    QSignalSpy inserts(&model, &QAbstractItemModel::rowsInserted);
    // Through the core's interface, as a search hands its batches on.
    std::unique_ptr<RowBatch> batch = model.NewBatch();
    for (int i = 0; i < 10000; ++i) {
      std::string name = "file" + std::to_string(i) + ".txt";
      batch->AddListRow(FileRow(name, std::to_string(i), "\\Some\\Folder\\", "disk.qvl"));
    }
    model.AddBatch(*batch);
    QCOMPARE(inserts.count(), 1);
    QCOMPARE(inserts[0][1].toInt(), 1);
    QCOMPARE(inserts[0][2].toInt(), 10000);
    QCOMPARE(model.RowCountFast(), 10001);
    QCOMPARE(model.FileCount(), 10000);
    QCOMPARE(model.Caption(10000), std::string("file9999.txt"));
    QCOMPARE(model.data(model.index(10000, 1)).toString(), QStringLiteral("9999"));
    QCOMPARE(model.data(model.index(10000, 2)).toString(), QStringLiteral("\\Some\\Folder\\"));
    QCOMPARE(model.ImageOf(10000), model.ImageOf(1));
    QVERIFY(model.ImageOf(1) >= FileTypeImages::kFirstExtension);
  }

  void SharedTextsAreStoredOnce() {
    const std::string folder = "\\" + std::string(300, 'p') + "\\";
    const std::string catalogue(200, 'c');
    ListModel model;
    model.AddListRow(FileRow("x", "", folder, catalogue));
    std::size_t before = model.MemoryBytes(), textsBefore = model.TextBytes();
    for (int i = 0; i < 1000; ++i) model.AddListRow(FileRow("name" + std::to_string(i % 10), "12", folder, catalogue));
    // The arena grew by the names and sizes only; the rest is the rows' fixed part.
    QCOMPARE(model.TextBytes() - textsBefore, std::size_t{1000 * 7});
    QVERIFY2(model.MemoryBytes() - before < 1000 * 100, qPrintable(QString::number(model.MemoryBytes() - before)));

    // Batches made apart share the model's one copy too.
    ListRowBatch batch;
    before = model.MemoryBytes();
    for (int round = 0; round < 10; ++round) {
      for (int i = 0; i < 100; ++i) batch.AddListRow(FileRow("y", "", folder, catalogue));
      model.TakeBatch(batch);
    }
    QVERIFY2(model.MemoryBytes() - before < 1000 * 100, qPrintable(QString::number(model.MemoryBytes() - before)));
    QCOMPARE(model.data(model.index(1500, 2)).toString(), QString::fromStdString(folder));
    QCOMPARE(model.Row(1500).archive, std::string_view(catalogue));
  }

  void ShowsNamesInTheirCodePage() {
    ListModel model;
    model.AddListRow(FileRow("\xE9t\xE9.txt", "", "\\\xE9t\xE9\\"));
    model.AddListRow(FileRow("caf\xC3\xA9"));
    QCOMPARE(model.data(model.index(0, 0)).toString(), QString::fromUtf8("\u00e9t\u00e9.txt"));
    QCOMPARE(model.data(model.index(0, 2)).toString(), QString::fromUtf8("\\\u00e9t\u00e9\\"));
    QCOMPARE(model.data(model.index(1, 0)).toString(), QString::fromUtf8("caf\u00e9"));
    QCOMPARE(model.Caption(0), std::string("\xE9t\xE9.txt"));
  }

  void IconsAreNumberedOncePerExtension() {
    ListModel model;
    const FileTypeIcons& icons = model.Icons();
    Fill(model, {FolderRow("Docs"), FileRow("a.exe", "", "\\Docs\\"), FileRow("B.EXE"), FileRow("readme"),
                 FileRow("archive."), FileRow("LICENSE"), FileRow("backup."), FileRow("setup.ini"),
                 FileRow("x.dll"), FileRow("SETUP.INI")});
    QCOMPARE(model.ImageOf(0), 0);
    QCOMPARE(model.ImageOf(1), 5);
    QCOMPARE(model.ImageOf(2), 5);
    QCOMPARE(model.ImageOf(3), 6);
    QCOMPARE(model.ImageOf(4), 7);
    QCOMPARE(model.ImageOf(5), 6);
    QCOMPARE(model.ImageOf(6), 7);
    QCOMPARE(model.ImageOf(7), 8);
    QCOMPARE(model.ImageOf(8), 9);
    QCOMPARE(model.ImageOf(9), 8);
    QCOMPARE(icons.ImageCount(), 10);
    // The settings file and the library show copies of the built-in pictures.
    QCOMPARE(icons.Icon(8).cacheKey(), icons.Icon(1).cacheKey());
    QCOMPARE(icons.Icon(9).cacheKey(), icons.Icon(2).cacheKey());
    QCOMPARE(icons.Icon(6).cacheKey(), icons.Icon(4).cacheKey());  // no extension: the generic page
    for (int image : {0, 1, 2, 4}) QVERIFY(!icons.Icon(image).pixmap(16).isNull());

    // The images outlive the rows: a later list reuses them.
    Fill(model, {FileRow("other.EXE"), FileRow("new.ini")});
    QCOMPARE(model.ImageOf(0), 5);
    QCOMPARE(model.ImageOf(1), 8);
    QCOMPARE(icons.ImageCount(), 10);

    auto decoration = [&](int row, int column) {
      return qvariant_cast<QIcon>(model.data(model.index(row, column), Qt::DecorationRole)).cacheKey();
    };
    Fill(model, {FolderRow("Docs"), FileRow("a.exe", "", "\\Docs\\"), FileRow("b.exe")});
    QCOMPARE(decoration(0, 0), icons.Icon(0).cacheKey());
    QCOMPARE(decoration(1, 0), icons.Icon(5).cacheKey());
    QCOMPARE(decoration(1, 2), icons.Icon(0).cacheKey());  // a hit's folder shows the folder
    QVERIFY(model.data(model.index(2, 2), Qt::DecorationRole).isNull());
  }

  void OrdersRowsAsTheHeaderClicksSay() {
    ListModel model;
    RowOrder order;
    // Start-up: descending, folders first.
    Fill(model, {FileRow("b.txt"), FolderRow("Alpha"), FileRow("A.txt"), FolderRow("zeta")});
    model.Sort(order);
    QCOMPARE(Captions(model), (Strings{"zeta", "Alpha", "b.txt", "A.txt"}));
    order.ColumnClick(Column::Filename);
    model.Sort(order);
    QCOMPARE(Captions(model), (Strings{"Alpha", "zeta", "A.txt", "b.txt"}));

    // Sizes sort as text; folders (no size) first ascending, last descending.
    Fill(model, {FileRow("nine", "9"), FolderRow("dir"), FileRow("hundred", "100"), FileRow("ten", "10")});
    order.ColumnClick(Column::FileSize);
    model.Sort(order);
    QCOMPARE(Captions(model), (Strings{"dir", "ten", "hundred", "nine"}));
    order.ColumnClick(Column::FileSize);
    model.Sort(order);
    QCOMPARE(Captions(model), (Strings{"nine", "hundred", "ten", "dir"}));

    // Each column keeps its own direction: Filename was left ascending above, so
    // Path and then Filename again give Filename descending.
    Fill(model, {FileRow("a", "", "\\B\\"), FileRow("c", "", "\\a\\"), FileRow("b", "", "\\C\\")});
    order.ColumnClick(Column::Path);
    model.Sort(order);
    QCOMPARE(Captions(model), (Strings{"c", "a", "b"}));
    order.ColumnClick(Column::Filename);
    model.Sort(order);
    QCOMPARE(Captions(model), (Strings{"c", "b", "a"}));

    // Underscores after letters and digits before them; case alone is no difference.
    Fill(model, {FileRow("_under"), FileRow("letter"), FileRow("9digit"), FileRow("SAME"), FileRow("same"),
                 FileRow("Same")});
    order.ColumnClick(Column::Filename);  // ascending
    model.Sort(order);
    QCOMPARE(Captions(model), (Strings{"9digit", "letter", "SAME", "same", "Same", "_under"}));
  }

  void SortsAsTheCoreDoes() {
    // The model's shortcut on the first bytes must agree with the core's comparison:
    // short names, names equal in their first eight or sixteen bytes, bytes that fold, zero bytes.
    std::mt19937 random(7);
    const std::string alphabet("aAbB_z9.\xE9\0", 10);
    auto text = [&](std::size_t most) {
      std::string made(random() % (most + 1), ' ');
      for (char& c : made) c = alphabet[random() % alphabet.size()];
      return made;
    };
    std::vector<ListRow> rows;
    for (int i = 0; i < 600; ++i) {
      bool folder = random() % 4 == 0;
      rows.push_back({folder, "a_common_prefix" + text(6), folder ? "" : text(3), text(20), text(2)});
      if (i % 5 == 0) rows.back().caption = text(3);
    }
    ListModel model;
    RowOrder order;
    std::vector<ListRow> expected = rows;
    for (Column column : {Column::Filename, Column::FileSize, Column::Path, Column::Archive, Column::Filename,
                          Column::Path, Column::FileSize, Column::Archive}) {
      model.BeginReset();
      model.ClearListView();
      for (const auto& row : rows) {
        model.AddListRow({.isFolder = row.isFolder, .caption = row.caption, .fileSize = row.fileSize,
                          .path = row.path, .archive = row.archive});
      }
      model.EndReset();
      order.ColumnClick(column);
      model.Sort(order);
      expected = rows;
      order.Sort(expected);
      for (int i = 0; i < model.RowCountFast(); ++i) {
        ListRowView row = model.Row(i);
        QVERIFY2(row.caption == expected[static_cast<std::size_t>(i)].caption &&
                     row.path == expected[static_cast<std::size_t>(i)].path &&
                     row.archive == expected[static_cast<std::size_t>(i)].archive,
                 qPrintable(QStringLiteral("row %1 by column %2").arg(i).arg(static_cast<int>(column))));
      }
    }
  }
};

QVL_WINDOW_TEST(ListModelTest)
#include "ListModelTest.moc"
