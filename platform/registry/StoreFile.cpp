#include "platform/registry/StoreFile.h"

#include "platform/core/Paths.h"

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
//   helpers    error classes, moving a broken file aside, private files
//   StoreFile  opening, running operations, statements and transactions

namespace vantrel::platform {

namespace fs = std::filesystem;

namespace {

// A writer in another process holds a store for a few milliseconds at most; five seconds
// covers a slow disk without letting a stuck process block the device for good.
constexpr int busyTimeoutMs = 5000;

} // namespace

// ---------------------------------------------------------------------------- helpers

bool isPassingSqliteCode(int code, const fs::path& path) {
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

bool moveStoreFileAside(const fs::path& path, dev_t device, ino_t inode, std::string_view store,
                        const std::string& reason) {
    // The lock makes two processes that found the same broken file agree: the second
    // sees that the name now holds another file and leaves it alone.
    fs::path lockPath = path;
    lockPath += ".lock";
    int lock = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (lock >= 0)
        ::flock(lock, LOCK_EX);

    bool moved = false;
    struct stat status {};
    if (::stat(path.c_str(), &status) == 0 && status.st_ino == inode && status.st_dev == device) {
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
            moved = true;
            std::fprintf(stderr, "%.*s: %s is unreadable (%s); moved it to %s and started a new one\n",
                         int(store.size()), store.data(), path.c_str(), reason.c_str(),
                         aside.c_str());
        } else {
            std::fprintf(stderr, "%.*s: %s is unreadable (%s) and cannot be moved aside: %s\n",
                         int(store.size()), store.data(), path.c_str(), reason.c_str(),
                         std::strerror(errno));
        }
    }
    if (lock >= 0)
        ::close(lock);
    return moved;
}

bool preparePrivateFile(const fs::path& file, std::string& error) {
    fs::path folder = file.parent_path();
    if (!ensureFolder(folder)) {
        error = "cannot create the folder " + folder.string();
        return false;
    }
    // The folder may be a link the user made (VANTREL_DEVICE pointing elsewhere); what
    // counts is whose the folder it leads to is.
    struct stat status {};
    if (::stat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode) ||
        status.st_uid != ::geteuid()) {
        error = "the folder " + folder.string() + " is not this user's";
        return false;
    }
    // Folders made before the device kept its files private are tightened, not refused.
    if ((status.st_mode & 077) != 0 && ::chmod(folder.c_str(), 0700) != 0) {
        error = "cannot make the folder " + folder.string() + " private";
        return false;
    }
    int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        error = std::string("cannot open: ") + std::strerror(errno);
        return false;
    }
    bool ok = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_uid == ::geteuid();
    if (!ok)
        error = "not a file of this user";
    else if ((status.st_mode & 077) != 0 && ::fchmod(fd, 0600) != 0) {
        error = "cannot make it private";
        ok = false;
    }
    ::close(fd);
    return ok;
}

// ---------------------------------------------------------------------------- StoreFile

StoreFile::StoreFile(std::string fileName, std::string schemaSql, std::vector<std::string> checkSql,
                     std::string store)
    : fileName_(std::move(fileName)), schemaSql_(std::move(schemaSql)),
      checkSql_(std::move(checkSql)), store_(std::move(store)) {}

fs::path StoreFile::path() const { return deviceFolder() / fileName_; }

bool StoreFile::ensureOpen() {
    fs::path path = this->path();
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
        dev_t device = device_;
        ino_t inode = inode_;
        close();
        if (outcome == Outcome::failed)
            break;
        moveStoreFileAside(path, device, inode, store_, lastError_);
    }
    std::fprintf(stderr, "%s: cannot open %s: %s\n", store_.c_str(), path.c_str(),
                 lastError_.c_str());
    return false;
}

