#pragma once

#include <QObject>
#include <QString>
#include <QThread>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/dialogs/DialogAnswers.h"
#include "listing/CreateListCommand.h"

namespace qvl::app {

// One run of the create-list command on a worker thread, so that the window keeps
// answering through a walk of millions of files. Status texts reach the window at
// most about ten times a second; the command's questions are asked on the window's
// thread (DialogAnswers). Destroying a run waits for its thread.
class ListingRun : public QObject {
  Q_OBJECT
 public:
  struct Outcome {
    bool complete = false;        // "Listing complete"; false when cancelled or failed
    bool lockedOutput = false;    // the output could not be created or opened
    std::string error;            // what stopped the command, for the error report
    std::string reason;           // the system's reason beside the locked-output message
    std::optional<std::string> catalogue;  // a catalogue written, for the history
    std::vector<std::string> unreadable;   // folders listed as empty: "C:\x\: reason"
  };

  ListingRun(QWidget* window, DialogAnswers::ReleaseCheck releaseOutput);
  ~ListingRun() override;
  ListingRun(const ListingRun&) = delete;
  ListingRun& operator=(const ListingRun&) = delete;

  // Starts the command; false when one is running already.
  bool Start(CreateListRequest request);
  bool Running() const { return thread_ != nullptr; }

 signals:
  void Status(const QString& text);
  void Finished(const qvl::app::ListingRun::Outcome& outcome);

 private:
  void Run(const CreateListRequest& request);
  void Done();

  DialogAnswers answers_;
  std::unique_ptr<QThread> thread_;
  Outcome outcome_;  // written by the worker, read once its thread has finished
};

}  // namespace qvl::app
