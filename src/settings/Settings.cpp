#include "settings/Settings.h"

#include <algorithm>
#include <filesystem>

#include "platform/Program.h"

namespace qvl {
namespace {

constexpr std::string_view kMain = "Main";

}  // namespace

std::string SettingsFilePath() { return ProgramFolder() + "Quorvalen.ini"; }

void LoadSettings(ProfileFile& file, WindowSettings& settings, const Desktop& desktop) {
  settings.lastOutPut = file.ReadString(kMain, "LastOutPut", "");
  settings.lastBrowsed = file.ReadString(kMain, "LastBrowsed", "");
  // An empty value, possible only by editing the file, keeps drive C.
  std::string drive = file.ReadString(kMain, "LastDrive", "C");
  settings.lastDrive = drive.empty() ? 'C' : drive[0];
  SelectMethod(settings, std::clamp(file.ReadInteger(kMain, "Method", 3), -1, 3));
  settings.rightMargin = ReadRightMargin(file);
  settings.skipComment = file.ReadInteger(kMain, "SkipComment", 0) == 1;
  for (auto& name : ReadHistoryKeys(file)) AddToHistory(settings, name);
  if (file.ReadInteger(kMain, "ReggedFileTypes", 0) == 0) RegisterFileType(file, desktop);
}

void SaveSettings(ProfileFile& file, WindowSettings& settings) {
  std::vector<ProfileEntry> entries{
      {std::string(kMain), "LastOutPut", settings.lastOutPut},
      {std::string(kMain), "LastDrive", std::string(1, AsciiUpper(settings.lastDrive))},
      {std::string(kMain), "LastBrowsed", settings.lastBrowsed},
      {std::string(kMain), "Method", std::to_string(std::clamp(settings.method, -1, 3))},
      {std::string(kMain), "RightMargin", std::to_string(settings.rightMargin)},
      {std::string(kMain), "SkipComment", settings.skipComment ? "1" : "0"},
  };
  settings.history.Sort();
  for (int i = 0; i < settings.history.Count(); ++i)
    entries.push_back({std::string(kHistory), ItemKey(static_cast<std::size_t>(i) + 1), settings.history.Entry(i)});
  file.Write(entries);
}

bool AddToHistory(WindowSettings& settings, const std::string& name) {
  if (!settings.history.Add(name)) return false;
  settings.searchFileItems.insert(settings.searchFileItems.begin(), name);
  return true;
}

void SelectMethod(WindowSettings& settings, int item) {
  if (item == settings.method) return;
  settings.method = item;
  if (item >= 0) settings.lastOutPut = ReplaceExtension(settings.lastOutPut, item == 3 ? ".qvl" : ".txt");
}

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
