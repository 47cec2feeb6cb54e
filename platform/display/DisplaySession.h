#pragma once
// What a program on the emulated phone sets up before its first window: the display
// options of its command line (--headless, --script FILE, --size WxH) and the screen
// they ask for, driven by a script when one is given.

#include "platform/display/Display.h"
#include "platform/display/ScriptRunner.h"

#include <memory>
#include <string>

namespace vantrel::platform {

struct DisplayOptions {
    bool headless = false;
    std::string script;
    Size screen = defaultScreenSize;
};

// Takes argv[i] (and the value after it) when it is a display option, moving i past
// what it took. False when it is not one; `error` is set when it is one with a bad value.
bool takeDisplayOption(int argc, char** argv, int& i, DisplayOptions& options, std::string& error);

class DisplaySession {
public:
    // Opens the screen the options ask for and installs it for the calling thread:
    // headless when asked, when VANTREL_BACKEND=headless or when no display server is
    // there (a headless screen needs a script). False with a reason in `error`.
    bool open(DisplayOptions options, std::string& error);
    ~DisplaySession();

    // The script's runner, or null when no script drives the screen.
    ScriptRunner* runner() const { return runner_.get(); }
    // 0, or the failing script's exit code.
    int scriptFailure() const { return runner_ ? runner_->failure() : 0; }
    // Whether the screen opened lives in memory.
    bool headless() const { return headless_; }

private:
    std::unique_ptr<Display> display_;
    std::unique_ptr<ScriptRunner> runner_;
    bool headless_ = false;
};

} // namespace vantrel::platform
