// Start-up, the window that marks the running preloader, and its end.
//
// The old platform ended the preloader by closing its window; here SIGTERM, SIGINT and
// SIGHUP do the same: a thread waiting for them posts the close message, and the window
// ends the message loop as it always did.

#include "preloader/BrisaPreLoader.h"

#include "platform/core/Window.h"
#include "platform/ipc/WindowChannel.h"
#include "preloader/LaunchWatcher.h"

#include <csignal>
#include <pthread.h>
#include <system_error>

namespace vantrel::preloader {

namespace {

using namespace vantrel::platform;

constexpr char16_t preloaderClass[] = u"Brisa_PreloaderWndClass";
constexpr char16_t preloaderTitle[] = u"BrisaPreLoader";

// The window procedure's way to the launch record: the old platform's procedures take
// no context of their own.
LaunchRecord* launchRecord = nullptr;

intptr_t preloaderProcedure(WindowHandle window, uint32_t id, uintptr_t wParam, intptr_t lParam) {
    switch (id) {
    case msg::create:
        try {
            launchRecord->watcher = std::thread(watchLaunches, launchRecord);
        } catch (const std::system_error&) {
            return -1;
        }
        return 0;
    case msg::destroy:
        // The watcher is never told to stop: it ends with the process.
        if (launchRecord->watcher.joinable())
            launchRecord->watcher.detach();
        postQuitMessage(0);
        return 0;
    case msg::settingChange:
        return 0;
    default:
        return defaultWindowProcedure(window, id, wParam, lParam);
    }
}

sigset_t stopSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGHUP);
    return signals;
}

int initialise(LaunchRecord& record, WindowHandle& window) {
    std::error_code ec;
    std::filesystem::path module = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec)
        return ec.value();
    int result = browserPathFor(module.string(), record.path);
    if (!registerClass({preloaderClass, preloaderProcedure}))
        result = errorOutOfMemory;
    if (result == 0) {
        window = createWindow(preloaderClass, preloaderTitle,
                              {useDefault, useDefault, useDefault, useDefault}, false);
        if (!window)
            result = errorOutOfMemory;
    }
    return result;
}

} // namespace

int browserPathFor(const std::string& modulePath, std::filesystem::path& browser) {
    size_t slash = modulePath.rfind('/');
    if (slash == std::string::npos)
        return errorOutOfMemory;
    browser = modulePath.substr(0, slash + 1) + "Brisa9.exe";
    return 0;
}

int runPreloader() {
    // Never freed: the watcher is never stopped and still reads the record while the
    // process ends after this function returns.
    auto& record = *new LaunchRecord;
    launchRecord = &record;
    // Blocked before any thread starts, so every thread inherits the block and only the
    // stop thread ever takes these signals.
    sigset_t signals = stopSignals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    // The channel finds the windows of other processes and lets them find this one;
    // without it a second preloader would run.
    if (!ipc::startWindowChannel())
        return errorOutOfMemory;
    if (findWindow(preloaderClass))
        return 0;
    WindowHandle window = 0;
    if (int result = initialise(record, window); result != 0)
        return result;
    std::thread([signals, window] {
        int signal = 0;
        sigwait(&signals, &signal);
        postMessage(window, msg::close);
    }).detach();
    runMessageLoop();
    unregisterClass(preloaderClass);
    return 0;
}

} // namespace vantrel::preloader
