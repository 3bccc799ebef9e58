#include "app/BackgroundTask.h"

#include <sys/resource.h>

#include <chrono>

#include "app/QtText.h"

namespace qvl::app {

BackgroundTask::~BackgroundTask() {
  if (thread_) thread_->wait();
}

bool BackgroundTask::Start(std::function<void()> work) {
  if (thread_) return false;
  error_.clear();
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
  connect(thread_.get(), &QThread::finished, this, &BackgroundTask::Done);
  thread_->start();
  return true;
}

void YieldToWindow() {
  // On Linux a nice value belongs to the thread (0: the calling one), and threads it
  // starts inherit it. Failing to lower it costs nothing but smoothness.
  (void)::setpriority(PRIO_PROCESS, 0, 10);
}

void BackgroundTask::Done() {
  thread_->wait();
  thread_.reset();
  emit Finished(error_.empty() ? QString() : MessageText(error_));
}

void SignalProgress::Status(std::string_view text) {
  using namespace std::chrono;
  long long now = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
  if (now - lastStatusTime_.load() < 100) return;
  lastStatusTime_ = now;
  emit StatusChanged(FromCore(text));
}

void SignalProgress::Percent(int percent) {
  if (lastPercent_.exchange(percent) != percent) emit PercentChanged(percent);
}

void SignalProgress::TotalPercent(int percent) {
  if (lastTotal_.exchange(percent) != percent) emit TotalPercentChanged(percent);
}

void SignalProgress::Reset() {
  lastPercent_ = -1;
  lastTotal_ = -1;
  lastStatusTime_ = 0;
}

}  // namespace qvl::app
