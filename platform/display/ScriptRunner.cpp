#include "platform/display/ScriptRunner.h"

#include "platform/core/Backend.h"
#include "platform/core/Clipboard.h"
#include "platform/core/Clock.h"
#include "platform/core/Paths.h"
#include "platform/core/Utf.h"
#include "platform/imaging/PngWriter.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <cstdio>
#include <sstream>
#include <optional>

namespace vantrel::platform {

namespace {

std::optional<long> parseNumber(const std::string& word) {
    if (word.empty())
        return std::nullopt;
    try {
        size_t used = 0;
        long value = std::stol(word, &used, 0);
        if (used != word.size())
            return std::nullopt;
        return value;
    } catch (...) {
        return std::nullopt;
    }
}

// Key names a script may use instead of numbers.
std::optional<uint32_t> keyByName(const std::string& name) {
    static const std::map<std::string, uint32_t> names = {
        {"back", key::back},     {"backspace", key::back}, {"tab", key::tab},
        {"enter", key::enter},   {"escape", key::escape},  {"space", key::space},
        {"pageup", key::pageUp}, {"pagedown", key::pageDown}, {"end", key::end},
        {"home", key::home},     {"left", key::left},      {"up", key::up},
        {"right", key::right},   {"down", key::down},      {"delete", key::deleteKey},
        {"action", key::action},
    };
    if (auto it = names.find(name); it != names.end())
        return it->second;
    if (name.size() == 1 && std::isalnum(static_cast<unsigned char>(name[0])))
        return static_cast<uint32_t>(std::toupper(static_cast<unsigned char>(name[0])));
    if (auto number = parseNumber(name); number && *number > 0 && *number < 0x100)
        return static_cast<uint32_t>(*number);
    return std::nullopt;
}

// Reads `count` integers starting at words[first]; false when one is missing or bad.
bool numbers(const std::vector<std::string>& words, size_t first, size_t count,
             std::vector<long>& out) {
    if (words.size() < first + count)
        return false;
    out.clear();
    for (size_t i = first; i < first + count; ++i) {
        auto n = parseNumber(words[i]);
        if (!n)
            return false;
        out.push_back(*n);
    }
    return true;
}

} // namespace

ScriptRunner::ScriptRunner(Display& inner, std::vector<std::string> lines)
    : inner_(inner), lines_(std::move(lines)) {
    addBuiltins();
}

bool ScriptRunner::readScript(const std::string& file, std::vector<std::string>& lines,
                              std::string& error) {
    // A script is a few hundred lines; the cap keeps a FIFO, a device or a huge file
    // from holding the start-up.
    constexpr size_t maxScriptSize = 4u << 20;
    std::string bytes, reason;
    if (!readWholeFile(file, bytes, maxScriptSize, &reason)) {
        error = "cannot read the script " + file + ": " + reason;
        return false;
    }
    std::istringstream in(bytes);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return true;
}

bool ScriptRunner::splitWords(const std::string& line, std::vector<std::string>& words) {
    words.clear();
    size_t i = 0;
    while (i < line.size()) {
        if (std::isspace(static_cast<unsigned char>(line[i]))) {
            ++i;
            continue;
        }
        std::string word;
        if (line[i] == '"') {
            ++i;
            bool closed = false;
            while (i < line.size()) {
                char c = line[i++];
                if (c == '\\' && i < line.size()) {
                    word += line[i++];
                } else if (c == '"') {
                    closed = true;
                    break;
                } else {
                    word += c;
                }
            }
            if (!closed)
                return false;
        } else {
            while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i])))
                word += line[i++];
        }
        words.push_back(std::move(word));
    }
    return true;
}

void ScriptRunner::addCommand(const std::string& name, Command command) {
    commands_[name] = std::move(command);
}

WindowHandle ScriptRunner::target() const {
    if (target_ && isWindow(target_))
        return target_;
    return activeWindow();
}

