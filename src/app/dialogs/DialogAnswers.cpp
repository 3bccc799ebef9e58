#include "app/dialogs/DialogAnswers.h"

#include <QApplication>
#include <QThread>

#include "app/dialogs/CommentDialog.h"
#include "app/dialogs/OutputExistsDialog.h"

namespace qvl::app {
namespace {

// The busy cursor of a running command gives way to the normal one while a
// question waits for the user.
class NormalCursor {
 public:
  NormalCursor() {
    while (QApplication::overrideCursor() != nullptr) {
      QApplication::restoreOverrideCursor();
      ++restored_;
    }
  }
  ~NormalCursor() {
    for (int i = 0; i < restored_; ++i) QApplication::setOverrideCursor(Qt::WaitCursor);
  }
  NormalCursor(const NormalCursor&) = delete;
  NormalCursor& operator=(const NormalCursor&) = delete;

 private:
  int restored_ = 0;
};

}  // namespace

template <class Question>
auto DialogAnswers::AskOnWindowThread(Question question) -> decltype(question()) {
  using Answer = decltype(question());
  Answer answer{};
  auto ask = [&] {
    NormalCursor cursor;
    answer = question();
  };
  if (window_ == nullptr || QThread::currentThread() == window_->thread())
    ask();
  else
    QMetaObject::invokeMethod(window_, ask, Qt::BlockingQueuedConnection);
  return answer;
}

bool DialogAnswers::ReleaseOutput(const std::string& output) {
  if (!releaseOutput_) return true;
  return AskOnWindowThread([&] { return releaseOutput_(output); });
}

OutputChoice DialogAnswers::OutputExists(const std::string&, ListMethod method) {
  return AskOnWindowThread([&] { return OutputExistsDialog::Ask(method, window_); });
}

std::optional<CommentLines> DialogAnswers::AskComment() {
  return AskOnWindowThread([&] { return CommentDialog::Ask(window_); });
}

}  // namespace qvl::app
