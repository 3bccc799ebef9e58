#include "app/dialogs/CommentDialog.h"

#include <QKeyEvent>
#include <QTextBlock>
#include <QTextLayout>

#include "app/QtText.h"
#include "settings/Version.h"

namespace qvl::app {

CommentDialog::CommentDialog(std::time_t now, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Add file Comment"));
  // A dialog of the main window (which it blocks), so that the window manager keeps
  // it above that window, with the buttons of an ordinary window.
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                 Qt::WindowCloseButtonHint);
  commentEdit_.setObjectName(QStringLiteral("commentEdit"));
  addButton_.setObjectName(QStringLiteral("addButton"));
  ignoreButton_.setObjectName(QStringLiteral("ignoreButton"));
  // Enter belongs to the text box: neither button is a default button.
  addButton_.setAutoDefault(false);
  ignoreButton_.setAutoDefault(false);
  commentEdit_.setLineWrapMode(QPlainTextEdit::WidgetWidth);
  commentEdit_.setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  commentEdit_.setTabChangesFocus(true);
  commentEdit_.setMinimumSize(257, 65);
  commentEdit_.installEventFilter(this);

  layout_.addWidget(&label_, 0, 0, 1, 2);
  layout_.addWidget(&commentEdit_, 1, 0, 1, 2);
  layout_.addWidget(&addButton_, 2, 0);
  layout_.addWidget(&ignoreButton_, 2, 1);
  resize(292, 162);

  commentEdit_.setPlainText(FromCore(CommentStamp(now)));
  commentEdit_.selectAll();
  commentEdit_.setFocus();

  connect(&commentEdit_, &QPlainTextEdit::textChanged, this, &CommentDialog::KeepWithinLimit);
  connect(&addButton_, &QPushButton::clicked, this, &CommentDialog::Add);
  connect(&ignoreButton_, &QPushButton::clicked, this, &CommentDialog::reject);
}

bool CommentDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched == &commentEdit_ && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (enter && (key->modifiers() & Qt::ControlModifier)) {
      Add();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void CommentDialog::KeepWithinLimit() {
  // A line break counts as one character.
  QString text = commentEdit_.toPlainText();
  if (text.size() <= kMaxCharacters) return;
  QTextCursor cursor = commentEdit_.textCursor();
  int position = std::min(cursor.position(), kMaxCharacters);
  const QSignalBlocker blocker(&commentEdit_);
  commentEdit_.setPlainText(text.left(kMaxCharacters));
  cursor = commentEdit_.textCursor();
  cursor.setPosition(position);
  commentEdit_.setTextCursor(cursor);
}

CommentLines CommentDialog::DisplayedLines() const {
  CommentLines lines;
  std::size_t next = 0;
  for (QTextBlock block = commentEdit_.document()->begin(); block.isValid() && next < lines.size();
       block = block.next()) {
    const QString text = block.text();
    const QTextLayout* layout = block.layout();
    if (layout == nullptr || layout->lineCount() == 0) {
      lines[next++] = ToCore(text);
      continue;
    }
    for (int i = 0; i < layout->lineCount() && next < lines.size(); ++i) {
      QTextLine line = layout->lineAt(i);
      QString shown = text.mid(line.textStart(), line.textLength());
      // A wrapped line ends with the blank it broke at; the line as shown does not.
      if (i + 1 < layout->lineCount())
        while (shown.endsWith(QLatin1Char(' '))) shown.chop(1);
      lines[next++] = ToCore(shown);
    }
  }
  return lines;
}

void CommentDialog::Add() {
  comment_ = DisplayedLines();
  accept();
}

std::optional<CommentLines> CommentDialog::Ask(QWidget* parent) {
  CommentDialog dialog(std::time(nullptr), parent);
  dialog.exec();
  return dialog.Comment();
}

}  // namespace qvl::app
