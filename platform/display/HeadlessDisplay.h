#pragma once
// The headless screen: no window system, frames kept in memory, input only from
// scripts and tests, message boxes on standard error. It switches the clock to virtual
// time, so waiting is instant and every run shows the same frames.

#include "platform/display/Display.h"
#include "platform/display/ScreenComposer.h"

#include <atomic>
#include <condition_variable>
#include <mutex>

namespace vantrel::platform {

class HeadlessDisplay : public Display {
public:
    explicit HeadlessDisplay(Size screen);

    void waitForEvents(int timeoutMs) override;
    void wake() override;
    Size screenSize() const override { return composer_.size(); }
    int taskBarHeight() const override { return composer_.taskBarHeight(); }
    void present(WindowHandle window, const Surface& buffer, Rect windowRect,
                 Rect damaged) override;
    void windowsChanged() override { composer_.recompose(); }
    void taskBarChanged(bool) override { composer_.recompose(); }
    void messageBox(WindowHandle owner, const std::u16string& text,
                    const std::u16string& caption) override;

    const Surface& screen() const override { return composer_.screen(); }
    void setScreenSize(Size size) override { composer_.resize(size); }
    BackendKind kind() const override { return BackendKind::headless; }

private:
    ScreenComposer composer_;
    std::mutex mutex_;
    std::condition_variable woken_;
    bool wakeRequested_ = false;
};

} // namespace vantrel::platform
