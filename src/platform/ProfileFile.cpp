#include "platform/ProfileFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <unordered_map>
#include <unordered_set>

#include "platform/File.h"
#include "platform/HexDigits.h"
#include "platform/IoError.h"
#include "platform/Locale.h"

namespace qvl {
namespace {

constexpr std::string_view kBlanks = " \t";

std::string_view Trim(std::string_view text) {
  auto first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  return true;
}

struct Line {
  enum class Kind { Other, Section, Key };
  std::size_t textEnd = 0;  // before the line break
  std::size_t end = 0;      // after it
  Kind kind = Kind::Other;
  std::string_view name;       // of the section or key
  std::size_t valueBegin = 0;  // keys: where the value starts, after "=" and blanks
  std::string_view value;      // keys: without the blanks around it
};

std::vector<Line> ParseLines(std::string_view content) {
  std::vector<Line> lines;
  for (std::size_t begin = 0; begin < content.size();) {
    Line line;
    auto newline = content.find('\n', begin);
    line.end = newline == std::string_view::npos ? content.size() : newline + 1;
    line.textEnd = newline == std::string_view::npos ? content.size() : newline;
    if (newline != std::string_view::npos && line.textEnd > begin && content[line.textEnd - 1] == '\r')
      --line.textEnd;
    std::string_view text = content.substr(begin, line.textEnd - begin);
    std::string_view trimmed = Trim(text);
    if (!trimmed.empty() && trimmed[0] == '[') {
      if (auto close = trimmed.find(']'); close != std::string_view::npos) {
        line.kind = Line::Kind::Section;
        line.name = Trim(trimmed.substr(1, close - 1));
      }
    } else if (!trimmed.empty() && trimmed[0] != ';' && trimmed[0] != '#') {
      if (auto eq = text.find('='); eq != std::string_view::npos) {
        std::string_view rest = text.substr(eq + 1);
        line.kind = Line::Kind::Key;
        line.name = Trim(text.substr(0, eq));
        line.valueBegin = begin + eq + 1 + std::min(rest.find_first_not_of(kBlanks), rest.size());
        line.value = Trim(rest);
      }
    }
    lines.push_back(line);
    begin = line.end;
  }
  return lines;
}

// The header line of the first section of that name and the end of its lines.
struct SectionSpan {
  std::size_t header;
  std::size_t end;
};

std::optional<SectionSpan> FindSection(const std::vector<Line>& lines, std::string_view section) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].kind != Line::Kind::Section || !SameName(lines[i].name, section)) continue;
    std::size_t end = i + 1;
    while (end < lines.size() && lines[end].kind != Line::Kind::Section) ++end;
    return SectionSpan{i, end};
  }
  return std::nullopt;
}

// New lines follow the file's own line breaks.
std::string_view LineBreakOf(std::string_view content) {
  auto newline = content.find('\n');
  return newline != std::string_view::npos && newline > 0 && content[newline - 1] == '\r' ? "\r\n" : "\n";
}

std::string LowerName(std::string_view name) {
  std::string lower(name);
  for (char& c : lower) c = AsciiLower(c);
  return lower;
}

// The entries applied to the content in one pass over its lines: a settings file
// with a history of thousands of keys is written in one go, not parsed per key.
std::string ApplyAll(std::string_view content, const std::vector<ProfileEntry>& entries) {
  const auto lines = ParseLines(content);
  const std::string eol(LineBreakOf(content));

  struct Section {
    std::size_t anchor;  // the line new keys go after: the last key, else the header
    std::unordered_map<std::string, std::size_t> keys;  // the first line of each key
  };
  std::unordered_map<std::string, Section> sections;  // the first section of each name
  for (std::size_t i = 0, current = SIZE_MAX; i < lines.size(); ++i) {
    if (lines[i].kind == Line::Kind::Section) {
      auto [found, added] = sections.try_emplace(LowerName(lines[i].name), Section{i, {}});
      current = added ? i : SIZE_MAX;
      (void)found;
    } else if (lines[i].kind == Line::Kind::Key && current != SIZE_MAX) {
      Section& section = sections.at(LowerName(lines[current].name));
      section.keys.try_emplace(LowerName(lines[i].name), i);
      section.anchor = i;
    }
  }

  // New keys, in the order first written: after a section's last key, or in a
  // section added at the end.
  struct NewKeys {
    std::vector<std::string> keys, values;
    std::unordered_map<std::string, std::size_t> index;
    void Put(const ProfileEntry& entry) {
      auto [at, added] = index.try_emplace(LowerName(entry.key), keys.size());
      if (added) {
        keys.push_back(entry.key);
        values.push_back(entry.value);
      } else {
        values[at->second] = entry.value;
      }
    }
  };
  std::unordered_map<std::size_t, std::string> replaced;  // line: its new value
  std::unordered_map<std::size_t, NewKeys> inserted;      // line: the keys after it
  std::vector<std::pair<std::string, NewKeys>> newSections;
  for (const auto& entry : entries) {
    if (auto section = sections.find(LowerName(entry.section)); section != sections.end()) {
      auto key = section->second.keys.find(LowerName(entry.key));
      if (key != section->second.keys.end())
        replaced[key->second] = entry.value;
      else
        inserted[section->second.anchor].Put(entry);
      continue;
    }
    auto added = std::find_if(newSections.begin(), newSections.end(),
                              [&](const auto& known) { return SameName(known.first, entry.section); });
    if (added == newSections.end()) added = newSections.insert(newSections.end(), {entry.section, NewKeys{}});
    added->second.Put(entry);
  }

  std::string out;
  out.reserve(content.size() + entries.size() * 48);
  std::size_t begin = 0;
  for (std::size_t i = 0; i < lines.size(); begin = lines[i].end, ++i) {
    const Line& line = lines[i];
    if (auto value = replaced.find(i); value != replaced.end()) {
      out.append(content.substr(begin, line.valueBegin - begin)).append(value->second);
      out.append(content.substr(line.textEnd, line.end - line.textEnd));
    } else {
      out.append(content.substr(begin, line.end - begin));
    }
    if (auto keys = inserted.find(i); keys != inserted.end()) {
      // A new key goes after the section's last key, before any blank lines that follow.
      if (line.textEnd == line.end) out += eol;
      for (std::size_t k = 0; k < keys->second.keys.size(); ++k)
        out.append(keys->second.keys[k]).append("=").append(keys->second.values[k]).append(eol);
    }
  }
  for (const auto& [name, keys] : newSections) {
    if (!out.empty() && out.back() != '\n') out += eol;
    out.append("[").append(name).append("]").append(eol);
    for (std::size_t k = 0; k < keys.keys.size(); ++k) out.append(keys.keys[k]).append("=").append(keys.values[k]).append(eol);
  }
  return out;
}

