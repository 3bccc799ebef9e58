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
  void ShowUnreadable(const std::vector<std::string>& folders);
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
  QGroupBox fileGroup_{QStringLiteral("File Information")};
  QGridLayout fileLayout_{&fileGroup_};
  QLabel driveLabel_{QStringLiteral("List from drive:")};
  QComboBox driveCombo_;
  QLabel outputLabel_{QStringLiteral("Output to file:")};
  QLineEdit outputFileEdit_;
  QToolButton outputBrowseButton_;
  QLabel foundFileLabel_;
  QGroupBox methodGroup_{QStringLiteral("Method")};
  QVBoxLayout methodLayout_{&methodGroup_};
  QButtonGroup methodButtons_;
  std::array<QRadioButton, 4> methodRadios_;
  QStackedWidget includeStack_;
  QGroupBox includeGroup_{QStringLiteral("Include")};
  QHBoxLayout includeLayout_{&includeGroup_};
  QCheckBox fileNameCheck_{QStringLiteral("FileName")};
  QCheckBox fileSizeCheck_{QStringLiteral("FileSize")};
  QLabel plainTextLabel_{QStringLiteral("Plain Text File")};
  QCheckBox skipCommentCheck_{QStringLiteral("Skip Comment")};
  QPushButton createListButton_{QStringLiteral("Create &List")};
  OneLineLabel statusLine_;  // one text: the listing's progress, then "Listing complete"
};

}  // namespace qvl::app
