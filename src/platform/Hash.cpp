#include "platform/Hash.h"

#include <xxhash.h>

#include <new>
#include <string>

namespace qvl {

struct StreamHash64::State {
  State() : xxh(XXH3_createState()) {
    if (xxh == nullptr) throw std::bad_alloc();
  }
  ~State() { XXH3_freeState(xxh); }
  State(const State&) = delete;
  State& operator=(const State&) = delete;
  XXH3_state_t* xxh;
};

StreamHash64::StreamHash64() : state_(std::make_unique<State>()) { Reset(); }
StreamHash64::~StreamHash64() = default;
StreamHash64::StreamHash64(StreamHash64&&) noexcept = default;
StreamHash64& StreamHash64::operator=(StreamHash64&&) noexcept = default;
void StreamHash64::Reset() { XXH3_64bits_reset(state_->xxh); }
void StreamHash64::Add(const void* data, std::size_t size) {
  if (size != 0) XXH3_64bits_update(state_->xxh, data, size);
}
std::uint64_t StreamHash64::Digest() const { return XXH3_64bits_digest(state_->xxh); }

struct StreamHash128::State {
  State() : xxh(XXH3_createState()) {
    if (xxh == nullptr) throw std::bad_alloc();
  }
  ~State() { XXH3_freeState(xxh); }
  State(const State&) = delete;
  State& operator=(const State&) = delete;
  XXH3_state_t* xxh;
};

StreamHash128::StreamHash128() : state_(std::make_unique<State>()) { Reset(); }
StreamHash128::~StreamHash128() = default;
StreamHash128::StreamHash128(StreamHash128&&) noexcept = default;
StreamHash128& StreamHash128::operator=(StreamHash128&&) noexcept = default;
void StreamHash128::Reset() { XXH3_128bits_reset(state_->xxh); }
void StreamHash128::Add(const void* data, std::size_t size) {
  if (size != 0) XXH3_128bits_update(state_->xxh, data, size);
}
Hash128 StreamHash128::Digest() const {
  XXH128_hash_t hash = XXH3_128bits_digest(state_->xxh);
  return {hash.high64, hash.low64};
}

std::uint64_t Hash64Of(std::string_view bytes) { return XXH3_64bits(bytes.data(), bytes.size()); }

Hash128 Hash128Of(std::string_view bytes) {
  XXH128_hash_t hash = XXH3_128bits(bytes.data(), bytes.size());
  return {hash.high64, hash.low64};
}

std::string HashText(const Hash128& hash) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text(32, '0');
  for (int i = 0; i < 16; ++i) {
    text[static_cast<std::size_t>(15 - i)] = kDigits[(hash.high >> (4 * i)) & 0xF];
    text[static_cast<std::size_t>(31 - i)] = kDigits[(hash.low >> (4 * i)) & 0xF];
  }
  return text;
}

}  // namespace qvl
