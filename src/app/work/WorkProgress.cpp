#include "app/work/WorkProgress.h"

#include <chrono>

#include "app/QtText.h"

namespace qvl::app {

void WorkProgress::Status(std::string_view text) {
  using namespace std::chrono;
  const long long now = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
  if (now - lastStatusTime_.load() < 100) return;
  lastStatusTime_ = now;
  emit StatusChanged(FromCore(text));
}

void WorkProgress::Percent(int percent) {
  if (lastPercent_.exchange(percent) != percent) emit PercentChanged(percent);
}

void WorkProgress::TotalPercent(int percent) {
  if (lastTotal_.exchange(percent) != percent) emit TotalPercentChanged(percent);
}

void WorkProgress::FileLabel(std::string_view text) { emit FileLabelChanged(FromCore(text)); }

void WorkProgress::TotalLabel(std::string_view text) { emit TotalLabelChanged(FromCore(text)); }

void WorkProgress::FolderUnreadable(std::string_view listPath, std::string_view reason) {
  std::lock_guard lock(mutex_);
  unreadable_.push_back(std::string(listPath) + ": " + std::string(reason));
}

void WorkProgress::FileUnreadable(std::string_view listPath, std::string_view reason) {
  std::lock_guard lock(mutex_);
  unreadableFiles_.push_back(std::string(listPath) + ": " + std::string(reason));
}

void WorkProgress::Reset() {
  lastPercent_ = -1;
  lastTotal_ = -1;
  lastStatusTime_ = 0;
  std::lock_guard lock(mutex_);
  unreadable_.clear();
  unreadableFiles_.clear();
}

std::vector<std::string> WorkProgress::TakeUnreadable() {
  std::lock_guard lock(mutex_);
  return std::exchange(unreadable_, {});
}

std::vector<std::string> WorkProgress::TakeUnreadableFiles() {
  std::lock_guard lock(mutex_);
  return std::exchange(unreadableFiles_, {});
}

}  // namespace qvl::app
