#include "search/SearchPattern.h"

#include <algorithm>
#include <bit>
#include <cstdint>

#include "catalogue/Tags.h"

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
  std::size_t first = rarest(folded_.size());
  std::size_t second = folded_.size() > 1 ? rarest(first) : first;
  lead_ = std::min(first, second);
  other_ = std::max(first, second);
  auto bothCases = [&](std::size_t at, unsigned char& caseBit, unsigned char& lower) {
    auto upper = static_cast<unsigned char>(folded_[at]);
    caseBit = upper >= 'A' && upper <= 'Z' ? 'a' - 'A' : 0;
    lower = static_cast<unsigned char>(upper | caseBit);
  };
  bothCases(lead_, leadCase_, leadLower_);
  bothCases(other_, otherCase_, otherLower_);
}

bool SearchPattern::Matches(std::string_view text) const {
  if (!canMatch_ || text.size() < folded_.size()) return false;
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  for (std::size_t at = 0; at + folded_.size() <= text.size(); ++at)
    if (MatchesAt(bytes + at)) return true;
  return false;
}

std::size_t SearchPattern::Find(const unsigned char* data, std::size_t from, std::size_t to) const {
  if (!canMatch_) return to;
  Candidates candidates(*this);
  std::size_t lead = candidates.Lead();
  // Marks are looked for where a match from `from` on would have its first tested
  // byte; those past `to` are looked at too (the padding allows it) and dropped.
  for (std::size_t at = from + lead; at < to + lead; at += 64) {
    std::uint64_t found = candidates.At(data + at);
    if (to + lead - at < 64) found &= (std::uint64_t{1} << (to + lead - at)) - 1;
    for (; found != 0; found &= found - 1) {
      std::size_t start = at + static_cast<std::size_t>(std::countr_zero(found)) - lead;
      if (MatchesAt(data + start)) return start;
    }
  }
  return to;
}

}  // namespace qvl
