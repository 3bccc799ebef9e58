#include "cli/TerminalProgress.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <iostream>

namespace qvl::cli {
namespace {

// Names may hold control characters; none of them may reach the terminal, nor
// split a message line in two.
std::string Printable(std::string_view text) {
  std::string printable(text);
  for (char& c : printable)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  return printable;
}

}  // namespace

TerminalProgress::TerminalProgress() : TerminalProgress(std::cerr) {}

TerminalProgress::TerminalProgress(std::ostream& messages)
    : enabled_(&messages == &std::cerr && ::isatty(STDERR_FILENO) == 1), messages_(messages) {}

TerminalProgress::~TerminalProgress() { Clear(); }

bool TerminalProgress::Due() {
  if (!enabled_) return false;
  auto now = std::chrono::steady_clock::now();
  if (drawn_ && now - lastDraw_ < std::chrono::milliseconds(100)) return false;
  lastDraw_ = now;
  return true;
}

void TerminalProgress::Status(std::string_view text) {
  // Kept even when not drawn: the percentages that follow belong to it.
  status_ = text;
  if (Due()) Draw(status_);
}

void TerminalProgress::Percent(int percent) {
  if (Due()) Draw(status_ + (status_.empty() ? "" : " ") + std::to_string(percent) + "%");
}

void TerminalProgress::Draw(std::string_view text) {
  winsize size{};
  std::size_t width = ::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 1 ? size.ws_col - 1u : 79u;
  if (text.size() > width) {
    text = text.substr(0, width);
    // Do not cut a UTF-8 character in two.
    while (!text.empty() && (static_cast<unsigned char>(text.back()) & 0xC0) == 0x80) text.remove_suffix(1);
    if (!text.empty() && static_cast<unsigned char>(text.back()) >= 0xC0) text.remove_suffix(1);
  }
  // (Appended rather than added: GCC 12 at -O3 takes "\r" + text for an overlapping copy.)
  std::string line = "\r";
  line += Printable(text);
  line += "\x1b[K";
  (void)!::write(STDERR_FILENO, line.data(), line.size());
  drawn_ = true;
}

void TerminalProgress::FolderUnreadable(std::string_view listPath, std::string_view reason) {
  ++unreadable_;
  Clear();
  messages_ << "qvl: cannot read folder " << Printable(listPath) << ": " << Printable(reason) << '\n'
            << std::flush;
}

void TerminalProgress::FileUnreadable(std::string_view listPath, std::string_view reason) {
  ++unreadableFiles_;
  Clear();
  messages_ << "qvl: cannot read file " << Printable(listPath) << ": " << Printable(reason) << '\n' << std::flush;
}

void TerminalProgress::SayUnreadableCount() {
  if (unreadable_ != 0)
    messages_ << "qvl: " << unreadable_ << (unreadable_ == 1 ? " folder" : " folders") << " could not be read\n";
  if (unreadableFiles_ != 0)
    messages_ << "qvl: " << unreadableFiles_ << (unreadableFiles_ == 1 ? " file" : " files")
              << " could not be read for their hashes\n";
  messages_ << std::flush;
}

void TerminalProgress::Clear() {
  if (!drawn_) return;
  static constexpr char kErase[] = "\r\x1b[K";
  (void)!::write(STDERR_FILENO, kErase, sizeof kErase - 1);
  drawn_ = false;
}

}  // namespace qvl::cli
