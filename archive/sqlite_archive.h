#pragma once
// The archive as one plain SQLite file (schema in archive/schema.h and
// docs/archive-schema.md), for one program or several on one computer.
//
// Each change is one short write transaction that waits up to
// kArchiveBusyTimeoutMs for another program's to end; a download with its
// lines and readings is one, so a program killed while storing leaves the
// archive as before or with the whole download. WAL with synchronous FULL:
// a stored download survives a power cut once store_download returns.
//
// An Archive it opens serves one thread; threads and programs that share
// the file each open their own. It does not pick the file: the front end
// names it. SQLite over a network share is not safe with WAL; a shared
// archive is another Archive.

#include <memory>
#include <string>

#include "archive/archive.h"

inline constexpr int kArchiveBusyTimeoutMs = 10000;

enum class ArchiveOpenMode {
  create,    // the file and its folder are made when missing; an empty file becomes an archive
  existing,  // a missing file is an error, and is not made
};

// path in UTF-8. Throws ArchiveError; a file refused is left unchanged.
std::unique_ptr<Archive> open_archive(const std::string& path, ArchiveOpenMode mode);
