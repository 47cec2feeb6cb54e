#pragma once
// The twelve-key phone pad drawn over the bottom of a screen. A key does not call into
// the screen that shows the pad: it types its characters into whichever window has the
// keyboard focus, as a hardware keyboard would, so the contact search, the dialer and
// any edit field take the pad's input through their ordinary key handling. A long
// press types the key's second character ("0" gives "+", "#" gives "*"); "C" erases.
//
// The main screen keeps its pad hidden below its place until the phone button slides
// it in. The main screen's pad also publishes its "keys.map", which lets the contact
// search read a typed digit as the letters of its key.

#include "phone/PhoneKeyMap.h"
#include "ui/Action.h"
#include "ui/Button.h"
#include "ui/ContainerPanel.h"

#include <vector>

namespace vantrel {

// Types a text into the focused window; "\C" is a Backspace press instead.
class KeyAction : public Action {
public:
    static constexpr std::u16string_view eraseText = u"\\C";
    explicit KeyAction(std::u16string text) : text_(std::move(text)) {}
    void execute() override;
    const std::u16string& text() const { return text_; }

private:
    std::u16string text_;
};

// One key: its label ("text") over its letters ("letter.text").
class PhonePadKey : public Button {
public:
    PhonePadKey(platform::WindowHandle window, std::u16string name);
    void layout(const platform::Rect& reference) override;
    void describe(DumpWriter& out) const override;
    const std::u16string& letters() const { return letters_; }

protected:
    void drawFace(PaintContext& context, const platform::Rect& clip) override;

private:
    std::u16string letters_;
};

class PhonePad : public ContainerPanel {
public:
    // "phonepad" on the main screen (which publishes its key map), another name in the
    // dialer.
    PhonePad(platform::WindowHandle window, std::u16string name);

    // Places the pad (below its box while hidden), its keys within "digit.box", and
    // reads the key map again.
    void layout(const platform::Rect& reference) override;
    int paint(PaintContext& context, platform::Rect clip) override;
    platform::Rect onStylusDown(int x, int y) override;
    platform::Rect onStylusUp(int x, int y) override;
    void describe(DumpWriter& out) const override;

    // Slides the pad in when hidden, out when shown.
    void toggle();
    const PhoneKeyMap& keyMap() const { return keyMap_; }
    bool isTouched() const { return touched_; }

private:
    // The keys follow the pad when an animation moves it.
    void moveKeysWithPad();

    PhoneKeyMap keyMap_;
    std::vector<PhonePadKey*> keys_;
    // The top of the pad's box, where it rests while shown.
    int placeTop_ = 0;
    int keysTop_ = 0;
    bool touched_ = false;
};

} // namespace vantrel
