#pragma once
// A real window on X11 or Wayland showing the emulated phone screen through an RGB565
// streaming texture. Only the damaged part of the texture is uploaded each frame.
// Mouse and touch become the stylus, keys become virtual keys, SDL text input becomes
// characters (the on-screen keyboard where the system has one).

#include "platform/display/Display.h"
#include "platform/display/ScreenComposer.h"

#include <cstdint>

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;
union SDL_Event;

namespace vantrel::platform {

class SdlDisplay : public Display {
public:
    // Opens the window; on failure `error` says why and the object is unusable.
    SdlDisplay(Size screen, std::string& error);
    ~SdlDisplay() override;
    bool ok() const { return texture_ != nullptr; }

    void waitForEvents(int timeoutMs) override;
    void wake() override;
    Size screenSize() const override { return composer_.size(); }
    int taskBarHeight() const override { return composer_.taskBarHeight(); }
    void present(WindowHandle window, const Surface& buffer, Rect windowRect,
                 Rect damaged) override;
    void windowsChanged() override;
    void taskBarChanged(bool) override { windowsChanged(); }
    void messageBox(WindowHandle owner, const std::u16string& text,
                    const std::u16string& caption) override;
    void startTextInput(Rect caret) override;
    bool setClipboardText(const std::u16string& text) override;
    std::optional<std::u16string> clipboardText() override;
    void raise() override;

    const Surface& screen() const override { return composer_.screen(); }
    void setScreenSize(Size size) override;
    BackendKind kind() const override { return BackendKind::sdl; }

private:
    void handle(const SDL_Event& event);
    void upload(Rect area);
    bool createTexture(std::string& error);

    ScreenComposer composer_;
    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    uint32_t wakeEvent_ = 0;
    bool stylusDown_ = false;
};

} // namespace vantrel::platform
