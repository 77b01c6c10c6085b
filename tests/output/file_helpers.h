#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "fakes/temp_folder.h"

// The full name of `file` inside `folder` (test paths are ASCII).
inline std::u16string nameIn(const fakes::TempFolder& folder, const std::string& file) {
    return folder.u16path() + u"/" + std::u16string(file.begin(), file.end());
}

inline std::string readBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline int entryCount(const std::filesystem::path& folder) {
    return static_cast<int>(std::distance(std::filesystem::directory_iterator(folder),
                                          std::filesystem::directory_iterator()));
}
