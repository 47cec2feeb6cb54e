// Stands in for the browser the preloader starts, honouring its side of the contract:
// it holds "_BRISA9_PRELOADED_MUTEX_" while it runs preloaded, sets
// "_BRISA9_BINARY_LOADED_EVENT_" once loaded, and registers "Brisa_MainWndClass" (with a
// window) when the user opens it (SIGUSR1). SIGTERM ends it.
//
// The file "browser-mode" beside it, read at each start, picks what it does:
//   (none)  preload as above
//   crash   crash while loading, before setting the event
//   hang    never set the event
// Each step is appended to "browser.log" beside it as "<step> <pid>".
#include "platform/core/Paths.h"
#include "platform/core/Window.h"
#include "platform/ipc/NamedEvent.h"
#include "platform/ipc/NamedMutex.h"
#include "platform/ipc/WindowChannel.h"

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

using namespace vantrel::platform;
namespace fs = std::filesystem;

namespace {

fs::path folder() { return fs::read_symlink("/proc/self/exe").parent_path(); }

void log(const std::string& step) {
    std::string line = step + " " + std::to_string(getpid()) + "\n";
    int fd = ::open((folder() / "browser.log").c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    if (fd >= 0) {
        ssize_t written = ::write(fd, line.data(), line.size());
        (void)written;
        ::close(fd);
    }
}

std::string mode() {
    std::string text;
    readWholeFile(folder() / "browser-mode", text);
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

int waitForSignal(const sigset_t& signals) {
    int signal = 0;
    sigwait(&signals, &signal);
    return signal;
}

} // namespace

int main() {
    // A test that fails half way must not leave browsers behind.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGUSR1);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    log("started");

    auto preloaded = ipc::NamedMutex::create(u"_BRISA9_PRELOADED_MUTEX_");
    if (!preloaded || preloaded->wait(std::chrono::milliseconds(0)) == ipc::WaitResult::timedOut)
        return 3;
    std::this_thread::sleep_for(std::chrono::milliseconds(200)); // loading
    std::string how = mode();
    if (how == "crash") {
        rlimit noCore{0, 0};
        setrlimit(RLIMIT_CORE, &noCore);
        log("crashing");
        std::signal(SIGSEGV, SIG_DFL);
        raise(SIGSEGV);
    }
    if (how == "hang") {
        log("hanging");
    } else {
        ipc::NamedEvent::create(u"_BRISA9_BINARY_LOADED_EVENT_")->set();
        log("loaded");
    }
    while (waitForSignal(signals) == SIGUSR1) {
        // Opened: the window first, then the mutex, so the preloader never sees neither.
        registerClass({u"Brisa_MainWndClass", defaultWindowProcedure});
        ipc::startWindowChannel();
        createWindow(u"Brisa_MainWndClass", u"Brisa", {0, 0, 10, 10}, false);
        preloaded->release();
        log("opened");
    }
    log("ended");
    return 0;
}
