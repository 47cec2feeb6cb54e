#include "ListFixture.h"

#include "lists/Animation.h"
#include "platform/core/Clock.h"

namespace vantrel {
namespace {

using platform::Rect;
using test::ListTest;

TEST_F(ListTest, AListScrollOfOneHundredTwentyPixelsLastsOneHundredTwentyMilliseconds) {
    fill(50);
    list->setScrollOffset(100);
    ListAnimation scroll(*list, 220, 400);
    EXPECT_EQ(scroll.duration(), 120);
    bool done = false;
    scroll.step(done, 0);
    EXPECT_EQ(list->scrollOffset(), 100);
    scroll.step(done, 120);
    EXPECT_FALSE(done);
    EXPECT_EQ(list->scrollOffset(), 220);
    scroll.step(done, 121);
    EXPECT_TRUE(done);

    // 290 pixels make a table of 30 entries; two thirds of it is 80 % of the way.
    list->setScrollOffset(0);
    ListAnimation longer(*list, 290, 400);
    longer.step(done, 200);
    EXPECT_EQ(list->scrollOffset(), 232);

    // Run for real in virtual time: frames until one lies past the duration.
    list->setScrollOffset(220);
    AnimationList animations;
    animations.push_back(std::make_unique<ListAnimation>(*list, 340, 400));
    uint32_t before = platform::tickCount();
    runAnimations(window, std::move(animations));
    EXPECT_EQ(platform::tickCount() - before, 120 + animationFrameMs);
    EXPECT_EQ(list->scrollOffset(), 340);

    // A long way is capped by the longest duration.
    EXPECT_EQ(ListAnimation(*list, 1500, 400).duration(), 400);
    // A negative target goes to the top.
    ListAnimation up(*list, -50, 1000);
    EXPECT_EQ(up.duration(), 340);
    up.step(done, 2000);
    EXPECT_EQ(list->scrollOffset(), 0);
}

TEST_F(ListTest, AnAnimationBeforeAnythingWasPaintedShowsItsEndAtOnce) {
    for (int i = 0; i < 50; ++i)
        list->appendItem(makeItem<SimpleItem>(u"row"));
    list->layout(client);
    ControlHost::layoutAll(window, {0, 0, 1, 1}); // drops the buffer
    ControlHost::layoutAll(window, client);
    uint32_t before = platform::tickCount();
    AnimationList animations;
    animations.push_back(std::make_unique<ListAnimation>(*list, 300, 400));
    runAnimations(window, std::move(animations));
    EXPECT_EQ(list->scrollOffset(), 300);
    EXPECT_EQ(platform::tickCount(), before);
}

TEST_F(ListTest, ARowOutOfViewChangesHeightAtOnceAndAVisibleOneOverTime) {
    fill(50);
    IListItem* far = list->shownItems()[30];
    ItemHeightAnimation hidden(*far, *list, 100);
    EXPECT_EQ(hidden.duration(), 0);
    EXPECT_EQ(far->height(), 100);
    EXPECT_EQ(list->contentHeight(), 49 * rowHeight + 100);

    IListItem* near = list->shownItems()[2];
    ItemHeightAnimation shown(*near, *list, 80);
    EXPECT_EQ(shown.duration(), 400);
    bool done = false;
    EXPECT_EQ(shown.step(done, 200), list->rect());
    EXPECT_EQ(near->height(), 60);
    EXPECT_EQ(list->contentHeight(), 48 * rowHeight + 100 + 60);
    shown.step(done, 401);
    EXPECT_TRUE(done);
    EXPECT_EQ(near->height(), 80);
}

TEST_F(ListTest, AControlSlidingOverTheListRepaintsOnlyTheBandItCrosses) {
    fill(50);
    test::Probe panel(window, u"menu", {0, 800, 480, 1000}, platform::rgb(0, 0, 255));
    ControlHost::addControlFront(window, &panel);
    panel.layout(client);
    repaint();
    int listPaints = 0;
    struct CountingItem : public IListItem {
        explicit CountingItem(int& n) : paints(n) {}
        int paint(PaintContext&, const Rect&, const Rect&, bool) override { return ++paints; }
        int& paints;
    };
    list->insertItem(0, makeItem<CountingItem>(listPaints));
    repaint();
    listPaints = 0;
    auto slide = std::make_unique<VerticalSlideAnimation>(panel, 600, 200, Rect{0, 0, 480, 800});
    EXPECT_EQ(slide->duration(), 200);
    runControlAnimation(window, panel, std::move(slide));
    EXPECT_EQ(panel.rect().top, 600);
    EXPECT_EQ(listPaints, 2) << "the background once, the final render once";
    EXPECT_EQ(pixel(240, 700), as565(platform::rgb(0, 0, 255)));
    EXPECT_NE(pixel(240, 599), as565(platform::rgb(0, 0, 255)));
    ControlHost::removeControl(window, &panel);
}

TEST_F(ListTest, AVerticalSlideReportsTheBandItCrossedWithinItsClip) {
    fill(5);
    test::Probe panel(window, u"menu", {0, 500, 480, 600}, platform::rgb(0, 0, 255));
    panel.layout(client);
    // 145 ms make 30 entries; a third of the time is 40 % of the way.
    VerticalSlideAnimation slide(panel, 300, 145, Rect{0, 0, 480, 550});
    bool done = false;
    Rect band = slide.step(done, 50);
    EXPECT_EQ(panel.rect().top, 420);
    EXPECT_EQ(band, (Rect{0, 420, 480, 550})) << "old and new places, within the clip";
    band = slide.step(done, 500);
    EXPECT_TRUE(done);
    EXPECT_EQ(panel.rect(), (Rect{0, 300, 480, 400}));
    EXPECT_EQ(band, (Rect{0, 300, 480, 520}));
}

} // namespace
} // namespace vantrel
