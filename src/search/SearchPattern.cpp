#include "search/SearchPattern.h"

#include <bit>
#include <cstdint>

#include "catalogue/Tags.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace qvl {
namespace {

unsigned char Fold(unsigned char c) {
  return static_cast<unsigned char>(c - 'a') < 26 ? static_cast<unsigned char>(c - ('a' - 'A')) : c;
}

// How often a byte turns up in entry texts, roughly: sizes make digits and "/"
// the most common, letters follow by their frequency in words.
int Commonness(unsigned char folded) {
  static constexpr std::string_view kLetters = "ETAOINSRHLDCUMFPGWYBVKXJQZ";
  if (folded == '/') return 100;
  if (folded >= '0' && folded <= '9') return 90;
  if (folded == '.') return 80;
  if (auto letter = kLetters.find(static_cast<char>(folded)); letter != std::string_view::npos)
    return 70 - 2 * static_cast<int>(letter);
  if (folded == ' ' || folded == '_' || folded == '-') return 50;
  if (folded >= 0x80) return 15;
  return 5;
}

}  // namespace

SearchPattern::SearchPattern(std::string_view text) {
  folded_.reserve(text.size());
  canMatch_ = !text.empty();
  for (char c : text) {
    auto byte = static_cast<unsigned char>(c);
    canMatch_ = canMatch_ && !IsTag(byte);
    folded_ += static_cast<char>(Fold(byte));
  }
  if (!canMatch_) return;
  // The rarest byte, then the rarest at another offset.
  auto rarest = [&](std::size_t besides) {
    std::size_t best = besides == 0 && folded_.size() > 1 ? 1 : 0;
    for (std::size_t i = 0; i < folded_.size(); ++i)
      if (i != besides && Commonness(static_cast<unsigned char>(folded_[i])) <
                              Commonness(static_cast<unsigned char>(folded_[best])))
        best = i;
    return best;
  };
  first_ = rarest(folded_.size());
  second_ = folded_.size() > 1 ? rarest(first_) : first_;
  auto bothCases = [&](std::size_t at, unsigned char (&bytes)[2]) {
    auto upper = static_cast<unsigned char>(folded_[at]);
    bytes[0] = upper;
    bytes[1] = upper >= 'A' && upper <= 'Z' ? static_cast<unsigned char>(upper + ('a' - 'A')) : upper;
  };
  bothCases(first_, firstBytes_);
  bothCases(second_, secondBytes_);
}

bool SearchPattern::Matches(std::string_view text) const {
  if (!canMatch_ || text.size() < folded_.size()) return false;
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  for (std::size_t at = 0; at + folded_.size() <= text.size(); ++at)
    if (MatchesAt(bytes + at)) return true;
  return false;
}

std::size_t SearchPattern::Find(const unsigned char* data, std::size_t from, std::size_t to) const {
  if (!canMatch_ || from >= to) return to;
  std::size_t at = from;
#if defined(__SSE2__)
  const __m128i first0 = _mm_set1_epi8(static_cast<char>(firstBytes_[0]));
  const __m128i first1 = _mm_set1_epi8(static_cast<char>(firstBytes_[1]));
  const __m128i second0 = _mm_set1_epi8(static_cast<char>(secondBytes_[0]));
  const __m128i second1 = _mm_set1_epi8(static_cast<char>(secondBytes_[1]));
  auto candidates = [&](std::size_t start) {
    __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + start + first_));
    __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + start + second_));
    __m128i inA = _mm_or_si128(_mm_cmpeq_epi8(a, first0), _mm_cmpeq_epi8(a, first1));
    __m128i inB = _mm_or_si128(_mm_cmpeq_epi8(b, second0), _mm_cmpeq_epi8(b, second1));
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(inA, inB)));
  };
  // Starts past `to` are looked at too (the padding allows it) and dropped.
  for (; at < to; at += 32) {
    std::uint32_t found = candidates(at) | (candidates(at + 16) << 16);
    if (to - at < 32) found &= (std::uint32_t{1} << (to - at)) - 1;
    for (; found != 0; found &= found - 1) {
      std::size_t start = at + static_cast<std::size_t>(std::countr_zero(found));
      if (MatchesAt(data + start)) return start;
    }
  }
  return to;
#else
  for (; at < to; ++at) {
    unsigned char a = data[at + first_], b = data[at + second_];
    if ((a == firstBytes_[0] || a == firstBytes_[1]) && (b == secondBytes_[0] || b == secondBytes_[1]) &&
        MatchesAt(data + at))
      return at;
  }
  return to;
#endif
}

}  // namespace qvl
