#include "platform/msgstore/MessageStore.h"

#include "platform/msgstore/MessageDatabase.h"
#include "platform/msgstore/ReducedNumber.h"

#include <algorithm>

// Contents:
//   properties  typed access
//   tables      fixed rows (stores, recipients) and folder contents
//   objects     message, folder, store, session, batch

namespace vantrel::platform::msgstore {

namespace {

MessageDatabase& db() {
    return MessageDatabase::instance();
}

constexpr uint32_t folderTagOf[] = {0,
                                    tag::inboxEntryId,
                                    tag::sentMailEntryId,
                                    tag::outboxEntryId,
                                    tag::draftsEntryId,
                                    tag::wastebasketEntryId};

const std::vector<PropTag> defaultColumns{tag::displayName, tag::entryId, tag::senderEmailAddress,
                                          tag::messageFlags};

// The properties of `row` in the order of `columns`; missing ones marked.
Row project(const Row& row, const std::vector<PropTag>& columns) {
    Row out;
    out.reserve(columns.size());
    for (PropTag tag : columns) {
        auto found =
            std::find_if(row.begin(), row.end(), [&](const Property& p) { return p.tag == tag; });
        out.push_back(found != row.end() ? *found : Property::missing(tag));
    }
    return out;
}

bool allWellTyped(const std::vector<Property>& properties) {
    return std::all_of(properties.begin(), properties.end(),
                       [](const Property& p) { return p.wellTyped(); });
}

} // namespace

// ---------------------------------------------------------------------------- properties

uint32_t Property::asNumber() const {
    auto* v = std::get_if<uint32_t>(&value);
    return v && found() ? *v : 0;
}
uint64_t Property::asTime() const {
    auto* v = std::get_if<uint64_t>(&value);
    return v ? *v : 0;
}
std::u16string Property::asText() const {
    auto* v = std::get_if<std::u16string>(&value);
    return v ? *v : std::u16string();
}
std::vector<uint8_t> Property::asBinary() const {
    auto* v = std::get_if<std::vector<uint8_t>>(&value);
    return v ? *v : std::vector<uint8_t>();
}

bool Property::wellTyped() const {
    switch (propType(tag)) {
    case typeInt32:
    case typeBoolean:
        return std::holds_alternative<uint32_t>(value);
    case typeInt64:
    case typeSystime:
        return std::holds_alternative<uint64_t>(value);
    case typeUnicode:
        return std::holds_alternative<std::u16string>(value);
    case typeBinary:
        return std::holds_alternative<std::vector<uint8_t>>(value);
    default:
        return false;
    }
}

// ---------------------------------------------------------------------------- tables

namespace {

// A table of rows known when it is made: the stores, a message's recipients.
class FixedTable : public Table {
public:
    FixedTable(std::vector<Row> rows, std::vector<PropTag> columns)
        : rows_(std::move(rows)), columns_(std::move(columns)) {}
    bool setColumns(std::vector<PropTag> columns) override {
        columns_ = std::move(columns);
        return true;
    }
    bool restrictToNumber(std::u16string_view) override { return false; }
    bool sortNewestFirst(bool) override { return false; }
    bool restrictToRowsAfter(uint32_t) override { return false; }
    std::vector<Row> queryRows(size_t count) override {
        std::vector<Row> out;
        for (; next_ < rows_.size() && out.size() < count; ++next_)
            out.push_back(project(rows_[next_], columns_));
        return out;
    }
    uint32_t rowCount() override { return uint32_t(rows_.size()); }

private:
    std::vector<Row> rows_;
    std::vector<PropTag> columns_;
    size_t next_ = 0;
};

class ContentsTable : public Table {
public:
    explicit ContentsTable(FolderId folder) : folder_(folder) {}
    bool setColumns(std::vector<PropTag> columns) override {
        columns_ = std::move(columns);
        return true;
    }
    bool restrictToNumber(std::u16string_view number) override {
        candidates_ = matchCandidates(reducedNumber(number));
        restricted_ = true;
        return rewind();
    }
    bool sortNewestFirst(bool newestFirst) override {
        newestFirst_ = newestFirst;
        return rewind();
    }
    bool restrictToRowsAfter(uint32_t rowId) override {
        afterRow_ = rowId;
        arrivals_ = true;
        return rewind();
    }
    std::vector<Row> queryRows(size_t count) override {
        std::vector<Row> out;
        if (count == 0)
            return out;
        if (restricted_) {
            // One contact's messages: few enough to read at once through the index.
            if (!matchedRead_ &&
                db().readMatching(folder_, columns_, newestFirst_, candidates_, matched_))
                matchedRead_ = true;
            for (; next_ < matched_.size() && out.size() < count; ++next_)
                out.push_back(std::move(matched_[next_]));
            return out;
        }
        // Rows come from the file in chunks, so a caller that reads one at a time costs
        // one query every chunk.
        if (next_ == chunk_.size() && !ended_) {
            chunk_.clear();
            next_ = 0;
            constexpr size_t chunkRows = 256;
            bool read = arrivals_ ? db().readArrivals(folder_, columns_, afterRow_, chunkRows, chunk_)
                                  : db().readContents(folder_, columns_, newestFirst_, cursor_,
                                                      chunkRows, chunk_);
            if (!read || chunk_.size() < chunkRows)
                ended_ = true;
        }
        for (; next_ < chunk_.size() && out.size() < count; ++next_)
            out.push_back(std::move(chunk_[next_]));
        return out;
    }
    uint32_t rowCount() override {
        if (restricted_) {
            std::vector<Row> rows;
            return db().readMatching(folder_, {}, newestFirst_, candidates_, rows)
                       ? uint32_t(rows.size())
                       : 0;
        }
        uint32_t count = 0, unread = 0;
        return db().folderCounts(folder_, count, unread) ? count : 0;
    }

private:
    bool rewind() {
        cursor_ = {};
        chunk_.clear();
        matched_.clear();
        matchedRead_ = ended_ = false;
        next_ = 0;
        return true;
    }

