#include "platform/registry/Registry.h"

#include "platform/registry/RegistryStore.h"
#include "platform/registry/RegistryWatcher.h"

namespace vantrel::platform::registry {

namespace {

std::optional<Value> readTyped(Root root, std::u16string_view key, std::u16string_view value,
                               ValueType type) {
    auto stored = RegistryStore::instance().read(root, KeyPath(key), ValueName(value));
    if (!stored || stored->type != type)
        return std::nullopt;
    return stored;
}

bool writeValue(Root root, std::u16string_view key, std::u16string_view name, Value value) {
    bool changed = false;
    bool ok = RegistryStore::instance().write(root, KeyPath(key), ValueName(name), value, changed);
    if (changed)
        RegistryWatcher::noteLocalChange();
    return ok;
}

} // namespace

bool readDword(Root root, std::u16string_view key, std::u16string_view value, uint32_t& out) {
    auto stored = readTyped(root, key, value, ValueType::dword);
    if (!stored || stored->data.size() != 4)
        return false;
    const auto& d = stored->data;
    out = uint32_t(d[0]) | uint32_t(d[1]) << 8 | uint32_t(d[2]) << 16 | uint32_t(d[3]) << 24;
    return true;
}

bool readString(Root root, std::u16string_view key, std::u16string_view value,
                std::u16string& out) {
    auto stored = readTyped(root, key, value, ValueType::string);
    if (!stored || stored->data.size() % 2 != 0)
        return false;
    const auto& d = stored->data;
    out.resize(d.size() / 2);
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<char16_t>(d[2 * i] | d[2 * i + 1] << 8);
    return true;
}

bool readBinary(Root root, std::u16string_view key, std::u16string_view value,
                std::vector<uint8_t>& out) {
    auto stored = readTyped(root, key, value, ValueType::binary);
    if (!stored)
        return false;
    out = std::move(stored->data);
    return true;
}

bool writeDword(Root root, std::u16string_view key, std::u16string_view value, uint32_t data) {
    return writeValue(
        root, key, value,
        {ValueType::dword,
         {uint8_t(data), uint8_t(data >> 8), uint8_t(data >> 16), uint8_t(data >> 24)}});
}

bool writeString(Root root, std::u16string_view key, std::u16string_view value,
                 std::u16string_view data) {
    Value stored{ValueType::string, {}};
    stored.data.reserve(data.size() * 2);
    for (char16_t c : data) {
        stored.data.push_back(uint8_t(c));
        stored.data.push_back(uint8_t(c >> 8));
    }
    return writeValue(root, key, value, std::move(stored));
}

bool writeBinary(Root root, std::u16string_view key, std::u16string_view value,
                 const std::vector<uint8_t>& data) {
    return writeValue(root, key, value, {ValueType::binary, data});
}

bool keyExists(Root root, std::u16string_view key) {
    return RegistryStore::instance().keyExists(root, KeyPath(key));
}

bool createKey(Root root, std::u16string_view key) {
    return RegistryStore::instance().createKey(root, KeyPath(key));
}

bool deleteValue(Root root, std::u16string_view key, std::u16string_view value) {
    bool deleted = RegistryStore::instance().deleteValue(root, KeyPath(key), ValueName(value));
    if (deleted)
        RegistryWatcher::noteLocalChange();
    return deleted;
}

bool deleteKey(Root root, std::u16string_view key) {
    bool deleted = RegistryStore::instance().deleteKey(root, KeyPath(key));
    if (deleted)
        RegistryWatcher::noteLocalChange();
    return deleted;
}

NotificationId notifyChange(Root root, std::u16string_view key, std::u16string_view value,
                            std::function<void()> onChange) {
    return RegistryWatcher::instance().add(root, KeyPath(key), ValueName(value),
                                           std::move(onChange));
}

NotificationId notifyChange(Root root, std::u16string_view key, std::u16string_view value,
                            WindowHandle window, uint32_t message) {
    if (window == 0)
        return 0;
    return notifyChange(root, key, value, [window, message] { postMessage(window, message); });
}

void cancelNotification(NotificationId id) {
    RegistryWatcher::instance().cancel(id);
}

} // namespace vantrel::platform::registry