void ScriptRunner::setScreenSize(Size size) {
    Size old = inner_.screenSize();
    inner_.setScreenSize(size);
    // Windows that covered the old screen's width follow the new one, as on a rotation.
    for (WindowHandle window : localWindows()) {
        Rect rect = windowRect(window);
        if (rect.left == 0 && rect.width() == old.width)
            moveWindow(window, {0, rect.top, size.width, size.height}, true);
    }
    inner_.windowsChanged();
}

void ScriptRunner::addBuiltins() {
    auto point = [](const std::vector<std::string>& w, size_t first, Point& p) {
        std::vector<long> n;
        if (!numbers(w, first, 2, n))
            return false;
        p = {saturated(n[0]), saturated(n[1])};
        return true;
    };
    addCommand("size", [this](const std::vector<std::string>& w, std::string&) -> std::string {
        std::vector<long> n;
        std::vector<std::string> parts = w;
        if (w.size() == 1 && w[0].find('x') != std::string::npos)
            parts = {w[0].substr(0, w[0].find('x')), w[0].substr(w[0].find('x') + 1)};
        if (!numbers(parts, 0, 2, n) || parts.size() != 2 || n[0] < 16 || n[1] < 16 ||
            n[0] > 4096 || n[1] > 4096)
            return "size takes WIDTHxHEIGHT or WIDTH HEIGHT (16 to 4096)";
        steps_.push_back({[this, n] { setScreenSize({int(n[0]), int(n[1])}); }, 0});
        return {};
    });
    struct StylusCommand {
        const char* name;
        StylusAction action;
    };
    for (StylusCommand command : {StylusCommand{"down", StylusAction::down},
                                  StylusCommand{"move", StylusAction::move},
                                  StylusCommand{"up", StylusAction::up}}) {
        addCommand(command.name, [this, point, command](const std::vector<std::string>& w,
                                                         std::string&) -> std::string {
            Point p;
            if (w.size() != 2 || !point(w, 0, p))
                return std::string(command.name) + " takes X Y";
            stylus(command.action, p);
            return {};
        });
    }
    addCommand("tap", [this, point](const std::vector<std::string>& w, std::string&) -> std::string {
        Point p;
        if (w.size() < 2 || w.size() > 3 || !point(w, 0, p))
            return "tap takes X Y [HOLD_MS]";
        auto hold = w.size() == 3 ? parseNumber(w[2]) : std::optional<long>(50);
        if (!hold || *hold < 0)
            return "tap takes X Y [HOLD_MS]";
        stylus(StylusAction::down, p);
        pause(static_cast<uint32_t>(*hold));
        stylus(StylusAction::up, p);
        return {};
    });
    // drag X1 Y1 X2 Y2 [MS]: a straight stroke in 10 ms steps, released at the end.
    // A short MS makes a flick.
    auto drag = [this](const std::vector<std::string>& w, std::string&) -> std::string {
        std::vector<long> n;
        if ((w.size() != 4 && w.size() != 5) || !numbers(w, 0, w.size(), n) ||
            (w.size() == 5 && n[4] < 0))
            return "drag takes X1 Y1 X2 Y2 [DURATION_MS]";
        // Coordinates saturate to the screen's int range; a stroke takes at most
        // maxDragSteps steps however long it lasts.
        constexpr int64_t maxDragSteps = 100000;
        int64_t duration = w.size() == 5 ? std::min<int64_t>(n[4], UINT32_MAX) : 300;
        int64_t steps = std::clamp<int64_t>(duration / 10, 1, maxDragSteps);
        const Point from{saturated(n[0]), saturated(n[1])}, to{saturated(n[2]), saturated(n[3])};
        stylus(StylusAction::down, from);
        for (int64_t i = 1; i <= steps; ++i) {
            pause(static_cast<uint32_t>(duration / steps));
            stylus(StylusAction::move,
                   {static_cast<int>(from.x + (int64_t{to.x} - from.x) * i / steps),
                    static_cast<int>(from.y + (int64_t{to.y} - from.y) * i / steps)});
        }
        stylus(StylusAction::up, to);
        return {};
    };
    addCommand("drag", drag);
    addCommand("key", [this](const std::vector<std::string>& w, std::string&) -> std::string {
        if (w.empty())
            return "key takes one or more key names or codes";
        for (const auto& word : w) {
            // "shift+left", "ctrl+c": modifiers held with the key.
            std::string name = word;
            intptr_t flags = 0;
            for (bool more = true; more;) {
                more = false;
                for (auto [prefix, flag] : {std::pair{"shift+", keyFlag::shift},
                                            std::pair{"ctrl+", keyFlag::control}}) {
                    if (name.size() > std::strlen(prefix) && name.starts_with(prefix)) {
                        name.erase(0, std::strlen(prefix));
                        flags |= flag;
                        more = true;
                    }
                }
            }
            auto vk = keyByName(name);
            if (!vk)
                return "unknown key '" + word + "'";
            steps_.push_back({[vk, flags] { injectKey(*vk, flags); }, 0});
        }
        return {};
    });
    addCommand("compose", [this](const std::vector<std::string>& w, std::string&) -> std::string {
        if (w.size() != 1)
            return "compose takes one quoted string (empty ends the composition)";
        std::u16string text = toUtf16(w[0]);
        steps_.push_back({[text] { injectComposition(text); }, 0});
        return {};
    });
    // clipboard set WORDS... (one line a word) | get | expect TEXT
    addCommand("clipboard", [this](const std::vector<std::string>& w, std::string& out) -> std::string {
        if (w.size() >= 2 && w[0] == "set") {
            std::u16string text;
            for (size_t i = 1; i < w.size(); ++i)
                text += (i > 1 ? u"\r\n" : u"") + toUtf16(w[i]);
            steps_.push_back({[text] { platform::setClipboardText(text); }, 0});
            return {};
        }
        if (w.size() == 1 && w[0] == "get") {
            out = "clipboard " + toUtf8(platform::clipboardText());
            return {};
        }
        if (w.size() == 2 && w[0] == "expect") {
            std::string now = toUtf8(platform::clipboardText());
            return now == w[1] ? std::string() : "the clipboard holds '" + now + "'";
        }
        return "clipboard takes set TEXT..., get or expect TEXT";
    });
    addCommand("text", [this](const std::vector<std::string>& w, std::string&) -> std::string {
        if (w.size() != 1)
            return "text takes one quoted string";
        for (char16_t c : toUtf16(w[0]))
            steps_.push_back({[c] { injectCharacter(c); }, 0});
        return {};
    });
    addCommand("wait", [this](const std::vector<std::string>& w, std::string&) -> std::string {
        auto ms = w.size() == 1 ? parseNumber(w[0]) : std::nullopt;
        if (!ms || *ms < 0)
            return "wait takes a number of milliseconds";
        pause(static_cast<uint32_t>(*ms));
        return {};
    });
    addCommand("post", [this](const std::vector<std::string>& w, std::string&) -> std::string {
        std::vector<long> params;
        if (w.empty() || w.size() > 3 || !numbers(w, 1, w.size() - 1, params))
            return "post takes a registered message name and optional WPARAM LPARAM";
        uint32_t id = parseNumber(w[0]).value_or(0);
        if (id == 0)
            id = registerWindowMessage(toUtf16(w[0]));
        if (id == 0)
            return "cannot register the message '" + w[0] + "'";
        uintptr_t wParam = params.size() > 0 ? static_cast<uintptr_t>(params[0]) : 0;
        intptr_t lParam = params.size() > 1 ? static_cast<intptr_t>(params[1]) : 0;
        // A script speaks for an outside poster: its numbers are numbers, never the
        // addresses a poster of this process may hand over.
        steps_.push_back({[this, id, wParam, lParam] {
                              postMessageFromOtherProcess(target(), id, wParam, lParam);
                          },
                          0});
        return {};
    });
    addCommand("screenshot", [this](const std::vector<std::string>& w, std::string& out) -> std::string {
        if (w.size() != 1)
            return "screenshot takes a file name";
        if (!writePng(w[0], inner_.screen()))
            return "cannot write the screenshot " + w[0];
        out = "screenshot " + w[0];
        return {};
    });
    addCommand("quit", [this](const std::vector<std::string>& w, std::string&) -> std::string {
        if (!w.empty())
            return "quit takes nothing";
        next_ = lines_.size();
        steps_.push_back({[] { postQuitMessage(0); }, 0});
        return {};
    });
}

