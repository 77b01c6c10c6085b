#pragma once

// Runs part of a test as an ordinary user. The superuser may write read-only files and enter
// closed folders, so a test about rights proves nothing when it runs as root, as the tests do in
// CI. These helpers fork a child that drops to user and group 65534 ("nobody") with no
// supplementary groups, run the test's body there and report whether it succeeded.
//
//     const fs::path folder = ...;
//     wordloom::testing::handToUnprivileged(folder);
//     EXPECT_TRUE(wordloom::testing::runUnprivileged([&] { return !canWrite(folder); }));
//
// The body runs in the child: gtest assertions made there are not seen by the parent, so the
// body returns its verdict, either a bool or a std::string that is empty on success and says
// what went wrong otherwise. Side effects on files are seen by the parent after the call.

#include <grp.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <string>
#include <system_error>
#include <type_traits>

namespace wordloom::testing {

inline constexpr uid_t kUnprivilegedUser = 65534;
inline constexpr gid_t kUnprivilegedGroup = 65534;

// Gives `path` to the unprivileged user, so a body run by runUnprivileged() owns it; does nothing
// when the tests do not run as root (the files are the tester's own then).
inline void handToUnprivileged(const std::filesystem::path& path) {
    if (::geteuid() != 0) {
        return;
    }
    if (::lchown(path.c_str(), kUnprivilegedUser, kUnprivilegedGroup) != 0) {
        throw std::system_error(errno, std::generic_category(), "lchown " + path.string());
    }
}

// handToUnprivileged() for `folder` and everything in it. The folders above it must let others
// pass (the system's temporary folder does).
inline void handTreeToUnprivileged(const std::filesystem::path& folder) {
    handToUnprivileged(folder);
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        handToUnprivileged(entry.path());
    }
}

// Runs `body` in a forked child as user and group 65534 with no supplementary groups (or as the
// current user when that is not root already). Succeeds when the child dropped its rights and
// the body reported success; otherwise the failure says why.
template <typename Body>
::testing::AssertionResult runUnprivileged(Body&& body) {
    int report[2];
    if (::pipe(report) != 0) {
        return ::testing::AssertionFailure() << "pipe: " << std::strerror(errno);
    }
    std::fflush(nullptr);  // nothing buffered is written twice
    const pid_t child = ::fork();
    if (child < 0) {
        const int error = errno;
        ::close(report[0]);
        ::close(report[1]);
        return ::testing::AssertionFailure() << "fork: " << std::strerror(error);
    }
    if (child == 0) {
        ::close(report[0]);
        std::string message;
        if (::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setgid(kUnprivilegedGroup) != 0 ||
             ::setuid(kUnprivilegedUser) != 0)) {
            message = std::string("cannot drop to user 65534: ") + std::strerror(errno);
        } else if (::geteuid() == 0) {
            message = "still the superuser after setuid";
        } else {
            try {
                if constexpr (std::is_same_v<std::invoke_result_t<Body>, bool>) {
                    if (!body()) {
                        message = "the body returned false";
                    }
                } else {
                    message = body();
                }
            } catch (const std::exception& error) {
                message = std::string("the body threw: ") + error.what();
            } catch (...) {
                message = "the body threw";
            }
        }
        std::size_t written = 0;
        while (written < message.size()) {
            const ssize_t n =
                ::write(report[1], message.data() + written, message.size() - written);
            if (n <= 0) {
                break;
            }
            written += static_cast<std::size_t>(n);
        }
        // _exit: the child must not run the parent's exit handlers or flush its buffers again.
        ::_exit(message.empty() ? 0 : 1);
    }
    ::close(report[1]);
    std::string message;
    char buffer[256];
    for (;;) {
        const ssize_t n = ::read(report[0], buffer, sizeof buffer);
        if (n > 0) {
            message.append(buffer, static_cast<std::size_t>(n));
        } else if (n == 0 || errno != EINTR) {
            break;
        }
    }
    ::close(report[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            return ::testing::AssertionFailure() << "waitpid: " << std::strerror(errno);
        }
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
        return ::testing::AssertionSuccess();
    }
    if (WIFSIGNALED(status)) {
        return ::testing::AssertionFailure()
               << "the unprivileged child died of signal " << WTERMSIG(status);
    }
    return ::testing::AssertionFailure() << "as user 65534: " << message;
}

}  // namespace wordloom::testing
