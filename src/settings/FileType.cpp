#include "settings/FileType.h"

#include <cstdlib>
#include <filesystem>

#include "platform/File.h"
#include "platform/IoError.h"
#include "platform/Program.h"
#include "settings/Settings.h"

namespace qvl {
namespace {

constexpr std::string_view kIconName = "quorvalen";

// A desktop entry's string value: what the format reserves, escaped.
std::string StringValue(std::string_view text) {
  std::string value;
  for (char c : text) {
    switch (c) {
      case '\\': value += "\\\\"; break;
      case '\n': value += "\\n"; break;
      case '\t': value += "\\t"; break;
      case '\r': value += "\\r"; break;
      default: value += c;
    }
  }
  return value;
}

// The program as the first word of a desktop entry's Exec key: quoted, with what the
// format reserves inside quotes escaped, then escaped once more as a string value.
std::string ExecProgram(std::string_view path) {
  std::string quoted = "\"";
  for (char c : path) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
    quoted += c;
    if (c == '%') quoted += '%';
  }
  quoted += '"';
  return StringValue(quoted);
}

// The installed entry, with this program named in full. It has the installed entry's
// desktop id and so hides that one: everything else must stay the same.
std::string DesktopEntry(const std::string& programPath) {
  std::string_view installed = InstalledDesktopEntry();
  std::string entry;
  for (std::size_t start = 0; start < installed.size();) {
    std::size_t end = installed.find('\n', start);
    end = end == std::string_view::npos ? installed.size() : end + 1;
    std::string_view line = installed.substr(start, end - start);
    if (line.starts_with("Exec="))
      entry += "Exec=" + ExecProgram(programPath) + " %f\n";
    else if (line.starts_with("TryExec="))
      entry += "TryExec=" + StringValue(programPath) + "\n";
    else
      entry += line;
    start = end;
  }
  return entry;
}

void WriteInFolder(const std::string& folder, const std::string& name, std::string_view content) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) ThrowIoError("create the folder", folder, error.value());
  ReplaceFile(folder + "/" + name, content);
}

void RunUpdateTool(const std::string& name, const std::string& folder, const std::string& toolPath) {
  std::string tool = FindProgram(name, toolPath);
  if (tool.empty()) return;
  int status = RunProgram(tool, {folder});
  if (status != 0)
    throw IoError("Cannot update \"" + folder + "\": " + name + " ended with status " + std::to_string(status));
}

}  // namespace

Desktop ThisDesktop() {
  Desktop desktop;
  desktop.programPath = ProgramPath();
  const char* dataHome = std::getenv("XDG_DATA_HOME");
  const char* home = std::getenv("HOME");
  if (dataHome != nullptr && dataHome[0] == '/')
    desktop.dataHome = dataHome;
  else if (home != nullptr && home[0] != '\0')
    desktop.dataHome = std::string(home) + "/.local/share";
  const char* path = std::getenv("PATH");
  desktop.toolPath = path != nullptr ? path : "/usr/bin:/bin";
  return desktop;
}

void RegisterFileType(ProfileFile& settingsFile, const Desktop& desktop) {
  if (desktop.dataHome.empty())
    throw IoError("Cannot register the catalogue file type: neither XDG_DATA_HOME nor HOME is set");
  const std::string& home = desktop.dataHome;
  WriteInFolder(home + "/icons/hicolor/scalable/apps", std::string(kIconName) + ".svg", ProgramIconSvg());
  WriteInFolder(home + "/mime/packages", "quorvalen.xml", MimePackageXml());
  WriteInFolder(home + "/applications", std::string(kDesktopId) + ".desktop", DesktopEntry(desktop.programPath));
  RunUpdateTool("update-mime-database", home + "/mime", desktop.toolPath);
  RunUpdateTool("update-desktop-database", home + "/applications", desktop.toolPath);
  MakeSettingsFolder(settingsFile);
  settingsFile.WriteInteger("Main", "ReggedFileTypes", 1);
}

bool RegisterFileTypeIfNeeded(ProfileFile& settingsFile, const Desktop& desktop) {
  if (settingsFile.ReadInteger("Main", "ReggedFileTypes", 0) != 0) return false;
  RegisterFileType(settingsFile, desktop);
  return true;
}

}  // namespace qvl
