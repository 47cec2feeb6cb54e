// vantrel [--headless] [--script FILE] [--size WxH] [-sms | -favorites | -dialpad | -contacts]
//
// Without a display server (or with --headless) the phone screen lives in memory and a
// script drives it; with one, a real window opens, and --script drives that window.

#include "app/AppScriptCommands.h"
#include "app/Startup.h"
#include "platform/shell/SoundPreview.h"
#include "platform/core/Utf.h"
#include "platform/display/DisplaySession.h"
#include "platform/ipc/WindowChannel.h"

#include <cstdio>
#include <cstdlib>
#include <string>

using namespace vantrel;
using namespace vantrel::platform;

int main(int argc, char** argv) {
    DisplayOptions display;
    std::string commandLine; // what is not ours, joined with blanks, for the product
    for (int i = 1; i < argc; ++i) {
        std::string error;
        if (takeDisplayOption(argc, argv, i, display, error)) {
            if (!error.empty()) {
                std::fprintf(stderr, "vantrel: %s\n", error.c_str());
                return 2;
            }
        } else if (std::string(argv[i]) == "--help") {
            std::printf("usage: vantrel [--headless] [--script FILE] [--size WxH] "
                        "[-sms | -favorites | -dialpad | -contacts]\n");
            return 0;
        } else {
            commandLine += (commandLine.empty() ? "" : " ") + std::string(argv[i]);
        }
    }

    ipc::startWindowChannel();

    // Opened only when this process is the one that owns the main window.
    DisplaySession session;
    bool displayFailed = false;
    auto openDisplay = [&]() -> bool {
        std::string error;
        if (!session.open(display, error)) {
            std::fprintf(stderr, "vantrel: %s (see scripts/run-demo)\n", error.c_str());
            displayFailed = true;
            return false;
        }
        if (session.runner())
            addAppScriptCommands(*session.runner());
        // A screen in memory has no speaker either; previews still run, silently.
        if (session.headless())
            shell::SoundPreview::instance().setOutput(shell::Output::silent);
        return true;
    };

    int code = vantrelMain(toUtf16(commandLine), Show::normal, openDisplay);
    // A second start that handed its option over ends with 0; one that could not show
    // anything (no script to drive the headless screen, a script it cannot read) failed.
    if (displayFailed)
        return 1;
    return session.scriptFailure() ? session.scriptFailure() : code;
}
