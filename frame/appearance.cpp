#include "frame/appearance.h"

#include <chrono>
#include <random>
#include <system_error>

#include "engine/text.h"
#include "platform/window_layout.h"

namespace wordloom::frame {

namespace {
constexpr std::size_t MaxTitleLength = 40;
}

std::filesystem::path toFileSystemPath(std::u16string_view path) {
    return std::filesystem::path(engine::encodeUtf8(path));
}

std::u16string joinPath(std::u16string_view folder, std::u16string_view name) {
    std::u16string path(folder);
    path += u'/';
    path += name;
    return path;
}

bool FileExists(std::u16string_view path) noexcept {
    try {
        if (path.empty()) {
            return false;
        }
        std::error_code error;
        static_cast<void>(std::filesystem::last_write_time(toFileSystemPath(path), error));
        return !error;
    } catch (...) {
        return false;
    }
}

bool isRegularFile(std::u16string_view path) noexcept {
    try {
        std::error_code error;
        return !path.empty() && std::filesystem::is_regular_file(toFileSystemPath(path), error);
    } catch (...) {
        return false;
    }
}

std::u16string applicationTitleFor(std::u16string_view productName) {
    std::u16string title(productName);
    do {
        const auto blank = title.rfind(u' ');
        if (blank == std::u16string::npos) {
            break;  // a single word has nothing left to drop
        }
        title.resize(blank);
    } while (title.size() > MaxTitleLength);
    return title;
}

void SetApplicationTitle(platform::MessageBox& messages) {
    messages.setApplicationTitle(applicationTitleFor(platform::ProductName));
}

void ApplySkin(platform::MainWindow& window, std::u16string_view applicationFolder) {
    if (!isRegularFile(joinPath(applicationFolder, SkinFile))) {
        return;
    }
    window.useButtonFaceColours();
}

void OccasionalHomePageVisit(platform::Shell& shell, const std::function<int()>& draw) {
    if (draw() == HomePageDraw) {
        shell.openUrl(std::u16string(HomePageAddress));
    }
}

int drawHomePageNumber() {
    static std::mt19937 generator = [] {
        std::random_device device;
        const auto now = std::chrono::system_clock::now().time_since_epoch().count();
        std::seed_seq seed{device(), static_cast<unsigned>(now), static_cast<unsigned>(now >> 32)};
        return std::mt19937(seed);
    }();
    return std::uniform_int_distribution<int>(1, 100)(generator);
}

}  // namespace wordloom::frame
