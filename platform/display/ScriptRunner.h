#pragma once
// Drives the product from a script, one command a line, as a user would: stylus, keys,
// text, waiting, registered messages, screenshots. It sits between the window system
// and the real backend: whenever the UI thread has nothing to do, the next command
// runs, so every command sees the effects of the previous one fully processed.
//
// In virtual time "wait 500" moves the clock timer by timer, so timers and animations
// fire at exact instants; with the real clock it waits for real.
//
// Higher layers add their own commands (a settings lookup, a dump of the controls).

#include "platform/display/Display.h"

#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace vantrel::platform {

class ScriptRunner : public Display {
public:
    // A command's handler gets the words after the command name and writes what it
    // prints to `output`; it returns an error text, empty when all went well.
    using Command = std::function<std::string(const std::vector<std::string>& words,
                                              std::string& output)>;

    ScriptRunner(Display& inner, std::vector<std::string> lines);

    // Loads a script file; false with a reason when it cannot be read.
    static bool readScript(const std::string& file, std::vector<std::string>& lines,
                           std::string& error);
    // Splits a line into words: blanks separate, double quotes group ("" is an empty
    // word), a backslash in quotes escapes the next character.
    static bool splitWords(const std::string& line, std::vector<std::string>& words);

    void addCommand(const std::string& name, Command command);
    // Queues a step that holds the script until `done` is true, polling in real time
    // (it waits for other processes); after `timeoutMs` the script fails with `failure`.
    void waitUntil(std::function<bool()> done, uint32_t timeoutMs, std::string failure);
    // The window that "post" and "key" address; by default the active window.
    void setTarget(WindowHandle window) { target_ = window; }
    // 0 while running or after a clean end; 2 when a line failed.
    int failure() const { return failure_; }

    void waitForEvents(int timeoutMs) override;
    void wake() override { inner_.wake(); }
    Size screenSize() const override { return inner_.screenSize(); }
    int taskBarHeight() const override { return inner_.taskBarHeight(); }
    void present(WindowHandle window, const Surface& buffer, Rect windowRect,
                 Rect damaged) override {
        inner_.present(window, buffer, windowRect, damaged);
    }
    void windowsChanged() override { inner_.windowsChanged(); }
    void taskBarChanged(bool visible) override { inner_.taskBarChanged(visible); }
    void messageBox(WindowHandle owner, const std::u16string& text,
                    const std::u16string& caption) override {
        inner_.messageBox(owner, text, caption);
    }
    void startTextInput(Rect caret) override { inner_.startTextInput(caret); }
    bool setClipboardText(const std::u16string& text) override {
        return inner_.setClipboardText(text);
    }
    std::optional<std::u16string> clipboardText() override { return inner_.clipboardText(); }
    const Surface& screen() const override { return inner_.screen(); }
    void setScreenSize(Size size) override;
    BackendKind kind() const override { return inner_.kind(); }

private:
    // One step of a command: an action, or a pause of some milliseconds.
    struct Step {
        std::function<void()> action;
        uint32_t pause = 0;
        std::function<bool()> until;
        uint32_t timeout = 0;
        std::string failure;
    };

    void runNextLine();
    std::string execute(const std::vector<std::string>& words, std::string& output);
    void fail(const std::string& error);
    void addBuiltins();
    void pause(uint32_t ms) { steps_.push_back({nullptr, ms}); }
    void stylus(StylusAction action, Point p) {
        steps_.push_back({[action, p] { injectStylus(action, p); }, 0});
    }
    WindowHandle target() const;

    Display& inner_;
    std::vector<std::string> lines_;
    size_t next_ = 0;
    std::map<std::string, Command> commands_;
    std::deque<Step> steps_;
    bool waiting_ = false;
    Step polling_;
    std::chrono::steady_clock::time_point pollDeadline_;
    uint32_t waitUntil_ = 0;
    bool finished_ = false;
    int failure_ = 0;
    WindowHandle target_ = 0;
};

} // namespace vantrel::platform
