// minizip's file functions over the runtime's reads at an offset.  minizip
// seeks before nearly every read (to an entry's directory record, to its
// local header, to each block of its data), and over stdio each seek throws
// the buffer away: an archive of thousands of small entries cost several
// system calls per entry.  Here reads are served from two windows of the
// archive, one of which in practice follows the central directory and the
// other the entries' data, so the archive is read about once, in large
// pieces.
#pragma once

#include <minizip/ioapi.h>

namespace corvane {

// The functions for unzOpen2_64; the path handed to it is opened through
// runtime::Fs().OpenReadAt.  Read-only: an open for writing fails.
zlib_filefunc64_def ArchiveFileFunctions();

}  // namespace corvane
