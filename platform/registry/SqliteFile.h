#pragma once
// One SQLite store file of the device, as every store of the platform keeps it (the
// registry, the contact store, the message store): private to its user (0600 in a 0700
// folder, owner and mode checked when opened), write-ahead logging so readers of every
// process go on while one writes, outside data that may not run code of its own, and a
// file SQLite rejects moved aside ("<name>.broken-<time>") with one line on standard
// error so the device starts over with an empty store instead of failing for good.
//
// Not thread-safe: its owner serialises the calls (one mutex per store).

#include <filesystem>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include <sys/types.h>

struct sqlite3;
struct sqlite3_stmt;

namespace vantrel::platform {

class SqliteFile {
public:
    enum class Outcome { ok, failed, corrupt };

    struct Schema {
        // Run on every open; CREATE ... IF NOT EXISTS statements.
        const char* createSql;
        // The table names the schema owns; a view or trigger in their place, or any
        // trigger at all, marks the file as not ours.
        std::vector<std::string> tables;
        // Statements that must prepare on a file of ours (they name every column).
        std::vector<const char*> probes;
        // A file beside the store that watchers of every process sleep on; bumped
        // after a broken file was replaced, since every value is gone. May be null.
        const char* changeSignal = nullptr;
    };

    // `who` starts every message ("registry", "contacts").
    SqliteFile(std::string who, Schema schema);
    ~SqliteFile();
    SqliteFile(const SqliteFile&) = delete;
    SqliteFile& operator=(const SqliteFile&) = delete;

    // Opens `path` unless already open on it (and the name still holds the same file:
    // another process may have moved a broken one aside). A broken file goes aside and a
    // new one is made; false (with a message) when no usable file can be had.
    bool ensureOpen(const std::filesystem::path& path);
    // Runs `operation` on an open file; a file found broken meanwhile is moved aside and
    // the operation tried once more on a new one. False (with a message naming `what`)
    // on failure.
    bool run(const std::filesystem::path& path, const char* what,
             const std::function<Outcome()>& operation);

    sqlite3* db() const { return db_; }
    const std::filesystem::path& path() const { return path_; }
    void close();

    Outcome execute(const char* sql);
    // Prepares once per connection and keeps the statement for the next call.
    Outcome prepare(const char* sql, sqlite3_stmt*& out);
    Outcome step(sqlite3_stmt* statement, bool& row);
    // BEGIN IMMEDIATE ... COMMIT, rolled back when the body does not answer ok.
    Outcome inTransaction(const std::function<Outcome()>& body);
    // The first column of the first row, for pragmas that answer one word.
    Outcome queryText(const char* sql, std::string& answer);
    // Turns an SQLite result code into an outcome and remembers its message.
    Outcome classify(int code);
    const std::string& lastError() const { return lastError_; }
    // For an operation that found the data itself unusable.
    Outcome corrupt(std::string reason);

private:
    Outcome open(const std::filesystem::path& path);
    Outcome configure();
    Outcome checkSchema();
    void moveAside(const std::filesystem::path& path, const std::string& reason);
    // A code that says the device is busy, full or read-only, not that the file is bad.
    static bool isPassing(int code, const std::filesystem::path& path);

    std::string who_;
    Schema schema_;
    sqlite3* db_ = nullptr;
    std::filesystem::path path_;
    dev_t device_ = 0;
    ino_t inode_ = 0;
    std::unordered_map<const char*, sqlite3_stmt*> statements_;
    std::string lastError_;
    int lastCode_ = 0;
};

// Resets a prepared statement when the operation using it ends, however it ends.
class StatementUse {
public:
    explicit StatementUse(sqlite3_stmt* statement) : statement_(statement) {}
    ~StatementUse();
    StatementUse(const StatementUse&) = delete;
    StatementUse& operator=(const StatementUse&) = delete;

private:
    sqlite3_stmt* statement_;
};

} // namespace vantrel::platform
