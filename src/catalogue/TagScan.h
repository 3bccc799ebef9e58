#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace qvl {

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

// Whether any byte of data[0, size) is not greater than `tag` (at most 127). Short
// texts such as names are tested in two overlapping words instead of byte by byte.
inline bool HasTagByte(const unsigned char* data, std::size_t size, unsigned char tag) {
  if (size >= 16) {
    // Whole vectors, the last one overlapping the one before; no early exit, as
    // texts such as paths are short and nearly never hold a tag.
    unsigned found = TagBits16(data + size - 16, tag);
    for (std::size_t at = 0; at + 16 < size; at += 16) found |= TagBits16(data + at, tag);
    return found != 0;
  }
  if (size >= 8) return (BytesBelow(LoadWord(data), tag) | BytesBelow(LoadWord(data + size - 8), tag)) != 0;
  for (std::size_t i = 0; i < size; ++i)
    if (data[i] <= tag) return true;
  return false;
}

// Bit i is set when data[i] is not greater than `tag`, for i from 0 to 63: a scan
// that must stop at every tag visits them a bit at a time instead of searching
// for each.
inline std::uint64_t TagBits64(const unsigned char* data, unsigned char tag) {
  std::uint64_t bits = 0;
  for (int part = 0; part < 64; part += 16) bits |= std::uint64_t{TagBits16(data + part, tag)} << part;
  return bits;
}

}  // namespace qvl
