#include "ui/ControlDump.h"

#include "platform/core/Utf.h"
#include "ui/ControlHost.h"
#include "ui/LightControl.h"

#include <charconv>

namespace vantrel {

// ---- values ----

const DumpValue* DumpValue::member(std::string_view key) const {
    if (const Object* object = asObject())
        for (const auto& [name, value] : *object)
            if (name == key)
                return &value;
    return nullptr;
}

namespace {

void appendQuoted(std::string& out, std::string_view utf8) {
    out += '"';
    for (char c : utf8) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                static const char hex[] = "0123456789abcdef";
                out += "\\u00";
                out += hex[(c >> 4) & 0xF];
                out += hex[c & 0xF];
            } else {
                out += c;
            }
        }
    }
    out += '"';
}

void appendJson(std::string& out, const DumpValue& value) {
    if (const bool* flag = value.asBool()) {
        out += *flag ? "true" : "false";
    } else if (const int64_t* number = value.asInteger()) {
        out += std::to_string(*number);
    } else if (const std::u16string* text = value.asText()) {
        appendQuoted(out, platform::toUtf8(*text));
    } else if (const DumpValue::Array* array = value.asArray()) {
        out += '[';
        for (size_t i = 0; i < array->size(); ++i) {
            if (i)
                out += ',';
            appendJson(out, (*array)[i]);
        }
        out += ']';
    } else if (const DumpValue::Object* object = value.asObject()) {
        out += '{';
        for (size_t i = 0; i < object->size(); ++i) {
            if (i)
                out += ',';
            appendQuoted(out, (*object)[i].first);
            out += ':';
            appendJson(out, (*object)[i].second);
        }
        out += '}';
    } else {
        out += "null";
    }
}

} // namespace

std::string DumpValue::toJson() const {
    std::string out;
    appendJson(out, *this);
    return out;
}

// ---- writer ----

DumpValue& DumpWriter::slot(std::string_view key) {
    for (auto& [name, value] : object_)
        if (name == key)
            return value;
    object_.emplace_back(std::string(key), DumpValue());
    return object_.back().second;
}

void DumpWriter::add(std::string_view key, DumpValue value) {
    slot(key) = std::move(value);
}

void DumpWriter::add(std::string_view key, std::u16string_view text) {
    add(key, DumpValue(std::u16string(text)));
}

void DumpWriter::add(std::string_view key, const platform::Rect& rect) {
    add(key, DumpValue(DumpValue::Array{rect.left, rect.top, rect.right, rect.bottom}));
}

void DumpWriter::append(std::string_view key, DumpValue value) {
    DumpValue& array = slot(key);
    if (!array.asArray())
        array = DumpValue(DumpValue::Array{});
    array.asArray()->push_back(std::move(value));
}

void DumpWriter::addControl(std::string_view key, const LightControl& control) {
    append(key, dumpControl(control));
}

DumpValue dumpControl(const LightControl& control) {
    DumpValue::Object object;
    DumpWriter writer(object);
    control.describe(writer);
    return DumpValue(std::move(object));
}

DumpValue dumpWindow(platform::WindowHandle window) {
    DumpValue::Array controls;
    if (ControlHost* host = ControlHost::find(window))
        for (const LightControl* control : host->controls())
            controls.push_back(dumpControl(*control));
    return DumpValue(DumpValue::Object{{"controls", DumpValue(std::move(controls))}});
}

// ---- paths ----

namespace {

// The control a segment names among `controls`: by instance name, else by type name,
// the n-th match when the segment ends in "#n".
const DumpValue* findControl(const DumpValue::Array& controls, std::string_view segment) {
    size_t wanted = 0;
    if (size_t hash = segment.rfind('#'); hash != std::string_view::npos) {
        std::string_view digits = segment.substr(hash + 1);
        auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), wanted);
        if (error != std::errc() || end != digits.data() + digits.size())
            return nullptr;
        segment = segment.substr(0, hash);
    }
    std::u16string name = platform::toUtf16(segment);
    for (const char* field : {"name", "type"}) {
        size_t seen = 0;
        for (const DumpValue& control : controls) {
            const DumpValue* value = control.member(field);
            if (value && value->asText() && *value->asText() == name && seen++ == wanted)
                return &control;
        }
    }
    return nullptr;
}

// A member path below a control: names separated by ".", each optionally followed by
// "#n" to pick the n-th element (from 0) of an array.
const DumpValue* findMember(const DumpValue& start, std::string_view path) {
    const DumpValue* current = &start;
    while (current && !path.empty()) {
        size_t dot = path.find('.');
        std::string_view part = path.substr(0, dot);
        path = dot == std::string_view::npos ? std::string_view() : path.substr(dot + 1);
        size_t hash = part.find('#');
        current = current->member(part.substr(0, hash));
        if (current && hash != std::string_view::npos) {
            std::string_view digits = part.substr(hash + 1);
            size_t index = 0;
            auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), index);
            const DumpValue::Array* array = current->asArray();
            if (error != std::errc() || end != digits.data() + digits.size() || !array ||
                index >= array->size())
                return nullptr;
            current = &(*array)[index];
        }
    }
    return current;
}

const DumpValue::Array* childrenOf(const DumpValue& parent, bool topLevel) {
    const DumpValue* list = parent.member(topLevel ? "controls" : "children");
    return list ? list->asArray() : nullptr;
}

} // namespace

const DumpValue* findDumpValue(const DumpValue& dump, std::string_view path) {
    const DumpValue* current = &dump;
    bool topLevel = true;
    while (!path.empty()) {
        size_t slash = path.find('/');
        std::string_view segment = path.substr(0, slash);
        path = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
        const DumpValue::Array* controls = childrenOf(*current, topLevel);
        if (!controls)
            return nullptr;
        const DumpValue* found = findControl(*controls, segment);
        if (!found && path.empty()) {
            // The last segment may end in a property: "header.texts", or a property path
            // into a list's rows: "contactlist.items#2.first". Instance names may hold
            // dots themselves ("buttons.bg"), so the longest control name wins.
            for (size_t dot = segment.rfind('.'); dot != std::string_view::npos && dot > 0;
                 dot = segment.rfind('.', dot - 1)) {
                if (const DumpValue* control = findControl(*controls, segment.substr(0, dot)))
                    return findMember(*control, segment.substr(dot + 1));
            }
            return nullptr;
        }
        if (!found)
            return nullptr;
        current = found;
        topLevel = false;
    }
    return topLevel ? nullptr : current;
}

bool dumpValueMatches(const DumpValue& value, std::string_view expected) {
    if (const std::u16string* text = value.asText(); text && platform::toUtf8(*text) == expected)
        return true;
    std::string json = value.toJson();
    // Spaces outside quoted texts carry no meaning in JSON.
    std::string compact;
    bool quoted = false;
    for (size_t i = 0; i < expected.size(); ++i) {
        char c = expected[i];
        if (c == '"' && (i == 0 || expected[i - 1] != '\\'))
            quoted = !quoted;
        if (quoted || (c != ' ' && c != '\t'))
            compact += c;
    }
    return compact == json;
}

} // namespace vantrel
