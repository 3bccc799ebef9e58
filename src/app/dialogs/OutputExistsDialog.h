#pragma once

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "listing/CreateListCommand.h"

namespace qvl::app {

// "Output file already exists!": overwrite, append (named "Import" for a catalogue,
// whose new listing is merged into it) or cancel. Cancel is the default button, so
// Enter right away keeps the file; the close box cancels too.
class OutputExistsDialog : public QDialog {
  Q_OBJECT
 public:
  explicit OutputExistsDialog(ListMethod method, QWidget* parent = nullptr);
  OutputChoice Choice() const { return choice_; }

  // Shows the dialog and waits for the answer.
  static OutputChoice Ask(ListMethod method, QWidget* parent);

 private:
  void Choose(OutputChoice choice);

  OutputChoice choice_ = OutputChoice::Cancel;
  QVBoxLayout layout_{this};
  QHBoxLayout buttons_;
  QLabel message_{tr("Output file already exists!")};
  QPushButton overwriteButton_{tr("&Overwrite")};
  QPushButton appendButton_;
  QPushButton cancelButton_{tr("&Cancel")};
};

}  // namespace qvl::app
