#pragma once

#include <QLabel>
#include <QString>

namespace qvl::app {

// A status text of one line that never asks for more room than it is given: a
// text from a catalogue or a walk (a caption of thousands of lines, a long folder
// name) is shown as plain text on one line, elided at its end, and in full (up to
// a point) in its tool tip. The window keeps its size whatever it shows.
class OneLineLabel : public QLabel {
  Q_OBJECT
 public:
  OneLineLabel();
  void SetText(const QString& text);
  const QString& FullText() const { return full_; }
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Elide();
  QString full_;
  QString oneLine_;
};

}  // namespace qvl::app
