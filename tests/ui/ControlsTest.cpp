#include "ToolkitFixture.h"

#include "platform/gfx/ArgbImage.h"
#include "platform/registry/Registry.h"
#include "ui/Button.h"
#include "ui/CheckButton.h"
#include "ui/HeaderLabel.h"
#include "ui/Label.h"
#include "ui/Panel.h"
#include "ui/PictureControl.h"
#include "ui/ProgressBar.h"
#include "ui/RelativeButton.h"

#include <cstdlib>
#include <functional>

namespace vantrel {
namespace {

using platform::Colour;
using platform::Rect;
using platform::rgb;
using platform::StylusAction;
using test::Toolkit;

// Counts its runs and can look at the world when it runs.
class Counter : public Action {
public:
    explicit Counter(int& runs, std::function<void()> check = {})
        : runs_(runs), check_(std::move(check)) {}
    void execute() override {
        ++runs_;
        if (check_)
            check_();
    }

private:
    int& runs_;
    std::function<void()> check_;
};

// ---- buttons ----

class ButtonTest : public Toolkit {
protected:
    void SetUp() override {
        Toolkit::SetUp();
        SettingStore::instance().addLine(u"button.test.box=100,100,300,200");
        button = std::make_unique<Button>(window, u"test");
        button->setAction(std::make_unique<Counter>(clicks));
        ControlHost::addControl(window, button.get());
        // The screen behind: the buttons are translucent.
        backdrop = std::make_unique<test::Probe>(window, u"backdrop",
                                                 Rect{0, 0, screenWidth, screenHeight}, 0);
        ControlHost::addControl(window, backdrop.get());
        backdrop->layout(client);
        button->layout(client);
        repaint();
    }
    // A pixel inside the button's margin, away from its caption.
    Colour face() const { return pixel(110, 110); }

