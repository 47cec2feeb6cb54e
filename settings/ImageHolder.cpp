#include "settings/ImageHolder.h"

#include "settings/ThemeManager.h"
#include "graphics/Image.h"

#include "platform/core/Utf.h"

#include <algorithm>
#include <cstdio>

namespace vantrel {

ImageCache& ImageCache::instance() {
    static ImageCache cache;
    return cache;
}

std::u16string ImageCache::keyFor(std::u16string_view name, bool mirror) {
    std::u16string key(name);
    if (mirror)
        key += u"_m";
    return key;
}

Image* ImageCache::get(const std::u16string& name, bool mirror) {
    std::u16string key = keyFor(name, mirror);
    if (auto found = images_.find(key); found != images_.end())
        return found->second.get();
    if (name.empty() || overBudget_ || failed_.count(key))
        return nullptr;
    // Setting images come from the current theme archive, else from files.
    std::shared_ptr<Image> image =
        loader_ ? loader_(name, mirror) : ThemeManager::instance().loadImage(name, mirror);
    if (!image) {
        failed_.insert(std::move(key));
        return nullptr;
    }
    const size_t cost = size_t(std::max(image->width(), 0)) * size_t(std::max(image->height(), 0)) * 4;
    if (cost > budgetBytes - bytesUsed_) {
        overBudget_ = true;
        std::fprintf(stderr,
                     "images: the theme's images need more than %zu MiB; \"%s\" and the "
                     "images after it keep the built-in look\n",
                     budgetBytes >> 20, platform::toUtf8(name).c_str());
        return nullptr;
    }
    bytesUsed_ += cost;
    Image* result = image.get();
    images_.emplace(std::move(key), std::move(image));
    return result;
}

void ImageCache::clear() {
    images_.clear();
    failed_.clear();
    bytesUsed_ = 0;
    overBudget_ = false;
}

ImageHolder::ImageHolder(std::u16string_view text) {
    auto pieces = splitAtComma(text);
    name_ = pieces[0];
    for (size_t i = 1; i < pieces.size(); ++i) {
        if (pieces[i] == u"mirror")
            mirror_ = true;
        else if (pieces[i] == u"preload")
            preload_ = true;
    }
}

Image* ImageHolder::image() const {
    return ImageCache::instance().get(name_, mirror_);
}

} // namespace vantrel
