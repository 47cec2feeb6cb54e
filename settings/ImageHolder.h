#pragma once
// Images named by settings: "contact.png,mirror,preload". A holder keeps the parsed
// name and flags and hands out the image from the process-wide image cache, which the
// setting store empties whenever it clears its caches. Images load from the current
// theme archive first, then from files.

#include "settings/SettingValue.h"

#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>

namespace vantrel {

// The toolkit's prepared image; only the drawing layer knows its inside.
class Image;

class ImageCache {
public:
    // Loads and prepares an image (mirrored when asked); null when it cannot be loaded.
    using Loader = std::function<std::shared_ptr<Image>(const std::u16string& name, bool mirror)>;

    static ImageCache& instance();

    // Replaces how images are loaded; an empty loader restores the program's own
    // (the theme archive's entry first, then the file).
    void setLoader(Loader loader) { loader_ = std::move(loader); }

    // The name, with "_m" appended for the mirrored copy.
    static std::u16string keyFor(std::u16string_view name, bool mirror);

    // NOTE: what all cached images may cost together, counted as 32-bit pixels. A
    // theme's images for a 480 x 800 screen take a few MiB; hostile lines that preload
    // one 4096 x 4096 picture under a hundred names would take gigabytes.
    static constexpr size_t budgetBytes = 96u << 20;

    // The cached image, loading it on a miss. A failed load is remembered until the
    // next clear, so a bad image named by many lines is decoded once. Once the images
    // would exceed the budget, no more are loaded until the next clear (the theme gets
    // the built-in look for them) and one line on standard error says so.
    Image* get(const std::u16string& name, bool mirror);
    bool contains(const std::u16string& key) const { return images_.count(key) != 0; }
    size_t size() const { return images_.size(); }
    size_t bytesUsed() const { return bytesUsed_; }
    // Deletes every cached image, forgets the failures and restores the budget.
    void clear();

private:
    Loader loader_;
    std::unordered_map<std::u16string, std::shared_ptr<Image>> images_;
    std::unordered_set<std::u16string> failed_;
    size_t bytesUsed_ = 0;
    bool overBudget_ = false;
};

class ImageHolder : public SettingValue {
public:
    explicit ImageHolder(std::u16string_view text);

    const std::u16string& name() const { return name_; }
    bool isMirrored() const { return mirror_; }
    bool wantsPreload() const { return preload_; }
    std::u16string cacheKey() const { return ImageCache::keyFor(name_, mirror_); }

    // The image from the cache (loaded on first use), or null.
    Image* image() const;

private:
    std::u16string name_;
    bool mirror_ = false;
    bool preload_ = false;
};

} // namespace vantrel
