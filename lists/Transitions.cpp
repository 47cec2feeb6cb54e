#include "lists/Transitions.h"

#include "platform/core/Backend.h"
#include "platform/core/Clock.h"
#include "platform/gfx/Painter.h"
#include "settings/SettingStore.h"
#include "ui/ControlHost.h"
#include "ui/LightControl.h"

#include <cstdio>
#include <cstring>
#include <memory>

namespace vantrel {

using platform::Rect;
using platform::Surface;
using platform::WindowHandle;

namespace {

// Measures the time of a frame loop. In virtual time every frame takes the fixed step,
// so the frames of a run do not depend on how fast the machine is.
class FrameClock {
public:
    FrameClock() : start_(platform::tickCount()) {}
    int elapsed() const { return static_cast<int>(platform::tickCount() - start_); }
    void frameShown() {
        if (platform::isVirtualClock())
            platform::advanceVirtualClock(transitionFrameStepMs);
    }

private:
    uint32_t start_;
};

// Puts the changed part of the window buffer on the screen.
void show(WindowHandle window, const Surface& buffer, const Rect& area) {
    if (platform::Backend* backend = platform::installedBackend())
        backend->present(window, buffer, platform::windowRect(window), area);
}

// The host's paint walk over the whole of `target`: the top-level controls from the last
// to the first, so the first is drawn on top.
void paintControls(const ControlHost& host, Surface& target) {
    PaintContext context{target, target.width(), target.height(), 0};
    const auto& controls = host.controls();
    for (size_t i = controls.size(); i-- > 0;) {
        if (!controls[i]->isVisible())
            continue;
        ++context.paintCount;
        controls[i]->paint(context, target.bounds());
    }
}

int duration(std::u16string_view key) {
    return SettingStore::instance().globalMeasure(key);
}

const Background& background(std::u16string_view key) {
    return SettingStore::instance().globalBackground(key);
}

Rect client(WindowHandle window) {
    return platform::clientRect(window);
}

} // namespace

int runTransition(WindowHandle window, ScreenAnimation& animation, std::optional<Rect> area) {
    ControlHost::beginScreenChangeAll(window);
    ControlHost* host = ControlHost::find(window);
    if (!host)
        return 0;
    Surface* screen = platform::windowBuffer(window);
    const Surface& oldPicture = host->backBuffer();
    if (!screen || oldPicture.isEmpty()) {
        // Nothing was ever shown, so there is nothing to animate from.
        ControlHost::renderAll(window);
        platform::invalidateRect(window);
        return 0;
    }

    Surface newPicture(oldPicture.width(), oldPicture.height());
    paintControls(*host, newPicture);
    const Rect drawn = area.value_or(client(window))
                           .intersected(oldPicture.bounds())
                           .intersected(screen->bounds());
    int frames = 0;
    if (!drawn.isEmpty()) {
        FrameClock clock;
        for (bool done = false; !done;) {
            animation.drawFrame(done, clock.elapsed(), oldPicture, newPicture, *screen, drawn);
            show(window, *screen, drawn);
            ++frames;
            if (!done)
                clock.frameShown();
        }
    }

    // The new state everywhere, also outside the animated area, then in the host's
    // buffer so the next paint starts from it.
    const Rect whole = newPicture.bounds().intersected(screen->bounds());
    for (int y = whole.top; y < whole.bottom; ++y)
        std::memcpy(screen->row(y), newPicture.row(y),
                    static_cast<size_t>(whole.width()) * sizeof(platform::Pixel565));
    show(window, *screen, whole);
    ControlHost::renderAll(window);
    platform::invalidateRect(window);
    return frames;
}

void slideTransition(WindowHandle window, int direction, const Rect& area) {
    const Rect drawn = area.intersected(client(window));
    SlideScreenAnimation animation(duration(u"slide.duration"), direction, drawn.width());
    runTransition(window, animation, drawn);
}

void switchTransition(WindowHandle window, int direction, const Rect& area) {
    const Rect drawn = area.intersected(client(window));
    SwitchScreenAnimation animation(duration(u"switch.duration"), direction, drawn.width(),
                                    background(u"switch.background"));
    runTransition(window, animation, drawn);
}

void flipTransition(WindowHandle window, int direction) {
    FlipScreenAnimation animation(duration(u"flip.duration"), direction,
                                  background(u"flip.background"));
    runTransition(window, animation);
}

void slideFadeTransition(WindowHandle window) {
    SlideFadeInOutAnimation animation(duration(u"fade.duration"), client(window).height());
    runTransition(window, animation);
}

void reverseSlideFadeTransition(WindowHandle window) {
    ReverseAnimation animation(std::make_unique<SlideFadeInOutAnimation>(duration(u"fade.duration"),
                                                                         client(window).height()));
    runTransition(window, animation);
}

void fadeTransition(WindowHandle window) {
    FadeInOutAnimation animation(duration(u"fade.duration"), client(window).height());
    runTransition(window, animation);
}

void genieTransition(WindowHandle window, const Rect& source) {
    GenieAnimation animation(duration(u"genie.duration"), source);
    runTransition(window, animation);
}

void reverseGenieTransition(WindowHandle window, const Rect& source) {
    ReverseAnimation animation(
        std::make_unique<GenieAnimation>(duration(u"genie.duration"), source));
    runTransition(window, animation);
}

int fadeOutWindow(WindowHandle window) {
    ControlHost::beginScreenChangeAll(window);
    Surface* screen = platform::windowBuffer(window);
    if (!screen)
        return 0;
    const platform::Colour colour = SettingStore::instance().globalColour(u"fadecolor");
    ControlHost* host = ControlHost::find(window);
    if (!host || host->backBuffer().isEmpty()) {
        platform::Painter(*screen).fillSolid(screen->bounds(), colour);
        show(window, *screen, screen->bounds());
        platform::invalidateRect(window);
        return 0;
    }

    // The tint works on the window buffer, which keeps each result, so every frame tints
    // the previous one further; the host's buffer stays clean for the next paint.
    paintControls(*host, *screen);
    int frames = 0;
    FrameClock clock;
    for (int elapsed = clock.elapsed(); elapsed <= fadeOutDurationMs; elapsed = clock.elapsed()) {
        platform::tintSurface(*screen, colour, elapsed * 255 / fadeOutDurationMs);
        show(window, *screen, screen->bounds());
        ++frames;
        clock.frameShown();
    }
    std::fprintf(stderr, "%i frames\n", frames);
    platform::invalidateRect(window);
    return frames;
}

} // namespace vantrel
