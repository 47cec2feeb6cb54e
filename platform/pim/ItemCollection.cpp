#include "platform/pim/ItemCollection.h"

#include "platform/pim/ContactStore.h"
#include "platform/pim/PropertyBlob.h"

#include <sqlite3.h>

#include <string>

namespace vantrel::platform::pim {

namespace {

// Served from the index alone: the order without reading a single item.
constexpr const char* orderSql = "SELECT oid, sortkey FROM items ORDER BY sortkey, oid";
// Walks the items in order from a given position; stepping it once more gives the next
// index, so a pass from 1 to n is one walk of the index.
constexpr const char* cursorSql =
    "SELECT oid, props FROM items WHERE (sortkey, oid) >= (?1, ?2) ORDER BY sortkey, oid";
constexpr const char* pictureSql = "SELECT data FROM pictures WHERE oid=?1";

} // namespace

struct ItemCollection::Snapshot {
    sqlite3* db = nullptr;
    sqlite3_stmt* cursor = nullptr;
    sqlite3_stmt* picture = nullptr; // prepared on first use
    // The order as the snapshot holds it: keys packed one after the other.
    std::vector<Oid> oids;
    std::vector<uint32_t> keyEnds;
    std::string keys;
    // The index the cursor answers when stepped, 0 when it must seek first.
    uint32_t next = 0;
    PropertyView view;

    ~Snapshot() {
        sqlite3_finalize(cursor);
        sqlite3_finalize(picture);
        if (db) {
            sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
            sqlite3_close_v2(db);
        }
    }

    std::string_view key(uint32_t position) const {
        uint32_t begin = position ? keyEnds[position - 1] : 0;
        return std::string_view(keys).substr(begin, keyEnds[position] - begin);
    }
};

std::unique_ptr<ItemCollection> ItemCollection::open(ContactStore& store) {
    auto snapshot = std::make_unique<Snapshot>();
    snapshot->db = store.openReader();
    if (!snapshot->db)
        return nullptr;
    // The read transaction stays open while the collection lives: its count and its
    // order are those of one moment. Writers are not held up (write-ahead log).
    if (sqlite3_exec(snapshot->db, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK)
        return nullptr;
    sqlite3_stmt* order = nullptr;
    if (sqlite3_prepare_v2(snapshot->db, orderSql, -1, &order, nullptr) != SQLITE_OK)
        return nullptr;
    int code;
    while ((code = sqlite3_step(order)) == SQLITE_ROW) {
        snapshot->oids.push_back(static_cast<Oid>(sqlite3_column_int64(order, 0)));
        const auto* key = static_cast<const char*>(sqlite3_column_blob(order, 1));
        snapshot->keys.append(key ? key : "", static_cast<size_t>(sqlite3_column_bytes(order, 1)));
        snapshot->keyEnds.push_back(static_cast<uint32_t>(snapshot->keys.size()));
    }
    sqlite3_finalize(order);
    if (code != SQLITE_DONE ||
        sqlite3_prepare_v3(snapshot->db, cursorSql, -1, SQLITE_PREPARE_PERSISTENT,
                           &snapshot->cursor, nullptr) != SQLITE_OK)
        return nullptr;
    return std::unique_ptr<ItemCollection>(new ItemCollection(std::move(snapshot)));
}

ItemCollection::ItemCollection(std::unique_ptr<Snapshot> snapshot)
    : snapshot_(std::move(snapshot)) {}

ItemCollection::~ItemCollection() = default;

uint32_t ItemCollection::count() const {
    return static_cast<uint32_t>(snapshot_->oids.size());
}

bool ItemCollection::getProps(uint32_t index, std::span<const PropId> ids,
                              std::vector<PropValue>& values) {
    values.clear();
    Snapshot& s = *snapshot_;
    if (index < 1 || index > s.oids.size())
        return false;
    uint32_t position = index - 1;
    if (s.next != index) {
        sqlite3_reset(s.cursor);
        std::string_view key = s.key(position);
        sqlite3_bind_blob(s.cursor, 1, key.data(), static_cast<int>(key.size()), SQLITE_STATIC);
        sqlite3_bind_int64(s.cursor, 2, s.oids[position]);
    }
    s.next = 0;
    if (sqlite3_step(s.cursor) != SQLITE_ROW)
        return false;
    auto oid = static_cast<Oid>(sqlite3_column_int64(s.cursor, 0));
    if (oid != s.oids[position])
        return false; // cannot happen inside one snapshot; a broken file at most
    s.next = index + 1;
    const auto* bytes = static_cast<const uint8_t*>(sqlite3_column_blob(s.cursor, 1));
    s.view.reset({bytes, bytes ? static_cast<size_t>(sqlite3_column_bytes(s.cursor, 1)) : 0});
    values.reserve(ids.size());
    for (PropId id : ids)
        values.push_back(id == prop::oid ? PropValue::ofUint32(id, oid) : s.view.get(id));
    return true;
}

bool ItemCollection::getPicture(uint32_t index, std::vector<uint8_t>& bytes) {
    bytes.clear();
    Snapshot& s = *snapshot_;
    if (index < 1 || index > s.oids.size())
        return false;
    if (!s.picture && sqlite3_prepare_v3(s.db, pictureSql, -1, SQLITE_PREPARE_PERSISTENT,
                                         &s.picture, nullptr) != SQLITE_OK)
        return false;
    sqlite3_reset(s.picture);
    sqlite3_bind_int64(s.picture, 1, s.oids[index - 1]);
    int code = sqlite3_step(s.picture);
    if (code == SQLITE_ROW) {
        const auto* data = static_cast<const uint8_t*>(sqlite3_column_blob(s.picture, 0));
        bytes.assign(data, data + sqlite3_column_bytes(s.picture, 0));
        code = SQLITE_DONE;
    }
    sqlite3_reset(s.picture);
    return code == SQLITE_DONE;
}

} // namespace vantrel::platform::pim
