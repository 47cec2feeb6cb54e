#pragma once
// Contact pictures decoded for drawing. A contact row keeps its picture as the store's
// compressed bytes (a few hundred bytes to a few KiB) and asks this cache for the
// picture when it is drawn; the cache decodes it then, scaled to the row's picture
// box, and keeps the most recently drawn ones within a byte budget. So an address
// book of ten thousand pictures costs its compressed size in memory, a few screens'
// worth of decoded pictures, and no decoding for rows nobody scrolls to.
//
// The rows belong to the user-interface thread, and so does this cache.

#include "platform/core/Geometry.h"

#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <span>
#include <unordered_map>

namespace vantrel {

class Image;

class ContactPictureCache {
public:
    // NOTE: a 30p picture box is 60 x 60 pixels on a 480-wide screen, 7 KiB as RGB565:
    // the default holds about 280 pictures, twenty screens of rows.
    static constexpr size_t defaultBudgetBytes = 2u << 20;

    explicit ContactPictureCache(size_t budgetBytes = defaultBudgetBytes);
    ~ContactPictureCache();
    ContactPictureCache(const ContactPictureCache&) = delete;
    ContactPictureCache& operator=(const ContactPictureCache&) = delete;

    // The cache every contact row draws through.
    static ContactPictureCache& shared();

    // The picture of `owner` at `size`: the one kept, or `bytes` decoded and scaled now.
    // Null when the bytes are not a picture or the size is empty.
    Image* get(const void* owner, std::span<const uint8_t> bytes, platform::Size size);
    // The owner's picture if kept, without decoding anything.
    Image* find(const void* owner) const;
    // Drops the owner's picture (its bytes changed, or the row goes).
    void forget(const void* owner);

    size_t bytesUsed() const { return bytesUsed_; }
    size_t count() const { return entries_.size(); }

private:
    struct Entry {
        const void* owner;
        platform::Size size;
        std::unique_ptr<Image> image;
        size_t cost;
    };
    void erase(std::list<Entry>::iterator entry);

    size_t budgetBytes_;
    size_t bytesUsed_ = 0;
    std::list<Entry> entries_; // most recently drawn first
    std::unordered_map<const void*, std::list<Entry>::iterator> byOwner_;
};

} // namespace vantrel
