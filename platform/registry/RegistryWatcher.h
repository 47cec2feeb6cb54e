#pragma once
// Change notifications, private to platform/registry. One thread per process sleeps in
// poll() on an inotify watch of "registry.changed" (which every process writes after a
// commit that changed something) and on an eventfd that this process's own writes
// signal. On each wake-up it re-reads only the watched values and calls back those whose
// stored type or bytes differ from what it saw last, so a write of the same data calls
// nobody. The journal itself is not watched: its last write comes before the commit is
// visible to readers, so a wake-up on it could read the old value and miss the change.

#include "platform/registry/RegistryStore.h"

#include <condition_variable>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace vantrel::platform::registry {

class RegistryWatcher {
public:
    // Made on first use and never destroyed: its thread is asked to stop at exit, and
    // whatever it still touches then stays valid.
    static RegistryWatcher& instance();
    // Tells a running watcher that this process changed a value; no-op before the first
    // notification was asked for.
    static void noteLocalChange();

    // 0 when the watcher cannot run (no inotify or eventfd).
    NotificationId add(Root root, KeyPath key, ValueName name, std::function<void()> onChange);
    // After this returns the callback is not running and will not run again, unless it
    // is called from that very callback.
    void cancel(NotificationId id);

private:
    struct Watch {
        Root root;
        KeyPath key;
        ValueName name;
        std::function<void()> onChange;
        std::optional<Value> last; // guarded by checking_
    };

    RegistryWatcher();
    void run();
    void stop();
    // Points the inotify watch at the device folder the environment names now.
    void retarget();
    // Reads every pending inotify event; true when there was one.
    bool drainEvents();
    // Compares every watch with the store and calls back the changed ones; false when
    // a read failed and the pass should be repeated.
    bool checkWatches();

    // Taken before mutex_ when both are needed, never while a callback runs.
    std::mutex checking_;
    std::mutex mutex_;
    std::condition_variable idle_;
    std::map<NotificationId, std::shared_ptr<Watch>> watches_;
    NotificationId nextId_ = 1;
    NotificationId running_ = 0;
    std::thread::id thread_;
    bool stopping_ = false;
    bool stopped_ = false;
    int inotify_ = -1;
    int wake_ = -1;
    int watch_ = -1;
    std::filesystem::path folder_;
};

} // namespace vantrel::platform::registry
