#include "platform/registry/RegistryWatcher.h"

#include "platform/core/Paths.h"
#include "platform/core/PrivateFiles.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>
#include <vector>

namespace vantrel::platform::registry {

namespace {

std::atomic<RegistryWatcher*> runningWatcher{nullptr};

// At exit a callback still running gets this long to finish before the process goes on
// ending; the watcher's own state is never freed, so cutting it short is safe.
constexpr auto stopGrace = std::chrono::seconds(2);

// How soon a watch whose read failed is read again.
constexpr int retryDelayMs = 100;

void signal(int eventFd) {
    uint64_t one = 1;
    // A full counter (never in practice) already means "wake up".
    [[maybe_unused]] ssize_t written = ::write(eventFd, &one, sizeof one);
}

} // namespace

RegistryWatcher& RegistryWatcher::instance() {
    static RegistryWatcher* watcher = new RegistryWatcher;
    return *watcher;
}

void RegistryWatcher::noteLocalChange() {
    if (RegistryWatcher* watcher = runningWatcher.load(std::memory_order_acquire))
        signal(watcher->wake_);
}

RegistryWatcher::RegistryWatcher() {
    inotify_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    wake_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (inotify_ < 0 || wake_ < 0) {
        std::fprintf(stderr, "registry: change notifications are unavailable: %s\n",
                     std::strerror(errno));
        return;
    }
    retarget();
    std::thread thread(&RegistryWatcher::run, this);
    {
        std::lock_guard lock(mutex_);
        thread_ = thread.get_id();
    }
    // Detached, with every object it uses leaked on purpose: static destruction can
    // never wait on it or pull its state away. stop() ends it in an orderly way first.
    thread.detach();
    runningWatcher.store(this, std::memory_order_release);
    std::atexit([] { instance().stop(); });
}

NotificationId RegistryWatcher::add(Root root, KeyPath key, ValueName name,
                                    std::function<void()> onChange) {
    if (wake_ < 0 || inotify_ < 0 || !onChange)
        return 0;
    retarget();
    auto watch = std::make_shared<Watch>(
        Watch{root, std::move(key), std::move(name), std::move(onChange), std::nullopt});
    // What is stored now is the baseline: only later changes call back. A write that
    // lands after this read wakes a pass that starts after the watch is in the list.
    std::lock_guard checking(checking_);
    watch->last = RegistryStore::instance().read(watch->root, watch->key, watch->name);
    std::lock_guard lock(mutex_);
    NotificationId id = nextId_++;
    watches_.emplace(id, std::move(watch));
    return id;
}

void RegistryWatcher::cancel(NotificationId id) {
    std::unique_lock lock(mutex_);
    watches_.erase(id);
    if (std::this_thread::get_id() != thread_)
        idle_.wait(lock, [&] { return running_ != id; });
}

void RegistryWatcher::stop() {
    std::unique_lock lock(mutex_);
    stopping_ = true;
    signal(wake_);
    if (std::this_thread::get_id() != thread_)
        idle_.wait_for(lock, stopGrace, [&] { return stopped_; });
}

void RegistryWatcher::retarget() {
    std::filesystem::path folder = RegistryStore::folder();
    std::lock_guard lock(mutex_);
    if (watch_ >= 0 && folder == folder_)
        return;
    if (watch_ >= 0)
        inotify_rm_watch(inotify_, watch_);
    // Watching the signal file alone, not the folder, keeps the other stores of the
    // device (contacts, messages) from waking this thread.
    std::filesystem::path signalFile = RegistryStore::changeSignalPath(folder);
    makePrivateFolder(folder);
    if (int made = ::open(signalFile.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600); made >= 0)
        ::close(made);
    watch_ = inotify_add_watch(inotify_, signalFile.c_str(),
                               IN_MODIFY | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF);
    folder_ = folder;
    if (watch_ < 0)
        std::fprintf(stderr, "registry: cannot watch %s for other processes' changes: %s\n",
                     signalFile.c_str(), std::strerror(errno));
}

bool RegistryWatcher::drainEvents() {
    alignas(inotify_event) char buffer[4096];
    bool any = false;
    for (;;) {
        ssize_t length = ::read(inotify_, buffer, sizeof buffer);
        if (length <= 0)
            return any;
        any = true;
        for (ssize_t offset = 0; offset < length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + offset);
            if (event->mask & IN_IGNORED) {
                // The signal file went away; the next wake-up watches it again.
                std::lock_guard lock(mutex_);
                if (event->wd == watch_)
                    watch_ = -1;
            }
            offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
}

void RegistryWatcher::run() {
    bool retry = false;
    for (;;) {
        pollfd fds[] = {{wake_, POLLIN, 0}, {inotify_, POLLIN, 0}};
        // No timeout while everything was read: an idle device costs no CPU.
        bool timedOut = ::poll(fds, 2, retry ? retryDelayMs : -1) == 0;
        uint64_t count = 0;
        bool local = ::read(wake_, &count, sizeof count) == sizeof count;
        bool files = drainEvents();
        {
            std::lock_guard lock(mutex_);
            if (stopping_) {
                stopped_ = true;
                idle_.notify_all();
                return;
            }
        }
        if (local || files || timedOut) {
            retarget();
            retry = !checkWatches();
        }
    }
}

bool RegistryWatcher::checkWatches() {
    std::vector<std::pair<NotificationId, std::shared_ptr<Watch>>> changed;
    bool allRead = true;
    {
        // Held while comparing, so a watch being added gets its baseline either before
        // or after this pass, never in the middle of it.
        std::lock_guard checking(checking_);
        std::vector<std::pair<NotificationId, std::shared_ptr<Watch>>> snapshot;
        {
            std::lock_guard lock(mutex_);
            snapshot.assign(watches_.begin(), watches_.end());
        }
        RegistryStore& store = RegistryStore::instance();
        for (auto& [id, watch] : snapshot) {
            std::optional<Value> now;
            if (!store.lookup(watch->root, watch->key, watch->name, now)) {
                // A failed read (the database busy for seconds) says nothing about the
                // value; the watch is read again shortly.
                allRead = false;
                continue;
            }
            if (now != watch->last) {
                watch->last = std::move(now);
                changed.emplace_back(id, watch);
            }
        }
    }
    // Callbacks run with no lock held, so they may read, write, watch and cancel.
    for (auto& [id, watch] : changed) {
        {
            std::lock_guard lock(mutex_);
            if (!watches_.count(id))
                continue;
            running_ = id;
        }
        try {
            watch->onChange();
        } catch (const std::exception& error) {
            std::fprintf(stderr, "registry: a change callback failed: %s\n", error.what());
        }
        {
            std::lock_guard lock(mutex_);
            running_ = 0;
        }
        idle_.notify_all();
    }
    return allRead;
}

} // namespace vantrel::platform::registry