    FolderId folder_;
    std::vector<PropTag> columns_ = defaultColumns;
    bool newestFirst_ = false;
    bool restricted_ = false;
    bool arrivals_ = false;
    int64_t afterRow_ = 0;
    std::vector<std::string> candidates_;
    ContentsCursor cursor_;
    std::vector<Row> chunk_;
    std::vector<Row> matched_;
    bool matchedRead_ = false;
    bool ended_ = false;
    size_t next_ = 0;
};

// ---------------------------------------------------------------------------- objects

class StoredMessage : public Message {
public:
    // id 0: a created message, kept in memory until saved into `folder`.
    StoredMessage(int64_t id, FolderId folder) : id_(id), folder_(folder) {}

    std::vector<Property> getProps(const std::vector<PropTag>& tags) override {
        if (id_ == 0)
            return project(pending_, tags);
        std::vector<Property> out;
        if (!db().readProps(id_, tags, out)) {
            out.clear();
            for (PropTag tag : tags)
                out.push_back(Property::missing(tag));
        }
        return out;
    }

    bool setProps(const std::vector<Property>& properties) override {
        for (const Property& property : properties)
            if (!property.wellTyped() || property.tag == tag::entryId ||
                property.tag == tag::parentEntryId || property.tag == tag::rowId)
                return false;
        if (id_ != 0)
            return db().writeProps(id_, properties);
        for (const Property& property : properties) {
            std::erase_if(pending_, [&](const Property& p) { return p.tag == property.tag; });
            pending_.push_back(property);
        }
        return true;
    }

    bool modifyRecipients(RecipientChange change, const std::vector<Row>& recipients) override {
        for (const Row& row : recipients)
            if (!allWellTyped(row))
                return false;
        bool add = change == RecipientChange::add;
        if (id_ != 0)
            return db().writeRecipients(id_, add, recipients);
        if (!add)
            recipients_.clear();
        recipients_.insert(recipients_.end(), recipients.begin(), recipients.end());
        return true;
    }

    std::unique_ptr<Table> recipientTable() override {
        std::vector<Row> rows;
        if (id_ == 0)
            rows = recipients_;
        else if (!db().readRecipients(id_, rows))
            return nullptr;
        return std::make_unique<FixedTable>(
            std::move(rows),
            std::vector<PropTag>{tag::recipientType, tag::displayName, tag::emailAddress});
    }

    bool saveChanges() override {
        if (id_ != 0)
            return true;
        int64_t id = 0;
        if (!db().insertMessage(folder_, pending_, recipients_, id))
            return false;
        id_ = id;
        pending_.clear();
        recipients_.clear();
        return true;
    }

    EntryId entryId() const override {
        return id_ ? db().makeEntryId(EntryKind::message, id_) : EntryId();
    }

private:
    int64_t id_;
    FolderId folder_;
    std::vector<Property> pending_;
    std::vector<Row> recipients_;
};

std::unique_ptr<Message> openMessageById(const EntryId& entry) {
    EntryKind kind{};
    int64_t id = 0;
    FolderId folder{};
    if (!db().parseEntryId(entry, kind, id) || kind != EntryKind::message ||
        !db().messageFolder(id, folder))
        return nullptr;
    return std::make_unique<StoredMessage>(id, folder);
}

class StoreFolder : public Folder {
public:
    explicit StoreFolder(FolderId id) : id_(id) {}

