#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "listing/CatalogueHistory.h"
#include "listing/ListMethod.h"
#include "listing/PlainListWriters.h"
#include "platform/Drives.h"
#include "platform/Locale.h"
#include "platform/ProfileFile.h"
#include "settings/FileType.h"
#include "settings/History.h"

namespace qvl {

// Where the settings file of a program lives: "Quorvalen.ini" in the program's folder
// when that folder can be written (the build folder, a folder on a stick), else, for an
// installed program or one where its user may not write, in "Quorvalen/" of the user's
// configuration folder: $XDG_CONFIG_HOME when it names a folder from the root, else
// ~/.config. With neither, the file stays beside the program.
struct SettingsEnvironment {
  std::string configHome;  // $XDG_CONFIG_HOME, empty when unset
  std::string home;        // $HOME, empty when unset
};
SettingsEnvironment ThisSettingsEnvironment();
std::string SettingsFilePathFor(const std::string& programFolder, const SettingsEnvironment& environment);

// The settings file of the running program: the window and qvl share it.
std::string SettingsFilePath();

// Creates the folders above a settings file that is about to be written: the one in
// the configuration folder may not exist yet.
void MakeSettingsFolder(const ProfileFile& file);

inline constexpr std::string_view kAllFiles = "All Files";

// What the window's controls show of the settings. The window binds its controls to
// these fields; loading, saving and the method rule work on them alone.
struct WindowSettings {
  explicit WindowSettings(const Collator& collator) : history(collator) {}

  std::string lastOutPut;    // the output file box of the Save tab
  std::string lastBrowsed;   // the catalogue file box of the Browse tab
  char lastDrive = 'C';      // the drive selector's letter
  // The method choice; none when the settings choose no item. The layout selects
  // the first item.
  std::optional<ListMethod> method = ListMethod::Collapsed;
  std::uint8_t rightMargin = kDefaultRightMargin;
  bool skipComment = false;  // Skip Comment
  bool contentHashes = false;  // Content hashes: a catalogue keeps each file's hash
  HistoryList history;
  // The drop-down of the file choice of the Search tab: the newest catalogue first,
  // "All Files" last.
  std::vector<std::string> searchFileItems{std::string(kAllFiles)};
};

// Fills the settings from section Main and the history from section History of the
// file. The file type is registered apart (RegisterFileTypeIfNeeded, after this), so
// that a failed registration costs no setting.
void LoadSettings(const ProfileFile& file, WindowSettings& settings);

// Writes section Main and the history, sorted, as Item1 to ItemN in one replacement
// of the file; keys above ItemN stay as they are. The history written is this one
// merged with what the file holds now, under the file's lock, so that no catalogue
// another program recorded meanwhile is lost.
void SaveSettings(ProfileFile& file, WindowSettings& settings);

// Adds a catalogue to the history unless it names a file there already, and then at
// the top of the drop-down of the Search tab's file choice. True when added.
bool AddToHistory(WindowSettings& settings, const std::string& name);

// The window's history for the create-list command.
class SessionHistory : public CatalogueHistory {
 public:
  explicit SessionHistory(WindowSettings& settings) : settings_(settings) {}
  void AddCatalogue(const std::string& name) override { AddToHistory(settings_, name); }

 private:
  WindowSettings& settings_;
};

// The method-change rule: selects the item, and when the selection changes to an
// item, gives the output name the method's extension (".qvl" for the catalogue, else
// ".txt"). Selecting none leaves the name alone.
void SelectMethod(WindowSettings& settings, std::optional<ListMethod> item);

// The settings file's "Method": the item's number, -1 for none; a number out of
// range is taken as the nearest (7 is the catalogue, -5 none).
std::optional<ListMethod> MethodOfSetting(int value);
int SettingOfMethod(std::optional<ListMethod> method);

// The name with the extension replaced: from its last "." after the last "/", "\" or
// ":" on; appended when there is none; an empty name becomes the extension alone.
std::string ReplaceExtension(std::string_view name, std::string_view extension);

// The right margin of plain lists: RightMargin of section Main, low 8 bits, default 95.
std::uint8_t ReadRightMargin(const ProfileFile& file);

// Drives from section "Drives" ("T=/home/me/Music"), put into the table like
// substituted drives. Keys that are no drive letter and folders that do not exist
// are passed over.
void PutSettingsDrives(const ProfileFile& file, DriveTable& drives);

}  // namespace qvl
