// What the preloader's primitives cost: taking a named mutex, handing a named event over
// between threads and between processes, and starting a held program, resuming it and
// collecting it.

#include "platform/ipc/ChildProcess.h"
#include "platform/ipc/NamedEvent.h"
#include "platform/ipc/NamedMutex.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace vantrel::platform;
using namespace std::chrono_literals;

namespace {

void BM_MutexTakeAndRelease(benchmark::State& state) {
    auto mutex = ipc::NamedMutex::create(u"BenchMutex");
    for (auto _ : state) {
        mutex->wait();
        mutex->release();
    }
}
BENCHMARK(BM_MutexTakeAndRelease);

// One round: set the other side's event and wait for ours.
void BM_EventRoundTripBetweenThreads(benchmark::State& state) {
    auto ping = ipc::NamedEvent::create(u"BenchPing");
    auto pong = ipc::NamedEvent::create(u"BenchPong");
    std::atomic<bool> done{false};
    std::thread echo([&] {
        while (ping->wait(100ms) == ipc::WaitResult::signaled || !done)
            if (!done)
                pong->set();
    });
    for (auto _ : state) {
        ping->set();
        pong->wait();
    }
    done = true;
    echo.join();
}
BENCHMARK(BM_EventRoundTripBetweenThreads)->UseRealTime();

void BM_EventRoundTripBetweenProcesses(benchmark::State& state) {
    auto ping = ipc::NamedEvent::create(u"BenchPing");
    auto pong = ipc::NamedEvent::create(u"BenchPong");
    pid_t echo = fork();
    if (echo == 0) {
        for (;;) {
            ping->wait();
            pong->set();
        }
    }
    for (auto _ : state) {
        ping->set();
        pong->wait();
    }
    kill(echo, SIGKILL);
    waitpid(echo, nullptr, 0);
}
BENCHMARK(BM_EventRoundTripBetweenProcesses)->UseRealTime();

void BM_StartHeldResumeAndCollect(benchmark::State& state) {
    for (auto _ : state) {
        auto child = ipc::ChildProcess::startSuspended("/bin/true");
        child->resume();
        child->waitForExit(10s);
    }
}
BENCHMARK(BM_StartHeldResumeAndCollect)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    // A device of its own: the user's is never touched.
    char folder[] = "/tmp/vantrel-bench-XXXXXX";
    if (!mkdtemp(folder))
        return 1;
    setenv("VANTREL_DEVICE", folder, 1);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    for (auto name : {u"BenchMutex", u"BenchPing", u"BenchPong"})
        ipc::removeNamedObject(name);
    std::filesystem::remove_all(folder);
    return 0;
}
