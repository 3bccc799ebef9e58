#pragma once

#include <QIcon>
#include <QMimeDatabase>
#include <string>
#include <string_view>
#include <vector>

#include "browse/FileTypeImages.h"

namespace qvl::app {

// The list view's small icons: the five built-in images, then one icon per file
// extension in the order met, taken from the desktop's MIME types and icon theme
// once per extension for the whole run.
class FileTypeIcons {
 public:
  FileTypeIcons();

  // The image number of a row: 0 for a folder, else its extension's image.
  int ImageFor(std::string_view name, bool isFolder);
  // The icon of an image number; an empty icon for a number never given out.
  QIcon Icon(int image) const;
  int ImageCount() const { return static_cast<int>(icons_.size()); }

 private:
  QIcon IconForExtension(const std::string& extension) const;

  FileTypeImages images_;
  std::vector<QIcon> icons_;  // icons_[n] is image n
  QMimeDatabase mimeTypes_;
};

}  // namespace qvl::app
