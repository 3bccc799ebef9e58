#pragma once

#include <QDialog>
#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <ctime>
#include <optional>

#include "catalogue/Tags.h"

namespace qvl::app {

// "Add file Comment": up to four lines for the header of a listing or catalogue. It
// opens with the stamp "Created <date>,<time> using Quorvalen v2.31" selected, so
// typing replaces it and Add keeps it. Ctrl+Enter adds, Enter starts a new line, Esc
// and the close box ignore. Add takes the first four lines as they are shown, long
// lines wrapped at the box's width.
class CommentDialog : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kMaxCharacters = 170;

  explicit CommentDialog(std::time_t now, QWidget* parent = nullptr);
  // The lines, once Add has been chosen.
  const std::optional<CommentLines>& Comment() const { return comment_; }

  // Shows the dialog and waits for the answer.
  static std::optional<CommentLines> Ask(QWidget* parent);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Add();
  void KeepWithinLimit();
  CommentLines DisplayedLines() const;

  std::optional<CommentLines> comment_;
  QGridLayout layout_{this};
  QLabel label_{tr("Comment:")};
  QPlainTextEdit commentEdit_;
  QPushButton addButton_{tr("Add")};
  QPushButton ignoreButton_{tr("Ignore")};
};

}  // namespace qvl::app
