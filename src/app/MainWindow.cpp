#include "app/MainWindow.h"

#include <QMessageBox>
#include <QResizeEvent>
#include <QTimer>

#include "app/ErrorReport.h"
#include "app/QtText.h"
#include "platform/File.h"
#include "platform/Program.h"
#include "settings/Version.h"

namespace qvl::app {
namespace {

DriveTable WithSettingsDrives(DriveTable drives, const ProfileFile& settingsFile) {
  PutSettingsDrives(settingsFile, drives);
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
      saveTab_(settings_, drives_, [this](const std::string& output) { return ReleaseOutput(output); }, this),
      searchTab_({model_, feeder_, [this] { return settings_.history.Entries(); }, [this] { return browseView_.Busy(); },
                  [this](const QString& status, const QString& result) {
                    browseView_.ShowSearchStatus(status, result);
                  }}),
      browseView_({catalogue_, model_, feeder_, order_, [this] { return settings_.skipComment; },
                   [this] { return searchTab_.Searching(); }}) {
  setObjectName(QStringLiteral("mainWindow"));
  setWindowIcon(QIcon(QStringLiteral(":/quorvalen.svg")));
  tabs_.setObjectName(QStringLiteral("tabs"));
  tabs_.addTab(&saveTab_, QStringLiteral("Save"));
  tabs_.addTab(&browseTab_, QStringLiteral("Browse"));
  tabs_.addTab(&searchTab_, QStringLiteral("Search"));
  tabs_.addTab(&aboutTab_, QStringLiteral("About"));
  tabs_.addTab(&exitPage_, QStringLiteral("Exit"));
  tabs_.setFixedHeight(200);
  layout_.addWidget(&tabs_);
  layout_.addWidget(&browseView_, 1);
  layout_.setContentsMargins(0, 0, 0, 0);
  layout_.setSpacing(0);

  connect(&tabs_, &QTabWidget::currentChanged, this, &MainWindow::TabChanged);
  connect(&saveTab_, &SaveTab::ListingStarted, this, &MainWindow::UpdateActions);
  connect(&saveTab_, &SaveTab::ListingEnded, this, [this] {
    UpdateActions();
    if (closeWhenListed_) QTimer::singleShot(0, this, &QWidget::close);
  });
  connect(&saveTab_, &SaveTab::CatalogueWritten, this, &MainWindow::AddToHistory);
  connect(&browseTab_, &BrowseTab::OpenRequested, this, &MainWindow::OpenCatalogue);
  connect(&browseView_, &BrowseView::LoadProgress, &browseTab_, &BrowseTab::ShowLoadProgress);
  connect(&browseView_, &BrowseView::CatalogueLoaded, this, &MainWindow::GrowWindow);
  connect(&searchTab_, &SearchTab::SearchStarted, this, [this] {
    GrowWindow();
    UpdateActions();
  });
  connect(&searchTab_, &SearchTab::SearchEnded, this, [this] {
    UpdateActions();
    if (closeWhenListed_) QTimer::singleShot(0, this, &QWidget::close);
  });
  connect(&browseView_, &BrowseView::BusyChanged, this, [this] {
    UpdateActions();
    if (closeWhenListed_) QTimer::singleShot(0, this, &QWidget::close);
  });
  StartUp();
}

MainWindow::~MainWindow() {
  // Workers still finding rows must not wait for a list that is going.
  feeder_.Abandon();
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
    OpenCatalogue(name);
  });
}

void MainWindow::UpdateActions() {
  saveTab_.UpdateActions();
  browseView_.UpdateActions();
  browseTab_.SetBusy(browseView_.Busy());
}

void MainWindow::OpenCatalogue(const std::string& name) { browseView_.OpenCatalogue(name); }

void MainWindow::GrowWindow() {
  // The list below the tabs comes into view with the first catalogue; the user's
  // own size is kept from then on.
  if (std::exchange(grown_, true)) return;
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
  if (!browseView_.CatalogueOpen() || output != catalogue_.Reader().OpenCatalogueName()) return true;
  auto answer = QMessageBox::warning(this, FromCore(kVersionText),
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

void MainWindow::closeEvent(QCloseEvent* event) {
  if (saveTab_.Listing() || browseView_.Busy() || searchTab_.Searching()) {
    event->ignore();
    if (closeWhenListed_) return;
    auto answer = QMessageBox::question(this, FromCore(kVersionText),
                                        QStringLiteral("Quorvalen is still at work.\nClose it when the work is done?"));
    closeWhenListed_ = answer == QMessageBox::Yes;
    return;
  }
  SaveSettingsOnExit();
  event->accept();
}

bool MainWindow::SaveSettingsOnExit() {
  saveTab_.KeepSettings();
  settings_.lastBrowsed = ToCore(browseTab_.CatalogueFileEdit().text());
  return RunGuarded(this, [this] { SaveSettings(settingsFile_, settings_); });
}

}  // namespace qvl::app
