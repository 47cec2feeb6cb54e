#include "ui/DumpCommands.h"

#include <fstream>

namespace vantrel {

void addDumpCommands(platform::ScriptRunner& runner, DumpSource dump, DumpLookup lookUp) {
    runner.addCommand("dump", [dump](const std::vector<std::string>& w, std::string& out) {
        if (w.size() != 1)
            return std::string("dump takes a file name");
        std::ofstream file(w[0], std::ios::binary);
        file << dump().toJson() << "\n";
        if (!file)
            return std::string("cannot write the dump " + w[0]);
        out = "dump " + w[0];
        return std::string();
    });
    runner.addCommand("expect", [dump, lookUp](const std::vector<std::string>& w, std::string&) {
        if (w.size() != 2)
            return std::string("expect takes a path and a value");
        DumpValue values = dump();
        const DumpValue* value = lookUp(values, w[0]);
        if (!value)
            return std::string("expect: nothing at " + w[0]);
        if (!dumpValueMatches(*value, w[1]))
            return "expect: " + w[0] + " is " + value->toJson() + ", not " + w[1];
        return std::string();
    });
    runner.addCommand("expect-missing", [dump, lookUp](const std::vector<std::string>& w,
                                                       std::string&) {
        if (w.size() != 1)
            return std::string("expect-missing takes a path");
        DumpValue values = dump();
        if (const DumpValue* value = lookUp(values, w[0]))
            return "expect-missing: " + w[0] + " is " + value->toJson();
        return std::string();
    });
    runner.addCommand("expect-soon", [&runner, dump, lookUp](const std::vector<std::string>& w,
                                                              std::string&) {
        uint32_t timeout = 5000;
        try {
            if (w.size() != 2 && w.size() != 3)
                throw 0;
            if (w.size() == 3)
                timeout = static_cast<uint32_t>(std::stoul(w[2]));
        } catch (...) {
            return std::string("expect-soon takes a path, a value and an optional timeout");
        }
        std::string path = w[0], expected = w[1];
        runner.waitUntil(
            [dump, lookUp, path, expected] {
                DumpValue values = dump();
                const DumpValue* value = lookUp(values, path);
                return value && dumpValueMatches(*value, expected);
            },
            timeout, "expect-soon: " + path + " did not become " + expected);
        return std::string();
    });
}

} // namespace vantrel
