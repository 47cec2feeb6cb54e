#include "platform/pim/ChangeWatcher.h"

#include "platform/pim/PimApp.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>
#include <vector>

namespace vantrel::platform::pim {

namespace {

constexpr const char* newChangesSql =
    "SELECT seq, oid, kind FROM changes WHERE seq > ?1 AND writer <> ?2 ORDER BY seq";

// How soon a journal read that failed (the file busy for seconds) is tried again.
constexpr int retryDelayMs = 100;

std::mutex watchersMutex;
std::vector<ChangeWatcher*>& liveWatchers() {
    static auto* watchers = new std::vector<ChangeWatcher*>;
    return *watchers;
}

uint32_t messageFor(ChangeKind kind, bool remote) {
    uint32_t local = kind == ChangeKind::created   ? pimItemCreatedLocal
                     : kind == ChangeKind::deleted ? pimItemDeletedLocal
                                                   : pimItemChangedLocal;
    return remote ? local + (pimItemCreatedRemote - pimItemCreatedLocal) : local;
}

} // namespace

ChangeWatcher::ChangeWatcher(std::shared_ptr<ContactStore> store, WindowHandle window)
    : store_(std::move(store)), window_(window) {
    {
        std::lock_guard lock(watchersMutex);
        liveWatchers().push_back(this);
    }
    // What is in the journal now happened before logon: only later changes are posted.
    if (!store_->lastChange(seen_))
        return;
    inotify_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    wake_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    std::filesystem::path signal = store_->path().parent_path() / ContactStore::changeSignalName;
    if (inotify_ < 0 || wake_ < 0 ||
        inotify_add_watch(inotify_, signal.c_str(), IN_MODIFY | IN_ATTRIB) < 0) {
        std::fprintf(stderr, "contacts: other processes' changes will not be notified: %s\n",
                     std::strerror(errno));
        return;
    }
    thread_ = std::thread(&ChangeWatcher::run, this);
}

ChangeWatcher::~ChangeWatcher() {
    {
        std::lock_guard lock(watchersMutex);
        auto& watchers = liveWatchers();
        watchers.erase(std::remove(watchers.begin(), watchers.end(), this), watchers.end());
    }
    if (thread_.joinable()) {
        uint64_t one = 1;
        [[maybe_unused]] ssize_t written = ::write(wake_, &one, sizeof one);
        thread_.join();
    }
    for (int fd : {inotify_, wake_})
        if (fd >= 0)
            ::close(fd);
}

void ChangeWatcher::postLocal(const std::filesystem::path& store, Oid oid, ChangeKind kind) {
    std::lock_guard lock(watchersMutex);
    for (ChangeWatcher* watcher : liveWatchers())
        if ((watcher->mask_.load() & notifyLocal) && watcher->store_->path() == store)
            postMessage(watcher->window_, messageFor(kind, false), oid);
}

void ChangeWatcher::run() {
    bool retry = false;
    for (;;) {
        pollfd fds[] = {{wake_, POLLIN, 0}, {inotify_, POLLIN, 0}};
        ::poll(fds, 2, retry ? retryDelayMs : -1);
        if (fds[0].revents & POLLIN)
            return;
        alignas(inotify_event) char events[4096];
        while (::read(inotify_, events, sizeof events) > 0) {
        }
        retry = !postRemote();
    }
}

bool ChangeWatcher::postRemote() {
    // A connection a wake-up: wake-ups are rare, and a store file that another process
    // replaced (a broken one moved aside) is followed without further ado.
    sqlite3* reader = store_->openReader();
    if (!reader)
        return false;
    sqlite3_stmt* select = nullptr;
    if (sqlite3_prepare_v2(reader, newChangesSql, -1, &select, nullptr) != SQLITE_OK) {
        sqlite3_close_v2(reader);
        return false;
    }
    uint64_t newest = 0;
    if (sqlite3_stmt* last = nullptr;
        sqlite3_prepare_v2(reader, "SELECT ifnull(max(seq), 0) FROM changes", -1, &last, nullptr) ==
        SQLITE_OK) {
        if (sqlite3_step(last) == SQLITE_ROW)
            newest = static_cast<uint64_t>(sqlite3_column_int64(last, 0));
        sqlite3_finalize(last);
    }
    // A new store (the old one was broken) numbers its journal from 1 again.
    if (newest < seen_)
        seen_ = 0;
    sqlite3_bind_int64(select, 1, static_cast<sqlite3_int64>(seen_));
    sqlite3_bind_int64(select, 2, ContactStore::writerToken());
    int code;
    while ((code = sqlite3_step(select)) == SQLITE_ROW) {
        seen_ = static_cast<uint64_t>(sqlite3_column_int64(select, 0));
        auto oid = static_cast<Oid>(sqlite3_column_int64(select, 1));
        int kind = sqlite3_column_int(select, 2);
        if ((mask_.load() & notifyRemote) && kind >= 0 && kind <= 2)
            postMessage(window_, messageFor(static_cast<ChangeKind>(kind), true), oid);
    }
    sqlite3_finalize(select);
    sqlite3_close_v2(reader);
    return code == SQLITE_DONE;
}

} // namespace vantrel::platform::pim
