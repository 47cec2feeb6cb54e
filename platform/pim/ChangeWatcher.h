#pragma once
// Posts the store's notifications to a logon window, private to platform/pim. Writes of
// this process are posted by the writer right after its commit (postLocal); writes of
// other processes are found by a thread that sleeps in poll() on an inotify watch of
// "contacts.changed" (bumped by every writer after its commit) and reads the journal
// entries it has not seen yet. The journal, not the wake-up, says what changed, so a
// burst of writes that wakes the thread once still posts every change, in order.

#include "platform/core/Window.h"
#include "platform/pim/ContactStore.h"

#include <atomic>
#include <filesystem>
#include <memory>
#include <thread>

namespace vantrel::platform::pim {

class ChangeWatcher {
public:
    ChangeWatcher(std::shared_ptr<ContactStore> store, WindowHandle window);
    ~ChangeWatcher();
    ChangeWatcher(const ChangeWatcher&) = delete;
    ChangeWatcher& operator=(const ChangeWatcher&) = delete;

    // FolderNotify bits; nothing is posted until one is set.
    void setMask(uint32_t mask) { mask_.store(mask); }

    // Posts a change this process made to every watcher of that store that asked for
    // local notifications.
    static void postLocal(const std::filesystem::path& store, Oid oid, ChangeKind kind);

private:
    void run();
    // Posts every journal entry after the last one seen; false when the read failed.
    bool postRemote();

    std::shared_ptr<ContactStore> store_;
    WindowHandle window_;
    std::atomic<uint32_t> mask_{0};
    uint64_t seen_ = 0;
    int inotify_ = -1;
    int wake_ = -1;
    std::thread thread_;
};

} // namespace vantrel::platform::pim
