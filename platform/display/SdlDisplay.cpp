#include "platform/display/SdlDisplay.h"

#include "platform/core/Clipboard.h"
#include "platform/core/Utf.h"

#include <cstring>

#include <SDL.h>

namespace vantrel::platform {

namespace {

uint32_t virtualKeyFor(SDL_Keycode key) {
    switch (key) {
    case SDLK_BACKSPACE: return key::back;
    case SDLK_TAB: return key::tab;
    // The phone's centre key; a keyboard's Enter stands in for it.
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return key::action;
    case SDLK_ESCAPE: return key::escape;
    case SDLK_SPACE: return key::space;
    case SDLK_PAGEUP: return key::pageUp;
    case SDLK_PAGEDOWN: return key::pageDown;
    case SDLK_HOME: return key::home;
    case SDLK_END: return key::end;
    case SDLK_LEFT: return key::left;
    case SDLK_UP: return key::up;
    case SDLK_RIGHT: return key::right;
    case SDLK_DOWN: return key::down;
    case SDLK_DELETE: return key::deleteKey;
    default: break;
    }
    if (key >= SDLK_a && key <= SDLK_z)
        return 'A' + (key - SDLK_a);
    if (key >= SDLK_0 && key <= SDLK_9)
        return '0' + (key - SDLK_0);
    return 0;
}

} // namespace

SdlDisplay::SdlDisplay(Size screen, std::string& error) : composer_(screen) {
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    // A long composition (a sentence in an input method) arrives whole, not cut at 32 bytes.
    SDL_SetHint(SDL_HINT_IME_SUPPORT_EXTENDED_TEXT, "1");
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        error = std::string("cannot start SDL video: ") + SDL_GetError();
        return;
    }
    window_ = SDL_CreateWindow("Vantrel", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                               screen.width, screen.height, SDL_WINDOW_RESIZABLE);
    if (!window_) {
        error = std::string("cannot open a window: ") + SDL_GetError();
        return;
    }
    renderer_ = SDL_CreateRenderer(window_, -1, 0);
    if (!renderer_) {
        error = std::string("cannot create a renderer: ") + SDL_GetError();
        return;
    }
    wakeEvent_ = SDL_RegisterEvents(1);
    if (!createTexture(error))
        return;
    composer_.recompose();
    upload(composer_.screen().bounds());
}

SdlDisplay::~SdlDisplay() {
    if (texture_)
        SDL_DestroyTexture(texture_);
    if (renderer_)
        SDL_DestroyRenderer(renderer_);
    if (window_)
        SDL_DestroyWindow(window_);
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
}

bool SdlDisplay::createTexture(std::string& error) {
    if (texture_)
        SDL_DestroyTexture(texture_);
    Size size = composer_.size();
    // The window may be resized freely; the phone screen keeps its pixels and aspect.
    SDL_RenderSetLogicalSize(renderer_, size.width, size.height);
    texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB565, SDL_TEXTUREACCESS_STREAMING,
                                 size.width, size.height);
    if (!texture_)
        error = std::string("cannot create the screen texture: ") + SDL_GetError();
    return texture_ != nullptr;
}

void SdlDisplay::setScreenSize(Size size) {
    composer_.resize(size);
    SDL_SetWindowSize(window_, size.width, size.height);
    std::string error;
    if (createTexture(error))
        upload(composer_.screen().bounds());
}

void SdlDisplay::upload(Rect area) {
    area = area.intersected(composer_.screen().bounds());
    if (area.isEmpty() || !texture_)
        return;
    const Surface& screen = composer_.screen();
    SDL_Rect rect{area.left, area.top, area.width(), area.height()};
    SDL_UpdateTexture(texture_, &rect, screen.row(area.top) + area.left,
                      screen.stride() * static_cast<int>(sizeof(Pixel565)));
    SDL_RenderClear(renderer_);
    SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
    SDL_RenderPresent(renderer_);
}

