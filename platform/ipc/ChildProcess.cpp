#include "platform/ipc/ChildProcess.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <pthread.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace vantrel::platform::ipc {

namespace {

std::mutex strayMutex;
// Children whose handles were dropped while they ran; collected by later calls.
std::vector<pid_t>& strays() {
    static auto* list = new std::vector<pid_t>;
    return *list;
}

void collectStrays() {
    std::lock_guard lock(strayMutex);
    std::erase_if(strays(), [](pid_t pid) { return ::waitpid(pid, nullptr, WNOHANG) != 0; });
}

int codeOf(int status) {
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

bool readAll(int fd, void* buffer, size_t size) {
    size_t done = 0;
    while (done < size) {
        ssize_t n = ::read(fd, static_cast<char*>(buffer) + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

// A held child that was killed has closed its end: the write must fail, not raise
// SIGPIPE in the whole parent. The signal is blocked for this thread and a pending one
// taken away again.
bool writeByteWithoutSigpipe(int fd) {
    sigset_t pipeSignal, saved;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &saved);
    char go = 1;
    bool sent = ::write(fd, &go, 1) == 1;
    if (!sent && errno == EPIPE) {
        timespec none{};
        sigtimedwait(&pipeSignal, nullptr, &none);
    }
    pthread_sigmask(SIG_SETMASK, &saved, nullptr);
    return sent;
}

// The child between fork and exec: only calls that are safe after forking a process
// with threads.
[[noreturn]] void runHeld(int goFd, int execFd, const char* program, char* const argv[]) {
    char go;
    ssize_t n;
    while ((n = ::read(goFd, &go, 1)) < 0 && errno == EINTR) {
    }
    if (n != 1)
        ::_exit(0); // dropped before being resumed, or the parent ended
    // The parent may block signals for a thread that waits on them; the program must
    // not inherit that.
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::execve(program, argv, environ);
    int error = errno;
    ssize_t ignored = ::write(execFd, &error, sizeof error);
    (void)ignored;
    ::_exit(127);
}

} // namespace

std::unique_ptr<ChildProcess> ChildProcess::startSuspended(const std::filesystem::path& program,
                                                           std::string* error) {
    auto fail = [&](const std::string& reason) -> std::unique_ptr<ChildProcess> {
        if (error)
            *error = program.string() + ": " + reason;
        return nullptr;
    };
    collectStrays();
    struct stat info {};
    if (::stat(program.c_str(), &info) != 0)
        return fail(std::strerror(errno));
    if (!S_ISREG(info.st_mode) || ::access(program.c_str(), X_OK) != 0)
        return fail("not an executable file");

    int go[2], exec[2];
    if (::pipe2(go, O_CLOEXEC) != 0)
        return fail(std::strerror(errno));
    if (::pipe2(exec, O_CLOEXEC) != 0) {
        std::string reason = std::strerror(errno);
        ::close(go[0]);
        ::close(go[1]);
        return fail(reason);
    }
    std::string path = program.string();
    char* argv[] = {path.data(), nullptr};
    pid_t pid = ::fork();
    if (pid == 0) {
        ::close(go[1]);
        ::close(exec[0]);
        runHeld(go[0], exec[1], path.c_str(), argv);
    }
    int forkError = errno;
    ::close(go[0]);
    ::close(exec[1]);
    if (pid < 0) {
        ::close(go[1]);
        ::close(exec[0]);
        return fail(std::strerror(forkError));
    }
    return std::unique_ptr<ChildProcess>(new ChildProcess(pid, go[1], exec[0]));
}

ChildProcess::~ChildProcess() {
    bool wasHeld = goFd_ >= 0;
    if (goFd_ >= 0)
        ::close(goFd_); // a held child reads the end of the pipe and leaves
    if (execFd_ >= 0)
        ::close(execFd_);
    if (exited_)
        return;
    if (wasHeld) {
        int status;
        while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        return;
    }
    if (!hasExited()) {
        std::lock_guard lock(strayMutex);
        strays().push_back(pid_);
    }
}

bool ChildProcess::resume(std::string* error) {
    if (goFd_ < 0) {
        if (error)
            *error = "already resumed";
        return false;
    }
    bool sent = writeByteWithoutSigpipe(goFd_);
    ::close(goFd_);
    goFd_ = -1;
    // Ends with the exec: empty when it worked, the error number when it did not.
    int execError = 0;
    bool failed = readAll(execFd_, &execError, sizeof execError);
    ::close(execFd_);
    execFd_ = -1;
    if (sent && !failed)
        return true;
    if (error)
        *error = sent ? std::strerror(execError) : "the held process has gone";
    waitForExit(std::chrono::seconds(5));
    return false;
}

bool ChildProcess::hasExited() {
    if (exited_)
        return true;
    int status = 0;
    pid_t result = ::waitpid(pid_, &status, WNOHANG);
    if (result == pid_) {
        exited_ = true;
        exitCode_ = codeOf(status);
    } else if (result < 0 && errno == ECHILD) {
        exited_ = true; // collected elsewhere
    }
    collectStrays();
    return exited_;
}

bool ChildProcess::waitForExit(std::chrono::milliseconds timeout) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!hasExited()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

} // namespace vantrel::platform::ipc