std::string ScriptRunner::execute(const std::vector<std::string>& words, std::string& output) {
    auto it = commands_.find(words[0]);
    if (it == commands_.end())
        return "unknown command '" + words[0] + "'";
    return it->second(std::vector<std::string>(words.begin() + 1, words.end()), output);
}

void ScriptRunner::fail(const std::string& error) {
    std::fprintf(stderr, "script: line %zu: %s: %s\n", next_, error.c_str(),
                 next_ > 0 && next_ <= lines_.size() ? lines_[next_ - 1].c_str() : "");
    std::fflush(stderr);
    failure_ = 2;
    finished_ = true;
    steps_.clear();
    postQuitMessage(failure_);
}

void ScriptRunner::runNextLine() {
    while (next_ < lines_.size()) {
        const std::string& line = lines_[next_++];
        std::vector<std::string> words;
        if (!splitWords(line, words))
            return fail("unbalanced quotes");
        if (words.empty() || words[0][0] == '#')
            continue;
        std::string output;
        std::string error = execute(words, output);
        if (!error.empty())
            return fail(error);
        if (!output.empty()) {
            std::printf("%s\n", output.c_str());
            std::fflush(stdout);
        }
        return;
    }
    // A script that ends without "quit" still ends the program.
    finished_ = true;
    postQuitMessage(0);
}

