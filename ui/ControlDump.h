#pragma once
// The control tree of a window as JSON, for scripts and end-to-end tests: every
// top-level control and, recursively, its children, each with its type name, instance
// name, rectangle [left, top, right, bottom], visibility, the texts it shows and its
// pressed or checked state where it has one. Controls add their part through
// LightControl::describe; lists add their items the same way.
//
// A path picks one value out of a dump: "contactcontainer.visible",
// "contactcontainer/header.texts", "smspanel/button#1.rect". Segments separated by "/"
// go down the tree, each naming a control by instance name or, failing that, by type
// name, "#n" choosing the n-th such control (from 0); the part after the control's name
// and a "." is a property, which may go on into members and array elements
// ("contactlist.items#2.first"). A path without a property gives the whole control.

#include "platform/core/Geometry.h"
#include "platform/core/Window.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace vantrel {

class LightControl;

// A JSON value: null, true/false, an integer, a text, an array or an object whose
// members keep the order they were written in.
class DumpValue {
public:
    using Array = std::vector<DumpValue>;
    using Object = std::vector<std::pair<std::string, DumpValue>>;

    DumpValue() = default;
    DumpValue(bool value) : value_(value) {}
    DumpValue(int value) : value_(static_cast<int64_t>(value)) {}
    DumpValue(int64_t value) : value_(value) {}
    DumpValue(std::u16string value) : value_(std::move(value)) {}
    DumpValue(Array value) : value_(std::move(value)) {}
    DumpValue(Object value) : value_(std::move(value)) {}
    static DumpValue object() { return DumpValue(Object{}); }

    bool isNull() const { return std::holds_alternative<std::monostate>(value_); }
    const bool* asBool() const { return std::get_if<bool>(&value_); }
    const int64_t* asInteger() const { return std::get_if<int64_t>(&value_); }
    const std::u16string* asText() const { return std::get_if<std::u16string>(&value_); }
    const Array* asArray() const { return std::get_if<Array>(&value_); }
    Array* asArray() { return std::get_if<Array>(&value_); }
    const Object* asObject() const { return std::get_if<Object>(&value_); }
    Object* asObject() { return std::get_if<Object>(&value_); }
    // The member of an object, or null.
    const DumpValue* member(std::string_view key) const;

    // Compact JSON, UTF-8, with control characters and quotes escaped.
    std::string toJson() const;

private:
    std::variant<std::monostate, bool, int64_t, std::u16string, Array, Object> value_;
};

// What describe writes into: one control's JSON object.
class DumpWriter {
public:
    explicit DumpWriter(DumpValue::Object& object) : object_(object) {}

    void add(std::string_view key, DumpValue value);
    void add(std::string_view key, bool value) { add(key, DumpValue(value)); }
    void add(std::string_view key, int value) { add(key, DumpValue(value)); }
    void add(std::string_view key, std::u16string_view text);
    void add(std::string_view key, const platform::Rect& rect);
    // Writes the control's own description as one more entry of the array `key`
    // ("children", "items"), creating the array on first use.
    void addControl(std::string_view key, const LightControl& control);
    // Appends a finished value to the array `key`.
    void append(std::string_view key, DumpValue value);

private:
    DumpValue& slot(std::string_view key);

    DumpValue::Object& object_;
};

// One control as a JSON object.
DumpValue dumpControl(const LightControl& control);
// {"controls": [...]} for the window's top-level controls, in the host's order;
// an empty list for a window without a host.
DumpValue dumpWindow(platform::WindowHandle window);

// The value a path names in a dump made by dumpWindow, or null when there is none.
const DumpValue* findDumpValue(const DumpValue& dump, std::string_view path);
// Whether a dumped value reads as `expected`: its JSON form (spaces outside texts do
// not matter, so "[0, 0, 480, 84]" matches), or for a text the bare text itself.
bool dumpValueMatches(const DumpValue& value, std::string_view expected);

} // namespace vantrel
