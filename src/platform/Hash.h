#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "platform/ByteSink.h"

namespace qvl {

// A 128-bit XXH3 hash of a file's content.
struct Hash128 {
  std::uint64_t high = 0;
  std::uint64_t low = 0;
  bool operator==(const Hash128&) const = default;
};

// XXH3 over bytes handed in pieces: a 64-bit one for fingerprints of catalogues,
// a 128-bit one for the content of files. Both give what the one-shot functions
// of libxxhash give for the bytes put together.
class StreamHash64 {
 public:
  StreamHash64();
  ~StreamHash64();
  StreamHash64(StreamHash64&&) noexcept;
  StreamHash64& operator=(StreamHash64&&) noexcept;
  void Reset();
  void Add(const void* data, std::size_t size);
  void Add(std::string_view bytes) { Add(bytes.data(), bytes.size()); }
  std::uint64_t Digest() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

class StreamHash128 {
 public:
  StreamHash128();
  ~StreamHash128();
  StreamHash128(StreamHash128&&) noexcept;
  StreamHash128& operator=(StreamHash128&&) noexcept;
  void Reset();
  void Add(const void* data, std::size_t size);
  Hash128 Digest() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// Hands bytes on to `target` and keeps their number and XXH3-64: the fingerprint
// of a catalogue as it is written.
class FingerprintSink final : public ByteSink {
 public:
  explicit FingerprintSink(ByteSink& target) : target_(target) {}
  void Write(std::string_view bytes) override {
    target_.Write(bytes);
    hash_.Add(bytes);
    size_ += bytes.size();
  }
  void Flush() override { target_.Flush(); }
  std::uint64_t Size() const { return size_; }
  std::uint64_t Digest() const { return hash_.Digest(); }

 private:
  ByteSink& target_;
  StreamHash64 hash_;
  std::uint64_t size_ = 0;
};

std::uint64_t Hash64Of(std::string_view bytes);
Hash128 Hash128Of(std::string_view bytes);

// The 32 lower-case hex digits xxhsum -H2 prints for it.
std::string HashText(const Hash128& hash);

}  // namespace qvl
