#include "platform/registry/RegistryStore.h"

#include "platform/core/Paths.h"
#include "platform/core/PrivateFiles.h"
#include "platform/core/Utf.h"

#include <sqlite3.h>

#include <fcntl.h>
#include <unistd.h>

// Contents:
//   (top)      the tables and the statements on them
//   names      canonical key paths and value names
//   lifecycle  the file (opened, checked and moved aside by SqliteFile), announcements
//   values     read, write, delete

namespace vantrel::platform::registry {

namespace fs = std::filesystem;

namespace {

// keys: one row per key, its path folded to lower case (its identity) and as first
// written. vals: one row per value; data is the raw bytes (a 32-bit value little endian,
// a string UTF-16LE so that any text, even an unpaired surrogate, comes back unchanged).
constexpr const char* schemaSql = "CREATE TABLE IF NOT EXISTS keys("
                                  " root INTEGER NOT NULL, path TEXT NOT NULL,"
                                  " name TEXT NOT NULL, PRIMARY KEY(root, path)) WITHOUT ROWID;"
                                  "CREATE TABLE IF NOT EXISTS vals("
                                  " root INTEGER NOT NULL, key TEXT NOT NULL,"
                                  " folded TEXT NOT NULL, name TEXT NOT NULL,"
                                  " type INTEGER NOT NULL, data BLOB NOT NULL,"
                                  " PRIMARY KEY(root, key, folded)) WITHOUT ROWID;";

constexpr const char* readSql =
    "SELECT type, data FROM vals WHERE root=?1 AND key=?2 AND folded=?3";
// The name keeps its first writer's case; the row is only touched when the data differs,
// so sqlite3_changes() says whether the write changed anything.
constexpr const char* upsertSql =
    "INSERT INTO vals(root, key, folded, name, type, data) VALUES(?1, ?2, ?3, ?4, ?5, ?6)"
    " ON CONFLICT(root, key, folded) DO UPDATE SET type=excluded.type, data=excluded.data"
    " WHERE type IS NOT excluded.type OR data IS NOT excluded.data";
constexpr const char* insertKeySql =
    "INSERT OR IGNORE INTO keys(root, path, name) VALUES(?1, ?2, ?3)";
constexpr const char* keyExistsSql = "SELECT 1 FROM keys WHERE root=?1 AND path=?2";
constexpr const char* deleteValueSql = "DELETE FROM vals WHERE root=?1 AND key=?2 AND folded=?3";
// A key and everything below it: every path that starts with "<key>\" sorts between
// "<key>\" and "<key>]", since ']' follows '\' in byte order. LIKE would treat '%' and
// '_' in key names as wildcards.
constexpr const char* deleteKeysSql =
    "DELETE FROM keys WHERE root=?1 AND (path=?2 OR (path>=?2||'\\' AND path<?2||']'))";
constexpr const char* deleteKeyValuesSql =
    "DELETE FROM vals WHERE root=?1 AND (key=?2 OR (key>=?2||'\\' AND key<?2||']'))";

std::string foldedUtf8(std::string_view utf8) {
    std::string folded(utf8);
    for (char& c : folded)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return folded;
}

void bindText(sqlite3_stmt* statement, int index, const std::string& text) {
    sqlite3_bind_text(statement, index, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
}

// Every statement addresses a value or key the same way: the hive first, then the folded
// key path, then (for values) the folded value name.
void bindAddress(sqlite3_stmt* statement, Root root, const std::string& key,
                 const std::string* name = nullptr) {
    sqlite3_bind_int(statement, 1, static_cast<int>(root));
    bindText(statement, 2, key);
    if (name)
        bindText(statement, 3, *name);
}

} // namespace

// ---------------------------------------------------------------------------- names

KeyPath::KeyPath(std::u16string_view path) {
    // Empty components (a leading, trailing or doubled backslash) are dropped, so
    // "\Software\Vantrel" and "Software\Vantrel\" name the same key.
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find(u'\\', start);
        if (end == std::u16string_view::npos)
            end = path.size();
        if (end > start) {
            if (!display.empty())
                display += '\\';
            display += toUtf8(path.substr(start, end - start));
        }
        start = end + 1;
    }
    // ASCII folding keeps every byte's position, so a separator sits at the same offset
    // in both forms.
    folded = foldedUtf8(display);
}

ValueName::ValueName(std::u16string_view name)
    : display(toUtf8(name)), folded(foldedUtf8(display)) {}

// ---------------------------------------------------------------------------- lifecycle

RegistryStore& RegistryStore::instance() {
    static RegistryStore* store = new RegistryStore;
    return *store;
}

RegistryStore::RegistryStore()
    : file_("registry", SqliteFile::Schema{schemaSql,
                                           {"keys", "vals"},
                                           {readSql, upsertSql, insertKeySql, deleteKeysSql,
                                            deleteKeyValuesSql},
                                           changeSignalName}) {}

fs::path RegistryStore::folder() {
    return deviceFolder();
}

fs::path RegistryStore::changeSignalPath(const fs::path& folder) {
    return folder / changeSignalName;
}

bool RegistryStore::run(const char* what, const std::function<Outcome()>& operation) {
    std::lock_guard lock(mutex_);
    fs::path path = folder() / fileName;
    return file_.run(path, what, [&] {
        if (signalFolder_ != path.parent_path()) {
            if (changeSignal_ >= 0)
                ::close(changeSignal_);
            fs::path signal = changeSignalPath(path.parent_path());
            makePrivateFile(signal);
            changeSignal_ = ::open(signal.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
            signalFolder_ = path.parent_path();
        }
        return operation();
    });
}

RegistryStore::Outcome RegistryStore::insertKeyAndParents(Root root, const KeyPath& key) {
    sqlite3_stmt* insert = nullptr;
    if (Outcome outcome = file_.prepare(insertKeySql, insert); outcome != Outcome::ok)
        return outcome;
    for (size_t end = 0; end != std::string::npos && !key.folded.empty();) {
        end = key.folded.find('\\', end + 1);
        size_t length = end == std::string::npos ? key.folded.size() : end;
        std::string folded = key.folded.substr(0, length);
        std::string display = key.display.substr(0, length);
        StatementUse use(insert);
        bindAddress(insert, root, folded);
        bindText(insert, 3, display);
        bool row = false;
        if (Outcome outcome = file_.step(insert, row); outcome != Outcome::ok)
            return outcome;
    }
    return Outcome::ok;
}

RegistryStore::Outcome RegistryStore::announcing(bool changed, Outcome outcome) {
    if (changed && outcome == Outcome::ok)
        announceChange();
    return outcome;
}

void RegistryStore::announceChange() {
    // The commit is visible to every reader by now. Its own writes to the journal came
    // before that moment (the shared index is updated in memory after them), so only
    // a write made after the commit can safely wake another process's watcher.
    const char bump = 1;
    if (changeSignal_ >= 0) [[maybe_unused]]
        ssize_t written = ::pwrite(changeSignal_, &bump, 1, 0);
}

// ---------------------------------------------------------------------------- values

std::optional<Value> RegistryStore::read(Root root, const KeyPath& key, const ValueName& name) {
    std::optional<Value> result;
    lookup(root, key, name, result);
    return result;
}

bool RegistryStore::lookup(Root root, const KeyPath& key, const ValueName& name,
                           std::optional<Value>& result) {
    return run("read", [&] {
        result.reset();
        sqlite3_stmt* select = nullptr;
        if (Outcome outcome = file_.prepare(readSql, select); outcome != Outcome::ok)
            return outcome;
        StatementUse use(select);
        bindAddress(select, root, key.folded, &name.folded);
        bool row = false;
        if (Outcome outcome = file_.step(select, row); outcome != Outcome::ok || !row)
            return outcome;
        Value value;
        value.type = static_cast<ValueType>(sqlite3_column_int(select, 0));
        const auto* bytes = static_cast<const uint8_t*>(sqlite3_column_blob(select, 1));
        value.data.assign(bytes, bytes + sqlite3_column_bytes(select, 1));
        result = std::move(value);
        return Outcome::ok;
    });
}

bool RegistryStore::write(Root root, const KeyPath& key, const ValueName& name, const Value& value,
                          bool& changed) {
    changed = false;
    return run("write", [&] {
        Outcome committed = file_.inTransaction([&] {
            if (Outcome outcome = insertKeyAndParents(root, key); outcome != Outcome::ok)
                return outcome;
            sqlite3_stmt* upsert = nullptr;
            if (Outcome outcome = file_.prepare(upsertSql, upsert); outcome != Outcome::ok)
                return outcome;
            StatementUse use(upsert);
            bindAddress(upsert, root, key.folded, &name.folded);
            bindText(upsert, 4, name.display);
            sqlite3_bind_int(upsert, 5, static_cast<int>(value.type));
            // A null pointer would bind SQL NULL, not an empty value.
            if (value.data.empty())
                sqlite3_bind_zeroblob(upsert, 6, 0);
            else
                sqlite3_bind_blob(upsert, 6, value.data.data(), static_cast<int>(value.data.size()),
                                  SQLITE_STATIC);
            bool row = false;
            Outcome outcome = file_.step(upsert, row);
            changed = outcome == Outcome::ok && sqlite3_changes(file_.db()) > 0;
            return outcome;
        });
        return announcing(changed, committed);
    });
}

bool RegistryStore::keyExists(Root root, const KeyPath& key) {
    if (key.folded.empty())
        return true;
    bool exists = false;
    run("key lookup", [&] {
        sqlite3_stmt* select = nullptr;
        if (Outcome outcome = file_.prepare(keyExistsSql, select); outcome != Outcome::ok)
            return outcome;
        StatementUse use(select);
        bindAddress(select, root, key.folded);
        return file_.step(select, exists);
    });
    return exists;
}

bool RegistryStore::createKey(Root root, const KeyPath& key) {
    return run("key creation",
               [&] { return file_.inTransaction([&] { return insertKeyAndParents(root, key); }); });
}

bool RegistryStore::deleteValue(Root root, const KeyPath& key, const ValueName& name) {
    bool deleted = false;
    bool ok = run("value deletion", [&] {
        sqlite3_stmt* remove = nullptr;
        if (Outcome outcome = file_.prepare(deleteValueSql, remove); outcome != Outcome::ok)
            return outcome;
        StatementUse use(remove);
        bindAddress(remove, root, key.folded, &name.folded);
        bool row = false;
        Outcome outcome = file_.step(remove, row);
        deleted = outcome == Outcome::ok && sqlite3_changes(file_.db()) > 0;
        return announcing(deleted, outcome);
    });
    return ok && deleted;
}

bool RegistryStore::deleteKey(Root root, const KeyPath& key) {
    // The hive itself cannot go.
    if (key.folded.empty())
        return false;
    bool existed = false;
    bool ok = run("key deletion", [&] {
        Outcome committed = file_.inTransaction([&] {
            for (const char* sql : {deleteKeyValuesSql, deleteKeysSql}) {
                sqlite3_stmt* remove = nullptr;
                if (Outcome outcome = file_.prepare(sql, remove); outcome != Outcome::ok)
                    return outcome;
                StatementUse use(remove);
                bindAddress(remove, root, key.folded);
                bool row = false;
                if (Outcome outcome = file_.step(remove, row); outcome != Outcome::ok)
                    return outcome;
                existed = sqlite3_changes(file_.db()) > 0;
            }
            return Outcome::ok;
        });
        return announcing(existed, committed);
    });
    return ok && existed;
}

} // namespace vantrel::platform::registry
