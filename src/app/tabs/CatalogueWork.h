#pragma once

#include <QObject>
#include <QString>
#include <optional>
#include <string>

#include "app/WindowState.h"
#include "app/model/ListModel.h"
#include "app/work/RowFeed.h"
#include "app/work/WorkProgress.h"
#include "app/work/Worker.h"
#include "browse/Catalogue.h"
#include "catalogue/Tags.h"
#include "search/QuickFind.h"

class QWidget;

namespace qvl::app {

// The Browse view's work on its catalogue, each run on the worker as an activity
// of the window: opening a catalogue, merging another into it, and the quick find.
// Each begins only while the list is free (false otherwise, changing nothing) and
// tells its end; errors are shown here.
class CatalogueWork : public QObject {
  Q_OBJECT
 public:
  struct Shared {
    Catalogue& catalogue;  // the catalogue open for browsing
    ListModel& model;
    RowFeed& feed;
    StateKeeper& state;
    QWidget* window;  // the parent of the messages
  };
  explicit CatalogueWork(Shared shared);

  // Opens the catalogue file `name`. A file that is no catalogue is refused, and
  // the catalogue open stays; one cut short is opened with a warning.
  bool Open(const std::string& name);
  // Merges the catalogue file `source` into the open one, then opens that again.
  bool Import(const std::string& source, const std::optional<CommentLines>& comment);
  // Finds `text` in the open catalogue; the rows reach the list as they are found.
  bool QuickFind(const std::string& text);

  WorkProgress& Progress() { return progress_; }

 signals:
  void LoadEnded();  // well or not
  void Opened();     // a catalogue has been opened for browsing
  void Imported();  // the merge has ended, well or not: the folder shown is listed again
  // The quick find has ended; `closingText` is empty when it failed.
  void Found(const QString& closingText);

 private:
  // The window's state after the work ended, then what to do on the window's thread.
  void Ended(Activity activity, const QString& error);

  Shared shared_;
  Worker worker_;
  WorkProgress progress_;
};

}  // namespace qvl::app