    std::unique_ptr<test::Probe> backdrop;
    std::unique_ptr<Button> button;
    int clicks = 0;
    int longPresses = 0;
};

TEST_F(ButtonTest, ATapInsideClicksOnceAndShowsThePressedLookWhileDown) {
    Colour idle = face();
    stylus(StylusAction::down, 150, 150);
    EXPECT_TRUE(button->isPressed());
    Colour pressed = face();
    EXPECT_NE(pressed, idle);
    EXPECT_GT(platform::redOf(pressed), platform::redOf(idle)) << "the pressed fill is lighter";
    stylus(StylusAction::up, 150, 150);
    EXPECT_FALSE(button->isPressed());
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(face(), idle);
}

TEST_F(ButtonTest, HoldingForTheDelayRunsOnlyTheLongPressAction) {
    button->setLongPressAction(std::make_unique<Counter>(longPresses));
    stylus(StylusAction::down, 150, 150);
    advance(249);
    EXPECT_EQ(longPresses, 0);
    EXPECT_TRUE(button->isPressed());
    advance(1);
    EXPECT_EQ(longPresses, 1);
    EXPECT_FALSE(button->isPressed());
    stylus(StylusAction::up, 150, 150);
    EXPECT_EQ(clicks, 0);
    advance(1000);
    EXPECT_EQ(longPresses, 1);
}

TEST_F(ButtonTest, AButtonWithoutALongPressActionStillClicksAfterALongHold) {
    stylus(StylusAction::down, 150, 150);
    advance(2000);
    stylus(StylusAction::up, 150, 150);
    EXPECT_EQ(clicks, 1);
}

TEST_F(ButtonTest, SlidingOffAndLiftingOutsideDoesNotClick) {
    stylus(StylusAction::down, 150, 150);
    stylus(StylusAction::move, 400, 150);
    EXPECT_FALSE(button->isPressed());
    stylus(StylusAction::up, 400, 150);
    EXPECT_EQ(clicks, 0);
}

TEST_F(ButtonTest, SlidingBackInPressesAgainAndLiftingThenClicks) {
    button->setLongPressAction(std::make_unique<Counter>(longPresses));
    stylus(StylusAction::down, 150, 150);
    stylus(StylusAction::move, 400, 150);
    advance(300);
    EXPECT_EQ(longPresses, 0) << "a released button does not long-press";
    stylus(StylusAction::move, 160, 150);
    EXPECT_TRUE(button->isPressed());
    stylus(StylusAction::up, 160, 150);
    EXPECT_EQ(clicks, 1);
}

TEST_F(ButtonTest, ADragBegunElsewhereNeverPressesTheButton) {
    stylus(StylusAction::down, 20, 20);
    stylus(StylusAction::move, 150, 150);
    EXPECT_FALSE(button->isPressed());
    stylus(StylusAction::up, 150, 150);
    EXPECT_EQ(clicks, 0);
}

TEST_F(ButtonTest, LiftingOverAnotherControlReleasesThePressedButton) {
    SettingStore::instance().addLine(u"button.other.box=100,300,300,400");
    Button other(window, u"other");
    int otherClicks = 0;
    other.setAction(std::make_unique<Counter>(otherClicks));
    ControlHost::addControlFront(window, &other);
    other.layout(client);
    stylus(StylusAction::down, 150, 150);
    stylus(StylusAction::up, 150, 350);
    EXPECT_FALSE(button->isPressed());
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(otherClicks, 0);
}

TEST_F(ButtonTest, TheCaptionIsFormattedWithTheArgumentSafely) {
    SettingStore& store = SettingStore::instance();
    store.addLine(u"button.callitem.text=Call %s");
    store.addLine(u"button.hostile.text=%s%s%n%i");
    Button call(window, u"callitem");
    call.setTextArgument(u"555");
    call.layout(client);
    EXPECT_EQ(call.text(), u"Call 555");
    Button hostile(window, u"hostile");
    hostile.setTextArgument(u"555");
    hostile.layout(client);
    EXPECT_EQ(hostile.text(), u"555%n");
    Button plain(window, u"plain");
    plain.layout(client);
    EXPECT_EQ(plain.text(), u"button.plain.text") << "a missing text shows its key";
}

TEST_F(ButtonTest, PaintAtDrawsElsewhereAndPutsTheButtonBack) {
    platform::Surface surface(screenWidth, screenHeight);
    PaintContext context{surface, screenWidth, screenHeight, 0};
    Rect row{0, 500, 480, 600};
    button->paintAt(context, row, client, true);
    EXPECT_NE(surface.at(10, 510), 0) << "the pressed face was drawn in the row";
    EXPECT_EQ(surface.at(110, 110), 0) << "nothing at the button's own place";
    EXPECT_EQ(button->rect(), (Rect{100, 100, 300, 200}));
    EXPECT_FALSE(button->isPressed());
    Rect clip{0, 500, 5, 600};
    platform::Surface clipped(screenWidth, screenHeight);
    PaintContext clippedContext{clipped, screenWidth, screenHeight, 0};
    button->paintAt(clippedContext, row, clip, false);
    EXPECT_EQ(clipped.at(10, 510), 0) << "the row's clip holds";
}

TEST_F(ButtonTest, ACheckButtonTogglesBeforeItsActionRunsAndShowsTheMark) {
    SettingStore::instance().addLine(u"checkbutton.option.box=0,300,480,400");
    CheckButton check(window, u"option");
    bool seen = false;
    int runs = 0;
    check.setAction(std::make_unique<Counter>(runs, [&] { seen = check.isChecked(); }));
    ControlHost::addControlFront(window, &check);
    check.layout(client);
    repaint();
    // The square sits at 10p..26p; its checked fill is orange inside a 3-pixel margin.
    Colour unchecked = pixel(36, 336);
    tap(200, 350);
    EXPECT_TRUE(check.isChecked());
    EXPECT_TRUE(seen);
    EXPECT_EQ(runs, 1);
    platform::pumpMessages();
    EXPECT_EQ(pixel(36, 336), as565(rgb(0xFF, 0x6A, 0x00)));
    EXPECT_NE(unchecked, pixel(36, 336));
    tap(200, 350);
    EXPECT_FALSE(check.isChecked());
    check.setChecked(true);
    EXPECT_TRUE(check.isChecked());
}

TEST_F(ButtonTest, AMenuButtonMovesWithItsReference) {
    struct Anchor : LightControl {
        explicit Anchor(platform::WindowHandle w) : LightControl(w, u"menupanel", u"anchor") {}
    } anchor(window);
    anchor.setRect({100, 100, 300, 300});
    RelativeButton entry(window, u"entry", &anchor, {10, 10, 110, 50});
    int runs = 0;
    entry.setAction(std::make_unique<Counter>(runs));
    entry.layout(client);
    EXPECT_EQ(entry.rect(), (Rect{110, 110, 210, 150}));
    anchor.setRect({300, 400, 500, 600});
    ControlHost::addControlFront(window, &entry);
    tap(320, 420);
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(entry.rect(), (Rect{310, 410, 410, 450}));
}

// ---- labels ----

TEST_F(Toolkit, ALabelReadsItsTextAtLayoutAndDrawsItsBackground) {
    SettingStore& store = SettingStore::instance();
    store.addLine(u"label.caption.box=0,0,200,100");
    store.addLine(u"label.caption.text=Hello");
    store.addLine(u"label.caption.background=fill(#0000FF)");
    Label label(window, u"caption");
    ControlHost::addControl(window, &label);
    label.layout(client);
    EXPECT_EQ(label.text(), u"Hello");
    repaint();
    EXPECT_EQ(pixel(199, 99), as565(rgb(0, 0, 255)));
    EXPECT_EQ(pixel(200, 99), as565(rgb(0, 0, 0)));
    label.setText(u"Changed");
    EXPECT_EQ(label.text(), u"Changed");
    label.layout(client);
    EXPECT_EQ(label.text(), u"Hello") << "the setting wins again at the next layout";
    SeparatorLabel separator(window, u"section");
    EXPECT_EQ(separator.typeName(), u"separatorlabel");
}

// ---- progress bar ----

TEST_F(Toolkit, AProgressBarFillsWithTimeShowsFullAfterFinishThenHides) {
    SettingStore::instance().addLine(u"progressbar.bar.box=0,700,480,720");
    ProgressBar bar(window, u"bar");
    ControlHost::addControl(window, &bar);
    bar.layout(client);
    repaint();
    EXPECT_NE(pixel(10, 710), as565(rgb(0xFF, 0x6A, 0x00))) << "nothing before the start";

    bar.start();
    advance(50);
    EXPECT_TRUE(bar.isVisible());
    EXPECT_EQ(bar.value(), 50);
    advance(7450);
    EXPECT_EQ(bar.value(), 7500);
    EXPECT_EQ(pixel(100, 710), as565(rgb(0xFF, 0x6A, 0x00)));
    EXPECT_EQ(pixel(400, 710), as565(rgb(0xEE, 0xEE, 0xEE)));

    bar.finish();
    advance(50);
    EXPECT_EQ(bar.value(), bar.maximum());
    EXPECT_TRUE(bar.isVisible());
    EXPECT_EQ(pixel(470, 710), as565(rgb(0xFF, 0x6A, 0x00)));
    advance(50);
    EXPECT_FALSE(bar.isVisible());
    EXPECT_EQ(platform::millisecondsToNextTimer(), -1) << "the tick timer stops";
}

TEST_F(Toolkit, AnUnfinishedProgressBarStaysFullAtTheExpectedEnd) {
    ProgressBar bar(window, u"bar");
    ControlHost::addControl(window, &bar);
    bar.start();
    advance(15000);
    EXPECT_EQ(bar.value(), 15000);
    advance(200);
    EXPECT_FALSE(bar.isVisible());
}

// ---- pictures ----

class PictureTest : public Toolkit {
protected:
    static std::unique_ptr<Image> greenPicture(int width, int height) {
        return Image::FromArgb(platform::ArgbImage(width, height, platform::argb(255, 0, 255, 0)),
                               u"green", true);
    }
};

TEST_F(PictureTest, APictureIsCentredAtItsNaturalSizeAndAMissingOneShowsTheEmptyLook) {
    SettingStore& store = SettingStore::instance();
    store.addLine(u"image.photo.box=100,100,200,200");
    store.addLine(u"image.photo.nopicture.background=fill(#0000FF)");
    store.addLine(u"image.photo.picture.background=fill(#FF0000)");
    PictureControl picture(window, u"photo");
    ControlHost::addControl(window, &picture);
    picture.layout(client);
    repaint();
    EXPECT_EQ(pixel(150, 150), as565(rgb(0, 0, 255)));

    picture.setImage(greenPicture(10, 20));
    platform::pumpMessages();
    EXPECT_EQ(pixel(145, 140), as565(rgb(0, 255, 0)));
    EXPECT_EQ(pixel(154, 159), as565(rgb(0, 255, 0)));
    EXPECT_EQ(pixel(144, 140), as565(rgb(255, 0, 0)));
    EXPECT_EQ(pixel(155, 160), as565(rgb(255, 0, 0)));
}

TEST_F(PictureTest, AMirroringPictureKeepsTheReflection) {
    SettingStore::instance().addLine(u"image.mirrored.ismirror=1");
    PictureControl mirrored(window, u"mirrored");
    mirrored.setImage(greenPicture(10, 20));
    ASSERT_NE(mirrored.image(), nullptr);
    EXPECT_EQ(mirrored.image()->height(), 32);
    PictureControl plain(window, u"plain");
    auto shared = greenPicture(10, 20);
    plain.setSharedImage(shared.get());
    EXPECT_EQ(plain.image(), shared.get());
    plain.setImage(nullptr);
    EXPECT_EQ(plain.image(), nullptr);
    EXPECT_EQ(shared->height(), 20) << "a shared picture is left alone";
}

TEST_F(PictureTest, AnAnimatedChangeRunsTheFadeAfterThePictureIsIn) {
    PictureControl picture(window, u"faded");
    std::vector<Image*> shownDuringFade;
    PictureControl::setFadeTransition(
        [&](platform::WindowHandle w) {
            EXPECT_EQ(w, window);
            shownDuringFade.push_back(picture.image());
        });
    picture.setImage(greenPicture(4, 4));
    EXPECT_TRUE(shownDuringFade.empty()) << "no fade without the animate flag";
    picture.setImage(greenPicture(6, 6), true);
    ASSERT_EQ(shownDuringFade.size(), 1u);
    EXPECT_EQ(shownDuringFade[0], picture.image());
    PictureControl::setFadeTransition({});
    picture.setImage(greenPicture(8, 8), true); // without a fade it simply changes
    EXPECT_EQ(picture.image()->width(), 8);
}

TEST_F(PictureTest, OnlyATapThatStartsAndEndsInsideRunsThePictureAction) {
    SettingStore::instance().addLine(u"image.button.box=100,100,200,200");
    PictureControl picture(window, u"button");
    ControlHost::addControl(window, &picture);
    picture.layout(client);
    stylus(StylusAction::down, 150, 150);
    EXPECT_FALSE(picture.isPressed()) << "without an action it is not a button";
    stylus(StylusAction::up, 150, 150);

    int runs = 0;
    picture.setAction(std::make_unique<Counter>(runs));
    tap(150, 150);
    EXPECT_EQ(runs, 1);
    stylus(StylusAction::down, 150, 150);
    stylus(StylusAction::up, 300, 300);
    EXPECT_EQ(runs, 1);
    EXPECT_FALSE(picture.isPressed());
}

// ---- header ----

class HeaderTest : public Toolkit {
protected:
    void SetUp() override {
        Toolkit::SetUp();
        platform::registry::deleteKey(platform::registry::Root::localMachine, u"System\\State");
        SettingStore& store = SettingStore::instance();
        store.addLine(u"panel.page.box=0,0,100%,100%");
        store.addLine(u"header.*.battery.background=fill(#0000FF)");
        store.addLine(u"header.*.battery.foreground=fill(#00FF00)");
        store.addLine(u"header.*.cellsignal.background=fill(#0000FF)");
        store.addLine(u"header.*.cellsignal.foreground=fill(#00FF00)");
        page = std::make_unique<Panel>(window, u"page");
        ControlHost::addControl(window, page.get());
        page->layout(client);
    }
    void TearDown() override {
        HeaderLabel::setMenuOpener({});
        HeaderLabel::setTimeSource({});
        Toolkit::TearDown();
    }
    static void setBattery(uint32_t level) {
        platform::registry::writeDword(platform::registry::Root::localMachine,
                                       u"System\\State\\Battery", u"Main", level << 16 | 0x1234);
    }
    static void setSignal(uint32_t percent) {
        platform::registry::writeDword(platform::registry::Root::localMachine,
                                       u"System\\State\\Phone", u"Signal Strength Raw", percent);
    }

