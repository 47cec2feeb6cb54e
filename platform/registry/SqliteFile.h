#pragma once
// One SQLite store file of the device, as every store of the platform keeps it (the
// registry, the contact store, the message store): private to its user (0600 in a 0700
// folder, owner and mode checked when opened), write-ahead logging so readers of every
// process go on while one writes, outside data that may not run code of its own, and a
// file SQLite rejects moved aside ("<name>.broken-<time>") with one line on standard
// error so the device starts over with an empty store instead of failing for good.
//
// run() holds the file's own mutex, so one connection serves every thread of the
// process; a run inside a run (a batch of writes in one transaction) shares the outer
// one's connection and retry. The other calls are for use inside run().

#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
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
        // For a store of the device folder: its file name there, which run(what, ...)
        // opens. The folder is looked up on each run, so the store follows a
        // VANTREL_DEVICE that changed. May be null.
        const char* fileName = nullptr;
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
    // The same on the schema's file in the device folder.
    bool run(const char* what, const std::function<Outcome()>& operation);
    // Where run(what, ...) finds the file now.
    std::filesystem::path devicePath() const;
    // Runs after every opening of a file, before the first operation on it (a store that
    // keeps something of the file in memory reads it again). A corrupt answer moves the
    // file aside like a broken one.
    void setOnOpen(std::function<Outcome()> onOpen) { onOpen_ = std::move(onOpen); }

    sqlite3* db() const { return db_; }
    const std::filesystem::path& path() const { return path_; }
    void close();

    Outcome execute(const char* sql);
    // Prepares once per connection and keeps the statement for the next call; a
    // statement put together at run time is kept by its text.
    Outcome prepare(std::string_view sql, sqlite3_stmt*& out);
    Outcome step(sqlite3_stmt* statement, bool& row);
    // BEGIN IMMEDIATE ... COMMIT, rolled back when the body does not answer ok. Inside
    // an open transaction the body simply joins it.
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
    std::function<Outcome()> onOpen_;
    std::recursive_mutex mutex_;
    int depth_ = 0;
    sqlite3* db_ = nullptr;
    std::filesystem::path path_;
    dev_t device_ = 0;
    ino_t inode_ = 0;
    std::map<std::string, sqlite3_stmt*, std::less<>> statements_;
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
