#pragma once

#include <chrono>
#include <string>

#include "platform/Progress.h"

namespace qvl::cli {

// A one-line progress display on stderr, drawn only when stderr is a terminal and
// at most a few times a second; the line is erased when the work is done.
class TerminalProgress final : public Progress {
 public:
  TerminalProgress();
  ~TerminalProgress() override;
  TerminalProgress(const TerminalProgress&) = delete;
  TerminalProgress& operator=(const TerminalProgress&) = delete;

  void Status(std::string_view text) override;
  void Percent(int percent) override;
  void Clear();

 private:
  bool Due();
  void Draw(std::string_view text);

  bool enabled_;
  bool drawn_ = false;
  std::chrono::steady_clock::time_point lastDraw_{};
  std::string status_;
};

}  // namespace qvl::cli
