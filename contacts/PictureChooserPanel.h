#pragma once
// The picture chooser: the pictures of the user's pictures folder as a list of rows
// (name, size, thumbnail); a tap on a row chooses it, Cancel chooses nothing. The list
// shows at once with the names; a worker thread decodes the thumbnails one by one and
// hands them to the user-interface thread through the window's queue, so a folder of
// camera photos never holds up the screen.
//
// Which files count is the list's setting: "file.extensions" (".png,.jpg,...") and
// "file.minimumsize" in bytes; a file above what a contact picture may hold is left out.

#include "ui/SimpleDialog.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vantrel {

class SmartListControl;
class ThumbnailLoader;

class PictureChooserPanel : public SimpleDialog {
public:
    // The loader's wake-up (user + 1105): thumbnails wait in its queue.
    static constexpr uint32_t thumbnailMessage = 0x0400 + 1105;
    // At most this many pictures are listed, and only this deep below the folder.
    static constexpr size_t maxPictures = 500;
    static constexpr int maxDepth = 2;

    using Chosen = std::function<void(const std::filesystem::path& file)>;

    // The pictures below `folder` whose extension is one of the comma-separated
    // `extensions` (any letter case) and whose size lies within the bounds, by path.
    static std::vector<std::filesystem::path> listPictures(const std::filesystem::path& folder,
                                                           std::u16string_view extensions,
                                                           uintmax_t minimumSize,
                                                           uintmax_t maximumSize);
    // Opens the chooser on the user's pictures folder over the active page; `chosen`
    // runs with the file the user taps, after the chooser closed.
    static PictureChooserPanel* open(platform::WindowHandle window, Chosen chosen);
    // Hands what the loader decoded to the rows of the open chooser; the wake-up message
    // calls it. Nothing happens when no chooser is open.
    static void deliverThumbnails();

    PictureChooserPanel(platform::WindowHandle window, Chosen chosen);
    // Stops the loader and waits for it.
    ~PictureChooserPanel() override;

    void layout(const platform::Rect& reference) override;
    // Closes the chooser and hands the row's file on.
    void choose(size_t row);

private:
    // Lists the folder (once the list's settings can be read) and starts the loader.
    void fill();

    Chosen chosen_;
    SmartListControl* list_;
    std::filesystem::path folder_;
    std::vector<std::filesystem::path> files_;
    bool filled_ = false;
    std::unique_ptr<ThumbnailLoader> loader_;
};

} // namespace vantrel
