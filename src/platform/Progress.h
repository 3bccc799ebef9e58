#pragma once

#include <string_view>

namespace qvl {

// How long operations of the core report to whoever started them. The window shows
// these in its progress bars and status lines; the command-line tool draws a
// progress line on a terminal.
//
// Threads: called on the thread that runs the operation. A window that runs it on a
// worker thread forwards the calls as queued signals.
class Progress {
 public:
  virtual ~Progress() = default;
  // A status text such as "Listing C:\Docs\".
  virtual void Status(std::string_view text) { (void)text; }
  // Progress of the file being worked on, 0 to 100.
  virtual void Percent(int percent) { (void)percent; }
  // Progress over several files, 0 to 100.
  virtual void TotalPercent(int percent) { (void)percent; }
  // The walk could not read the folder `listPath` ("C:\Docs\Old\") and lists it as
  // empty; `reason` is the system's, such as "Permission denied".
  virtual void FolderUnreadable(std::string_view listPath, std::string_view reason) {
    (void)listPath;
    (void)reason;
  }
  // The walk could not read the file `listPath` ("C:\Docs\a.bin") for its content
  // hash and lists it without one; `reason` is the system's.
  virtual void FileUnreadable(std::string_view listPath, std::string_view reason) {
    (void)listPath;
    (void)reason;
  }
};

// Integer part of done / total * 100, truncated toward zero; 0 for an empty total.
inline int PercentOf(double done, double total) {
  return total > 0 ? static_cast<int>(done / total * 100.0) : 0;
}

}  // namespace qvl
