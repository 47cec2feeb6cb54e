#include "platform/pim/ContactStore.h"

#include "platform/core/PrivateFiles.h"
#include "platform/core/Utf.h"
#include "platform/pim/ChangeWatcher.h"
#include "platform/pim/PimApp.h"

#include <sqlite3.h>
#include <unicode/coll.h>
#include <unicode/locid.h>
#include <unicode/unistr.h>

#include <fcntl.h>
#include <random>
#include <unistd.h>

// Contents:
//   (top)      the tables and the statements on them
//   lifecycle  opening, the collation of the user's locale
//   items      load, save, delete, pictures, named properties
//   journal    the change log that notifications are posted from

namespace vantrel::platform::pim {

namespace fs = std::filesystem;

namespace {

// items: AUTOINCREMENT so an object id is never handed out twice, even after the
// newest item was deleted. sortkey: the ICU collation key of the file-as name; with the
// id it orders the collection, equal names in the order they were made.
// changes: the journal; writer tells whose write it was (ContactStore::writerToken).
constexpr const char* schemaSql =
    "CREATE TABLE IF NOT EXISTS items(oid INTEGER PRIMARY KEY AUTOINCREMENT,"
    " type INTEGER NOT NULL, sortkey BLOB NOT NULL, props BLOB NOT NULL);"
    "CREATE INDEX IF NOT EXISTS items_order ON items(sortkey);"
    "CREATE TABLE IF NOT EXISTS pictures(oid INTEGER PRIMARY KEY, data BLOB NOT NULL);"
    "CREATE TABLE IF NOT EXISTS names(number INTEGER PRIMARY KEY AUTOINCREMENT,"
    " name TEXT NOT NULL UNIQUE);"
    "CREATE TABLE IF NOT EXISTS changes(seq INTEGER PRIMARY KEY AUTOINCREMENT,"
    " oid INTEGER NOT NULL, kind INTEGER NOT NULL, writer INTEGER NOT NULL);"
    "CREATE TABLE IF NOT EXISTS meta(key TEXT PRIMARY KEY, value TEXT NOT NULL) WITHOUT ROWID;";

constexpr const char* loadSql = "SELECT props FROM items WHERE oid=?1";
constexpr const char* insertSql = "INSERT INTO items(type, sortkey, props) VALUES(?1, ?2, ?3)";
constexpr const char* updateSql = "UPDATE items SET sortkey=?2, props=?3 WHERE oid=?1";
constexpr const char* deleteSql = "DELETE FROM items WHERE oid=?1";
constexpr const char* pictureSql = "SELECT data FROM pictures WHERE oid=?1";
constexpr const char* putPictureSql = "INSERT OR REPLACE INTO pictures(oid, data) VALUES(?1, ?2)";
constexpr const char* dropPictureSql = "DELETE FROM pictures WHERE oid=?1";
constexpr const char* existsSql = "SELECT 1 FROM items WHERE oid=?1";
constexpr const char* nameSql = "SELECT number FROM names WHERE name=?1";
constexpr const char* addNameSql = "INSERT INTO names(name) VALUES(?1)";
constexpr const char* journalSql = "INSERT INTO changes(oid, kind, writer) VALUES(?1, ?2, ?3)";
// A watcher that fell this far behind has lost track anyway; the journal stays small.
constexpr const char* pruneSql = "DELETE FROM changes WHERE seq <= ?1 - 100000";
constexpr const char* lastChangeSql = "SELECT ifnull(max(seq), 0) FROM changes";
constexpr const char* metaSql = "SELECT value FROM meta WHERE key=?1";
constexpr const char* putMetaSql = "INSERT OR REPLACE INTO meta(key, value) VALUES(?1, ?2)";
constexpr const char* allItemsSql = "SELECT oid, props FROM items";
constexpr const char* rekeySql = "UPDATE items SET sortkey=?2 WHERE oid=?1";

// Named properties get numbers from 0x8000 up, where the old platform put them, so they
// never meet a built-in tag.
constexpr uint32_t firstNamedNumber = 0x8000;

constexpr Oid largestOid = 0xFFFFFFFE;

void bindBlob(sqlite3_stmt* statement, int index, std::span<const uint8_t> bytes) {
    // A null pointer would bind SQL NULL, not an empty value.
    if (bytes.empty())
        sqlite3_bind_zeroblob(statement, index, 0);
    else
        sqlite3_bind_blob(statement, index, bytes.data(), static_cast<int>(bytes.size()),
                          SQLITE_STATIC);
}

void bindBlob(sqlite3_stmt* statement, int index, const std::string& bytes) {
    bindBlob(statement, index,
             std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
}

std::span<const uint8_t> columnBlob(sqlite3_stmt* statement, int column) {
    const auto* bytes = static_cast<const uint8_t*>(sqlite3_column_blob(statement, column));
    return {bytes, bytes ? static_cast<size_t>(sqlite3_column_bytes(statement, column)) : 0};
}

std::u16string textOf(const PropertyMap& props, PropId id) {
    auto found = props.find(id);
    return found == props.end() ? std::u16string() : found->second.text;
}

} // namespace

// The user's locale decides the order; it is kept in the file so a change of locale
// re-sorts the stored keys once.
struct ContactStore::Collation {
    std::unique_ptr<icu::Collator> collator;
    std::string name;
};

// ---------------------------------------------------------------------------- lifecycle

ContactStore::ContactStore(fs::path path)
    : path_(std::move(path)),
      file_("contacts", SqliteFile::Schema{schemaSql,
                                           {"items", "pictures", "names", "changes", "meta"},
                                           {loadSql, insertSql, updateSql, putPictureSql, nameSql,
                                            journalSql, putMetaSql},
                                           changeSignalName}),
      collation_(std::make_unique<Collation>()) {
    UErrorCode status = U_ZERO_ERROR;
    icu::Locale locale = icu::Locale::getDefault();
    // The C locale asks for no language at all; its ICU form sorts by code point, which
    // would put "Émile" after "Zoe". The root order is what a user expects then.
    if (std::string_view(locale.getVariant()) == "POSIX")
        locale = icu::Locale::getRoot();
    collation_->collator.reset(icu::Collator::createInstance(locale, status));
    if (U_FAILURE(status) || !collation_->collator) {
        status = U_ZERO_ERROR;
        collation_->collator.reset(icu::Collator::createInstance(icu::Locale::getRoot(), status));
    }
    UVersionInfo version{};
    collation_->collator->getVersion(version);
    collation_->name = std::string(locale.getName()) + "/" + std::to_string(version[0]) + "." +
                       std::to_string(version[1]) + "." + std::to_string(version[2]) + "." +
                       std::to_string(version[3]);
}

ContactStore::~ContactStore() {
    if (changeSignal_ >= 0)
        ::close(changeSignal_);
}

bool ContactStore::ready() {
    std::lock_guard lock(mutex_);
    return run("opening", [] { return SqliteFile::Outcome::ok; });
}

bool ContactStore::run(const char* what, const std::function<Outcome()>& operation) {
    return file_.run(path_, what, [&] {
        if (file_.db() != collationCheckedOn_) {
            if (Outcome outcome = checkCollation(); outcome != Outcome::ok)
                return outcome;
            collationCheckedOn_ = file_.db();
            if (changeSignal_ < 0) {
                fs::path signal = path_.parent_path() / changeSignalName;
                makePrivateFile(signal);
                changeSignal_ = ::open(signal.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
            }
        }
        return operation();
    });
}

std::string ContactStore::sortKey(const PropertyMap& props) {
    std::u16string fileAs = textOf(props, prop::fileAs);
    icu::UnicodeString text(reinterpret_cast<const UChar*>(fileAs.data()),
                            static_cast<int32_t>(fileAs.size()));
    std::string key(64, '\0');
    int32_t length = collation_->collator->getSortKey(text, reinterpret_cast<uint8_t*>(key.data()),
                                                      static_cast<int32_t>(key.size()));
    if (length > static_cast<int32_t>(key.size())) {
        key.resize(static_cast<size_t>(length));
        length =
            collation_->collator->getSortKey(text, reinterpret_cast<uint8_t*>(key.data()), length);
    }
    // The key ends with its zero byte; memcmp order is the collation order without it.
    key.resize(length > 0 ? static_cast<size_t>(length - 1) : 0);
    return key;
}

SqliteFile::Outcome ContactStore::checkCollation() {
    sqlite3_stmt* meta = nullptr;
    if (Outcome outcome = file_.prepare(metaSql, meta); outcome != Outcome::ok)
        return outcome;
    std::string stored;
    {
        StatementUse use(meta);
        sqlite3_bind_text(meta, 1, "collation", -1, SQLITE_STATIC);
        bool row = false;
        if (Outcome outcome = file_.step(meta, row); outcome != Outcome::ok)
            return outcome;
        if (row)
            stored = reinterpret_cast<const char*>(sqlite3_column_text(meta, 0));
    }
    if (stored == collation_->name)
        return Outcome::ok;
    // Another locale sorted this file: every key is made again, in one transaction so a
    // collection never sees half of the items in one order and half in the other.
    return file_.inTransaction([&] {
        sqlite3_stmt* all = nullptr;
        sqlite3_stmt* rekey = nullptr;
        sqlite3_stmt* put = nullptr;
        if (Outcome outcome = file_.prepare(allItemsSql, all); outcome != Outcome::ok)
            return outcome;
        if (Outcome outcome = file_.prepare(rekeySql, rekey); outcome != Outcome::ok)
            return outcome;
        if (Outcome outcome = file_.prepare(putMetaSql, put); outcome != Outcome::ok)
            return outcome;
        std::vector<std::pair<int64_t, std::string>> keys;
        {
            StatementUse use(all);
            for (bool row = true;;) {
                if (Outcome outcome = file_.step(all, row); outcome != Outcome::ok)
                    return outcome;
                if (!row)
                    break;
                PropertyMap props;
                decodeProperties(columnBlob(all, 1), props);
                keys.emplace_back(sqlite3_column_int64(all, 0), sortKey(props));
            }
        }
        for (auto& [oid, key] : keys) {
            StatementUse use(rekey);
            sqlite3_bind_int64(rekey, 1, oid);
            bindBlob(rekey, 2, key);
            bool row = false;
            if (Outcome outcome = file_.step(rekey, row); outcome != Outcome::ok)
                return outcome;
        }
        StatementUse use(put);
        sqlite3_bind_text(put, 1, "collation", -1, SQLITE_STATIC);
        sqlite3_bind_text(put, 2, collation_->name.c_str(), -1, SQLITE_TRANSIENT);
        bool row = false;
        return file_.step(put, row);
    });
}

sqlite3* ContactStore::openReader() {
    if (!ready())
        return nullptr;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path_.c_str(), &db,
                        SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_NOFOLLOW,
                        nullptr) != SQLITE_OK) {
        sqlite3_close_v2(db);
        return nullptr;
    }
    sqlite3_busy_timeout(db, 5000);
    // A pass over every contact reads the whole file; mapped, it costs no copy and no
    // system call a page.
    sqlite3_exec(db, "PRAGMA mmap_size=268435456", nullptr, nullptr, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    return db;
}

int64_t ContactStore::writerToken() {
    static const int64_t token = [] {
        std::random_device random;
        uint64_t high = random(), low = random();
        return static_cast<int64_t>(((high << 32) ^ low ^ static_cast<uint64_t>(getpid())) >> 1);
    }();
    return token;
}

std::u16string ContactStore::derivedFileAs(const PropertyMap& props) {
    std::u16string last = textOf(props, prop::lastName);
    std::u16string given = textOf(props, prop::firstName);
    if (std::u16string middle = textOf(props, prop::middleName); !middle.empty())
        given += (given.empty() ? u"" : u" ") + middle;
    if (!last.empty() && !given.empty())
        return last + u", " + given;
    if (!last.empty() || !given.empty())
        return last + given;
    if (std::u16string company = textOf(props, prop::company); !company.empty())
        return company;
    return textOf(props, prop::email1);
}

// ---------------------------------------------------------------------------- items

ContactStore::Outcome ContactStore::readBlob(
    const char* sql, Oid oid, bool& found,
    const std::function<void(std::span<const uint8_t>)>& use) {
    found = false;
    sqlite3_stmt* select = nullptr;
    if (Outcome outcome = file_.prepare(sql, select); outcome != Outcome::ok)
        return outcome;
    StatementUse reset(select);
    sqlite3_bind_int64(select, 1, oid);
    if (Outcome outcome = file_.step(select, found); outcome != Outcome::ok || !found)
        return outcome;
    use(columnBlob(select, 0));
    return Outcome::ok;
}

bool ContactStore::load(Oid oid, PropertyMap& props, bool& found) {
    std::lock_guard lock(mutex_);
    found = false;
    props.clear();
    return run("reading a contact", [&] {
        // A row whose blob breaks off keeps what came before the fault: the contact stays
        // reachable and deletable instead of failing every read.
        return readBlob(loadSql, oid, found,
                        [&](std::span<const uint8_t> blob) { decodeProperties(blob, props); });
    });
}

bool ContactStore::save(Oid& oid, const PropertyMap& changes, const std::vector<uint8_t>* picture) {
    std::lock_guard lock(mutex_);
    bool created = oid == invalidOid;
    Oid saved = oid;
    bool gone = false;
    bool ok = run("saving a contact", [&] {
        return file_.inTransaction([&] {
            PropertyMap props;
            if (!created) {
                bool row = false;
                if (Outcome outcome = readBlob(loadSql, oid, row,
                                               [&](std::span<const uint8_t> blob) {
                                                   decodeProperties(blob, props);
                                               });
                    outcome != Outcome::ok)
                    return outcome;
                if (!row) {
                    gone = true; // deleted meanwhile: nothing to write into
                    return Outcome::ok;
                }
            }
            // A file-as name that was derived follows the names it came from, unless the
            // caller writes one; one set by hand stays.
            std::u16string before = derivedFileAs(props);
            bool derived = !props.count(prop::fileAs) || props[prop::fileAs].text == before;
            for (const auto& [id, value] : changes) {
                if (value.flags & propDelete)
                    props.erase(id);
                else
                    props[id] = value;
            }
            if (derived && !changes.count(prop::fileAs)) {
                if (std::u16string after = derivedFileAs(props); after.empty())
                    props.erase(prop::fileAs);
                else
                    props[prop::fileAs] = PropValue::ofString(prop::fileAs, after);
            }
            std::string blob = encodeProperties(props);
            std::string key = sortKey(props);
            sqlite3_stmt* write = nullptr;
            if (Outcome outcome = file_.prepare(created ? insertSql : updateSql, write);
                outcome != Outcome::ok)
                return outcome;
            StatementUse use(write);
            if (created)
                sqlite3_bind_int(write, 1, itemContact);
            else
                sqlite3_bind_int64(write, 1, oid);
            bindBlob(write, 2, key);
            bindBlob(write, 3, blob);
            bool row = false;
            if (Outcome outcome = file_.step(write, row); outcome != Outcome::ok)
                return outcome;
            if (created) {
                sqlite3_int64 made = sqlite3_last_insert_rowid(file_.db());
                if (made <= 0 || made > largestOid) {
                    file_.classify(SQLITE_FULL);
                    return Outcome::failed;
                }
                saved = static_cast<Oid>(made);
                if (picture && !picture->empty()) {
                    sqlite3_stmt* put = nullptr;
                    if (Outcome outcome = file_.prepare(putPictureSql, put); outcome != Outcome::ok)
                        return outcome;
                    StatementUse usePut(put);
                    sqlite3_bind_int64(put, 1, saved);
                    bindBlob(put, 2, std::span<const uint8_t>(*picture));
                    if (Outcome outcome = file_.step(put, row); outcome != Outcome::ok)
                        return outcome;
                }
            }
            return journal(saved, created ? ChangeKind::created : ChangeKind::changed);
        });
    });
    if (!ok || gone)
        return false;
    oid = saved;
    announce(saved, created ? ChangeKind::created : ChangeKind::changed);
    return true;
}

bool ContactStore::remove(Oid oid, bool& existed) {
    std::lock_guard lock(mutex_);
    existed = false;
    bool ok = run("deleting a contact", [&] {
        return file_.inTransaction([&] {
            for (const char* sql : {deleteSql, dropPictureSql}) {
                sqlite3_stmt* remove = nullptr;
                if (Outcome outcome = file_.prepare(sql, remove); outcome != Outcome::ok)
                    return outcome;
                StatementUse use(remove);
                sqlite3_bind_int64(remove, 1, oid);
                bool row = false;
                if (Outcome outcome = file_.step(remove, row); outcome != Outcome::ok)
                    return outcome;
                if (sql == deleteSql && !(existed = sqlite3_changes(file_.db()) > 0))
                    return Outcome::ok;
            }
            return journal(oid, ChangeKind::deleted);
        });
    });
    if (ok && existed)
        announce(oid, ChangeKind::deleted);
    return ok;
}

bool ContactStore::readPicture(Oid oid, std::vector<uint8_t>& bytes, bool& found) {
    std::lock_guard lock(mutex_);
    found = false;
    bytes.clear();
    return run("reading a picture", [&] {
        bool row = false;
        Outcome outcome = readBlob(pictureSql, oid, row, [&](std::span<const uint8_t> blob) {
            bytes.assign(blob.begin(), blob.end());
        });
        found = !bytes.empty();
        return outcome;
    });
}

bool ContactStore::writePicture(Oid oid, std::span<const uint8_t> bytes) {
    std::lock_guard lock(mutex_);
    bool exists = false;
    bool ok = run("storing a picture", [&] {
        return file_.inTransaction([&] {
            sqlite3_stmt* check = nullptr;
            if (Outcome outcome = file_.prepare(existsSql, check); outcome != Outcome::ok)
                return outcome;
            {
                StatementUse use(check);
                sqlite3_bind_int64(check, 1, oid);
                if (Outcome outcome = file_.step(check, exists); outcome != Outcome::ok || !exists)
                    return outcome;
            }
            sqlite3_stmt* write = nullptr;
            if (Outcome outcome =
                    file_.prepare(bytes.empty() ? dropPictureSql : putPictureSql, write);
                outcome != Outcome::ok)
                return outcome;
            StatementUse use(write);
            sqlite3_bind_int64(write, 1, oid);
            if (!bytes.empty())
                bindBlob(write, 2, bytes);
            bool row = false;
            if (Outcome outcome = file_.step(write, row); outcome != Outcome::ok)
                return outcome;
            return journal(oid, ChangeKind::changed);
        });
    });
    if (ok && exists)
        announce(oid, ChangeKind::changed);
    return ok && exists;
}

bool ContactStore::namedIds(std::span<const std::u16string_view> names, uint32_t flags,
                            std::vector<PropId>& ids) {
    std::lock_guard lock(mutex_);
    ids.assign(names.size(), 0);
    bool all = true;
    bool ok = run("resolving named properties", [&] {
        return file_.inTransaction([&] {
            all = true;
            sqlite3_stmt* find = nullptr;
            sqlite3_stmt* add = nullptr;
            if (Outcome outcome = file_.prepare(nameSql, find); outcome != Outcome::ok)
                return outcome;
            if (Outcome outcome = file_.prepare(addNameSql, add); outcome != Outcome::ok)
                return outcome;
            for (size_t i = 0; i < names.size(); ++i) {
                std::string name = toUtf8(names[i]);
                int64_t number = 0;
                {
                    StatementUse use(find);
                    sqlite3_bind_text(find, 1, name.data(), static_cast<int>(name.size()),
                                      SQLITE_STATIC);
                    bool row = false;
                    if (Outcome outcome = file_.step(find, row); outcome != Outcome::ok)
                        return outcome;
                    if (row)
                        number = sqlite3_column_int64(find, 0);
                }
                if (!number && (flags & namedPropCreate) && !name.empty()) {
                    StatementUse use(add);
                    sqlite3_bind_text(add, 1, name.data(), static_cast<int>(name.size()),
                                      SQLITE_STATIC);
                    bool row = false;
                    if (Outcome outcome = file_.step(add, row); outcome != Outcome::ok)
                        return outcome;
                    number = sqlite3_last_insert_rowid(file_.db());
                }
                int64_t tagNumber = number ? firstNamedNumber + number - 1 : 0;
                if (!number || tagNumber > 0xFFFF) {
                    all = false;
                    continue;
                }
                ids[i] = static_cast<PropId>(tagNumber << 16) | (flags & 0xFFFF);
            }
            return Outcome::ok;
        });
    });
    return ok && all;
}

// ---------------------------------------------------------------------------- journal

SqliteFile::Outcome ContactStore::journal(Oid oid, ChangeKind kind) {
    sqlite3_stmt* add = nullptr;
    sqlite3_stmt* prune = nullptr;
    if (Outcome outcome = file_.prepare(journalSql, add); outcome != Outcome::ok)
        return outcome;
    if (Outcome outcome = file_.prepare(pruneSql, prune); outcome != Outcome::ok)
        return outcome;
    {
        StatementUse use(add);
        sqlite3_bind_int64(add, 1, oid);
        sqlite3_bind_int(add, 2, static_cast<int>(kind));
        sqlite3_bind_int64(add, 3, writerToken());
        bool row = false;
        if (Outcome outcome = file_.step(add, row); outcome != Outcome::ok)
            return outcome;
    }
    StatementUse use(prune);
    sqlite3_bind_int64(prune, 1, sqlite3_last_insert_rowid(file_.db()));
    bool row = false;
    return file_.step(prune, row);
}

bool ContactStore::lastChange(uint64_t& sequence) {
    std::lock_guard lock(mutex_);
    sequence = 0;
    return run("reading the journal", [&] {
        sqlite3_stmt* select = nullptr;
        if (Outcome outcome = file_.prepare(lastChangeSql, select); outcome != Outcome::ok)
            return outcome;
        StatementUse use(select);
        bool row = false;
        Outcome outcome = file_.step(select, row);
        if (outcome == Outcome::ok && row)
            sequence = static_cast<uint64_t>(sqlite3_column_int64(select, 0));
        return outcome;
    });
}

void ContactStore::announce(Oid oid, ChangeKind kind) {
    // The commit is visible to every reader by now, so a watcher woken by this write
    // finds the journal entry it is looking for.
    const char bump = 1;
    if (changeSignal_ >= 0) [[maybe_unused]]
        ssize_t written = ::pwrite(changeSignal_, &bump, 1, 0);
    ChangeWatcher::postLocal(path_, oid, kind);
}

} // namespace vantrel::platform::pim
