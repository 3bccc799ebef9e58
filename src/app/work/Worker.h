#pragma once

#include <QObject>
#include <QString>
#include <QThread>
#include <functional>
#include <memory>
#include <string>

namespace qvl::app {

// The one way the window runs core work off its thread, so that it keeps
// answering: the work runs on a thread of its own, and `done` runs once on the
// window's thread when it has ended, with the message of what it threw (empty when
// it ran to the end). Destroying a worker waits for its thread.
class Worker : public QObject {
  Q_OBJECT
 public:
  explicit Worker(QObject* parent = nullptr) : QObject(parent) {}
  ~Worker() override;
  Worker(const Worker&) = delete;
  Worker& operator=(const Worker&) = delete;

  // False, and nothing runs, while earlier work runs.
  bool Start(std::function<void()> work, std::function<void(const QString& error)> done);
  bool Running() const { return thread_ != nullptr; }

 private:
  void Finished();

  std::unique_ptr<QThread> thread_;
  std::function<void(const QString&)> done_;
  std::string error_;  // written by the worker, read once its thread has finished
};

}  // namespace qvl::app
