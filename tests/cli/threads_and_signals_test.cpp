// Threads and signals of the batch tool, seen from outside: Ctrl-C while the reader of the
// results reads nothing more (`... | sleep 30`), when the tool is blocked writing into a full
// pipe; and how many threads many jobs start.

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// Whether the pipe read by `readEnd` is full, so that the next write into it waits; waits up to
// `patience` for it. The last of its pages may be part-filled when it is full.
bool waitUntilFull(int readEnd, Clock::duration patience) {
    const int nearlyFull = fcntl(readEnd, F_GETPIPE_SZ) - 4096;
    for (const auto end = Clock::now() + patience; Clock::now() < end;) {
        int held = 0;
        if (ioctl(readEnd, FIONREAD, &held) == 0 && held > nearlyFull) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

// The child's status once it has ended; kills it and returns -1 when it has not within
// `patience`.
int statusWithin(pid_t child, Clock::duration patience) {
    int status = 0;
    for (const auto end = Clock::now() + patience; Clock::now() < end;) {
        if (waitpid(child, &status, WNOHANG) == child) {
            return status;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
    return -1;
}

TEST(Interrupt, EndsThePhraseSearchAtOnceWhileTheOutputPipeIsFull) {
    for (const char* jobs : {"1", "2"}) {
        int pipeEnds[2];
        ASSERT_EQ(pipe(pipeEnds), 0);
        const pid_t child = fork();
        if (child == 0) {
            dup2(pipeEnds[1], 1);
            close(pipeEnds[0]);
            close(pipeEnds[1]);
            const int null = open("/dev/null", O_RDWR);
            dup2(null, 0);
            dup2(null, 2);
            execl(WORDLOOM_CLI_EXE, WORDLOOM_CLI_EXE, "-a", "-j", jobs, "????????????",
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        close(pipeEnds[1]);
        ASSERT_TRUE(waitUntilFull(pipeEnds[0], std::chrono::seconds(60)));

        kill(child, SIGINT);
        const int status = statusWithin(child, std::chrono::seconds(20));
        close(pipeEnds[0]);
        EXPECT_TRUE(status != -1 && WIFSIGNALED(status) && WTERMSIG(status) == SIGINT)
            << "jobs " << jobs << ", status " << status;
    }
}

// The threads of a process, from /proc.
int threadsOf(pid_t process) {
    std::ifstream status("/proc/" + std::to_string(process) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("Threads:", 0) == 0) {
            return std::stoi(line.substr(8));
        }
    }
    return -1;
}

// More jobs than the processors the tool may run on start no more threads than those.
TEST(Jobs, NoMoreThreadsThanTheProcessorsTheToolMayUse) {
    int input[2];
    int output[2];
    ASSERT_EQ(pipe(input), 0);
    ASSERT_EQ(pipe(output), 0);
    const pid_t child = fork();
    if (child == 0) {
        cpu_set_t one;
        CPU_ZERO(&one);
        CPU_SET(0, &one);
        if (sched_setaffinity(0, sizeof one, &one) != 0) {
            _exit(120);
        }
        dup2(input[0], 0);
        dup2(output[1], 1);
        close(input[1]);
        close(output[0]);
        execl(WORDLOOM_CLI_EXE, WORDLOOM_CLI_EXE, "-j", "64", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(input[0]);
    close(output[1]);
    // The threads start before the first letter set is read: wait until the tool waits for it.
    std::string waitingIn;
    for (const auto end = Clock::now() + std::chrono::seconds(60);
         waitingIn.find("pipe_read") == std::string::npos && Clock::now() < end;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::ifstream wchan("/proc/" + std::to_string(child) + "/wchan");
        std::getline(wchan, waitingIn);
    }
    EXPECT_LE(threadsOf(child), 2);  // the tool and one worker at most
    ASSERT_EQ(write(input[1], "tca\n", 4), 4);
    close(input[1]);
    std::string rows;
    char buffer[256];
    for (ssize_t got; (got = read(output[0], buffer, sizeof buffer)) > 0;) {
        rows.append(buffer, static_cast<std::size_t>(got));
    }
    close(output[0]);
    EXPECT_NE(rows.find("\ncat\n"), std::string::npos) << rows;
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

}  // namespace
