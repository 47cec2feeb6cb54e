#include "tests/support/Process.h"

#include "tests/support/TestFolders.h"

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace vantrel::test {

namespace {

using Clock = std::chrono::steady_clock;

pid_t spawn(const std::vector<std::string>& argv, int& outFd, int& errFd) {
    int out[2], err[2];
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0)
        return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    std::vector<char*> args;
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    close(err[1]);
    outFd = out[0];
    errFd = err[0];
    return pid;
}

// Moves what is readable now from the two pipes into the strings; waits at most
// `waitMs`. False when both pipes are closed.
bool drain(int& outFd, int& errFd, std::string& out, std::string& err, int waitMs) {
    pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
    if (outFd < 0 && errFd < 0)
        return false;
    if (poll(fds, 2, waitMs) <= 0)
        return true;
    char buffer[4096];
    int* fd[2] = {&outFd, &errFd};
    std::string* text[2] = {&out, &err};
    for (int i = 0; i < 2; ++i) {
        if (*fd[i] < 0 || !(fds[i].revents & (POLLIN | POLLHUP)))
            continue;
        ssize_t n = read(*fd[i], buffer, sizeof buffer);
        if (n > 0) {
            text[i]->append(buffer, static_cast<size_t>(n));
        } else {
            close(*fd[i]);
            *fd[i] = -1;
        }
    }
    return true;
}

int reap(pid_t pid, Clock::time_point deadline) {
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (Clock::now() >= deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        usleep(5000);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

ProcessResult runProcess(const std::vector<std::string>& argv, std::chrono::milliseconds timeout) {
    ProcessResult result;
    int outFd = -1, errFd = -1;
    pid_t pid = spawn(argv, outFd, errFd);
    if (pid < 0)
        return result;
    auto deadline = Clock::now() + timeout;
    while (Clock::now() < deadline && drain(outFd, errFd, result.out, result.err, 50)) {
    }
    result.exitCode = reap(pid, deadline);
    if (outFd >= 0)
        close(outFd);
    if (errFd >= 0)
        close(errFd);
    return result;
}

BackgroundProcess::BackgroundProcess(const std::vector<std::string>& argv) {
    pid_ = spawn(argv, outFd_, errFd_);
}

BackgroundProcess::~BackgroundProcess() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    if (outFd_ >= 0)
        close(outFd_);
    if (errFd_ >= 0)
        close(errFd_);
}

bool BackgroundProcess::waitForLine(const std::string& line, std::chrono::milliseconds timeout) {
    auto deadline = Clock::now() + timeout;
    for (;;) {
        size_t end;
        while ((end = out_.find('\n', scanned_)) != std::string::npos) {
            bool match = out_.compare(scanned_, end - scanned_, line) == 0;
            scanned_ = end + 1;
            if (match)
                return true;
        }
        if (Clock::now() >= deadline || !drain(outFd_, errFd_, out_, err_, 50))
            return false;
    }
}

int BackgroundProcess::wait(std::chrono::milliseconds timeout) {
    if (pid_ <= 0)
        return -1;
    auto deadline = Clock::now() + timeout;
    while (Clock::now() < deadline && drain(outFd_, errFd_, out_, err_, 50)) {
    }
    int code = reap(pid_, deadline);
    pid_ = -1;
    return code;
}

std::string BackgroundProcess::errors() {
    drain(outFd_, errFd_, out_, err_, 0);
    return err_;
}

ProcessResult runDevice(std::vector<std::string> words, std::chrono::milliseconds timeout) {
    words.insert(words.begin(), (binaryFolder() / "tools" / "vantrel-device").string());
    return runProcess(words, timeout);
}

int zombiesOf(pid_t parent) {
    int zombies = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        std::ifstream in(entry.path() / "stat");
        std::string stat;
        if (!std::getline(in, stat) || stat.rfind(')') == std::string::npos)
            continue;
        std::istringstream fields(stat.substr(stat.rfind(')') + 2));
        char state = 0;
        pid_t ppid = 0;
        fields >> state >> ppid;
        zombies += ppid == parent && state == 'Z';
    }
    return zombies;
}

} // namespace vantrel::test
