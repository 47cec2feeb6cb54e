#include "phone/PhonePad.h"

#include "lists/Animation.h"
#include "platform/text/TextDrawing.h"
#include "settings/Box.h"
#include "settings/Font.h"
#include "ui/ControlDump.h"

namespace vantrel {

using platform::Rect;

namespace {

enum BackgroundSlot { padLook, keyLook, keyPressedLook };
enum BoxSlot { digitBox, letterBox, digitPressedBox, letterPressedBox, padDigitBox };
enum FontSlot { digitFont, letterFont, digitPressedFont, letterPressedFont };
enum IntSlot { showDurationSlot, hideDurationSlot };

constexpr unsigned centred = platform::TextFormat::Centre | platform::TextFormat::VerticalCentre |
                             platform::TextFormat::NoPrefix;

// The keys in creation order: name, what a click types, what a long press types.
struct KeyEntry {
    const char16_t* name;
    const char16_t* click;
    const char16_t* longPress;
};
constexpr KeyEntry keyEntries[] = {
    {u"1", u"1", nullptr}, {u"2", u"2", nullptr}, {u"3", u"3", nullptr},
    {u"4", u"4", nullptr}, {u"5", u"5", nullptr}, {u"6", u"6", nullptr},
    {u"7", u"7", nullptr}, {u"8", u"8", nullptr}, {u"9", u"9", nullptr},
    {u"#", u"#", u"*"},    {u"0", u"0", u"+"},    {u"C", KeyAction::eraseText.data(), nullptr},
};

} // namespace

// ---- KeyAction ----

void KeyAction::execute() {
    // Where the keyboard's input would go: the focus window, else the active one.
    platform::WindowHandle focus = platform::focusWindow();
    if (!focus)
        focus = platform::activeWindow();
    if (!focus)
        return;
    if (text_ == eraseText) {
        platform::postMessage(focus, platform::msg::keyDown, platform::key::back);
        platform::postMessage(focus, platform::msg::keyUp, platform::key::back);
        return;
    }
    for (char16_t c : text_)
        platform::postMessage(focus, platform::msg::character, c);
}

// ---- PhonePadKey ----

PhonePadKey::PhonePadKey(platform::WindowHandle window, std::u16string name)
    : Button(window, u"phonepadkey", std::move(name)) {}

void PhonePadKey::layout(const Rect& reference) {
    Button::layout(reference);
    letters_ = getText(u"letter.text");
}

void PhonePadKey::drawFace(PaintContext& context, const Rect& clip) {
    const bool pressed = isPressed();
    drawBackground(context, stateBackground(), rect(), clip);
    const Box& digits =
        pressed ? getBox(u"digit.box.pressed", digitPressedBox) : getBox(u"digit.box", digitBox);
    const Font& digitLook = pressed ? getFont(u"digit.font.pressed", digitPressedFont)
                                    : getFont(u"digit.font", digitFont);
    digitLook.drawText(context.surface, text(), digits.rectangle(rect()), centred, clip);
    if (letters_.empty())
        return;
    const Box& letters = pressed ? getBox(u"letter.box.pressed", letterPressedBox)
                                 : getBox(u"letter.box", letterBox);
    const Font& letterLook = pressed ? getFont(u"letter.font.pressed", letterPressedFont)
                                     : getFont(u"letter.font", letterFont);
    letterLook.drawText(context.surface, letters_, letters.rectangle(rect()), centred, clip);
}

void PhonePadKey::describe(DumpWriter& out) const {
    Button::describe(out);
    out.add("letters", std::u16string_view(letters_));
}

// ---- PhonePad ----

PhonePad::PhonePad(platform::WindowHandle window, std::u16string name)
    : ContainerPanel(window, u"phonepad", std::move(name)) {
    for (const KeyEntry& entry : keyEntries) {
        auto key = std::make_unique<PhonePadKey>(window, entry.name);
        key->setAction(std::make_unique<KeyAction>(entry.click));
        if (entry.longPress)
            key->setLongPressAction(std::make_unique<KeyAction>(entry.longPress));
        keys_.push_back(addChild(std::move(key)));
    }
}

void PhonePad::layout(const Rect& reference) {
    LightControl::layout(reference);
    placeTop_ = rect().top;
    if (!isVisible())
        setRect(rect().offsetBy(0, rect().height()));
    Rect digits = getBox(u"digit.box", padDigitBox).rectangle(rect());
    for (PhonePadKey* key : keys_)
        key->layout(digits);
    keysTop_ = rect().top;
    // Read again at every layout: a theme or language may have changed the keys.
    const std::u16string map = hasSetting(u"keys.map") ? getText(u"keys.map") : std::u16string();
    keyMap_ = PhoneKeyMap(map);
    if (name() == u"phonepad")
        PhoneKeyMap::publish(map);
}

void PhonePad::moveKeysWithPad() {
    const int dy = rect().top - keysTop_;
    if (dy == 0)
        return;
    for (PhonePadKey* key : keys_)
        key->setRect(key->rect().offsetBy(0, dy));
    keysTop_ = rect().top;
}

int PhonePad::paint(PaintContext& context, Rect clip) {
    moveKeysWithPad();
    if (rect().intersected(clip).isEmpty())
        return 0;
    drawBackground(context, getBackground(u"background", padLook), rect(), clip);
    return ContainerPanel::paint(context, clip);
}

Rect PhonePad::onStylusDown(int x, int y) {
    moveKeysWithPad();
    touched_ = rect().contains({x, y});
    Rect dirty = ContainerPanel::onStylusDown(x, y);
    // A press between the keys is still the pad's: the list below must not scroll.
    return dirty.isEmpty() && touched_ ? rect() : dirty;
}

Rect PhonePad::onStylusUp(int x, int y) {
    touched_ = false;
    return ContainerPanel::onStylusUp(x, y);
}

void PhonePad::toggle() {
    const Rect client = platform::clientRect(window());
    const bool showing = !isVisible();
    // Which key serves which direction is as the themes have it: "hide.duration" while
    // the pad comes in, "show.duration" while it goes.
    const int duration = showing ? getInt(u"hide.duration", hideDurationSlot)
                                 : getInt(u"show.duration", showDurationSlot);
    const int target = showing ? placeTop_ : placeTop_ + rect().height();
    setVisible(true);
    runControlAnimation(window(), *this,
                        std::make_unique<VerticalSlideAnimation>(*this, target, duration, client));
    moveKeysWithPad();
    setVisible(showing);
    invalidate(client);
}

void PhonePad::describe(DumpWriter& out) const {
    ContainerPanel::describe(out);
    out.add("keymap", static_cast<int>(keyMap_.entries().size()));
}

} // namespace vantrel
