#include "app/RowStream.h"

#include <QMetaObject>
#include <memory>

namespace qvl::app {
namespace {

constexpr std::size_t kBatchRows = 4096;
constexpr auto kBatchInterval = std::chrono::milliseconds(100);

}  // namespace

void RowStream::ClearListView() {
  pending_.ClearListView();
  QMetaObject::invokeMethod(model_, [model = model_] { if (model) model->ClearListView(); }, Qt::QueuedConnection);
}

void RowStream::AddRow(const ListRowView& row) {
  pending_.AddListRow(row);
  if (pending_.Size() >= kBatchRows || std::chrono::steady_clock::now() - lastSent_ >= kBatchInterval) Flush();
}

void RowStream::TakeBatch(ListRowBatch& batch) {
  Flush();
  Send(std::move(batch));
  batch = ListRowBatch();
}

void RowStream::Flush() {
  if (pending_.Size() == 0) return;
  Send(std::move(pending_));
  pending_ = ListRowBatch();
}

void RowStream::Send(ListRowBatch&& batch) {
  lastSent_ = std::chrono::steady_clock::now();
  auto rows = std::make_shared<ListRowBatch>(std::move(batch));
  QMetaObject::invokeMethod(
      model_, [model = model_, rows] { if (model) model->TakeBatch(*rows); }, Qt::QueuedConnection);
}

}  // namespace qvl::app
