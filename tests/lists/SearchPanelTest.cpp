#include "ListFixture.h"

#include "lists/LeftSearchPanel.h"

namespace vantrel {
namespace {

using platform::Rect;
using platform::StylusAction;

// The strip beside the list: 26 letters in a 520-pixel index box at y = 140, so each
// letter cell is 20 pixels tall ("A" at 140..160, "B" at 160..180, …).
class SearchPanelTest : public test::ListTest {
protected:
    void SetUp() override {
        ListTest::SetUp();
        SettingStore& store = SettingStore::instance();
        store.addLine(u"searchindex.strip.box=0,100,24,700");
        store.addLine(u"searchindex.strip.index.box=0,40,24,-40");
        store.addLine(u"searchindex.strip.leftborder=20p");
        store.addLine(u"searchindex.strip.rightborder=20p");
        // Names A.. through M.., three rows each: "A" rows start at 0, "B" at 120, …
        for (char16_t c = u'A'; c <= u'M'; ++c)
            for (int i = 0; i < 3; ++i)
                list->appendItem(makeItem<SimpleItem>(std::u16string(1, c) + u" name"));
        panel = std::make_unique<LeftSearchPanel>(window, u"strip", *list);
        // The strip is offered the stylus before the list it overlaps.
        ControlHost::removeControl(window, list.get());
        ControlHost::addControl(window, panel.get());
        ControlHost::addControl(window, list.get());
        ControlHost::layoutAll(window, {0, 0, 1, 1});
        ControlHost::layoutAll(window, client);
        repaint();
    }
    void TearDown() override {
        ControlHost::removeControl(window, panel.get());
        panel.reset();
        ListTest::TearDown();
    }
    static int letterY(char16_t letter) { return 140 + (letter - u'A') * 20 + 10; }

    std::unique_ptr<LeftSearchPanel> panel;
};

TEST_F(SearchPanelTest, TheBubbleFollowsTheFingerAndLiftingJumpsTheList) {
    ASSERT_EQ(ControlHost::find(window)->controls().front(), &panel->feedback())
        << "the bubble is drawn over everything";
    stylus(StylusAction::down, 10, letterY(u'C'));
    EXPECT_TRUE(panel->isActive());
    EXPECT_EQ(panel->touchLetter(), u'C');
    Rect first = panel->feedbackRect();
    stylus(StylusAction::move, 10, letterY(u'F'));
    EXPECT_EQ(panel->touchLetter(), u'F');
    EXPECT_EQ(panel->feedbackRect().top - first.top, 3 * 20) << "three cells lower";
    EXPECT_EQ(list->scrollOffset(), 0) << "the list waits for the lift";
    stylus(StylusAction::up, 10, letterY(u'F'));
    EXPECT_FALSE(panel->isActive());
    EXPECT_EQ(list->scrollOffset(), 5 * 3 * rowHeight);
    EXPECT_TRUE(clicked.empty());
}

TEST_F(SearchPanelTest, BothScreenEdgesActAsTheStrip) {
    stylus(StylusAction::down, 480 - 10, letterY(u'D'));
    EXPECT_TRUE(panel->isActive());
    stylus(StylusAction::up, 480 - 10, letterY(u'D'));
    EXPECT_EQ(list->scrollOffset(), 3 * 3 * rowHeight);
    // The middle of the screen is the list's.
    stylus(StylusAction::down, 240, letterY(u'B'));
    EXPECT_FALSE(panel->isActive());
    stylus(StylusAction::up, 240, letterY(u'B'));
    EXPECT_EQ(clicked.size(), 1u);
    // Above the strip's extent the edge is the list's too.
    stylus(StylusAction::down, 470, 710);
    EXPECT_FALSE(panel->isActive());
    stylus(StylusAction::up, 470, 710);
}

TEST_F(SearchPanelTest, LiftingOnALetterWithoutEntriesScrollsToTheEnd) {
    stylus(StylusAction::down, 10, letterY(u'Z'));
    stylus(StylusAction::up, 10, letterY(u'Z'));
    EXPECT_EQ(list->scrollOffset(), list->endPosition());
    EXPECT_EQ(list->endPosition(), 13 * 3 * rowHeight - listHeight);
}

TEST_F(SearchPanelTest, TheMarkMovesOnlyWhenTheMiddleEntryChangesLetter) {
    EXPECT_EQ(panel->currentLetter(), u'B') << "the middle of the view, y 200, is a B row";
    auto damaged = [&] {
        Rect area = platform::beginPaint(window);
        platform::endPaint(window);
        return area;
    };
    damaged();
    list->setScrollOffset(30); // the middle is still on B rows (content y 230)
    EXPECT_TRUE(damaged().intersected(panel->rect()).isEmpty());
    list->setScrollOffset(60); // content y 260: a C row
    EXPECT_FALSE(damaged().intersected(panel->rect()).isEmpty());
    repaint();
    EXPECT_EQ(panel->currentLetter(), u'C');
}

TEST_F(SearchPanelTest, TheStripLetsGoOfTheListWhenItGoes) {
    EXPECT_NE(list->scrollListener(), nullptr);
    ControlHost::removeControl(window, panel.get());
    panel.reset();
    EXPECT_EQ(list->scrollListener(), nullptr);
    auto& controls = ControlHost::find(window)->controls();
    EXPECT_EQ(std::find(controls.begin(), controls.end(), nullptr), controls.end());
    EXPECT_EQ(controls.size(), 1u) << "only the list is left";
    list->setScrollOffset(100);
}

} // namespace
} // namespace vantrel
