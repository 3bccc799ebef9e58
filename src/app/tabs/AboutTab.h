#pragma once

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QUrl>
#include <QVBoxLayout>
#include <QWidget>
#include <string>

namespace qvl::app {

// The About tab: the program's icon, version and notice, a link to its read-me, and
// the read-me itself.
class AboutTab : public QWidget {
  Q_OBJECT
 public:
  AboutTab();
  // Shows the read-me from `readmePath`, or that it is missing.
  void ShowReadme(const std::string& readmePath);

 private:
  QUrl home_;
  QHBoxLayout layout_{this};
  QFrame infoPanel_;
  QVBoxLayout infoLayout_{&infoPanel_};
  QLabel iconLabel_;
  QLabel versionLabel_;
  QLabel noticeLabel_;
  QLabel contactLabel_;
  QFrame separator_;
  QLabel homeLinkLabel_;
  QPlainTextEdit readmeText_;
};

}  // namespace qvl::app
