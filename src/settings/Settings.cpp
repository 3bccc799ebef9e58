#include "settings/Settings.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "platform/IoError.h"
#include "platform/Program.h"

namespace qvl {
namespace {

constexpr std::string_view kMain = "Main";

}  // namespace

SettingsEnvironment ThisSettingsEnvironment() {
  const char* configHome = std::getenv("XDG_CONFIG_HOME");
  const char* home = std::getenv("HOME");
  return {configHome != nullptr ? configHome : "", home != nullptr ? home : ""};
}

std::string SettingsFilePathFor(const std::string& programFolder, const SettingsEnvironment& environment) {
  constexpr std::string_view kFileName = "Quorvalen.ini";
  std::string folder = programFolder;
  if (folder.empty() || folder.back() != '/') folder += '/';
  // The file is written by replacing it, so it is the folder that must take writes.
  // An installed program keeps its settings with the user even where it could
  // write beside itself: root in /usr/bin, a user in ~/.local/bin.
  if (::access(folder.c_str(), W_OK) == 0 && !InstalledProgramFolder(folder)) return folder + std::string(kFileName);
  std::string config;
  if (environment.configHome.starts_with('/'))
    config = environment.configHome;
  else if (!environment.home.empty())
    config = environment.home + "/.config";
  else
    return folder + std::string(kFileName);
  if (config.back() != '/') config += '/';
  return config + "Quorvalen/" + std::string(kFileName);
}

std::string SettingsFilePath() { return SettingsFilePathFor(ProgramFolder(), ThisSettingsEnvironment()); }

void MakeSettingsFolder(const ProfileFile& file) {
  auto folder = std::filesystem::path(file.Path()).parent_path();
  if (folder.empty()) return;
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) ThrowIoError("create the folder", folder.string(), error.value());
}

void LoadSettings(const ProfileFile& file, WindowSettings& settings) {
  settings.lastOutPut = file.ReadString(kMain, "LastOutPut", "");
  settings.lastBrowsed = file.ReadString(kMain, "LastBrowsed", "");
  // An empty value, possible only by editing the file, keeps drive C.
  std::string drive = file.ReadString(kMain, "LastDrive", "C");
  settings.lastDrive = drive.empty() ? 'C' : drive[0];
  SelectMethod(settings, MethodOfSetting(file.ReadInteger(kMain, "Method", 3)));
  settings.rightMargin = ReadRightMargin(file);
  settings.skipComment = file.ReadInteger(kMain, "SkipComment", 0) == 1;
  settings.contentHashes = file.ReadInteger(kMain, "ContentHashes", 0) == 1;
  for (auto& name : ReadHistoryKeys(file)) AddToHistory(settings, name);
}

void SaveSettings(ProfileFile& file, WindowSettings& settings) {
  MakeSettingsFolder(file);
  file.Update([&] {
    std::vector<ProfileEntry> entries{
        {std::string(kMain), "LastOutPut", settings.lastOutPut},
        {std::string(kMain), "LastDrive", std::string(1, AsciiUpper(settings.lastDrive))},
        {std::string(kMain), "LastBrowsed", settings.lastBrowsed},
        {std::string(kMain), "Method", std::to_string(SettingOfMethod(settings.method))},
        {std::string(kMain), "RightMargin", std::to_string(settings.rightMargin)},
        {std::string(kMain), "SkipComment", settings.skipComment ? "1" : "0"},
        {std::string(kMain), "ContentHashes", settings.contentHashes ? "1" : "0"},
    };
    // Catalogues that other programs (another window, qvl list) recorded since
    // this one started stay in the history.
    for (auto& name : ReadHistoryKeys(file)) settings.history.Add(std::move(name));
    settings.history.Sort();
    for (int i = 0; i < settings.history.Count(); ++i)
      entries.push_back({std::string(kHistory), ItemKey(static_cast<std::size_t>(i) + 1), settings.history.Entry(i)});
    return entries;
  });
}

bool AddToHistory(WindowSettings& settings, const std::string& name) {
  if (!settings.history.Add(name)) return false;
  settings.searchFileItems.insert(settings.searchFileItems.begin(), name);
  return true;
}

void SelectMethod(WindowSettings& settings, std::optional<ListMethod> item) {
  if (item == settings.method) return;
  settings.method = item;
  if (item)
    settings.lastOutPut = ReplaceExtension(settings.lastOutPut, item == ListMethod::Catalogue ? ".qvl" : ".txt");
}

std::optional<ListMethod> MethodOfSetting(int value) {
  if (value < 0) return std::nullopt;
  return static_cast<ListMethod>(std::min(value, static_cast<int>(ListMethod::Catalogue)));
}

int SettingOfMethod(std::optional<ListMethod> method) { return method ? static_cast<int>(*method) : -1; }

std::string ReplaceExtension(std::string_view name, std::string_view extension) {
  auto dot = name.rfind('.');
  auto separator = name.find_last_of("/\\:");
  if (dot != std::string_view::npos && (separator == std::string_view::npos || dot > separator))
    name = name.substr(0, dot);
  return std::string(name) + std::string(extension);
}

std::uint8_t ReadRightMargin(const ProfileFile& file) {
  // Held in 8 bits: 300 becomes 44, -1 becomes 255.
  return static_cast<std::uint8_t>(file.ReadInteger(kMain, "RightMargin", kDefaultRightMargin));
}

void PutSettingsDrives(const ProfileFile& file, DriveTable& drives) {
  for (const auto& [key, folder] : file.ReadSection("Drives")) {
    std::string letter = key;
    if (letter.size() == 2 && letter[1] == ':') letter.pop_back();
    char c = letter.size() == 1 ? AsciiUpper(letter[0]) : '\0';
    std::error_code error;
    if (c < 'A' || c > 'Z' || folder.empty() || !std::filesystem::is_directory(folder, error)) continue;
    drives.Put(SubstitutedDrive(c, folder));
  }
}

}  // namespace qvl
