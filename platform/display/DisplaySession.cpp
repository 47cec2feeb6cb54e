#include "platform/display/DisplaySession.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace vantrel::platform {

bool takeDisplayOption(int argc, char** argv, int& i, DisplayOptions& options, std::string& error) {
    std::string word = argv[i];
    if (word == "--headless") {
        options.headless = true;
        return true;
    }
    if ((word != "--script" && word != "--size") || i + 1 >= argc)
        return false;
    std::string value = argv[++i];
    if (word == "--script") {
        options.script = value;
        return true;
    }
    int w = 0, h = 0;
    char x = 0;
    if (std::sscanf(value.c_str(), "%d%c%d", &w, &x, &h) != 3 || x != 'x' || w < 16 || h < 16 ||
        w > 4096 || h > 4096)
        error = "--size takes WIDTHxHEIGHT, e.g. 480x800";
    else
        options.screen = {w, h};
    return true;
}

bool DisplaySession::open(DisplayOptions options, std::string& error) {
    const char* backend = std::getenv("VANTREL_BACKEND");
    if ((backend && std::strcmp(backend, "headless") == 0) || !displayServerAvailable())
        options.headless = true;
    std::vector<std::string> lines;
    if (!options.script.empty() && !ScriptRunner::readScript(options.script, lines, error))
        return false;
    if (options.headless && options.script.empty()) {
        error = "no display; run with --script FILE to drive the headless screen";
        return false;
    }
    display_ = createDisplay(options.headless ? BackendKind::headless : BackendKind::sdl,
                             options.screen, error);
    if (!display_)
        return false;
    headless_ = options.headless;
    if (options.script.empty()) {
        installBackend(display_.get());
        return true;
    }
    runner_ = std::make_unique<ScriptRunner>(*display_, std::move(lines));
    installBackend(runner_.get());
    return true;
}

DisplaySession::~DisplaySession() {
    if (display_)
        installBackend(nullptr);
}

} // namespace vantrel::platform
