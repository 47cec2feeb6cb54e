#include "tools/SystemCommands.h"

#include "platform/core/Utf.h"
#include "platform/ipc/WindowChannel.h"
#include "platform/registry/Registry.h"

#include <cstdio>
#include <cstdlib>

namespace vantrel::tools {

using namespace vantrel::platform;
using registry::Root;

const char* const systemUsage =
    "       vantrel-device state battery|signal PERCENT\n"
    "       vantrel-device state operator NAME|-\n"
    "       vantrel-device state unread|calls COUNT\n"
    "       vantrel-device post MESSAGE\n"
    "       vantrel-device registry get HKCU|HKLM KEY NAME\n"
    "       vantrel-device registry set HKCU|HKLM KEY NAME dword|string VALUE\n";

namespace {

int usage() {
    std::fprintf(stderr, "usage:\n%s", systemUsage);
    return 2;
}

bool parseCount(const std::string& text, uint32_t limit, uint32_t& out) {
    char* end = nullptr;
    unsigned long value = std::strtoul(text.c_str(), &end, 10);
    if (text.empty() || *end || text[0] == '-' || value > limit)
        return false;
    out = static_cast<uint32_t>(value);
    return true;
}

bool parseRoot(const std::string& text, Root& root) {
    if (text == "HKCU" || text == "current-user")
        root = Root::currentUser;
    else if (text == "HKLM" || text == "local-machine")
        root = Root::localMachine;
    else
        return false;
    return true;
}

} // namespace

int runState(const std::vector<std::string>& args) {
    if (args.size() != 2)
        return usage();
    const std::string& what = args[0];
    const std::string& value = args[1];
    constexpr std::u16string_view phone = u"System\\State\\Phone";
    bool ok = false;
    uint32_t n = 0;
    if (what == "operator" && value == "-") {
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

int runPost(const std::vector<std::string>& args) {
    if (args.size() != 1)
        return usage();
    switch (ipc::postToProgram(toUtf16(args[0]))) {
    case ipc::PostResult::posted:
        return 0;
    case ipc::PostResult::noProgram:
        std::fprintf(stderr, "vantrel-device: the program is not running on this device\n");
        return 1;
    case ipc::PostResult::failed:
        break;
    }
    std::fprintf(stderr, "vantrel-device: cannot post %s\n", args[0].c_str());
    return 1;
}

int runRegistry(const std::vector<std::string>& args) {
    Root root;
    if (args.size() < 4 || !parseRoot(args[1], root))
        return usage();
    std::u16string key = toUtf16(args[2]), name = toUtf16(args[3]);
    if (args[0] == "get" && args.size() == 4) {
        uint32_t number = 0;
        std::u16string text;
        std::vector<uint8_t> bytes;
        if (registry::readDword(root, key, name, number)) {
            std::printf("dword %u\n", number);
        } else if (registry::readString(root, key, name, text)) {
            std::printf("string %s\n", toUtf8(text).c_str());
        } else if (registry::readBinary(root, key, name, bytes)) {
            std::printf("binary");
            for (uint8_t byte : bytes)
                std::printf(" %02x", byte);
            std::printf("\n");
        } else {
            std::fprintf(stderr, "vantrel-device: no value %s in %s\n", args[3].c_str(),
                         args[2].c_str());
            return 1;
        }
        return 0;
    }
    if (args[0] == "set" && args.size() == 6) {
        uint32_t number = 0;
        bool ok;
        if (args[4] == "dword" && parseCount(args[5], 0xFFFFFFFF, number))
            ok = registry::writeDword(root, key, name, number);
        else if (args[4] == "string")
            ok = registry::writeString(root, key, name, toUtf16(args[5]));
        else
            return usage();
        if (!ok) {
            std::fprintf(stderr, "vantrel-device: cannot write the device's registry\n");
            return 1;
        }
        return 0;
    }
    return usage();
}

} // namespace vantrel::tools
