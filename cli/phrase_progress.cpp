#include "cli/phrase_progress.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <system_error>
#include <utility>

namespace wordloom::cli {

namespace {

// How often the line is redrawn while it shows.
constexpr std::chrono::milliseconds redrawEvery{200};

// Back to the start of the line and erase it to its end.
constexpr char clearLine[] = "\r\x1b[K";

// The terminal (device number) that the process `pid` has as its controlling terminal; 0 when
// none or unknown.
dev_t controllingTerminal(const std::string& pid) {
    std::ifstream stat("/proc/" + pid + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    // pid (comm) state ppid pgrp session tty_nr: the name may hold anything but ends at the
    // last ')'.
    const std::size_t close = text.rfind(')');
    if (close == std::string::npos) {
        return 0;
    }
    char state = 0;
    long ppid = 0, pgrp = 0, session = 0, tty = 0;
    if (std::sscanf(text.c_str() + close + 1, " %c %ld %ld %ld %ld", &state, &ppid, &pgrp, &session,
                    &tty) != 5) {
        return 0;
    }
    return static_cast<dev_t>(tty);
}

// Whether descriptor `fd` of process `pid` is open for reading only (fdinfo's "flags:" line).
bool readsOnly(const std::string& pid, const char* fd) {
    std::ifstream info("/proc/" + pid + "/fdinfo/" + fd);
    std::string key;
    while (info >> key) {
        if (key == "flags:") {
            std::string octal;
            info >> octal;
            return (std::strtoul(octal.c_str(), nullptr, 8) & O_ACCMODE) == O_RDONLY;
        }
    }
    return false;
}

// Whether a process that reads the pipe `pipeInode` has `terminal` as its controlling terminal:
// the reader at the end of "| less" or "| head" draws on the same screen.
bool pipeReaderOnTerminal(ino_t pipeInode, dev_t terminal) {
    const std::string wanted = "pipe:[" + std::to_string(pipeInode) + "]";
    const std::string self = std::to_string(getpid());
    DIR* processes = opendir("/proc");
    if (processes == nullptr) {
        return false;
    }
    bool found = false;
    while (const dirent* process = readdir(processes)) {
        const std::string pid = process->d_name;
        if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos ||
            pid == self) {
            continue;
        }
        DIR* fds = opendir(("/proc/" + pid + "/fd").c_str());
        if (fds == nullptr) {
            continue;
        }
        while (const dirent* fd = readdir(fds)) {
            char target[64];
            const std::string link = "/proc/" + pid + "/fd/" + fd->d_name;
            const ssize_t size = readlink(link.c_str(), target, sizeof target - 1);
            if (size > 0 && std::string_view(target, static_cast<std::size_t>(size)) == wanted &&
                readsOnly(pid, fd->d_name) && controllingTerminal(pid) == terminal) {
                found = true;
                break;
            }
        }
        closedir(fds);
        if (found) {
            break;
        }
    }
    closedir(processes);
    return found;
}

}  // namespace

bool showsProgress(ProgressChoice choice, std::FILE* out, std::FILE* err) {
    const int errFd = fileno(err);
    if (choice == ProgressChoice::Off || isatty(errFd) == 0) {
        return false;
    }
    if (choice == ProgressChoice::On) {
        return true;
    }
    const int outFd = fileno(out);
    if (isatty(outFd) != 0) {
        return false;
    }
    struct stat outStat {};
    struct stat errStat {};
    if (fstat(outFd, &outStat) != 0 || fstat(errFd, &errStat) != 0) {
        return false;
    }
    return !S_ISFIFO(outStat.st_mode) || !pipeReaderOnTerminal(outStat.st_ino, errStat.st_rdev);
}

PhraseProgress::PhraseProgress(std::FILE* err, bool enabled, bool outputIsTerminal,
                               std::chrono::milliseconds delay)
    : m_err(err), m_enabled(enabled), m_outputIsTerminal(outputIsTerminal), m_delay(delay) {}

PhraseProgress::~PhraseProgress() {
    if (!m_thread.joinable()) {
        return;
    }
    {
        std::lock_guard lock(m_mutex);
        m_closing = true;
        clearLocked();
    }
    m_wake.notify_one();
    m_thread.join();
}

void PhraseProgress::start(const engine::PhraseControl& control, std::size_t number,
                           std::size_t total) {
    if (!m_enabled) {
        return;
    }
    {
        std::lock_guard lock(m_mutex);
        m_control = &control;
        m_number = number;
        m_total = total;
        m_started = std::chrono::steady_clock::now();
    }
    if (!m_thread.joinable()) {
        try {
            m_thread = std::thread(&PhraseProgress::loop, this);
        } catch (const std::system_error&) {
            // No thread to spare: the phrases run without a display.
        }
    }
    m_wake.notify_one();
}

void PhraseProgress::finish() {
    if (!m_enabled) {
        return;
    }
    std::lock_guard lock(m_mutex);
    m_control = nullptr;
    clearLocked();
}

void PhraseProgress::beforeOutput() {
    if (!m_enabled || !m_outputIsTerminal) {
        return;
    }
    std::lock_guard lock(m_mutex);
    clearLocked();
    m_writing = true;
}

void PhraseProgress::afterOutput() {
    if (!m_enabled || !m_outputIsTerminal) {
        return;
    }
    std::lock_guard lock(m_mutex);
    m_writing = false;
}

void PhraseProgress::clearLocked() {
    if (m_shown) {
        std::fputs(clearLine, m_err);
        std::fflush(m_err);
        m_shown = false;
    }
}

void PhraseProgress::loop() {
    std::unique_lock lock(m_mutex);
    while (!m_closing) {
        if (m_control == nullptr) {
            m_wake.wait(lock);
            continue;
        }
        const auto due = m_started + m_delay;
        if (std::chrono::steady_clock::now() < due) {
            m_wake.wait_until(lock, due);
            continue;
        }
        std::string line = clearLine;
        line.append(programName).append(": ");
        line += std::to_string(m_control->delivered.load(std::memory_order_relaxed));
        line += " anagrams so far, phrase " + std::to_string(m_number);
        if (m_total != 0) {
            line += " of " + std::to_string(m_total);
        }
        if (!m_writing && (!m_shown || line != m_lastLine)) {
            std::fputs(line.c_str(), m_err);
            std::fflush(m_err);
            m_shown = true;
            m_lastLine = std::move(line);
        }
        m_wake.wait_for(lock, redrawEvery);
    }
}

}  // namespace wordloom::cli
