#include "app/MainWindow.h"

#include <QResizeEvent>
#include <QTimer>

#include "app/ErrorReport.h"
#include "app/QtText.h"
#include "platform/File.h"
#include "platform/IoError.h"
#include "platform/Program.h"
#include "settings/Version.h"

namespace qvl::app {
namespace {

// A settings file that cannot be read gives no drives; the start-up says why.
DriveTable WithSettingsDrives(DriveTable drives, const ProfileFile& settingsFile) {
  try {
    PutSettingsDrives(settingsFile, drives);
  } catch (const IoError&) {
  }
  return drives;
}

}  // namespace

WindowEnvironment SystemEnvironment(const QStringList& arguments) {
  WindowEnvironment environment;
  environment.settingsPath = SettingsFilePath();
  environment.desktop = ThisDesktop();
  environment.drives = SystemDriveTable();
  environment.readmePath = ReadmePath();
  environment.arguments = arguments;
  return environment;
}

void EvenTabBar::SetTabWidth(int width) {
  if (width == tabWidth_) return;
  tabWidth_ = width;
  // The bar lays its tabs out again when told that their size hints changed.
  setIconSize(iconSize());
  updateGeometry();
  adjustSize();
}

QSize EvenTabBar::tabSizeHint(int index) const {
  QSize hint = QTabBar::tabSizeHint(index);
  hint.setWidth(std::max(tabWidth_, 1));
  return hint;
}

MainWindow::MainWindow(WindowEnvironment environment)
    : environment_(std::move(environment)),
      settingsFile_(environment_.settingsPath),
      settings_(collator_),
      drives_(WithSettingsDrives(environment_.drives, settingsFile_)),
      saveTab_(settings_, drives_, state_, [this](const std::string& output) { return ReleaseOutput(output); }, this),
      searchTab_({model_, feed_, state_, [this] { return settings_.history.Entries(); },
                  [this](const QString& status, const QString& result) {
                    browseView_.ShowSearchStatus(status, result);
                  }}),
      browseView_({catalogue_, model_, feed_, order_, state_, [this] { return settings_.skipComment; }}) {
  setObjectName(QStringLiteral("mainWindow"));
  // A sizeable window with the system menu and minimise, and no maximise.
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  setWindowIcon(QIcon(QStringLiteral(":/quorvalen.svg")));
  tabs_.setObjectName(QStringLiteral("tabs"));
  tabs_.addTab(&saveTab_, QStringLiteral("Save"));
  tabs_.addTab(&browseTab_, QStringLiteral("Browse"));
  tabs_.addTab(&searchTab_, QStringLiteral("Search"));
  tabs_.addTab(&aboutTab_, QStringLiteral("About"));
  tabs_.addTab(&exitPage_, QStringLiteral("Exit"));
  tabs_.setFixedHeight(200);
  layout_.addWidget(&tabs_, 0, Qt::AlignTop);
  layout_.addWidget(&browseView_, 1);
  layout_.setContentsMargins(0, 0, 0, 0);
  layout_.setSpacing(0);
  // Below the tabs until the first catalogue or search needs it: its least size
  // would otherwise hold the window open beyond the tab area.
  browseView_.setVisible(false);

  connect(&tabs_, &QTabWidget::currentChanged, this, &MainWindow::TabChanged);
  connect(&saveTab_, &SaveTab::CatalogueWritten, this, &MainWindow::AddToHistory);
  connect(&browseTab_, &BrowseTab::OpenRequested, &browseView_, &BrowseView::OpenCatalogue);
  connect(&browseView_, &BrowseView::LoadProgress, &browseTab_, &BrowseTab::ShowLoadProgress);
  connect(&browseView_, &BrowseView::CatalogueOpened, this, &MainWindow::GrowWindow);
  connect(&searchTab_, &SearchTab::SearchStarted, this, &MainWindow::GrowWindow);
  built_ = true;
  StartUp();
}

MainWindow::~MainWindow() {
  // Workers still finding rows must not wait for a list that is going.
  feed_.Abandon();
}

void MainWindow::StartUp() {
  setGeometry(159, 25, kClientWidth, kCollapsedHeight);
  setWindowTitle(FromCore(kVersionText));
  // A failure is shown once the window is up; the window shows whatever the
  // settings said all the same.
  try {
    LoadSettings(settingsFile_, settings_);
    RegisterFileTypeIfNeeded(settingsFile_, environment_.desktop);
  } catch (const std::exception& error) {
    startUpError_ = MessageText(error.what());
    settingsRead_ = settingsFile_.Readable();
  }
  saveTab_.ShowSettings();
  browseTab_.CatalogueFileEdit().setText(FromCore(settings_.lastBrowsed));
  searchTab_.ShowFileItems(settings_.searchFileItems);
  aboutTab_.ShowReadme(environment_.readmePath);
  UpdateActions();
}

void MainWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (std::exchange(shownOnce_, true)) return;
  QString error = std::exchange(startUpError_, QString());
  QTimer::singleShot(0, this, [this, error] {
    if (!error.isEmpty()) ShowError(this, error);
    // A catalogue named on the command line (as the desktop opens one) is opened
    // once, when the window first appears.
    if (environment_.arguments.isEmpty()) return;
    std::string name = ToCore(environment_.arguments.front());
    if (!FileExists(name)) return;
    tabs_.setCurrentIndex(BrowseTabIndex);
    browseTab_.CatalogueFileEdit().setText(FromCore(name));
    browseView_.OpenCatalogue(name);
  });
}

