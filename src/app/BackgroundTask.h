#pragma once

#include <QObject>
#include <QString>
#include <QThread>
#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "platform/Progress.h"

namespace qvl::app {

// Work of the core run on a worker thread, so that the window keeps answering:
// Finished comes on the window's thread, with the message of what the work threw
// (empty when it ran to the end). Destroying a task waits for its thread.
class BackgroundTask : public QObject {
  Q_OBJECT
 public:
  explicit BackgroundTask(QObject* parent = nullptr) : QObject(parent) {}
  ~BackgroundTask() override;
  BackgroundTask(const BackgroundTask&) = delete;
  BackgroundTask& operator=(const BackgroundTask&) = delete;

  // Starts the work; false when a task is running already.
  bool Start(std::function<void()> work);
  bool Running() const { return thread_ != nullptr; }

 signals:
  void Finished(const QString& error);

 private:
  void Done();

  std::unique_ptr<QThread> thread_;
  std::string error_;  // written by the worker, read once its thread has finished
};

// Lowers the calling thread's share of the processor, and that of the threads it
// starts: on a machine with few cores the window's thread keeps answering however
// many workers a search runs.
void YieldToWindow();

// The core's progress reports as signals, which reach the window's thread queued
// when they are sent from a worker: percentages when they change, status texts at
// most about ten times a second.
class SignalProgress : public QObject, public Progress {
  Q_OBJECT
 public:
  explicit SignalProgress(QObject* parent = nullptr) : QObject(parent) {}
  void Status(std::string_view text) override;
  void Percent(int percent) override;
  void TotalPercent(int percent) override;
  // Starts a new piece of work: every report goes out again.
  void Reset();

 signals:
  void StatusChanged(const QString& text);
  void PercentChanged(int percent);
  void TotalPercentChanged(int percent);

 private:
  std::atomic<int> lastPercent_{-1};
  std::atomic<int> lastTotal_{-1};
  std::atomic<long long> lastStatusTime_{0};
};

}  // namespace qvl::app
