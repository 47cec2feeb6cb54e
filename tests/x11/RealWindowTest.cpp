// The real window: the app opens under a virtual X server, the window's pixels on the X
// screen are those of its own buffer, and a click from outside reaches it as the stylus.

#include "platform/core/Paths.h"
#include "platform/imaging/ImageDecoder.h"
#include "platform/imaging/PngWriter.h"
#include "tests/support/Process.h"
#include "tests/support/TestFolders.h"

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <csignal>
#include <fstream>
#include <thread>
#include <unistd.h>

using namespace vantrel;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

bool onPath(const char* program) {
    return test::runProcess({"/bin/sh", "-c", std::string("command -v ") + program}, 5s).exitCode == 0;
}

// A private X server for the test, on a display number nobody uses.
class VirtualScreen {
public:
    VirtualScreen() {
        for (int number = 90 + getpid() % 100; number < 400 && !server_; ++number) {
            if (fs::exists("/tmp/.X11-unix/X" + std::to_string(number)))
                continue;
            name_ = ":" + std::to_string(number);
            server_ = std::make_unique<test::BackgroundProcess>(std::vector<std::string>{
                "/usr/bin/Xvfb", name_, "-screen", "0", "720x1000x24", "-nolisten", "tcp"});
            for (int i = 0; i < 100 && !display_; ++i) {
                std::this_thread::sleep_for(50ms);
                display_ = XOpenDisplay(name_.c_str());
            }
        }
    }
    ~VirtualScreen() {
        if (display_)
            XCloseDisplay(display_);
    }
    Display* display() const { return display_; }
    const std::string& name() const { return name_; }

private:
    std::string name_;
    std::unique_ptr<test::BackgroundProcess> server_;
    Display* display_ = nullptr;
};

} // namespace

TEST(RealWindow, ShowsTheWindowBufferAndTakesClicksAsTheStylus) {
    for (const char* tool : {"Xvfb", "xdotool"})
        if (!onPath(tool))
            GTEST_SKIP() << tool << " is not installed (scripts/install-deps brings it)";
    VirtualScreen screen;
    ASSERT_NE(screen.display(), nullptr) << "Xvfb did not start";

    fs::path shot = platform::programFolder() / "app.png";
    fs::path script = platform::programFolder() / "window.script";
    std::ofstream(script) << "wait 500\nscreenshot " << shot.string()
                          << "\nprint ready\nexpect-stylus 10000\nquit\n";
    std::string vantrel = (test::binaryFolder() / "app" / "vantrel").string();
    test::BackgroundProcess app({"/usr/bin/env", "DISPLAY=" + screen.name(), "VANTREL_BACKEND=sdl",
                                 vantrel, "--size", "240x320", "--script", script.string()});
    ASSERT_TRUE(app.waitForLine("ready", 20s)) << app.errors();

    auto search = test::runProcess({"/usr/bin/env", "DISPLAY=" + screen.name(), "xdotool", "search",
                                    "--name", "^Vantrel$"},
                                   10s);
    ASSERT_EQ(search.exitCode, 0) << "no window named Vantrel";
    Window window = std::stoul(search.out);

    XWindowAttributes attributes;
    ASSERT_TRUE(XGetWindowAttributes(screen.display(), window, &attributes));
    ASSERT_EQ(attributes.width, 240);
    ASSERT_EQ(attributes.height, 320);
    XImage* image = XGetImage(screen.display(), window, 0, 0, 240, 320, AllPlanes, ZPixmap);
    ASSERT_NE(image, nullptr);

    auto expected = platform::decodeImageFile(shot);
    ASSERT_TRUE(expected.ok()) << expected.error;
    ASSERT_EQ(expected.image.width, 240);
    int mismatches = 0;
    for (int y = 0; y < 320; ++y) {
        for (int x = 0; x < 240; ++x) {
            unsigned long shown = XGetPixel(image, x, y);
            uint32_t want = expected.image.at(x, y);
            // The screen texture is RGB565; how it widens to 8 bits may differ by a step.
            for (int shift : {0, 8, 16})
                if (std::abs(int((shown >> shift) & 0xFF) - int((want >> shift) & 0xFF)) > 8) {
                    ++mismatches;
                    break;
                }
        }
    }
    XDestroyImage(image);
    EXPECT_EQ(mismatches, 0) << "pixels on the X screen differ from the window buffer";

    // Full screen is on by default: the main window covers the whole phone screen, so
    // its client coordinates are the screen's.
    auto click = test::runProcess({"/usr/bin/env", "DISPLAY=" + screen.name(), "xdotool",
                                   "mousemove", "--window", std::to_string(window), "100", "150",
                                   "click", "1"},
                                  10s);
    EXPECT_EQ(click.exitCode, 0) << click.err;
    EXPECT_TRUE(app.waitForLine("stylus down 100 150", 10s)) << app.output() << app.errors();
    EXPECT_EQ(app.wait(10s), 0) << app.errors();
}

