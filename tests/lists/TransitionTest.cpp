// Transitions on a real window in virtual time: two screens of different colours, a
// backend that keeps every frame put on the screen, and the host's buffer as the old
// picture.

#include "tests/ui/ToolkitFixture.h"

#include "lists/Easing.h"
#include "lists/Transitions.h"
#include "platform/gfx/Painter.h"

#include <memory>

namespace vantrel {
namespace {

using platform::Colour;
using platform::Pixel565;
using platform::Rect;
using platform::Surface;
using test::Probe;

const Colour red = platform::rgb(255, 0, 0);
const Colour blue = platform::rgb(0, 0, 255);

// Keeps a copy of the window buffer each time a frame is presented.
class RecordingBackend : public platform::Backend {
public:
    void waitForEvents(int) override {}
    void wake() override {}
    platform::Size screenSize() const override { return {480, 800}; }
    int taskBarHeight() const override { return 0; }
    void present(platform::WindowHandle, const Surface& buffer, Rect, Rect damaged) override {
        frames.push_back(buffer);
        damages.push_back(damaged);
    }
    void windowsChanged() override {}
    void taskBarChanged(bool) override {}
    void messageBox(platform::WindowHandle, const std::u16string&, const std::u16string&) override {
    }

    std::vector<Surface> frames;
    std::vector<Rect> damages;
};

class Transitions : public test::Toolkit {
protected:
    void SetUp() override {
        Toolkit::SetUp();
        platform::installBackend(&backend);
        first = std::make_unique<Probe>(window, u"first", client, red);
        second = std::make_unique<Probe>(window, u"second", client, blue);
        ControlHost::addControl(window, first.get());
        ControlHost::addControl(window, second.get());
        first->layout(client);
        second->layout(client);
        second->setVisible(false);
    }
    void TearDown() override {
        platform::installBackend(nullptr);
        Toolkit::TearDown();
    }

    // Shows the first screen on the window and forgets the frames that took.
    void showFirst() {
        repaint();
        backend.frames.clear();
        backend.damages.clear();
    }
    // The screens change without a repaint, as callers do before a transition.
    void swapScreens() {
        first->setVisible(!first->isVisible());
        second->setVisible(!second->isVisible());
    }
    void setLine(std::u16string_view line) {
        SettingStore::instance().addLine(line);
        SettingStore::instance().clearCaches();
    }
    static bool allOf(const Surface& s, const Rect& area, Colour colour) {
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x)
                if (s.at(x, y) != platform::toPixel565(colour))
                    return false;
        return true;
    }

