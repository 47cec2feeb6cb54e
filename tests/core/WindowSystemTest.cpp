#include "platform/core/Backend.h"
#include "platform/core/Clock.h"
#include "platform/core/Utf.h"
#include "platform/core/Window.h"
#include "platform/gfx/Surface.h"
#include "tests/support/TestFolders.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace vantrel::platform;

namespace {

// A window that records every message its procedure sees.
struct Recorder {
    std::vector<Message> seen;
    Rect lastPaint;
    WindowHandle window = 0;

    static Recorder*& current() {
        static Recorder* r = nullptr;
        return r;
    }
    static intptr_t procedure(WindowHandle w, uint32_t id, uintptr_t wp, intptr_t lp) {
        Recorder* r = current();
        r->seen.push_back({w, id, wp, lp});
        if (id == msg::paint) {
            r->lastPaint = beginPaint(w);
            endPaint(w);
            return 0;
        }
        return defaultWindowProcedure(w, id, wp, lp);
    }
    std::vector<uint32_t> ids(uint32_t only) const {
        std::vector<uint32_t> out;
        for (const auto& m : seen)
            if (m.id == only)
                out.push_back(static_cast<uint32_t>(m.wParam));
        return out;
    }
};

class WindowSystem : public testing::Test {
protected:
    void SetUp() override {
        Recorder::current() = &recorder;
        static bool registered = registerClass({u"recorder", &Recorder::procedure});
        ASSERT_TRUE(registered);
        useVirtualClock(true, 1000);
        window = createWindow(u"recorder", u"Recorder", Rect{0, 0, 100, 200}, true);
        ASSERT_NE(window, 0u);
        pumpMessages();
        recorder.seen.clear();
    }
    void TearDown() override {
        destroyWindow(window);
        pumpMessages();
        useVirtualClock(false);
    }
    Recorder recorder;
    WindowHandle window = 0;
};

} // namespace

TEST_F(WindowSystem, CreationSendsCreateAndSizeAndFindsTheWindowByClassAndTitle) {
    WindowHandle other = createWindow(u"recorder", u"Other", Rect{0, 0, 30, 40}, false);
    ASSERT_EQ(recorder.seen.size(), 2u);
    EXPECT_EQ(recorder.seen[0].id, msg::create);
    EXPECT_EQ(recorder.seen[1].id, msg::size);
    EXPECT_EQ(unpackPoint(recorder.seen[1].lParam), (Point{30, 40}));
    EXPECT_EQ(findWindow(u"recorder", u"Other"), other);
    EXPECT_EQ(findWindow(u"recorder", u"other"), 0u) << "titles compare exactly";
    EXPECT_EQ(clientRect(other), (Rect{0, 0, 30, 40}));
    destroyWindow(other);
    EXPECT_FALSE(isWindow(other));
    EXPECT_FALSE(postMessage(other, msg::user));
}

TEST_F(WindowSystem, PostedMessagesArriveInOrderBeforePaintAndQuitComesLast) {
    invalidateRect(window);
    postMessage(window, msg::user, 1);
    postMessage(window, msg::user, 2);
    postQuitMessage(7);
    postMessage(window, msg::user, 3);
    int code = -1;
    EXPECT_FALSE(pumpMessages(&code));
    EXPECT_EQ(code, 7);
    EXPECT_EQ(recorder.ids(msg::user), (std::vector<uint32_t>{1, 2, 3}));
    EXPECT_TRUE(recorder.ids(msg::paint).empty()) << "quit is taken before a pending paint";
}

TEST_F(WindowSystem, PaintHandsOverTheUnionOfDamagedRectanglesOnce) {
    pumpMessages();
    recorder.seen.clear();
    Rect a{10, 10, 20, 20}, b{50, 60, 70, 90};
    invalidateRect(window, &a);
    invalidateRect(window, &b);
    Rect outside{90, 190, 500, 500};
    invalidateRect(window, &outside);
    pumpMessages();
    EXPECT_EQ(recorder.ids(msg::paint).size(), 1u);
    EXPECT_EQ(recorder.lastPaint, (Rect{10, 10, 100, 200}));
    recorder.seen.clear();
    pumpMessages();
    EXPECT_TRUE(recorder.seen.empty()) << "nothing is damaged after the paint";
}

TEST_F(WindowSystem, TimersFireOnTheirPeriodInVirtualTimeUntilKilled) {
    setTimer(window, 5, 100);
    setTimer(window, 6, 250);
    std::vector<std::pair<uint32_t, uint32_t>> fired; // (tick offset, id)
    uint32_t start = tickCount();
    for (int step = 0; step < 60; ++step) {
        advanceVirtualClock(10);
        size_t before = recorder.seen.size();
        pumpMessages();
        for (size_t i = before; i < recorder.seen.size(); ++i)
            if (recorder.seen[i].id == msg::timer)
                fired.push_back({tickCount() - start, static_cast<uint32_t>(recorder.seen[i].wParam)});
        if (tickCount() - start == 300)
            killTimer(window, 5);
    }
    std::vector<std::pair<uint32_t, uint32_t>> expected = {
        {100, 5}, {200, 5}, {250, 6}, {300, 5}, {500, 6}};
    EXPECT_EQ(fired, expected);
    EXPECT_EQ(millisecondsToNextTimer(), 150); // at 600, the next is due at 750
}

