// How fast messages travel: within a thread, between threads, between processes of the
// device, and how closely window timers keep their period on the real clock.

#include "platform/core/Backend.h"
#include "platform/core/Clock.h"
#include "platform/core/Window.h"
#include "platform/ipc/WindowChannel.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace vantrel::platform;

namespace {

constexpr uint32_t ping = msg::user + 1;
constexpr uint32_t pong = msg::user + 2;
constexpr uint32_t tick = 1;

std::atomic<WindowHandle> echoTarget{0};

// Answers every ping with a pong to the window named in the ping's wParam.
intptr_t echoProcedure(WindowHandle w, uint32_t id, uintptr_t wp, intptr_t lp) {
    if (id == ping) {
        postMessage(static_cast<WindowHandle>(wp), pong);
        return 0;
    }
    if (id == msg::destroy)
        postQuitMessage(0);
    return defaultWindowProcedure(w, id, wp, lp);
}

intptr_t quietProcedure(WindowHandle w, uint32_t id, uintptr_t wp, intptr_t lp) {
    return defaultWindowProcedure(w, id, wp, lp);
}

void registerClasses() {
    static bool done = [] {
        registerClass({u"bench-echo", echoProcedure});
        registerClass({u"bench-quiet", quietProcedure});
        return true;
    }();
    (void)done;
}

// Waits on this thread's queue for the next pong.
void awaitPong() {
    Message m;
    while (getMessage(m))
        if (m.id == pong)
            return;
}

void setTestFolders() {
    static bool done = [] {
        char pattern[] = "/tmp/vantrel-bench-XXXXXX";
        const char* folder = mkdtemp(pattern);
        setenv("VANTREL_HOME", folder, 1);
        setenv("VANTREL_DEVICE", (std::string(folder) + "/device").c_str(), 1);
        return true;
    }();
    (void)done;
}

void BM_PostAndDispatchOnOneThread(benchmark::State& state) {
    registerClasses();
    WindowHandle w = createWindow(u"bench-quiet", u"q", Rect{0, 0, 10, 10}, false);
    for (auto _ : state) {
        postMessage(w, msg::user);
        Message m;
        peekMessage(m);
        dispatchMessage(m);
    }
    destroyWindow(w);
}
BENCHMARK(BM_PostAndDispatchOnOneThread);

// One round trip is two posts and two wake-ups; the reported time is per round trip.
void BM_RoundTripBetweenThreads(benchmark::State& state) {
    registerClasses();
    std::thread echo([] {
        echoTarget = createWindow(u"bench-echo", u"echo", Rect{0, 0, 10, 10}, false);
        runMessageLoop();
    });
    while (!echoTarget)
        std::this_thread::yield();
    WindowHandle self = createWindow(u"bench-quiet", u"self", Rect{0, 0, 10, 10}, false);
    for (auto _ : state) {
        postMessage(echoTarget, ping, self);
        awaitPong();
    }
    postMessage(echoTarget, msg::close);
    echo.join();
    echoTarget = 0;
    destroyWindow(self);
}
BENCHMARK(BM_RoundTripBetweenThreads)->UseRealTime();

void BM_RoundTripBetweenProcesses(benchmark::State& state) {
    setTestFolders();
    registerClasses();
    pid_t child = fork();
    if (child == 0) {
        ipc::startWindowChannel();
        createWindow(u"bench-echo", u"remote echo", Rect{0, 0, 10, 10}, false);
        _exit(runMessageLoop());
    }
    ipc::startWindowChannel();
    WindowHandle remote = 0;
    for (int i = 0; i < 500 && !remote; ++i, usleep(10000))
        remote = findWindow(u"bench-echo", u"remote echo");
    if (!remote) {
        state.SkipWithError("the echo process did not come up");
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        return;
    }
    WindowHandle self = createWindow(u"bench-quiet", u"self", Rect{0, 0, 10, 10}, false);
    for (auto _ : state) {
        postMessage(remote, ping, self);
        awaitPong();
    }
    postMessage(remote, msg::close);
    waitpid(child, nullptr, 0);
    destroyWindow(self);
}
// A fixed count runs the body once: a second fork would inherit a started channel
// without its listening thread.
BENCHMARK(BM_RoundTripBetweenProcesses)->Iterations(3000)->UseRealTime();

// Runs a timer of the given period on the real clock and reports how late its
// messages came on average and at worst.
void BM_TimerAccuracy(benchmark::State& state) {
    registerClasses();
    useVirtualClock(false);
    const uint32_t period = static_cast<uint32_t>(state.range(0));
    WindowHandle w = createWindow(u"bench-quiet", u"timer", Rect{0, 0, 10, 10}, false);
    double lateSum = 0, lateMax = 0;
    int count = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        setTimer(w, tick, period);
        Message m;
        while (getMessage(m) && !(m.id == msg::timer && m.wParam == tick))
            dispatchMessage(m);
        double late = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count() - period;
        lateSum += late;
        lateMax = std::max(lateMax, late);
        ++count;
    }
    killTimer(w, tick);
    destroyWindow(w);
    state.counters["late_mean_ms"] = lateSum / std::max(count, 1);
    state.counters["late_max_ms"] = lateMax;
}
BENCHMARK(BM_TimerAccuracy)->Arg(10)->Arg(50)->Iterations(40)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
