#pragma once

// What the tests of the real wordloom-unscramble share: a fixture that runs the program in a
// folder of its own and captures what it writes, and small file helpers.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace wordloom::cli::tool_test {

namespace fs = std::filesystem;

inline std::string readFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

inline void writeFile(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// Each line followed by "\n": the text of a file of these lines.
inline std::string textOfLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\n";
    }
    return text;
}

inline std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        lines.push_back(line);
    }
    return lines;
}

inline std::string golden(const char* name) {
    return std::string(WORDLOOM_CLI_GOLDEN_DIR "/") + name;
}
inline std::string testData(const char* name) {
    return std::string(WORDLOOM_TEST_DATA_DIR "/") + name;
}

inline std::string shellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

// The largest resident size of a running process so far, from /proc.
inline long peakResidentKilobytes(pid_t process) {
    std::ifstream status("/proc/" + std::to_string(process) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return -1;
}

// Where the program's standard input comes from and where its output goes (empty: captured).
struct Streams {
    std::string in = "/dev/null";
    std::string out;
};

inline Streams inputFrom(const std::string& path) {
    Streams streams;
    streams.in = path;
    return streams;
}

inline Streams outputTo(const std::string& path) {
    Streams streams;
    streams.out = path;
    return streams;
}

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

class UnscrambleTool : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        m_dir = fs::temp_directory_path() /
                ("wordloom-cli-" + std::string(test->name()) + "-" + std::to_string(getpid()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    ToolRun runProgram(const std::string& program, const std::vector<std::string>& arguments,
                       const Streams& streams = Streams()) {
        const fs::path outPath = streams.out.empty() ? m_dir / "stdout" : fs::path(streams.out);
        std::string command = shellQuoted(program);
        for (const std::string& argument : arguments) {
            command.append(" ").append(shellQuoted(argument));
        }
        command.append(" <").append(shellQuoted(streams.in));
        command.append(" >").append(shellQuoted(outPath));
        command.append(" 2>").append(shellQuoted(m_dir / "stderr"));
        const int status = std::system(command.c_str());
        ToolRun run;
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.out = streams.out.empty() ? readFile(outPath) : "";
        run.err = readFile(m_dir / "stderr");
        return run;
    }

    ToolRun run(const std::vector<std::string>& arguments, const Streams& streams = Streams()) {
        return runProgram(WORDLOOM_CLI_EXE, arguments, streams);
    }

    // Runs the tool directly (no shell): `inChild` runs after the fork, just before the exec
    // (limits, another user); `feed`, when given, writes the tool's standard input through a
    // pipe. `peakKilobytes` receives the tool's largest resident size.
    ToolRun spawn(const std::vector<std::string>& arguments, const std::function<void()>& inChild,
                  const std::function<void(int)>& feed = {}, long* peakKilobytes = nullptr) {
        const std::string outPath = (m_dir / "stdout").string();
        const std::string errPath = (m_dir / "stderr").string();
        int pipeEnds[2] = {-1, -1};
        if (feed && pipe(pipeEnds) != 0) {
            ADD_FAILURE() << "pipe";
            return {};
        }
        std::vector<char*> argv{m_program.data()};
        for (const std::string& argument : arguments) {
            argv.push_back(const_cast<char*>(argument.c_str()));
        }
        argv.push_back(nullptr);
        const pid_t child = fork();
        if (child == 0) {
            const int in = feed ? pipeEnds[0] : open("/dev/null", O_RDONLY);
            const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (in < 0 || out < 0 || err < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 ||
                dup2(err, 2) < 0) {
                _exit(120);
            }
            if (feed) {
                close(pipeEnds[1]);
            }
            inChild();
            execv(m_program.c_str(), argv.data());
            _exit(127);
        }
        if (feed) {
            close(pipeEnds[0]);
            feed(pipeEnds[1]);
            // The tool still waits for the end of its input: its peak so far is that of the
            // whole input. (The exit status's resource use would also count the memory of this
            // test program, which the child held until its exec.)
            if (peakKilobytes != nullptr) {
                *peakKilobytes = peakResidentKilobytes(child);
            }
            close(pipeEnds[1]);
        }
        int status = 0;
        waitpid(child, &status, 0);
        ToolRun run;
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        run.out = readFile(outPath);
        run.err = readFile(errPath);
        return run;
    }

    fs::path m_dir;
    std::string m_program = WORDLOOM_CLI_EXE;  // what spawn() runs
};

inline const std::string smallDic = golden("small.dic");

}  // namespace wordloom::cli::tool_test