StoreFile::Outcome StoreFile::open(const fs::path& path) {
    if (!preparePrivateFile(path, lastError_))
        return Outcome::failed;
    int code = sqlite3_open_v2(path.c_str(), &db_,
                               SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_NOFOLLOW,
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
    if (outcome == Outcome::failed && !isPassingSqliteCode(lastCode_, path))
        outcome = Outcome::corrupt;
    return outcome;
}

StoreFile::Outcome StoreFile::configure() {
    auto queryText = [&](const char* sql, std::string& answer) {
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
    };
    std::string answer;
    // NOTE: the full check reads every page: about 30 ms for 100,000 messages, paid once
    // per process, against a store that would otherwise fail in the middle of a write.
    // It comes first, while the file is untouched, so a file moved aside keeps its bytes.
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
    if (Outcome outcome = execute(schemaSql_.c_str()); outcome != Outcome::ok)
        return outcome;
    for (const std::string& sql : checkSql_) {
        sqlite3_stmt* statement = nullptr;
        if (prepare(sql, statement) != Outcome::ok) {
            lastError_ = "not a " + store_ + " database: " + lastError_;
            return Outcome::corrupt;
        }
    }
    return Outcome::ok;
}

void StoreFile::close() {
    for (auto& [sql, statement] : statements_)
        sqlite3_finalize(statement);
    statements_.clear();
    if (db_)
        sqlite3_close_v2(db_);
    db_ = nullptr;
    path_.clear();
    device_ = 0;
    inode_ = 0;
}

bool StoreFile::run(const char* what, const std::function<Outcome()>& operation) {
    std::lock_guard lock(mutex_);
    if (depth_ > 0) {
        // Inside an outer run: its connection and transaction, its retry.
        ++depth_;
        Outcome outcome = operation();
        --depth_;
        if (outcome != Outcome::ok)
            std::fprintf(stderr, "%s: %s failed: %s\n", store_.c_str(), what, lastError_.c_str());
        return outcome == Outcome::ok;
    }
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!ensureOpen())
            return false;
        ++depth_;
        Outcome outcome = operation();
        --depth_;
        if (outcome == Outcome::ok)
            return true;
        if (outcome == Outcome::failed) {
            std::fprintf(stderr, "%s: %s failed: %s\n", store_.c_str(), what, lastError_.c_str());
            return false;
        }
        std::string reason = lastError_;
        fs::path path = path_;
        dev_t device = device_;
        ino_t inode = inode_;
        close();
        moveStoreFileAside(path, device, inode, store_, reason);
    }
    return false;
}

StoreFile::Outcome StoreFile::classify(int code) {
    lastCode_ = code;
    lastError_ = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(code);
    int primary = code & 0xFF;
    bool broken = primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB ||
                  (primary == SQLITE_READONLY && !isPassingSqliteCode(code, path_));
    return broken ? Outcome::corrupt : Outcome::failed;
}

StoreFile::Outcome StoreFile::execute(const char* sql) {
    int code = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
    return code == SQLITE_OK ? Outcome::ok : classify(code);
}

StoreFile::Outcome StoreFile::prepare(const std::string& sql, sqlite3_stmt*& out) {
    if (auto found = statements_.find(sql); found != statements_.end()) {
        out = found->second;
        return Outcome::ok;
    }
    int code = sqlite3_prepare_v3(db_, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &out, nullptr);
    if (code != SQLITE_OK)
        return classify(code);
    statements_.emplace(sql, out);
    return Outcome::ok;
}

StoreFile::Outcome StoreFile::step(sqlite3_stmt* statement, bool& row) {
    int code = sqlite3_step(statement);
    row = code == SQLITE_ROW;
    return code == SQLITE_ROW || code == SQLITE_DONE ? Outcome::ok : classify(code);
}

StoreFile::Outcome StoreFile::inTransaction(const std::function<Outcome()>& body) {
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
        execute("ROLLBACK");
        lastError_ = error;
    }
    return outcome;
}

} // namespace vantrel::platform
