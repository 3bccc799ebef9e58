#include "app/tabs/BrowseView.h"

#include <QEvent>
#include <QFileDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>

#include "app/ErrorReport.h"
#include "app/QtText.h"
#include "app/dialogs/CommentDialog.h"
#include "app/tabs/StyleButtons.h"
#include "browse/FolderView.h"
#include "app/RowStream.h"
#include "browse/Import.h"
#include "search/QuickFind.h"
#include "platform/File.h"
#include "settings/Version.h"

namespace qvl::app {
namespace {

// Nothing of the window runs while a folder is read: it takes a seek and a read.
struct NoProgress final : Progress {};

}  // namespace

BrowseView::BrowseView(Shared shared) : shared_(std::move(shared)) {
  setObjectName(QStringLiteral("browseView"));
  BuildToolBar();
  BuildStatusBar();
  importProgress_.setRange(0, 100);
  importProgress_.setVisible(false);
  importProgress_.setMaximumHeight(12);
  importProgress_.setTextVisible(false);

  ListModel& model = shared_.model;
  reportView_.setObjectName(QStringLiteral("reportView"));
  listView_.setObjectName(QStringLiteral("listView"));
  iconView_.setObjectName(QStringLiteral("iconView"));
  // The table always has the list (its columns keep their widths); the other two
  // have it while they show (SetViewStyle).
  reportView_.setModel(&model);
  reportView_.verticalHeader()->hide();
  reportView_.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  reportView_.verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
  reportView_.setShowGrid(false);
  reportView_.setWordWrap(false);
  reportView_.horizontalHeader()->setSectionsClickable(true);
  reportView_.horizontalHeader()->setHighlightSections(false);
  reportView_.horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  reportView_.horizontalHeader()->setStretchLastSection(false);
  const int widths[] = {200, 80, 180, 80};
  for (int column = 0; column < 4; ++column) reportView_.setColumnWidth(column, widths[column]);
  for (QListView* view : {&iconView_, &listView_}) {
    view->setViewMode(QListView::ListMode);
    view->setWrapping(true);
    view->setResizeMode(QListView::Adjust);
    view->setUniformItemSizes(true);
    view->setLayoutMode(QListView::Batched);
  }
  iconView_.setFlow(QListView::LeftToRight);
  iconView_.setGridSize(QSize(120, 20));
  iconView_.setItemDelegate(&iconCells_);
  listView_.setFlow(QListView::TopToBottom);
  listView_.setItemDelegate(&listCells_);
  for (QAbstractItemView* view : std::initializer_list<QAbstractItemView*>{&reportView_, &listView_, &iconView_}) {
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setIconSize(QSize(16, 16));
    connect(view, &QAbstractItemView::doubleClicked, this, &BrowseView::OpenFolderRow);
  }
  views_.setObjectName(QStringLiteral("browseViews"));
  views_.addWidget(&iconView_);
  views_.addWidget(&listView_);
  views_.addWidget(&reportView_);
  connect(reportView_.horizontalHeader(), &QHeaderView::sectionClicked, this, &BrowseView::HeaderClicked);

  layout_.addWidget(&navigationBar_);
  layout_.addWidget(&importProgress_);
  layout_.addWidget(&quickFindBar_);
  quickFindBar_.setVisible(false);
  layout_.addWidget(&views_, 1);
  layout_.addWidget(&statusBar_);
  layout_.setContentsMargins(0, 0, 0, 0);
  layout_.setSpacing(0);
  SetViewStyle(ViewStyle::Report);

  connect(&task_, &BackgroundTask::Finished, this, [this] { emit BusyChanged(); });
  connect(&quickFindBar_.StyleGroup(), &QButtonGroup::idClicked, this,
          [this](int id) { SetViewStyle(static_cast<ViewStyle>(id)); });
  connect(&quickFindBar_, &QuickFindBar::StartRequested, this, &BrowseView::StartFind);
  connect(&quickFindBar_, &QuickFindBar::EndRequested, this, &BrowseView::EndSearchMode);
  connect(&searchModeButton_, &QToolButton::clicked, this, &BrowseView::EnterSearchMode);
  connect(&progress_, &SignalProgress::PercentChanged, this, [this](int percent) {
    if (importProgress_.isVisible())
      importProgress_.setValue(percent);
    else
      emit LoadProgress(percent, true);
  });
  connect(&progress_, &SignalProgress::StatusChanged, &statusPanels_[2], &QLabel::setText);
  UpdateActions();
}

void BrowseView::BuildToolBar() {
  navigationBar_.setObjectName(QStringLiteral("navigationBar"));
  navigationBar_.setIconSize(QSize(16, 16));
  backButton_.setObjectName(QStringLiteral("backButton"));
  backButton_.setToolTip(QStringLiteral("Back"));
  backButton_.setIcon(QIcon::fromTheme(QStringLiteral("go-up"), style()->standardIcon(QStyle::SP_ArrowUp)));
  navigationBar_.addWidget(&backButton_);
  navigationBar_.addSeparator();
  AddStyleButtons(navigationBar_, styleButtons_, styleGroup_, QString());
  navigationBar_.addSeparator();
  importButton_.setObjectName(QStringLiteral("importButton"));
  importButton_.setToolTip(QStringLiteral("Import a catalogue into this one"));
  importButton_.setIcon(QIcon::fromTheme(QStringLiteral("document-import"),
                                         style()->standardIcon(QStyle::SP_FileDialogNewFolder)));
  searchModeButton_.setObjectName(QStringLiteral("searchModeButton"));
  searchModeButton_.setToolTip(QStringLiteral("Search this catalogue"));
  searchModeButton_.setIcon(QIcon::fromTheme(QStringLiteral("edit-find"),
                                             style()->standardIcon(QStyle::SP_FileDialogContentsView)));
  navigationBar_.addWidget(&importButton_);
  navigationBar_.addWidget(&searchModeButton_);
  navigationBar_.addSeparator();
  pathCombo_.setObjectName(QStringLiteral("pathCombo"));
  pathCombo_.setEditable(true);
  pathCombo_.setInsertPolicy(QComboBox::NoInsert);
  pathCombo_.setMinimumContentsLength(24);
  pathCombo_.setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  pathCombo_.setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  navigationBar_.addWidget(&pathCombo_);

  connect(&styleGroup_, &QButtonGroup::idClicked, this, [this](int id) { SetViewStyle(static_cast<ViewStyle>(id)); });
  connect(&backButton_, &QToolButton::clicked, this, [this] { RunGuarded(this, [this] { Back(); }); });
  connect(&importButton_, &QToolButton::clicked, this, &BrowseView::Import);
  // A path typed goes on Enter; one chosen from the list at once.
  connect(pathCombo_.lineEdit(), &QLineEdit::returnPressed, this,
          [this] { RunGuarded(this, [this] { ShowFolder(ToCore(pathCombo_.currentText())); }); });
  connect(&pathCombo_, &QComboBox::activated, this,
          [this](int index) { RunGuarded(this, [&] { ShowFolder(ToCore(pathCombo_.itemText(index))); }); });
}

void BrowseView::BuildStatusBar() {
  statusBar_.setObjectName(QStringLiteral("browseStatusBar"));
  statusBar_.setToolTip(QStringLiteral("Click to see where the catalogue came from"));
  const char* names[] = {"catalogueNamePanel", "drivePanel", "folderPanel"};
  for (int i = 0; i < 3; ++i) {
    QLabel& panel = statusPanels_[i];
    panel.setObjectName(QString::fromLatin1(names[i]));
    panel.setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel.setTextFormat(Qt::PlainText);
    statusLayout_.addWidget(&panel, i == 2 ? 1 : 0);
  }
  statusPanels_[0].setFixedWidth(110);
  statusPanels_[1].setFixedWidth(120);
  statusPanels_[2].setMinimumWidth(50);
  statusLayout_.setContentsMargins(0, 1, 0, 0);
  statusLayout_.setSpacing(2);
  statusBar_.installEventFilter(this);
}

bool BrowseView::eventFilter(QObject* watched, QEvent* event) {
  if (watched == &statusBar_ && event->type() == QEvent::MouseButtonRelease) ShowOrigin();
  return QWidget::eventFilter(watched, event);
}

void BrowseView::SetViewStyle(ViewStyle style) {
  // Both tool bars' buttons follow, so the bar that shows next agrees.
  styleGroup_.button(static_cast<int>(style))->setChecked(true);
  quickFindBar_.StyleGroup().button(static_cast<int>(style))->setChecked(true);
  QAbstractItemView* views[] = {&iconView_, &listView_, &reportView_};
  QAbstractItemView* shown = views[static_cast<int>(style) - 1];
  // A hidden list view would still lay out every row a search adds.
  for (QListView* view : {&iconView_, &listView_}) {
    QAbstractItemModel* wanted = view == shown ? &shared_.model : nullptr;
    if (view->model() == wanted || (wanted == nullptr && view->model() != &shared_.model)) continue;
    QItemSelectionModel* made = view->selectionModel();
    view->setModel(wanted);
    if (made != nullptr && made != reportView_.selectionModel()) made->deleteLater();
    // Three looks at one list: a row selected in one is selected in all.
    if (wanted != nullptr) {
      made = view->selectionModel();
      view->setSelectionModel(reportView_.selectionModel());
      made->deleteLater();
    }
  }
  views_.setCurrentWidget(shown);
}

ViewStyle BrowseView::CurrentViewStyle() const { return static_cast<ViewStyle>(views_.currentIndex() + 1); }

bool BrowseView::CatalogueOpen() const { return !task_.Running() && shared_.catalogue.Reader().CatalogueOpen(); }

void BrowseView::UpdateActions() {
  const bool open = CatalogueOpen();
  backButton_.setEnabled(open);
  importButton_.setEnabled(open);
  pathCombo_.setEnabled(open);
  searchModeButton_.setEnabled(!task_.Running());
}

void BrowseView::SetPanels(const QString& title, const QString& caption, const QString& text) {
  statusPanels_[0].setText(title);
  statusPanels_[1].setText(caption);
  statusPanels_[2].setText(text);
}

void BrowseView::OpenCatalogue(const std::string& name, std::function<void()> then) {
  if (task_.Running()) return;
  if (!FileExists(name)) {
    // Nothing to load: the catalogue open stays, its root listed again.
    if (CatalogueOpen() && ShowFolder("\\") && then) then();
    return;
  }
  pathCombo_.clear();
  progress_.Reset();
  emit LoadProgress(0, true);
  Catalogue& catalogue = shared_.catalogue;
  task_.Start([&catalogue, name, this] { catalogue.LoadCatalogue(name, true, progress_); });
  UpdateActions();
  emit BusyChanged();
  connect(
      &task_, &BackgroundTask::Finished, this,
      [this, name, then = std::move(then)](const QString& error) {
        emit LoadProgress(0, false);
        UpdateActions();
        if (!error.isEmpty()) {
          ShowError(this, error);
          return;
        }
        const Catalogue& loaded = shared_.catalogue;
        loadedIdentity_ = IdentityOf(name);
        SetPanels(FromCore(loaded.FileTitle()), FromCore(loaded.Caption()), QString());
        emit CatalogueLoaded();
        // In search mode the root is listed when the mode ends.
        if (searchMode_) {
          shared_.catalogue.SetCurrentPath("\\");
          if (then) then();
          return;
        }
        if (RunGuarded(this, [this] { ShowFolder("\\"); }) && then) then();
      },
      Qt::SingleShotConnection);
}

bool BrowseView::CheckCatalogueFile() {
  const std::string& name = shared_.catalogue.Reader().OpenCatalogueName();
  if (IdentityOf(name) == loadedIdentity_) return true;
  shared_.model.ClearListView();
  statusPanels_[2].clear();
  ShowError(this, QStringLiteral("The catalogue \"%1\" has been deleted or replaced since it was opened.\n"
                                 "Open it again to browse it.")
                      .arg(FromCore(name)));
  return false;
}

bool BrowseView::ShowFolder(const std::string& path) {
  if (!CatalogueOpen() || !CheckCatalogueFile()) return false;
  Catalogue& catalogue = shared_.catalogue;
  if (!catalogue.Folders().Find(path)) return false;
  // The folder's rows are read and sorted, then shown with one reset.
  ListModel& model = shared_.model;
  struct ResetScope {
    explicit ResetScope(ListModel& m) : model(m) { model.BeginReset(); }
    ~ResetScope() { model.EndReset(); }
    ListModel& model;
  } reset(model);
  NoProgress none;
  qvl::ShowFolder(catalogue, path, model, none);
  model.Sort(shared_.order);
  const QString shown = FromCore(path);
  statusPanels_[2].setText(FromCore(FolderText(shared_.model.FileCount(), path)));
  RememberPath(shown);
  pathCombo_.setEditText(shown);
  return true;
}

void BrowseView::RememberPath(const QString& path) {
  if (pathCombo_.findText(path, Qt::MatchFixedString) < 0) pathCombo_.insertItem(0, path);
}

void BrowseView::Back() {
  if (!CatalogueOpen()) return;
  if (auto parent = BackPath(shared_.catalogue.CurrentPath())) ShowFolder(*parent);
}

void BrowseView::OpenFolderRow(const QModelIndex& index) {
  if (!index.isValid() || !shared_.model.IsFolderRow(index.row()) || !CatalogueOpen()) return;
  // A double click that cannot be followed does nothing, silently.
  try {
    ShowFolder(SubfolderPath(shared_.catalogue.CurrentPath(), shared_.model.Caption(index.row())));
  } catch (const std::exception&) {
  }
}

void BrowseView::HeaderClicked(int column) {
  shared_.order.ColumnClick(static_cast<Column>(column));
  shared_.model.Sort(shared_.order);
}

void BrowseView::ShowOrigin() {
  if (!CatalogueOpen()) return;
  QMessageBox::information(this, FromCore(kVersionText), MessageText(shared_.catalogue.OriginText()));
}

void BrowseView::CloseCatalogue() {
  shared_.model.ClearListView();
  shared_.catalogue.CloseCatalogue();
  statusPanels_[2].clear();
  UpdateActions();
}

void BrowseView::Import() {
  if (!CatalogueOpen()) {
    ShowError(this, QStringLiteral("No catalogue is open to import into: open one on the Browse tab first."));
    return;
  }
  QString chosen = QFileDialog::getOpenFileName(this, QString(), QString(), QStringLiteral("Quorval File (*.QVL)"),
                                                nullptr, QFileDialog::DontUseNativeDialog);
  if (!chosen.isEmpty()) ImportFrom(ToCore(chosen));
}

void BrowseView::ImportFrom(const std::string& source) {
  if (!CatalogueOpen() || !FileExists(source)) return;
  const std::string destination = shared_.catalogue.Reader().OpenCatalogueName();
  if (SameCatalogueFile(source, destination)) {
    ShowError(this, MessageText(kSameFileText));
    return;
  }
  std::optional<CommentLines> comment;
  if (!shared_.skipComment()) comment = CommentDialog::Ask(this);
  const std::string shownPath = ToCore(pathCombo_.currentText());
  shared_.model.ClearListView();
  progress_.Reset();
  importProgress_.setValue(0);
  importProgress_.setVisible(true);
  Catalogue& open = shared_.catalogue;
  task_.Start([&open, source, destination, comment, this] {
    Collator collator;  // the source's look-ups run here, on a collator of their own
    Catalogue sourceCatalogue;
    ImportCatalogueFile(sourceCatalogue, source, destination, false, comment, progress_);
    open.LoadCatalogue(destination, true, progress_);
  });
  UpdateActions();
  emit BusyChanged();
  connect(
      &task_, &BackgroundTask::Finished, this,
      [this, destination, shownPath](const QString& error) {
        importProgress_.setVisible(false);
        UpdateActions();
        if (!error.isEmpty()) ShowError(this, error);
        const Catalogue& loaded = shared_.catalogue;
        loadedIdentity_ = IdentityOf(loaded.Reader().OpenCatalogueName());
        SetPanels(FromCore(loaded.FileTitle()), FromCore(loaded.Caption()), QString());
        RunGuarded(this, [&] { ShowFolder(shownPath); });
      },
      Qt::SingleShotConnection);
}

void BrowseView::EnterSearchMode() {
  if (searchMode_ || task_.Running()) return;
  if (!CatalogueOpen()) {
    ShowError(this, QStringLiteral("No catalogue is open to search: open one on the Browse tab first."));
    return;
  }
  searchMode_ = true;
  navigationBar_.setVisible(false);
  quickFindBar_.setVisible(true);
  SetViewStyle(CurrentViewStyle());
  statusPanels_[2].setText(QStringLiteral("Search Mode"));
  shared_.model.ClearListView();
}

void BrowseView::EndSearchMode() {
  if (!searchMode_ || task_.Running()) return;
  searchMode_ = false;
  quickFindBar_.setVisible(false);
  navigationBar_.setVisible(true);
  SetViewStyle(CurrentViewStyle());
  RunGuarded(this, [this] { ShowFolder(shared_.catalogue.CurrentPath()); });
}

void BrowseView::StartFind() {
  // A second start while a search runs is ignored.
  if (!searchMode_ || task_.Running() || shared_.listBusy() || !CatalogueOpen()) return;
  const QString text = quickFindBar_.SearchText();
  if (text.isEmpty()) {
    quickFindBar_.RememberText(text);
    return;
  }
  quickFindBar_.SetRunning(true);
  shared_.model.ClearListView();
  statusPanels_[2].setText(QStringLiteral("Searching..."));
  progress_.Reset();
  importProgress_.setValue(0);
  importProgress_.setVisible(true);
  auto result = std::make_shared<std::optional<QuickFindResult>>();
  Catalogue& catalogue = shared_.catalogue;
  RowFeeder& feeder = shared_.feeder;
  task_.Start([&catalogue, &feeder, text = ToCore(text), result, this] {
    RowStream rows(feeder);
    *result = QuickFind(catalogue, text, rows, progress_);
    rows.Flush();
  });
  UpdateActions();
  emit BusyChanged();
  connect(
      &task_, &BackgroundTask::Finished, this,
      [this, text, result](const QString& error) {
        // The closing text once the last rows are in.
        finishing_ = true;
        shared_.feeder.WhenIdle([this, text, result, error] {
          finishing_ = false;
          importProgress_.setVisible(false);
          quickFindBar_.SetRunning(false);
          quickFindBar_.RememberText(text);
          UpdateActions();
          emit BusyChanged();
          if (!error.isEmpty()) {
            ShowError(this, error);
            return;
          }
          if (*result) statusPanels_[2].setText(FromCore(QuickFindText(**result)));
        });
      },
      Qt::SingleShotConnection);
}

void BrowseView::ShowSearchStatus(const QString& status, const QString& result) {
  statusPanels_[0].setText(status);
  if (!result.isEmpty()) statusPanels_[2].setText(result);
}

}  // namespace qvl::app