    std::vector<Property> getProps(const std::vector<PropTag>& tags) override {
        uint32_t count = 0, unread = 0;
        bool counted = false;
        std::vector<Property> out;
        for (PropTag tag : tags) {
            if ((tag == tag::contentCount || tag == tag::contentUnread) && !counted)
                counted = db().folderCounts(id_, count, unread);
            if (tag == tag::displayName)
                out.push_back(Property::text(tag, folderName(id_)));
            else if (tag == tag::entryId)
                out.push_back(Property::binary(tag, entryId()));
            else if (tag == tag::parentEntryId)
                out.push_back(Property::binary(tag, db().makeEntryId(EntryKind::store, 1)));
            else if (counted && tag == tag::contentCount)
                out.push_back(Property::number(tag, count));
            else if (counted && tag == tag::contentUnread)
                out.push_back(Property::number(tag, unread));
            else
                out.push_back(Property::missing(tag));
        }
        return out;
    }

    std::unique_ptr<Table> contentsTable() override { return std::make_unique<ContentsTable>(id_); }

    std::unique_ptr<Message> openMessage(const EntryId& id) override { return openMessageById(id); }

    std::unique_ptr<Message> createMessage() override {
        return std::make_unique<StoredMessage>(0, id_);
    }

    bool deleteMessages(const std::vector<EntryId>& ids) override {
        std::vector<int64_t> numbers;
        return messageNumbers(ids, numbers) && db().deleteMessages(id_, numbers);
    }

    bool moveMessages(const std::vector<EntryId>& ids, const Folder& destination) override {
        std::vector<int64_t> numbers;
        auto* target = dynamic_cast<const StoreFolder*>(&destination);
        return target && messageNumbers(ids, numbers) &&
               db().moveMessages(id_, target->id_, numbers);
    }

    EntryId entryId() const override { return db().makeEntryId(EntryKind::folder, int64_t(id_)); }

private:
    static bool messageNumbers(const std::vector<EntryId>& ids, std::vector<int64_t>& out) {
        for (const EntryId& entry : ids) {
            EntryKind kind{};
            int64_t id = 0;
            if (!db().parseEntryId(entry, kind, id) || kind != EntryKind::message)
                return false;
            out.push_back(id);
        }
        return true;
    }

    FolderId id_;
};

std::unique_ptr<Folder> openFolderById(const EntryId& entry) {
    EntryKind kind{};
    int64_t id = 0;
    if (!db().parseEntryId(entry, kind, id) || kind != EntryKind::folder || id < 1 ||
        id > folderCount)
        return nullptr;
    return std::make_unique<StoreFolder>(FolderId(id));
}

class SmsStore : public MsgStore {
public:
    std::vector<Property> getProps(const std::vector<PropTag>& tags) override {
        std::vector<Property> out;
        for (PropTag tag : tags) {
            auto folder = std::find(std::begin(folderTagOf) + 1, std::end(folderTagOf), tag);
            if (tag == tag::displayName)
                out.push_back(Property::text(tag, u"SMS"));
            else if (tag == tag::entryId)
                out.push_back(Property::binary(tag, db().makeEntryId(EntryKind::store, 1)));
            else if (folder != std::end(folderTagOf))
                out.push_back(Property::binary(
                    tag, db().makeEntryId(EntryKind::folder, folder - std::begin(folderTagOf))));
            else
                out.push_back(Property::missing(tag));
        }
        return out;
    }
    std::unique_ptr<Folder> openFolder(const EntryId& id) override { return openFolderById(id); }
};

class StoreSession : public Session {
public:
    std::unique_ptr<Table> storesTable() override {
        Row store = SmsStore().getProps({tag::displayName, tag::entryId});
        return std::make_unique<FixedTable>(std::vector<Row>{store}, defaultColumns);
    }
    std::unique_ptr<MsgStore> openStore(const EntryId& entry) override {
        EntryKind kind{};
        int64_t id = 0;
        if (!db().parseEntryId(entry, kind, id) || kind != EntryKind::store || id != 1)
            return nullptr;
        return std::make_unique<SmsStore>();
    }
    std::unique_ptr<Folder> openFolder(const EntryId& id) override { return openFolderById(id); }
    std::unique_ptr<Message> openMessage(const EntryId& id) override { return openMessageById(id); }
};

} // namespace

std::unique_ptr<Session> Session::logon() {
    if (!db().available())
        return nullptr;
    return std::make_unique<StoreSession>();
}

WriteBatch::WriteBatch() : open_(db().beginBatch()) {}

WriteBatch::~WriteBatch() {
    commit();
}

bool WriteBatch::commit() {
    if (!open_)
        return false;
    open_ = false;
    return db().endBatch();
}

} // namespace vantrel::platform::msgstore