void SdlDisplay::present(WindowHandle window, const Surface& buffer, Rect windowRect,
                         Rect damaged) {
    upload(composer_.present(window, buffer, windowRect, damaged));
}

void SdlDisplay::windowsChanged() {
    composer_.recompose();
    upload(composer_.screen().bounds());
}

void SdlDisplay::waitForEvents(int timeoutMs) {
    SDL_Event event;
    if (!SDL_WaitEventTimeout(&event, timeoutMs < 0 ? -1 : timeoutMs))
        return;
    handle(event);
    while (SDL_PollEvent(&event))
        handle(event);
}

void SdlDisplay::wake() {
    SDL_Event event{};
    event.type = wakeEvent_;
    SDL_PushEvent(&event);
}

void SdlDisplay::handle(const SDL_Event& event) {
    switch (event.type) {
    case SDL_QUIT:
        for (WindowHandle window : localWindows())
            postMessage(window, msg::close);
        break;
    case SDL_MOUSEBUTTONDOWN:
        if (event.button.button == SDL_BUTTON_LEFT) {
            stylusDown_ = true;
            injectStylus(StylusAction::down, {event.button.x, event.button.y});
        }
        break;
    case SDL_MOUSEMOTION:
        if (stylusDown_)
            injectStylus(StylusAction::move, {event.motion.x, event.motion.y});
        break;
    case SDL_MOUSEBUTTONUP:
        if (event.button.button == SDL_BUTTON_LEFT && stylusDown_) {
            stylusDown_ = false;
            injectStylus(StylusAction::up, {event.button.x, event.button.y});
        }
        break;
    case SDL_KEYDOWN:
        if (uint32_t vk = virtualKeyFor(event.key.keysym.sym)) {
            const uint16_t mod = event.key.keysym.mod;
            injectKey(vk, ((mod & KMOD_SHIFT) ? keyFlag::shift : 0) |
                              ((mod & KMOD_CTRL) ? keyFlag::control : 0));
            // Backspace also arrives as a character, as text fields expect.
            if (vk == key::back)
                injectCharacter(u'\b');
        }
        break;
    case SDL_TEXTINPUT:
        for (char16_t c : toUtf16(event.text.text))
            injectCharacter(c);
        break;
    case SDL_TEXTEDITING:
        injectComposition(toUtf16(event.edit.text));
        break;
    case SDL_TEXTEDITING_EXT:
        injectComposition(toUtf16(event.editExt.text));
        SDL_free(event.editExt.text);
        break;
    case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_EXPOSED ||
            event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)
            upload(composer_.screen().bounds());
        break;
    default:
        break;
    }
}

void SdlDisplay::startTextInput(Rect caret) {
    // Text input stays on afterwards: the lists take typed letters as a search.
    SDL_Rect rect{caret.left, caret.top, caret.width(), caret.height()};
    SDL_SetTextInputRect(&rect);
    SDL_StartTextInput();
}

bool SdlDisplay::setClipboardText(const std::u16string& text) {
    return SDL_SetClipboardText(toUtf8(text).c_str()) == 0;
}

std::optional<std::u16string> SdlDisplay::clipboardText() {
    char* utf8 = SDL_GetClipboardText();
    if (!utf8)
        return std::nullopt;
    // A huge clipboard is cut before conversion; toUtf16 mends a sequence cut in half.
    std::string_view bytes(utf8, strnlen(utf8, maxClipboardLength * 3));
    std::u16string text = toUtf16(bytes);
    SDL_free(utf8);
    return text;
}

void SdlDisplay::raise() {
    if (SDL_GetWindowFlags(window_) & SDL_WINDOW_MINIMIZED)
        SDL_RestoreWindow(window_);
    SDL_RaiseWindow(window_);
}

void SdlDisplay::messageBox(WindowHandle, const std::u16string& text,
                            const std::u16string& caption) {
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, toUtf8(caption).c_str(),
                             toUtf8(text).c_str(), window_);
}

} // namespace vantrel::platform
