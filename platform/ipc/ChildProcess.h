#pragma once
// Starting a program held before its first instruction and letting it go later, as the
// old platform's suspended process creation and thread resume. The child is forked and
// waits on a pipe; only resume() lets it replace itself with the program, so not one
// instruction of the program runs before, and whatever the parent prepares in between
// (a named event, say) exists before the program can look for it.
//
// Every child is reaped: hasExited() and waitForExit() collect it, and a handle dropped
// while its child still runs hands the child to a list that later calls collect.

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <sys/types.h>

namespace vantrel::platform::ipc {

class ChildProcess {
public:
    // Starts `program`, with its own path as its only argument and this process's
    // environment, held until resume(). nullptr with the reason in *error when it is not
    // an executable file or the process cannot be made.
    static std::unique_ptr<ChildProcess> startSuspended(const std::filesystem::path& program,
                                                        std::string* error = nullptr);
    // A child never resumed is ended without running the program; a running one goes on.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Lets the child run the program; false (with the reason) when it could not: the child
    // has then ended.
    bool resume(std::string* error = nullptr);
    pid_t id() const { return pid_; }
    // Collects the child if it has ended; never waits.
    bool hasExited();
    // Waits at most `timeout` for the end.
    bool waitForExit(std::chrono::milliseconds timeout);
    // The exit code, or 128 + the signal that ended it; -1 before the end.
    int exitCode() const { return exitCode_; }

private:
    ChildProcess(pid_t pid, int goFd, int execFd) : pid_(pid), goFd_(goFd), execFd_(execFd) {}

    pid_t pid_;
    int goFd_;   // writing one byte lets the child run; closing it unused ends the child
    int execFd_; // carries the exec error, closes by itself when the exec succeeds
    bool exited_ = false;
    int exitCode_ = -1;
};

} // namespace vantrel::platform::ipc
