#pragma once
// One SQLite file of the device (the message store, the phone's log), as the registry
// keeps its own: one connection per process guarded by one mutex; every write an
// IMMEDIATE transaction; opened with the full integrity check and write-ahead logging;
// a file SQLite refuses is moved aside ("<name>.broken-<time>", with a line on standard
// error naming the store) and a new empty one started; a connection follows the name
// when another process did that. The file is private to its user: 0600 in the 0700
// device folder, owner and mode checked before SQLite sees it.
//
// Only platform services that keep a store include this (it speaks SQLite).

#include <sqlite3.h>

#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include <sys/types.h>

namespace vantrel::platform {

// ---------------------------------------------------------------------------- helpers
// Shared with the registry's own store.

// A code that says the device is busy, full or read-only, not that the file is bad.
bool isPassingSqliteCode(int code, const std::filesystem::path& path);
// The first problem an integrity report names, so a report on standard error stays one line.
std::string firstFinding(std::string_view report);
// Renames a store file SQLite rejects (and its journal) to "<name>.broken-<time>", unless
// another process has already done so (the name then holds another file than dev/inode).
// `store` names the store in the line on standard error. True when this call moved it.
bool moveStoreFileAside(const std::filesystem::path& path, dev_t device, ino_t inode,
                        std::string_view store, const std::string& reason);
// Makes `file` ready for SQLite as a private file: its folder exists and is this user's
// with mode 0700, the file exists (created 0600), is a regular file (no link), is this
// user's and readable by nobody else (a looser mode is tightened). False with `error`
// set when the folder or the file belongs to someone else or cannot be made.
bool preparePrivateFile(const std::filesystem::path& file, std::string& error);

// Resets a cached statement when the operation using it ends, however it ends.
class StatementUse {
public:
    explicit StatementUse(sqlite3_stmt* statement) : statement_(statement) {}
    ~StatementUse() {
        sqlite3_reset(statement_);
        sqlite3_clear_bindings(statement_);
    }
    StatementUse(const StatementUse&) = delete;
    StatementUse& operator=(const StatementUse&) = delete;

private:
    sqlite3_stmt* statement_;
};

// ---------------------------------------------------------------------------- StoreFile

class StoreFile {
public:
    enum class Outcome { ok, failed, corrupt };

    // `fileName` inside the device folder; `schemaSql` creates the tables when missing
    // (IF NOT EXISTS) and is followed by `checkSql`, statements that must prepare on a
    // file of ours (a file whose tables are not ours is as unusable as a broken one).
    // `store` names it in messages ("messages", "phone").
    StoreFile(std::string fileName, std::string schemaSql, std::vector<std::string> checkSql,
              std::string store);
    StoreFile(const StoreFile&) = delete;
    StoreFile& operator=(const StoreFile&) = delete;

    // Runs `operation` on the open file under the mutex. A file found broken while it
    // runs goes aside and the operation is tried once more on a new file. A run inside
    // a run (a batch of writes in one transaction) shares the outer one's connection.
    bool run(const char* what, const std::function<Outcome()>& operation);
    // Runs after every opening of a file, before the first operation on it.
    void setOnOpen(std::function<Outcome()> onOpen) { onOpen_ = std::move(onOpen); }

    // For use inside run():
    sqlite3* db() const { return db_; }
    Outcome execute(const char* sql);
    // Prepares once per connection and keeps the statement for the next call.
    Outcome prepare(const std::string& sql, sqlite3_stmt*& out);
    Outcome step(sqlite3_stmt* statement, bool& row);
    // BEGIN IMMEDIATE … COMMIT, rolled back unless the body returns ok. Inside an open
    // transaction the body simply joins it.
    Outcome inTransaction(const std::function<Outcome()>& body);
    // Turns an SQLite result code into an outcome and remembers its message.
    Outcome classify(int code);
    const std::string& lastError() const { return lastError_; }

    std::filesystem::path path() const;

private:
    bool ensureOpen();
    Outcome open(const std::filesystem::path& path);
    Outcome configure();
    void close();

    std::string fileName_;
    std::string schemaSql_;
    std::vector<std::string> checkSql_;
    std::string store_;
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

} // namespace vantrel::platform
