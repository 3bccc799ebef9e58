#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "catalogue/TagScan.h"

namespace qvl {

// The match rule of both searches: a text is a hit when it holds the search text as
// one run of bytes, with the letters a to z folded to A to Z on both sides; every
// other byte must be equal. There are no wildcards.
//
// Matches are looked for in a raw buffer many bytes at a time: two of the search
// text's bytes (the rarest in names, in either letter case) are tested at once, and
// the whole rule is checked only where both are found.
class SearchPattern {
 public:
  // Marks, 64 positions at a time, where the first of the two tested bytes stands
  // with the second at its place after it. A match starts Lead() bytes before a
  // mark. Made for one scan, so that its constants stay in registers.
  class Candidates {
   public:
    explicit Candidates(const SearchPattern& pattern);
    // How far into the search text the first tested byte stands.
    std::size_t Lead() const { return lead_; }
    // Bit i is set when data[i] may stand Lead() bytes into a match; reads
    // Padding() bytes past data + 63. Always 0 for a pattern that matches nothing.
    std::uint64_t At(const unsigned char* data) const;
#if QVL_WIDE_VECTORS
    // At in 32-byte vectors, for code built for AVX2.
    [[gnu::target("avx2")]] std::uint64_t AtWide(const unsigned char* data) const;
#endif

   private:
    bool canMatch_;
    std::size_t lead_, gap_;  // the first tested byte's offset; the second's after it
    unsigned char leadCase_, leadLower_, otherCase_, otherLower_;
#if defined(__SSE2__)
    // A byte is one of the tested ones when, with the case bit set (0x20 for a
    // letter, none for other bytes), it equals the lower case one.
    __m128i leadCases_, leadLowers_, otherCases_, otherLowers_;
#endif
  };

  explicit SearchPattern(std::string_view text);

  std::size_t Size() const { return folded_.size(); }
  // The text with a to z folded to A to Z.
  std::string_view Folded() const { return folded_; }
  // An empty text, or one holding a tag byte, which no field can hold, matches
  // nothing.
  bool CanMatch() const { return canMatch_; }
  // Bytes that must be readable past `to` in a buffer handed to Find.
  std::size_t Padding() const { return folded_.size() + 64; }

  // The text holds the search text.
  bool Matches(std::string_view text) const;
  // The first position in [from, to) of data at which a match starts, or `to`.
  // A match is tested in full, so it may run past `to`.
  std::size_t Find(const unsigned char* data, std::size_t from, std::size_t to) const;

  // Whether the whole rule holds at `at`, Size() bytes of which must be readable.
  bool MatchesAt(const unsigned char* at) const {
    for (std::size_t i = 0; i < folded_.size(); ++i) {
      unsigned char c = at[i];
      if (static_cast<unsigned char>(c - 'a') < 26) c = static_cast<unsigned char>(c - ('a' - 'A'));
      if (c != static_cast<unsigned char>(folded_[i])) return false;
    }
    return true;
  }

 private:
  std::string folded_;
  bool canMatch_ = false;
  // The two bytes tested first (the rarest, the earlier one leading): their offsets
  // in the text, and each with the bit that tells a letter's cases apart (0 when it
  // is no letter) and in lower case.
  std::size_t lead_ = 0, other_ = 0;
  unsigned char leadCase_ = 0, leadLower_ = 0, otherCase_ = 0, otherLower_ = 0;
};

inline SearchPattern::Candidates::Candidates(const SearchPattern& pattern)
    : canMatch_(pattern.canMatch_),
      lead_(pattern.lead_),
      gap_(pattern.other_ - pattern.lead_),
      leadCase_(pattern.leadCase_),
      leadLower_(pattern.leadLower_),
      otherCase_(pattern.otherCase_),
      otherLower_(pattern.otherLower_) {
#if defined(__SSE2__)
  leadCases_ = _mm_set1_epi8(static_cast<char>(leadCase_));
  leadLowers_ = _mm_set1_epi8(static_cast<char>(leadLower_));
  otherCases_ = _mm_set1_epi8(static_cast<char>(otherCase_));
  otherLowers_ = _mm_set1_epi8(static_cast<char>(otherLower_));
#endif
}

inline std::uint64_t SearchPattern::Candidates::At(const unsigned char* data) const {
  if (!canMatch_) return 0;
#if defined(__SSE2__)
  auto part = [&](int at) {
    __m128i lead = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at));
    __m128i other = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + gap_ + at));
    __m128i both = _mm_and_si128(_mm_cmpeq_epi8(_mm_or_si128(lead, leadCases_), leadLowers_),
                                 _mm_cmpeq_epi8(_mm_or_si128(other, otherCases_), otherLowers_));
    return static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(both)));
  };
  return part(0) | part(16) << 16 | part(32) << 32 | part(48) << 48;
#else
  std::uint64_t found = 0;
  for (std::size_t i = 0; i < 64; ++i)
    if ((data[i] | leadCase_) == leadLower_ && (data[i + gap_] | otherCase_) == otherLower_)
      found |= std::uint64_t{1} << i;
  return found;
#endif
}

#if QVL_WIDE_VECTORS
[[gnu::target("avx2")]] inline std::uint64_t SearchPattern::Candidates::AtWide(const unsigned char* data) const {
  if (!canMatch_) return 0;
  const __m256i leadCases = _mm256_set1_epi8(static_cast<char>(leadCase_));
  const __m256i leadLowers = _mm256_set1_epi8(static_cast<char>(leadLower_));
  const __m256i otherCases = _mm256_set1_epi8(static_cast<char>(otherCase_));
  const __m256i otherLowers = _mm256_set1_epi8(static_cast<char>(otherLower_));
  std::uint64_t found = 0;
  for (int at = 0; at < 64; at += 32) {
    __m256i lead = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + at));
    __m256i other = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + gap_ + at));
    __m256i both = _mm256_and_si256(_mm256_cmpeq_epi8(_mm256_or_si256(lead, leadCases), leadLowers),
                                    _mm256_cmpeq_epi8(_mm256_or_si256(other, otherCases), otherLowers));
    found |= std::uint64_t{static_cast<std::uint32_t>(_mm256_movemask_epi8(both))} << at;
  }
  return found;
}
#endif

}  // namespace qvl
