#include "app/ErrorReport.h"

#include <QMessageBox>

#include "app/QtText.h"
#include "settings/Version.h"

namespace qvl::app {

void ShowError(QWidget* parent, const QString& text) {
  QString shown = text;
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  QMessageBox::critical(parent, FromCore(kVersionText), shown);
}

void ShowCoreError(QWidget* parent, const char* text) { ShowError(parent, MessageText(text)); }

}  // namespace qvl::app
