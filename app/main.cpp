// vantrel [--headless] [--script FILE] [--size WxH] [-sms | -favorites | -dialpad | -contacts]
//
// Without a display server (or with --headless) the phone screen lives in memory and a
// script drives it; with one, a real window opens, and --script drives that window.

#include "app/AppScriptCommands.h"
#include "app/Startup.h"
#include "platform/core/Utf.h"
#include "platform/display/Display.h"
#include "platform/display/ScriptRunner.h"
#include "platform/ipc/WindowChannel.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

using namespace vantrel;
using namespace vantrel::platform;

namespace {

struct Options {
    bool headless = false;
    std::string script;
    Size screen = defaultScreenSize;
    std::string commandLine; // what remains, joined with blanks, for the product
};

bool parseSize(const std::string& text, Size& size) {
    int w = 0, h = 0;
    char x = 0;
    if (std::sscanf(text.c_str(), "%d%c%d", &w, &x, &h) != 3 || x != 'x' || w < 16 || h < 16 ||
        w > 4096 || h > 4096)
        return false;
    size = {w, h};
    return true;
}

bool parseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        std::string word = argv[i];
        if (word == "--headless") {
            options.headless = true;
        } else if (word == "--script" && i + 1 < argc) {
            options.script = argv[++i];
        } else if (word == "--size" && i + 1 < argc) {
            if (!parseSize(argv[++i], options.screen)) {
                std::fprintf(stderr, "vantrel: --size takes WIDTHxHEIGHT, e.g. 480x800\n");
                return false;
            }
        } else if (word == "--help") {
            std::printf("usage: vantrel [--headless] [--script FILE] [--size WxH] "
                        "[-sms | -favorites | -dialpad | -contacts]\n");
            std::exit(0);
        } else {
            options.commandLine += (options.commandLine.empty() ? "" : " ") + word;
        }
    }
    const char* backend = std::getenv("VANTREL_BACKEND");
    if ((backend && std::strcmp(backend, "headless") == 0) || !displayServerAvailable())
        options.headless = true;
    return true;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parseOptions(argc, argv, options))
        return 2;

    ipc::startWindowChannel();

    std::unique_ptr<Display> display;
    std::unique_ptr<ScriptRunner> runner;
    auto openDisplay = [&]() -> bool {
        std::vector<std::string> lines;
        std::string error;
        if (!options.script.empty() && !ScriptRunner::readScript(options.script, lines, error)) {
            std::fprintf(stderr, "vantrel: %s\n", error.c_str());
            return false;
        }
        if (options.headless && options.script.empty()) {
            std::fprintf(stderr, "vantrel: no display; run with --script FILE to drive the "
                                 "headless screen (see scripts/run-demo)\n");
            return false;
        }
        display = createDisplay(options.headless ? BackendKind::headless : BackendKind::sdl,
                                options.screen, error);
        if (!display) {
            std::fprintf(stderr, "vantrel: %s\n", error.c_str());
            return false;
        }
        if (options.script.empty()) {
            installBackend(display.get());
            return true;
        }
        runner = std::make_unique<ScriptRunner>(*display, std::move(lines));
        addAppScriptCommands(*runner);
        installBackend(runner.get());
        return true;
    };

    int code = vantrelMain(toUtf16(options.commandLine), Show::normal, openDisplay);
    if (runner && runner->failure())
        code = runner->failure();
    installBackend(nullptr);
    return code;
}