    const Colour gaugeFill = as565(rgb(0, 255, 0));
    const Colour gaugeBack = as565(rgb(0, 0, 255));
    std::unique_ptr<Panel> page;
};

// The battery box is -20p,2p,-2p,10p: x 440..475 on a 480-pixel screen.
TEST_F(HeaderTest, ABatteryLevelOf81FillsTheGaugeExactly) {
    setBattery(81);
    repaint();
    EXPECT_EQ(pixel(440, 10), gaugeFill);
    EXPECT_EQ(pixel(475, 10), gaugeFill);
    EXPECT_NE(pixel(476, 10), gaugeFill);
    EXPECT_NE(pixel(439, 10), gaugeFill);
}

TEST_F(HeaderTest, ABatteryLevelAbove81StaysInsideTheGauge) {
    setBattery(200);
    repaint();
    EXPECT_EQ(pixel(475, 10), gaugeFill);
    EXPECT_NE(pixel(476, 10), gaugeFill);
    EXPECT_NE(pixel(479, 10), gaugeFill);
}

TEST_F(HeaderTest, PartialLevelsFillTheirShareOfTheGauges) {
    setBattery(27); // a third: 12 of 36 pixels
    setSignal(50);  // half of 4..39: 18 pixels
    repaint();
    EXPECT_EQ(pixel(451, 10), gaugeFill);
    EXPECT_EQ(pixel(452, 10), gaugeBack);
    EXPECT_EQ(pixel(21, 10), gaugeFill);
    EXPECT_EQ(pixel(22, 10), gaugeBack);
}

TEST_F(HeaderTest, UnreadableStateGivesEmptyGaugesAndNoNetwork) {
    HeaderLabel::Status status = page->header()->readStatus();
    EXPECT_EQ(status.batteryLevel, 0);
    EXPECT_EQ(status.signalPercent, 0);
    EXPECT_EQ(status.network, u"No network");
    repaint();
    EXPECT_EQ(pixel(440, 10), gaugeBack);
    platform::registry::writeString(platform::registry::Root::localMachine, u"System\\State\\Phone",
                                    u"Current Operator Name", u"Vantel");
    EXPECT_EQ(page->header()->readStatus().network, u"Vantel");
}

TEST_F(HeaderTest, TheClockShowsTheNewMinuteWithinSixSeconds) {
    setenv("TZ", "UTC", 1);
    tzset();
    std::time_t now = 45300 + 58; // 12:35:58 on the first day of 1970, UTC
    HeaderLabel::setTimeSource([&] { return now; });
    HeaderLabel& header = *page->header();
    EXPECT_EQ(header.clockText(), u"12:35");
    repaint();
    Rect timeBox = header.getBox(u"time.box", LightControl::noCache).rectangle(header.rect());
    auto snapshot = [&] {
        std::vector<Colour> pixels;
        for (int y = timeBox.top; y < timeBox.bottom; ++y)
            for (int x = timeBox.left; x < timeBox.right; ++x)
                pixels.push_back(pixel(x, y));
        return pixels;
    };
    auto before = snapshot();
    now += 4;
    advance(5000);
    EXPECT_EQ(snapshot(), before) << "nothing repaints the clock before its timer";
    advance(1000);
    EXPECT_EQ(header.clockText(), u"12:36");
    EXPECT_NE(snapshot(), before) << "the clock timer repainted the time";
}

TEST_F(HeaderTest, ATapInTheHitAreaOpensTheMenuOnlyWhenItStartedAndEndedThere) {
    int opened = 0;
    HeaderLabel::setMenuOpener([&](HeaderLabel& header) {
        EXPECT_EQ(header.owner(), page.get());
        ++opened;
    });
    tap(240, 40); // hit box 40p..-40p: 80..399
    EXPECT_EQ(opened, 1);
    tap(40, 40);
    EXPECT_EQ(opened, 1);
    stylus(StylusAction::down, 240, 40);
    stylus(StylusAction::up, 40, 40);
    EXPECT_EQ(opened, 1);
    tap(240, 400);
    EXPECT_EQ(opened, 1) << "below the header";
}

TEST_F(HeaderTest, WithoutAMenuATapOnTheHeaderDoesNothing) {
    Colour before = pixel(240, 60);
    tap(240, 40);
    EXPECT_EQ(pixel(240, 60), before);
}

} // namespace
} // namespace vantrel
