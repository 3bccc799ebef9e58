#include "catalogue/Companion.h"

#include <zstd.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace qvl {
namespace {

constexpr char kMagic[4] = {'Q', 'V', 'L', 'C'};
constexpr unsigned char kVersion = 1;
constexpr unsigned char kHashesFlag = 1;
constexpr int kCompressionLevel = 3;
// Times are kept within this, so that the rise between any two fits a varint.
constexpr std::int64_t kTimeLimit = (std::int64_t{1} << 62) - 1;

void PutU64(std::string& out, std::uint64_t value) {
  for (int i = 0; i < 8; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::uint64_t GetU64(const char* data) {
  std::uint64_t value = 0;
  for (int i = 7; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(data[i]);
  return value;
}

void PutVarint(std::string& out, std::uint64_t value) {
  while (value >= 0x80) {
    out += static_cast<char>((value & 0x7F) | 0x80);
    value >>= 7;
  }
  out += static_cast<char>(value);
}

std::uint64_t ZigZag(std::int64_t value) {
  return (static_cast<std::uint64_t>(value) << 1) ^ static_cast<std::uint64_t>(value >> 63);
}
std::int64_t UnZigZag(std::uint64_t value) {
  return static_cast<std::int64_t>((value >> 1) ^ (~(value & 1) + 1));
}

void PutText(std::string& out, std::string_view text) {
  PutVarint(out, text.size());
  out += text;
}

void PutVolume(std::string& out, const VolumeRecord& volume) {
  std::uint64_t known = (volume.capacity ? 1 : 0) | (volume.free ? 2 : 0) | (volume.listedAt != kUnknownTime ? 4 : 0);
  PutVarint(out, known);
  for (const std::string* text :
       {&volume.uuid, &volume.label, &volume.fileSystem, &volume.listedFolder, &volume.programVersion})
    PutText(out, *text);
  if (volume.capacity) PutVarint(out, *volume.capacity);
  if (volume.free) PutVarint(out, *volume.free);
  if (volume.listedAt != kUnknownTime) PutVarint(out, ZigZag(std::clamp(volume.listedAt, -kTimeLimit, kTimeLimit)));
  PutVarint(out, volume.files);
  PutVarint(out, volume.bytes);
}

// Reads the payload, every step checked against its end.
class PayloadReader {
 public:
  explicit PayloadReader(std::string_view bytes) : data_(bytes) {}
  bool Ok() const { return ok_; }
  std::size_t Left() const { return data_.size() - at_; }

  std::uint64_t Varint() {
    // Most numbers (the rise of a time, the entries of a folder) take one byte.
    if (at_ < data_.size() && static_cast<unsigned char>(data_[at_]) < 0x80)
      return static_cast<unsigned char>(data_[at_++]);
    std::uint64_t value = 0;
    for (int shift = 0; shift < 64; shift += 7) {
      if (at_ >= data_.size()) return Fail();
      auto byte = static_cast<unsigned char>(data_[at_++]);
      if (shift == 63 && byte > 1) return Fail();
      value |= static_cast<std::uint64_t>(byte & 0x7F) << shift;
      if ((byte & 0x80) == 0) return value;
    }
    return Fail();
  }
  // A count of things that take at least `each` bytes each.
  std::uint64_t Count(std::size_t each) {
    std::uint64_t count = Varint();
    if (count > Left() / each) return Fail();
    return count;
  }
  std::string Text() {
    std::uint64_t length = Varint();
    if (!ok_ || length > Left()) return Fail(), std::string();
    std::string text(data_.substr(at_, length));
    at_ += length;
    return text;
  }
  std::string_view Bytes(std::size_t size) {
    if (size > Left()) return Fail(), std::string_view();
    std::string_view bytes = data_.substr(at_, size);
    at_ += size;
    return bytes;
  }
  VolumeRecord Volume() {
    VolumeRecord volume;
    std::uint64_t known = Varint();
    if (known > 7) Fail();
    for (std::string* text :
         {&volume.uuid, &volume.label, &volume.fileSystem, &volume.listedFolder, &volume.programVersion})
      *text = Text();
    if (known & 1) volume.capacity = Varint();
    if (known & 2) volume.free = Varint();
    if (known & 4) {
      volume.listedAt = UnZigZag(Varint());
      if (volume.listedAt < -kTimeLimit || volume.listedAt > kTimeLimit) Fail();
    }
    volume.files = Varint();
    volume.bytes = Varint();
    return volume;
  }

 private:
  std::uint64_t Fail() {
    ok_ = false;
    at_ = data_.size();
    return 0;
  }
  std::string_view data_;
  std::size_t at_ = 0;
  bool ok_ = true;
};

struct ZstdContext {
  void operator()(ZSTD_DCtx* context) const { ZSTD_freeDCtx(context); }
};

std::string NumberText(const std::optional<std::uint64_t>& number) {
  return number ? std::to_string(*number) : std::string();
}

std::string MergedVolumeText(const VolumeRecord& volume) {
  std::string text;
  auto add = [&](std::string_view label, std::string_view value) {
    if (value.empty()) return;
    if (!text.empty()) text += ", ";
    text += label;
    text += value;
  };
  add("UUID ", volume.uuid);
  add("label ", volume.label);
  add("", volume.fileSystem);
  add("", volume.listedFolder);
  add("listed ", IsoUtcText(volume.listedAt));
  return text;
}

}  // namespace

std::vector<std::pair<std::string, std::string>> VolumeFields(const CompanionData& data) {
  const VolumeRecord& volume = data.volume;
  // A record of which nothing is known (a merge into a catalogue without a
  // companion) has no totals either.
  const bool known = volume != VolumeRecord{};
  std::vector<std::pair<std::string, std::string>> fields = {
      {"Volume UUID", volume.uuid},
      {"Volume label", volume.label},
      {"File system", volume.fileSystem},
      {"Listed folder", volume.listedFolder},
      {"Capacity", NumberText(volume.capacity)},
      {"Free", NumberText(volume.free)},
      {"Listed", IsoUtcText(volume.listedAt)},
      {"Listed by", volume.programVersion},
      {"Files", known ? std::to_string(volume.files) : std::string()},
      {"Bytes", known ? std::to_string(volume.bytes) : std::string()},
      {"Hashes", data.HasHashes() ? "yes" : "no"},
  };
  for (const VolumeRecord& merged : data.mergedVolumes) fields.emplace_back("Merged volume", MergedVolumeText(merged));
  return fields;
}

std::string VolumeText(const CompanionData& data) {
  std::string text;
  for (const auto& [key, value] : VolumeFields(data)) {
    if (!text.empty()) text += "\r\n";
    text += key;
    text += ':';
    if (!value.empty()) text += ' ' + value;
  }
  return text;
}

void CompanionData::StartHashes() {
  withHashes = true;
  hashes.resize(times.size());
  hashKnown.resize(times.size(), false);
}

void CompanionData::AddEntry(std::int64_t time, const Hash128* hash) {
  if (hash != nullptr && !withHashes) StartHashes();
  times.push_back(time);
  if (withHashes) {
    hashes.push_back(hash != nullptr ? *hash : Hash128{});
    hashKnown.push_back(hash != nullptr);
  }
}

namespace {

bool WritesHashes(const CompanionData& data) {
  return data.HasHashes() && data.hashes.size() == data.times.size() && data.hashKnown.size() == data.times.size();
}

}  // namespace

std::string EncodeCompanionPayload(const CompanionData& data) {
  const bool withHashes = WritesHashes(data);
  std::string payload;
  payload.reserve(data.times.size() * 2 + data.folderFirstEntry.size() * 2 + 256);
  PutVarint(payload, data.times.size());
  PutVarint(payload, data.folderFirstEntry.size());
  PutVarint(payload, data.mergedVolumes.size());
  PutVolume(payload, data.volume);
  for (const VolumeRecord& merged : data.mergedVolumes) PutVolume(payload, merged);
  std::uint64_t previous = 0;
  for (std::uint64_t first : data.folderFirstEntry) {
    PutVarint(payload, first - previous);
    previous = first;
  }
  std::int64_t lastKnown = 0;
  for (std::int64_t time : data.times) {
    if (time == kUnknownTime) {
      payload += '\0';
      continue;
    }
    time = std::clamp(time, -kTimeLimit, kTimeLimit);
    PutVarint(payload, ZigZag(time - lastKnown) + 1);
    lastKnown = time;
  }
  if (withHashes) {
    std::string bits((data.times.size() + 7) / 8, '\0');
    for (std::size_t i = 0; i < data.hashKnown.size(); ++i)
      if (data.hashKnown[i]) bits[i / 8] = static_cast<char>(bits[i / 8] | (1 << (i % 8)));
    payload += bits;
    for (std::size_t i = 0; i < data.hashes.size(); ++i) {
      if (!data.hashKnown[i]) continue;
      PutU64(payload, data.hashes[i].high);
      PutU64(payload, data.hashes[i].low);
    }
  }
  return payload;
}

std::string CompanionFileBytes(const CatalogueFingerprint& fingerprint, std::string_view payload, bool withHashes) {
  std::string file(kMagic, sizeof kMagic);
  file += static_cast<char>(kVersion);
  file += static_cast<char>(withHashes ? kHashesFlag : 0);
  file.append(2, '\0');
  PutU64(file, fingerprint.size);
  PutU64(file, fingerprint.hash);
  PutU64(file, payload.size());
  const std::size_t head = file.size();
  file.resize(head + ZSTD_compressBound(payload.size()));
  std::size_t packed = ZSTD_compress(file.data() + head, file.size() - head, payload.data(), payload.size(),
                                     kCompressionLevel);
  if (ZSTD_isError(packed)) throw std::runtime_error(std::string("Cannot compress dates: ") + ZSTD_getErrorName(packed));
  file.resize(head + packed);
  return file;
}

std::string EncodeCompanion(const Companion& companion) {
  return CompanionFileBytes(companion.fingerprint, EncodeCompanionPayload(companion.data),
                            WritesHashes(companion.data));
}

std::optional<CatalogueFingerprint> CompanionFingerprint(std::string_view head) {
  if (head.size() < kCompanionHeadSize || std::memcmp(head.data(), kMagic, sizeof kMagic) != 0 ||
      static_cast<unsigned char>(head[4]) != kVersion)
    return std::nullopt;
  return CatalogueFingerprint{GetU64(head.data() + 8), GetU64(head.data() + 16)};
}

std::optional<CompanionData> DecodeCompanion(std::string_view bytes) {
  auto fingerprint = CompanionFingerprint(bytes);
  if (!fingerprint) return std::nullopt;
  const bool withHashes = (static_cast<unsigned char>(bytes[5]) & kHashesFlag) != 0;
  // Each entry and each folder stands for at least one byte of the catalogue, so
  // what the catalogue's size allows bounds the payload: a hostile count cannot
  // make the reader allocate more.
  const std::uint64_t payloadSize = GetU64(bytes.data() + 24);
  const std::uint64_t limit = 64 * fingerprint->size + (std::uint64_t{1} << 20);
  if (payloadSize > limit) return std::nullopt;
  std::string_view frame = bytes.substr(kCompanionHeadSize);
  unsigned long long frameSize = ZSTD_getFrameContentSize(frame.data(), frame.size());
  if (frameSize != payloadSize) return std::nullopt;
  std::string payload(static_cast<std::size_t>(payloadSize), '\0');
  std::unique_ptr<ZSTD_DCtx, ZstdContext> context(ZSTD_createDCtx());
  if (!context) return std::nullopt;
  std::size_t got = ZSTD_decompressDCtx(context.get(), payload.data(), payload.size(), frame.data(), frame.size());
  if (ZSTD_isError(got) || got != payload.size()) return std::nullopt;
  return DecodeCompanionPayload(payload, fingerprint->size, withHashes);
}

std::optional<CompanionData> DecodeCompanionPayload(std::string_view payload, std::uint64_t catalogueSize,
                                                    bool withHashes) {
  PayloadReader in(payload);
  CompanionData data;
  const std::uint64_t entries = in.Count(1);
  const std::uint64_t folders = in.Count(1);
  const std::uint64_t merged = in.Count(8);
  if (!in.Ok() || entries > catalogueSize || folders > catalogueSize + 1) return std::nullopt;
  data.volume = in.Volume();
  for (std::uint64_t i = 0; i < merged && in.Ok(); ++i) data.mergedVolumes.push_back(in.Volume());
  data.folderFirstEntry.reserve(folders);
  std::uint64_t first = 0;
  for (std::uint64_t i = 0; i < folders && in.Ok(); ++i) {
    std::uint64_t rise = in.Varint();
    if (rise > entries - first) return std::nullopt;
    first += rise;
    data.folderFirstEntry.push_back(first);
  }
  data.times.reserve(entries);
  std::int64_t lastKnown = 0;
  for (std::uint64_t i = 0; i < entries && in.Ok(); ++i) {
    std::uint64_t code = in.Varint();
    if (code == 0) {
      data.times.push_back(kUnknownTime);
      continue;
    }
    // Wrapping arithmetic: hostile rises give some time, never undefined behaviour;
    // a time the writer could not have written is refused.
    auto time = static_cast<std::int64_t>(static_cast<std::uint64_t>(lastKnown) +
                                          static_cast<std::uint64_t>(UnZigZag(code - 1)));
    if (time < -kTimeLimit || time > kTimeLimit) return std::nullopt;
    data.times.push_back(time);
    lastKnown = time;
  }
  data.withHashes = withHashes;
  if (withHashes && in.Ok()) {
    std::string_view bits = in.Bytes((entries + 7) / 8);
    data.hashes.resize(entries);
    data.hashKnown.resize(entries);
    for (std::uint64_t i = 0; i < entries && in.Ok(); ++i) {
      if (!((static_cast<unsigned char>(bits[i / 8]) >> (i % 8)) & 1)) continue;
      std::string_view hash = in.Bytes(16);
      if (!in.Ok()) break;
      data.hashes[i] = {GetU64(hash.data()), GetU64(hash.data() + 8)};
      data.hashKnown[i] = true;
    }
  }
  if (!in.Ok() || in.Left() != 0) return std::nullopt;
  return data;
}

}  // namespace qvl
