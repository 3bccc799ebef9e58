#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qvl {

struct ProfileEntry {
  std::string section;
  std::string key;
  std::string value;
};

// An INI file, read and written key by key: "[Section]" header lines, then
// "Key=Value" lines. Section and key names match without regard to letter case; the
// first of repeated sections or keys counts. A write replaces the value on the key's
// line, or adds the key (and its section, and the file); no key is ever removed and
// every other line (comments, unknown keys, blank lines, odd spacing) stays byte for
// byte. Each call reads the file anew, so programs sharing it see each other's writes.
// A file that is there but cannot be read throws IoError: it is not taken for an
// empty one.
class ProfileFile {
 public:
  static constexpr std::size_t kMaxValueLength = 2047;

  explicit ProfileFile(std::string path) : path_(std::move(path)) {}
  const std::string& Path() const { return path_; }
  // False when the file is there but cannot be read.
  bool Readable() const;

  // The value without the blanks around it, cut at 2047 bytes; the default when the
  // file, the section or the key is missing.
  std::string ReadString(std::string_view section, std::string_view key, std::string_view defaultValue) const;
  // The value read by ParseProfileInteger; the default when it is not a whole number.
  int ReadInteger(std::string_view section, std::string_view key, int defaultValue) const;
  // Every key of the section with its value, in file order.
  std::vector<std::pair<std::string, std::string>> ReadSection(std::string_view section) const;

  // A failed write throws IoError "Unable to write to <path>" and leaves the file as
  // it was. Values holding a line break are refused, as they would turn into lines
  // of their own.
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, int value);
  // Several keys in one replacement of the file: all of them or none.
  void Write(const std::vector<ProfileEntry>& entries);
  // Write, with the entries chosen while the file is locked against the writes of
  // other programs: `entriesNow` may read the file and merge with what it holds, and
  // nothing written meanwhile is lost. No entries, no write.
  void Update(const std::function<std::vector<ProfileEntry>()>& entriesNow);

 private:
  std::string ReadContent() const;
  std::string path_;
};

// Decimal with an optional sign, or hexadecimal after "0x", "0X" or "$" (eight digits
// at most, taken as a 32-bit pattern); leading blanks are skipped. Anything else, the
// empty text included, is no number.
std::optional<int> ParseProfileInteger(std::string_view text);

}  // namespace qvl
