#include "cli/program_folder.h"

#include <system_error>

namespace wordloom::cli {

std::filesystem::path programFolder() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::canonical("/proc/self/exe", error);
    return error ? std::filesystem::path() : program.parent_path();
}

}  // namespace wordloom::cli
