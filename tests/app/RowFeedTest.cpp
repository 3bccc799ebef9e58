// Rows on their way from workers to the list: every row arrives in order, and a
// worker waits while the list falls behind but is never left waiting.
#include <QTest>
#include <atomic>
#include <string>
#include <thread>

#include "app/WindowTests.h"
#include "app/work/RowFeed.h"

using namespace qvl;
using namespace qvl::app;

class RowFeedTest : public QObject {
  Q_OBJECT
 private slots:
  void AWorkerWaitsForRoomAndIsLetGoWhenTheWindowGoes() {
    ListModel model;
    RowFeed feed(model);
    std::atomic<int> handed{0};
    auto handMany = [&] {
      RowFeed::Writer rows(feed);
      for (int i = 0; i < 200; ++i) {
        const std::string name = std::string("n").append(std::to_string(i));
        rows.AddListRow({.caption = name, .fileSize = "1", .path = "\\D\\"});
        rows.Flush();  // a batch a row: the queue fills
        ++handed;
      }
    };
    {
      // The window's thread takes the batches: every row arrives, in order.
      std::jthread worker(handMany);
      QVERIFY(QTest::qWaitFor([&] { return handed == 200; }, 10000));
    }
    bool idle = false;
    feed.WhenIdle([&] { idle = true; });
    QVERIFY(QTest::qWaitFor([&] { return idle; }, 10000));
    QCOMPARE(model.RowCountFast(), 200);
    QCOMPARE(model.Caption(199), std::string("n199"));

    // The window's thread takes none: the worker waits, until the feed is abandoned.
    handed = 0;
    std::jthread worker(handMany);
    QTest::qSleep(200);
    QVERIFY(handed < 200);
    feed.Abandon();
    worker.join();
    QCOMPARE(handed.load(), 200);
  }
};

QVL_WINDOW_TEST(RowFeedTest)
#include "RowFeedTest.moc"
