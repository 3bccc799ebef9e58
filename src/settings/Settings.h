#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "listing/CatalogueHistory.h"
#include "listing/PlainListWriters.h"
#include "platform/Drives.h"
#include "platform/Locale.h"
#include "platform/ProfileFile.h"
#include "settings/FileType.h"
#include "settings/History.h"

namespace qvl {

// "Quorvalen.ini" in the program file's folder: the window and qvl share it.
std::string SettingsFilePath();

inline constexpr std::string_view kAllFiles = "All Files";

// What the window's controls show of the settings. The window binds its controls to
// these fields; loading, saving and the method rule work on them alone.
struct WindowSettings {
  explicit WindowSettings(const Collator& collator) : history(collator) {}

  std::string lastOutPut;    // Edit1: the output file of the Save tab
  std::string lastBrowsed;   // Edit2: the catalogue file of the Browse tab
  char lastDrive = 'C';      // the drive selector's letter
  int method = 0;            // MethodGroup's item: -1 (none) to 3; the layout selects 0
  std::uint8_t rightMargin = kDefaultRightMargin;
  bool skipComment = false;  // CommentCB
  HistoryList history;
  // The drop-down of SearchExtFilterCombo: the newest catalogue first, "All Files" last.
  std::vector<std::string> searchFileItems{std::string(kAllFiles)};
};

// Fills the settings from section Main and the history from section History of the
// file, then registers the file type unless ReggedFileTypes says it is done.
void LoadSettings(ProfileFile& file, WindowSettings& settings, const Desktop& desktop);

// Writes section Main and the history, sorted, as Item1 to ItemN in one replacement
// of the file; keys above ItemN stay as they are.
void SaveSettings(ProfileFile& file, WindowSettings& settings);

// Adds a catalogue to the history unless it is there in any letter case, and then at
// the top of the Search tab's drop-down. True when added.
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
// ".txt"). Selecting none (-1) leaves the name alone.
void SelectMethod(WindowSettings& settings, int item);

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
