// Script paths into the control dump ("contactcontainer/header.texts") and the expected
// values compared with what they name come from script files: any text must give an
// answer or nothing, never a crash.

#include "ui/ControlDump.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

using namespace vantrel;

namespace {

DumpValue node(const char16_t* type, const char16_t* name, DumpValue::Array children) {
    DumpValue::Object object{{"type", DumpValue(std::u16string(type))},
                             {"name", DumpValue(std::u16string(name))},
                             {"rect", DumpValue(DumpValue::Array{0, 0, 480, 800})},
                             {"visible", DumpValue(true)},
                             {"texts", DumpValue(DumpValue::Array{std::u16string(u"a \"b\"")})}};
    if (!children.empty())
        object.emplace_back("children", DumpValue(std::move(children)));
    return DumpValue(std::move(object));
}

const DumpValue& sampleDump() {
    static const DumpValue dump(DumpValue::Object{
        {"controls",
         DumpValue(DumpValue::Array{node(u"panel", u"contactcontainer",
                                         {node(u"header", u"contactcontainer", {}),
                                          node(u"button", u"b.c", {}), node(u"button", u"#1", {})}),
                                    node(u"panel", u"smspanel", {})})}});
    return dump;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    // The first line is the path, the rest the expected value.
    size_t newline = input.find('\n');
    std::string_view path = input.substr(0, newline);
    std::string_view expected = newline == std::string_view::npos ? "" : input.substr(newline + 1);
    if (const DumpValue* value = findDumpValue(sampleDump(), path)) {
        dumpValueMatches(*value, expected);
        value->toJson();
    }
    return 0;
}
