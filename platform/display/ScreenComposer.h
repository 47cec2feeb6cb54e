#pragma once
// Keeps the composed picture of the screen that both backends show: the task bar strip
// while it shows, then every visible top-level window's buffer, bottom to top.

#include "platform/core/Backend.h"
#include "platform/gfx/Surface.h"

namespace vantrel::platform {

class ScreenComposer {
public:
    explicit ScreenComposer(Size screen) : screen_(screen.width, screen.height) {}

    const Surface& screen() const { return screen_; }
    Size size() const { return {screen_.width(), screen_.height()}; }
    void resize(Size size);

    // The task bar is a fixed fraction of the screen: 26 pixels on a 240-wide screen.
    int taskBarHeight() const { return screen_.width() > 320 ? 52 : 26; }

    // Copies the damaged part of one window; returns the changed screen rectangle.
    Rect present(WindowHandle window, const Surface& buffer, Rect windowRect, Rect damaged);
    // Redraws everything: after moves, shows, hides and task bar changes.
    void recompose();

private:
    void drawTaskBar();
    // The part of `area` (screen coordinates) of `window` not hidden by windows above it.
    bool coveredAbove(WindowHandle window, Rect area) const;

    Surface screen_;
};

} // namespace vantrel::platform
