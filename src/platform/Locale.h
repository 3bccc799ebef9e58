#pragma once

#include <ctime>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct UCollator;

namespace qvl {

// The user's locale name for a category, from LC_ALL, the category's variable or
// LANG, without encoding or modifier ("de_DE.UTF-8" gives "de_DE"); empty for C/POSIX.
std::string UserLocaleName(const char* categoryVariable);

// Whether the bytes are valid UTF-8.
bool IsValidUtf8(std::string_view text);
// The bytes read as Windows-1252, the code page of catalogues written on Windows, in
// UTF-8; the five bytes it leaves unassigned stand for the controls of their value.
std::string Windows1252ToUtf8(std::string_view bytes);

// Equality of names without regard to letter case, and to nothing else: names that
// differ in accents, width or variant forms stay different. Valid UTF-8 is compared
// by Unicode case folding; other text is taken as Windows-1252 and compared by its
// case pairs (A-Z, the Latin-1 letters, and the few letters of 0x8A-0x9F).
bool EqualIgnoringCase(std::string_view a, std::string_view b);
// A key for look-ups, appended to `key`: two names are equal without regard to case
// exactly when their keys are. Keys are for comparing, not for showing.
void AppendFoldKey(std::string_view text, std::string& key);
std::string FoldKey(std::string_view text);

// The order of names in the user's locale (ICU, secondary strength: accents count,
// letter case does not), for sorting; equality of names is EqualIgnoringCase.
// Names are UTF-8 bytes; bytes that are not UTF-8 compare as replacement characters.
// Threads: an ICU collator is not to be used from two threads at once: one per
// thread, or calls guarded by the caller.
class Collator {
 public:
  Collator();  // the user's collation locale
  explicit Collator(const std::string& localeName);
  ~Collator();
  Collator(const Collator&) = delete;
  Collator& operator=(const Collator&) = delete;

  int Compare(std::string_view a, std::string_view b) const;
  bool Equal(std::string_view a, std::string_view b) const { return Compare(a, b) == 0; }
  // A key for look-ups: two texts compare equal exactly when their keys are equal.
  std::string SortKey(std::string_view text) const;
  // SortKey appended to `key`, for callers that key many texts into one buffer.
  void AppendSortKey(std::string_view text, std::string& key) const;
  // Sorts ascending; names that compare equal keep byte order, so output is repeatable.
  void Sort(std::vector<std::string>& names) const;

 private:
  struct Closer {
    void operator()(UCollator* collator) const;
  };
  std::unique_ptr<UCollator, Closer> collator_;
};

// Letter case of A to Z alone, whatever the locale: drive letters, settings keys,
// and the list's own folding of names.
constexpr char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
constexpr char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
std::string AsciiLowerCase(std::string_view text);
std::string AsciiUpperCase(std::string_view text);

// Letter case of names in the user's locale; text that is not UTF-8 changes A-Z only.
std::string LowerCase(std::string_view text);
std::string UpperCase(std::string_view text);

// The user's short date and long time texts (LC_TIME).
std::string ShortDateText(std::time_t when);
std::string LongTimeText(std::time_t when);

}  // namespace qvl
