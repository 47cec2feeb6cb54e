#include "platform/modem/PhoneStore.h"

#include "platform/core/Utf.h"

#include <sqlite3.h>

namespace vantrel::platform::modem {

namespace {

using Outcome = SqliteFile::Outcome;

// calls: the log, read newest first through calls_order. sends and dials: what the
// simulated modem was asked to do; send_addresses: the address type of a send, a table
// of its own so that phone files made before it keep their call log. settings: what it
// was told to do next.
constexpr const char* schemaSql =
    "CREATE TABLE IF NOT EXISTS calls(id INTEGER PRIMARY KEY AUTOINCREMENT,"
    " start INTEGER NOT NULL, end INTEGER NOT NULL, direction INTEGER NOT NULL,"
    " flags INTEGER NOT NULL, caller_id_type INTEGER NOT NULL, number TEXT NOT NULL,"
    " name TEXT NOT NULL, name_type TEXT NOT NULL, note TEXT NOT NULL);"
    "CREATE INDEX IF NOT EXISTS calls_order ON calls(start, id);"
    "CREATE TABLE IF NOT EXISTS sends(id INTEGER PRIMARY KEY AUTOINCREMENT,"
    " time INTEGER NOT NULL, number TEXT NOT NULL, text TEXT NOT NULL,"
    " encoding INTEGER NOT NULL, status_report INTEGER NOT NULL, result INTEGER NOT NULL);"
    "CREATE TABLE IF NOT EXISTS send_addresses(send_id INTEGER PRIMARY KEY,"
    " international INTEGER NOT NULL);"
    "CREATE TABLE IF NOT EXISTS dials(id INTEGER PRIMARY KEY AUTOINCREMENT,"
    " time INTEGER NOT NULL, number TEXT NOT NULL, called_party TEXT NOT NULL);"
    "CREATE TABLE IF NOT EXISTS settings(name TEXT PRIMARY KEY, value INTEGER NOT NULL)"
    " WITHOUT ROWID;";

constexpr const char* addCallSql =
    "INSERT INTO calls(start, end, direction, flags, caller_id_type, number, name, name_type,"
    " note) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)";
constexpr const char* callColumns =
    "SELECT id, start, end, direction, flags, caller_id_type, number, name, name_type, note"
    " FROM calls";
constexpr const char* newestCallsSql = " ORDER BY start DESC, id DESC LIMIT ?3";
constexpr const char* olderCallsSql = " WHERE (start, id) < (?1, ?2)";
constexpr const char* settingSql = "SELECT value FROM settings WHERE name=?1";
constexpr const char* setSettingSql = "INSERT OR REPLACE INTO settings(name, value) VALUES(?1, ?2)";
constexpr const char* clearSettingSql = "DELETE FROM settings WHERE name=?1";
constexpr const char* addSendSql =
    "INSERT INTO sends(time, number, text, encoding, status_report, result)"
    " VALUES(?1, ?2, ?3, ?4, ?5, ?6)";
constexpr const char* addSendAddressSql =
    "INSERT INTO send_addresses(send_id, international) VALUES(?1, ?2)";
constexpr const char* sendsSql =
    "SELECT id, time, number, text, encoding, status_report, result,"
    " COALESCE((SELECT international FROM send_addresses WHERE send_id = id), 0)"
    " FROM sends ORDER BY id";
constexpr const char* addDialSql =
    "INSERT INTO dials(time, number, called_party) VALUES(?1, ?2, ?3)";
constexpr const char* dialsSql = "SELECT time, number, called_party FROM dials ORDER BY id";

void bindText(sqlite3_stmt* statement, int index, std::u16string_view text) {
    std::string utf8 = toUtf8(text);
    sqlite3_bind_text(statement, index, utf8.data(), int(utf8.size()), SQLITE_TRANSIENT);
}

std::u16string columnText(sqlite3_stmt* statement, int index) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, index));
    return text ? toUtf16(std::string_view(text, size_t(sqlite3_column_bytes(statement, index))))
                : std::u16string();
}

} // namespace

PhoneStore& PhoneStore::instance() {
    static PhoneStore* store = new PhoneStore;
    return *store;
}

PhoneStore::PhoneStore()
    : file_("phone",
            SqliteFile::Schema{schemaSql,
                               {"calls", "sends", "send_addresses", "dials", "settings"},
                               {addCallSql, addSendSql, addSendAddressSql, addDialSql, settingSql},
                               nullptr,
                               "phone.db"}) {}

bool PhoneStore::available() {
    return file_.run("open", [] { return Outcome::ok; });
}

