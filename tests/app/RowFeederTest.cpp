// Rows on their way from workers to the list: batches taken whole, their buffers
// used again, the views told in parts, and a worker never left waiting.
#include <QSignalSpy>
#include <QTest>
#include <atomic>
#include <string>
#include <thread>

#include "app/RowStream.h"
#include "app/WindowTests.h"

using namespace qvl;
using namespace qvl::app;

namespace {

// Appending, not "text" + std::string: GCC 12 at -O3 warns falsely on that.
std::string Name(const char* prefix, int number) { return std::string(prefix).append(std::to_string(number)); }
std::string Folder(int i) {
  return std::string("\\Data\\").append(40, 'f').append(std::to_string(i)).append("\\");
}

// Row i of a batch: its folder is new to the list, or one the list has seen.
ListRowView Hit(const std::string& name, const std::string& folder) {
  return {.caption = name, .fileSize = "42", .path = folder, .archive = "disk.qvl"};
}

}  // namespace

class RowFeederTest : public QObject {
  Q_OBJECT
 private slots:
  void BatchesTakenWholeKeepEveryText() {
    ListModel model;
    ListRowBatch batch;
    // New folders (the batch's buffer joins the list), then folders seen before
    // (looked up), then one folder coming back within a batch; the batch is used
    // again each time, as the feeder does.
    for (int round = 0; round < 3; ++round) {
      for (int i = 0; i < 50; ++i) {
        int folder = round == 2 ? i % 2 : i;
        batch.AddListRow(Hit(Name("f", round * 50 + i), Folder(folder)));
      }
      model.StoreBatch(batch);
      batch.Prepare();
    }
    QCOMPARE(model.RowCountFast(), 0);  // stored, not shown yet
    model.ShowStoredRows();
    QCOMPARE(model.RowCountFast(), 150);
    for (int row = 0; row < 150; ++row) {
      int folder = row >= 100 ? row % 2 : row % 50;
      QCOMPARE(model.Caption(row), Name("f", row));
      QCOMPARE(std::string(model.Row(row).path), Folder(folder));
      QCOMPARE(std::string(model.Row(row).archive), std::string("disk.qvl"));
      QCOMPARE(std::string(model.Row(row).fileSize), std::string("42"));
    }
    // A sort reaches rows of every batch, and their texts stay theirs.
    RowOrder order;
    order.ColumnClick(Column::Filename);
    order.ColumnClick(Column::Filename);
    model.Sort(order);
    QCOMPARE(model.Caption(0), std::string("f99"));
    QCOMPARE(std::string(model.Row(0).path), Folder(49));
  }

  void ViewsHearOfRowsInParts() {
    ListModel model;
    ListRowBatch batch;
    for (int i = 0; i < 10; ++i) batch.AddListRow(Hit("x", Folder(0)));
    model.StoreBatch(batch);
    QSignalSpy inserts(&model, &QAbstractItemModel::rowsInserted);
    model.ShowStoredRows(4);
    model.ShowStoredRows();
    QCOMPARE(inserts.count(), 2);
    QCOMPARE(inserts[1][1].toInt(), 4);
    QCOMPARE(inserts[1][2].toInt(), 9);
    QCOMPARE(model.RowsWaiting(), std::size_t{0});
  }

  void AWorkerWaitsForRoomAndIsLetGoWhenTheWindowGoes() {
    ListModel model;
    RowFeeder feeder(model);
    std::atomic<int> pushed{0};
    auto pushMany = [&] {
      for (int i = 0; i < 200; ++i) {
        ListRowBatch batch = feeder.SpareBatch();
        batch.AddListRow(Hit(Name("n", i), Folder(i)));
        feeder.Push(std::move(batch));
        ++pushed;
      }
    };
    {
      // The window's thread takes the batches: every row arrives, in order.
      std::jthread worker(pushMany);
      QVERIFY(QTest::qWaitFor([&] { return pushed == 200; }, 10000));
    }
    bool idle = false;
    feeder.WhenIdle([&] { idle = true; });
    QVERIFY(QTest::qWaitFor([&] { return idle; }, 10000));
    QCOMPARE(model.RowCountFast(), 200);
    QCOMPARE(model.Caption(199), std::string("n199"));

    // The window's thread takes none: the worker waits, until the feeder is abandoned.
    pushed = 0;
    std::jthread worker(pushMany);
    QTest::qSleep(200);
    QVERIFY(pushed < 200);
    feeder.Abandon();
    worker.join();
    QCOMPARE(pushed.load(), 200);
  }
};

QVL_WINDOW_TEST(RowFeederTest)
#include "RowFeederTest.moc"
