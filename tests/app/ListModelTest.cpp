// The list view's model: its rows, their icons and their order.
#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>
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
    QCOMPARE(model.columnCount(), 5);
    for (int column = 0; column < 5; ++column) {
      static const char* const kHeaders[] = {"Filename", "FileSize", "Path", "Archive", "Modified"};
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

    StagedRows batch;
    batch.AddListRow(FileRow("c.txt", "1", "\\Docs\\"));
    batch.AddListRow(FolderRow("Sub"));
    model.TakeBatch(batch);
    QCOMPARE(batch.Size(), std::size_t{0});
    QCOMPARE(model.rowCount(), 5);
    QCOMPARE(model.FileCount(), 2);
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

  void ShowsNamesInTheirCodePage() {
    ListModel model;
    model.AddListRow(FileRow("\xE9t\xE9.txt", "", "\\\xE9t\xE9\\"));
    model.AddListRow(FileRow("caf\xC3\xA9"));
    QCOMPARE(model.data(model.index(0, 0)).toString(), QString::fromUtf8("\u00e9t\u00e9.txt"));
    QCOMPARE(model.data(model.index(0, 2)).toString(), QString::fromUtf8("\\\u00e9t\u00e9\\"));
    QCOMPARE(model.data(model.index(1, 0)).toString(), QString::fromUtf8("caf\u00e9"));
    QCOMPARE(model.Caption(0), std::string("\xE9t\xE9.txt"));
  }

  // The numbering is the core's (FileTypeImages); here: the pictures behind the numbers.
  void IconsComeFromTheDesktopOncePerExtension() {
    ListModel model;
    const FileTypeIcons& icons = model.Icons();
    Fill(model, {FolderRow("Docs"), FileRow("a.exe", "", "\\Docs\\"), FileRow("readme"), FileRow("setup.ini"),
                 FileRow("x.dll"), FileRow("notes.txt"), FileRow("photo.png")});
    for (int row = 0; row < model.RowCountFast(); ++row) model.ImageOf(row);
    // The settings file and the library show copies of the built-in pictures; no
    // extension shows the generic page.
    QCOMPARE(icons.Icon(model.ImageOf(3)).cacheKey(), icons.Icon(FileTypeImages::kIni).cacheKey());
    QCOMPARE(icons.Icon(model.ImageOf(4)).cacheKey(), icons.Icon(FileTypeImages::kDll).cacheKey());
    QCOMPARE(icons.Icon(model.ImageOf(2)).cacheKey(), icons.Icon(FileTypeImages::kGeneric).cacheKey());
    for (int image : {0, 1, 2, 4}) QVERIFY(!icons.Icon(image).pixmap(16).isNull());
    // Without a desktop's icon theme, types still get pictures of their own.
    const qint64 text = icons.Icon(model.ImageOf(5)).cacheKey(), picture = icons.Icon(model.ImageOf(6)).cacheKey();
    QVERIFY(text != icons.Icon(FileTypeImages::kGeneric).cacheKey());
    QVERIFY(text != picture);

    auto decoration = [&](int row, int column) {
      return qvariant_cast<QIcon>(model.data(model.index(row, column), Qt::DecorationRole)).cacheKey();
    };
    QCOMPARE(decoration(0, 0), icons.Icon(0).cacheKey());
    QCOMPARE(decoration(1, 2), icons.Icon(0).cacheKey());  // a hit's folder shows the folder
    QVERIFY(model.data(model.index(2, 2), Qt::DecorationRole).isNull());
  }

  void ViewsHearOfRowsInParts() {
    ListModel model;
    StagedRows batch;
    for (int i = 0; i < 10; ++i) batch.AddListRow(FileRow("x", "1", "\\D\\"));
    model.StoreBatch(batch);
    QCOMPARE(model.RowCountFast(), 0);  // stored, not shown yet
    QSignalSpy inserts(&model, &QAbstractItemModel::rowsInserted);
    model.ShowStoredRows(4);
    model.ShowStoredRows();
    QCOMPARE(inserts.count(), 2);
    QCOMPARE(inserts[1][1].toInt(), 4);
    QCOMPARE(inserts[1][2].toInt(), 9);
    QCOMPARE(model.RowsWaiting(), std::size_t{0});
  }
};

QVL_WINDOW_TEST(ListModelTest)
#include "ListModelTest.moc"
