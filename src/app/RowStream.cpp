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
  pendingRows_ = 0;
  QMetaObject::invokeMethod(model_, [model = model_] { if (model) model->ClearListView(); }, Qt::QueuedConnection);
}

void RowStream::AddRow(const ListRowView& row) {
  pending_.AddListRow(row);
  ++pendingRows_;
  if (pendingRows_ >= kBatchRows || std::chrono::steady_clock::now() - lastSent_ >= kBatchInterval) Flush();
}

void RowStream::TakeBatch(ListModel::Batch& batch) {
  Flush();
  Send(std::move(batch));
  batch = ListModel::Batch();
}

void RowStream::Flush() {
  if (pendingRows_ == 0) return;
  Send(std::move(pending_));
  pending_ = ListModel::Batch();
  pendingRows_ = 0;
}

void RowStream::Send(ListModel::Batch&& batch) {
  lastSent_ = std::chrono::steady_clock::now();
  auto rows = std::make_shared<ListModel::Batch>(std::move(batch));
  QMetaObject::invokeMethod(
      model_, [model = model_, rows] { if (model) model->TakeBatch(*rows); }, Qt::QueuedConnection);
}

}  // namespace qvl::app
