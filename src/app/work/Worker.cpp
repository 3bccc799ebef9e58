#include "app/work/Worker.h"

#include <sys/resource.h>

#include "app/QtText.h"

namespace qvl::app {
namespace {

// Lowers the worker's share of the processor, and that of the threads it starts
// (on Linux a nice value belongs to the thread, and is inherited): on a machine
// with few cores the window's thread keeps answering however many workers a
// search runs. Failing to lower it costs nothing but smoothness.
void YieldToWindow() { (void)::setpriority(PRIO_PROCESS, 0, 10); }

}  // namespace

Worker::~Worker() {
  if (thread_) thread_->wait();
}

bool Worker::Start(std::function<void()> work, std::function<void(const QString& error)> done) {
  if (thread_) return false;
  error_.clear();
  done_ = std::move(done);
  thread_.reset(QThread::create([this, work = std::move(work)] {
    YieldToWindow();
    try {
      work();
    } catch (const std::exception& error) {
      error_ = error.what();
      if (error_.empty()) error_ = "The work stopped with an error";
    } catch (...) {
      error_ = "The work stopped with an unknown error";
    }
  }));
  connect(thread_.get(), &QThread::finished, this, &Worker::Finished);
  thread_->start();
  return true;
}

void Worker::Finished() {
  thread_->wait();
  thread_.reset();
  auto done = std::exchange(done_, nullptr);
  if (done) done(error_.empty() ? QString() : MessageText(error_));
}

}  // namespace qvl::app