void MainWindow::UpdateActions() {
  if (!built_) return;
  const ControlStates controls = state_.Controls();
  saveTab_.CreateListButton().setEnabled(controls.createList);
  saveTab_.MethodGroup().setEnabled(controls.createList);
  browseTab_.CatalogueFileEdit().setEnabled(controls.openCatalogue);
  browseTab_.CatalogueBrowseButton().setEnabled(controls.openCatalogue);
  NavigationBar& navigation = browseView_.Navigation();
  navigation.BackButton().setEnabled(controls.navigate);
  navigation.ImportButton().setEnabled(controls.navigate);
  navigation.PathBox().setEnabled(controls.navigate);
  navigation.SearchModeButton().setEnabled(controls.enterSearchMode);
  QuickFindBar& findBar = browseView_.FindBar();
  findBar.StartButton().setEnabled(controls.startFind);
  findBar.EndButton().setEnabled(controls.endSearchMode);
  searchTab_.StartButton().setEnabled(controls.startSearch);
  browseView_.Views().SetHeaderClickable(controls.changeList);
  if (closeWhenDone_ && !Working()) QTimer::singleShot(0, this, &QWidget::close);
}

void MainWindow::GrowWindow() {
  // The list below the tabs comes into view with the first catalogue; the user's
  // own size is kept from then on.
  if (std::exchange(grown_, true)) return;
  browseView_.setVisible(true);
  resize(width(), kExpandedHeight);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  tabs_.Bar().SetTabWidth(TabWidthFor(frameGeometry().width()));
}

void MainWindow::TabChanged(int index) {
  if (index != ExitTabIndex) {
    shownTab_ = index;
    return;
  }
  // The Exit tab ends the program; a close that does not happen leaves the tab shown before.
  tabs_.setCurrentIndex(shownTab_);
  close();
}

bool MainWindow::ReleaseOutput(const std::string& output) {
  const WindowState& state = state_.State();
  if (!state.catalogueOpen || output != catalogue_.Reader().OpenCatalogueName()) return true;
  if (state.activity != Activity::Idle) {
    // Closing it now would pull it from under the work that reads it.
    ShowError(this, QStringLiteral("The catalogue %1 is in use in the Browse view.\n"
                                   "Try again once its work is done.")
                        .arg(FromCore(output)));
    return false;
  }
  auto answer = ShowMessage(this, QMessageBox::Warning,
                            QStringLiteral("Warning! You are trying to write to %1.\n"
                                           "This file is already open. Close it first?")
                                .arg(FromCore(output)),
                            QMessageBox::Yes | QMessageBox::No);
  if (answer != QMessageBox::Yes) return false;
  browseView_.CloseCatalogue();
  return true;
}

void MainWindow::AddToHistory(const std::string& name) {
  if (qvl::AddToHistory(settings_, name)) searchTab_.AddFileItem(name);
}

bool MainWindow::Working() const {
  const WindowState& state = state_.State();
  return state.listing || state.activity != Activity::Idle;
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (Working()) {
    event->ignore();
    if (closeWhenDone_) return;
    auto answer = ShowMessage(this, QMessageBox::Question,
                              QStringLiteral("Quorvalen is still at work.\nClose it when the work is done?"),
                              QMessageBox::Yes | QMessageBox::No);
    // The work may have ended while the question was open.
    if (answer == QMessageBox::Yes) CloseWhenDone();
    return;
  }
  SaveSettingsOnExit();
  event->accept();
}

void MainWindow::CloseWhenDone() {
  closeWhenDone_ = true;
  if (!Working()) QTimer::singleShot(0, this, &QWidget::close);
}

bool MainWindow::SaveSettingsOnExit() {
  if (!settingsRead_) return false;
  saveTab_.KeepSettings();
  settings_.lastBrowsed = ToCore(browseTab_.CatalogueFileEdit().text());
  return RunGuarded(this, [this] { SaveSettings(settingsFile_, settings_); });
}

}  // namespace qvl::app