// The main screen as a user first sees it on the demo device, in a real window: the
// window's pixels on the X screen are kept as "contact-screen.png" beside the test
// binary, for a person to look at, and must show the list's own buffer.
TEST(RealWindow, ShowsTheDemoContactListOnTheXScreen) {
    for (const char* tool : {"Xvfb", "xdotool"})
        if (!onPath(tool))
            GTEST_SKIP() << tool << " is not installed (scripts/install-deps brings it)";
    auto seeded = test::runProcess(
        {(test::binaryFolder() / "tools" / "vantrel-device").string(), "seed-demo"}, 30s);
    ASSERT_EQ(seeded.exitCode, 0) << seeded.err;
    VirtualScreen screen;
    ASSERT_NE(screen.display(), nullptr) << "Xvfb did not start";

    fs::path shot = platform::programFolder() / "list.png";
    fs::path script = platform::programFolder() / "list.script";
    std::ofstream(script) << "expect-loaded 20000\nwait 300\nscreenshot " << shot.string()
                          << "\nprint ready\nexpect-stylus 10000\nquit\n";
    std::string vantrel = (test::binaryFolder() / "app" / "vantrel").string();
    test::BackgroundProcess app({"/usr/bin/env", "DISPLAY=" + screen.name(), "VANTREL_BACKEND=sdl",
                                 vantrel, "--size", "480x800", "--script", script.string()});
    ASSERT_TRUE(app.waitForLine("ready", 30s)) << app.errors();
    auto search = test::runProcess({"/usr/bin/env", "DISPLAY=" + screen.name(), "xdotool", "search",
                                    "--name", "^Vantrel$"},
                                   10s);
    ASSERT_EQ(search.exitCode, 0) << "no window named Vantrel";
    Window window = std::stoul(search.out);
    XImage* image = XGetImage(screen.display(), window, 0, 0, 480, 800, AllPlanes, ZPixmap);
    ASSERT_NE(image, nullptr);
    platform::ArgbImage onScreen(480, 800);
    for (int y = 0; y < 800; ++y)
        for (int x = 0; x < 480; ++x)
            onScreen.set(x, y, 0xFF000000u | static_cast<uint32_t>(XGetPixel(image, x, y) & 0xFFFFFF));
    XDestroyImage(image);
    EXPECT_TRUE(platform::writePng(test::binaryFolder() / "tests" / "x11" / "contact-screen.png", onScreen));

    auto expected = platform::decodeImageFile(shot);
    ASSERT_TRUE(expected.ok()) << expected.error;
    int mismatches = 0;
    int dark = 0;
    for (int y = 0; y < 800; ++y)
        for (int x = 0; x < 480; ++x) {
            uint32_t shown = onScreen.at(x, y);
            uint32_t want = expected.image.at(x, y);
            for (int shift : {0, 8, 16})
                if (std::abs(int((shown >> shift) & 0xFF) - int((want >> shift) & 0xFF)) > 8) {
                    ++mismatches;
                    break;
                }
            // Text of the rows: dark pixels in the list's area below the header.
            if (y > 100 && y < 700 && x > 40 && (shown & 0xFF) < 80)
                ++dark;
        }
    EXPECT_EQ(mismatches, 0) << "pixels on the X screen differ from the window buffer";
    EXPECT_GT(dark, 5000) << "the list shows no names";

    auto click = test::runProcess({"/usr/bin/env", "DISPLAY=" + screen.name(), "xdotool",
                                   "mousemove", "--window", std::to_string(window), "200", "150",
                                   "click", "1"},
                                  10s);
    EXPECT_EQ(click.exitCode, 0) << click.err;
    EXPECT_EQ(app.wait(10s), 0) << app.errors();
}

