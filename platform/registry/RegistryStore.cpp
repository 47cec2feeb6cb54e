#include "platform/registry/RegistryStore.h"

#include "platform/core/Paths.h"
#include "platform/core/Utf.h"
#include "platform/registry/StoreFile.h"

#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

// Contents:
//   (top)      the tables and the statements on them
//   names      canonical key paths and value names
//   lifecycle  opening, detecting a replaced file, moving a broken file aside
//   helpers    statements, transactions, error classes, change announcements
//   values     read, write, delete

namespace vantrel::platform::registry {

namespace fs = std::filesystem;

namespace {

// A writer in another process holds the database for a few milliseconds at most; five
// seconds covers a slow disk without letting a stuck process block the device for good.
constexpr int busyTimeoutMs = 5000;

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

constexpr const char* foreignSchemaSql =
    "SELECT 1 FROM sqlite_schema WHERE type IN ('view', 'trigger')"
    " OR (name IN ('keys', 'vals') AND type <> 'table') LIMIT 1";

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

fs::path RegistryStore::folder() {
    return deviceFolder();
}

fs::path RegistryStore::changeSignalPath(const fs::path& folder) {
    return folder / changeSignalName;
}

bool RegistryStore::ensureOpen() {
    fs::path path = folder() / fileName;
    if (db_) {
        // Another process may have moved a broken file aside and made a new one; the
        // connection must follow the name, not the old file.
        struct stat status {};
        if (path == path_ && ::stat(path.c_str(), &status) == 0 && status.st_ino == inode_ &&
            status.st_dev == device_)
            return true;
        close();
    }
    for (int attempt = 0; attempt < 2; ++attempt) {
        Outcome outcome = open(path);
        if (outcome == Outcome::ok)
            return true;
        close();
        if (outcome == Outcome::failed)
            break;
        moveAside(path, lastError_);
    }
    std::fprintf(stderr, "registry: cannot open %s: %s\n", path.c_str(), lastError_.c_str());
    return false;
}

RegistryStore::Outcome RegistryStore::open(const fs::path& path) {
    if (!ensureFolder(path.parent_path())) {
        lastError_ = "cannot create the folder";
        return Outcome::failed;
    }
    int code =
        sqlite3_open_v2(path.c_str(), &db_,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (code != SQLITE_OK) {
        lastError_ = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(code);
        return Outcome::failed;
    }
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        lastError_ = std::strerror(errno);
        return Outcome::failed;
    }
    path_ = path;
    device_ = status.st_dev;
    inode_ = status.st_ino;
    changeSignal_ =
        ::open(changeSignalPath(path.parent_path()).c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    sqlite3_busy_timeout(db_, busyTimeoutMs);
    sqlite3_extended_result_codes(db_, 1);
    // The file is outside data: whatever it holds must not run code of its own choosing
    // (triggers, functions in views) or let SQL damage the file format.
    sqlite3_db_config(db_, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(db_, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);

    // Whatever SQLite refuses in a file it could open (an unsupported format, a broken
    // page, tables that are not ours) makes the file unusable for good, so it goes
    // aside; a busy, full or read-only device is a passing state and leaves it alone.
    Outcome outcome = configure();
    if (outcome == Outcome::failed && !isPassing(lastCode_, path))
        outcome = Outcome::corrupt;
    return outcome;
}

RegistryStore::Outcome RegistryStore::configure() {
    std::string answer;
    // A file whose header is sound may still hold broken pages; finding that now, while
    // nothing of this process depends on it, is cheap for a registry of a few kilobytes.
    // The full check, because the quick one misses rows out of key order, and a table in
    // that state takes writes it can never find again. It comes first, while the file
    // is untouched, so a file moved aside keeps exactly the bytes it had.
    if (Outcome outcome = queryText("PRAGMA integrity_check(1)", answer); outcome != Outcome::ok)
        return outcome;
    if (answer != "ok") {
        lastError_ = "integrity check failed: " + firstFinding(answer);
        return Outcome::corrupt;
    }

    // WAL lets readers of every process go on while one writes. NORMAL synchronisation
    // in WAL mode never corrupts the file; a power cut may lose the last write only.
    if (Outcome outcome = queryText("PRAGMA journal_mode=WAL", answer); outcome != Outcome::ok)
        return outcome;
    if (answer != "wal") {
        lastError_ = "cannot switch to write-ahead logging";
        return Outcome::corrupt;
    }
    if (Outcome outcome = execute("PRAGMA synchronous=NORMAL"); outcome != Outcome::ok)
        return outcome;

    if (Outcome outcome = execute(schemaSql); outcome != Outcome::ok)
        return outcome;
    return checkSchema();
}

RegistryStore::Outcome RegistryStore::checkSchema() {
    // A file that SQLite reads but whose tables are not ours (a view or a trigger in
    // their place, a column missing) would fail every call for good; it is as unusable
    // as a broken one and goes aside the same way.
    sqlite3_stmt* foreign = nullptr;
    if (Outcome outcome = prepare(foreignSchemaSql, foreign); outcome != Outcome::ok)
        return outcome;
    StatementUse use(foreign);
    bool row = false;
    if (Outcome outcome = step(foreign, row); outcome != Outcome::ok)
        return outcome;
    if (row) {
        lastError_ = "not a registry database";
        return Outcome::corrupt;
    }
    for (const char* sql : {readSql, upsertSql, insertKeySql, deleteKeysSql, deleteKeyValuesSql}) {
        sqlite3_stmt* statement = nullptr;
        if (prepare(sql, statement) != Outcome::ok) {
            lastError_ = "not a registry database: " + lastError_;
            return Outcome::corrupt;
        }
    }
    return Outcome::ok;
}

void RegistryStore::close() {
    for (auto& [sql, statement] : statements_)
        sqlite3_finalize(statement);
    statements_.clear();
    if (db_)
        sqlite3_close_v2(db_);
    db_ = nullptr;
    if (changeSignal_ >= 0)
        ::close(changeSignal_);
    changeSignal_ = -1;
    path_.clear();
}

void RegistryStore::moveAside(const fs::path& path, const std::string& reason) {
    if (moveStoreFileAside(path, device_, inode_, "registry", reason)) {
        // Every value is gone for the watchers of every process.
        int signal = ::open(changeSignalPath(path.parent_path()).c_str(),
                            O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        if (signal >= 0) {
            [[maybe_unused]] ssize_t written = ::write(signal, "", 1);
            ::close(signal);
        }
    }
}

// ---------------------------------------------------------------------------- helpers

bool RegistryStore::isPassing(int code, const fs::path& path) {
    return isPassingSqliteCode(code, path);
}

RegistryStore::Outcome RegistryStore::classify(int code) {
    lastCode_ = code;
    lastError_ = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(code);
    int primary = code & 0xFF;
    bool broken = primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB ||
                  (primary == SQLITE_READONLY && !isPassing(code, path_));
    return broken ? Outcome::corrupt : Outcome::failed;
}

RegistryStore::Outcome RegistryStore::execute(const char* sql) {
    int code = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
    return code == SQLITE_OK ? Outcome::ok : classify(code);
}

RegistryStore::Outcome RegistryStore::prepare(const char* sql, sqlite3_stmt*& out) {
    if (auto found = statements_.find(sql); found != statements_.end()) {
        out = found->second;
        return Outcome::ok;
    }
    int code = sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &out, nullptr);
    if (code != SQLITE_OK)
        return classify(code);
    statements_.emplace(sql, out);
    return Outcome::ok;
}

RegistryStore::Outcome RegistryStore::queryText(const char* sql, std::string& answer) {
    answer.clear();
    sqlite3_stmt* statement = nullptr;
    if (Outcome outcome = prepare(sql, statement); outcome != Outcome::ok)
        return outcome;
    StatementUse use(statement);
    bool row = false;
    if (Outcome outcome = step(statement, row); outcome != Outcome::ok)
        return outcome;
    if (const unsigned char* text = row ? sqlite3_column_text(statement, 0) : nullptr)
        answer = reinterpret_cast<const char*>(text);
    return Outcome::ok;
}

RegistryStore::Outcome RegistryStore::step(sqlite3_stmt* statement, bool& row) {
    int code = sqlite3_step(statement);
    row = code == SQLITE_ROW;
    return code == SQLITE_ROW || code == SQLITE_DONE ? Outcome::ok : classify(code);
}

RegistryStore::Outcome RegistryStore::inTransaction(const std::function<Outcome()>& body) {
    // IMMEDIATE takes the write lock up front, so two writers queue on the busy timeout
    // instead of one of them failing when it upgrades a read.
    if (Outcome outcome = execute("BEGIN IMMEDIATE"); outcome != Outcome::ok)
        return outcome;
    Outcome outcome = body();
    if (outcome == Outcome::ok)
        outcome = execute("COMMIT");
    if (outcome != Outcome::ok) {
        std::string error = lastError_;
        execute("ROLLBACK");
        lastError_ = error;
    }
    return outcome;
}

RegistryStore::Outcome RegistryStore::insertKeyAndParents(Root root, const KeyPath& key) {
    sqlite3_stmt* insert = nullptr;
    if (Outcome outcome = prepare(insertKeySql, insert); outcome != Outcome::ok)
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
        if (Outcome outcome = step(insert, row); outcome != Outcome::ok)
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

template <typename Operation> bool RegistryStore::run(const char* what, Operation operation) {
    std::lock_guard lock(mutex_);
    // A file that turns out broken in the middle of the run is moved aside like one found
    // at opening, and the operation is tried once more on the new file.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!ensureOpen())
            return false;
        Outcome outcome = operation();
        if (outcome == Outcome::ok)
            return true;
        if (outcome == Outcome::failed) {
            std::fprintf(stderr, "registry: %s failed: %s\n", what, lastError_.c_str());
            return false;
        }
        std::string reason = lastError_;
        fs::path path = path_;
        close();
        moveAside(path, reason);
    }
    return false;
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
        if (Outcome outcome = prepare(readSql, select); outcome != Outcome::ok)
            return outcome;
        StatementUse use(select);
        bindAddress(select, root, key.folded, &name.folded);
        bool row = false;
        if (Outcome outcome = step(select, row); outcome != Outcome::ok || !row)
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
        Outcome committed = inTransaction([&] {
            if (Outcome outcome = insertKeyAndParents(root, key); outcome != Outcome::ok)
                return outcome;
            sqlite3_stmt* upsert = nullptr;
            if (Outcome outcome = prepare(upsertSql, upsert); outcome != Outcome::ok)
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
            Outcome outcome = step(upsert, row);
            changed = outcome == Outcome::ok && sqlite3_changes(db_) > 0;
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
        if (Outcome outcome = prepare(keyExistsSql, select); outcome != Outcome::ok)
            return outcome;
        StatementUse use(select);
        bindAddress(select, root, key.folded);
        return step(select, exists);
    });
    return exists;
}

bool RegistryStore::createKey(Root root, const KeyPath& key) {
    return run("key creation",
               [&] { return inTransaction([&] { return insertKeyAndParents(root, key); }); });
}

bool RegistryStore::deleteValue(Root root, const KeyPath& key, const ValueName& name) {
    bool deleted = false;
    bool ok = run("value deletion", [&] {
        sqlite3_stmt* remove = nullptr;
        if (Outcome outcome = prepare(deleteValueSql, remove); outcome != Outcome::ok)
            return outcome;
        StatementUse use(remove);
        bindAddress(remove, root, key.folded, &name.folded);
        bool row = false;
        Outcome outcome = step(remove, row);
        deleted = outcome == Outcome::ok && sqlite3_changes(db_) > 0;
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
        Outcome committed = inTransaction([&] {
            for (const char* sql : {deleteKeyValuesSql, deleteKeysSql}) {
                sqlite3_stmt* remove = nullptr;
                if (Outcome outcome = prepare(sql, remove); outcome != Outcome::ok)
                    return outcome;
                StatementUse use(remove);
                bindAddress(remove, root, key.folded);
                bool row = false;
                if (Outcome outcome = step(remove, row); outcome != Outcome::ok)
                    return outcome;
                existed = sqlite3_changes(db_) > 0;
            }
            return Outcome::ok;
        });
        return announcing(existed, committed);
    });
    return ok && existed;
}

} // namespace vantrel::platform::registry