void ScriptRunner::waitUntil(std::function<bool()> done, uint32_t timeoutMs, std::string failure) {
    steps_.push_back({nullptr, 0, std::move(done), timeoutMs, std::move(failure)});
}

void ScriptRunner::waitForEvents(int timeoutMs) {
    if (polling_.until) {
        if (polling_.until()) {
            polling_ = {};
        } else if (std::chrono::steady_clock::now() >= pollDeadline_) {
            std::string failure = polling_.failure;
            polling_ = {};
            fail(failure);
        } else {
            inner_.waitForEvents(timeoutMs >= 0 ? std::min(timeoutMs, 20) : 20);
        }
        return;
    }
    if (waiting_) {
        int32_t left = static_cast<int32_t>(waitUntil_ - tickCount());
        if (left <= 0) {
            waiting_ = false;
        } else if (isVirtualClock()) {
            // Step to the next timer or to the end of the wait, whichever is first.
            advanceVirtualClock(static_cast<uint32_t>(timeoutMs >= 0 ? std::min<int32_t>(left, timeoutMs) : left));
            return;
        } else {
            inner_.waitForEvents(timeoutMs >= 0 ? std::min<int32_t>(left, timeoutMs) : left);
            return;
        }
    }
    if (finished_) {
        inner_.waitForEvents(timeoutMs);
        return;
    }
    // Let a real window breathe between commands.
    if (!isVirtualClock())
        inner_.waitForEvents(0);
    if (steps_.empty())
        runNextLine();
    if (steps_.empty())
        return;
    Step step = std::move(steps_.front());
    steps_.pop_front();
    if (step.action)
        step.action();
    if (step.until) {
        polling_ = std::move(step);
        pollDeadline_ = std::chrono::steady_clock::now() + std::chrono::milliseconds(polling_.timeout);
        return;
    }
    if (step.pause > 0) {
        waiting_ = true;
        waitUntil_ = tickCount() + step.pause;
    }
}

} // namespace vantrel::platform
