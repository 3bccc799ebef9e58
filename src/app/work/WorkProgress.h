#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "search/SearchCatalogues.h"

namespace qvl::app {

// The one adapter from the core's progress reports on a worker to the window:
// signals, which reach the window's thread queued. Percentages go out when they
// change; status texts at most ten times a second, the rest dropped. Folders the
// walk could not read are kept for the end.
class WorkProgress : public QObject, public SearchProgress {
  Q_OBJECT
 public:
  explicit WorkProgress(QObject* parent = nullptr) : QObject(parent) {}

  void Status(std::string_view text) override;
  void Percent(int percent) override;
  void TotalPercent(int percent) override;
  void FileLabel(std::string_view text) override;
  void TotalLabel(std::string_view text) override;
  void FolderUnreadable(std::string_view listPath, std::string_view reason) override;
  void FileUnreadable(std::string_view listPath, std::string_view reason) override;

  // Starts a new piece of work: every report goes out again.
  void Reset();
  // The folders listed as empty since the Reset ("C:\x\: reason"), and the files
  // listed without their content hash.
  std::vector<std::string> TakeUnreadable();
  std::vector<std::string> TakeUnreadableFiles();

 signals:
  void StatusChanged(const QString& text);
  void PercentChanged(int percent);
  void TotalPercentChanged(int percent);
  void FileLabelChanged(const QString& text);
  void TotalLabelChanged(const QString& text);

 private:
  std::atomic<int> lastPercent_{-1};
  std::atomic<int> lastTotal_{-1};
  std::atomic<long long> lastStatusTime_{0};
  std::mutex mutex_;
  std::vector<std::string> unreadable_;
  std::vector<std::string> unreadableFiles_;
};

}  // namespace qvl::app
