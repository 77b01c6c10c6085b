#pragma once

#include <sys/stat.h>
#include <string>

namespace wordloom::output {

// What a saved file is besides its content, and whether a new file can be made to be the same.

// Follows symbolic links from `path` to the name they lead to, which need not exist (a link that
// dangles leads to the file it names). Sets errno and returns an empty string on a loop.
std::string followLinks(std::string path);

// The folder a path names a file in ("." for a bare name).
std::string folderOf(const std::string& path);

// Whether this process may give a file the owner and group of `existing` (only the superuser may
// give a file away; an owner may pick any group they belong to).
bool mayGiveOwnerOf(const struct stat& existing);

// Makes the file open as `descriptor` what the file at `source` is: its owner and group, its mode
// and its extended attributes (the access ACL among them); attributes the new file has and the
// source lacks (an inherited default ACL) are dropped. False when any of it cannot be done.
bool copyWhatTheFileIs(const std::string& source, const struct stat& existing, int descriptor);

// The user's cache folder for this program ($XDG_CACHE_HOME or ~/.cache, then "wordloom"),
// made private to the user when missing. Empty when there is none to be had.
std::string userCacheFolder();

}  // namespace wordloom::output
