#pragma once

#include <string>
#include <string_view>

#include "platform/ProfileFile.h"

namespace qvl {

// The catalogue file type as the desktop knows it: the type's name, "Quorvalen File",
// as a MIME type name, and its description.
inline constexpr std::string_view kMimeType = "application/x-quorvalen-file";
inline constexpr std::string_view kFileTypeDescription = "Quorvalen Drive Image File";
// The program as the desktop knows it: the name of its desktop entry and metadata.
inline constexpr std::string_view kDesktopId = "io.github.quorvalen.Quorvalen";

// Where the file type is registered.
struct Desktop {
  std::string programPath;  // the program that opens catalogue files
  std::string dataHome;     // the user's data folder ($XDG_DATA_HOME)
  std::string toolPath;     // folders in which the desktop's update tools are looked for
};

// The running program on this user's desktop: $XDG_DATA_HOME when it names a folder
// from the root, else ~/.local/share; the tools along $PATH.
Desktop ThisDesktop();

// Makes the desktop open *.qvl files, in any letter case, with the program and the
// file as its one argument: the shared-mime-info package, the program icon and the
// desktop entry an install has, with this program named in full, then
// update-mime-database and update-desktop-database where present. Then writes ReggedFileTypes=1 into section
// Main. A failure throws, and ReggedFileTypes stays unwritten so that the next start
// tries again.
void RegisterFileType(ProfileFile& settingsFile, const Desktop& desktop);

// Registers the file type unless ReggedFileTypes of section Main says it is done; a
// step of its own after the settings are loaded, so that a caller can report a failed
// registration and still has every setting. True when it registered now.
bool RegisterFileTypeIfNeeded(ProfileFile& settingsFile, const Desktop& desktop);

// The files an install puts on the desktop: the program's icon (an SVG picture), the
// shared-mime-info package, and the desktop entry, which runs "quorvalen" by name.
std::string_view ProgramIconSvg();
std::string_view MimePackageXml();
std::string_view InstalledDesktopEntry();

}  // namespace qvl
