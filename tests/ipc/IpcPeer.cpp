// The other process of the ipc tests. One command a run; results on standard output,
// a line each:
//   hold-mutex NAME          takes the mutex, prints the result, then waits to be killed
//   take-mutex NAME MS       prints "waiting", waits MS (-1: for ever), prints the result
//   wait-event NAME MS       prints "waiting", waits MS (-1: for ever), prints the result
//   set-event NAME
//   window CLASS TITLE       makes a window, prints "ready", then waits to be killed
//   (no command)             appends "ran" to the file $IPC_PEER_MARK and ends with 7
#include "platform/core/Utf.h"
#include "platform/core/Window.h"
#include "platform/ipc/NamedEvent.h"
#include "platform/ipc/NamedMutex.h"
#include "platform/ipc/WindowChannel.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

using namespace vantrel::platform;

namespace {

const char* nameOf(ipc::WaitResult result) {
    switch (result) {
    case ipc::WaitResult::signaled:
        return "signaled";
    case ipc::WaitResult::abandoned:
        return "abandoned";
    case ipc::WaitResult::timedOut:
        return "timedOut";
    default:
        return "failed";
    }
}

void say(const char* line) {
    std::printf("%s\n", line);
    std::fflush(stdout);
}

[[noreturn]] void waitToBeKilled() {
    for (;;)
        pause();
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 1) {
        std::ofstream(std::getenv("IPC_PEER_MARK"), std::ios::app) << "ran\n";
        return 7;
    }
    std::string command = argv[1];
    std::u16string name = argc > 2 ? toUtf16(argv[2]) : u"";
    std::chrono::milliseconds timeout(argc > 3 ? std::atoi(argv[3]) : 0);
    if (command == "hold-mutex" || command == "take-mutex") {
        auto mutex = ipc::NamedMutex::create(name);
        if (!mutex)
            return 2;
        if (command == "hold-mutex") {
            say(nameOf(mutex->wait()));
            waitToBeKilled();
        }
        say("waiting");
        auto result = mutex->wait(timeout);
        say(nameOf(result));
        if (result == ipc::WaitResult::signaled || result == ipc::WaitResult::abandoned)
            mutex->release();
        return 0;
    }
    if (command == "wait-event" || command == "set-event") {
        auto event = ipc::NamedEvent::create(name);
        if (!event)
            return 2;
        if (command == "set-event") {
            event->set();
            return 0;
        }
        say("waiting");
        say(nameOf(event->wait(timeout)));
        return 0;
    }
    if (command == "window" && argc == 4) {
        registerClass({name, defaultWindowProcedure});
        if (!ipc::startWindowChannel() || !createWindow(name, toUtf16(argv[3]), {0, 0, 8, 8}, false))
            return 2;
        say("ready");
        waitToBeKilled();
    }
    return 1;
}
