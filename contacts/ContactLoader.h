#pragma once
// The full load of the contact list, on its own thread: the cache file first (so the
// list shows at once), then the store read contact by contact, the cache rewritten
// from what the store holds, and the pictures. The loader never touches the list: it
// builds records and hands them over through a queue, posting one wake-up message to
// the list's window whenever the queue turns non-empty; the user-interface thread
// takes everything queued at once and applies it in order. So what arrives while the
// interface is busy comes over in one larger step, and the list grows as fast as the
// interface can take it.
//
// Pictures travel as the store keeps them, compressed; a row decodes its own when it is
// first drawn (ContactPictureCache). A loader asked to stop (or destroyed) ends at its
// next contact.

#include "contacts/ContactRecord.h"
#include "contacts/ContactSearchKeys.h"
#include "contacts/ContactStoreAccess.h"
#include "platform/core/Window.h"

#include <atomic>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace vantrel {

struct LoadedContact {
    ContactRecord record;
    SearchKeys keys;
    // The store's compressed picture (the store pass only); the row decodes it when
    // it is first drawn.
    std::vector<uint8_t> picture;
};

// One step of the load, in the order the steps happened.
struct LoaderBatch {
    enum class Kind {
        cached,    // records from the cache file, unconfirmed
        cacheDone, // the cache is all there: sort, filter and show
        stored,    // records confirmed or added by the store pass, with their pictures
        storeDone, // the store pass ended: what stayed unconfirmed is gone
        finished,
    };
    Kind kind;
    std::vector<LoadedContact> contacts;
};

// What the loader needs to know, read from the settings before it starts (the setting
// store belongs to the user-interface thread).
struct LoaderSettings {
    ContactTemplates templates;
    std::filesystem::path cacheFile;
    // The rows draw pictures (the list's picture box is not empty).
    bool pictures = true;
    // Skip the store (no store could be opened): the cache alone is shown.
    bool readStore = true;
};

class ContactLoader {
public:
    // Records go to `window` as `wakeMessage` posts. The store may be null.
    ContactLoader(platform::WindowHandle window, uint32_t wakeMessage, LoaderSettings settings,
                  std::shared_ptr<ContactStoreAccess> store);
    // Stops the thread and waits for it.
    ~ContactLoader();
    ContactLoader(const ContactLoader&) = delete;
    ContactLoader& operator=(const ContactLoader&) = delete;

    void start();
    void stop();
    // Everything queued so far, oldest first; the next push posts a new wake-up.
    std::deque<LoaderBatch> take();

private:
    void run();
    void readCache();
    void readStore();
    // Collects records on the loader's side; they are handed over in chunks, so the
    // queue's lock is taken once a chunk, never once a contact.
    void add(LoaderBatch::Kind kind, LoadedContact& contact);
    // Hands over what was collected, then a batch of `kind` when it is a step of its
    // own (cacheDone, storeDone, finished); wakes the list when the queue was empty.
    void flush(std::optional<LoaderBatch::Kind> step = std::nullopt);

    platform::WindowHandle window_;
    uint32_t wakeMessage_;
    LoaderSettings settings_;
    std::shared_ptr<ContactStoreAccess> store_;

    // The chunk being collected, and how many chunks went over so far: the first is
    // small, so the first screen of the cache shows at once.
    LoaderBatch pending_{LoaderBatch::Kind::cached, {}};
    int chunks_ = 0;

    std::mutex mutex_;
    std::deque<LoaderBatch> queue_;
    bool wakePosted_ = false;

    std::atomic<bool> stop_{false};
    std::thread thread_;
};

} // namespace vantrel
