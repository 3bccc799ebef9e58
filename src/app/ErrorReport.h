#pragma once

#include <QMessageBox>
#include <QString>
#include <exception>

class QWidget;

namespace qvl::app {

// A message box whose text is shown as it stands: texts from catalogues and file
// names are never read as rich text (no pictures loaded, no links followed).
QMessageBox::StandardButton ShowMessage(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                                        QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                        const QString& details = {});

// The program's standard error report: a message box with the error's text.
void ShowError(QWidget* parent, const QString& text);
// The same for a message of the core, whose bytes may name files in any code page.
void ShowCoreError(QWidget* parent, const char* text);

// Runs a handler's work and reports what it throws, so that no exception crosses
// the event loop. True when it ran to the end.
template <class Work>
bool RunGuarded(QWidget* parent, Work&& work) {
  try {
    work();
    return true;
  } catch (const std::exception& error) {
    ShowCoreError(parent, error.what());
  } catch (...) {
    ShowError(parent, QStringLiteral("An unknown error occurred."));
  }
  return false;
}

}  // namespace qvl::app
