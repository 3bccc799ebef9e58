#pragma once

#include <chrono>
#include <iosfwd>
#include <string>

#include "platform/Progress.h"

namespace qvl::cli {

// A one-line progress display on stderr, drawn only when stderr is a terminal and
// at most a few times a second; the line is erased when the work is done. Folders
// that cannot be read are told on `messages` (stderr) one line each as met, and
// counted.
class TerminalProgress final : public Progress {
 public:
  TerminalProgress();
  explicit TerminalProgress(std::ostream& messages);
  ~TerminalProgress() override;
  TerminalProgress(const TerminalProgress&) = delete;
  TerminalProgress& operator=(const TerminalProgress&) = delete;

  void Status(std::string_view text) override;
  void Percent(int percent) override;
  void FolderUnreadable(std::string_view listPath, std::string_view reason) override;
  void FileUnreadable(std::string_view listPath, std::string_view reason) override;
  void Clear();
  // "qvl: 3 folders could not be read" and "qvl: 2 files could not be read for
  // their hashes" on `messages` when any could not; after "Listing complete".
  void SayUnreadableCount();

 private:
  bool Due();
  void Draw(std::string_view text);

  bool enabled_;
  bool drawn_ = false;
  std::chrono::steady_clock::time_point lastDraw_{};
  std::string status_;
  std::ostream& messages_;
  std::size_t unreadable_ = 0;
  std::size_t unreadableFiles_ = 0;
};

}  // namespace qvl::cli
