// The files `cmake --install` puts on the desktop say what the program registers
// at run time, so an installed and a portable copy open catalogues alike.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/ProfileFile.h"
#include "settings/FileType.h"
#include "support/TempDir.h"

namespace qvl {
namespace {

using test::ReadFile;
using test::TempDir;

// The lines of a desktop entry but those that name the program.
std::string WithoutProgram(const std::string& entry) {
  std::string kept;
  for (std::size_t start = 0; start < entry.size();) {
    std::size_t end = std::min(entry.find('\n', start), entry.size());
    std::string line = entry.substr(start, end - start);
    if (!line.starts_with("Exec=") && !line.starts_with("TryExec=")) kept += line + "\n";
    start = end + 1;
  }
  return kept;
}

TEST(InstalledFiles, MatchWhatTheProgramRegisters) {
  TempDir dir;
  ProfileFile settings(dir / "Quorvalen.ini");
  RegisterFileType(settings, Desktop{"/usr/bin/quorvalen", dir / "share", dir / "no-tools"});
  const std::string data = QVL_DATA_DIR;

  std::string mime = ReadFile(data + "/quorvalen.xml");
  EXPECT_EQ(mime, ReadFile(dir / "share/mime/packages/quorvalen.xml"));
  EXPECT_NE(mime.find("<mime-type type=\"" + std::string(kMimeType) + "\">"), std::string::npos);
  EXPECT_NE(mime.find("<comment>" + std::string(kFileTypeDescription) + "</comment>"), std::string::npos);
  EXPECT_EQ(ReadFile(data + "/quorvalen.svg"), ReadFile(dir / "share/icons/hicolor/scalable/apps/quorvalen.svg"));

  // One desktop id for both: the registered entry hides an installed one, so it
  // differs only in naming the program in full.
  const std::string name = std::string(kDesktopId) + ".desktop";
  std::string installed = ReadFile(data + "/" + name);
  std::string registered = ReadFile(dir / ("share/applications/" + name));
  EXPECT_EQ(WithoutProgram(installed), WithoutProgram(registered));
  EXPECT_NE(installed.find("\nExec=quorvalen %f\n"), std::string::npos) << installed;
  EXPECT_NE(installed.find("\nTryExec=quorvalen\n"), std::string::npos);
  EXPECT_NE(registered.find("\nExec=\"/usr/bin/quorvalen\" %f\n"), std::string::npos) << registered;
  EXPECT_NE(registered.find("\nTryExec=/usr/bin/quorvalen\n"), std::string::npos);
}

}  // namespace
}  // namespace qvl
