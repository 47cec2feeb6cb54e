#include "platform/msgstore/MessageDatabase.h"

#include "platform/core/Clock.h"
#include "platform/core/Paths.h"
#include "platform/core/PrivateFiles.h"
#include "platform/msgstore/ReducedNumber.h"
#include "platform/registry/Registry.h"

#include <sqlite3.h>

#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/file.h>
#include <unistd.h>

// Contents:
//   (top)     the tables, the columns behind the common tags, value conversions
//   lifecycle opening, the store's identity, entry ids, writes and the unread count
//   messages  properties and recipients
//   contents  tables of a folder

namespace vantrel::platform::msgstore {

namespace {

// messages: one row a message. The properties an SMS always has, and those of the
// product's contents table, live in columns of their own (a contents table of 100,000
// rows reads them without a join); others sit in props. Text is kept as UTF-16LE bytes so any text,
// even an unpaired surrogate, comes back as it was written. sort_time is the creation time, else
// the delivery time: the order of a contents table. sender_reduced and recipients.reduced are the
// reduced numbers a conversation is looked up by; a message without sender has none.
constexpr const char* schemaSql =
    "CREATE TABLE IF NOT EXISTS meta(name TEXT PRIMARY KEY, value BLOB NOT NULL) WITHOUT ROWID;"
    "CREATE TABLE IF NOT EXISTS messages("
    " id INTEGER PRIMARY KEY AUTOINCREMENT, folder INTEGER NOT NULL,"
    " sort_time INTEGER NOT NULL, sender_reduced TEXT,"
    " subject BLOB, class BLOB, sender_address BLOB, sender_name BLOB, display_name BLOB,"
    " flags INTEGER,"
    " status INTEGER, delivery_time INTEGER, deliver_time INTEGER, creation_time INTEGER,"
    " receipt_time INTEGER, modified_time INTEGER);"
    "CREATE INDEX IF NOT EXISTS messages_order ON messages(folder, sort_time, id);"
    "CREATE INDEX IF NOT EXISTS messages_sender ON messages(sender_reduced);"
    "CREATE INDEX IF NOT EXISTS messages_unread ON messages(folder)"
    " WHERE ifnull(flags, 0) & 1 = 0;"
    "CREATE TABLE IF NOT EXISTS props(message INTEGER NOT NULL, tag INTEGER NOT NULL,"
    " value, PRIMARY KEY(message, tag)) WITHOUT ROWID;"
    "CREATE TABLE IF NOT EXISTS recipients(message INTEGER NOT NULL,"
    " position INTEGER NOT NULL, props BLOB NOT NULL, reduced TEXT NOT NULL,"
    " PRIMARY KEY(message, position)) WITHOUT ROWID;"
    "CREATE INDEX IF NOT EXISTS recipients_reduced ON recipients(reduced);";

constexpr const char* unreadSql =
    "SELECT count(*) FROM messages WHERE folder=1 AND ifnull(flags, 0) & 1 = 0";
constexpr const char* folderOfSql = "SELECT folder FROM messages WHERE id=?1";
constexpr const char* insertSql = "INSERT INTO messages(folder, sort_time) VALUES(?1, 0)";
constexpr const char* touchSql =
    "UPDATE messages SET sort_time=ifnull(creation_time, ifnull(delivery_time, 0)),"
    " modified_time=ifnull(?2, modified_time) WHERE id=?1";
constexpr const char* senderReducedSql = "UPDATE messages SET sender_reduced=?2 WHERE id=?1";
constexpr const char* setPropSql =
    "INSERT OR REPLACE INTO props(message, tag, value) VALUES(?1, ?2, ?3)";
constexpr const char* recipientsSql =
    "SELECT props FROM recipients WHERE message=?1 ORDER BY position";
constexpr const char* lastPositionSql =
    "SELECT ifnull(max(position), 0) FROM recipients WHERE message=?1";
constexpr const char* clearRecipientsSql = "DELETE FROM recipients WHERE message=?1";
constexpr const char* addRecipientSql =
    "INSERT INTO recipients(message, position, props, reduced) VALUES(?1, ?2, ?3, ?4)";
constexpr const char* deleteSql = "DELETE FROM messages WHERE id=?1";
constexpr const char* deletePropsSql = "DELETE FROM props WHERE message=?1";
constexpr const char* moveSql = "UPDATE messages SET folder=?2 WHERE id=?1";
constexpr const char* countsSql =
    "SELECT count(*), ifnull(sum(ifnull(flags, 0) & 1 = 0), 0) FROM messages WHERE folder=?1";

constexpr std::u16string_view unreadKey = u"System\\State\\Messages\\SMS\\Unread";

struct Column {
    PropTag tag;
    const char* name;
};
constexpr Column columns[] = {
    {tag::subject, "subject"},
    {tag::messageClass, "class"},
    {tag::senderEmailAddress, "sender_address"},
    {tag::senderName, "sender_name"},
    {tag::displayName, "display_name"},
    {tag::messageFlags, "flags"},
    {tag::msgStatus, "status"},
    {tag::messageDeliveryTime, "delivery_time"},
    {tag::deliverTime, "deliver_time"},
    {tag::creationTime, "creation_time"},
    {tag::receiptTime, "receipt_time"},
    {tag::lastModificationTime, "modified_time"},
};

const Column* columnOf(PropTag tag) {
    for (const Column& column : columns)
        if (column.tag == tag)
            return &column;
    return nullptr;
}

// Properties the store computes; nobody sets them.
bool isComputed(PropTag tag) {
    return tag == tag::entryId || tag == tag::parentEntryId || tag == tag::rowId;
}

std::vector<uint8_t> utf16Bytes(std::u16string_view text) {
    std::vector<uint8_t> bytes;
    bytes.reserve(text.size() * 2);
    for (char16_t c : text) {
        bytes.push_back(uint8_t(c));
        bytes.push_back(uint8_t(c >> 8));
    }
    return bytes;
}

std::u16string utf16Text(const uint8_t* bytes, size_t size) {
    std::u16string text(size / 2, u'\0');
    for (size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
    return text;
}

void bindValue(sqlite3_stmt* statement, int index, const Property& property) {
    if (auto* number = std::get_if<uint32_t>(&property.value))
        sqlite3_bind_int64(statement, index, *number);
    else if (auto* time = std::get_if<uint64_t>(&property.value))
        sqlite3_bind_int64(statement, index, static_cast<int64_t>(*time));
    else {
        std::vector<uint8_t> bytes = std::holds_alternative<std::u16string>(property.value)
                                         ? utf16Bytes(std::get<std::u16string>(property.value))
                                         : std::get<std::vector<uint8_t>>(property.value);
        // A null pointer would bind SQL NULL, which reads back as missing.
        if (bytes.empty())
            sqlite3_bind_zeroblob(statement, index, 0);
        else
            sqlite3_bind_blob(statement, index, bytes.data(), int(bytes.size()), SQLITE_TRANSIENT);
    }
}

// A column read back as the tag's type; missing when it is NULL or of another kind.
Property readValue(sqlite3_stmt* statement, int index, PropTag tag) {
    int kind = sqlite3_column_type(statement, index);
    switch (propType(tag)) {
    case typeInt32:
    case typeBoolean:
        if (kind == SQLITE_INTEGER)
            return Property::number(tag, uint32_t(sqlite3_column_int64(statement, index)));
        break;
    case typeSystime:
    case typeInt64:
        if (kind == SQLITE_INTEGER)
            return Property::time(tag, uint64_t(sqlite3_column_int64(statement, index)));
        break;
    case typeUnicode:
    case typeBinary:
        if (kind == SQLITE_BLOB || kind == SQLITE_TEXT) {
            const auto* bytes = static_cast<const uint8_t*>(sqlite3_column_blob(statement, index));
            size_t size = size_t(sqlite3_column_bytes(statement, index));
            if (propType(tag) == typeUnicode)
                return Property::text(tag, utf16Text(bytes, size));
            return Property::binary(tag, std::vector<uint8_t>(bytes, bytes + size));
        }
        break;
    default:
        break;
    }
    return Property::missing(tag);
}

// A recipient's properties in one blob: per property its tag (4 bytes), its length
// (4 bytes) and its bytes, little endian. Decoding stops at the first entry that does
// not fit, so a damaged blob yields the entries before it and nothing else.
std::vector<uint8_t> encodeRecipient(const Row& row) {
    std::vector<uint8_t> out;
    auto put32 = [&](uint32_t v) {
        for (int shift = 0; shift < 32; shift += 8)
            out.push_back(uint8_t(v >> shift));
    };
    for (const Property& property : row) {
        std::vector<uint8_t> bytes;
        if (auto* number = std::get_if<uint32_t>(&property.value))
            for (int shift = 0; shift < 32; shift += 8)
                bytes.push_back(uint8_t(*number >> shift));
        else if (auto* time = std::get_if<uint64_t>(&property.value))
            for (int shift = 0; shift < 64; shift += 8)
                bytes.push_back(uint8_t(*time >> shift));
        else if (auto* text = std::get_if<std::u16string>(&property.value))
            bytes = utf16Bytes(*text);
        else if (auto* binary = std::get_if<std::vector<uint8_t>>(&property.value))
            bytes = *binary;
        put32(property.tag);
        put32(uint32_t(bytes.size()));
        out.insert(out.end(), bytes.begin(), bytes.end());
    }
    return out;
}

Row decodeRecipient(const uint8_t* data, size_t size) {
    Row row;
    auto get = [&](size_t at, int bytes) {
        uint64_t v = 0;
        for (int i = 0; i < bytes; ++i)
            v |= uint64_t(data[at + i]) << (8 * i);
        return v;
    };
    for (size_t at = 0; at + 8 <= size;) {
        PropTag tag = PropTag(get(at, 4));
        size_t length = size_t(get(at + 4, 4));
        at += 8;
        if (length > size - at)
            break;
        switch (propType(tag)) {
        case typeInt32:
        case typeBoolean:
            if (length == 4)
                row.push_back(Property::number(tag, uint32_t(get(at, 4))));
            break;
        case typeSystime:
        case typeInt64:
            if (length == 8)
                row.push_back(Property::time(tag, get(at, 8)));
            break;
        case typeUnicode:
            row.push_back(Property::text(tag, utf16Text(data + at, length)));
            break;
        case typeBinary:
            row.push_back(
                Property::binary(tag, std::vector<uint8_t>(data + at, data + at + length)));
            break;
        default:
            break;
        }
        at += length;
    }
    return row;
}

std::u16string recipientAddress(const Row& row) {
    for (const Property& property : row)
        if (property.tag == tag::emailAddress)
            return property.asText();
    return {};
}

} // namespace

const char16_t* folderName(FolderId folder) {
    switch (folder) {
    case FolderId::inbox:
        return u"Inbox";
    case FolderId::sent:
        return u"Sent";
    case FolderId::outbox:
        return u"Outbox";
    case FolderId::drafts:
        return u"Drafts";
    case FolderId::deleted:
        return u"Deleted";
    }
    return u"";
}

// ---------------------------------------------------------------------------- lifecycle

MessageDatabase& MessageDatabase::instance() {
    // Never destroyed, so threads still running at exit never see it torn down.
    static MessageDatabase* database = new MessageDatabase;
    return *database;
}

MessageDatabase::MessageDatabase()
    : file_("messages", SqliteFile::Schema{schemaSql,
                                           {"meta", "messages", "props", "recipients"},
                                           {unreadSql, insertSql, touchSql, setPropSql,
                                            addRecipientSql, countsSql},
                                           nullptr,
                                           "messages.db"}) {
    file_.setOnOpen([this] { return loadStoreId(); });
}

bool MessageDatabase::available() {
    return file_.run("logon", [] { return SqliteFile::Outcome::ok; });
}

SqliteFile::Outcome MessageDatabase::loadStoreId() {
    // A new file gets a random identity; entry ids carry it, so an id handed out by a
    // store that has since been moved aside opens nothing in its successor.
    std::random_device random;
    uint64_t fresh = (uint64_t(random()) << 32) | random();
    sqlite3_stmt* statement = nullptr;
    if (Outcome o =
            file_.prepare("INSERT OR IGNORE INTO meta(name, value) VALUES('id', ?1)", statement);
        o != Outcome::ok)
        return o;
    {
        StatementUse use(statement);
        sqlite3_bind_int64(statement, 1, int64_t(fresh));
        bool row = false;
        if (Outcome o = file_.step(statement, row); o != Outcome::ok)
            return o;
    }
    if (Outcome o = file_.prepare("SELECT value FROM meta WHERE name='id'", statement);
        o != Outcome::ok)
        return o;
    StatementUse use(statement);
    bool row = false;
    if (Outcome o = file_.step(statement, row); o != Outcome::ok)
        return o;
    storeId_ = row ? uint64_t(sqlite3_column_int64(statement, 0)) : 0;
    // The account the product looks its store up by.
    registry::writeString(registry::Root::currentUser, u"System\\State\\Messages\\SMS",
                          u"Account Name", u"SMS");
    return reconcileUnread();
}

SqliteFile::Outcome MessageDatabase::reconcileUnread() {
    // A writer killed between its commit and its registry write, or a store replaced
    // because it broke, leaves the registry's count behind; opening puts it right. Only
    // when no writer is at work: one that is will publish a fresher count, and waiting
    // for it here, under the file's mutex, could deadlock with it.
    if (!writeMutex_.try_lock())
        return Outcome::ok;
    Outcome outcome = Outcome::ok;
    if (writeDepth_ == 0 && writerLock() && ::flock(writerLock_, LOCK_EX | LOCK_NB) == 0) {
        uint32_t unread = 0;
        outcome = countUnread(unread);
        if (outcome == Outcome::ok)
            publishUnread(unread);
        ::flock(writerLock_, LOCK_UN);
    }
    writeMutex_.unlock();
    return outcome;
}

namespace {
constexpr uint8_t entryMagic[4] = {'V', 't', 'E', '1'};
constexpr size_t entrySize = 4 + 8 + 1 + 8;
} // namespace

EntryId MessageDatabase::makeEntryId(EntryKind kind, int64_t id) {
    available();
    return encodeEntryId(kind, id);
}

EntryId MessageDatabase::encodeEntryId(EntryKind kind, int64_t id) const {
    EntryId entry(entryMagic, entryMagic + 4);
    for (int shift = 0; shift < 64; shift += 8)
        entry.push_back(uint8_t(storeId_ >> shift));
    entry.push_back(uint8_t(kind));
    for (int shift = 0; shift < 64; shift += 8)
        entry.push_back(uint8_t(uint64_t(id) >> shift));
    return entry;
}

bool MessageDatabase::parseEntryId(const EntryId& entry, EntryKind& kind, int64_t& id) {
    if (entry.size() != entrySize || std::memcmp(entry.data(), entryMagic, 4) != 0 || !available())
        return false;
    uint64_t store = 0, number = 0;
    for (int i = 0; i < 8; ++i) {
        store |= uint64_t(entry[4 + i]) << (8 * i);
        number |= uint64_t(entry[13 + i]) << (8 * i);
    }
    kind = EntryKind(entry[12]);
    id = int64_t(number);
    return store == storeId_ && kind >= EntryKind::store && kind <= EntryKind::message;
}

void MessageDatabase::lockWriter() {
    writeMutex_.lock();
    if (writeDepth_++ == 0 && writerLock())
        ::flock(writerLock_, LOCK_EX);
}

bool MessageDatabase::writerLock() {
    // The writer lock orders whole writes, registry update included, across the
    // processes of the device. A file of its own: the store's ".lock" is taken by
    // whoever moves a broken file aside, perhaps in the middle of this write. It follows
    // the device folder, as the store does.
    std::filesystem::path lockPath = file_.devicePath();
    lockPath += ".writer";
    if (writerLock_ >= 0 && lockPath == writerLockPath_)
        return true;
    if (writerLock_ >= 0)
        ::close(writerLock_);
    writerLock_ = -1;
    writerLock_ = openPrivateFile(lockPath);
    writerLockPath_ = lockPath;
    return writerLock_ >= 0;
}

void MessageDatabase::unlockWriter(bool committed, uint32_t unread) {
    if (--writeDepth_ == 0) {
        if (committed)
            publishUnread(unread);
        if (writerLock_ >= 0)
            ::flock(writerLock_, LOCK_UN);
    }
    writeMutex_.unlock();
}

bool MessageDatabase::write(const char* what, const std::function<Outcome()>& body) {
    lockWriter();
    bool outermost = writeDepth_ == 1;
    uint32_t unread = 0;
    bool ok = file_.run(what, [&] {
        return file_.inTransaction([&] {
            Outcome outcome = body();
            if (outcome == Outcome::ok && outermost)
                outcome = countUnread(unread);
            return outcome;
        });
    });
    unlockWriter(ok && outermost, unread);
    return ok;
}

SqliteFile::Outcome MessageDatabase::countUnread(uint32_t& count) {
    sqlite3_stmt* statement = nullptr;
    if (Outcome o = file_.prepare(unreadSql, statement); o != Outcome::ok)
        return o;
    StatementUse use(statement);
    bool row = false;
    Outcome outcome = file_.step(statement, row);
    count = row ? uint32_t(sqlite3_column_int64(statement, 0)) : 0;
    return outcome;
}

void MessageDatabase::publishUnread(uint32_t count) {
    // The registry compares before it writes, so an unchanged count notifies nobody.
    registry::writeDword(registry::Root::currentUser, unreadKey, u"Count", count);
}

bool MessageDatabase::beginBatch() {
    // The batch is the outermost write: the writes inside join its transaction.
    lockWriter();
    bool ok = file_.run("batch", [&] { return file_.execute("BEGIN IMMEDIATE"); });
    if (!ok)
        unlockWriter(false, 0);
    return ok;
}

bool MessageDatabase::endBatch() {
    uint32_t unread = 0;
    bool ok = file_.run("batch", [&] {
        Outcome outcome = countUnread(unread);
        if (outcome == Outcome::ok)
            outcome = file_.execute("COMMIT");
        if (outcome != Outcome::ok)
            file_.execute("ROLLBACK");
        return outcome;
    });
    unlockWriter(ok, unread);
    return ok;
}

// ---------------------------------------------------------------------------- messages

bool MessageDatabase::messageFolder(int64_t id, FolderId& folder) {
    bool found = false;
    bool ok = file_.run("open message", [&] {
        sqlite3_stmt* statement = nullptr;
        if (Outcome o = file_.prepare(folderOfSql, statement); o != Outcome::ok)
            return o;
        StatementUse use(statement);
        sqlite3_bind_int64(statement, 1, id);
        Outcome outcome = file_.step(statement, found);
        if (found)
            folder = FolderId(sqlite3_column_int(statement, 0));
        return outcome;
    });
    return ok && found;
}

std::string MessageDatabase::selectList(const std::vector<PropTag>& tags) const {
    std::string list = "m.id, m.folder";
    for (PropTag tag : tags) {
        list += ", ";
        if (const Column* column = columnOf(tag))
            list += column->name;
        else if (isComputed(tag))
            list += "NULL";
        else
            list += "(SELECT value FROM props WHERE message=m.id AND tag=" +
                    std::to_string(int64_t(tag & 0xFFFF0000)) + ")";
    }
    return list;
}

Row MessageDatabase::readRow(sqlite3_stmt* statement, const std::vector<PropTag>& tags,
                             int64_t id) {
    Row row;
    row.reserve(tags.size());
    for (size_t i = 0; i < tags.size(); ++i) {
        PropTag tag = tags[i];
        if (tag == tag::entryId)
            row.push_back(Property::binary(tag, encodeEntryId(EntryKind::message, id)));
        else if (tag == tag::parentEntryId)
            row.push_back(Property::binary(
                tag, encodeEntryId(EntryKind::folder, sqlite3_column_int64(statement, 1))));
        else if (tag == tag::rowId)
            row.push_back(Property::number(tag, uint32_t(id)));
        else
            row.push_back(readValue(statement, int(i) + 2, tag));
    }
    return row;
}

bool MessageDatabase::readProps(int64_t id, const std::vector<PropTag>& tags,
                                std::vector<Property>& out) {
    bool found = false;
    bool ok = file_.run("property read", [&] {
        sqlite3_stmt* statement = nullptr;
        if (Outcome o = file_.prepare("SELECT " + selectList(tags) + " FROM messages m WHERE id=?1",
                                      statement);
            o != Outcome::ok)
            return o;
        StatementUse use(statement);
        sqlite3_bind_int64(statement, 1, id);
        Outcome outcome = file_.step(statement, found);
        if (found)
            out = readRow(statement, tags, id);
        return outcome;
    });
    return ok && found;
}

SqliteFile::Outcome MessageDatabase::writePropsIn(int64_t id,
                                                  const std::vector<Property>& properties) {
    bool modifiedSet = false;
    for (const Property& property : properties) {
        sqlite3_stmt* statement = nullptr;
        const Column* column = columnOf(property.tag);
        std::string sql =
            column ? std::string("UPDATE messages SET ") + column->name + "=?2 WHERE id=?1"
                   : std::string(setPropSql);
        if (Outcome o = file_.prepare(sql, statement); o != Outcome::ok)
            return o;
        StatementUse use(statement);
        sqlite3_bind_int64(statement, 1, id);
        if (column) {
            bindValue(statement, 2, property);
        } else {
            // Properties outside the columns are keyed by their id: a later write of the
            // same id with another type replaces the value.
            sqlite3_bind_int64(statement, 2, int64_t(property.tag & 0xFFFF0000));
            bindValue(statement, 3, property);
        }
        bool row = false;
        if (Outcome o = file_.step(statement, row); o != Outcome::ok)
            return o;
        modifiedSet |= property.tag == tag::lastModificationTime;
        if (property.tag == tag::senderEmailAddress) {
            sqlite3_stmt* reduce = nullptr;
            if (Outcome o = file_.prepare(senderReducedSql, reduce); o != Outcome::ok)
                return o;
            StatementUse reduceUse(reduce);
            sqlite3_bind_int64(reduce, 1, id);
            std::string reduced = reducedNumber(property.asText());
            sqlite3_bind_text(reduce, 2, reduced.data(), int(reduced.size()), SQLITE_TRANSIENT);
            if (Outcome o = file_.step(reduce, row); o != Outcome::ok)
                return o;
        }
    }
    // The times and order follow every change, as the phone's store keeps them.
    sqlite3_stmt* touch = nullptr;
    if (Outcome o = file_.prepare(touchSql, touch); o != Outcome::ok)
        return o;
    StatementUse use(touch);
    sqlite3_bind_int64(touch, 1, id);
    if (!modifiedSet)
        sqlite3_bind_int64(touch, 2, int64_t(systemFileTime()));
    bool row = false;
    return file_.step(touch, row);
}

bool MessageDatabase::writeProps(int64_t id, const std::vector<Property>& properties) {
    return write("property write", [&] { return writePropsIn(id, properties); });
}

bool MessageDatabase::insertMessage(FolderId folder, const std::vector<Property>& properties,
                                    const std::vector<Row>& recipients, int64_t& id) {
    return write("message save", [&] {
        sqlite3_stmt* statement = nullptr;
        if (Outcome o = file_.prepare(insertSql, statement); o != Outcome::ok)
            return o;
        {
            StatementUse use(statement);
            sqlite3_bind_int(statement, 1, int(folder));
            bool row = false;
            if (Outcome o = file_.step(statement, row); o != Outcome::ok)
                return o;
        }
        id = sqlite3_last_insert_rowid(file_.db());
        if (Outcome o = writePropsIn(id, properties); o != Outcome::ok)
            return o;
        return writeRecipientsIn(id, true, recipients);
    });
}

SqliteFile::Outcome MessageDatabase::writeRecipientsIn(int64_t id, bool add,
                                                       const std::vector<Row>& recipients) {
    sqlite3_stmt* statement = nullptr;
    bool row = false;
    if (!add) {
        if (Outcome o = file_.prepare(clearRecipientsSql, statement); o != Outcome::ok)
            return o;
        StatementUse use(statement);
        sqlite3_bind_int64(statement, 1, id);
        if (Outcome o = file_.step(statement, row); o != Outcome::ok)
            return o;
    }
    int64_t position = 0;
    if (Outcome o = file_.prepare(lastPositionSql, statement); o != Outcome::ok)
        return o;
    {
        StatementUse use(statement);
        sqlite3_bind_int64(statement, 1, id);
        if (Outcome o = file_.step(statement, row); o != Outcome::ok)
            return o;
        position = sqlite3_column_int64(statement, 0);
    }
    if (Outcome o = file_.prepare(addRecipientSql, statement); o != Outcome::ok)
        return o;
    for (const Row& recipient : recipients) {
        StatementUse use(statement);
        std::vector<uint8_t> blob = encodeRecipient(recipient);
        std::string reduced = reducedNumber(recipientAddress(recipient));
        sqlite3_bind_int64(statement, 1, id);
        sqlite3_bind_int64(statement, 2, ++position);
        sqlite3_bind_blob(statement, 3, blob.data(), int(blob.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(statement, 4, reduced.data(), int(reduced.size()), SQLITE_TRANSIENT);
        if (Outcome o = file_.step(statement, row); o != Outcome::ok)
            return o;
    }
    return Outcome::ok;
}

bool MessageDatabase::writeRecipients(int64_t id, bool add, const std::vector<Row>& recipients) {
    return write("recipient change", [&] { return writeRecipientsIn(id, add, recipients); });
}

bool MessageDatabase::readRecipients(int64_t id, std::vector<Row>& out) {
    return file_.run("recipient read", [&] {
        out.clear();
        sqlite3_stmt* statement = nullptr;
        if (Outcome o = file_.prepare(recipientsSql, statement); o != Outcome::ok)
            return o;
        StatementUse use(statement);
        sqlite3_bind_int64(statement, 1, id);
        for (bool row = true;;) {
            if (Outcome o = file_.step(statement, row); o != Outcome::ok || !row)
                return o;
            Row recipient =
                decodeRecipient(static_cast<const uint8_t*>(sqlite3_column_blob(statement, 0)),
                                size_t(sqlite3_column_bytes(statement, 0)));
            recipient.push_back(Property::number(tag::rowId, uint32_t(out.size())));
            out.push_back(std::move(recipient));
        }
    });
}

SqliteFile::Outcome MessageDatabase::allInFolder(FolderId folder, const std::vector<int64_t>& ids,
                                                 bool& all) {
    all = true;
    sqlite3_stmt* statement = nullptr;
    if (Outcome o = file_.prepare(folderOfSql, statement); o != Outcome::ok)
        return o;
    for (int64_t id : ids) {
        StatementUse use(statement);
        sqlite3_bind_int64(statement, 1, id);
        bool row = false;
        if (Outcome o = file_.step(statement, row); o != Outcome::ok)
            return o;
        all = all && row && sqlite3_column_int(statement, 0) == int(folder);
    }
    return Outcome::ok;
}

bool MessageDatabase::deleteMessages(FolderId folder, const std::vector<int64_t>& ids) {
    // One id that is not in the folder refuses the whole call, as one transaction.
    bool all = false;
    bool ok = write("message deletion", [&] {
        if (Outcome o = allInFolder(folder, ids, all); o != Outcome::ok || !all)
            return o;
        for (int64_t id : ids) {
            for (const char* sql : {deleteSql, deletePropsSql, clearRecipientsSql}) {
                sqlite3_stmt* statement = nullptr;
                if (Outcome o = file_.prepare(sql, statement); o != Outcome::ok)
                    return o;
                StatementUse use(statement);
                sqlite3_bind_int64(statement, 1, id);
                bool row = false;
                if (Outcome o = file_.step(statement, row); o != Outcome::ok)
                    return o;
            }
        }
        return Outcome::ok;
    });
    return ok && all;
}

bool MessageDatabase::moveMessages(FolderId from, FolderId to, const std::vector<int64_t>& ids) {
    bool all = false;
    bool ok = write("message move", [&] {
        if (Outcome o = allInFolder(from, ids, all); o != Outcome::ok || !all)
            return o;
        sqlite3_stmt* statement = nullptr;
        if (Outcome o = file_.prepare(moveSql, statement); o != Outcome::ok)
            return o;
        for (int64_t id : ids) {
            StatementUse use(statement);
            sqlite3_bind_int64(statement, 1, id);
            sqlite3_bind_int(statement, 2, int(to));
            bool row = false;
            if (Outcome o = file_.step(statement, row); o != Outcome::ok)
                return o;
        }
        return Outcome::ok;
    });
    return ok && all;
}

bool MessageDatabase::folderCounts(FolderId folder, uint32_t& count, uint32_t& unread) {
    return file_.run("folder count", [&] {
        sqlite3_stmt* statement = nullptr;
        if (Outcome o = file_.prepare(countsSql, statement); o != Outcome::ok)
            return o;
        StatementUse use(statement);
        sqlite3_bind_int(statement, 1, int(folder));
        bool row = false;
        Outcome outcome = file_.step(statement, row);
        count = row ? uint32_t(sqlite3_column_int64(statement, 0)) : 0;
        unread = row ? uint32_t(sqlite3_column_int64(statement, 1)) : 0;
        return outcome;
    });
}

// ---------------------------------------------------------------------------- contents

bool MessageDatabase::readContents(FolderId folder, const std::vector<PropTag>& tags,
                                   bool newestFirst, ContentsCursor& cursor, size_t limit,
                                   std::vector<Row>& out) {
    // NOTE: each call seeks the index past the cursor, so reading a folder a few rows at
    // a time costs one seek per call, not a scan from the start; and no statement stays
    // open between calls, so a reader never holds the file.
    std::string sql =
        "SELECT " + selectList(tags) + ", sort_time FROM messages m WHERE folder=?1" +
        (newestFirst ? " AND (sort_time, id) < (?2, ?3)" : " AND (sort_time, id) > (?2, ?3)") +
        (newestFirst ? " ORDER BY sort_time DESC, id DESC" : " ORDER BY sort_time, id") +
        " LIMIT ?4";
    return file_.run("contents read", [&] {
        out.clear();
        sqlite3_stmt* statement = nullptr;
        if (Outcome o = file_.prepare(sql, statement); o != Outcome::ok)
            return o;
        StatementUse use(statement);
        sqlite3_bind_int(statement, 1, int(folder));
        int64_t time = cursor.started ? cursor.time : newestFirst ? INT64_MAX : INT64_MIN;
        int64_t id = cursor.started ? cursor.id : newestFirst ? INT64_MAX : INT64_MIN;
        sqlite3_bind_int64(statement, 2, time);
        sqlite3_bind_int64(statement, 3, id);
        sqlite3_bind_int64(statement, 4, int64_t(limit));
        for (bool row = true;;) {
            if (Outcome o = file_.step(statement, row); o != Outcome::ok || !row)
                return o;
            int64_t rowId = sqlite3_column_int64(statement, 0);
            out.push_back(readRow(statement, tags, rowId));
            cursor = {sqlite3_column_int64(statement, int(tags.size()) + 2), rowId, true};
        }
    });
}

bool MessageDatabase::readArrivals(FolderId folder, const std::vector<PropTag>& tags,
                                   int64_t& afterId, size_t limit, std::vector<Row>& out) {
    // The primary key orders the rows by arrival: one seek, then the new rows only.
    // NOTE: "+folder" keeps the planner off the folder's order index, which would read
    // the whole folder and sort it for every chunk.
    std::string sql = "SELECT " + selectList(tags) +
                      " FROM messages m WHERE id>?2 AND +folder=?1 ORDER BY id LIMIT ?3";
    int64_t last = afterId;
    bool ok = file_.run("arrivals read", [&] {
        out.clear();
        last = afterId;
        sqlite3_stmt* statement = nullptr;
        if (Outcome o = file_.prepare(sql, statement); o != Outcome::ok)
            return o;
        StatementUse use(statement);
        sqlite3_bind_int(statement, 1, int(folder));
        sqlite3_bind_int64(statement, 2, afterId);
        sqlite3_bind_int64(statement, 3, int64_t(limit));
        for (bool row = true;;) {
            if (Outcome o = file_.step(statement, row); o != Outcome::ok || !row)
                return o;
            last = sqlite3_column_int64(statement, 0);
            out.push_back(readRow(statement, tags, last));
        }
    });
    if (ok)
        afterId = last;
    return ok;
}

bool MessageDatabase::readMatching(FolderId folder, const std::vector<PropTag>& tags,
                                   bool newestFirst, const std::vector<std::string>& reducedForms,
                                   std::vector<Row>& out) {
    // One statement text for every number: the forms fill a fixed list of parameters,
    // the unused ones NULL (which matches nothing).
    std::string forms;
    for (size_t i = 0; i < maxMatchCandidates; ++i)
        forms += (i ? ",?" : "?") + std::to_string(i + 2);
    // NOTE: the candidates drive the join (CROSS JOIN keeps them the outer loop), so
    // the cost is one index seek per form plus one row per message of the contact; left
    // to itself the planner walks the whole folder by its order index instead.
    std::string sql =
        "SELECT " + selectList(tags) +
        " FROM (SELECT id AS candidate FROM messages WHERE sender_reduced IN (" + forms +
        ") UNION SELECT message FROM recipients WHERE reduced IN (" + forms +
        ")) CROSS JOIN messages m ON m.id=candidate WHERE m.folder=?1" +
        (newestFirst ? " ORDER BY sort_time DESC, m.id DESC" : " ORDER BY sort_time, m.id");
    return file_.run("conversation read", [&] {
        out.clear();
        sqlite3_stmt* statement = nullptr;
        if (Outcome o = file_.prepare(sql, statement); o != Outcome::ok)
            return o;
        StatementUse use(statement);
        sqlite3_bind_int(statement, 1, int(folder));
        for (size_t i = 0; i < reducedForms.size() && i < maxMatchCandidates; ++i)
            sqlite3_bind_text(statement, int(i) + 2, reducedForms[i].data(),
                              int(reducedForms[i].size()), SQLITE_TRANSIENT);
        for (bool row = true;;) {
            if (Outcome o = file_.step(statement, row); o != Outcome::ok || !row)
                return o;
            out.push_back(readRow(statement, tags, sqlite3_column_int64(statement, 0)));
        }
    });
}

} // namespace vantrel::platform::msgstore
