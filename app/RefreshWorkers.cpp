#include "app/RefreshWorkers.h"

#include "app/Messages.h"
#include "app/Startup.h"
#include "messaging/MessageCounter.h"
#include "platform/core/Window.h"
#include "platform/registry/Registry.h"
#include "settings/SettingManager.h"

#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>

namespace vantrel {

namespace {

struct Worker {
    std::mutex mutex; // guards everything below
    std::condition_variable ended;
    bool running = false;
    bool again = false;
    bool stopped = false;
    std::function<void()> work;
    // Run once in place of `work` on the next start (the recount).
    std::function<void()> once;

    void start(std::function<void()> instead = {}) {
        std::lock_guard lock(mutex);
        if (stopped)
            return;
        if (instead)
            once = std::move(instead);
        if (running) {
            again = true;
            return;
        }
        running = true;
        std::thread([this] { run(); }).detach();
    }

    void run() {
        for (;;) {
            std::function<void()> job;
            {
                std::lock_guard lock(mutex);
                job = once ? std::exchange(once, {}) : work;
                again = false;
            }
            if (job)
                job();
            platform::postMessage(mainWindow(), repaintMessage);
            std::lock_guard lock(mutex);
            if (stopped || (!again && !once)) {
                running = false;
                ended.notify_all();
                return;
            }
        }
    }

    // No more starts; waits for the running one to end.
    void stop() {
        std::unique_lock lock(mutex);
        stopped = true;
        ended.wait(lock, [this] { return !running; });
    }

    bool isRunning() {
        std::lock_guard lock(mutex);
        return running;
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

// The option is read on the interface thread, before a scan starts.
void takeCallLogOption() {
    messageCounter().setCallLogCounting(SettingManager::instance().options().callLogInSms != 0);
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
    takeCallLogOption();
    smsWorker().start();
}

void requestCallLogRefresh() {
    takeCallLogOption();
    callLogWorker().start();
}

void requestFullRecount() {
    takeCallLogOption();
    smsWorker().start([] { messageCounter().recountMessages(); });
}

void stopRefreshWorkers() {
    messageCounter().stop();
    smsWorker().stop();
    callLogWorker().stop();
}

bool smsRefreshRunning() {
    return smsWorker().isRunning();
}
bool callLogRefreshRunning() {
    return callLogWorker().isRunning();
}

void setSmsRefreshWork(std::function<void()> work) {
    std::lock_guard lock(smsWorker().mutex);
    smsWorker().work = std::move(work);
}

void setCallLogRefreshWork(std::function<void()> work) {
    std::lock_guard lock(callLogWorker().mutex);
    callLogWorker().work = std::move(work);
}

MessageCounter& messageCounter() {
    static auto* counter = new MessageCounter(mainWindow());
    return *counter;
}

} // namespace vantrel
