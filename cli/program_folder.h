#pragma once

#include <filesystem>

namespace wordloom::cli {

// The folder that holds the running program's real file. Symbolic links are followed, so a link
// to the program from elsewhere (such as /usr/bin) still finds the files installed beside it.
// Empty when the system cannot tell.
std::filesystem::path programFolder();

}  // namespace wordloom::cli
