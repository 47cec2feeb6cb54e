#pragma once
// Starting the product's programs from tests: run to the end and collect the output,
// or start in the background and read its output line by line.

#include <chrono>
#include <string>
#include <sys/types.h>
#include <vector>

namespace vantrel::test {

struct ProcessResult {
    int exitCode = -1; // -1 when it was killed or did not end in time
    std::string out;
    std::string err;
};

// Runs the program to the end (killing it after `timeout`).
ProcessResult runProcess(const std::vector<std::string>& argv,
                         std::chrono::milliseconds timeout = std::chrono::seconds(30));

// Runs the build's vantrel-device with `words` on the device the environment names.
ProcessResult runDevice(std::vector<std::string> words,
                        std::chrono::milliseconds timeout = std::chrono::seconds(30));

// Children of `parent` that have ended and were not collected.
int zombiesOf(pid_t parent);

class BackgroundProcess {
public:
    explicit BackgroundProcess(const std::vector<std::string>& argv);
    ~BackgroundProcess(); // kills it if still running
    BackgroundProcess(const BackgroundProcess&) = delete;
    BackgroundProcess& operator=(const BackgroundProcess&) = delete;

    // Reads standard output until a line equal to `line` arrives; false on time-out
    // or end of output. Everything read is kept in output().
    bool waitForLine(const std::string& line, std::chrono::milliseconds timeout);
    // Waits for the end; the exit code, or -1 after killing it on time-out.
    int wait(std::chrono::milliseconds timeout);
    const std::string& output() const { return out_; }
    pid_t pid() const { return pid_; }
    std::string errors();

private:
    pid_t pid_ = -1;
    int outFd_ = -1;
    int errFd_ = -1;
    std::string out_;
    std::string err_;
    size_t scanned_ = 0;
};

} // namespace vantrel::test
