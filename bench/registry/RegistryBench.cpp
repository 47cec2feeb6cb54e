// Registry latencies: a read, a write, and a write until its change callback runs, in
// this process and from another process (this program started again with --serve).
#include "platform/registry/Registry.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

using namespace vantrel::platform::registry;

namespace {

constexpr Root cu = Root::currentUser;
constexpr auto patience = std::chrono::seconds(5);

// Google Benchmark calls each function several times; a counter that went on from the
// last run keeps every write a change, so every write notifies.
uint32_t nextValue() {
    static uint32_t value = 0;
    return ++value;
}

// The other process's side: every number read from standard input is written to the
// watched value.
int serveWrites() {
    char line[32];
    while (std::fgets(line, sizeof line, stdin))
        writeDword(cu, u"Bench\\Cross", u"Value",
                   static_cast<uint32_t>(std::strtoul(line, nullptr, 10)));
    return 0;
}

class Changes {
public:
    std::function<void()> callback() {
        return [this] {
            std::lock_guard lock(mutex_);
            ++count_;
            changed_.notify_all();
        };
    }
    int count() {
        std::lock_guard lock(mutex_);
        return count_;
    }
    bool waitFor(int count) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, patience, [&] { return count_ >= count; });
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int count_ = 0;
};

void readDwordLatency(benchmark::State& state) {
    writeDword(cu, u"Bench\\Read", u"Value", 1);
    uint32_t value = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(readDword(cu, u"Bench\\Read", u"Value", value));
}
BENCHMARK(readDwordLatency);

void writeDwordLatency(benchmark::State& state) {
    uint32_t value = 0;
    for (auto _ : state)
        writeDword(cu, u"Bench\\Write", u"Value", ++value);
}
BENCHMARK(writeDwordLatency);

void unchangedWriteLatency(benchmark::State& state) {
    for (auto _ : state)
        writeDword(cu, u"Bench\\Write", u"Same", 7);
}
BENCHMARK(unchangedWriteLatency);

void notifySameProcessLatency(benchmark::State& state) {
    Changes changes;
    NotificationId id = notifyChange(cu, u"Bench\\Own", u"Value", changes.callback());
    for (auto _ : state) {
        int expected = changes.count() + 1;
        writeDword(cu, u"Bench\\Own", u"Value", nextValue());
        if (!changes.waitFor(expected)) {
            state.SkipWithError("no notification");
            break;
        }
    }
    cancelNotification(id);
}
BENCHMARK(notifySameProcessLatency)->UseRealTime();

void notifyCrossProcessLatency(benchmark::State& state) {
    int toChild[2];
    if (pipe(toChild) != 0) {
        state.SkipWithError("no pipe");
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, toChild[0], STDIN_FILENO);
    posix_spawn_file_actions_addclose(&actions, toChild[1]);
    std::string self = std::filesystem::read_symlink("/proc/self/exe");
    char serve[] = "--serve";
    char* argv[] = {self.data(), serve, nullptr};
    pid_t child = 0;
    int spawned = posix_spawn(&child, self.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(toChild[0]);
    FILE* out = fdopen(toChild[1], "w");
    if (spawned != 0 || !out) {
        state.SkipWithError("cannot start the writer process");
        return;
    }

    Changes changes;
    NotificationId id = notifyChange(cu, u"Bench\\Cross", u"Value", changes.callback());
    for (auto _ : state) {
        int expected = changes.count() + 1;
        std::fprintf(out, "%u\n", nextValue());
        std::fflush(out);
        if (!changes.waitFor(expected)) {
            state.SkipWithError("no notification");
            break;
        }
    }
    cancelNotification(id);
    std::fclose(out);
    waitpid(child, nullptr, 0);
}
BENCHMARK(notifyCrossProcessLatency)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "--serve")
        return serveWrites();
    // A device of its own, never the user's.
    std::string pattern =
        (std::filesystem::temp_directory_path() / "vantrel-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        return 1;
    setenv("VANTREL_DEVICE", pattern.c_str(), 1);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code error;
    std::filesystem::remove_all(pattern, error);
    return 0;
}
