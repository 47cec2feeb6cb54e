// The phone pad on a real window in virtual time: what its keys type into the focused
// window (clicks, long presses, "C"), its slide in and out, and the key map it reads.

#include "tests/ui/ToolkitFixture.h"

#include "phone/PhonePad.h"

namespace vantrel::test {

namespace {

// Stands for whatever has the keyboard: records the characters and keys that reach it.
class Typist : public LightControl {
public:
    explicit Typist(platform::WindowHandle window) : LightControl(window, u"probe", u"typist") {}
    platform::Rect onKey(int virtualKey, char16_t character) override {
        if (virtualKey == int(platform::key::back))
            typed += u"<back>";
        else if (virtualKey == 0)
            typed += character;
        return {};
    }
    std::u16string typed;
};

} // namespace

class PhonePadTest : public Toolkit {
protected:
    void SetUp() override {
        Toolkit::SetUp();
        pad = std::make_unique<PhonePad>(window, u"phonepad");
        typist = std::make_unique<Typist>(window);
        ControlHost::addControl(window, pad.get());
        ControlHost::addControl(window, typist.get());
        platform::setFocus(window);
        ControlHost::layoutAll(window, client);
        repaint();
    }
    void TearDown() override {
        ControlHost::removeControl(window, typist.get());
        ControlHost::removeControl(window, pad.get());
        pad.reset();
        Toolkit::TearDown();
    }

    // The centre of a key as it stands now.
    platform::Point centre(std::u16string_view key) const {
        platform::Rect r = pad->findChild(key)->rect();
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    void press(std::u16string_view key, uint32_t holdMs) {
        platform::Point at = centre(key);
        stylus(platform::StylusAction::down, at.x, at.y);
        advance(holdMs);
        stylus(platform::StylusAction::up, at.x, at.y);
        advance(10);
    }

    std::unique_ptr<PhonePad> pad;
    std::unique_ptr<Typist> typist;
};

TEST_F(PhonePadTest, SlidesInFromBelowItsPlaceAndOutAgain) {
    // Hidden at start: it waits one height below its box (0,-170p,100%,-30p).
    pad->setVisible(false);
    pad->layout(client);
    EXPECT_EQ(pad->rect(), (platform::Rect{0, 800 - 340 + 280, 480, 800 - 60 + 280}));
    pad->toggle();
    EXPECT_TRUE(pad->isVisible());
    EXPECT_EQ(pad->rect(), (platform::Rect{0, 460, 480, 740}));
    // The keys came along: "1" sits in the pad's top-left corner.
    EXPECT_EQ(pad->findChild(u"1")->rect().top, 460);
    pad->toggle();
    EXPECT_FALSE(pad->isVisible());
    EXPECT_EQ(pad->rect().top, 740);
}

TEST_F(PhonePadTest, KeysTypeIntoTheFocusedWindowAndLongPressesTheirSecondCharacter) {
    press(u"5", 50);
    press(u"2", 50);
    // Held past the button's long-press delay: "+" instead of "0", "*" instead of "#".
    press(u"0", 400);
    press(u"#", 400);
    press(u"0", 50);
    press(u"C", 50);
    // "C" is a Backspace key press, which the focused window handles as it likes.
    EXPECT_EQ(typist->typed, u"52+*0<back>");
}

TEST_F(PhonePadTest, TheKeyMapHoldsEachPieceWithItsAccentedLetters) {
    const PhoneKeyMap& map = pad->keyMap();
    ASSERT_EQ(map.entries().size(), 11u);
    EXPECT_EQ(*map.lettersOf(u'3'), u"3deféèëê");
    EXPECT_EQ(*map.lettersOf(u'8'), u"8tuvûü");
    EXPECT_EQ(*map.lettersOf(u'#'), u"#");
    EXPECT_EQ(map.lettersOf(u'0'), nullptr);
    // The main screen's pad publishes what it read.
    EXPECT_EQ(PhoneKeyMap::current()->entries().size(), 11u);
    // A theme's map of two pieces, read at the next layout.
    SettingStore::instance().addLine(u"phonepad.*.keys.map=1,2xyz");
    ControlHost::layoutAll(window, {0, 0, 480, 801});
    ASSERT_EQ(pad->keyMap().entries().size(), 2u);
    EXPECT_EQ(pad->keyMap().entries()[1].key, u'2');
    EXPECT_EQ(pad->keyMap().entries()[1].text, u"2xyz");
    EXPECT_EQ(PhoneKeyMap::current()->entries().size(), 2u);
}

} // namespace vantrel::test
