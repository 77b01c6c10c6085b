#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace wordloom::tests {

// A file holding the given bytes in the test's temporary folder, removed again at the end.
// The name carries the test's name, so tests running in parallel processes never share one.
class TempFile {
public:
    explicit TempFile(std::string_view bytes) {
        static int counter = 0;
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        m_path = ::testing::TempDir() + "wordloom_" + test->test_suite_name() + "_" + test->name() +
                 "_" + std::to_string(++counter) + ".txt";
        std::ofstream out(m_path, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    ~TempFile() {
        std::error_code ignored;
        std::filesystem::remove(m_path, ignored);
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

}  // namespace wordloom::tests
