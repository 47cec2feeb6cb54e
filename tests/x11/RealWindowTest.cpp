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

// The window's pixels on the X screen.
platform::ArgbImage grab(Display* display, Window window, int width, int height) {
    platform::ArgbImage shown(width, height);
    XImage* image = XGetImage(display, window, 0, 0, width, height, AllPlanes, ZPixmap);
    if (!image)
        return platform::ArgbImage();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            shown.set(x, y, 0xFF000000u | static_cast<uint32_t>(XGetPixel(image, x, y) & 0xFFFFFF));
    XDestroyImage(image);
    return shown;
}

// Pixels that differ between the X screen and the window buffer. The screen texture is
// RGB565; how it widens to 8 bits may differ by a step.
int mismatches(const platform::ArgbImage& shown, const platform::ArgbImage& buffer) {
    int count = 0;
    for (int y = 0; y < buffer.height; ++y)
        for (int x = 0; x < buffer.width; ++x)
            for (int shift : {0, 8, 16})
                if (std::abs(int((shown.at(x, y) >> shift) & 0xFF) -
                             int((buffer.at(x, y) >> shift) & 0xFF)) > 8) {
                    ++count;
                    break;
                }
    return count;
}

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
    const platform::ArgbImage shown = grab(screen.display(), window, 240, 320);
    ASSERT_FALSE(shown.isEmpty());
    auto expected = platform::decodeImageFile(shot);
    ASSERT_TRUE(expected.ok()) << expected.error;
    ASSERT_EQ(expected.image.width, 240);
    EXPECT_EQ(mismatches(shown, expected.image), 0)
        << "pixels on the X screen differ from the window buffer";

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
    const platform::ArgbImage onScreen = grab(screen.display(), window, 480, 800);
    ASSERT_FALSE(onScreen.isEmpty());
    EXPECT_TRUE(platform::writePng(test::binaryFolder() / "tests" / "x11" / "contact-screen.png", onScreen));

    auto expected = platform::decodeImageFile(shot);
    ASSERT_TRUE(expected.ok()) << expected.error;
    int dark = 0;
    // Text of the rows: dark pixels in the list's area below the header.
    for (int y = 101; y < 700; ++y)
        for (int x = 41; x < 480; ++x)
            dark += (onScreen.at(x, y) & 0xFF) < 80;
    EXPECT_EQ(mismatches(onScreen, expected.image), 0)
        << "pixels on the X screen differ from the window buffer";
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

    const platform::ArgbImage onScreen = grab(screen.display(), std::stoul(window), 480, 800);
    ASSERT_FALSE(onScreen.isEmpty());
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