bool PhoneStore::addCall(const CallRecord& call) {
    return file_.run("call log write", [&] {
        sqlite3_stmt* statement = nullptr;
        if (Outcome o = file_.prepare(addCallSql, statement); o != Outcome::ok)
            return o;
        StatementUse use(statement);
        sqlite3_bind_int64(statement, 1, int64_t(call.startTime));
        sqlite3_bind_int64(statement, 2, int64_t(call.endTime));
        sqlite3_bind_int64(statement, 3, call.direction);
        sqlite3_bind_int64(statement, 4, call.flags);
        sqlite3_bind_int64(statement, 5, call.callerIdType);
        bindText(statement, 6, call.number);
        bindText(statement, 7, call.name);
        bindText(statement, 8, call.nameType);
        bindText(statement, 9, call.note);
        bool row = false;
        return file_.step(statement, row);
    });
}

bool PhoneStore::readCalls(bool fromNewest, uint64_t beforeTime, int64_t beforeId, size_t limit,
                           std::vector<CallRecord>& out) {
    std::string sql = std::string(callColumns) + (fromNewest ? "" : olderCallsSql) + newestCallsSql;
    return file_.run("call log read", [&] {
        out.clear();
        sqlite3_stmt* statement = nullptr;
        if (Outcome o = file_.prepare(sql, statement); o != Outcome::ok)
            return o;
        StatementUse use(statement);
        if (!fromNewest) {
            sqlite3_bind_int64(statement, 1, int64_t(beforeTime));
            sqlite3_bind_int64(statement, 2, beforeId);
        }
        sqlite3_bind_int64(statement, 3, int64_t(limit));
        for (bool row = true;;) {
            if (Outcome o = file_.step(statement, row); o != Outcome::ok || !row)
                return o;
            CallRecord call;
            call.id = sqlite3_column_int64(statement, 0);
            call.startTime = uint64_t(sqlite3_column_int64(statement, 1));
            call.endTime = uint64_t(sqlite3_column_int64(statement, 2));
            call.direction = uint32_t(sqlite3_column_int64(statement, 3));
            call.flags = uint32_t(sqlite3_column_int64(statement, 4));
            call.callerIdType = uint32_t(sqlite3_column_int64(statement, 5));
            call.number = columnText(statement, 6);
            call.name = columnText(statement, 7);
            call.nameType = columnText(statement, 8);
            call.note = columnText(statement, 9);
            out.push_back(std::move(call));
        }
    });
}

// Reads and clears a setting; runs inside the caller's transaction, so a setting meant
// for the next request belongs to exactly one, even when two processes ask at once.
SqliteFile::Outcome PhoneStore::takeSetting(const char* name, int64_t& value) {
    sqlite3_stmt* statement = nullptr;
    bool row = false;
    if (Outcome o = file_.prepare(settingSql, statement); o != Outcome::ok)
        return o;
    {
        StatementUse use(statement);
        sqlite3_bind_text(statement, 1, name, -1, SQLITE_STATIC);
        if (Outcome o = file_.step(statement, row); o != Outcome::ok)
            return o;
        value = row ? sqlite3_column_int64(statement, 0) : 0;
    }
    if (Outcome o = file_.prepare(clearSettingSql, statement); o != Outcome::ok)
        return o;
    StatementUse use(statement);
    sqlite3_bind_text(statement, 1, name, -1, SQLITE_STATIC);
    return file_.step(statement, row);
}

bool PhoneStore::recordSend(const OutgoingSms& sms, uint64_t time, int32_t& result, uint32_t& id) {
    return file_.run("send record", [&] {
        return file_.inTransaction([&] {
            int64_t failure = 0;
            if (Outcome o = takeSetting("fail_next", failure); o != Outcome::ok)
                return o;
            result = int32_t(failure);
            sqlite3_stmt* statement = nullptr;
            bool row = false;
            if (Outcome o = file_.prepare(addSendSql, statement); o != Outcome::ok)
                return o;
            StatementUse use(statement);
            sqlite3_bind_int64(statement, 1, int64_t(time));
            bindText(statement, 2, sms.number);
            bindText(statement, 3, sms.text);
            sqlite3_bind_int64(statement, 4, int64_t(sms.encoding));
            sqlite3_bind_int(statement, 5, sms.statusReport);
            sqlite3_bind_int64(statement, 6, result);
            if (Outcome o = file_.step(statement, row); o != Outcome::ok)
                return o;
            id = uint32_t(sqlite3_last_insert_rowid(file_.db()));
            sqlite3_stmt* address = nullptr;
            if (Outcome o = file_.prepare(addSendAddressSql, address); o != Outcome::ok)
                return o;
            StatementUse addressUse(address);
            sqlite3_bind_int64(address, 1, id);
            sqlite3_bind_int(address, 2, sms.international);
            return file_.step(address, row);
        });
    });
}

