#include "platform/registry/SqliteFile.h"

#include "platform/core/Paths.h"
#include "platform/core/PrivateFiles.h"

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
//   lifecycle  opening private files, detecting a replaced file, moving a broken file aside
//   helpers    statements, transactions, error classes

namespace vantrel::platform {

namespace fs = std::filesystem;

namespace {

// A writer in another process holds the database for a few milliseconds at most; five
// seconds covers a slow disk without letting a stuck process block the device for good.
constexpr int busyTimeoutMs = 5000;

// The first problem SQLite's check names, so the report on standard error stays one line.
std::string firstFinding(std::string_view report) {
    for (size_t start = 0; start < report.size();) {
        size_t end = std::min(report.find('\n', start), report.size());
        std::string_view line = report.substr(start, end - start);
        if (!line.empty() && !line.starts_with("***"))
            return std::string(line);
        start = end + 1;
    }
    return std::string(report);
}

} // namespace

StatementUse::~StatementUse() {
    sqlite3_reset(statement_);
    sqlite3_clear_bindings(statement_);
}

// ---------------------------------------------------------------------------- lifecycle

SqliteFile::SqliteFile(std::string who, Schema schema)
    : who_(std::move(who)), schema_(std::move(schema)) {}

SqliteFile::~SqliteFile() {
    close();
}

bool SqliteFile::ensureOpen(const fs::path& path) {
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
        if (outcome == Outcome::ok && onOpen_)
            outcome = onOpen_();
        if (outcome == Outcome::ok)
            return true;
        close();
        if (outcome == Outcome::failed)
            break;
        moveAside(path, lastError_);
    }
    std::fprintf(stderr, "%s: cannot open %s: %s\n", who_.c_str(), path.c_str(),
                 lastError_.c_str());
    return false;
}