// The screens a user reaches from the main screen, each in a real window: a
// conversation with its composer, the dialer, the contact editor, the options and the language chooser (opened by a click from
// outside). For each, the X screen must show the window's own buffer; its pixels are
// kept as "<screen>-screen.png" beside the test binary, for a person to look at. One
// run goes through all five: the script waits at each screen until the test has taken
// it and posts a message.
TEST(RealWindow, ShowsTheConversationDialerEditorOptionsAndChooserOnTheXScreen) {
    for (const char* tool : {"Xvfb", "xdotool"})
        if (!onPath(tool))
            GTEST_SKIP() << tool << " is not installed (scripts/install-deps brings it)";
    test::useFreshDevice();
    const std::string deviceTool = (test::binaryFolder() / "tools" / "vantrel-device").string();
    ASSERT_EQ(test::runProcess({deviceTool, "seed-demo"}, 30s).exitCode, 0);
    auto added = test::runProcess({deviceTool, "contacts", "add", "--first", "Nora", "--last",
                                   "Quill", "--mobile", "+41 79 555 01 01", "--company",
                                   "Quill & Sons", "--city", "Bern"},
                                  20s);
    ASSERT_EQ(added.exitCode, 0) << added.err;
    const std::string id = added.out.substr(0, added.out.find('\n'));
    for (std::vector<std::string> words :
         {std::vector<std::string>{"call", "add", "missed", "+41 79 555 01 01"},
          {"sms", "receive", "--from", "+41 79 555 01 01", "Are we still on for tonight?"}})
        ASSERT_EQ(test::runDevice(words, 20s).exitCode, 0);
    std::ofstream(platform::programFolder() / "Deutsch.lang.ini")
        << "header.options.text=Optionen\n";
    std::ofstream(platform::programFolder() / "Italiano.lang.ini")
        << "header.options.text=Opzioni\n";
    VirtualScreen screen;
    ASSERT_NE(screen.display(), nullptr) << "Xvfb did not start";

    const fs::path folder = platform::programFolder();
    // The test answers each shot with a call-log refresh, which changes none of them.
    auto step = [&](const std::string& name) {
        return "wait 500\nscreenshot " + (folder / (name + ".png")).string() + "\nprint shot " +
               name + "\nexpect-next-message VantrelRefreshPhoneCallLog 30000\n";
    };
    std::ofstream(folder / "screens.script")
        << "expect-loaded 20000\nopen-conversation " << id << "\nexpect-soon smspanel.loading false 20000\n"
        << "text \"Yes, at eight\"\n"
        << step("conversation") << "call-contact " << id << "\n"
        << step("dialer") << "open-edit " << id << "\n"
        << step("editor") << "go-to options\n"
        << step("options") << "expect-soon options/chooselanguage/language#1.visible true 20000\n"
        << step("chooser") << "quit\n";
    const std::string vantrel = (test::binaryFolder() / "app" / "vantrel").string();
    test::BackgroundProcess app({"/usr/bin/env", "DISPLAY=" + screen.name(), "VANTREL_BACKEND=sdl",
                                 vantrel, "--size", "480x800", "--script",
                                 (folder / "screens.script").string()});

    Window window = 0;
    platform::ArgbImage before;
    for (const char* name : {"conversation", "dialer", "editor", "options", "chooser"}) {
        ASSERT_TRUE(app.waitForLine(std::string("shot ") + name, 40s))
            << name << ": " << app.output() << app.errors();
        if (!window) {
            auto search = test::runProcess({"/usr/bin/env", "DISPLAY=" + screen.name(), "xdotool",
                                            "search", "--name", "^Vantrel$"},
                                           10s);
            ASSERT_EQ(search.exitCode, 0) << "no window named Vantrel";
            window = std::stoul(search.out);
        }
        const platform::ArgbImage onScreen = grab(screen.display(), window, 480, 800);
        ASSERT_FALSE(onScreen.isEmpty()) << name;
        EXPECT_TRUE(platform::writePng(test::binaryFolder() / "tests" / "x11" /
                                           (std::string(name) + "-screen.png"),
                                       onScreen));
        auto expected = platform::decodeImageFile(folder / (std::string(name) + ".png"));
        ASSERT_TRUE(expected.ok()) << name << ": " << expected.error;
        EXPECT_EQ(mismatches(onScreen, expected.image), 0)
            << name << ": pixels on the X screen differ from the window buffer";
        // Each screen has its own picture: a step that showed nothing new would repeat
        // the one before. (The chooser is a menu over the options: a tenth of the screen.)
        if (!before.isEmpty()) {
            EXPECT_GT(mismatches(onScreen, before), 480 * 800 / 50)
                << name << " looks like the screen before";
        }
        before = onScreen;

        ASSERT_EQ(
            test::runProcess({deviceTool, "post", "VantrelRefreshPhoneCallLog"}, 10s).exitCode, 0);
        if (std::string(name) == "options") {
            // "Select language..." from the X pointer, as a user opens the chooser.
            auto click = test::runProcess({"/usr/bin/env", "DISPLAY=" + screen.name(), "xdotool",
                                           "mousemove", "--window", std::to_string(window), "240",
                                           "330", "click", "1"},
                                          10s);
            EXPECT_EQ(click.exitCode, 0) << click.err;
        }
    }
    EXPECT_EQ(app.wait(20s), 0) << app.output() << app.errors();
}
