#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace qvl {

// The match rule of both searches: a text is a hit when it holds the search text as
// one run of bytes, with the letters a to z folded to A to Z on both sides; every
// other byte must be equal. There are no wildcards.
//
// Find looks for matches in a raw buffer many bytes at a time: it tests two of the
// search text's bytes (the rarest in names, in either letter case) at once and
// checks the whole rule only where both are found.
class SearchPattern {
 public:
  explicit SearchPattern(std::string_view text);

  std::size_t Size() const { return folded_.size(); }
  // An empty text, or one holding a tag byte, which no field can hold, matches
  // nothing.
  bool CanMatch() const { return canMatch_; }
  // Bytes that must be readable past `to` in a buffer handed to Find.
  std::size_t Padding() const { return folded_.size() + 48; }

  // The text holds the search text.
  bool Matches(std::string_view text) const;
  // The first position in [from, to) of data at which a match starts, or `to`.
  // A match is tested in full, so it may run past `to`.
  std::size_t Find(const unsigned char* data, std::size_t from, std::size_t to) const;

 private:
  bool MatchesAt(const unsigned char* at) const {
    for (std::size_t i = 0; i < folded_.size(); ++i) {
      unsigned char c = at[i];
      if (static_cast<unsigned char>(c - 'a') < 26) c = static_cast<unsigned char>(c - ('a' - 'A'));
      if (c != static_cast<unsigned char>(folded_[i])) return false;
    }
    return true;
  }

  std::string folded_;
  bool canMatch_ = false;
  // The two bytes Find tests first: their offsets in the text, and each in both
  // letter cases (the same byte twice when it is no letter).
  std::size_t first_ = 0, second_ = 0;
  unsigned char firstBytes_[2] = {0, 0}, secondBytes_[2] = {0, 0};
};

}  // namespace qvl
