#include "contacts/ThumbnailLoader.h"

#include "contacts/ContactStoreAccess.h"
#include "graphics/utils.h"
#include "platform/core/Paths.h"
#include "platform/imaging/ImageDecoder.h"

namespace vantrel {

ThumbnailLoader::ThumbnailLoader(platform::WindowHandle window, uint32_t wakeMessage,
                                 std::vector<std::filesystem::path> files, platform::Size box)
    : done_(window, wakeMessage), files_(std::move(files)), box_(box),
      thread_([this] { run(); }) {}

ThumbnailLoader::~ThumbnailLoader() {
    stop_ = true;
    thread_.join();
}

std::vector<ThumbnailLoader::Thumbnail> ThumbnailLoader::take() {
    return done_.take();
}

void ThumbnailLoader::run() {
    for (size_t row = 0; row < files_.size() && !stop_; ++row) {
        // A file larger than a contact picture may be could not be chosen anyway.
        std::string bytes;
        if (!platform::readWholeFile(files_[row], bytes, ContactStoreAccess::maxPictureBytes))
            continue;
        platform::DecodedImage decoded = platform::decodeImage(bytes);
        if (!decoded.ok() || decoded.image.isEmpty())
            continue;
        platform::Size fitted =
            fitSize(box_.width, box_.height, decoded.image.width, decoded.image.height);
        if (fitted.width <= 0 || fitted.height <= 0)
            continue;
        done_.push({row, platform::scaleArgb(decoded.image, fitted.width, fitted.height)});
    }
}

} // namespace vantrel
