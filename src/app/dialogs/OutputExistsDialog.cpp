#include "app/dialogs/OutputExistsDialog.h"

namespace qvl::app {

OutputExistsDialog::OutputExistsDialog(ListMethod method, QWidget* parent) : QDialog(parent) {
  setWindowTitle(tr("Warning"));
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  appendButton_.setText(method == ListMethod::Catalogue ? tr("Import") : tr("Append"));
  overwriteButton_.setObjectName(QStringLiteral("overwriteButton"));
  appendButton_.setObjectName(QStringLiteral("appendButton"));
  cancelButton_.setObjectName(QStringLiteral("cancelButton"));
  overwriteButton_.setAutoDefault(false);
  appendButton_.setAutoDefault(false);
  cancelButton_.setDefault(true);

  layout_.addWidget(&message_, 0, Qt::AlignHCenter);
  layout_.addLayout(&buttons_);
  buttons_.addWidget(&overwriteButton_);
  buttons_.addWidget(&appendButton_);
  buttons_.addWidget(&cancelButton_);
  // Cancel comes first in the tab order, so it has the focus when the dialog opens.
  setTabOrder(&cancelButton_, &overwriteButton_);
  setTabOrder(&overwriteButton_, &appendButton_);
  cancelButton_.setFocus();
  resize(280, 127);

  connect(&overwriteButton_, &QPushButton::clicked, this, [this] { Choose(OutputChoice::Overwrite); });
  connect(&appendButton_, &QPushButton::clicked, this, [this] { Choose(OutputChoice::Append); });
  connect(&cancelButton_, &QPushButton::clicked, this, [this] { Choose(OutputChoice::Cancel); });
}

void OutputExistsDialog::Choose(OutputChoice choice) {
  choice_ = choice;
  done(choice == OutputChoice::Cancel ? Rejected : Accepted);
}

OutputChoice OutputExistsDialog::Ask(ListMethod method, QWidget* parent) {
  OutputExistsDialog dialog(method, parent);
  dialog.exec();
  return dialog.Choice();
}

}  // namespace qvl::app
