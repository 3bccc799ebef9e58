#include "app/tabs/BrowseView.h"

#include <QFileDialog>
#include <QShortcut>

#include "app/ErrorReport.h"
#include "app/QtText.h"
#include "app/dialogs/CommentDialog.h"
#include "browse/FolderView.h"
#include "browse/Import.h"
#include "platform/File.h"

namespace qvl::app {

BrowseView::BrowseView(Shared shared)
    : shared_(std::move(shared)),
      work_({shared_.catalogue, shared_.model, shared_.feed, shared_.state, this}),
      views_(shared_.model) {
  setObjectName(QStringLiteral("browseView"));
  workProgress_.setObjectName(QStringLiteral("workProgress"));
  workProgress_.setRange(0, 100);
  workProgress_.setVisible(false);
  workProgress_.setMaximumHeight(12);
  workProgress_.setTextVisible(false);
  quickFindBar_.setVisible(false);
  layout_.addWidget(&navigationBar_);
  layout_.addWidget(&workProgress_);
  layout_.addWidget(&quickFindBar_);
  layout_.addWidget(&views_, 1);
  layout_.addWidget(&statusPanels_);
  layout_.setContentsMargins(0, 0, 0, 0);
  layout_.setSpacing(0);

  connect(&navigationBar_, &NavigationBar::BackRequested, this, [this] { RunGuarded(this, [this] { Back(); }); });
  connect(&navigationBar_, &NavigationBar::ImportRequested, this, &BrowseView::AskImport);
  connect(&navigationBar_, &NavigationBar::SearchModeRequested, this, &BrowseView::EnterSearchMode);
  connect(&navigationBar_, &NavigationBar::PathChosen, this,
          [this](const QString& path) { RunGuarded(this, [&] { ShowFolder(ToCore(path)); }); });
  connect(&quickFindBar_, &QuickFindBar::StartRequested, this, &BrowseView::StartFind);
  connect(&quickFindBar_, &QuickFindBar::EndRequested, this, &BrowseView::EndSearchMode);
  connect(&views_, &ListViews::RowActivated, this, &BrowseView::OpenFolderRow);
  connect(&views_, &ListViews::HeaderClicked, this, &BrowseView::HeaderClicked);
  connect(&statusPanels_, &StatusPanels::Clicked, this, &BrowseView::ShowOrigin);
  AddShortcuts();

  WorkProgress& progress = work_.Progress();
  connect(&progress, &WorkProgress::PercentChanged, this, [this](int percent) {
    if (shared_.state.State().activity == Activity::Loading)
      emit LoadProgress(percent, true);
    else
      workProgress_.setValue(percent);
  });
  connect(&progress, &WorkProgress::StatusChanged, this,
          [this](const QString& text) { statusPanels_.Set(Panel::Folder, text); });
  connect(&work_, &CatalogueWork::LoadEnded, this, [this] { emit LoadProgress(0, false); });
  connect(&work_, &CatalogueWork::Opened, this, &BrowseView::Opened);
  connect(&work_, &CatalogueWork::Imported, this, [this] {
    ShowWorkProgress(false);
    if (shared_.catalogue.Reader().CatalogueOpen()) RunGuarded(this, [this] { ShowFolder(importShownPath_); });
  });
  connect(&work_, &CatalogueWork::Found, this, [this](const QString& closingText) {
    ShowWorkProgress(false);
    quickFindBar_.RememberText(quickFindBar_.SearchText());
    if (!closingText.isEmpty()) statusPanels_.Set(Panel::Folder, closingText);
  });
}

void BrowseView::AddShortcuts() {
  auto add = [this](QKeySequence keys, QWidget* where, Qt::ShortcutContext context, auto handler) {
    shortcuts_.push_back(std::make_unique<QShortcut>(keys, where, this, handler, context));
  };
  auto back = [this] { RunGuarded(this, [this] { Back(); }); };
  add(QKeySequence(Qt::ALT | Qt::Key_Left), this, Qt::WindowShortcut, back);
  // In the list only: Backspace and Enter mean something else in a text box.
  add(QKeySequence(Qt::Key_Backspace), &views_, Qt::WidgetWithChildrenShortcut, back);
  for (int enter : {Qt::Key_Return, Qt::Key_Enter}) {
    add(QKeySequence(enter), &views_, Qt::WidgetWithChildrenShortcut, [this] {
      OpenFolderRow(views_.ReportView().selectionModel()->currentIndex());
    });
  }
  add(QKeySequence(Qt::Key_Escape), this, Qt::WindowShortcut, [this] { EndSearchMode(); });
  add(QKeySequence(Qt::Key_F5), this, Qt::WindowShortcut, [this] { Reload(); });
  add(QKeySequence(Qt::CTRL | Qt::Key_F), this, Qt::WindowShortcut, [this] { FindInCatalogue(); });
}

void BrowseView::Reload() {
  if (shared_.state.State().catalogueOpen) OpenCatalogue(shared_.catalogue.Reader().OpenCatalogueName());
}

void BrowseView::FindInCatalogue() {
  if (!shared_.state.State().searchMode) EnterSearchMode();
  if (shared_.state.State().searchMode) quickFindBar_.SearchBox().setFocus();
}

void BrowseView::ShowWorkProgress(bool shown) {
  workProgress_.setValue(0);
  workProgress_.setVisible(shown);
}

void BrowseView::OpenCatalogue(const std::string& name) {
  if (!shared_.state.Controls().openCatalogue) return;
  if (!FileExists(name)) {
    // Nothing to load: the catalogue open stays, its root listed again.
    if (shared_.state.State().catalogueOpen) RunGuarded(this, [this] { ShowFolder("\\"); });
    return;
  }
  if (work_.Open(name)) emit LoadProgress(0, true);
}

void BrowseView::Opened() {
  const Catalogue& loaded = shared_.catalogue;
  navigationBar_.ClearPaths();
  statusPanels_.Set(Panel::CatalogueName, FromCore(loaded.FileTitle()));
  statusPanels_.Set(Panel::Drive, FromCore(loaded.Caption()));
  statusPanels_.Set(Panel::Folder, QString());
  emit CatalogueOpened();
  // In search mode the root is listed when the mode ends.
  shared_.catalogue.SetCurrentPath("\\");
  if (!shared_.state.State().searchMode) RunGuarded(this, [this] { ShowFolder("\\"); });
}

bool BrowseView::CheckCatalogueFile() {
  if (shared_.catalogue.Unchanged()) return true;
  shared_.model.ClearListView();
  statusPanels_.Set(Panel::Folder, QString());
  ShowError(this, MessageText(ReplacedCatalogueText(shared_.catalogue.Reader().OpenCatalogueName())));
  return false;
}

bool BrowseView::ShowFolder(const std::string& path) {
  const WindowState& state = shared_.state.State();
  if (!state.catalogueOpen || !shared_.state.Controls().changeList) return false;
  Catalogue& catalogue = shared_.catalogue;
  if (!catalogue.Folders().Find(path) || !CheckCatalogueFile()) return false;
  // The folder's rows are read and sorted, then shown with one reset.
  ListModel& model = shared_.model;
  struct ResetScope {
    explicit ResetScope(ListModel& m) : model(m) { model.BeginReset(); }
    ~ResetScope() { model.EndReset(); }
    ListModel& model;
  } reset(model);
  qvl::ShowFolder(catalogue, path, model);
  model.Sort(shared_.order);
  statusPanels_.Set(Panel::Folder, FromCore(FolderText(model.FileCount(), path)));
  navigationBar_.ShowPath(FromCore(path));
  return true;
}

void BrowseView::Back() {
  if (!shared_.state.Controls().navigate) return;
  if (auto parent = BackPath(shared_.catalogue.CurrentPath())) ShowFolder(*parent);
}

void BrowseView::OpenFolderRow(const QModelIndex& index) {
  if (!index.isValid() || !shared_.state.Controls().changeList || !shared_.model.IsFolderRow(index.row())) return;
  // A double click that cannot be followed does nothing, silently.
  try {
    ShowFolder(SubfolderPath(shared_.catalogue.CurrentPath(), shared_.model.Caption(index.row())));
  } catch (const std::exception&) {
  }
}

void BrowseView::HeaderClicked(int column) {
  if (!shared_.state.Controls().changeList) return;
  shared_.order.ColumnClick(static_cast<Column>(column));
  shared_.model.Sort(shared_.order);
}

void BrowseView::ShowOrigin() {
  if (!shared_.state.Controls().showOrigin) return;
  ShowMessage(this, QMessageBox::Information, MessageText(shared_.catalogue.OriginText()));
}

void BrowseView::CloseCatalogue() {
  shared_.model.ClearListView();
  shared_.catalogue.CloseCatalogue();
  statusPanels_.Set(Panel::Folder, QString());
  shared_.state.SetCatalogueOpen(false);
}

void BrowseView::AskImport() {
  if (!shared_.state.Controls().navigate) return;
  QString chosen = QFileDialog::getOpenFileName(this, QString(), QString(), tr("Quorval File (*.QVL)"),
                                                nullptr, QFileDialog::DontUseNativeDialog);
  if (!chosen.isEmpty()) ImportFrom(ToCore(chosen));
}

void BrowseView::ImportFrom(const std::string& source) {
  if (!shared_.state.Controls().navigate || !FileExists(source)) return;
  if (SameCatalogueFile(source, shared_.catalogue.Reader().OpenCatalogueName())) {
    ShowError(this, MessageText(kSameFileText));
    return;
  }
  std::optional<CommentLines> comment;
  if (!shared_.skipComment()) comment = CommentDialog::Ask(this);
  importShownPath_ = ToCore(navigationBar_.PathBox().currentText());
  if (work_.Import(source, comment)) ShowWorkProgress(true);
}

void BrowseView::EnterSearchMode() {
  const WindowState& state = shared_.state.State();
  if (state.searchMode || !shared_.state.Controls().enterSearchMode) return;
  if (!state.catalogueOpen) {
    ShowError(this, tr("No catalogue is open to search: open one on the Browse tab first."));
    return;
  }
  shared_.state.SetSearchMode(true);
  navigationBar_.setVisible(false);
  quickFindBar_.setVisible(true);
  quickFindBar_.SearchBox().setFocus();
  statusPanels_.Set(Panel::Folder, tr("Search Mode"));
  shared_.model.ClearListView();
}

void BrowseView::EndSearchMode() {
  if (!shared_.state.State().searchMode || !shared_.state.Controls().endSearchMode) return;
  shared_.state.SetSearchMode(false);
  quickFindBar_.setVisible(false);
  navigationBar_.setVisible(true);
  RunGuarded(this, [this] { ShowFolder(shared_.catalogue.CurrentPath()); });
}

void BrowseView::StartFind() {
  if (!shared_.state.State().searchMode || !shared_.state.Controls().startFind) return;
  const QString text = quickFindBar_.SearchText();
  if (text.isEmpty()) {
    quickFindBar_.RememberText(text);
    return;
  }
  statusPanels_.Set(Panel::Folder, tr("Searching..."));
  if (work_.QuickFind(ToCore(text))) ShowWorkProgress(true);
}

void BrowseView::ShowSearchStatus(const QString& status, const QString& result) {
  statusPanels_.Set(Panel::CatalogueName, status);
  // Status texts on the way keep the result shown; no status at all empties both.
  if (!result.isEmpty() || status.isEmpty()) statusPanels_.Set(Panel::Folder, result);
}

}  // namespace qvl::app
