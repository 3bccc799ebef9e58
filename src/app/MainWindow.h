#pragma once

#include <QCloseEvent>
#include <QStringList>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QWidget>
#include <string>

#include "app/WindowState.h"
#include "app/model/ListModel.h"
#include "app/tabs/AboutTab.h"
#include "app/tabs/BrowseTab.h"
#include "app/tabs/BrowseView.h"
#include "app/tabs/SaveTab.h"
#include "app/tabs/SearchTab.h"
#include "app/work/RowFeed.h"
#include "browse/Catalogue.h"
#include "platform/Drives.h"
#include "search/RowOrder.h"
#include "platform/Locale.h"
#include "platform/ProfileFile.h"
#include "settings/FileType.h"
#include "settings/Settings.h"

namespace qvl::app {

// What the window starts from: the real machine's, or a test's.
struct WindowEnvironment {
  std::string settingsPath;  // Quorvalen.ini
  Desktop desktop;           // where the catalogue file type is registered
  DriveTable drives;         // the machine's drives, before the settings' own
  std::string readmePath;
  QStringList arguments;     // the command line after the program's name
};

// The running program's environment.
WindowEnvironment SystemEnvironment(const QStringList& arguments);

// Tabs of equal width, as wide as the window allows.
class EvenTabBar : public QTabBar {
 public:
  void SetTabWidth(int width);
  int TabWidth() const { return tabWidth_; }

 protected:
  QSize tabSizeHint(int index) const override;

 private:
  int tabWidth_ = 110;
};

class EvenTabWidget : public QTabWidget {
 public:
  EvenTabWidget() { setTabBar(&bar_); }
  EvenTabBar& Bar() { return bar_; }

 private:
  EvenTabBar bar_;
};

// The main window: five tabs above the browse area. It owns the settings, the
// drive table, the history and the window's state, and sets every control's
// enabled state from that state in one place, UpdateActions.
class MainWindow : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kCollapsedHeight = 225;
  static constexpr int kExpandedHeight = 517;
  static constexpr int kClientWidth = 569;

  explicit MainWindow(WindowEnvironment environment);
  ~MainWindow() override;

  enum Tab { SaveTabIndex = 0, BrowseTabIndex, SearchTabIndex, AboutTabIndex, ExitTabIndex };
  // (tab width for an outer window width)
  static int TabWidthFor(int outerWidth) { return (outerWidth - 20) / 5; }
  int TabWidth() { return tabs_.Bar().TabWidth(); }

  // Sets every control's enabled state from what the program is doing.
  void UpdateActions();
  const WindowState& State() const { return state_.State(); }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void StartUp();
  bool SaveSettingsOnExit();
  void TabChanged(int index);
  void AddToHistory(const std::string& name);
  bool ReleaseOutput(const std::string& output);
  void GrowWindow();
  bool Working() const;
  // Ends the program once the work it waits for is done.
  void CloseWhenDone();

  WindowEnvironment environment_;
  Collator collator_;
  ProfileFile settingsFile_;
  WindowSettings settings_;
  // A settings file that could not be read is never written over at exit.
  bool settingsRead_ = true;
  DriveTable drives_;  // the machine's, with those of the settings file
  StateKeeper state_{[this] { UpdateActions(); }};
  Catalogue catalogue_;  // the catalogue open for browsing
  RowOrder order_;
  ListModel model_;
  RowFeed feed_{model_};
  QString startUpError_;
  bool shownOnce_ = false;
  bool grown_ = false;
  bool closeWhenDone_ = false;
  bool built_ = false;  // every control exists: UpdateActions may run
  int shownTab_ = SaveTabIndex;

  QVBoxLayout layout_{this};
  EvenTabWidget tabs_;
  SaveTab saveTab_;
  BrowseTab browseTab_;
  SearchTab searchTab_;
  AboutTab aboutTab_;
  QWidget exitPage_;
  BrowseView browseView_;
};

}  // namespace qvl::app
