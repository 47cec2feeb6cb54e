// The picture chooser's loader on its own thread while the window's thread takes what it
// decoded: every readable picture arrives once, in its proportions, and the wake-ups come
// through the window's queue. Run under ThreadSanitizer.

#include "contacts/ThumbnailLoader.h"
#include "platform/core/Backend.h"
#include "platform/imaging/PngWriter.h"
#include "tests/support/TestFolders.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <map>
#include <thread>

using namespace vantrel;
namespace fs = std::filesystem;

namespace {

constexpr uint32_t wakeMessage = 0x0400 + 77;
int wakeUps = 0;

intptr_t countingProcedure(platform::WindowHandle window, uint32_t id, uintptr_t wParam,
                           intptr_t lParam) {
    if (id == wakeMessage) {
        ++wakeUps;
        return 0;
    }
    return platform::defaultWindowProcedure(window, id, wParam, lParam);
}

} // namespace

TEST(ThumbnailLoaderThreads, EveryReadablePictureArrivesOnceInItsProportions) {
    fs::path folder = test::freshFolder("pictures");
    std::vector<fs::path> files;
    // Wide, broken, tall, missing, and again wide, many times over: the window's thread
    // takes while the loader pushes.
    for (int i = 0; i < 12; ++i) {
        fs::path wide = folder / ("wide" + std::to_string(i) + ".png");
        ASSERT_TRUE(platform::writePng(wide, platform::ArgbImage(200, 100, 0xFF336699u)));
        fs::path broken = folder / ("broken" + std::to_string(i) + ".png");
        std::ofstream(broken) << "\x89PNG not really";
        fs::path tall = folder / ("tall" + std::to_string(i) + ".jpg");
        ASSERT_TRUE(platform::writePng(tall, platform::ArgbImage(50, 80, 0xFF996633u)));
        files.insert(files.end(), {wide, broken, tall, folder / "missing.png"});
    }

    static const bool registered =
        platform::registerClass({u"thumbnail-test", &countingProcedure});
    ASSERT_TRUE(registered);
    platform::WindowHandle window =
        platform::createWindow(u"thumbnail-test", u"Thumbnails", {0, 0, 100, 100}, false);
    ASSERT_NE(window, 0u);
    wakeUps = 0;

    std::map<size_t, platform::Size> arrived;
    {
        ThumbnailLoader loader(window, wakeMessage, files, {40, 40});
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (arrived.size() < 24 && std::chrono::steady_clock::now() < until) {
            platform::pumpMessages();
            for (ThumbnailLoader::Thumbnail& thumbnail : loader.take()) {
                EXPECT_FALSE(arrived.count(thumbnail.row)) << "twice: " << thumbnail.row;
                arrived[thumbnail.row] = {thumbnail.image.width, thumbnail.image.height};
            }
            std::this_thread::yield();
        }
    }
    platform::pumpMessages();
    platform::destroyWindow(window);

    ASSERT_EQ(arrived.size(), 24u);
    for (const auto& [row, size] : arrived) {
        ASSERT_TRUE(row % 4 == 0 || row % 4 == 2) << "row " << row << " is no picture";
        if (row % 4 == 0)
            EXPECT_EQ(std::make_pair(size.width, size.height), std::make_pair(40, 20));
        else
            EXPECT_EQ(std::make_pair(size.width, size.height), std::make_pair(25, 40));
    }
    // At least one wake-up, and never more than one per thumbnail.
    EXPECT_GE(wakeUps, 1);
    EXPECT_LE(wakeUps, 24);
}
