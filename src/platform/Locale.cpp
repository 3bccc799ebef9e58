#include "platform/Locale.h"

#include <locale.h>
#include <unicode/casemap.h>
#include <unicode/ucasemap.h>
#include <unicode/ucol.h>
#include <unicode/ustring.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <stdexcept>

namespace qvl {
namespace {

bool IsUtf8(std::string_view text) {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
  auto length = static_cast<std::int32_t>(text.size());
  for (std::int32_t i = 0; i < length;) {
    UChar32 c;
    U8_NEXT(bytes, i, length, c);
    if (c < 0) return false;
  }
  return true;
}

// Windows-1252 lower case of every byte: A-Z, the Latin-1 letters C0-DE but the
// multiplication sign, and S, OE and Z with caron and Y with diaeresis.
constexpr std::array<unsigned char, 256> MakeLower1252() {
  std::array<unsigned char, 256> lower{};
  for (int c = 0; c < 256; ++c) lower[c] = static_cast<unsigned char>(c);
  for (int c = 'A'; c <= 'Z'; ++c) lower[c] = static_cast<unsigned char>(c + 0x20);
  for (int c = 0xC0; c <= 0xDE; ++c)
    if (c != 0xD7) lower[c] = static_cast<unsigned char>(c + 0x20);
  lower[0x8A] = 0x9A;
  lower[0x8C] = 0x9C;
  lower[0x8E] = 0x9E;
  lower[0x9F] = 0xFF;
  return lower;
}
constexpr std::array<unsigned char, 256> kLower1252 = MakeLower1252();

// Ends the key of a name that is not UTF-8: no byte of valid UTF-8 is 0xFF, so such
// a key never equals the key of a UTF-8 name whose folded bytes happen to match.
constexpr char kNotUtf8Mark = '\xFF';

// Full Unicode case folding of valid UTF-8, appended to `key`.
bool AppendUtf8Fold(std::string_view text, std::string& key) {
  const std::size_t start = key.size();
  std::size_t room = text.size() * 3 + 16;
  for (int attempt = 0; attempt < 2; ++attempt) {
    key.resize(start + room);
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = icu::CaseMap::utf8Fold(U_FOLD_CASE_DEFAULT, text.data(), static_cast<int32_t>(text.size()),
                                            key.data() + start, static_cast<int32_t>(room), nullptr, status);
    if (U_SUCCESS(status)) {
      key.resize(start + static_cast<std::size_t>(length));
      return true;
    }
    if (status != U_BUFFER_OVERFLOW_ERROR) break;
    room = static_cast<std::size_t>(length);
  }
  key.resize(start);
  return false;
}

std::string AsciiCase(std::string_view text, bool upper) {
  return upper ? AsciiUpperCase(text) : AsciiLowerCase(text);
}

std::string IcuCase(std::string_view text, bool upper) {
  if (!IsUtf8(text)) return AsciiCase(text, upper);
  UErrorCode status = U_ZERO_ERROR;
  std::string locale = UserLocaleName("LC_CTYPE");
  UCaseMap* map = ucasemap_open(locale.c_str(), 0, &status);
  if (U_FAILURE(status)) return AsciiCase(text, upper);
  std::string result(text.size() * 3 + 4, '\0');
  auto convert = upper ? ucasemap_utf8ToUpper : ucasemap_utf8ToLower;
  int32_t length = convert(map, result.data(), static_cast<int32_t>(result.size()), text.data(),
                           static_cast<int32_t>(text.size()), &status);
  ucasemap_close(map);
  if (U_FAILURE(status)) return AsciiCase(text, upper);
  result.resize(static_cast<std::size_t>(length));
  return result;
}

std::string TimeText(std::time_t when, const char* format) {
  locale_t locale = newlocale(LC_TIME_MASK, "", static_cast<locale_t>(0));
  if (locale == static_cast<locale_t>(0)) locale = newlocale(LC_TIME_MASK, "C", static_cast<locale_t>(0));
  std::tm parts{};
  localtime_r(&when, &parts);
  char text[128];
  std::size_t length = strftime_l(text, sizeof text, format, &parts, locale);
  freelocale(locale);
  return std::string(text, length);
}

}  // namespace

bool IsValidUtf8(std::string_view text) { return IsUtf8(text); }

std::string Windows1252ToUtf8(std::string_view bytes) {
  static constexpr std::array<char16_t, 32> kHigh = {
      0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
  std::string text;
  text.reserve(bytes.size() * 2);
  for (char c : bytes) {
    auto byte = static_cast<unsigned char>(c);
    char32_t point = byte >= 0x80 && byte < 0xA0 ? kHigh[byte - 0x80] : byte;
    if (point < 0x80) {
      text += static_cast<char>(point);
    } else if (point < 0x800) {
      text += static_cast<char>(0xC0 | (point >> 6));
      text += static_cast<char>(0x80 | (point & 0x3F));
    } else {
      text += static_cast<char>(0xE0 | (point >> 12));
      text += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
      text += static_cast<char>(0x80 | (point & 0x3F));
    }
  }
  return text;
}

std::string UserLocaleName(const char* categoryVariable) {
  std::string name;
  for (const char* variable : {"LC_ALL", categoryVariable, "LANG"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0') {
      name = value;
      break;
    }
  }
  name = name.substr(0, name.find_first_of(".@"));
  if (name == "C" || name == "POSIX") name.clear();
  return name;
}

void Collator::Closer::operator()(UCollator* collator) const { ucol_close(collator); }

Collator::Collator() : Collator(UserLocaleName("LC_COLLATE")) {}

Collator::Collator(const std::string& localeName) {
  UErrorCode status = U_ZERO_ERROR;
  collator_.reset(ucol_open(localeName.c_str(), &status));
  if (U_FAILURE(status)) {
    status = U_ZERO_ERROR;
    collator_.reset(ucol_open("", &status));
  }
  if (U_FAILURE(status)) throw std::runtime_error("Cannot open the collation of the user's locale");
  ucol_setStrength(collator_.get(), UCOL_SECONDARY);
}

Collator::~Collator() = default;

int Collator::Compare(std::string_view a, std::string_view b) const {
  UErrorCode status = U_ZERO_ERROR;
  UCollationResult result =
      ucol_strcollUTF8(collator_.get(), a.data(), static_cast<int32_t>(a.size()), b.data(),
                       static_cast<int32_t>(b.size()), &status);
  if (U_FAILURE(status)) return a.compare(b);
  return static_cast<int>(result);
}

std::string Collator::SortKey(std::string_view text) const {
  std::string key;
  AppendSortKey(text, key);
  return key;
}

void Collator::AppendSortKey(std::string_view text, std::string& key) const {
  // Bytes that are not UTF-8 become U+FFFD, as Compare sees them. Short names, the
  // usual ones, are converted on the stack: look-ups key one name after another.
  UChar shortWide[256];
  std::vector<UChar> longWide;
  UChar* wide = shortWide;
  if (text.size() >= std::size(shortWide)) {
    longWide.resize(text.size() + 1);
    wide = longWide.data();
  }
  int32_t wideLength = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strFromUTF8WithSub(wide, static_cast<int32_t>(text.size() + 1), &wideLength, text.data(),
                       static_cast<int32_t>(text.size()), 0xFFFD, nullptr, &status);
  const std::size_t start = key.size();
  if (U_FAILURE(status)) {
    key += text;
    return;
  }
  key.resize(start + static_cast<std::size_t>(wideLength) * 2 + 16);
  for (;;) {
    auto* out = reinterpret_cast<std::uint8_t*>(key.data() + start);
    auto room = static_cast<int32_t>(key.size() - start);
    int32_t needed = ucol_getSortKey(collator_.get(), wide, wideLength, out, room);
    if (needed <= 0) {
      key.resize(start);
      key += text;
      return;
    }
    if (needed <= room) {
      key.resize(start + static_cast<std::size_t>(needed) - 1);  // without the closing 0 byte
      return;
    }
    key.resize(start + static_cast<std::size_t>(needed));
  }
}

void Collator::Sort(std::vector<std::string>& names) const {
  std::sort(names.begin(), names.end(), [this](const std::string& a, const std::string& b) {
    int order = Compare(a, b);
    return order != 0 ? order < 0 : a < b;
  });
}

void AppendFoldKey(std::string_view text, std::string& key) {
  const std::size_t start = key.size();
  key.resize(start + text.size());
  char* out = key.data() + start;
  // Names of ASCII alone, the usual ones, are lowered in one pass.
  std::size_t i = 0;
  for (; i < text.size() && static_cast<unsigned char>(text[i]) < 0x80; ++i) out[i] = AsciiLower(text[i]);
  if (i == text.size()) return;
  if (IsUtf8(text.substr(i))) {
    key.resize(start + i);
    if (AppendUtf8Fold(text.substr(i), key)) return;
  }
  key.resize(start + text.size());
  out = key.data() + start;
  for (std::size_t j = 0; j < text.size(); ++j) out[j] = static_cast<char>(kLower1252[static_cast<unsigned char>(text[j])]);
  key += kNotUtf8Mark;
}

std::string FoldKey(std::string_view text) {
  std::string key;
  AppendFoldKey(text, key);
  return key;
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  if (a == b) return true;
  // ASCII on both sides is settled without keys; a length that differs there too.
  std::size_t i = 0;
  const std::size_t common = std::min(a.size(), b.size());
  for (; i < common; ++i) {
    auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if ((x | y) >= 0x80) break;
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  if (i == a.size() && i == b.size()) return true;
  if (i == common) return false;
  return FoldKey(a) == FoldKey(b);
}

std::string AsciiLowerCase(std::string_view text) {
  std::string result(text);
  for (char& c : result) c = AsciiLower(c);
  return result;
}

std::string AsciiUpperCase(std::string_view text) {
  std::string result(text);
  for (char& c : result) c = AsciiUpper(c);
  return result;
}

std::string LowerCase(std::string_view text) { return IcuCase(text, false); }
std::string UpperCase(std::string_view text) { return IcuCase(text, true); }

std::string ShortDateText(std::time_t when) { return TimeText(when, "%x"); }
std::string LongTimeText(std::time_t when) { return TimeText(when, "%X"); }

}  // namespace qvl
