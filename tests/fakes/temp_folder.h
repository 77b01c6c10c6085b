#pragma once

#include <unistd.h>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>

namespace fakes {

// A fresh folder under the system's temporary folder, removed with everything in it at the end.
class TempFolder {
public:
    TempFolder() {
        static std::atomic<int> counter{0};
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        m_path = std::filesystem::temp_directory_path() /
                 ("wordloom-test-" + std::to_string(::getpid()) + "-" + std::to_string(stamp) +
                  "-" + std::to_string(counter++));
        std::filesystem::create_directories(m_path);
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::u16string u16path() const { return toU16(m_path.string()); }

    // Writes `bytes` to the file `name` (folders created as needed); returns its full path.
    std::u16string write(const std::string& name, std::string_view bytes) const {
        const auto file = m_path / name;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return toU16(file.string());
    }

private:
    // Test paths are ASCII.
    static std::u16string toU16(const std::string& text) {
        return std::u16string(text.begin(), text.end());
    }
    std::filesystem::path m_path;
};

}  // namespace fakes
