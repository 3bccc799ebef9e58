#include "app/tabs/StyleButtons.h"

#include <QStyle>

namespace qvl::app {

void AddStyleButtons(QToolBar& bar, std::array<QToolButton, 3>& buttons, QButtonGroup& group,
                     const QString& suffix) {
  constexpr std::array<const char*, 3> kNames = {"Small icons", "List", "Report"};
  constexpr std::array<const char*, 3> kObjects = {"smallIconsButton", "listButton", "reportButton"};
  constexpr std::array<QStyle::StandardPixmap, 3> kIcons = {
      QStyle::SP_FileDialogListView, QStyle::SP_FileDialogContentsView, QStyle::SP_FileDialogDetailedView};
  for (int i = 0; i < 3; ++i) {
    QToolButton& button = buttons[i];
    button.setObjectName(QString::fromLatin1(kObjects[i]) + suffix);
    button.setToolTip(QString::fromLatin1(kNames[i]));
    button.setIcon(bar.style()->standardIcon(kIcons[i]));
    button.setCheckable(true);
    button.setAutoRaise(true);
    group.addButton(&button, i + 1);
    bar.addWidget(&button);
  }
}

}  // namespace qvl::app
