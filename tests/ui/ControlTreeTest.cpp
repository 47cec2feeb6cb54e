#include "ToolkitFixture.h"

#include "platform/core/Backend.h"
#include "ui/ContainerPanel.h"
#include "ui/HeaderLabel.h"
#include "ui/Panel.h"

#include <memory>

namespace vantrel {
namespace {

using platform::Colour;
using platform::Rect;
using platform::rgb;
using test::Probe;
using test::Toolkit;

const Colour red = rgb(255, 0, 0);
const Colour green = rgb(0, 255, 0);
const Colour blue = rgb(0, 0, 255);

TEST(LightControlDeathTest, AControlWithoutAWindowStopsNamingLightControl) {
    EXPECT_DEATH(LightControl(0, u"button", u"ok"), "LightControl: DEBUGCHK failed in file");
}

// ---- the host: order, input, timers, layout, painting ----

TEST_F(Toolkit, TheEarlierOfTwoOverlappingControlsIsDrawnOnTopAndTakesTheStylusFirst) {
    Probe front(window, u"front", {0, 0, 200, 200}, red);
    Probe back(window, u"back", {100, 100, 300, 300}, green);
    ControlHost::addControl(window, &front);
    ControlHost::addControl(window, &back);
    ControlHost::layoutAll(window, {0, 0, 1, 1});
    ControlHost::layoutAll(window, client);
    repaint();

    EXPECT_EQ(pixel(150, 150), as565(red));
    EXPECT_EQ(pixel(250, 250), as565(green));
    EXPECT_EQ(pixel(50, 50), as565(red));

    tap(150, 150);
    EXPECT_EQ(front.events, (std::vector<std::string>{"down", "up", "release"}));
    EXPECT_EQ(back.events, (std::vector<std::string>{"release"}));
}

TEST_F(Toolkit, AControlAddedInFrontCoversTheOthersAndARemovedOneIsGone) {
    Probe first(window, u"first", {0, 0, 100, 100}, red);
    Probe overlay(window, u"overlay", {0, 0, 100, 100}, blue);
    ControlHost::addControl(window, &first);
    ControlHost::addControlFront(window, &overlay);
    first.layout(client);
    overlay.layout(client);
    repaint();
    EXPECT_EQ(pixel(10, 10), as565(blue));
    EXPECT_EQ(ControlHost::find(window)->controls().front(), &overlay);

    ControlHost::removeControl(window, &overlay);
    repaint();
    EXPECT_EQ(pixel(10, 10), as565(red));
    EXPECT_EQ(ControlHost::find(window)->controls().size(), 1u);
}

TEST_F(Toolkit, InvisibleControlsAreNeitherPaintedNorOfferedInputButStillGetTimers) {
    Probe hidden(window, u"hidden", {0, 0, 100, 100}, red);
    Probe under(window, u"under", {0, 0, 100, 100}, green);
    hidden.setVisible(false);
    ControlHost::addControl(window, &hidden);
    ControlHost::addControl(window, &under);
    hidden.layout(client);
    under.layout(client);
    hidden.claims = 42;
    repaint();
    EXPECT_EQ(pixel(10, 10), as565(green));
    EXPECT_EQ(hidden.paints, 0);

    tap(10, 10);
    EXPECT_TRUE(hidden.events.empty());
    EXPECT_EQ(under.events, (std::vector<std::string>{"down", "up", "release"}));

    platform::setTimer(window, 42, 100);
    advance(100);
    EXPECT_EQ(hidden.timers, (std::vector<uintptr_t>{42}));
    EXPECT_TRUE(under.timers.empty()) << "the first control claimed the timer";
}

TEST_F(Toolkit, ATimerThatNoControlClaimsIsKilled) {
    Probe probe(window, u"probe", {0, 0, 10, 10}, red);
    ControlHost::addControl(window, &probe);
    platform::setTimer(window, 7, 50);
    advance(500);
    EXPECT_EQ(probe.timers, (std::vector<uintptr_t>{7}));
    EXPECT_EQ(platform::millisecondsToNextTimer(), -1);
}

TEST_F(Toolkit, KeysGoToTheFirstVisibleControlThatTakesThem) {
    Probe deaf(window, u"deaf", {0, 0, 10, 10}, red);
    Probe listener(window, u"listener", {0, 0, 10, 10}, red);
    Probe last(window, u"last", {0, 0, 10, 10}, red);
    listener.takesKeys = last.takesKeys = true;
    for (Probe* p : {&deaf, &listener, &last}) {
        ControlHost::addControl(window, p);
        p->layout(client);
    }
    ControlHost::key(window, -2, u'K');
    EXPECT_EQ(deaf.events, (std::vector<std::string>{"key -2"}));
    EXPECT_EQ(listener.events, (std::vector<std::string>{"key -2"}));
    EXPECT_TRUE(last.events.empty());
}

TEST_F(Toolkit, TheStylusIsCapturedFromDownToUp) {
    Probe probe(window, u"probe", {0, 0, 100, 100}, red);
    ControlHost::addControl(window, &probe);
    probe.layout(client);
    ControlHost::stylusDown(window, 5, 5);
    EXPECT_EQ(platform::captureWindow(), window);
    ControlHost::stylusUp(window, 5, 5);
    EXPECT_EQ(platform::captureWindow(), 0u);
}

TEST_F(Toolkit, ALayoutToTheSameRectangleDoesNothingAndANewSizeRebuildsTheBuffer) {
    Probe probe(window, u"probe", {0, 0, 10, 10}, red);
    ControlHost::addControl(window, &probe);
    ControlHost::layoutAll(window, client);
    ControlHost::layoutAll(window, client);
    EXPECT_EQ(probe.layouts, 1);
    repaint();
    ControlHost* host = ControlHost::find(window);
    EXPECT_EQ(host->backBuffer().width(), screenWidth);

    platform::moveWindow(window, {0, 0, 800, 480}, true);
    platform::pumpMessages();
    EXPECT_EQ(probe.layouts, 2);
    EXPECT_EQ(host->backRect(), (Rect{0, 0, 800, 480}));
    EXPECT_EQ(host->backBuffer().width(), 800);
    EXPECT_EQ(host->backBuffer().height(), 480);
}

TEST_F(Toolkit, APaintBeforeTheFirstLayoutDoesNotSwallowThatLayout) {
    Probe probe(window, u"probe", {0, 0, 10, 10}, red);
    ControlHost::addControl(window, &probe);
    repaint();
    ControlHost::layoutAll(window, client);
    EXPECT_EQ(probe.layouts, 1);
}

TEST_F(Toolkit, PaintingCopiesOnlyTheDamagedRectangleToTheWindow) {
    Probe probe(window, u"probe", {0, 0, screenWidth, screenHeight}, red);
    ControlHost::addControl(window, &probe);
    probe.layout(client);
    platform::pumpMessages();
    platform::Surface& screen = *platform::windowBuffer(window);
    for (int y = 0; y < screen.height(); ++y)
        for (int x = 0; x < screen.width(); ++x)
            screen.set(x, y, platform::toPixel565(blue));
    Rect damaged{100, 200, 140, 260};
    platform::invalidateRect(window, &damaged);
    platform::pumpMessages();
    EXPECT_EQ(pixel(100, 200), as565(red));
    EXPECT_EQ(pixel(139, 259), as565(red));
    EXPECT_EQ(pixel(140, 259), as565(blue));
    EXPECT_EQ(pixel(139, 260), as565(blue));
    EXPECT_EQ(pixel(99, 200), as565(blue));
}

TEST_F(Toolkit, RenderAllPaintsTheWholeScreenIntoTheBufferWithoutTouchingTheWindow) {
    Probe probe(window, u"probe", {0, 0, screenWidth, screenHeight}, green);
    ControlHost::addControl(window, &probe);
    probe.layout(client);
    ControlHost::beginScreenChangeAll(window);
    ControlHost::renderAll(window);
    const platform::Surface& back = ControlHost::find(window)->backBuffer();
    EXPECT_EQ(platform::fromPixel565(back.at(479, 799)), as565(green));
    EXPECT_NE(pixel(479, 799), as565(green));
}

TEST_F(Toolkit, AWindowWithoutAHostIgnoresEverything) {
    platform::WindowHandle other =
        platform::createWindow(u"ui-test", u"Other", Rect{0, 0, 50, 50}, false);
    ControlHost::paintWindow(other, {0, 0, 50, 50});
    ControlHost::stylusDown(other, 1, 1);
    ControlHost::stylusUp(other, 1, 1);
    ControlHost::key(other, 13, 0);
    ControlHost::renderAll(other);
    EXPECT_EQ(ControlHost::find(other), nullptr);
    EXPECT_EQ(ControlHost::findActivePanel(other), nullptr);
    platform::destroyWindow(other);
}

TEST_F(Toolkit, TheActivePanelIsTheFirstVisibleOne) {
    Probe overlay(window, u"overlay", {0, 0, 10, 10}, red);
    Panel first(window, u"first");
    Panel second(window, u"second");
    ControlHost::addControl(window, &overlay);
    ControlHost::addControl(window, &first);
    ControlHost::addControl(window, &second);
    EXPECT_EQ(ControlHost::findActivePanel(window), &first);
    first.setVisible(false);
    EXPECT_EQ(ControlHost::findActivePanel(window), &second);
    second.setVisible(false);
    EXPECT_EQ(ControlHost::findActivePanel(window), nullptr);
}

TEST_F(Toolkit, ReloadingAllWindowsLooksEverySettingUpAgainAndLaysTheScreensOut) {
    SettingStore& store = SettingStore::instance();
    store.addLine(u"panel.reloaded.box=0,0,100%,50%");
    store.addLine(u"panel.reloaded.background=fill(#FF0000)");
    Panel panel(window, u"reloaded");
    ControlHost::addControl(window, &panel);
    panel.layout(client);
    repaint();
    EXPECT_EQ(panel.rect(), (Rect{0, 0, 480, 400}));
    EXPECT_EQ(pixel(10, 300), as565(red));

    // A landscape line set: the orientation change clears the store's values, and the
    // store's listener has every control take them again.
    store.addLine(u"landscape.panel.reloaded.box=0,0,100%,25%");
    store.addLine(u"landscape.panel.reloaded.background=fill(#0000FF)");
    store.setLandscape(true);
    platform::pumpMessages();
    EXPECT_EQ(panel.rect(), (Rect{0, 0, 480, 200}));
    EXPECT_EQ(pixel(10, 150), as565(blue));
    store.setLandscape(false);
}

TEST_F(Toolkit, ControlsDeletedDuringAnInputDispatchLiveUntilItEnds) {
    struct Tracked : Probe {
        using Probe::Probe;
        ~Tracked() override { *deleted = true; }
        bool* deleted = nullptr;
    };
    bool deleted = false;
    auto doomed = std::make_unique<Tracked>(window, u"doomed", Rect{0, 0, 10, 10}, red);
    doomed->deleted = &deleted;
    struct Killer : Probe {
        using Probe::Probe;
        Rect onStylusDown(int x, int y) override {
            ControlHost::deleteLater(window(), std::move(victim));
            seenAlive = !*flag;
            return Probe::onStylusDown(x, y);
        }
        std::unique_ptr<LightControl> victim;
        bool* flag = nullptr;
        bool seenAlive = false;
    } killer(window, u"killer", {0, 0, 10, 10}, red);
    killer.victim = std::move(doomed);
    killer.flag = &deleted;
    ControlHost::addControl(window, &killer);
    killer.layout(client);

    ControlHost::stylusDown(window, 5, 5);
    EXPECT_TRUE(killer.seenAlive);
    EXPECT_TRUE(deleted);
}

// ---- containers ----

class ContainerTest : public Toolkit {
protected:
    void SetUp() override {
        Toolkit::SetUp();
        container = std::make_unique<ContainerPanel>(window, u"panel", u"holder");
        a = container->addChild(std::make_unique<Probe>(window, u"a", Rect{0, 0, 100, 100}, red));
        b = container->addChild(
            std::make_unique<Probe>(window, u"b", Rect{50, 50, 150, 150}, green));
        ControlHost::addControl(window, container.get());
        container->layout(client);
    }
    std::unique_ptr<ContainerPanel> container;
    Probe* a = nullptr;
    Probe* b = nullptr;
};

TEST_F(ContainerTest, TheFirstChildWinsInputAndIsPaintedOnTop) {
    repaint();
    EXPECT_EQ(pixel(75, 75), as565(red));
    EXPECT_EQ(pixel(125, 125), as565(green));
    tap(75, 75);
    EXPECT_EQ(a->events, (std::vector<std::string>{"down", "up", "release"}));
    EXPECT_EQ(b->events, (std::vector<std::string>{"release"}));
}

TEST_F(ContainerTest, PaintCountsEveryVisibleControlOfTheTree) {
    platform::Surface surface(screenWidth, screenHeight);
    PaintContext context{surface, screenWidth, screenHeight, 0};
    container->paint(context, client);
    EXPECT_EQ(context.paintCount, 2);
    b->setVisible(false);
    context.paintCount = 0;
    container->paint(context, client);
    EXPECT_EQ(context.paintCount, 1);
    EXPECT_EQ(b->paints, 1);
}

TEST_F(ContainerTest, AnInvisibleChildIsSkippedByInputButStillGetsTimers) {
    a->setVisible(false);
    b->claims = 99;
    tap(75, 75);
    EXPECT_TRUE(a->events.empty());
    EXPECT_EQ(b->events, (std::vector<std::string>{"down", "up", "release"}));
    EXPECT_TRUE(container->onTimer(99));
    EXPECT_EQ(a->timers, (std::vector<uintptr_t>{99}));
    EXPECT_FALSE(container->onTimer(5));
}

TEST_F(ContainerTest, ChildrenAreLaidOutAgainstTheContainersReferenceNotItsBox) {
    SettingStore::instance().addLine(u"panel.outer.box=100,100,200,200");
    ContainerPanel holder(window, u"panel", u"outer");
    struct Boxed : LightControl {
        Boxed(platform::WindowHandle w) : LightControl(w, u"label", u"boxedchild") {}
    };
    SettingStore::instance().addLine(u"label.boxedchild.box=10,10,20,20");
    LightControl* child = holder.addChild(std::make_unique<Boxed>(window));
    holder.layout(client);
    EXPECT_EQ(holder.rect(), (Rect{100, 100, 200, 200}));
    EXPECT_EQ(child->rect(), (Rect{10, 10, 20, 20}));
}

TEST_F(ContainerTest, RemovingChildrenHandsThemBack) {
    std::unique_ptr<LightControl> taken = container->removeChild(b);
    EXPECT_EQ(taken.get(), b);
    EXPECT_EQ(container->childCount(), 1u);
    EXPECT_EQ(container->removeChild(b), nullptr);
    auto rest = container->removeAllChildren();
    EXPECT_EQ(rest.size(), 1u);
    EXPECT_EQ(container->childCount(), 0u);
}

// ---- setting caches ----

TEST_F(Toolkit, CachedIntegersAnswerFromTheCacheUntilSettingsAreReloaded) {
    SettingStore& store = SettingStore::instance();
    store.addLine(u"probe.cache.delay=100");
    Probe probe(window, u"cache", {}, red);
    EXPECT_EQ(probe.getInt(u"delay", 3), 100);
    store.addLine(u"probe.cache.delay=200");
    EXPECT_EQ(probe.getInt(u"delay", 3), 100);
    EXPECT_EQ(probe.getInt(u"delay", LightControl::noCache), 200);
    probe.reloadSettings();
    EXPECT_EQ(probe.getInt(u"delay", 3), 200);
}

TEST_F(Toolkit, BoxesFontsAndBackgroundsComeFromTheStoreByTypeInstanceAndProperty) {
    SettingStore& store = SettingStore::instance();
    store.addLine(u"probe.look.box=1,2,3,4");
    Probe probe(window, u"look", {}, red);
    const Box& box = probe.getBox(u"box", 0);
    EXPECT_EQ(&box, &store.box(u"probe", u"look", u"box"));
    EXPECT_EQ(box.rectangle({0, 0, 100, 100}), (Rect{1, 2, 3, 4}));
    EXPECT_EQ(&probe.getBox(u"box", 0), &box);
    EXPECT_EQ(&probe.getFont(u"font", 0), &store.font(u"probe", u"look", u"font"));
    EXPECT_EQ(&probe.getBackground(u"background", 0),
              &store.background(u"probe", u"look", u"background"));
    // An index outside the cache is no cache, not a write past it.
    EXPECT_EQ(probe.getInt(u"missing", 16), 0);
}

} // namespace
} // namespace vantrel