// A contact's note typed into from the X keyboard: the click opens the field, the keys
// arrive through SDL's text input, OK stores the note. The editor with the typed text
// is kept as "note-editor.png" beside the test binary, for a person to look at.
TEST(RealWindow, TypesANoteFromTheKeyboardAndSavesIt) {
    for (const char* tool : {"Xvfb", "xdotool"})
        if (!onPath(tool))
            GTEST_SKIP() << tool << " is not installed (scripts/install-deps brings it)";
    const std::string deviceTool = (test::binaryFolder() / "tools" / "vantrel-device").string();
    auto added = test::runProcess({deviceTool, "contacts", "add", "--first", "Nora", "--last",
                                   "Quill", "--mobile", "555 0101", "--note", "old note"},
                                  20s);
    ASSERT_EQ(added.exitCode, 0) << added.err;
    const std::string id = added.out.substr(0, added.out.find('\n'));
    VirtualScreen screen;
    ASSERT_NE(screen.display(), nullptr) << "Xvfb did not start";

    fs::path shot = platform::programFolder() / "note.png";
    fs::path script = platform::programFolder() / "note.script";
    std::ofstream(script) << "expect-loaded 20000\nopen-note " << id
                          << "\nwait 800\nprint ready\n"
                             "expect-soon note/textcontrol.text \"old note typed here\" 10000\n"
                             // The caret shows for half a second after each key.
                             "screenshot "
                          << shot.string()
                          << "\nprint typed\nexpect-soon contactcontainer.visible true 10000\nwait 300\nquit\n";
    std::string vantrel = (test::binaryFolder() / "app" / "vantrel").string();
    test::BackgroundProcess app({"/usr/bin/env", "DISPLAY=" + screen.name(), "VANTREL_BACKEND=sdl",
                                 vantrel, "--size", "480x800", "--script", script.string()});
    ASSERT_TRUE(app.waitForLine("ready", 30s)) << app.errors();
    auto search = test::runProcess({"/usr/bin/env", "DISPLAY=" + screen.name(), "xdotool", "search",
                                    "--name", "^Vantrel$"},
                                   10s);
    ASSERT_EQ(search.exitCode, 0) << "no window named Vantrel";
    const std::string window = std::to_string(std::stoul(search.out));
    auto xdotool = [&](std::vector<std::string> words) {
        words.insert(words.begin(), {"/usr/bin/env", "DISPLAY=" + screen.name(), "xdotool"});
        return test::runProcess(words, 10s).exitCode;
    };
    EXPECT_EQ(xdotool({"mousemove", "--window", window, "240", "200", "click", "1"}), 0);
    EXPECT_EQ(xdotool({"type", "--delay", "30", " typed here"}), 0);
    ASSERT_TRUE(app.waitForLine("typed", 20s)) << app.output() << app.errors();

    XImage* image = XGetImage(screen.display(), std::stoul(window), 0, 0, 480, 800, AllPlanes,
                              ZPixmap);
    ASSERT_NE(image, nullptr);
    platform::ArgbImage onScreen(480, 800);
    for (int y = 0; y < 800; ++y)
        for (int x = 0; x < 480; ++x)
            onScreen.set(x, y, 0xFF000000u | static_cast<uint32_t>(XGetPixel(image, x, y) & 0xFFFFFF));
    XDestroyImage(image);
    EXPECT_TRUE(platform::writePng(test::binaryFolder() / "tests" / "x11" / "note-editor.png", onScreen));
    auto expected = platform::decodeImageFile(shot);
    ASSERT_TRUE(expected.ok()) << expected.error;
    int dark = 0;
    for (int y = 90; y < 140; ++y)
        for (int x = 0; x < 480; ++x)
            dark += (expected.image.at(x, y) & 0xFF) < 80 && (onScreen.at(x, y) & 0xFF) < 80;
    EXPECT_GT(dark, 300) << "the typed line is on the X screen as in the window buffer";

    // OK stands above the input panel, which the field's focus brought up.
    EXPECT_EQ(xdotool({"mousemove", "--window", window, "100", "600", "click", "1"}), 0);
    EXPECT_EQ(app.wait(20s), 0) << app.output() << app.errors();
    fs::path exported = platform::programFolder() / "export.vcf";
    ASSERT_EQ(test::runProcess({deviceTool, "contacts", "export", exported.string()}, 20s).exitCode, 0);
    std::ifstream in(exported);
    std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(all.find("NOTE:old note typed here"), std::string::npos) << all;
}