SqliteFile::Outcome SqliteFile::open(const fs::path& path) {
    // The folder and the file are private to this user before SQLite sees them; SQLite
    // gives the journal and the shared index the database file's mode. Left-overs of a
    // device made before that rule are tightened too.
    fs::path journal = path, index = path;
    journal += "-wal";
    index += "-shm";
    if (!makePrivateFolder(path.parent_path(), &lastError_) || !makePrivateFile(path, &lastError_) ||
        !checkPrivateFileIfPresent(journal, &lastError_) ||
        !checkPrivateFileIfPresent(index, &lastError_))
        return Outcome::failed;
    int code = sqlite3_open_v2(path.c_str(), &db_,
                               SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX |
                                   SQLITE_OPEN_NOFOLLOW,
                               nullptr);
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

SqliteFile::Outcome SqliteFile::configure() {
    std::string answer;
    // A file whose header is sound may still hold broken pages; finding that now, while
    // nothing depends on it, costs a read of the file. The full check, because the quick
    // one misses rows out of key order, and a table in that state takes writes it can
    // never find again. It comes first, while the file is untouched, so a file moved
    // aside keeps exactly the bytes it had.
    if (Outcome outcome = queryText("PRAGMA integrity_check(1)", answer); outcome != Outcome::ok)
        return outcome;
    if (answer != "ok")
        return corrupt("integrity check failed: " + firstFinding(answer));

    // A file the system does not let this process write (a read-only copy, a folder
    // without write access) is read as it is, in whatever journal mode it was left;
    // switching it would fail, and the file is not broken for that.
    if (::access(path_.c_str(), W_OK) != 0 || ::access(path_.parent_path().c_str(), W_OK) != 0)
        return checkSchema();

    // WAL lets readers of every process go on while one writes. NORMAL synchronisation
    // in WAL mode never corrupts the file; a power cut may lose the last write only.
    if (Outcome outcome = queryText("PRAGMA journal_mode=WAL", answer); outcome != Outcome::ok)
        return outcome;
    if (answer != "wal")
        return corrupt("cannot switch to write-ahead logging");
    if (Outcome outcome = execute("PRAGMA synchronous=NORMAL"); outcome != Outcome::ok)
        return outcome;
    if (Outcome outcome = execute(schema_.createSql); outcome != Outcome::ok)
        return outcome;
    return checkSchema();
}

SqliteFile::Outcome SqliteFile::checkSchema() {
    // A file that SQLite reads but whose tables are not ours (a view or a trigger in
    // their place, a column missing) would fail every call for good; it is as unusable
    // as a broken one and goes aside the same way.
    std::string names;
    for (const std::string& table : schema_.tables)
        names += (names.empty() ? "'" : ", '") + table + "'";
    std::string sql =
        "SELECT 1 FROM sqlite_schema WHERE type IN ('view', 'trigger') OR (name IN (" + names +
        ") AND type <> 'table') LIMIT 1";
    sqlite3_stmt* foreign = nullptr;
    int code = sqlite3_prepare_v2(db_, sql.c_str(), -1, &foreign, nullptr);
    if (code != SQLITE_OK)
        return classify(code);
    code = sqlite3_step(foreign);
    sqlite3_finalize(foreign);
    if (code == SQLITE_ROW)
        return corrupt("not a " + who_ + " database");
    if (code != SQLITE_DONE)
        return classify(code);
    for (const char* probe : schema_.probes) {
        sqlite3_stmt* statement = nullptr;
        if (prepare(probe, statement) != Outcome::ok)
            return corrupt("not a " + who_ + " database: " + lastError_);
    }
    return Outcome::ok;
}

void SqliteFile::close() {
    for (auto& [sql, statement] : statements_)
        sqlite3_finalize(statement);
    statements_.clear();
    if (db_)
        sqlite3_close_v2(db_);
    db_ = nullptr;
    path_.clear();
}

void SqliteFile::moveAside(const fs::path& path, const std::string& reason) {
    // The lock makes two processes that found the same broken file agree: the second
    // sees that the name now holds another file and leaves it alone.
    fs::path lockPath = path;
    lockPath += ".lock";
    int lock = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (lock >= 0)
        ::flock(lock, LOCK_EX);

    struct stat status {};
    if (::stat(path.c_str(), &status) == 0 && status.st_ino == inode_ && status.st_dev == device_) {
        char stamp[32];
        std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
        fs::path aside;
        std::error_code error;
        for (int n = 0;; ++n) {
            aside = path;
            aside += ".broken-" + std::string(stamp) + (n ? "-" + std::to_string(n) : "");
            if (!fs::exists(aside, error))
                break;
        }
        fs::path journal = path;
        journal += "-wal";
        fs::path asideJournal = aside;
        asideJournal += "-wal";
        fs::path index = path;
        index += "-shm";
        if (::rename(path.c_str(), aside.c_str()) == 0) {
            // The journal belongs to the broken file: replayed into a new one it would
            // break that too. The shared index is rebuilt from the journal when needed.
            ::rename(journal.c_str(), asideJournal.c_str());
            ::unlink(index.c_str());
            if (schema_.changeSignal) {
                fs::path signalPath = path.parent_path() / schema_.changeSignal;
                int signal =
                    ::open(signalPath.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
                if (signal >= 0) {
                    [[maybe_unused]] ssize_t written = ::write(signal, "", 1);
                    ::close(signal);
                }
            }
            std::fprintf(stderr,
                         "%s: %s is unreadable (%s); moved it to %s and started a new one\n",
                         who_.c_str(), path.c_str(), reason.c_str(), aside.c_str());
        } else {
            std::fprintf(stderr, "%s: %s is unreadable (%s) and cannot be moved aside: %s\n",
                         who_.c_str(), path.c_str(), reason.c_str(), std::strerror(errno));
        }
    }
    if (lock >= 0)
        ::close(lock);
}

fs::path SqliteFile::devicePath() const {
    return deviceFolder() / schema_.fileName;
}

bool SqliteFile::run(const char* what, const std::function<Outcome()>& operation) {
    return run(devicePath(), what, operation);
}

bool SqliteFile::run(const fs::path& path, const char* what,
                     const std::function<Outcome()>& operation) {
    std::lock_guard lock(mutex_);
    if (depth_ > 0) {
        // Inside an outer run: its connection and transaction, its retry.
        ++depth_;
        Outcome outcome = operation();
        --depth_;
        if (outcome != Outcome::ok)
            std::fprintf(stderr, "%s: %s failed: %s\n", who_.c_str(), what, lastError_.c_str());
        return outcome == Outcome::ok;
    }
    // A file that turns out broken in the middle of the run is moved aside like one found
    // at opening, and the operation is tried once more on the new file.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!ensureOpen(path))
            return false;
        ++depth_;
        Outcome outcome = operation();
        --depth_;
        if (outcome == Outcome::ok)
            return true;
        if (outcome == Outcome::failed) {
            std::fprintf(stderr, "%s: %s failed: %s\n", who_.c_str(), what, lastError_.c_str());
            return false;
        }
        std::string reason = lastError_;
        fs::path broken = path_;
        close();
        moveAside(broken, reason);
    }
    return false;
}

// ---------------------------------------------------------------------------- helpers

bool SqliteFile::isPassing(int code, const fs::path& path) {
    switch (code & 0xFF) {
    case SQLITE_READONLY:
        // Plain read-only on a file the system lets us write means its header claims a
        // format newer than this SQLite writes: that is the file's fault. The extended
        // codes (a journal to recover, a file moved away) pass with a reopen.
        return code != SQLITE_READONLY || ::access(path.c_str(), W_OK) != 0 ||
               ::access(path.parent_path().c_str(), W_OK) != 0;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
    case SQLITE_NOMEM:
    case SQLITE_IOERR:
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
    case SQLITE_FULL:
    case SQLITE_INTERRUPT:
    case SQLITE_PROTOCOL:
        return true;
    default:
        return false;
    }
}

SqliteFile::Outcome SqliteFile::classify(int code) {
    lastCode_ = code;
    lastError_ = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(code);
    int primary = code & 0xFF;
    bool broken = primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB ||
                  (primary == SQLITE_READONLY && !isPassing(code, path_));
    return broken ? Outcome::corrupt : Outcome::failed;
}

SqliteFile::Outcome SqliteFile::corrupt(std::string reason) {
    lastCode_ = SQLITE_CORRUPT;
    lastError_ = std::move(reason);
    return Outcome::corrupt;
}

SqliteFile::Outcome SqliteFile::execute(const char* sql) {
    int code = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
    return code == SQLITE_OK ? Outcome::ok : classify(code);
}

SqliteFile::Outcome SqliteFile::prepare(std::string_view sql, sqlite3_stmt*& out) {
    if (auto found = statements_.find(sql); found != statements_.end()) {
        out = found->second;
        return Outcome::ok;
    }
    int code = sqlite3_prepare_v3(db_, sql.data(), int(sql.size()), SQLITE_PREPARE_PERSISTENT, &out,
                                  nullptr);
    if (code != SQLITE_OK)
        return classify(code);
    statements_.emplace(sql, out);
    return Outcome::ok;
}

SqliteFile::Outcome SqliteFile::queryText(const char* sql, std::string& answer) {
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

SqliteFile::Outcome SqliteFile::step(sqlite3_stmt* statement, bool& row) {
    int code = sqlite3_step(statement);
    row = code == SQLITE_ROW;
    return code == SQLITE_ROW || code == SQLITE_DONE ? Outcome::ok : classify(code);
}

SqliteFile::Outcome SqliteFile::inTransaction(const std::function<Outcome()>& body) {
    if (!sqlite3_get_autocommit(db_))
        return body();
    // IMMEDIATE takes the write lock up front, so two writers queue on the busy timeout
    // instead of one of them failing when it upgrades a read.
    if (Outcome outcome = execute("BEGIN IMMEDIATE"); outcome != Outcome::ok)
        return outcome;
    Outcome outcome = body();
    if (outcome == Outcome::ok)
        outcome = execute("COMMIT");
    if (outcome != Outcome::ok) {
        std::string error = lastError_;
        int code = lastCode_;
        execute("ROLLBACK");
        lastError_ = error;
        lastCode_ = code;
    }
    return outcome;
}

} // namespace vantrel::platform
