#include "app/tabs/OneLineLabel.h"

#include <QResizeEvent>

namespace qvl::app {

OneLineLabel::OneLineLabel() {
  setTextFormat(Qt::PlainText);
  setWordWrap(false);
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void OneLineLabel::SetText(const QString& text) {
  full_ = text;
  oneLine_ = text;
  oneLine_.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
  oneLine_.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));
  // A tool tip reads rich text when it looks like some: escaped, it never does.
  constexpr qsizetype kMostShown = 1000;
  setToolTip(text.isEmpty() ? QString()
                            : QStringLiteral("<p style='white-space:pre-wrap'>%1</p>")
                                  .arg(text.left(kMostShown).toHtmlEscaped()));
  Elide();
}

// One line high whatever the text, and no wider than a few letters: the layout
// gives it the room there is.
QSize OneLineLabel::sizeHint() const {
  const QMargins margins = contentsMargins();
  return {fontMetrics().averageCharWidth() * 10, fontMetrics().height() + margins.top() + margins.bottom()};
}

QSize OneLineLabel::minimumSizeHint() const { return {0, sizeHint().height()}; }

void OneLineLabel::resizeEvent(QResizeEvent* event) {
  QLabel::resizeEvent(event);
  Elide();
}

void OneLineLabel::Elide() {
  const int room = contentsRect().width();
  QLabel::setText(fontMetrics().elidedText(oneLine_, Qt::ElideRight, std::max(room, 0)));
}

}  // namespace qvl::app
