#include "platform/display/ScreenComposer.h"

#include <algorithm>

namespace vantrel::platform {

namespace {

constexpr Colour taskBarColour = rgb(0x10, 0x18, 0x30);
constexpr Colour taskBarLine = rgb(0x40, 0x50, 0x80);
constexpr Colour desktopColour = rgb(0x30, 0x30, 0x30);

void fill(Surface& surface, Rect area, Colour colour) {
    area = area.intersected(surface.bounds());
    Pixel565 p = toPixel565(colour);
    for (int y = area.top; y < area.bottom; ++y)
        std::fill_n(surface.row(y) + area.left, area.width(), p);
}

void copyWindow(Surface& screen, const Surface& buffer, Rect windowRect, Rect damaged) {
    Rect target = damaged.offsetBy(windowRect.left, windowRect.top)
                      .intersected(windowRect)
                      .intersected(screen.bounds());
    for (int y = target.top; y < target.bottom; ++y) {
        const Pixel565* source = buffer.row(y - windowRect.top) + (target.left - windowRect.left);
        std::copy_n(source, target.width(), screen.row(y) + target.left);
    }
}

} // namespace

void ScreenComposer::resize(Size size) {
    screen_ = Surface(size.width, size.height);
    recompose();
}

void ScreenComposer::drawTaskBar() {
    int h = taskBarHeight();
    fill(screen_, {0, 0, screen_.width(), h - 1}, taskBarColour);
    fill(screen_, {0, h - 1, screen_.width(), h}, taskBarLine);
}

bool ScreenComposer::coveredAbove(WindowHandle window, Rect area) const {
    for (WindowHandle above : localWindows()) {
        if (above == window)
            return false;
        if (isWindowVisible(above) && windowRect(above).intersected(area) == area)
            return true;
    }
    return false;
}

Rect ScreenComposer::present(WindowHandle window, const Surface& buffer, Rect windowRect,
                             Rect damaged) {
    Rect area = damaged.offsetBy(windowRect.left, windowRect.top).intersected(screen_.bounds());
    if (area.isEmpty() || coveredAbove(window, area))
        return {};
    copyWindow(screen_, buffer, windowRect, damaged);
    if (isTaskBarVisible() && area.top < taskBarHeight())
        drawTaskBar();
    return area;
}

void ScreenComposer::recompose() {
    fill(screen_, screen_.bounds(), desktopColour);
    auto windows = localWindows();
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        if (!isWindowVisible(*it))
            continue;
        if (const Surface* buffer = windowBuffer(*it)) {
            Rect rect = windowRect(*it);
            copyWindow(screen_, *buffer, rect, {0, 0, rect.width(), rect.height()});
        }
    }
    if (isTaskBarVisible())
        drawTaskBar();
}

} // namespace vantrel::platform
