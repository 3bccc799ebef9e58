#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>
#include <string>

#include "listing/CreateListCommand.h"

namespace qvl::app {

// Answers the create-list command's questions with the window's dialogs. The
// command runs on a worker thread; each question is asked on the window's thread,
// with the normal cursor, while the worker waits for the answer.
class DialogAnswers final : public CreateListAnswers {
 public:
  using ReleaseCheck = std::function<bool(const std::string& output)>;
  DialogAnswers(QWidget* window, ReleaseCheck releaseOutput)
      : window_(window), releaseOutput_(std::move(releaseOutput)) {}

  bool ReleaseOutput(const std::string& output) override;
  OutputChoice OutputExists(const std::string& output, ListMethod method) override;
  std::optional<CommentLines> AskComment() override;

 private:
  template <class Question>
  auto AskOnWindowThread(Question question) -> decltype(question());

  QPointer<QWidget> window_;
  ReleaseCheck releaseOutput_;
};

}  // namespace qvl::app