    RecordingBackend backend;
    std::unique_ptr<Probe> first, second;
};

TEST_F(Transitions, ATransitionBeforeAnyPaintOnlyRendersAndShowsTheNewState) {
    swapScreens();
    slideTransition(window, 0, client);
    EXPECT_TRUE(backend.frames.empty());
    EXPECT_TRUE(allOf(ControlHost::find(window)->backBuffer(), client, blue));
    platform::pumpMessages();
    EXPECT_TRUE(allOf(*platform::windowBuffer(window), client, blue));
}

TEST_F(Transitions, FramesStepThroughVirtualTimeAndTheEndStateIsAlwaysLast) {
    setLine(u"global.slide.duration=250");
    showFirst();
    swapScreens();
    const uint32_t start = platform::tickCount();
    slideTransition(window, 1, client);

    // 0, 16, ... 240 ms, then 256 ms, past the end: 17 frames, then the whole new state.
    ASSERT_EQ(backend.frames.size(), 18u);
    EXPECT_EQ(platform::tickCount() - start, 16u * 16);
    EXPECT_TRUE(allOf(backend.frames.front(), client, red));
    // Direction 1: the new screen comes in from the left, following the curve.
    const int x = easeTable(0, 480, easeEntries(250))[160 / 5];
    EXPECT_EQ(backend.frames[10].at(x - 1, 400), platform::toPixel565(blue));
    EXPECT_EQ(backend.frames[10].at(x, 400), platform::toPixel565(red));
    EXPECT_TRUE(allOf(backend.frames[16], client, blue));
    EXPECT_TRUE(allOf(backend.frames.back(), client, blue));
    // The host's buffer holds the new screen for the next paint.
    EXPECT_TRUE(allOf(ControlHost::find(window)->backBuffer(), client, blue));
    platform::pumpMessages();
    EXPECT_TRUE(allOf(*platform::windowBuffer(window), client, blue));
}

TEST_F(Transitions, AZeroDurationShowsTheEndStateAtOnce) {
    setLine(u"global.switch.duration=0");
    showFirst();
    swapScreens();
    switchTransition(window, 1, client);
    ASSERT_EQ(backend.frames.size(), 2u);
    EXPECT_TRUE(allOf(backend.frames[0], client, blue));
}

TEST_F(Transitions, NothingIsDrawnOutsideTheAreaWhileTheAnimationRuns) {
    setLine(u"global.slide.duration=100");
    showFirst();
    swapScreens();
    const Rect area{0, 120, 480, 520};
    slideTransition(window, 0, area);
    ASSERT_GT(backend.frames.size(), 2u);
    for (size_t i = 0; i + 1 < backend.frames.size(); ++i) {
        EXPECT_EQ(backend.damages[i], area) << "frame " << i;
        EXPECT_TRUE(allOf(backend.frames[i], {0, 0, 480, 120}, red)) << "frame " << i;
        EXPECT_TRUE(allOf(backend.frames[i], {0, 520, 480, 800}, red)) << "frame " << i;
    }
    EXPECT_TRUE(allOf(backend.frames[backend.frames.size() - 2], area, blue));
}

TEST_F(Transitions, ClosingADialogPlaysItsOpeningBackwards) {
    // A duration on the frame step, so the forward and backward runs meet the same times.
    setLine(u"global.fade.duration=320");
    showFirst();
    swapScreens();
    slideFadeTransition(window);
    std::vector<Surface> opening = std::move(backend.frames);
    backend.frames.clear();
    platform::pumpMessages();
    backend.frames.clear();

    swapScreens();
    reverseSlideFadeTransition(window);
    std::vector<Surface> closing = std::move(backend.frames);
    // Both end with the whole window in the new state; the animation frames mirror.
    ASSERT_EQ(opening.size(), closing.size());
    const size_t frames = opening.size() - 1;
    for (size_t i = 0; i < frames; ++i) {
        const Surface& a = opening[i];
        const Surface& b = closing[frames - 1 - i];
        bool same = true;
        for (int y = 0; y < 800 && same; ++y)
            same = std::equal(a.row(y), a.row(y) + 480, b.row(y));
        EXPECT_TRUE(same) << "frame " << i;
    }
    EXPECT_TRUE(allOf(closing.back(), client, red));
}

TEST_F(Transitions, FadeOutTintsEachFrameFurtherTowardTheFadeColour) {
    setLine(u"global.fadecolor=#000080");
    showFirst();
    const Colour fade = platform::rgb(0, 0, 0x80);
    const int frames = fadeOutWindow(window);
    // 0 to 992 ms in 16 ms frames.
    ASSERT_EQ(frames, 63);
    ASSERT_EQ(backend.frames.size(), 63u);
    Surface expected(480, 800);
    platform::Painter(expected).fillSolid(client, red);
    for (int i = 0; i < frames; ++i) {
        // Each frame starts from the previous one, not from the screen.
        platform::tintSurface(expected, fade, i * 16 * 255 / 1000);
        ASSERT_EQ(backend.frames[i].at(10, 10), expected.at(10, 10)) << "frame " << i;
        ASSERT_EQ(backend.frames[i].at(470, 790), expected.at(470, 790)) << "frame " << i;
    }
    // Far more than one frame's weight: the tint accumulates close to the colour.
    Colour last = platform::fromPixel565(backend.frames.back().at(10, 10));
    EXPECT_LT(platform::redOf(last), 8);
    EXPECT_GT(platform::blueOf(last), 0x70);
}

TEST_F(Transitions, FadeOutOfAWindowNeverPaintedFillsItWithTheFadeColour) {
    setLine(u"global.fadecolor=#00FF00");
    EXPECT_EQ(fadeOutWindow(window), 0);
    ASSERT_EQ(backend.frames.size(), 1u);
    EXPECT_TRUE(allOf(backend.frames[0], client, platform::rgb(0, 255, 0)));
}

} // namespace
} // namespace vantrel
