#include "app/tabs/AboutTab.h"

#include <QDesktopServices>
#include <QFile>
#include <QIcon>
#include <QUrl>

#include "app/QtText.h"
#include "settings/Version.h"

namespace qvl::app {

AboutTab::AboutTab() {
  versionLabel_.setObjectName(QStringLiteral("versionLabel"));
  homeLinkLabel_.setObjectName(QStringLiteral("homeLinkLabel"));
  readmeText_.setObjectName(QStringLiteral("readmeText"));

  iconLabel_.setPixmap(QIcon(QStringLiteral(":/quorvalen.svg")).pixmap(32, 32));
  versionLabel_.setText(FromCore(kVersionText));
  QFont bold = versionLabel_.font();
  bold.setBold(true);
  versionLabel_.setFont(bold);
  noticeLabel_.setText(tr("A disk cataloguer, free to use and share."));
  contactLabel_.setText(tr("By the Quorvalen developers."));
  noticeLabel_.setWordWrap(true);
  contactLabel_.setWordWrap(true);
  separator_.setFrameShape(QFrame::HLine);
  separator_.setFrameShadow(QFrame::Sunken);
  // The project's home is its read-me until there is a public page.
  homeLinkLabel_.setText(tr("<a href=\"readme\">Quorvalen home</a>"));
  homeLinkLabel_.setTextFormat(Qt::RichText);
  homeLinkLabel_.setCursor(Qt::PointingHandCursor);
  connect(&homeLinkLabel_, &QLabel::linkActivated, this, [this] {
    if (!home_.isEmpty()) QDesktopServices::openUrl(home_);
  });

  infoLayout_.addWidget(&iconLabel_);
  infoLayout_.addWidget(&versionLabel_);
  infoLayout_.addWidget(&noticeLabel_);
  infoLayout_.addWidget(&contactLabel_);
  infoLayout_.addStretch();
  infoLayout_.addWidget(&separator_);
  infoLayout_.addWidget(&homeLinkLabel_);
  infoLayout_.setContentsMargins(4, 2, 4, 2);
  infoLayout_.setSpacing(2);
  infoPanel_.setFrameShape(QFrame::StyledPanel);
  // 170 wide, or as wide as the version in a large font; its wrapped lines ask for
  // their height here, so that a large font grows the tabs rather than cut texts.
  const int width = std::max(170, versionLabel_.sizeHint().width() + 12);
  infoPanel_.setFixedWidth(width);
  infoPanel_.setMinimumHeight(infoLayout_.totalHeightForWidth(width));

  readmeText_.setReadOnly(true);
  readmeText_.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  readmeText_.setLineWrapMode(QPlainTextEdit::NoWrap);
  layout_.addWidget(&infoPanel_);
  layout_.addWidget(&readmeText_, 1);
  layout_.setContentsMargins(4, 4, 4, 4);
}

void AboutTab::ShowReadme(const std::string& readmePath) {
  QFile file(QString::fromStdString(readmePath));
  if (readmePath.empty() || !file.open(QIODevice::ReadOnly)) {
    readmeText_.setPlainText(tr("File Readme.txt not found!"));
    readmeText_.setEnabled(false);
    home_.clear();
    homeLinkLabel_.setToolTip(QString());
    return;
  }
  QByteArray bytes = file.readAll();
  readmeText_.setPlainText(FromCore(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()))));
  readmeText_.setEnabled(true);
  home_ = QUrl::fromLocalFile(QString::fromStdString(readmePath));
  homeLinkLabel_.setToolTip(home_.toString());
}

}  // namespace qvl::app
