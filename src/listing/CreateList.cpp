#include "listing/CreateList.h"

#include <filesystem>
#include <stdexcept>

#include "catalogue/ProgramVersion.h"
#include "listing/CatalogueWriter.h"
#include "listing/CompanionCollector.h"
#include "listing/ParallelWalk.h"
#include "listing/PlainListWriters.h"
#include "listing/Walk.h"

namespace qvl {
namespace {

std::string AbsoluteFolder(const std::string& directory) {
  std::error_code error;
  auto absolute = std::filesystem::absolute(directory, error);
  return error || directory.empty() ? directory : absolute.lexically_normal().string();
}

VolumeRecord StartVolumeRecord(const ListRequest& request) {
  VolumeRecord volume;
  volume.listedAt = request.clock ? request.clock() : kUnknownTime;
  volume.listedFolder = AbsoluteFolder(request.drive.rootDirectory);
  volume.programVersion = kVersionText;
  if (request.volumeFacts) {
    VolumeFacts facts = request.volumeFacts(request.drive.rootDirectory);
    volume.uuid = std::move(facts.uuid);
    volume.label = std::move(facts.label);
    volume.fileSystem = std::move(facts.fileSystem);
    volume.capacity = facts.capacity;
    volume.free = facts.free;
  }
  return volume;
}

void WriteCatalogue(const ListRequest& request, ByteSink& output, DirectorySource& source,
                    const Collator& collator, Progress& progress, Companion* companion) {
  if (companion == nullptr) {
    CatalogueWriter writer(output);
    writer.WriteCatalogueHeader(DriveCaption(request.drive), request.comment);
    DriveWalk::Options options{.entryTextWithSize = request.withSizes};
    if (!WalkInParallel({source, collator, progress, options, request.drive.letter}, writer, nullptr)) {
      DriveWalk walk(source, collator, writer, progress, options);
      walk.Run(request.drive.letter);
    }
    writer.WriteEndMark();
    return;
  }
  *companion = Companion{};
  CompanionData& data = companion->data;
  data.volume = StartVolumeRecord(request);
  if (request.contentHashes) data.StartHashes();
  FingerprintSink fingerprinted(output);
  CatalogueWriter writer(fingerprinted);
  writer.WriteCatalogueHeader(DriveCaption(request.drive), request.comment);
  DriveWalk::Options options{
      .entryTextWithSize = request.withSizes, .keepTimes = true, .hashFiles = request.contentHashes};
  // Hashing reads every file on the walk's own thread; without it, several walk.
  if (request.contentHashes ||
      !WalkInParallel({source, collator, progress, options, request.drive.letter}, writer, &data)) {
    CompanionCollector collector(writer, data);
    DriveWalk walk(source, collator, collector, progress, options);
    walk.Run(request.drive.letter);
  }
  writer.WriteEndMark();
  companion->fingerprint = {fingerprinted.Size(), fingerprinted.Digest()};
}

void WritePlainList(const ListRequest& request, ByteSink& output, DirectorySource& source,
                    const Collator& collator, Progress& progress) {
  // Lines are small; the buffer hands them on in large blocks and only at the end.
  BufferedSink buffer(output);
  auto writer = MakePlainListWriter(request.method, buffer, request.rightMargin);
  ListHeader header;
  header.caption = DriveCaption(request.drive);
  header.date = request.dateText();
  header.time = request.timeText();
  header.comment = request.comment;
  writer->WriteListHeader(header);
  DriveWalk walk(source, collator, *writer, progress, {.entryTextWithSize = false});
  walk.Run(request.drive.letter);
  writer->WriteListTrailer(header.caption);
  buffer.Flush();
}

}  // namespace

void WriteListing(const ListRequest& request, ByteSink& output, DirectorySource& source,
                  const Collator& collator, Progress& progress, Companion* companion) {
  if (request.method == ListMethod::Catalogue) {
    WriteCatalogue(request, output, source, collator, progress, companion);
  } else {
    WritePlainList(request, output, source, collator, progress);
  }
}

void AppendListing(const ListRequest& request, File& file, const std::string& cutText, DirectorySource& source,
                   const Collator& collator, Progress& progress) {
  if (request.method == ListMethod::Catalogue)
    throw std::invalid_argument("A catalogue is merged, not appended to");
  const std::int64_t formerEnd = file.Size();
  try {
    WriteListing(request, file, source, collator, progress);
    file.Close();
  } catch (...) {
    // The failure that stopped the list is the one to report, not a failed clean-up.
    try {
      if (file.IsOpen()) {
        file.Truncate(formerEnd);
        file.Seek(formerEnd);
        file.Write(cutText);
      }
    } catch (const std::exception&) {
    }
    throw;
  }
}

}  // namespace qvl
