#include "catalogue/CompanionFile.h"

#include <unistd.h>

#include <algorithm>

#include "platform/Hash.h"
#include "platform/IoError.h"

namespace qvl {

CompanionCandidate ReadCompanionCandidate(const std::string& catalogue, std::int64_t catalogueSize) {
  CompanionCandidate candidate;
  const std::string path = CompanionPath(LinkTargetOf(catalogue));
  if (!FileExists(path)) return candidate;
  candidate.state = CompanionState::Stale;
  try {
    File file = File::OpenRead(path);
    // A companion much larger than its catalogue could be is not read at all.
    const std::int64_t size = file.Size();
    const std::int64_t limit = 64 * std::max<std::int64_t>(catalogueSize, 0) + (std::int64_t{2} << 20);
    if (size < static_cast<std::int64_t>(kCompanionHeadSize) || size > limit) return candidate;
    candidate.bytes.resize(static_cast<std::size_t>(size));
    candidate.bytes.resize(file.Read(candidate.bytes.data(), candidate.bytes.size()));
  } catch (const IoError&) {
    return candidate;
  }
  auto fingerprint = CompanionFingerprint(candidate.bytes);
  if (!fingerprint || fingerprint->size != static_cast<std::uint64_t>(catalogueSize)) return candidate;
  candidate.fingerprint = *fingerprint;
  candidate.state = CompanionState::Valid;  // so far: the hash is still to be checked
  return candidate;
}

CatalogueCompanion CheckCompanion(CompanionCandidate candidate, std::uint64_t catalogueHash,
                                  std::optional<std::size_t> folders) {
  CatalogueCompanion companion;
  companion.state = candidate.state;
  if (candidate.state != CompanionState::Valid) return companion;
  companion.state = CompanionState::Stale;
  if (candidate.fingerprint.hash != catalogueHash) return companion;
  auto data = DecodeCompanion(candidate.bytes);
  if (!data || (folders && data->folderFirstEntry.size() != *folders)) return companion;
  companion.state = CompanionState::Valid;
  companion.data = std::make_shared<const CompanionData>(std::move(*data));
  return companion;
}

std::optional<std::uint64_t> HashCatalogueFile(const std::string& path, const FileState& opened) {
  try {
    File file = File::OpenRead(path);
    if (file.State() != opened) return std::nullopt;
    StreamHash64 hash;
    std::string block(std::size_t{1} << 18, '\0');
    std::int64_t total = 0;
    while (std::size_t got = file.Read(block.data(), block.size())) {
      hash.Add(block.data(), got);
      total += static_cast<std::int64_t>(got);
    }
    if (total != opened.size) return std::nullopt;
    return hash.Digest();
  } catch (const IoError&) {
    return std::nullopt;
  }
}

CatalogueCompanion ReadCompanionFor(const std::string& catalogue, const FileState& opened) {
  CompanionCandidate candidate = ReadCompanionCandidate(catalogue, opened.size);
  if (candidate.state != CompanionState::Valid) return CheckCompanion(std::move(candidate), 0);
  auto hash = HashCatalogueFile(catalogue, opened);
  if (!hash) {
    CatalogueCompanion stale;
    stale.state = CompanionState::Stale;
    return stale;
  }
  return CheckCompanion(std::move(candidate), *hash);
}

CompanionOutput::~CompanionOutput() {
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
}

void CompanionOutput::Write(const std::string& catalogueTarget, const Companion& companion) {
  target_ = CompanionPath(catalogueTarget);
  File file = File::CreateUnique(target_ + ".new-", ".tmp", target_);
  temporary_ = file.Path();
  if (FileExists(catalogueTarget)) file.TakePermissionsOf(catalogueTarget);
  file.Write(EncodeCompanion(companion));
  file.Sync();
  file.Close();
}

void CompanionOutput::Commit() {
  if (temporary_.empty()) return;
  RenameFile(temporary_, target_);
  temporary_.clear();
}

void WriteNewCompanion(const std::string& catalogue, const Companion& companion) {
  const std::string path = CompanionPath(catalogue);
  File file = File::CreateExclusive(path);
  try {
    file.Write(EncodeCompanion(companion));
    file.Close();
  } catch (...) {
    file = File();
    ::unlink(path.c_str());
    throw;
  }
}

void RemoveCompanion(const std::string& catalogue) { ::unlink(CompanionPath(LinkTargetOf(catalogue)).c_str()); }

}  // namespace qvl
