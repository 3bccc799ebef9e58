// The files `cmake --install` puts on the desktop say what the program registers
// at run time, so an installed and a portable copy open catalogues alike.
#include <gtest/gtest.h>

#include "platform/ProfileFile.h"
#include "settings/FileType.h"
#include "support/TempDir.h"

namespace qvl {
namespace {

using test::ReadFile;
using test::TempDir;

std::string Line(const std::string& text, const std::string& key) {
  std::size_t start = text.find("\n" + key + "=");
  if (start == std::string::npos) return "no " + key;
  start += 1;
  return text.substr(start, text.find('\n', start) - start);
}

TEST(InstalledFiles, MatchWhatTheProgramRegisters) {
  TempDir dir;
  ProfileFile settings(dir / "Quorvalen.ini");
  RegisterFileType(settings, Desktop{"/usr/bin/quorvalen", dir / "share", dir / "no-tools"});
  const std::string data = QVL_DATA_DIR;

  EXPECT_EQ(ReadFile(data + "/quorvalen.xml"), ReadFile(dir / "share/mime/packages/quorvalen.xml"));
  EXPECT_EQ(ReadFile(data + "/quorvalen.svg"), ReadFile(dir / "share/icons/hicolor/scalable/apps/quorvalen.svg"));

  std::string installed = ReadFile(data + "/quorvalen.desktop");
  std::string registered = ReadFile(dir / "share/applications/quorvalen.desktop");
  for (const char* key : {"Type", "Name", "Icon", "MimeType"})
    EXPECT_EQ(Line(installed, key), Line(registered, key));
  // The installed program is found along PATH; a portable one by its full name.
  EXPECT_EQ(Line(installed, "Exec"), "Exec=quorvalen %f");
}

}  // namespace
}  // namespace qvl
