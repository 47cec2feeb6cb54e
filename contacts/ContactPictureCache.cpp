#include "contacts/ContactPictureCache.h"

#include "graphics/Image.h"
#include "platform/imaging/ImageDecoder.h"

namespace vantrel {

ContactPictureCache::ContactPictureCache(size_t budgetBytes) : budgetBytes_(budgetBytes) {}

ContactPictureCache::~ContactPictureCache() = default;

ContactPictureCache& ContactPictureCache::shared() {
    // Never destroyed: rows owned by screens that live until the process ends forget
    // their pictures here as they go, after every function's statics are gone.
    static ContactPictureCache* cache = new ContactPictureCache;
    return *cache;
}

Image* ContactPictureCache::get(const void* owner, std::span<const uint8_t> bytes,
                                      platform::Size size) {
    if (size.width <= 0 || size.height <= 0 || bytes.empty())
        return nullptr;
    if (auto found = byOwner_.find(owner); found != byOwner_.end()) {
        auto entry = found->second;
        if (entry->size == size) {
            entries_.splice(entries_.begin(), entries_, entry);
            return entry->image.get();
        }
        erase(entry); // the box changed size (a new theme, a rotation)
    }
    platform::DecodedImage decoded = platform::decodeImage(
        std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    if (!decoded.ok())
        return nullptr;
    std::unique_ptr<Image> image = Image::FromArgb(
        platform::scaleArgb(decoded.image, size.width, size.height), u"contact", true);
    if (!image)
        return nullptr;
    const size_t cost = static_cast<size_t>(size.width) * static_cast<size_t>(size.height) *
                        (image->hasAlpha() ? 3 : 2);
    // The newest picture always stays, so a row draws even when it alone is over budget.
    while (!entries_.empty() && bytesUsed_ + cost > budgetBytes_)
        erase(std::prev(entries_.end()));
    entries_.push_front(Entry{owner, size, std::move(image), cost});
    byOwner_[owner] = entries_.begin();
    bytesUsed_ += cost;
    return entries_.front().image.get();
}

Image* ContactPictureCache::find(const void* owner) const {
    auto found = byOwner_.find(owner);
    return found == byOwner_.end() ? nullptr : found->second->image.get();
}

void ContactPictureCache::forget(const void* owner) {
    if (auto found = byOwner_.find(owner); found != byOwner_.end())
        erase(found->second);
}

void ContactPictureCache::erase(std::list<Entry>::iterator entry) {
    bytesUsed_ -= entry->cost;
    byOwner_.erase(entry->owner);
    entries_.erase(entry);
}

} // namespace vantrel
