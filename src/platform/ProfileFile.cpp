#include "platform/ProfileFile.h"

#include <algorithm>
#include <cstdint>

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

void Apply(std::string& content, const ProfileEntry& entry, std::string_view eol) {
  auto lines = ParseLines(content);
  auto span = FindSection(lines, entry.section);
  std::string keyLine = entry.key + "=" + entry.value;
  if (!span) {
    if (!content.empty() && content.back() != '\n') content += eol;
    content += "[" + entry.section + "]";
    content.append(eol).append(keyLine).append(eol);
    return;
  }
  std::size_t after = span->header;
  for (std::size_t i = span->header + 1; i < span->end; ++i) {
    if (lines[i].kind != Line::Kind::Key) continue;
    if (SameName(lines[i].name, entry.key)) {
      content.replace(lines[i].valueBegin, lines[i].textEnd - lines[i].valueBegin, entry.value);
      return;
    }
    after = i;
  }
  // A new key goes after the section's last key, before any blank lines that follow.
  std::string added = keyLine;
  added += eol;
  if (lines[after].textEnd == lines[after].end) added.insert(0, eol);
  content.insert(lines[after].end, added);
}

}  // namespace

std::string ProfileFile::ReadContent() const {
  try {
    return FileExists(path_) ? ReadFileBytes(path_) : std::string();
  } catch (const IoError&) {
    return {};
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
  if (auto span = FindSection(lines, section)) {
    for (std::size_t i = span->header + 1; i < span->end; ++i) {
      if (lines[i].kind != Line::Kind::Key) continue;
      bool repeated = false;
      for (const auto& known : keys) repeated = repeated || SameName(known.first, lines[i].name);
      if (!repeated) keys.emplace_back(lines[i].name, lines[i].value.substr(0, kMaxValueLength));
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
  std::string failure = "Unable to write to " + path_;
  for (const auto& entry : entries) {
    if (entry.value.find_first_of("\r\n") != std::string::npos)
      throw IoError(failure + ": the value of " + entry.key + " holds a line break");
  }
  try {
    std::string content = FileExists(path_) ? ReadFileBytes(path_) : std::string();
    std::string eol(LineBreakOf(content));
    for (const auto& entry : entries) Apply(content, entry, eol);
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
