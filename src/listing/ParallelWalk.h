#pragma once

#include "catalogue/Companion.h"
#include "listing/CatalogueWriter.h"
#include "listing/Walk.h"

namespace qvl {

int DefaultWalkThreads();

struct ParallelWalkSetup {
  DirectorySource& source;  // forked once per thread
  const Collator& collator;
  Progress& progress;
  DriveWalk::Options options;  // no content hashes
  char driveLetter = 'C';
  // Threads that walk from the start, as many as there are processors (two at
  // least, four at most), and one more once they wait on the disk.
  int threads = DefaultWalkThreads();
  int extraThreads = 1;
};

// Walks a drive for a catalogue on several threads. Each thread walks whole folders,
// everything below them included, into records and companion entries of its own,
// and hands a folder's subfolders to the others while they have nothing to do. This
// thread writes it all to `writer` (and `companion`, when given) in the order a walk
// on one thread gives, the same bytes, and reports unreadable folders in that order.
// False, with nothing written, when the source cannot be forked.
bool WalkInParallel(const ParallelWalkSetup& setup, CatalogueWriter& writer, CompanionData* companion);

}  // namespace qvl
