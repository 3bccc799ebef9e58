#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// On x86-64 the hottest scans are also built for 32-byte vectors, used when the
// processor has AVX2; the build itself assumes no more than SSE2.
#if defined(__x86_64__) && defined(__GNUC__)
#define QVL_WIDE_VECTORS 1
#include <immintrin.h>
#endif

namespace qvl {

#if QVL_WIDE_VECTORS
inline bool HasWideVectors() { return __builtin_cpu_supports("avx2"); }
#else
inline bool HasWideVectors() { return false; }
#endif

// Bit i is set when data[i] is not greater than `tag`, for i from 0 to 15.
inline unsigned TagBits16(const unsigned char* data, unsigned char tag) {
#if defined(__SSE2__)
  const __m128i limit = _mm_set1_epi8(static_cast<char>(tag));
  __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data));
  // A byte is at most `tag` when the smaller of the two is the byte itself.
  return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(bytes, limit), bytes)));
#else
  unsigned bits = 0;
  for (int i = 0; i < 16; ++i)
    if (data[i] <= tag) bits |= 1u << i;
  return bits;
#endif
}

// The eight bytes at `data` as a little-endian word, in which BytesBelow marks the
// bytes not greater than `tag` (at most 127) by their high bits; the lowest mark is
// always a true one, and there is one whenever there is such a byte.
inline std::uint64_t LoadWord(const unsigned char* data) {
  std::uint64_t word;
  std::memcpy(&word, data, 8);
  return word;
}
inline std::uint64_t BytesBelow(std::uint64_t word, unsigned char tag) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
  constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
  return (word - kOnes * (tag + 1u)) & ~word & kHighBits;
}

// The offset of the first byte not greater than `tag` (a tag value, 0 to 4) in
// data[0, size), or `size` when there is none. Many bytes are tested at a time,
// since a load passes over nearly the whole file this way.
inline std::size_t FindTagByte(const unsigned char* data, std::size_t size, unsigned char tag) {
  std::size_t i = 0;
#if defined(__SSE2__)
  for (; i + 32 <= size; i += 32) {
    unsigned low = TagBits16(data + i, tag), high = TagBits16(data + i + 16, tag);
    if ((low | high) != 0) return i + static_cast<std::size_t>(std::countr_zero(low | (high << 16)));
  }
  for (; i + 16 <= size; i += 16)
    if (unsigned found = TagBits16(data + i, tag); found != 0)
      return i + static_cast<std::size_t>(std::countr_zero(found));
#else
  if constexpr (std::endian::native == std::endian::little) {
    for (; i + 8 <= size; i += 8)
      if (std::uint64_t found = BytesBelow(LoadWord(data + i), tag); found != 0)
        return i + static_cast<std::size_t>(std::countr_zero(found) / 8);
  }
#endif
  for (; i < size; ++i)
    if (data[i] <= tag) return i;
  return size;
}

// Copies data[0, size) to `out` and tells whether any of its bytes is not greater
// than `tag` (at most 127): texts such as paths are tested as they are copied, in
// whole vectors, the last one overlapping the one before, or in two overlapping
// words, and seldom hold such a byte.
inline bool CopyHasTagByte(unsigned char* out, const unsigned char* data, std::size_t size, unsigned char tag) {
#if defined(__SSE2__)
  if (size >= 16) {
    const __m128i limit = _mm_set1_epi8(static_cast<char>(tag));
    auto copy16 = [&](std::size_t at) {
      __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + at), bytes);
      return _mm_cmpeq_epi8(_mm_min_epu8(bytes, limit), bytes);
    };
    __m128i found = copy16(size - 16);
    for (std::size_t at = 0; at + 16 < size; at += 16) found = _mm_or_si128(found, copy16(at));
    return _mm_movemask_epi8(found) != 0;
  }
#endif
  if (size >= 8 && size <= 16) {
    std::uint64_t head = LoadWord(data), tail = LoadWord(data + size - 8);
    std::memcpy(out, &head, 8);
    std::memcpy(out + size - 8, &tail, 8);
    return (BytesBelow(head, tag) | BytesBelow(tail, tag)) != 0;
  }
  bool found = false;
  for (std::size_t i = 0; i < size; ++i) {
    out[i] = data[i];
    found = found || data[i] <= tag;
  }
  return found;
}

// How many of data[0, size) are FileEntry or SubfolderEntry tags (3 or 4): the
// numbers of entries, which the companion keeps their times by, are counted so.
inline std::uint64_t CountEntryTags(const unsigned char* data, std::size_t size) {
  std::uint64_t count = 0;
  std::size_t i = 0;
#if defined(__SSE2__)
  // Each byte lane counts its matches (a match is -1, taken away) for up to 255
  // vectors, then the lanes are summed: no bit counting, which the build's
  // processor baseline lacks an instruction for.
  const __m128i three = _mm_set1_epi8(3), one = _mm_set1_epi8(1), zero = _mm_setzero_si128();
  while (size - i >= 16) {
    const std::size_t rounds = std::min<std::size_t>((size - i) / 16, 255);
    __m128i lanes = zero;
    for (std::size_t round = 0; round < rounds; ++round, i += 16) {
      // 3 or 4: the byte less 3 is at most 1.
      __m128i less = _mm_sub_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i)), three);
      lanes = _mm_sub_epi8(lanes, _mm_cmpeq_epi8(_mm_min_epu8(less, one), less));
    }
    const __m128i sums = _mm_sad_epu8(lanes, zero);
    count += static_cast<std::uint64_t>(_mm_cvtsi128_si32(sums)) + static_cast<std::uint64_t>(_mm_extract_epi16(sums, 4));
  }
#endif
  for (; i < size; ++i) count += data[i] == 3 || data[i] == 4;
  return count;
}

// Bit i is set when data[i] is not greater than `tag`, for i from 0 to 63: a scan
// that must stop at every tag visits them a bit at a time instead of searching
// for each.
inline std::uint64_t TagBits64(const unsigned char* data, unsigned char tag) {
  return std::uint64_t{TagBits16(data, tag)} | std::uint64_t{TagBits16(data + 16, tag)} << 16 |
         std::uint64_t{TagBits16(data + 32, tag)} << 32 | std::uint64_t{TagBits16(data + 48, tag)} << 48;
}

#if QVL_WIDE_VECTORS
// TagBits64 in 32-byte vectors, for code built for AVX2.
[[gnu::target("avx2")]] inline std::uint64_t TagBits64Wide(const unsigned char* data, unsigned char tag) {
  // (No lambda here: it would not be built for AVX2.)
  const __m256i limit = _mm256_set1_epi8(static_cast<char>(tag));
  std::uint64_t bits = 0;
  for (int at = 0; at < 64; at += 32) {
    __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + at));
    bits |= std::uint64_t{static_cast<std::uint32_t>(
                _mm256_movemask_epi8(_mm256_cmpeq_epi8(_mm256_min_epu8(bytes, limit), bytes)))}
            << at;
  }
  return bits;
}
#endif

}  // namespace qvl
