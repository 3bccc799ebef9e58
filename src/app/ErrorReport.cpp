#include "app/ErrorReport.h"

#include "app/QtText.h"
#include "settings/Version.h"

namespace qvl::app {

QMessageBox::StandardButton ShowMessage(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                                        QMessageBox::StandardButtons buttons, const QString& details) {
  QMessageBox box(icon, FromCore(kVersionText), text, buttons, parent);
  box.setTextFormat(Qt::PlainText);
  if (!details.isEmpty()) box.setInformativeText(details);
  return static_cast<QMessageBox::StandardButton>(box.exec());
}

void ShowError(QWidget* parent, const QString& text) {
  QString shown = text;
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  ShowMessage(parent, QMessageBox::Critical, shown);
}

void ShowCoreError(QWidget* parent, const char* text) { ShowError(parent, MessageText(text)); }

}  // namespace qvl::app
