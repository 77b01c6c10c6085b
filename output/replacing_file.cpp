#include "output/replacing_file.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <system_error>

namespace wordloom::output {

namespace {

namespace fs = std::filesystem;

constexpr int kNameAttempts = 100;

std::string randomSuffix(std::mt19937& random) {
    static constexpr char kLetters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
    std::string suffix = ".";
    for (int i = 0; i < 6; ++i) {
        suffix += kLetters[pick(random)];
    }
    return suffix;
}

// Replacing a link would cut it; the file it leads to is the one to replace.
std::string followLink(const std::string& path) {
    std::error_code error;
    if (!fs::is_symlink(path, error)) {
        return path;
    }
    const fs::path resolved = fs::weakly_canonical(path, error);
    return error ? path : resolved.string();
}

}  // namespace

ReplacingFile::ReplacingFile(std::string target) : m_target(followLink(target)) {
    std::mt19937 random{std::random_device{}()};
    for (int attempt = 0; attempt < kNameAttempts && m_file == nullptr; ++attempt) {
        const std::string candidate = m_target + randomSuffix(random);
        m_file = std::fopen(candidate.c_str(), "wbx");
        if (m_file != nullptr) {
            m_temporary = candidate;
        } else if (errno != EEXIST) {
            break;
        }
    }
    if (m_file == nullptr) {
        m_file = std::fopen(m_target.c_str(), "wb");
        if (m_file == nullptr) {
            fail("create", errno);
        }
    }
}

ReplacingFile::~ReplacingFile() {
    if (m_file != nullptr) {
        std::fclose(m_file);
    }
    if (!m_temporary.empty()) {
        std::remove(m_temporary.c_str());
    }
}

void ReplacingFile::write(std::string_view bytes) {
    if (m_file == nullptr) {
        throw std::logic_error("File '" + m_target + "' is already closed.");
    }
    if (std::fwrite(bytes.data(), 1, bytes.size(), m_file) != bytes.size()) {
        fail("write", errno);
    }
}

void ReplacingFile::commit() {
    if (m_file == nullptr) {
        throw std::logic_error("File '" + m_target + "' is already closed.");
    }
    std::FILE* file = m_file;
    m_file = nullptr;
    if (std::fflush(file) != 0) {
        const int error = errno;
        std::fclose(file);
        fail("write", error);
    }
    if (std::fclose(file) != 0) {
        fail("write", errno);
    }
    if (m_temporary.empty()) {
        return;
    }
    std::error_code error;
    const fs::file_status existing = fs::status(m_target, error);
    if (!error && fs::exists(existing)) {
        fs::permissions(m_temporary, existing.permissions(), error);
    }
    if (std::rename(m_temporary.c_str(), m_target.c_str()) != 0) {
        fail("replace", errno);
    }
    m_temporary.clear();
}

void ReplacingFile::fail(std::string_view action, int error) {
    m_failed = true;
    throw std::runtime_error("Cannot " + std::string(action) + " file '" + m_target +
                             "': " + std::generic_category().message(error) + ".");
}

}  // namespace wordloom::output
