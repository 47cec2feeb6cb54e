// vantrel-device: the command line of the emulated phone. It changes the device's state
// the way the phone's system would, so the running program sees it through its
// notifications:
//
//   vantrel-device state battery PERCENT      main battery level (0..100)
//   vantrel-device state signal PERCENT       raw signal strength
//   vantrel-device state operator NAME|-      network operator's name; "-" for no network
//   vantrel-device state unread COUNT         unread SMS count
//   vantrel-device state calls COUNT          active call count
//   vantrel-device post MESSAGE               posts a registered message to the program
//   vantrel-device sms|modem|call ...         messages, the modem, the call log
//                                             (tools/MessagingCommands.h)
//   vantrel-device seed-demo --messages N [--seed S]
//                                             demo SMS threads and calls
//
// It works on the device of VANTREL_DEVICE (default $VANTREL_HOME/device).

#include "platform/core/Clock.h"
#include "platform/core/Utf.h"
#include "platform/core/Window.h"
#include "platform/ipc/WindowChannel.h"
#include "platform/registry/Registry.h"
#include "tools/DemoMessages.h"
#include "tools/MessagingCommands.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

using namespace vantrel::platform;
using registry::Root;

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: vantrel-device state battery|signal PERCENT\n"
                 "       vantrel-device state operator NAME|-\n"
                 "       vantrel-device state unread|calls COUNT\n"
                 "       vantrel-device post MESSAGE\n"
                 "       vantrel-device sms|modem|call ...\n"
                 "       vantrel-device seed-demo --messages N [--seed S]\n");
    return 2;
}

bool parseCount(const char* text, uint32_t limit, uint32_t& out) {
    char* end = nullptr;
    unsigned long value = std::strtoul(text, &end, 10);
    if (!*text || *end || value > limit)
        return false;
    out = static_cast<uint32_t>(value);
    return true;
}

int setState(const std::string& what, const char* value) {
    constexpr std::u16string_view phone = u"System\\State\\Phone";
    bool ok = false;
    uint32_t n = 0;
    if (what == "operator" && std::strcmp(value, "-") == 0) {
        // No network: the value is gone (and already gone is as good).
        registry::deleteValue(Root::localMachine, phone, u"Current Operator Name");
        ok = true;
    } else if (what == "operator") {
        ok = registry::writeString(Root::localMachine, phone, u"Current Operator Name",
                                   toUtf16(value));
    } else if ((what == "battery" || what == "signal") && parseCount(value, 100, n)) {
        // The battery's level sits in the upper 16 bits of its value.
        ok = what == "battery"
                 ? registry::writeDword(Root::localMachine, u"System\\State\\Battery", u"Main", n << 16)
                 : registry::writeDword(Root::localMachine, phone, u"Signal Strength Raw", n);
    } else if ((what == "unread" || what == "calls") && parseCount(value, 1000000, n)) {
        ok = what == "unread" ? registry::writeDword(Root::currentUser,
                                                     u"System\\State\\Messages\\SMS\\Unread",
                                                     u"Count", n)
                              : registry::writeDword(Root::localMachine, phone, u"Active Call Count", n);
    } else {
        return usage();
    }
    if (!ok) {
        std::fprintf(stderr, "vantrel-device: cannot write the device's registry\n");
        return 1;
    }
    return 0;
}

int post(const char* name) {
    ipc::startWindowChannel();
    WindowHandle window =
        findWindow(u"VANTREL-{15AF558C-BBDF-451e-B960-D18514426FFE}", u"Vantrel Contact");
    if (!window) {
        std::fprintf(stderr, "vantrel-device: the program is not running on this device\n");
        return 1;
    }
    uint32_t id = registerWindowMessage(toUtf16(name));
    if (!id || !postMessage(window, id)) {
        std::fprintf(stderr, "vantrel-device: cannot post %s\n", name);
        return 1;
    }
    return 0;
}

// Until the contact store seeds its own contacts, demo threads go to a few synthetic
// ones.
int seedDemo(int argc, char** argv) {
    uint32_t messages = 0, seed = 1;
    for (int i = 2; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--messages") == 0 && parseCount(argv[i + 1], 1000000, messages))
            continue;
        if (std::strcmp(argv[i], "--seed") == 0 && parseCount(argv[i + 1], UINT32_MAX, seed))
            continue;
        return usage();
    }
    if (argc % 2 != 0 || messages == 0)
        return usage();
    std::vector<vantrel::tools::DemoContact> contacts{
        {u"Anna Meier", {u"+41 79 123 45 67", u"044 321 65 43"}},
        {u"Bruno Keller", {u"+41 78 555 01 02"}},
        {u"Chloé Dubois", {u"+33 6 12 34 56 78"}},
        {u"Дмитрий Иванов", {u"+7 912 345 67 89"}},
        {u"Ελένη Παππά", {u"+30 694 123 4567"}},
        {u"王芳", {u"+86 138 0013 8000"}},
    };
    if (!vantrel::tools::seedDemoMessages(contacts, int(messages), seed, systemFileTime())) {
        std::fprintf(stderr, "vantrel-device: cannot write the device's stores\n");
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "state") == 0)
        return setState(argv[2], argv[3]);
    if (argc == 3 && std::strcmp(argv[1], "post") == 0)
        return post(argv[2]);
    if (argc >= 2 && (std::strcmp(argv[1], "sms") == 0 || std::strcmp(argv[1], "modem") == 0 ||
                      std::strcmp(argv[1], "call") == 0))
        return vantrel::tools::runMessagingCommand(argc - 1, argv + 1);
    if (argc >= 2 && std::strcmp(argv[1], "seed-demo") == 0)
        return seedDemo(argc, argv);
    return usage();
}