TEST_F(WindowSystem, PostsFromOtherThreadsAllArriveInEachThreadsOrder) {
    constexpr int perThread = 2000;
    std::vector<std::thread> posters;
    for (int t = 0; t < 2; ++t)
        posters.emplace_back([this, t] {
            for (int i = 0; i < perThread; ++i)
                postMessage(window, msg::user + t, static_cast<uintptr_t>(i));
        });
    for (auto& p : posters)
        p.join();
    pumpMessages();
    for (int t = 0; t < 2; ++t) {
        auto got = recorder.ids(msg::user + t);
        ASSERT_EQ(got.size(), static_cast<size_t>(perThread));
        for (int i = 0; i < perThread; ++i)
            ASSERT_EQ(got[i], static_cast<uint32_t>(i));
    }
}

TEST_F(WindowSystem, StylusGoesToTheCaptureWindowInClientCoordinatesWithSignedValues) {
    moveWindow(window, {0, 52, 100, 252}, false);
    injectStylus(StylusAction::down, {30, 60});
    setCapture(window);
    injectStylus(StylusAction::move, {-5, 40}); // outside, but captured
    releaseCapture();
    injectStylus(StylusAction::up, {400, 400}); // outside, nobody there
    pumpMessages();
    std::vector<Point> points;
    for (const auto& m : recorder.seen)
        if (m.id == msg::leftButtonDown || m.id == msg::mouseMove || m.id == msg::leftButtonUp)
            points.push_back(unpackPoint(m.lParam));
    EXPECT_EQ(points, (std::vector<Point>{{30, 8}, {-5, -12}}));
}

TEST_F(WindowSystem, KeysAndCharactersGoToTheFocusWindow) {
    setFocus(window);
    injectKey(key::action);
    injectCharacter(u'é');
    pumpMessages();
    EXPECT_EQ(recorder.ids(msg::keyDown), (std::vector<uint32_t>{key::action}));
    EXPECT_EQ(recorder.ids(msg::character), (std::vector<uint32_t>{u'é'}));
}

TEST_F(WindowSystem, MessageBoxesAreLoggedAndAnsweredOk) {
    EXPECT_EQ(messageBox(window, u"text", u"Caption"), MessageBoxResult::ok);
    auto log = messageBoxLog();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), u"Caption: text");
}

TEST(RegisteredMessages, SameNameSameIdInEveryProcessOfTheDevice) {
    uint32_t first = registerWindowMessage(u"VantrelTestOne");
    uint32_t second = registerWindowMessage(u"VantrelTestTwo");
    EXPECT_GE(first, msg::firstRegistered);
    EXPECT_NE(first, second);
    EXPECT_EQ(registerWindowMessage(u"vantreltestone"), first) << "names ignore case";
    EXPECT_EQ(registerWindowMessage(u""), 0u);

    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    pid_t child = fork();
    if (child == 0) {
        // A new process knows nothing yet: it registers in the opposite order.
        uint32_t ids[3] = {registerWindowMessage(u"VantrelTestThree"),
                           registerWindowMessage(u"VantrelTestTwo"),
                           registerWindowMessage(u"VantrelTestOne")};
        ssize_t n = write(pipeFds[1], ids, sizeof ids);
        _exit(n == sizeof ids ? 0 : 1);
    }
    uint32_t ids[3] = {};
    ASSERT_EQ(read(pipeFds[0], ids, sizeof ids), static_cast<ssize_t>(sizeof ids));
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_EQ(ids[1], second);
    EXPECT_EQ(ids[2], first);
    EXPECT_EQ(registerWindowMessage(u"VantrelTestThree"), ids[0]);
}

TEST_F(WindowSystem, ACreationRefusedByTheProcedureLeavesNoWindowAndClassesGoOnlyWhenUnused) {
    ASSERT_TRUE(registerClass({u"refuser", [](WindowHandle w, uint32_t id, uintptr_t wp, intptr_t lp) {
                                   return id == msg::create ? -1 : defaultWindowProcedure(w, id, wp, lp);
                               }}));
    EXPECT_EQ(createWindow(u"refuser", u"any", {0, 0, 8, 8}, false), 0u);
    EXPECT_EQ(findWindow(u"refuser"), 0u);
    EXPECT_TRUE(unregisterClass(u"refuser"));
    EXPECT_FALSE(unregisterClass(u"refuser"));

    ASSERT_TRUE(registerClass({u"keeper", defaultWindowProcedure}));
    WindowHandle window = createWindow(u"keeper", u"titled", {0, 0, 8, 8}, false);
    ASSERT_NE(window, 0u);
    EXPECT_EQ(findWindow(u"keeper"), window) << "found by its class whatever its title";
    EXPECT_FALSE(unregisterClass(u"keeper")) << "a window of it still exists";
    destroyWindow(window);
    EXPECT_TRUE(unregisterClass(u"keeper"));
}

TEST(RegisteredMessages, ClientsCannotFillTheTableForTheProgramsOwnNames) {
    // In a child with a device of its own: the names this process knows stay apart.
    std::string device = vantrel::test::freshFolder("flooded").string();
    pid_t child = fork();
    if (child == 0) {
        setenv("VANTREL_DEVICE", device.c_str(), 1);
        for (uint32_t i = 0; i < maxRegisteredMessages; ++i)
            if (registerWindowMessage(u"Flood" + toUtf16(std::to_string(i))) == 0)
                _exit(1);
        if (registerWindowMessage(u"OneTooMany") != 0)
            _exit(2);
        uint32_t own = registerOwnWindowMessage(u"VantrelNewSMS");
        if (own == 0 || registerWindowMessage(u"VantrelNewSMS") != own)
            _exit(3);
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: a name within the limit was refused, 2: the table "
                                         "grew past it, 3: the program's own name was refused";
}
