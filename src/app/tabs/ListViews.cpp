#include "app/tabs/ListViews.h"

#include <QHeaderView>
#include <QPainter>
#include <QStyle>

namespace qvl::app {
namespace {

// The list style's picture, which the style has none of: two columns of small
// pictures with names, in the palette's text colour.
QIcon ListStyleIcon(const QWidget& widget) {
  QIcon icon;
  const QColor ink = widget.palette().color(QPalette::WindowText);
  for (int size : {16, 32}) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.scale(size / 16.0, size / 16.0);
    for (int column = 0; column < 2; ++column) {
      for (int row = 0; row < 3; ++row) {
        const qreal x = 1 + column * 8, y = 2 + row * 5;
        painter.fillRect(QRectF(x, y, 2, 2), ink);
        painter.fillRect(QRectF(x + 3, y + 0.5, 3, 1), ink);
      }
    }
    painter.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

}  // namespace

ListViews::ListViews(ListModel& model) : model_(model) {
  setObjectName(QStringLiteral("browseViews"));
  reportView_.setObjectName(QStringLiteral("reportView"));
  listView_.setObjectName(QStringLiteral("listView"));
  iconView_.setObjectName(QStringLiteral("iconView"));
  // The table always has the list (its columns keep their widths); the other two
  // have it while they show (SetViewStyle).
  reportView_.setModel(&model_);
  reportView_.verticalHeader()->hide();
  reportView_.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  reportView_.verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
  reportView_.setShowGrid(false);
  reportView_.setWordWrap(false);
  QHeaderView& header = *reportView_.horizontalHeader();
  header.setSectionsClickable(true);
  header.setHighlightSections(false);
  header.setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  header.setStretchLastSection(false);
  const int widths[] = {200, 80, 180, 80, 130};
  for (int column = 0; column < 5; ++column) reportView_.setColumnWidth(column, widths[column]);
  // The Modified column shows only while the rows listed have dates.
  auto showDates = [this] { reportView_.setColumnHidden(static_cast<int>(Column::Modified), !model_.HasDates()); };
  showDates();
  connect(&model_, &QAbstractItemModel::modelReset, this, showDates);
  connect(&model_, &QAbstractItemModel::rowsInserted, this, showDates);
  for (QListView* view : {&iconView_, &listView_}) {
    view->setViewMode(QListView::ListMode);
    view->setWrapping(true);
    view->setResizeMode(QListView::Adjust);
    view->setUniformItemSizes(true);
    view->setLayoutMode(QListView::Batched);
  }
  iconView_.setFlow(QListView::LeftToRight);
  // Rows as high as the font's lines need, 20 at the usual size.
  const int rowHeight = std::max(20, fontMetrics().height() + 4);
  iconView_.setGridSize(QSize(120, rowHeight));
  iconView_.setItemDelegate(&iconCells_);
  listView_.setFlow(QListView::TopToBottom);
  listView_.setItemDelegate(&listCells_);
  for (QAbstractItemView* view : std::initializer_list<QAbstractItemView*>{&iconView_, &listView_, &reportView_}) {
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setIconSize(QSize(16, 16));
    addWidget(view);
    connect(view, &QAbstractItemView::doubleClicked, this, &ListViews::RowActivated);
  }
  connect(&header, &QHeaderView::sectionClicked, this, &ListViews::HeaderClicked);

  struct StyleAction {
    const char* text;
    const char* name;
    QIcon icon;
  };
  const StyleAction kStyles[] = {
      {QT_TR_NOOP("Small icons"), "smallIconsAction", style()->standardIcon(QStyle::SP_FileDialogListView)},
      {QT_TR_NOOP("List"), "listAction", ListStyleIcon(*this)},
      {QT_TR_NOOP("Report"), "reportAction", style()->standardIcon(QStyle::SP_FileDialogDetailedView)},
  };
  for (int i = 0; i < 3; ++i) {
    QAction* action = styleGroup_.addAction(kStyles[i].icon, tr(kStyles[i].text));
    action->setObjectName(QString::fromLatin1(kStyles[i].name));
    action->setCheckable(true);
    styleActions_[static_cast<std::size_t>(i)] = action;
    connect(action, &QAction::triggered, this, [this, i] { SetViewStyle(static_cast<ViewStyle>(i)); });
  }
  SetViewStyle(ViewStyle::Report);
}

void ListViews::SetViewStyle(ViewStyle style) {
  styleActions_[static_cast<std::size_t>(style)]->setChecked(true);
  QAbstractItemView* shown = qobject_cast<QAbstractItemView*>(widget(static_cast<int>(style)));
  // A hidden list view would still lay out every row a search adds.
  for (QListView* view : {&iconView_, &listView_}) {
    QAbstractItemModel* wanted = view == shown ? &model_ : nullptr;
    if (view->model() == wanted || (wanted == nullptr && view->model() != &model_)) continue;
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
  setCurrentWidget(shown);
}

void ListViews::SetHeaderClickable(bool clickable) { reportView_.horizontalHeader()->setSectionsClickable(clickable); }

}  // namespace qvl::app
