// The window system: window records, per-thread queues, timers, painting and input
// routing.
//
//   WindowSystem      process-wide registry of classes and windows (one mutex)
//   ThreadQueue       one per UI thread: posted messages, timers, quit state
//   getMessage        posted messages first, then due timers, then paints, then wait
//   child windows     drawn into their parent's buffer at endPaint, stylus by point
//   input routing     injectStylus / injectKey / injectCharacter / injectComposition
//
// NOTE: window procedures are always called without any lock held, so a procedure may
// create, destroy, post or send freely.

#include "platform/core/Backend.h"
#include "platform/core/Clock.h"
#include "platform/core/Window.h"
#include "platform/gfx/Surface.h"

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <unistd.h>

#include "platform/core/Utf.h"

namespace vantrel::platform {

namespace {

struct Timer {
    WindowHandle window;
    uintptr_t id;
    uint32_t period;
    uint32_t due;
};

struct ThreadQueue {
    std::mutex mutex;
    std::condition_variable posted;
    std::deque<Message> messages;
    std::vector<Timer> timers; // touched by the owning thread only
    bool quitPosted = false;
    int quitCode = 0;
    Backend* backend = nullptr;
};

struct WindowRecord {
    std::u16string className;
    std::u16string title;
    WindowProcedure procedure;
    std::shared_ptr<ThreadQueue> queue;
    Rect rect; // screen coordinates; a child's are its parent's client coordinates
    WindowHandle parent = 0;
    std::vector<WindowHandle> children; // topmost first
    uintptr_t userData = 0;
    bool visible = false;
    bool minimized = false;
    Rect damaged;
    bool painting = false;
    Rect paintingRect;
    Surface buffer;
};

// Signed difference of two wrapping tick counts.
int32_t ticksUntil(uint32_t due, uint32_t now) { return static_cast<int32_t>(due - now); }

class WindowSystem {
public:
    static WindowSystem& instance() {
        // Never destroyed: worker threads may still post while the process exits.
        static auto* system = new WindowSystem;
        return *system;
    }

    std::mutex mutex;
    std::map<std::u16string, WindowProcedure> classes;
    std::map<uint32_t, std::shared_ptr<WindowRecord>> windows;
    std::vector<WindowHandle> zOrder; // topmost first
    uint32_t nextId = 1;
    WindowHandle active = 0;
    WindowHandle focus = 0;
    WindowHandle capture = 0;
    bool taskBarVisible = true;
    std::u16string composition;
    RemoteWindows* remote = nullptr;
    Backend* backend = nullptr;
    // The boxes shown, newest last, for scripts and tests; a program that shows a box in a
    // loop must not grow without bound, so only the newest are kept.
    static constexpr size_t messageBoxesKept = 1000;
    std::vector<std::u16string> messageBoxes;
    int screenRaises = 0;

    std::shared_ptr<WindowRecord> find(WindowHandle handle) {
        if (!isOwn(handle))
            return nullptr;
        auto it = windows.find(static_cast<uint32_t>(handle));
        return it == windows.end() ? nullptr : it->second;
    }

