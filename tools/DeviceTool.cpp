// vantrel-device: the command line of the emulated phone. It changes the device's state
// the way the phone's system would, so the running program sees it through its
// notifications. Each area of the phone has its own file of commands; this one only
// picks the area. It works on the device of VANTREL_DEVICE (default
// $VANTREL_HOME/device).

#include "tools/ContactCommands.h"
#include "tools/MessagingCommands.h"
#include "tools/SeedDemo.h"
#include "tools/SystemCommands.h"

#include <cstdio>
#include <string>
#include <vector>

using namespace vantrel::tools;

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + (argc > 1 ? 2 : 1), argv + argc);
    std::string command = argc > 1 ? argv[1] : "";
    if (command == "state")
        return runState(args);
    if (command == "post")
        return runPost(args);
    if (command == "registry")
        return runRegistry(args);
    if (command == "contacts")
        return runContacts(args);
    if (command == "sms" || command == "modem" || command == "call")
        return runMessagingCommand(argc - 1, argv + 1);
    if (command == "seed-demo")
        return runSeedDemo(args);
    std::fprintf(stderr, "usage:\n%s%s%s%s", systemUsage, contactsUsage, messagingUsage,
                 seedDemoUsage);
    return 2;
}