bool PhoneStore::sends(std::vector<SentSms>& out) {
    return file_.run("outbox read", [&] {
        out.clear();
        sqlite3_stmt* statement = nullptr;
        if (Outcome o = file_.prepare(sendsSql, statement); o != Outcome::ok)
            return o;
        StatementUse use(statement);
        for (bool row = true;;) {
            if (Outcome o = file_.step(statement, row); o != Outcome::ok || !row)
                return o;
            out.push_back({uint32_t(sqlite3_column_int64(statement, 0)),
                           uint64_t(sqlite3_column_int64(statement, 1)), columnText(statement, 2),
                           columnText(statement, 3), SmsEncoding(sqlite3_column_int(statement, 4)),
                           sqlite3_column_int(statement, 5) != 0,
                           int32_t(sqlite3_column_int64(statement, 6)),
                           sqlite3_column_int(statement, 7) != 0});
        }
    });
}

bool PhoneStore::setSetting(const char* name, int64_t value) {
    return file_.run("modem setting", [&] {
        sqlite3_stmt* statement = nullptr;
        if (Outcome o = file_.prepare(value ? setSettingSql : clearSettingSql, statement);
            o != Outcome::ok)
            return o;
        StatementUse use(statement);
        sqlite3_bind_text(statement, 1, name, -1, SQLITE_STATIC);
        if (value)
            sqlite3_bind_int64(statement, 2, value);
        bool row = false;
        return file_.step(statement, row);
    });
}

bool PhoneStore::setFailNextSend(int32_t code) {
    return setSetting("fail_next", code);
}

bool PhoneStore::setSendDelay(uint32_t milliseconds) {
    return setSetting("send_delay", milliseconds);
}

uint32_t PhoneStore::sendDelay() {
    return uint32_t(setting("send_delay"));
}

bool PhoneStore::setSmsServiceOff(bool off) {
    return setSetting("sms_service_off", off ? 1 : 0);
}

bool PhoneStore::smsServiceOff() {
    return setting("sms_service_off") != 0;
}

int64_t PhoneStore::setting(const char* name) {
    int64_t value = 0;
    file_.run("modem setting", [&] {
        sqlite3_stmt* statement = nullptr;
        if (Outcome o = file_.prepare(settingSql, statement); o != Outcome::ok)
            return o;
        StatementUse use(statement);
        sqlite3_bind_text(statement, 1, name, -1, SQLITE_STATIC);
        bool row = false;
        Outcome outcome = file_.step(statement, row);
        value = row ? sqlite3_column_int64(statement, 0) : 0;
        return outcome;
    });
    return value;
}

bool PhoneStore::setFailNextDial(int32_t code) {
    return setSetting("fail_next_dial", code);
}

bool PhoneStore::recordDial(const DialRequest& request, int32_t& result) {
    return file_.run("dial record", [&] {
        return file_.inTransaction([&] {
            int64_t failure = 0;
            if (Outcome o = takeSetting("fail_next_dial", failure); o != Outcome::ok)
                return o;
            result = int32_t(failure);
            // A refused dial reached no one: it is neither a dial nor a call.
            if (result != 0)
                return Outcome::ok;
            sqlite3_stmt* statement = nullptr;
            if (Outcome o = file_.prepare(addDialSql, statement); o != Outcome::ok)
                return o;
            StatementUse use(statement);
            sqlite3_bind_int64(statement, 1, int64_t(request.time));
            bindText(statement, 2, request.number);
            bindText(statement, 3, request.calledParty);
            bool row = false;
            return file_.step(statement, row);
        });
    });
}

bool PhoneStore::dials(std::vector<DialRequest>& out) {
    return file_.run("dial read", [&] {
        out.clear();
        sqlite3_stmt* statement = nullptr;
        if (Outcome o = file_.prepare(dialsSql, statement); o != Outcome::ok)
            return o;
        StatementUse use(statement);
        for (bool row = true;;) {
            if (Outcome o = file_.step(statement, row); o != Outcome::ok || !row)
                return o;
            out.push_back({uint64_t(sqlite3_column_int64(statement, 0)), columnText(statement, 1),
                           columnText(statement, 2)});
        }
    });
}

} // namespace vantrel::platform::modem
