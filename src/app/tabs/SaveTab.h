#pragma once

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWidget>
#include <array>

#include "app/WindowState.h"
#include "app/dialogs/DialogAnswers.h"
#include "app/tabs/OneLineLabel.h"
#include "app/work/ListingTask.h"
#include "app/work/WorkProgress.h"
#include "app/work/Worker.h"
#include "platform/Drives.h"
#include "settings/Settings.h"

namespace qvl::app {

// The Save tab: a drive, an output file and a method, and "Create &List", which
// lists the drive into a plain list or a catalogue.
class SaveTab : public QWidget {
  Q_OBJECT
 public:
  SaveTab(WindowSettings& settings, const DriveTable& drives, StateKeeper& state,
          DialogAnswers::ReleaseCheck releaseOutput, QWidget* window);

  // Shows what the settings say; the settings follow the controls from then on.
  void ShowSettings();
  // Puts what the controls show into the settings, for saving.
  void KeepSettings();
  QPushButton& CreateListButton() { return createListButton_; }
  QGroupBox& MethodGroup() { return methodGroup_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 signals:
  // A catalogue was written: the window adds it to the history.
  void CatalogueWritten(const std::string& name);

 private:
  void BuildLayout();
  void MethodClicked(int item);
  void ShowMethod(std::optional<ListMethod> method);
  void BrowseForOutput();
  void CheckOutputExists();
  void CreateList();
  void ListingFinished(const ListingOutcome& outcome);
  // `what` takes the number of names.
  void ShowUnreadable(const QString& what, const std::vector<std::string>& names);
  ListMethod Method() const;

  WindowSettings& settings_;
  const DriveTable& drives_;
  StateKeeper& state_;
  DialogAnswers answers_;
  Worker worker_;
  WorkProgress progress_;

  QVBoxLayout layout_{this};
  QHBoxLayout columns_;
  QVBoxLayout leftColumn_;
  QVBoxLayout rightColumn_;
  QHBoxLayout commandRow_;
  QGroupBox fileGroup_{tr("File Information")};
  QGridLayout fileLayout_{&fileGroup_};
  QLabel driveLabel_{tr("List from drive:")};
  QComboBox driveCombo_;
  QLabel outputLabel_{tr("Output to file:")};
  QLineEdit outputFileEdit_;
  QToolButton outputBrowseButton_;
  QLabel foundFileLabel_;
  QGroupBox methodGroup_{tr("Method")};
  QVBoxLayout methodLayout_{&methodGroup_};
  QButtonGroup methodButtons_;
  std::array<QRadioButton, 4> methodRadios_;
  QStackedWidget includeStack_;
  QGroupBox includeGroup_{tr("Include")};
  QHBoxLayout includeLayout_{&includeGroup_};
  QCheckBox fileNameCheck_{tr("FileName")};
  QCheckBox fileSizeCheck_{tr("FileSize")};
  QCheckBox contentHashesCheck_{tr("Content hashes")};
  QLabel plainTextLabel_{tr("Plain Text File")};
  QCheckBox skipCommentCheck_{tr("Skip Comment")};
  QPushButton createListButton_{tr("Create &List")};
  OneLineLabel statusLine_;  // one text: the listing's progress, then "Listing complete"
};

}  // namespace qvl::app