    static bool isOwn(WindowHandle handle) {
        return handle != 0 && static_cast<uint32_t>(handle >> 32) == static_cast<uint32_t>(getpid());
    }
};

std::shared_ptr<ThreadQueue>& currentQueue() {
    thread_local std::shared_ptr<ThreadQueue> queue = std::make_shared<ThreadQueue>();
    return queue;
}

std::shared_ptr<WindowRecord> lookup(WindowHandle window) {
    auto& system = WindowSystem::instance();
    std::lock_guard lock(system.mutex);
    return system.find(window);
}

Backend* backendOf(const ThreadQueue& queue) { return queue.backend; }

void notifyWindowsChanged() {
    if (Backend* backend = installedBackend())
        backend->windowsChanged();
}

void enqueue(ThreadQueue& queue, const Message& message) {
    {
        std::lock_guard lock(queue.mutex);
        queue.messages.push_back(message);
    }
    queue.posted.notify_one();
    if (Backend* backend = backendOf(queue))
        backend->wake();
}

Rect defaultWindowRect() {
    Size screen = screenSize();
    Rect work = workArea();
    return {0, work.top, screen.width, screen.height};
}

} // namespace

// --- classes and windows ----------------------------------------------------------------

bool registerClass(const WindowClass& windowClass) {
    if (!windowClass.procedure || windowClass.name.empty())
        return false;
    auto& system = WindowSystem::instance();
    std::lock_guard lock(system.mutex);
    return system.classes.emplace(windowClass.name, windowClass.procedure).second;
}

bool unregisterClass(std::u16string_view className) {
    auto& system = WindowSystem::instance();
    std::lock_guard lock(system.mutex);
    auto cls = system.classes.find(std::u16string(className));
    if (cls == system.classes.end())
        return false;
    for (const auto& [id, record] : system.windows)
        if (record->className == className)
            return false;
    system.classes.erase(cls);
    return true;
}

namespace {

// Takes `window` out of the z-order it lives in: its parent's children or the top level.
void unlink(WindowSystem& system, WindowHandle window, WindowHandle parent) {
    if (auto owner = parent ? system.find(parent) : nullptr)
        std::erase(owner->children, window);
    else
        std::erase(system.zOrder, window);
}

WindowHandle create(std::u16string_view className, std::u16string_view title, Rect rect,
                    bool visible, WindowHandle parent) {
    auto& system = WindowSystem::instance();
    auto record = std::make_shared<WindowRecord>();
    WindowHandle handle;
    {
        std::lock_guard lock(system.mutex);
        auto cls = system.classes.find(std::u16string(className));
        auto owner = parent ? system.find(parent) : nullptr;
        if (cls == system.classes.end() || (parent && (!owner || owner->queue != currentQueue())))
            return 0;
        record->className = className;
        record->title = title;
        record->procedure = cls->second;
        record->queue = currentQueue();
        record->parent = parent;
        handle = (static_cast<WindowHandle>(static_cast<uint32_t>(getpid())) << 32) | system.nextId++;
        system.windows.emplace(static_cast<uint32_t>(handle), record);
        auto& order = owner ? owner->children : system.zOrder;
        order.insert(order.begin(), handle);
    }
    if (rect.left == useDefault || rect.top == useDefault || rect.right == useDefault ||
        rect.bottom == useDefault)
        rect = parent ? Rect{} : defaultWindowRect();
    record->rect = rect;
    record->buffer = Surface(rect.width(), rect.height());
    record->damaged = {0, 0, rect.width(), rect.height()};
    if (sendMessage(handle, msg::create) == -1) {
        std::lock_guard lock(system.mutex);
        system.windows.erase(static_cast<uint32_t>(handle));
        unlink(system, handle, parent);
        return 0;
    }
    sendMessage(handle, msg::size, 0, packPoint(rect.width(), rect.height()));
    if (visible)
        showWindow(handle, Show::normal);
    return handle;
}

// A child's rectangle in screen coordinates, through every parent.
Rect screenRectOf(WindowHandle window) {
    auto record = lookup(window);
    if (!record)
        return {};
    Rect rect = record->rect;
    for (auto parent = lookup(record->parent); parent; parent = lookup(parent->parent))
        rect = rect.offsetBy(parent->rect.left, parent->rect.top);
    return rect;
}

WindowHandle topLevelOf(WindowHandle window) {
    for (auto record = lookup(window); record && record->parent; record = lookup(record->parent))
        window = record->parent;
    return window;
}

// Damages the part of a child's parent that the child covers (or covered), so the
// parent repaints it and the child is laid over it again.
void damageParentUnder(const WindowRecord& child, Rect area) {
    if (child.parent)
        invalidateRect(child.parent, &area);
}

} // namespace

WindowHandle createWindow(std::u16string_view className, std::u16string_view title, Rect rect,
                          bool visible) {
    return create(className, title, rect, visible, 0);
}

WindowHandle createChildWindow(std::u16string_view className, WindowHandle parent, Rect rect,
                               bool visible) {
    return parent ? create(className, u"", rect, visible, parent) : 0;
}

WindowHandle parentWindow(WindowHandle window) {
    auto record = lookup(window);
    return record ? record->parent : 0;
}

void setWindowUserData(WindowHandle window, uintptr_t data) {
    if (auto record = lookup(window))
        record->userData = data;
}

uintptr_t windowUserData(WindowHandle window) {
    auto record = lookup(window);
    return record ? record->userData : 0;
}

void destroyWindow(WindowHandle window) {
    auto record = lookup(window);
    if (!record)
        return;
    for (WindowHandle child : std::vector<WindowHandle>(record->children))
        destroyWindow(child);
    sendMessage(window, msg::destroy);
    auto& system = WindowSystem::instance();
    {
        std::lock_guard lock(system.mutex);
        system.windows.erase(static_cast<uint32_t>(window));
        unlink(system, window, record->parent);
        if (system.active == window)
            system.active = 0;
        if (system.focus == window)
            system.focus = 0;
        if (system.capture == window)
            system.capture = 0;
    }
    auto& timers = record->queue->timers;
    std::erase_if(timers, [window](const Timer& t) { return t.window == window; });
    if (record->visible)
        damageParentUnder(*record, record->rect);
    notifyWindowsChanged();
}

bool isLocalWindow(WindowHandle window) { return lookup(window) != nullptr; }

bool isWindow(WindowHandle window) {
    if (lookup(window))
        return true;
    auto& system = WindowSystem::instance();
    RemoteWindows* remote;
    {
        std::lock_guard lock(system.mutex);
        remote = WindowSystem::isOwn(window) ? nullptr : system.remote;
    }
    return remote && remote->exists(window);
}

void showWindow(WindowHandle window, Show how) {
    auto record = lookup(window);
    if (!record)
        return;
    bool wasVisible = record->visible && !record->minimized;
    record->visible = how != Show::hide;
    record->minimized = how == Show::minimize;
    bool nowVisible = record->visible && !record->minimized;
    if (record->parent) {
        if (nowVisible != wasVisible) {
            record->damaged = {0, 0, record->rect.width(), record->rect.height()};
            damageParentUnder(*record, record->rect);
        }
        // A hidden child cannot type: the focus goes back to its parent.
        if (!nowVisible && focusWindow() == window)
            setFocus(record->parent);
        return;
    }
    if (nowVisible && !wasVisible) {
        record->damaged = {0, 0, record->rect.width(), record->rect.height()};
        setForegroundWindow(window);
    } else if (!nowVisible && wasVisible) {
        auto& system = WindowSystem::instance();
        bool wasActive;
        WindowHandle focus;
        {
            std::lock_guard lock(system.mutex);
            wasActive = system.active == window;
            focus = system.focus;
            if (wasActive)
                system.active = system.focus = 0;
        }
        if (wasActive) {
            // The focus may sit on one of its children (a text field).
            sendMessage(focus && topLevelOf(focus) == window ? focus : window, msg::killFocus);
            sendMessage(window, msg::activate, 0);
        }
    }
    notifyWindowsChanged();
}

bool isWindowVisible(WindowHandle window) {
    for (auto record = lookup(window); record; record = lookup(record->parent)) {
        if (!record->visible || record->minimized)
            return false;
        if (!record->parent)
            return true;
    }
    return false;
}

bool isMinimized(WindowHandle window) {
    auto record = lookup(window);
    return record && record->minimized;
}

void moveWindow(WindowHandle window, Rect rect, bool repaint) {
    auto record = lookup(window);
    if (!record)
        return;
    bool resized = rect.width() != record->rect.width() || rect.height() != record->rect.height();
    if (record->parent && record->visible && !(rect == record->rect)) {
        damageParentUnder(*record, record->rect);
        damageParentUnder(*record, rect);
        record->damaged = {0, 0, rect.width(), rect.height()};
    }
    record->rect = rect;
    if (resized) {
        Surface bigger(rect.width(), rect.height());
        const Surface& old = record->buffer;
        for (int y = 0; y < std::min(old.height(), bigger.height()); ++y)
            std::copy_n(old.row(y), std::min(old.width(), bigger.width()), bigger.row(y));
        record->buffer = std::move(bigger);
        sendMessage(window, msg::size, 0, packPoint(rect.width(), rect.height()));
    }
    if (repaint)
        invalidateRect(window);
    notifyWindowsChanged();
}

Rect windowRect(WindowHandle window) {
    auto record = lookup(window);
    return record ? record->rect : Rect{};
}

Rect clientRect(WindowHandle window) {
    auto record = lookup(window);
    return record ? Rect{0, 0, record->rect.width(), record->rect.height()} : Rect{};
}

Point clientToScreen(WindowHandle window, Point client) {
    Rect rect = screenRectOf(window);
    return {client.x + rect.left, client.y + rect.top};
}

std::u16string windowTitle(WindowHandle window) {
    auto record = lookup(window);
    return record ? record->title : std::u16string();
}

WindowHandle findLocalWindow(std::u16string_view className,
                             std::optional<std::u16string_view> title) {
    auto& system = WindowSystem::instance();
    std::lock_guard lock(system.mutex);
    for (WindowHandle handle : system.zOrder) {
        auto record = system.find(handle);
        if (record && record->className == className && (!title || record->title == *title))
            return handle;
    }
    return 0;
}

namespace {

WindowHandle findAnyWindow(std::u16string_view className,
                           std::optional<std::u16string_view> title) {
    if (WindowHandle local = findLocalWindow(className, title))
        return local;
    auto& system = WindowSystem::instance();
    RemoteWindows* remote;
    {
        std::lock_guard lock(system.mutex);
        remote = system.remote;
    }
    return remote ? remote->find(className, title) : 0;
}

} // namespace

WindowHandle findWindow(std::u16string_view className, std::u16string_view title) {
    return findAnyWindow(className, title);
}

WindowHandle findWindow(std::u16string_view className) {
    return findAnyWindow(className, std::nullopt);
}

std::vector<WindowHandle> localWindows() {
    auto& system = WindowSystem::instance();
    std::lock_guard lock(system.mutex);
    return system.zOrder;
}

// --- activation, focus, capture -------------------------------------------------------

bool setForegroundWindow(WindowHandle window) {
    auto& system = WindowSystem::instance();
    window = topLevelOf(window);
    auto record = lookup(window);
    if (!record) {
        RemoteWindows* remote;
        {
            std::lock_guard lock(system.mutex);
            remote = WindowSystem::isOwn(window) ? nullptr : system.remote;
        }
        return remote && remote->bringToFront(window);
    }
    if (record->queue != currentQueue()) {
        // Activation runs on the window's own thread.
        return postMessage(window, msg::activate, 1);
    }
    if (record->minimized)
        record->minimized = false;
    record->visible = true;
    WindowHandle previous;
    {
        std::lock_guard lock(system.mutex);
        std::erase(system.zOrder, window);
        system.zOrder.insert(system.zOrder.begin(), window);
        previous = system.active;
        system.active = window;
    }
    if (previous != window) {
        if (previous && lookup(previous))
            sendMessage(previous, msg::activate, 0);
        sendMessage(window, msg::activate, 1);
        setFocus(window);
    }
    notifyWindowsChanged();
    return true;
}

WindowHandle foregroundWindow() { return activeWindow(); }

WindowHandle activeWindow() {
    auto& system = WindowSystem::instance();
    std::lock_guard lock(system.mutex);
    return system.active;
}

void setFocus(WindowHandle window) {
    auto& system = WindowSystem::instance();
    WindowHandle previous;
    {
        std::lock_guard lock(system.mutex);
        if (system.focus == window)
            return;
        previous = system.focus;
        system.focus = window;
    }
    if (previous && lookup(previous))
        sendMessage(previous, msg::killFocus);
    if (window)
        sendMessage(window, msg::setFocus);
}

WindowHandle focusWindow() {
    auto& system = WindowSystem::instance();
    std::lock_guard lock(system.mutex);
    return system.focus;
}

void setCapture(WindowHandle window) {
    auto& system = WindowSystem::instance();
    std::lock_guard lock(system.mutex);
    system.capture = window;
}

void releaseCapture() { setCapture(0); }

WindowHandle captureWindow() {
    auto& system = WindowSystem::instance();
    std::lock_guard lock(system.mutex);
    return system.capture;
}

// --- messages ----------------------------------------------------------------------------

intptr_t defaultWindowProcedure(WindowHandle window, uint32_t id, uintptr_t, intptr_t) {
    switch (id) {
    case msg::paint:
        // Nobody drew: take the damage away so the loop does not paint forever.
        beginPaint(window);
        endPaint(window);
        return 0;
    case msg::close:
        destroyWindow(window);
        return 0;
    default:
        return 0;
    }
}

bool postMessage(WindowHandle window, uint32_t id, uintptr_t wParam, intptr_t lParam) {
    auto& system = WindowSystem::instance();
    std::shared_ptr<WindowRecord> record;
    RemoteWindows* remote = nullptr;
    {
        std::lock_guard lock(system.mutex);
        record = system.find(window);
        if (!record && !WindowSystem::isOwn(window))
            remote = system.remote;
    }
    if (record) {
        enqueue(*record->queue, {window, id, wParam, lParam});
        return true;
    }
    return remote && window != 0 && remote->post(window, id, wParam, lParam);
}

bool postMessageFromOtherProcess(WindowHandle window, uint32_t id, uintptr_t wParam,
                                 intptr_t lParam) {
    auto record = lookup(window);
    if (!record)
        return false;
    enqueue(*record->queue, {window, id, wParam, lParam, true});
    return true;
}

intptr_t sendMessage(WindowHandle window, uint32_t id, uintptr_t wParam, intptr_t lParam) {
    auto record = lookup(window);
    if (!record)
        return 0;
    return record->procedure(window, id, wParam, lParam);
}

void postQuitMessage(int exitCode) {
    auto& queue = *currentQueue();
    {
        std::lock_guard lock(queue.mutex);
        queue.quitPosted = true;
        queue.quitCode = exitCode;
    }
    queue.posted.notify_one();
    if (queue.backend)
        queue.backend->wake();
}

namespace {

// The next message without waiting: posted ones first, then the quit message once the
// queue is drained, then due timers, then paints (lowest priority, as on the phone).
bool takeMessage(ThreadQueue& queue, Message& message) {
    {
        std::lock_guard lock(queue.mutex);
        if (!queue.messages.empty()) {
            message = queue.messages.front();
            queue.messages.pop_front();
            return true;
        }
        if (queue.quitPosted) {
            queue.quitPosted = false;
            message = {0, msg::quit, static_cast<uintptr_t>(queue.quitCode), 0};
            return true;
        }
    }
    uint32_t now = tickCount();
    Timer* earliest = nullptr;
    for (auto& timer : queue.timers)
        if (ticksUntil(timer.due, now) <= 0 && (!earliest || ticksUntil(timer.due, earliest->due) < 0))
            earliest = &timer;
    if (earliest) {
        message = {earliest->window, msg::timer, earliest->id, 0};
        // Missed periods are not caught up: one message, then the next period from now.
        earliest->due = now + std::max<uint32_t>(earliest->period, 1);
        return true;
    }
    auto& system = WindowSystem::instance();
    std::lock_guard lock(system.mutex);
    for (WindowHandle handle : system.zOrder) {
        auto record = system.find(handle);
        if (!record || record->queue.get() != &queue || !record->visible || record->minimized)
            continue;
        // The parent first: its paint lays the children's buffers over its own drawing.
        if (!record->damaged.isEmpty() && !record->painting) {
            message = {handle, msg::paint, 0, 0};
            return true;
        }
        for (WindowHandle child : record->children) {
            auto c = system.find(child);
            if (c && c->visible && !c->damaged.isEmpty() && !c->painting) {
                message = {child, msg::paint, 0, 0};
                return true;
            }
        }
    }
    return false;
}

int timeoutToNextTimer(const ThreadQueue& queue) {
    if (queue.timers.empty())
        return -1;
    uint32_t now = tickCount();
    int32_t best = INT32_MAX;
    for (const auto& timer : queue.timers)
        best = std::min(best, ticksUntil(timer.due, now));
    return std::max(0, best);
}

} // namespace

bool getMessage(Message& message) {
    auto queue = currentQueue();
    while (!takeMessage(*queue, message)) {
        int timeout = timeoutToNextTimer(*queue);
        if (queue->backend) {
            queue->backend->waitForEvents(timeout);
            continue;
        }
        if (isVirtualClock() && timeout > 0) {
            // Nothing can happen before the next timer: in virtual time, go there.
            advanceVirtualClock(static_cast<uint32_t>(timeout));
            continue;
        }
        std::unique_lock lock(queue->mutex);
        auto ready = [&] { return !queue->messages.empty() || queue->quitPosted; };
        if (timeout < 0)
            queue->posted.wait(lock, ready);
        else
            queue->posted.wait_for(lock, std::chrono::milliseconds(timeout), ready);
    }
    return message.id != msg::quit;
}

bool peekMessage(Message& message) { return takeMessage(*currentQueue(), message); }

namespace {
thread_local bool dispatchingRemote = false;
}

bool dispatchingMessageFromOtherProcess() { return dispatchingRemote; }

intptr_t dispatchMessage(const Message& message) {
    struct Restore {
        bool saved = dispatchingRemote;
        ~Restore() { dispatchingRemote = saved; }
    } restore;
    dispatchingRemote = message.fromOtherProcess;
    if (message.id == msg::activate && message.wParam != 0 && !message.lParam) {
        // A cross-thread or cross-process foreground request, carried out here.
        auto record = lookup(message.window);
        if (record && record->queue == currentQueue()) {
            setForegroundWindow(message.window);
            return 0;
        }
    }
    return sendMessage(message.window, message.id, message.wParam, message.lParam);
}

int runMessageLoop() {
    Message message;
    while (getMessage(message))
        dispatchMessage(message);
    return static_cast<int>(message.wParam);
}

bool pumpMessages(int* exitCode) {
    Message message;
    while (peekMessage(message)) {
        if (message.id == msg::quit) {
            if (exitCode)
                *exitCode = static_cast<int>(message.wParam);
            return false;
        }
        dispatchMessage(message);
    }
    return true;
}

int millisecondsToNextTimer() { return timeoutToNextTimer(*currentQueue()); }

// --- timers ------------------------------------------------------------------------------

void setTimer(WindowHandle window, uintptr_t id, uint32_t periodMs) {
    auto record = lookup(window);
    if (!record)
        return;
    auto& timers = record->queue->timers;
    uint32_t due = tickCount() + std::max<uint32_t>(periodMs, 1);
    for (auto& timer : timers) {
        if (timer.window == window && timer.id == id) {
            timer.period = periodMs;
            timer.due = due;
            return;
        }
    }
    timers.push_back({window, id, periodMs, due});
}

void killTimer(WindowHandle window, uintptr_t id) {
    auto record = lookup(window);
    if (!record)
        return;
    std::erase_if(record->queue->timers,
                  [&](const Timer& t) { return t.window == window && t.id == id; });
}

// --- painting ----------------------------------------------------------------------------

void invalidateRect(WindowHandle window, const Rect* rect) {
    auto record = lookup(window);
    if (!record)
        return;
    Rect client{0, 0, record->rect.width(), record->rect.height()};
    Rect area = rect ? rect->intersected(client) : client;
    {
        std::lock_guard lock(WindowSystem::instance().mutex);
        record->damaged = record->damaged.united(area);
    }
    if (record->queue != currentQueue() && record->queue->backend)
        record->queue->backend->wake();
}

Rect beginPaint(WindowHandle window) {
    auto record = lookup(window);
    if (!record)
        return {};
    std::lock_guard lock(WindowSystem::instance().mutex);
    record->painting = true;
    record->paintingRect = record->damaged;
    record->damaged = {};
    return record->paintingRect;
}

namespace {

// Copies `area` (the parent's client coordinates) of every visible child over the
// parent's buffer, bottom child first.
void layChildrenOver(WindowRecord& parent, Rect area) {
    for (auto it = parent.children.rbegin(); it != parent.children.rend(); ++it) {
        auto child = lookup(*it);
        if (!child || !child->visible)
            continue;
        Rect target = area.intersected(child->rect).intersected(parent.buffer.bounds());
        for (int y = target.top; y < target.bottom; ++y)
            std::copy_n(child->buffer.row(y - child->rect.top) + (target.left - child->rect.left),
                        target.width(), parent.buffer.row(y) + target.left);
    }
}

} // namespace

void endPaint(WindowHandle window) {
    auto record = lookup(window);
    if (!record || !record->painting)
        return;
    record->painting = false;
    Rect painted = std::exchange(record->paintingRect, {});
    if (painted.isEmpty())
        return;
    // A child presents through its parent: its pixels join the parent's buffer.
    auto top = record;
    while (top->parent) {
        auto parent = lookup(top->parent);
        if (!parent)
            return;
        painted = painted.offsetBy(top->rect.left, top->rect.top).intersected(
            {0, 0, parent->rect.width(), parent->rect.height()});
        window = top->parent;
        top = parent;
    }
    layChildrenOver(*top, painted);
    if (Backend* backend = top->queue->backend; backend && !painted.isEmpty() &&
                                                  (top == record || (top->visible && !top->minimized)))
        backend->present(window, top->buffer, top->rect, painted);
}

void updateWindow(WindowHandle window) {
    auto record = lookup(window);
    if (record && record->visible && !record->minimized && !record->damaged.isEmpty())
        sendMessage(window, msg::paint);
}

Surface* windowBuffer(WindowHandle window) {
    auto record = lookup(window);
    return record ? &record->buffer : nullptr;
}

// --- screen, task bar, message boxes -----------------------------------------------------

void installBackend(Backend* backend) {
    currentQueue()->backend = backend;
    auto& system = WindowSystem::instance();
    std::lock_guard lock(system.mutex);
    system.backend = backend;
}

Backend* installedBackend() {
    auto& system = WindowSystem::instance();
    std::lock_guard lock(system.mutex);
    return system.backend;
}

Size screenSize() {
    Backend* backend = installedBackend();
    return backend ? backend->screenSize() : Size{480, 800};
}

Rect workArea() {
    Size screen = screenSize();
    Backend* backend = installedBackend();
    int top = isTaskBarVisible() ? (backend ? backend->taskBarHeight() : 0) : 0;
    return {0, top, screen.width, screen.height};
}

void setTaskBarVisible(bool visible) {
    auto& system = WindowSystem::instance();
    {
        std::lock_guard lock(system.mutex);
        if (system.taskBarVisible == visible)
            return;
        system.taskBarVisible = visible;
    }
    if (Backend* backend = installedBackend())
        backend->taskBarChanged(visible);
}

bool isTaskBarVisible() {
    auto& system = WindowSystem::instance();
    std::lock_guard lock(system.mutex);
    return system.taskBarVisible;
}

MessageBoxResult messageBox(WindowHandle owner, std::u16string_view text,
                            std::u16string_view caption) {
    auto& system = WindowSystem::instance();
    {
        std::lock_guard lock(system.mutex);
        if (system.messageBoxes.size() == WindowSystem::messageBoxesKept)
            system.messageBoxes.erase(system.messageBoxes.begin());
        system.messageBoxes.push_back(std::u16string(caption) + u": " + std::u16string(text));
    }
    if (Backend* backend = installedBackend())
        backend->messageBox(owner, std::u16string(text), std::u16string(caption));
    else
        std::fprintf(stderr, "MESSAGEBOX %s: %s\n", toUtf8(caption).c_str(), toUtf8(text).c_str());
    return MessageBoxResult::ok;
}

void raiseScreen() {
    auto& system = WindowSystem::instance();
    {
        std::lock_guard lock(system.mutex);
        ++system.screenRaises;
    }
    if (Backend* backend = installedBackend())
        backend->raise();
}

int screenRaiseCount() {
    auto& system = WindowSystem::instance();
    std::lock_guard lock(system.mutex);
    return system.screenRaises;
}

std::vector<std::u16string> messageBoxLog() {
    auto& system = WindowSystem::instance();
    std::lock_guard lock(system.mutex);
    return system.messageBoxes;
}

void installRemoteWindows(RemoteWindows* remote) {
    auto& system = WindowSystem::instance();
    std::lock_guard lock(system.mutex);
    system.remote = remote;
}

// --- input routing -----------------------------------------------------------------------

namespace {

WindowHandle windowAt(Point screen) {
    auto& system = WindowSystem::instance();
    std::lock_guard lock(system.mutex);
    if (system.capture && system.find(system.capture))
        return system.capture;
    for (WindowHandle handle : system.zOrder) {
        auto record = system.find(handle);
        if (!record || !record->visible || record->minimized || !record->rect.contains(screen))
            continue;
        Point inside{screen.x - record->rect.left, screen.y - record->rect.top};
        for (WindowHandle child : record->children) {
            auto c = system.find(child);
            if (c && c->visible && c->rect.contains(inside))
                return child;
        }
        return handle;
    }
    return 0;
}

WindowHandle keyboardTarget() {
    auto& system = WindowSystem::instance();
    std::lock_guard lock(system.mutex);
    return system.focus ? system.focus : system.active;
}

} // namespace

void injectStylus(StylusAction action, Point screen) {
    WindowHandle target = windowAt(screen);
    if (!target)
        return;
    Rect rect = screenRectOf(target);
    static constexpr uint32_t ids[] = {msg::leftButtonDown, msg::mouseMove, msg::leftButtonUp};
    if (action == StylusAction::down && activeWindow() != topLevelOf(target))
        setForegroundWindow(target);
    postMessage(target, ids[static_cast<int>(action)], action == StylusAction::up ? 0 : 1,
                packPoint(screen.x - rect.left, screen.y - rect.top));
}

void injectKey(uint32_t virtualKey, intptr_t keyFlags) {
    if (WindowHandle target = keyboardTarget())
        postMessage(target, msg::keyDown, virtualKey, keyFlags);
}

void injectCharacter(char16_t character) {
    if (WindowHandle target = keyboardTarget())
        postMessage(target, msg::character, character, 0);
}

void injectComposition(std::u16string_view text) {
    auto& system = WindowSystem::instance();
    {
        std::lock_guard lock(system.mutex);
        system.composition = text;
    }
    if (WindowHandle target = keyboardTarget())
        postMessage(target, msg::imeComposition);
}

std::u16string compositionText() {
    auto& system = WindowSystem::instance();
    std::lock_guard lock(system.mutex);
    return system.composition;
}

} // namespace vantrel::platform
