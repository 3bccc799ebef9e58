#include "app/tabs/SaveTab.h"

#include <QApplication>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <filesystem>
#include <memory>

#include "app/ErrorReport.h"
#include "app/QtText.h"
#include "app/tabs/BrowseBars.h"
#include "platform/File.h"
#include "platform/Locale.h"
#include "settings/Version.h"

namespace qvl::app {
namespace {

// Translated where shown, in the Save tab's context.
constexpr std::array<const char*, 4> kMethodNames = {
    QT_TRANSLATE_NOOP("qvl::app::SaveTab", "Collapsed"), QT_TRANSLATE_NOOP("qvl::app::SaveTab", "Folders only"),
    QT_TRANSLATE_NOOP("qvl::app::SaveTab", "Folders and filenames"), QT_TRANSLATE_NOOP("qvl::app::SaveTab", ".QVL File")};

// The history records catalogues by their full name: a name relative to where the
// program happened to start would mean nothing to a later search.
std::string FullName(const std::string& name) {
  std::error_code error;
  auto full = std::filesystem::absolute(name, error);
  return error ? name : full.lexically_normal().string();
}

}  // namespace

SaveTab::SaveTab(WindowSettings& settings, const DriveTable& drives, StateKeeper& state,
                 DialogAnswers::ReleaseCheck releaseOutput, QWidget* window)
    : settings_(settings), drives_(drives), state_(state), answers_(window, std::move(releaseOutput)) {
  BuildLayout();
  for (const Drive& drive : drives_.Drives())
    driveCombo_.addItem(FromCore(DriveCaption(drive)), QChar::fromLatin1(drive.letter));

  connect(&methodButtons_, &QButtonGroup::idClicked, this, &SaveTab::MethodClicked);
  connect(&outputBrowseButton_, &QToolButton::clicked, this, &SaveTab::BrowseForOutput);
  connect(&createListButton_, &QPushButton::clicked, this, &SaveTab::CreateList);
  connect(&driveCombo_, &QComboBox::activated, this, [this](int index) {
    settings_.lastDrive = driveCombo_.itemData(index).toChar().toLatin1();
  });
  connect(&progress_, &WorkProgress::StatusChanged, &statusLine_, &OneLineLabel::SetText);
  outputFileEdit_.installEventFilter(this);
}

void SaveTab::BuildLayout() {
  outputFileEdit_.setObjectName(QStringLiteral("outputFileEdit"));
  driveCombo_.setObjectName(QStringLiteral("driveCombo"));
  outputBrowseButton_.setObjectName(QStringLiteral("outputBrowseButton"));
  foundFileLabel_.setObjectName(QStringLiteral("foundFileLabel"));
  fileNameCheck_.setObjectName(QStringLiteral("fileNameCheck"));
  fileSizeCheck_.setObjectName(QStringLiteral("fileSizeCheck"));
  plainTextLabel_.setObjectName(QStringLiteral("plainTextLabel"));
  includeGroup_.setObjectName(QStringLiteral("includeGroup"));
  skipCommentCheck_.setObjectName(QStringLiteral("skipCommentCheck"));
  contentHashesCheck_.setObjectName(QStringLiteral("contentHashesCheck"));
  contentHashesCheck_.setToolTip(tr("Read every file and keep a fingerprint of its content, to find copies"));
  createListButton_.setObjectName(QStringLiteral("createListButton"));
  statusLine_.setObjectName(QStringLiteral("saveStatusLine"));

  outputBrowseButton_.setToolTip(tr("Browse for File"));
  outputBrowseButton_.setIcon(ThemeIcon({"folder-open"}, QStyle::SP_DirOpenIcon, *this));
  fileLayout_.addWidget(&driveLabel_, 0, 0);
  fileLayout_.addWidget(&driveCombo_, 0, 1, 1, 2);
  fileLayout_.addWidget(&outputLabel_, 1, 0);
  fileLayout_.addWidget(&outputFileEdit_, 1, 1);
  fileLayout_.addWidget(&outputBrowseButton_, 1, 2);
  fileLayout_.addWidget(&foundFileLabel_, 2, 1, 1, 2);
  fileLayout_.setContentsMargins(6, 2, 6, 2);
  fileLayout_.setVerticalSpacing(2);

  for (int item = 0; item < 4; ++item) {
    methodRadios_[item].setText(tr(kMethodNames[item]));
    methodButtons_.addButton(&methodRadios_[item], item);
    methodLayout_.addWidget(&methodRadios_[item]);
  }
  methodRadios_[0].setObjectName(QStringLiteral("collapsedRadio"));
  methodRadios_[3].setObjectName(QStringLiteral("catalogueRadio"));
  methodLayout_.setContentsMargins(6, 0, 6, 0);
  methodLayout_.setSpacing(0);

  // The file name is always listed: shown ticked half and not to be changed.
  fileNameCheck_.setTristate(true);
  fileNameCheck_.setCheckState(Qt::PartiallyChecked);
  fileNameCheck_.setEnabled(false);
  fileSizeCheck_.setChecked(true);
  includeLayout_.addWidget(&fileNameCheck_);
  includeLayout_.addWidget(&fileSizeCheck_);
  includeLayout_.setContentsMargins(6, 0, 6, 0);
  plainTextLabel_.setAlignment(Qt::AlignCenter);
  includeStack_.addWidget(&includeGroup_);
  includeStack_.addWidget(&plainTextLabel_);

  // The command row goes below the file's group, beside the taller method column:
  // below both, the tab would need more height than the window gives it.
  commandRow_.addWidget(&skipCommentCheck_);
  commandRow_.addWidget(&contentHashesCheck_);  // a catalogue's alone: shown with the Include group
  commandRow_.addStretch();
  commandRow_.addWidget(&createListButton_);
  leftColumn_.addWidget(&fileGroup_, 1);
  leftColumn_.addLayout(&commandRow_);
  leftColumn_.setSpacing(2);
  columns_.addLayout(&leftColumn_, 3);
  columns_.addLayout(&rightColumn_, 2);
  rightColumn_.addWidget(&methodGroup_);
  rightColumn_.addWidget(&includeStack_);
  layout_.addLayout(&columns_);
  layout_.addWidget(&statusLine_);
  layout_.setContentsMargins(4, 2, 4, 2);
  layout_.setSpacing(2);
  statusLine_.setFrameStyle(QFrame::Panel | QFrame::Sunken);
}

void SaveTab::ShowSettings() {
  outputFileEdit_.setText(FromCore(settings_.lastOutPut));
  for (int i = 0; i < driveCombo_.count(); ++i)
    if (driveCombo_.itemData(i).toChar().toLatin1() == AsciiLower(settings_.lastDrive)) driveCombo_.setCurrentIndex(i);
  if (settings_.method) methodRadios_[static_cast<std::size_t>(*settings_.method)].setChecked(true);
  ShowMethod(settings_.method);
  skipCommentCheck_.setChecked(settings_.skipComment);
  contentHashesCheck_.setChecked(settings_.contentHashes);
}

void SaveTab::KeepSettings() {
  settings_.lastOutPut = ToCore(outputFileEdit_.text());
  settings_.skipComment = skipCommentCheck_.isChecked();
  settings_.contentHashes = contentHashesCheck_.isChecked();
}

void SaveTab::MethodClicked(int item) {
  settings_.lastOutPut = ToCore(outputFileEdit_.text());
  SelectMethod(settings_, static_cast<ListMethod>(item));
  outputFileEdit_.setText(FromCore(settings_.lastOutPut));
  ShowMethod(settings_.method);
}

void SaveTab::ShowMethod(std::optional<ListMethod> method) {
  includeStack_.setCurrentIndex(method == ListMethod::Catalogue ? 0 : 1);
  contentHashesCheck_.setVisible(method == ListMethod::Catalogue);
}

ListMethod SaveTab::Method() const {
  int item = methodButtons_.checkedId();
  return item >= 0 ? static_cast<ListMethod>(item) : ListMethod::Collapsed;
}

void SaveTab::BrowseForOutput() {
  QString chosen = QFileDialog::getOpenFileName(this, QString(), outputFileEdit_.text(),
                                                tr("Any file format (*.*)"));
  if (!chosen.isEmpty()) outputFileEdit_.setText(chosen);
}

bool SaveTab::eventFilter(QObject* watched, QEvent* event) {
  // "Found file!" follows the name as it is typed, when a key is released.
  if (watched == &outputFileEdit_ && event->type() == QEvent::KeyRelease) CheckOutputExists();
  return QWidget::eventFilter(watched, event);
}

void SaveTab::CheckOutputExists() {
  foundFileLabel_.setText(FileExists(ToCore(outputFileEdit_.text())) ? tr("Found file!") : QString());
}

void SaveTab::CreateList() {
  if (!state_.Controls().createList) return;
  KeepSettings();
  if (settings_.lastOutPut.empty()) {
    ShowError(this, tr("Please enter the name of the output file."));
    return;
  }
  const Drive* drive = drives_.Find(driveCombo_.currentData().toChar().toLatin1());
  if (drive == nullptr) {
    ShowError(this, tr("Please choose the drive to list."));
    return;
  }
  CreateListRequest request;
  request.list.drive = *drive;
  request.list.method = Method();
  request.list.withSizes = fileSizeCheck_.isChecked();
  request.list.rightMargin = settings_.rightMargin;
  request.output = settings_.lastOutPut;
  request.skipComment = settings_.skipComment;
  request.list.contentHashes = request.list.method == ListMethod::Catalogue && settings_.contentHashes;
  progress_.Reset();
  auto outcome = std::make_shared<ListingOutcome>();
  const bool started = worker_.Start([request = std::move(request), outcome, this] {
    *outcome = RunListing(request, answers_, progress_);
  },
                                     [this, outcome](const QString&) { ListingFinished(*outcome); });
  if (!started) return;
  state_.SetListing(true);
  QApplication::setOverrideCursor(Qt::WaitCursor);
}

void SaveTab::ListingFinished(const ListingOutcome& outcome) {
  QApplication::restoreOverrideCursor();
  state_.SetListing(false);
  if (outcome.catalogue) emit CatalogueWritten(FullName(*outcome.catalogue));
  if (outcome.complete) statusLine_.SetText(tr("Listing complete"));
  const auto unreadable = progress_.TakeUnreadable();
  if (!unreadable.empty()) ShowUnreadable(tr("%1 folder(s) could not be read and are listed as empty:"), unreadable);
  const auto unhashed = progress_.TakeUnreadableFiles();
  if (!unhashed.empty()) ShowUnreadable(tr("%1 file(s) could not be read and have no content hash:"), unhashed);
  if (outcome.lockedOutput) {
    ShowMessage(this, QMessageBox::Critical, MessageText(outcome.error), QMessageBox::Ok, MessageText(outcome.reason));
  } else if (!outcome.error.empty()) {
    ShowCoreError(this, outcome.error.c_str());
  }
}

void SaveTab::ShowUnreadable(const QString& what, const std::vector<std::string>& names) {
  // Said so: a listing that silently lacks folders (or hashes) would be trusted as whole.
  constexpr std::size_t kShown = 20;
  QString text = what.arg(names.size());
  for (std::size_t i = 0; i < names.size() && i < kShown; ++i) text += QLatin1Char('\n') + FromCore(names[i]);
  if (names.size() > kShown) text += tr("\n... and %1 more").arg(names.size() - kShown);
  ShowMessage(this, QMessageBox::Warning, text);
}

}  // namespace qvl::app
