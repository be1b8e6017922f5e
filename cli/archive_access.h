#pragma once
// The survey archive as a command meets it: its path (cli/archive_location.h)
// opened the way the command uses it, and every failure of the archive told
// with the archive's own message (which names the file) and exit code 4.
//
// A command that stores (collect, log download --store, archive import)
// creates the archive when missing; one that only reads it (archive list,
// readings, history, check) needs it there; the records of config set,
// clock set and log erase are kept only when the file is there, and nothing
// is made otherwise. Each opens it before anything is sent, so an archive
// that cannot be used ends the command before the instrument is touched.

#include <functional>
#include <memory>
#include <string>

#include "archive/archive.h"
#include "cli/commands.h"

enum class ArchiveUse { store, read, record };

struct CommandArchive {
  std::string path;
  // None when it failed (reported) or, for a record, when there is no file.
  std::unique_ptr<Archive> archive;
  bool failed = false;
};

CommandArchive open_command_archive(const Invocation& invocation, const Streams& streams, ArchiveUse use);

// Reports the error; kExitArchive.
int archive_failure(const Streams& streams, const ArchiveError& error);

// The body's exit code, or kExitArchive with the message of the
// ArchiveError that it threw.
int with_archive_errors(const Streams& streams, const std::function<int()>& body);
