#pragma once
// The base of every self-drawn control. A control lives on one window, reads its look
// from the setting store by its type name ("button"), its instance name ("callitem")
// and a property ("background.pressed"), and turns input into the rectangle it changed
// so the host repaints exactly that.
//
// The setting getters remember what they returned in small per-control caches (16
// entries per kind, chosen by the caller's index; -1 does not cache), because the store
// resolves keys through wildcards. The cached objects belong to the store and stay
// valid until its next cache clear, after which reloadSettings empties the caches.

#include "platform/core/Geometry.h"
#include "platform/core/Window.h"
#include "ui/PaintContext.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace vantrel {

class Background;
class Box;
class DumpWriter;
class Font;

class LightControl {
public:
    static constexpr int cacheSize = 16;
    static constexpr int noCache = -1;
    // The box slot the base layout uses; subclasses keep their own boxes below it.
    static constexpr int layoutBoxSlot = 15;

    // A null window is a programming error and stops the program.
    LightControl(platform::WindowHandle window, std::u16string typeName, std::u16string name);
    virtual ~LightControl();
    LightControl(const LightControl&) = delete;
    LightControl& operator=(const LightControl&) = delete;

    // Places the control: the setting "box" relative to `reference`.
    virtual void layout(const platform::Rect& reference);
    // Before the host animates or re-renders the whole screen.
    virtual void beginScreenChange() {}
    // After the screen content changed.
    virtual void endScreenChange() {}
    // Draws into the off-screen buffer, touching only pixels inside `clip`.
    virtual int paint(PaintContext& context, platform::Rect clip);
    // Input returns the rectangle to repaint; the empty rectangle means not handled.
    virtual platform::Rect onStylusDown(int x, int y);
    virtual platform::Rect onStylusMove(int x, int y);
    virtual platform::Rect onStylusUp(int x, int y);
    // Offered to every control after a stylus up, so pressed states end everywhere.
    virtual platform::Rect onStylusRelease(int x, int y);
    // A virtual key (0 for a character) or a character (0 for a key).
    virtual platform::Rect onKey(int virtualKey, char16_t character);
    // Forgets every cached setting value; after a theme, language or orientation change.
    virtual void reloadSettings();
    // True when the timer is this control's.
    virtual bool onTimer(uintptr_t id);
    // Adds what the control shows to the control dump (type, name, rectangle and
    // visibility are written by the base; subclasses add texts, states, children).
    virtual void describe(DumpWriter& out) const;

    platform::WindowHandle window() const { return window_; }
    const std::u16string& name() const { return name_; }
    const std::u16string& typeName() const { return typeName_; }
    const platform::Rect& rect() const { return rect_; }
    void setRect(const platform::Rect& rect) { rect_ = rect; }
    // The flag alone: screen swaps decide themselves how the change reaches the screen
    // (a transition or a full render), so showing or hiding requests no repaint here.
    bool isVisible() const { return visible_; }
    void setVisible(bool visible) { visible_ = visible; }

    // Setting lookups by (typeName, name, key). The objects belong to the store.
    const Box& getBox(std::u16string_view key, int cacheIndex);
    const Font& getFont(std::u16string_view key, int cacheIndex);
    const Background& getBackground(std::u16string_view key, int cacheIndex);
    // A measure ("250", "8p"); 0 when missing.
    int getInt(std::u16string_view key, int cacheIndex);
    // The setting's text, or its full key when no line exists.
    std::u16string getText(std::u16string_view key) const;
    // True when a line answers for the key (instance, wildcard or default).
    bool hasSetting(std::u16string_view key) const;

    // The id of this control's own window timers: its address, so ids never collide.
    uintptr_t timerId() const { return reinterpret_cast<uintptr_t>(this); }
    // Asks the window to repaint `area`; an empty area asks for nothing.
    void invalidate(const platform::Rect& area) const;
    // Asks the window to repaint its whole client area.
    void invalidateWindow() const;

private:
    std::array<const Box*, cacheSize> boxes_{};
    std::array<const Font*, cacheSize> fonts_{};
    std::array<const Background*, cacheSize> backgrounds_{};
    std::array<std::optional<int>, cacheSize> integers_{};
    std::u16string name_;
    std::u16string typeName_;
    platform::WindowHandle window_ = 0;
    bool visible_ = true;
    platform::Rect rect_;
};

// Draws a background over `rect`, only where it meets `clip`. A "none" background and
// a rectangle outside the clip draw nothing.
void drawBackground(PaintContext& context, const Background& background, const platform::Rect& rect,
                    const platform::Rect& clip);

} // namespace vantrel
