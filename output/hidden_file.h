#pragma once

#include <sys/types.h>
#include <string>
#include <string_view>

namespace wordloom::output {

// The file steps ReplacingFile is made of: its hidden working files, flushes and copies.

// Creates a new file in `folder` named after `target` as ".name.wordloom<kind>-XXXXXX", so that
// one left behind by a crash is recognisably this program's and stays out of the way, with the
// permission bits `mode`. A name too long for the suffix becomes ".wordloom<kind>-XXXXXX".
// Returns the descriptor (open for reading and writing) and sets `path`;
// returns -1 with `error` set when no file can be made.
int openHiddenFile(const std::string& folder, const std::string& target, std::string_view kind,
                   mode_t mode, std::string& path, int& error);

// Flushes a file to the disk: fsync, or what ReplacingFile::setSyncFunction() put in its place.
extern int (*syncToDisk)(int descriptor);

// Flushes a folder's entries to the disk. Returns 0 or the error; some file systems cannot
// flush a folder (EINVAL), which only a real write error (EIO) should count against.
int syncFolder(const std::string& folder);

// Copies all of `from` over the start of `to` and cuts `to` to that size. False with errno set
// on a failure.
bool copyWholeFile(int from, int to);

}  // namespace wordloom::output
