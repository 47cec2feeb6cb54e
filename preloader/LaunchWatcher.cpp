#include "preloader/LaunchWatcher.h"

#include "platform/core/Window.h"
#include "platform/ipc/ChildProcess.h"
#include "platform/ipc/NamedEvent.h"
#include "platform/ipc/NamedMutex.h"
#include "preloader/BrisaPreLoader.h"

#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

namespace vantrel::preloader {

namespace {

using namespace std::chrono_literals;
using namespace vantrel::platform;
using ipc::WaitResult;

constexpr char16_t launchMutexName[] = u"_BRISA9_LAUNCH_MUTEX_";
constexpr char16_t preloadedMutexName[] = u"_BRISA9_PRELOADED_MUTEX_";
constexpr char16_t loadedEventName[] = u"_BRISA9_BINARY_LOADED_EVENT_";
constexpr char16_t browserWindowClass[] = u"Brisa_MainWndClass";

// How often a started browser that has not signalled yet is checked for having died.
constexpr auto lifeCheck = 100ms;

using Browsers = std::vector<std::unique_ptr<ipc::ChildProcess>>;

// Browsers end on their own (closed by the user, crashed); each is collected here so
// none stays a zombie.
void collectEnded(Browsers& browsers) {
    std::erase_if(browsers, [](const auto& browser) { return browser->hasExited(); });
}

// Says why a shared object was refused, once: the watcher tries again every second.
// `said` lives on the watcher's stack, which is never unwound, unlike a static that the
// ending process would destroy under the running watcher.
void complain(const std::string& error, std::string& said) {
    if (error != said)
        std::fprintf(stderr, "brisa-preloader: %s\n", error.c_str());
    said = error;
}

// An abandoned mutex is owned all the same: its last owner died holding it.
bool owned(WaitResult result) {
    return result == WaitResult::signaled || result == WaitResult::abandoned;
}

// Starts the browser held, and lets it go only once the loaded event exists, so the
// browser cannot set it before anyone looks. Waits for the event while the browser
// lives: a slow browser is waited for, a dead one would never set it.
void launchBrowser(const std::filesystem::path& path, Browsers& browsers, std::string& said) {
    auto browser = ipc::ChildProcess::startSuspended(path);
    if (!browser)
        return; // tried again at the next round
    std::string error;
    auto loaded = ipc::NamedEvent::create(loadedEventName, &error);
    if (!loaded) {
        complain(error, said);
        return; // the held browser is ended unrun
    }
    // Named objects outlive their handles here: a set left by a browser nobody waited
    // for must not pass for this browser's.
    loaded->reset();
    if (browser->resume()) {
        while (loaded->wait(lifeCheck) != WaitResult::signaled) {
            collectEnded(browsers);
            if (browser->hasExited())
                break;
        }
    }
    loaded.reset();
    std::this_thread::sleep_for(100ms);
    browsers.push_back(std::move(browser));
}

} // namespace

int watchLaunches(const LaunchRecord* record) {
    if (!record)
        return errorInvalidData;
    std::string error;
    auto launch = ipc::NamedMutex::create(launchMutexName, &error);
    if (!launch) {
        std::fprintf(stderr, "brisa-preloader: %s\n", error.c_str());
        return 1;
    }
    Browsers browsers;
    std::string said;
    for (;;) {
        std::this_thread::sleep_for(1000ms);
        collectEnded(browsers);
        if (!owned(launch->wait()))
            continue;
        if (auto preloaded = ipc::NamedMutex::create(preloadedMutexName, &error)) {
            // Free means no preloaded browser runs; taken only to look, and given back.
            if (owned(preloaded->wait(0ms))) {
                preloaded->release();
                if (!findWindow(browserWindowClass))
                    launchBrowser(record->path, browsers, said);
            }
        } else {
            complain(error, said);
        }
        launch->release();
    }
}

} // namespace vantrel::preloader
