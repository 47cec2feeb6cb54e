#include "ListFixture.h"

#include "lists/ButtonSmartListControl.h"
#include "lists/ControlItem.h"
#include "platform/core/Backend.h"
#include "ui/Button.h"
#include "ui/ControlDump.h"
#include "ui/Label.h"

#include <random>

namespace vantrel {
namespace {

using platform::Colour;
using platform::Rect;
using platform::StylusAction;
using test::ListTest;

// ---- scrolling with the finger ----

TEST_F(ListTest, AListShorterThanItsRectangleDoesNotScroll) {
    SettingStore::instance().addLine(u"list.test.margin.top=10");
    SettingStore::instance().addLine(u"list.test.margin.bottom=6");
    fill(5);
    EXPECT_EQ(list->scrollOffset(), -10);
    stroke(200, 300, 150, 10, 10);
    stylus(StylusAction::up, 200, 150);
    advance(500);
    EXPECT_EQ(list->scrollOffset(), -10);
    EXPECT_FALSE(list->isSliding());

    // Bottom-anchored, the short content rests against the bottom margin.
    list->setBottomAnchored(true);
    list->setScrollOffset(123);
    EXPECT_EQ(list->scrollOffset(), 6);
    // Its rows are drawn from the bottom: the last row ends at the list's bottom - 6.
    Rect last = list->itemRect(list->shownItems().back());
    EXPECT_EQ(last.bottom, listTop + listHeight - 6);
    EXPECT_EQ(list->hitTest(last.top - listTop + 1), list->shownItems().back());
    EXPECT_EQ(list->hitTest(10), nullptr) << "the empty space above the content";
}

TEST_F(ListTest, SixPixelsIsATapAndSevenADrag) {
    fill(50);
    list->setScrollOffset(400);
    stylus(StylusAction::down, 200, 300);
    stylus(StylusAction::move, 200, 306);
    stylus(StylusAction::up, 200, 306);
    ASSERT_EQ(clicked.size(), 1u);
    // The tap lands on the row under the press point, offset 400 + y 200 → row 15.
    EXPECT_EQ(clicked[0], list->shownItems()[15]);
    EXPECT_EQ(list->cursorIndex(), 15);
    EXPECT_EQ(clickPoint.x, 200);
    EXPECT_EQ(clickPoint.y, 206) << "points are relative to the list";

    int before = list->scrollOffset();
    stylus(StylusAction::down, 200, 300);
    stylus(StylusAction::move, 200, 307);
    stylus(StylusAction::up, 200, 307);
    EXPECT_EQ(clicked.size(), 1u) << "seven pixels is a drag";
    EXPECT_EQ(list->scrollOffset(), before - 7) << "the content follows the finger";

    // Wiggling sideways adds up too: 20 pixels of movement is a drag even back in place.
    stylus(StylusAction::down, 200, 300);
    stylus(StylusAction::move, 210, 300);
    stylus(StylusAction::move, 200, 300);
    stylus(StylusAction::up, 200, 300);
    EXPECT_EQ(clicked.size(), 1u);
}

TEST_F(ListTest, AFreshFlickSlidesAndAStaleOneDoesNot) {
    fill(200);
    list->setScrollOffset(2000);
    stroke(200, 450, 210, 30, 10);
    advance(250);
    stylus(StylusAction::up, 200, 210);
    EXPECT_FALSE(list->isSliding()) << "the last move is older than 200 ms";
    int rested = list->scrollOffset();
    advance(300);
    EXPECT_EQ(list->scrollOffset(), rested);

    stroke(200, 450, 210, 30, 10);
    int lifted = list->scrollOffset();
    stylus(StylusAction::up, 200, 210);
    ASSERT_TRUE(list->isSliding());
    EXPECT_EQ(list->speed(), (450 - 210) / 4);
    advance(100);
    int moving = list->scrollOffset();
    EXPECT_GT(moving, lifted) << "the content keeps moving the way it was pushed";
    // Friction brings it to rest.
    advance(5000);
    EXPECT_FALSE(list->isSliding());
    int stopped = list->scrollOffset();
    EXPECT_GT(stopped, moving);
    advance(200);
    EXPECT_EQ(list->scrollOffset(), stopped);
    EXPECT_TRUE(clicked.empty());
}

// A flick of speed 60 loses a 1.01th of its speed every 8 ms, rounded toward zero:
// steps of 59, 58, 57 … 3 pixels, the step below 4 being the last.
TEST_F(ListTest, AFlickSlowsDownByTheFrictionEveryEightMilliseconds) {
    fill(400);
    list->setScrollOffset(2000);
    stroke(200, 450, 210, 30, 10);
    stylus(StylusAction::up, 200, 210);
    ASSERT_EQ(list->speed(), 60);
    std::vector<int> steps;
    for (int previous = list->scrollOffset(); list->isSliding() && steps.size() < 100;) {
        advance(8);
        steps.push_back(list->scrollOffset() - previous);
        previous = list->scrollOffset();
    }
    std::vector<int> expected;
    for (int step = 59; step >= 3; --step)
        expected.push_back(step);
    EXPECT_EQ(steps, expected);
    advance(100);
    EXPECT_EQ(list->scrollOffset(), 2000 + (450 - 210) + (59 + 3) * 57 / 2);
}

TEST_F(ListTest, TouchingASlidingListStopsItWithoutAClick) {
    fill(200);
    list->setScrollOffset(2000);
    stroke(200, 450, 210, 30, 10);
    stylus(StylusAction::up, 200, 210);
    advance(50);
    ASSERT_TRUE(list->isSliding());
    tap(200, 300);
    EXPECT_FALSE(list->isSliding());
    EXPECT_TRUE(clicked.empty());
    int stopped = list->scrollOffset();
    advance(300);
    EXPECT_EQ(list->scrollOffset(), stopped);
    // The next tap is an ordinary one.
    tap(200, 300);
    EXPECT_EQ(clicked.size(), 1u);
}

TEST_F(ListTest, PullingPastTheTopStopsAtThirtyPlusTheMarginAndSpringsBack) {
    SettingStore::instance().addLine(u"list.test.margin.top=10");
    fill(50);
    ASSERT_EQ(list->scrollOffset(), -10);
    stylus(StylusAction::down, 200, 150);
    for (int y = 160; y <= 250; y += 10)
        stylus(StylusAction::move, 200, y);
    EXPECT_EQ(list->scrollOffset(), -40) << "pulled 100 pixels, held at 30 + margin";
    // Lifted at once, the pull is also a flick toward the top, which stops against it.
    stylus(StylusAction::up, 200, 250);
    std::vector<int> seen{list->scrollOffset()};
    std::vector<uint32_t> when{platform::tickCount()};
    for (int ms = 0; ms < 400; ++ms) {
        advance(1);
        if (list->scrollOffset() != seen.back()) {
            seen.push_back(list->scrollOffset());
            when.push_back(platform::tickCount());
        }
    }
    EXPECT_EQ(seen, (std::vector<int>{-40, -35, -30, -25, -20, -15, -10}));
    for (size_t i = 2; i < when.size(); ++i)
        EXPECT_EQ(when[i] - when[i - 1], 25u) << "step " << i;

    // The far end springs back the same way.
    list->setScrollOffset(list->endPosition() + 12);
    advance(25);
    EXPECT_EQ(list->scrollOffset(), list->endPosition() + 7);
    advance(25);
    advance(25);
    EXPECT_EQ(list->scrollOffset(), list->endPosition());
}

TEST_F(ListTest, ScrollingToTheEndValueShowsTheLastRowAtTheBottom) {
    SettingStore::instance().addLine(u"list.test.margin.bottom=8");
    fill(50);
    list->setScrollOffset(SmartListControl::endOffset);
    EXPECT_EQ(list->scrollOffset(), 50 * rowHeight - listHeight + 8);
    // Far values are held within the overscroll allowance.
    list->setScrollOffset(1000000);
    EXPECT_EQ(list->scrollOffset(), 50 * rowHeight - listHeight + 8 + 30);
}

// ---- long press and the focus rule ----

TEST_F(ListTest, AHeldFingerLongPressesAfterHalfASecondAndThenDoesNotClick) {
    fill(20);
    stylus(StylusAction::down, 100, 150);
    advance(499);
    EXPECT_TRUE(longPressed.empty());
    advance(2);
    ASSERT_EQ(longPressed.size(), 1u);
    EXPECT_EQ(longPressed[0], list->shownItems()[1]);
    stylus(StylusAction::up, 100, 150);
    EXPECT_TRUE(clicked.empty());

    // Moving 20 pixels in total cancels it.
    stylus(StylusAction::down, 100, 150);
    stylus(StylusAction::move, 110, 150);
    stylus(StylusAction::move, 100, 150);
    advance(600);
    EXPECT_EQ(longPressed.size(), 1u);
    stylus(StylusAction::up, 100, 150);
}

TEST_F(ListTest, ATapWhileAnEditFieldHasTheFocusOnlyTakesTheFocusBack) {
    fill(20);
    platform::WindowHandle edit =
        platform::createWindow(u"ui-test", u"edit", Rect{0, 0, 10, 10}, false);
    ASSERT_NE(edit, 0u);
    platform::setFocus(edit);
    tap(100, 150);
    EXPECT_TRUE(clicked.empty());
    EXPECT_EQ(platform::focusWindow(), window);
    tap(100, 150);
    EXPECT_EQ(clicked.size(), 1u);

    // With the click-keeps-focus flag the click runs, and the focus still returns.
    list->setClickKeepsFocus(true);
    platform::setFocus(edit);
    tap(100, 150);
    EXPECT_EQ(clicked.size(), 2u);
    EXPECT_EQ(platform::focusWindow(), window);
    platform::destroyWindow(edit);
}

// ---- keys ----

TEST_F(ListTest, ALetterJumpGoesToTheFirstRowAtOrAfterTheLetterAndPastTheLastToTheEnd) {
    for (char16_t c : std::u16string(u"3AABCCDEFGHIJKLM"))
        list->appendItem(makeItem<SimpleItem>(std::u16string(1, c) + u" name"));
    list->layout(client);
    repaint();
    ControlHost::key(window, SmartListControl::letterKey, u'C');
    EXPECT_EQ(list->scrollOffset(), 4 * rowHeight);
    ControlHost::key(window, SmartListControl::letterKey, u'Z');
    EXPECT_EQ(list->scrollOffset(), list->endPosition());
    EXPECT_EQ(list->endPosition(), 16 * rowHeight - listHeight);
    // A digit looks for "#", which sorts before the digits and letters: the top.
    ControlHost::key(window, SmartListControl::letterKey, u'7');
    EXPECT_EQ(list->scrollOffset(), 0);
}

TEST_F(ListTest, CursorKeysMoveTheCursorAndTheActionKeyClicksIt) {
    fill(50);
    ControlHost::key(window, int(platform::key::down), 0);
    // No cursor yet: it starts at the first row at or below the middle of the view.
    EXPECT_EQ(list->cursorIndex(), 5);
    ControlHost::key(window, int(platform::key::down), 0);
    EXPECT_EQ(list->cursorIndex(), 6);
    ControlHost::key(window, int(platform::key::right), 0);
    EXPECT_EQ(list->cursorIndex(), 14);
    ControlHost::key(window, int(platform::key::action), 0);
    ASSERT_EQ(clicked.size(), 1u);
    EXPECT_EQ(clicked[0], list->shownItems()[14]);
    EXPECT_EQ(clickPoint.x, -1);
    // Characters are not the list's: typing goes on to the screen.
    EXPECT_TRUE(list->onKey(0, u'a').isEmpty());

    // Auto-repeat that piled up behind a move is dropped: one move for four presses.
    for (int i = 0; i < 4; ++i)
        platform::postMessage(window, platform::msg::keyDown, platform::key::down);
    platform::pumpMessages();
    EXPECT_EQ(list->cursorIndex(), 15);
}

TEST_F(ListTest, PagingModeMovesAWholeViewPerKey) {
    fill(50);
    list->setKeyboardCursorMode(false);
    ControlHost::key(window, int(platform::key::down), 0);
    EXPECT_EQ(list->scrollOffset(), listHeight);
    ControlHost::key(window, int(platform::key::up), 0);
    ControlHost::key(window, int(platform::key::up), 0);
    EXPECT_EQ(list->scrollOffset(), 0) << "a page never goes past the top";
}

// ---- items, references and filters ----

TEST_F(ListTest, ListsHoldOneReferencePerItemAndTheLastOneDeletesIt) {
    SmartListControl other(window, u"test");
    ItemRef shared = makeItem<SimpleItem>(u"shared");
    list->appendItem(shared);
    other.appendItem(shared);
    list->insertItem(-5, makeItem<SimpleItem>(u"first"));
    list->addItem(makeItem<SimpleItem>(u"top"));
    EXPECT_EQ(shared->refCount(), 3);
    ASSERT_EQ(list->shownItems().size(), 3u);
    EXPECT_EQ(static_cast<SimpleItem*>(list->shownItems()[0])->text(), u"top");
    EXPECT_EQ(static_cast<SimpleItem*>(list->shownItems()[1])->text(), u"first");
    EXPECT_EQ(shared->list(), list.get()) << "the first list to measure it";
    list->removeAllItems();
    EXPECT_TRUE(list->shownItems().empty());
    EXPECT_EQ(shared->refCount(), 2);
    EXPECT_EQ(list->contentHeight(), 0);
    EXPECT_EQ(static_cast<SimpleItem*>(other.shownItems()[0])->text(), u"shared");
}

TEST_F(ListTest, AddingAtTheTopOfABottomAnchoredListKeepsTheView) {
    fill(50);
    list->setBottomAnchored(true);
    list->setScrollOffset(SmartListControl::endOffset);
    int end = list->scrollOffset();
    list->addItem(makeItem<SimpleItem>(u"older"));
    EXPECT_EQ(list->scrollOffset(), end + rowHeight);
    EXPECT_EQ(list->contentHeight(), 51 * rowHeight);
}

class StartsWith : public ISmartListFilter {
public:
    StartsWith(char16_t letter, int limit) : letter_(letter), limit_(limit) {}
    bool match(const IListItem& item) const override { return item.indexLetter() == letter_; }
    std::u16string label() const override { return u"only " + std::u16string(1, letter_); }
    int itemLimit() const override { return limit_; }

private:
    char16_t letter_;
    int limit_;
};

TEST_F(ListTest, AFilterShowsWhatItAcceptsUpToItsLimitAndNamesItselfInTheLabel) {
    Label title(window, u"title");
    list->setTitleLabel(&title);
    for (int i = 0; i < 30; ++i)
        list->appendItem(makeItem<SimpleItem>(std::u16string(1, i % 3 ? u'x' : u'y') + u"row"));
    list->layout(client);
    list->setScrollOffset(300);
    list->setFilter(std::make_unique<StartsWith>(u'y', 99));
    EXPECT_EQ(list->shownItems().size(), 10u);
    EXPECT_EQ(list->scrollOffset(), 0) << "a new filter starts at the top";
    EXPECT_EQ(list->contentHeight(), 10 * rowHeight);
    EXPECT_EQ(title.text(), u"only y");
    // Appended items go through the filter too.
    list->appendItem(makeItem<SimpleItem>(u"yes"));
    list->appendItem(makeItem<SimpleItem>(u"no"));
    EXPECT_EQ(list->shownItems().size(), 11u);
    // Filling stops once the shown count exceeds the limit.
    list->setFilter(std::make_unique<StartsWith>(u'x', 4));
    EXPECT_EQ(list->shownItems().size(), 5u);
    list->setFilter(nullptr);
    EXPECT_EQ(list->shownItems().size(), 32u);
    EXPECT_EQ(list->filter(), nullptr);
}

// The contact list's loader adds items under the user's filter and then runs that same
// filter again; the list keeps owning it.
TEST_F(ListTest, ReapplyingRunsTheOwnedFilterAgainAndKeepsTheView) {
    struct NewestFirst : StartsWith {
        using StartsWith::StartsWith;
        void arrange(SmartListControl&, std::vector<IListItem*>& shown) override {
            std::reverse(shown.begin(), shown.end());
        }
    };
    Label title(window, u"title");
    list->setTitleLabel(&title);
    list->layout(client);
    for (int i = 0; i < 60; ++i)
        list->appendItem(makeItem<SimpleItem>(u"y" + toText(i)));
    list->setFilter(std::make_unique<NewestFirst>(u'y', 40));
    ISmartListFilter* owned = list->filter();
    EXPECT_EQ(static_cast<SimpleItem*>(list->shownItems()[0])->text(), u"y40");
    list->setScrollOffset(200);

    list->appendItem(makeItem<SimpleItem>(u"y first"));
    list->insertItem(0, makeItem<SimpleItem>(u"y second"));
    list->reapplyFilter();
    EXPECT_EQ(list->filter(), owned);
    ASSERT_EQ(list->shownItems().size(), 41u) << "the limit holds for the added items";
    EXPECT_EQ(static_cast<SimpleItem*>(list->shownItems()[0])->text(), u"y39");
    EXPECT_EQ(static_cast<SimpleItem*>(list->shownItems()[40])->text(), u"y second");
    EXPECT_EQ(list->scrollOffset(), 200);
    EXPECT_EQ(title.text(), u"only y");
}

TEST_F(ListTest, TheDumpListsTheShownItems) {
    fill(3);
    list->shownItems()[1]->setSelected(true);
    DumpValue dump = dumpControl(*list);
    const DumpValue* items = dump.member("items");
    ASSERT_TRUE(items && items->asArray());
    ASSERT_EQ(items->asArray()->size(), 3u);
    EXPECT_EQ(*(*items->asArray())[1].member("text")->asText(), u"row 1");
    EXPECT_TRUE(*(*items->asArray())[1].member("selected")->asBool());
    EXPECT_EQ(*dump.member("offset")->asInteger(), 0);
}

// ---- painting ----

// A row that fills its rectangle with its own colour, for comparing whole pictures.
class ColourItem : public IListItem {
public:
    ColourItem(Colour colour, int height) : colour_(colour) { setHeight(height); }
    void updateHeight(SmartListControl&) override {}
    int paint(PaintContext& context, const Rect& rect, const Rect& clip, bool) override {
        fillSolid(context.surface, rect, clip, colour_);
        return 1;
    }

private:
    Colour colour_;
};

// The plain reference: for every pixel of the list inside the clip, the row whose span
// holds its content y, found from scratch.
Colour referencePixel(const std::vector<std::pair<Colour, int>>& rows, int contentY,
                      Colour background) {
    int top = 0;
    for (const auto& [colour, height] : rows) {
        if (contentY >= top && contentY < top + height)
            return colour;
        top += height;
    }
    return background;
}

TEST_F(ListTest, PaintDrawsExactlyTheRowsUnderEveryPixelOnSeededRandomLists) {
    SettingStore& store = SettingStore::instance();
    store.addLine(u"list.test.background=fill(#000000)");
    store.addLine(u"list.test.scrollbar.scroller.background=none");
    store.addLine(u"list.test.scrollbar.box=0,0,0,0");
    test::Probe backdrop(window, u"backdrop", client, platform::rgb(9, 9, 9));
    ControlHost::addControl(window, &backdrop);
    backdrop.layout(client);
    std::mt19937 random(1234);
    for (int round = 0; round < 40; ++round) {
        list->removeAllItems();
        list->setBottomAnchored(round % 4 == 3);
        std::vector<std::pair<Colour, int>> rows;
        int count = static_cast<int>(random() % 40);
        for (int i = 0; i < count; ++i) {
            Colour colour = platform::fromPixel565(static_cast<platform::Pixel565>(random() | 1));
            int height = 1 + static_cast<int>(random() % 90);
            rows.emplace_back(colour, height);
            list->appendItem(makeItem<ColourItem>(colour, height));
        }
        list->layout(client);
        list->setScrollOffset(static_cast<int>(random() % 3000) - 40);
        int top = static_cast<int>(random() % 800);
        Rect clip{0, top, 480, top + 1 + static_cast<int>(random() % 400)};
        platform::invalidateRect(window);
        platform::pumpMessages();
        Rect visible = list->rect().intersected(clip);
        int H = list->rect().height();
        int C = list->contentHeight();
        int shift = list->isBottomAnchored() && C < H ? H - C : 0;
        // Paint only the clip, over a buffer that holds the backdrop's colour.
        platform::invalidateRect(window, &clip);
        platform::pumpMessages();
        for (int y = visible.top; y < visible.bottom; ++y) {
            int contentY = y - list->rect().top + list->scrollOffset() - shift;
            Colour want = as565(referencePixel(rows, contentY, 0));
            ASSERT_EQ(pixel(5, y), want)
                << "round " << round << " y " << y << " offset " << list->scrollOffset() << " C "
                << C << " clip " << clip.top << ".." << clip.bottom;
            ASSERT_EQ(pixel(470, y), want) << "round " << round << " y " << y;
        }
    }
    ControlHost::removeControl(window, &backdrop);
}

TEST_F(ListTest, RowsCrossingTheListEdgesAreCutThereAndTheThumbFollowsTheOffset) {
    SettingStore& store = SettingStore::instance();
    store.addLine(u"list.test.item.background=fill(#FF0000)");
    store.addLine(u"list.test.scrollbar.box=-10,0,100%,100%");
    store.addLine(u"list.test.scrollbar.scroller.background=fill(#0000FF)");
    test::Probe backdrop(window, u"backdrop", client, platform::rgb(0, 255, 0));
    ControlHost::addControl(window, &backdrop);
    backdrop.layout(client);
    fill(40); // 1600 pixels of content in 400
    list->setScrollOffset(820);
    repaint();
    const Colour red = as565(platform::rgb(255, 0, 0));
    const Colour green = as565(platform::rgb(0, 255, 0));
    const Colour blue = as565(platform::rgb(0, 0, 255));
    EXPECT_EQ(pixel(10, listTop - 1), green) << "a row crossing the top edge is cut there";
    EXPECT_EQ(pixel(460, listTop), red);
    EXPECT_EQ(pixel(460, listTop + listHeight - 1), red);
    EXPECT_EQ(pixel(10, listTop + listHeight), green);
    // The thumb: 400 tall track, offset 820 of 1600 → from 205 for 100 pixels.
    EXPECT_EQ(pixel(475, listTop + 204), as565(platform::rgb(255, 255, 255)));
    EXPECT_EQ(pixel(475, listTop + 205), blue);
    EXPECT_EQ(pixel(475, listTop + 304), blue);
    EXPECT_EQ(pixel(475, listTop + 305), as565(platform::rgb(255, 255, 255)));
    EXPECT_EQ(pixel(469, listTop + 250), red) << "rows end where the bar begins";
    EXPECT_NE(pixel(470, listTop + 250), red);
    ControlHost::removeControl(window, &backdrop);
}

TEST_F(ListTest, AnEmptyListShowsItsNoItemText) {
    SettingStore& store = SettingStore::instance();
    store.addLine(u"list.test.background=fill(#FFFFFF)");
    store.addLine(u"list.test.noitem.text=Nothing here");
    store.addLine(u"list.test.noitem.font=20,bold,DejaVu Sans,#000000");
    fill(0);
    int dark = 0;
    for (int y = listTop; y < listTop + listHeight; ++y)
        for (int x = 0; x < 480; ++x)
            dark += platform::redOf(pixel(x, y)) < 128;
    EXPECT_GT(dark, 50) << "the text is drawn";
    tap(240, 300);
    EXPECT_TRUE(clicked.empty());
}

// ---- the button column ----

class Tally : public Action {
public:
    explicit Tally(int& count) : count_(count) {}
    void execute() override { ++count_; }

private:
    int& count_;
};

TEST_F(ListTest, AButtonColumnPressesItsButtonAtOnceAndTapsRunTheirActions) {
    SettingStore::instance().addLine(u"buttons_list.col.box=0,500,480,800");
    SettingStore::instance().addLine(u"button.*.item.height=50");
    ButtonSmartListControl column(window, u"col");
    int first = 0, second = 0;
    for (int* count : {&first, &second}) {
        auto button = std::make_unique<Button>(window, u"entry");
        button->setAction(std::make_unique<Tally>(*count));
        column.appendItem(makeItem<ControlItem>(std::move(button)));
    }
    ControlHost::addControl(window, &column);
    column.layout(client);
    repaint();
    // Bottom-anchored: the two 50-pixel rows sit at 700..800.
    auto& lower = ButtonSmartListControl::buttonOf(column.shownItems()[1]);
    stylus(StylusAction::down, 240, 760);
    EXPECT_TRUE(lower.isPressed());
    stylus(StylusAction::up, 240, 760);
    EXPECT_EQ(second, 1);
    EXPECT_EQ(first, 0);
    EXPECT_FALSE(lower.isPressed());
    ControlHost::removeControl(window, &column);
}

TEST_F(ListTest, TheActionKeyOnAHostedControlTapsItsMiddle) {
    SettingStore::instance().addLine(u"button.*.item.height=50");
    int taps = 0;
    auto button = std::make_unique<Button>(window, u"entry");
    button->setAction(std::make_unique<Tally>(taps));
    list->appendItem(makeItem<ControlItem>(std::move(button)));
    fill(3);
    EXPECT_EQ(list->shownItems()[0]->height(), 50);
    ControlHost::key(window, int(platform::key::down), 0); // places the cursor
    list->setCursorIndex(0);
    ControlHost::key(window, int(platform::key::action), 0);
    EXPECT_EQ(taps, 1);
    // A tap on the row replays the tap to the button as well.
    tap(240, listTop + 25);
    EXPECT_EQ(taps, 2);
    DumpValue dump = dumpControl(*list);
    const DumpValue& first = (*dump.member("items")->asArray())[0];
    ASSERT_NE(first.member("control"), nullptr);
}

TEST(ButtonSmartListControlDeathTest, ARowWithoutAButtonStopsTheProgram) {
    SettingStore::instance().reset();
    EXPECT_DEATH(
        {
            ButtonSmartListControl column(1, u"col");
            column.appendItem(makeItem<SimpleItem>(u"not a button"));
        },
        "ButtonSmartListControl: DEBUGCHK failed");
}

} // namespace
} // namespace vantrel
