#include "app/model/FileTypeIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QStandardPaths>
#include <cmath>
#include <numbers>

#include "app/QtText.h"
#include "platform/Locale.h"

namespace qvl::app {
namespace {

// The built-in pictures, drawn on a 16 by 16 grid at any size.
enum class Picture { Folder, Settings, Library, Page };

// A sheet of paper with its top right corner folded.
void DrawPage(QPainter& painter) {
  QPainterPath sheet;
  sheet.moveTo(2.5, 0.5);
  sheet.lineTo(9.5, 0.5);
  sheet.lineTo(13.5, 4.5);
  sheet.lineTo(13.5, 15.5);
  sheet.lineTo(2.5, 15.5);
  sheet.closeSubpath();
  painter.setPen(QPen(QColor(0x70, 0x70, 0x78), 1));
  painter.setBrush(Qt::white);
  painter.drawPath(sheet);
  QPainterPath fold;
  fold.moveTo(9.5, 0.5);
  fold.lineTo(9.5, 4.5);
  fold.lineTo(13.5, 4.5);
  painter.setBrush(QColor(0xdd, 0xdd, 0xe2));
  painter.drawPath(fold);
}

void DrawFolder(QPainter& painter) {
  painter.setPen(QPen(QColor(0xa0, 0x78, 0x10), 1));
  painter.setBrush(QColor(0xe8, 0xb8, 0x38));
  QPainterPath back;
  back.moveTo(0.5, 2.5);
  back.lineTo(5.5, 2.5);
  back.lineTo(7.0, 4.0);
  back.lineTo(15.5, 4.0);
  back.lineTo(15.5, 13.5);
  back.lineTo(0.5, 13.5);
  back.closeSubpath();
  painter.drawPath(back);
  painter.setBrush(QColor(0xf8, 0xd4, 0x60));
  painter.drawRect(QRectF(0.5, 6.0, 15.0, 7.5));
}

// A page with a cog wheel: a settings file.
void DrawSettings(QPainter& painter) {
  DrawPage(painter);
  const QPointF centre(8.0, 10.0);
  painter.setPen(QPen(QColor(0x50, 0x60, 0x78), 1.6, Qt::SolidLine, Qt::FlatCap));
  for (int tooth = 0; tooth < 8; ++tooth) {
    double angle = tooth * std::numbers::pi / 4;
    QPointF direction(std::cos(angle), std::sin(angle));
    painter.drawLine(centre + direction * 2.5, centre + direction * 4.2);
  }
  painter.setPen(QPen(QColor(0x50, 0x60, 0x78), 1.2));
  painter.setBrush(QColor(0x9c, 0xb0, 0xc8));
  painter.drawEllipse(centre, 2.8, 2.8);
  painter.setBrush(Qt::white);
  painter.drawEllipse(centre, 1.0, 1.0);
}

// Two interlocking pieces: a library of code.
void DrawLibrary(QPainter& painter) {
  DrawPage(painter);
  painter.setPen(QPen(QColor(0x2c, 0x5a, 0x2c), 1));
  painter.setBrush(QColor(0x6c, 0xb0, 0x5c));
  QPainterPath left;
  left.addRect(QRectF(4.5, 7.5, 4.0, 6.0));
  left.addEllipse(QPointF(9.0, 10.5), 1.6, 1.6);
  painter.drawPath(left.simplified());
  painter.setBrush(QColor(0x58, 0x8c, 0xd0));
  painter.setPen(QPen(QColor(0x24, 0x48, 0x80), 1));
  QPainterPath right;
  right.addRect(QRectF(8.5, 7.5, 3.0, 6.0));
  painter.drawPath(right.subtracted(left));
}

void DrawGeneric(QPainter& painter) {
  DrawPage(painter);
  painter.setPen(QPen(QColor(0xa8, 0xa8, 0xb0), 1));
  for (double y : {7.5, 9.5, 11.5, 13.5}) painter.drawLine(QPointF(4.5, y), QPointF(11.5, y));
}

QPixmap Draw(Picture picture, int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.scale(size / 16.0, size / 16.0);
  switch (picture) {
    case Picture::Folder: DrawFolder(painter); break;
    case Picture::Settings: DrawSettings(painter); break;
    case Picture::Library: DrawLibrary(painter); break;
    case Picture::Page: DrawGeneric(painter); break;
  }
  return pixmap;
}

QIcon BuiltIn(Picture picture) {
  QIcon icon;
  for (int size : {16, 32}) icon.addPixmap(Draw(picture, size));
  return icon;
}

// A session without a desktop names no icon theme (or only hicolor, which holds no
// file types), and may not even look where themes are installed: every type would
// show the one generic page. The installed themes, with Adwaita (which the program
// installs with itself) before hicolor, give them their pictures then.
void UseInstalledIconThemes() {
  QStringList paths = QIcon::themeSearchPaths();
  QStringList dataFolders = QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation);
  for (const QString& folder : dataFolders) {
    const QString icons = folder + QStringLiteral("/icons");
    if (!paths.contains(icons)) paths << icons;
  }
  QIcon::setThemeSearchPaths(paths);
  const QString adwaita = QStringLiteral("Adwaita"), hicolor = QStringLiteral("hicolor");
  if (QIcon::themeName().isEmpty() || QIcon::themeName() == hicolor) QIcon::setThemeName(adwaita);
  if (QIcon::fallbackThemeName().isEmpty() || QIcon::fallbackThemeName() == hicolor)
    QIcon::setFallbackThemeName(adwaita);
}

}  // namespace

FileTypeIcons::FileTypeIcons() {
  UseInstalledIconThemes();
  // Image 3 is never shown; it keeps the numbering of the images behind it.
  icons_ = {BuiltIn(Picture::Folder), BuiltIn(Picture::Settings), BuiltIn(Picture::Library), QIcon(),
            BuiltIn(Picture::Page)};
}

int FileTypeIcons::ImageFor(std::string_view name, bool isFolder) {
  if (isFolder) return FileTypeImages::kFolder;
  FileTypeImages::Image image = images_.ForName(name);
  if (image.isNew) icons_.push_back(IconForExtension(images_.Extensions().back()));
  return image.number;
}

QIcon FileTypeIcons::Icon(int image) const {
  if (image < 0 || image >= ImageCount()) return {};
  return icons_[static_cast<std::size_t>(image)];
}

QIcon FileTypeIcons::IconForExtension(const std::string& extension) const {
  const QIcon& generic = icons_[FileTypeImages::kGeneric];
  QIcon icon;
  if (extension == ".EXE") {
    icon = QIcon::fromTheme(QStringLiteral("application-x-executable"));
  } else if (extension == ".INI") {
    return icons_[FileTypeImages::kIni];
  } else if (extension == ".DLL") {
    return icons_[FileTypeImages::kDll];
  } else if (extension.size() > 1) {
    // Globs of MIME types are written in lower case.
    QMimeType type = mimeTypes_.mimeTypeForFile(QStringLiteral("file") + FromCore(AsciiLowerCase(extension)),
                                                QMimeDatabase::MatchExtension);
    if (type.isValid() && !type.isDefault())
      icon = QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName()));
  }
  return icon.isNull() ? generic : icon;
}

}  // namespace qvl::app
