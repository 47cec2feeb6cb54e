#pragma once
// The registry's SQLite file, private to platform/registry. One connection per process,
// guarded by one mutex; every write is one IMMEDIATE transaction, so a reader in this or
// another process sees a value before or after a write, never half of it.
//
// Names are kept twice: as written (the case of the FIRST writer is kept, later writes
// that differ only in case update the data, not the name) and folded to ASCII lower case,
// which is what lookups compare.

#include "platform/registry/Registry.h"
#include "platform/registry/SqliteFile.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>


namespace vantrel::platform::registry {

// The type numbers of the phone platform, kept so a dump reads the same.
enum class ValueType : int { string = 1, binary = 3, dword = 4 };

struct Value {
    ValueType type = ValueType::binary;
    std::vector<uint8_t> data;
    bool operator==(const Value&) const = default;
};

// A key path in canonical form: components joined by one backslash, no leading or
// trailing separator, empty components dropped. The empty path is the hive itself.
struct KeyPath {
    std::string display; // UTF-8, as the caller wrote it
    std::string folded;  // UTF-8, ASCII lower case: the identity of the key
    explicit KeyPath(std::u16string_view path);
};

// A value's identity inside its key.
struct ValueName {
    std::string display;
    std::string folded;
    explicit ValueName(std::u16string_view name);
};

class RegistryStore {
public:
    // The process's store; never destroyed, so threads still running at exit never see
    // it torn down.
    static RegistryStore& instance();

    // nullopt when the value is missing or the database cannot be used.
    std::optional<Value> read(Root root, const KeyPath& key, const ValueName& name);
    // The same, telling a missing value (true, nullopt) from a failed read (false).
    bool lookup(Root root, const KeyPath& key, const ValueName& name, std::optional<Value>& out);
    // `changed` tells whether the stored data differs from before the write.
    bool write(Root root, const KeyPath& key, const ValueName& name, const Value& value,
               bool& changed);
    bool keyExists(Root root, const KeyPath& key);
    bool createKey(Root root, const KeyPath& key);
    // False when there was nothing to delete.
    bool deleteValue(Root root, const KeyPath& key, const ValueName& name);
    bool deleteKey(Root root, const KeyPath& key);

    // The folder the database lives in, as the environment names it now.
    static std::filesystem::path folder();
    static constexpr const char* fileName = "registry.db";
    // Written after every commit that changed something; watchers of every process
    // sleep on it.
    static constexpr const char* changeSignalName = "registry.changed";
    static std::filesystem::path changeSignalPath(const std::filesystem::path& folder);

private:
    RegistryStore();

    using Outcome = SqliteFile::Outcome;
    // Runs the operation under the store's mutex on the file the environment names now.
    bool run(const char* what, const std::function<Outcome()>& operation);
    Outcome insertKeyAndParents(Root root, const KeyPath& key);
    // Announces a committed change to the watchers of every process when there was one.
    Outcome announcing(bool changed, Outcome outcome);
    void announceChange();

    std::mutex mutex_;
    SqliteFile file_;
    int changeSignal_ = -1;
    std::filesystem::path signalFolder_;
};

} // namespace vantrel::platform::registry
