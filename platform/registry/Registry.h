#pragma once
// The device's registry: two hives (current user, local machine) of keys holding named
// 32-bit, string and binary values. Key paths use backslashes ("Software\Vantrel\Contact";
// a leading backslash is ignored); key and value names compare without regard to ASCII
// case, so "fullscreen" and "Fullscreen" are one value; a key or value keeps the case of
// the name it was first written with. Every process of the device shares it: it is a
// SQLite file in the device folder ("registry.db"), each write atomic. A file SQLite
// cannot use is renamed aside ("registry.db.broken-<time>") and a new one started.

#include "platform/core/Window.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::platform::registry {

enum class Root { currentUser, localMachine };

// Reads fail (false) when the value is missing or has another type.
bool readDword(Root root, std::u16string_view key, std::u16string_view value, uint32_t& out);
bool readString(Root root, std::u16string_view key, std::u16string_view value, std::u16string& out);
bool readBinary(Root root, std::u16string_view key, std::u16string_view value,
                std::vector<uint8_t>& out);

// Writes create the key (and its parents) when missing and replace a value of any type.
bool writeDword(Root root, std::u16string_view key, std::u16string_view value, uint32_t data);
bool writeString(Root root, std::u16string_view key, std::u16string_view value,
                 std::u16string_view data);
bool writeBinary(Root root, std::u16string_view key, std::u16string_view value,
                 const std::vector<uint8_t>& data);

bool keyExists(Root root, std::u16string_view key);
bool createKey(Root root, std::u16string_view key);
bool deleteValue(Root root, std::u16string_view key, std::u16string_view value);
// Deletes the key with its values and sub-keys.
bool deleteKey(Root root, std::u16string_view key);

using NotificationId = uint64_t;

// Calls onChange (on a watcher thread) whenever the value changes, is created or is
// deleted, also when another process of the device wrote it. 0 on failure.
NotificationId notifyChange(Root root, std::u16string_view key, std::u16string_view value,
                            std::function<void()> onChange);
// The same, posting `message` (no parameters) to `window` on every change.
NotificationId notifyChange(Root root, std::u16string_view key, std::u16string_view value,
                            WindowHandle window, uint32_t message);
void cancelNotification(NotificationId id);

} // namespace vantrel::platform::registry