// Held while the file is read and written anew, so that two programs sharing it
// never lose each other's writes. The lock is on the folder: the file itself is
// replaced by a new one at every write. A folder that cannot be opened gets none,
// and the write then fails or not as it would have.
class FolderLock {
 public:
  explicit FolderLock(const std::string& file) {
    auto slash = file.rfind('/');
    std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : file.substr(0, slash);
    fd_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ < 0) return;
    while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
    }
  }
  ~FolderLock() {
    if (fd_ >= 0) ::close(fd_);
  }
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

 private:
  int fd_ = -1;
};

}  // namespace

std::string ProfileFile::ReadContent() const {
  // A missing file reads as empty; one that is there but cannot be read is said so,
  // never taken for empty (and then written over with defaults).
  struct stat st {};
  if (::stat(path_.c_str(), &st) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) return {};
    ThrowIoError("read", path_, errno);
  }
  if (S_ISDIR(st.st_mode)) return {};
  return ReadFileBytes(path_);
}

bool ProfileFile::Readable() const {
  try {
    ReadContent();
    return true;
  } catch (const IoError&) {
    return false;
  }
}

std::string ProfileFile::ReadString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue) const {
  std::string content = ReadContent();
  auto lines = ParseLines(content);
  if (auto span = FindSection(lines, section)) {
    for (std::size_t i = span->header + 1; i < span->end; ++i) {
      if (lines[i].kind == Line::Kind::Key && SameName(lines[i].name, key))
        return std::string(lines[i].value.substr(0, kMaxValueLength));
    }
  }
  return std::string(defaultValue);
}

int ProfileFile::ReadInteger(std::string_view section, std::string_view key, int defaultValue) const {
  return ParseProfileInteger(ReadString(section, key, {})).value_or(defaultValue);
}

std::vector<std::pair<std::string, std::string>> ProfileFile::ReadSection(std::string_view section) const {
  std::string content = ReadContent();
  auto lines = ParseLines(content);
  std::vector<std::pair<std::string, std::string>> keys;
  std::unordered_set<std::string> seen;  // a history section holds thousands
  if (auto span = FindSection(lines, section)) {
    for (std::size_t i = span->header + 1; i < span->end; ++i) {
      if (lines[i].kind != Line::Kind::Key || !seen.insert(LowerName(lines[i].name)).second) continue;
      keys.emplace_back(lines[i].name, lines[i].value.substr(0, kMaxValueLength));
    }
  }
  return keys;
}

void ProfileFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  Write({{std::string(section), std::string(key), std::string(value)}});
}

void ProfileFile::WriteInteger(std::string_view section, std::string_view key, int value) {
  WriteString(section, key, std::to_string(value));
}

void ProfileFile::Write(const std::vector<ProfileEntry>& entries) {
  Update([&entries] { return entries; });
}

void ProfileFile::Update(const std::function<std::vector<ProfileEntry>()>& entriesNow) {
  const std::string failure = "Unable to write to " + path_;
  FolderLock lock(path_);
  const std::vector<ProfileEntry> entries = entriesNow();
  if (entries.empty()) return;
  for (const auto& entry : entries) {
    if (entry.value.find_first_of("\r\n") != std::string::npos)
      throw IoError(failure + ": the value of " + entry.key + " holds a line break");
  }
  std::string content = ApplyAll(ReadContent(), entries);
  try {
    ReplaceFile(path_, content);
  } catch (const IoError&) {
    throw IoError(failure);
  }
}

std::optional<int> ParseProfileInteger(std::string_view text) {
  text.remove_prefix(std::min(text.find_first_not_of(kBlanks), text.size()));
  int base = 10;
  bool negative = false;
  if (text.starts_with("0x") || text.starts_with("0X")) {
    base = 16;
    text.remove_prefix(2);
  } else if (text.starts_with('$')) {
    base = 16;
    text.remove_prefix(1);
  } else if (text.starts_with('+') || text.starts_with('-')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  const std::uint64_t limit = base == 16 ? 0xFFFFFFFFull : (negative ? 2147483648ull : 2147483647ull);
  std::uint64_t value = 0;
  for (char c : text) {
    int digit = HexDigitValue(c);
    if (digit < 0 || digit >= base) return std::nullopt;
    value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
    if (value > limit) return std::nullopt;
  }
  if (base == 16) return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
  return static_cast<int>(negative ? -static_cast<std::int64_t>(value) : static_cast<std::int64_t>(value));
}

}  // namespace qvl
