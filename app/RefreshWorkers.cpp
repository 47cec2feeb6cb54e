#include "app/RefreshWorkers.h"

#include "app/Messages.h"
#include "app/Startup.h"
#include "platform/core/Window.h"
#include "platform/registry/Registry.h"

#include <atomic>
#include <mutex>
#include <thread>

namespace vantrel {

namespace {

struct Worker {
    std::atomic<bool> running{false};
    std::mutex mutex; // guards work
    std::function<void()> work;

    void start() {
        if (running.exchange(true))
            return;
        std::function<void()> job;
        {
            std::lock_guard lock(mutex);
            job = work;
        }
        std::thread([this, job] {
            if (job)
                job();
            platform::postMessage(mainWindow(), repaintMessage);
            running = false;
        }).detach();
    }
};

// Process-wide and never destroyed: a worker may still be finishing at exit.
Worker& smsWorker() {
    static auto* worker = new Worker;
    return *worker;
}

Worker& callLogWorker() {
    static auto* worker = new Worker;
    return *worker;
}

} // namespace

void requestSmsCountRefresh() {
    uint32_t count = 0;
    if (!platform::registry::readDword(platform::registry::Root::currentUser,
                                       u"System\\State\\Messages\\SMS\\Unread", u"Count", count))
        count = 0;
    if (static_cast<int>(count) == unreadSmsCount())
        return;
    setUnreadSmsCount(static_cast<int>(count));
    smsWorker().start();
}

void requestCallLogRefresh() { callLogWorker().start(); }

bool smsRefreshRunning() { return smsWorker().running; }
bool callLogRefreshRunning() { return callLogWorker().running; }

void setSmsRefreshWork(std::function<void()> work) {
    std::lock_guard lock(smsWorker().mutex);
    smsWorker().work = std::move(work);
}

void setCallLogRefreshWork(std::function<void()> work) {
    std::lock_guard lock(callLogWorker().mutex);
    callLogWorker().work = std::move(work);
}

} // namespace vantrel
