// Fills the list model with a million rows in batches, as a search does, sorts it by
// Filename and by FileSize, and measures its storage.
//
//   list_model_bench [ROWS]
// prints the milliseconds to add and to sort, and the bytes a row takes beyond its texts.
#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/model/ListModel.h"

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  const long rows = argc > 1 ? std::atol(argv[1]) : 1'000'000;
  constexpr long kBatchRows = 2048;
  constexpr int kPaths = 1000;

  // The texts first, so that only the model is timed.
  std::vector<std::string> paths;
  for (int i = 0; i < kPaths; ++i) paths.push_back("\\Data\\Projects\\folder" + std::to_string(i) + "\\");
  std::vector<std::string> names, sizes;
  std::size_t textBytes = 0;
  for (long i = 0; i < rows; ++i) {
    names.push_back("file" + std::to_string((i * 7919) % rows) + ".txt");
    sizes.push_back(std::to_string((i * 104729) % 10'000'000));
    textBytes += names.back().size() + sizes.back().size();
  }
  for (const auto& path : paths) textBytes += path.size();

  qvl::app::ListModel model;
  qvl::StagedRows batch;
  QElapsedTimer clock;
  clock.start();
  for (long i = 0; i < rows; ++i) {
    // Consecutive hits come from one folder, as a search finds them.
    const std::string& path = paths[static_cast<std::size_t>(i * kPaths / rows)];
    batch.AddListRow({.isFolder = false, .caption = names[static_cast<std::size_t>(i)],
                      .fileSize = sizes[static_cast<std::size_t>(i)], .path = path, .archive = "disk.qvl"});
    if (batch.Size() == kBatchRows) model.TakeBatch(batch);
  }
  model.TakeBatch(batch);
  const qint64 addMs = clock.restart();

  qvl::RowOrder order;
  order.ColumnClick(qvl::Column::Filename);
  model.Sort(order);
  const qint64 byNameMs = clock.restart();
  order.ColumnClick(qvl::Column::FileSize);
  model.Sort(order);
  const qint64 bySizeMs = clock.restart();

  const double beyondTexts =
      (static_cast<double>(model.MemoryBytes()) - static_cast<double>(textBytes)) / static_cast<double>(rows);
  std::printf("rows %ld: add %lld ms, sort by Filename %lld ms, by FileSize %lld ms; %.1f bytes a row beyond the "
              "texts (%.1f MB held)\n",
              rows, static_cast<long long>(addMs), static_cast<long long>(byNameMs),
              static_cast<long long>(bySizeMs), beyondTexts, static_cast<double>(model.MemoryBytes()) / 1e6);
  return model.RowCountFast() == rows ? 0 : 1;
}
