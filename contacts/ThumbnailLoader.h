#pragma once
// Thumbnails of picture files, decoded one by one on a thread of their own and handed
// to the user-interface thread through a queue: the first thumbnail put into an empty
// queue posts the wake-up message to the window, and the window's thread takes
// everything queued at once. A file that cannot be read or decoded, or holds more than
// a contact picture may, gets no thumbnail. A loader that is destroyed stops at its
// next file and waits for its thread.

#include "platform/core/Geometry.h"
#include "platform/core/Handover.h"
#include "platform/gfx/ArgbImage.h"

#include <atomic>
#include <filesystem>
#include <thread>
#include <vector>

namespace vantrel {

class ThumbnailLoader {
public:
    struct Thumbnail {
        size_t row; // the file's index in the list given
        platform::ArgbImage image;
    };

    // Each thumbnail keeps its picture's proportions within `box`.
    ThumbnailLoader(platform::WindowHandle window, uint32_t wakeMessage,
                    std::vector<std::filesystem::path> files, platform::Size box);
    ~ThumbnailLoader();
    ThumbnailLoader(const ThumbnailLoader&) = delete;
    ThumbnailLoader& operator=(const ThumbnailLoader&) = delete;

    // Everything decoded since the last call, in file order.
    std::vector<Thumbnail> take();

private:
    void run();

    platform::Handover<Thumbnail> done_;
    std::vector<std::filesystem::path> files_;
    platform::Size box_;
    std::atomic<bool> stop_{false};
    std::thread thread_; // last: it starts once everything above exists
};

} // namespace vantrel
