#pragma once

#include <string>
#include <string_view>

namespace qvl {

// Where writers put their bytes: a file, a buffer in front of one, or a string in tests.
class ByteSink {
 public:
  virtual ~ByteSink() = default;
  // Hands the bytes on; a failure throws IoError.
  virtual void Write(std::string_view bytes) = 0;
  // Hands anything held back to the operating system.
  virtual void Flush() {}
};

class StringSink : public ByteSink {
 public:
  void Write(std::string_view bytes) override { text.append(bytes); }
  std::string text;
};

// Collects small writes and passes them on in large blocks; nothing reaches the
// target before the buffer fills or Flush is called.
class BufferedSink : public ByteSink {
 public:
  explicit BufferedSink(ByteSink& target, std::size_t capacity = 1 << 18)
      : target_(target), capacity_(capacity) {
    buffer_.reserve(capacity);
  }
  void Write(std::string_view bytes) override {
    if (buffer_.size() + bytes.size() > capacity_) Drain();
    if (bytes.size() >= capacity_) {
      target_.Write(bytes);
      return;
    }
    buffer_.append(bytes);
  }
  void Flush() override {
    Drain();
    target_.Flush();
  }

 private:
  void Drain() {
    if (buffer_.empty()) return;
    target_.Write(buffer_);
    buffer_.clear();
  }
  ByteSink& target_;
  std::size_t capacity_;
  std::string buffer_;
};

}  // namespace qvl
