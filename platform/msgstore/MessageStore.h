#pragma once
// The device's messaging store, shaped after the phone platform's messaging interfaces
// so the product's wrappers map one call to one call: a session lists the stores (one,
// "SMS"), a store names its folders by entry id (Inbox, Sent, Outbox, Drafts, Deleted),
// a folder hands out a contents table and opens, creates, deletes and moves messages,
// a message reads and writes properties by 32-bit tag and keeps recipients.
//
// Every process of the device shares the store: a SQLite file in the device folder
// ("messages.db"), private to its user. Entry ids stay valid across restarts and
// moves; an id of a store that was replaced (a broken file moved aside) opens nothing.
// A stored message takes property and recipient changes at once; a created one keeps
// them until saveChanges. The unread count of the Inbox is kept in the registry
// ("Count" under "System\State\Messages\SMS\Unread") after every change, so its
// notification reaches the program.
//
// Objects may be used from any thread, one thread at a time each.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace vantrel::platform::msgstore {

using PropTag = uint32_t;
using EntryId = std::vector<uint8_t>;

// The low 16 bits of a tag say the type of its value.
enum PropType : uint16_t {
    typeInt32 = 0x0003,
    typeError = 0x000A,
    typeBoolean = 0x000B,
    typeInt64 = 0x0014,
    typeUnicode = 0x001F,
    typeSystime = 0x0040,
    typeBinary = 0x0102,
};
constexpr PropType propType(PropTag tag) {
    return static_cast<PropType>(tag & 0xFFFF);
}

namespace tag {
inline constexpr PropTag messageClass = 0x001A001F;
inline constexpr PropTag subject = 0x0037001F; // an SMS's body
inline constexpr PropTag deliverTime = 0x00100040;
inline constexpr PropTag receiptTime = 0x002A0040;
inline constexpr PropTag recipientType = 0x0C150003;
inline constexpr PropTag senderName = 0x0C1A001F;
inline constexpr PropTag senderEmailAddress = 0x0C1F001F; // an SMS sender's number
inline constexpr PropTag messageDeliveryTime = 0x0E060040;
inline constexpr PropTag messageFlags = 0x0E070003;
inline constexpr PropTag parentEntryId = 0x0E090102;
inline constexpr PropTag msgStatus = 0x0E170003;
inline constexpr PropTag entryId = 0x0FFF0102;
inline constexpr PropTag rowId = 0x30000003;
inline constexpr PropTag displayName = 0x3001001F;
inline constexpr PropTag addrType = 0x3002001F;
inline constexpr PropTag emailAddress = 0x3003001F;
inline constexpr PropTag creationTime = 0x30070040;
inline constexpr PropTag lastModificationTime = 0x30080040;
inline constexpr PropTag contentCount = 0x36020003;
inline constexpr PropTag contentUnread = 0x36030003;
// Store properties naming the folders.
inline constexpr PropTag outboxEntryId = 0x35E20102;
inline constexpr PropTag wastebasketEntryId = 0x35E30102;
inline constexpr PropTag sentMailEntryId = 0x35E40102;
inline constexpr PropTag inboxEntryId = 0x81060102;
inline constexpr PropTag draftsEntryId = 0x81070102;
} // namespace tag

namespace flag {
inline constexpr uint32_t read = 0x01;
inline constexpr uint32_t unmodified = 0x02;
inline constexpr uint32_t submit = 0x04;
inline constexpr uint32_t unsent = 0x08;
inline constexpr uint32_t fromMe = 0x20;
} // namespace flag

// The error value of a property the object does not have.
inline constexpr uint32_t errorNotFound = 0x8004010F;

struct Property {
    // A missing property comes back with its tag's type replaced by typeError and
    // the value errorNotFound, so a reader that compares tags sees the failure.
    PropTag tag = 0;
    std::variant<std::monostate, uint32_t, uint64_t, std::u16string, std::vector<uint8_t>> value;

    static Property number(PropTag tag, uint32_t value) { return {tag, value}; }
    static Property time(PropTag tag, uint64_t fileTime) { return {tag, fileTime}; }
    static Property text(PropTag tag, std::u16string value) { return {tag, std::move(value)}; }
    static Property binary(PropTag tag, std::vector<uint8_t> value) {
        return {tag, std::move(value)};
    }
    static Property missing(PropTag requested) {
        return {(requested & 0xFFFF0000) | typeError, errorNotFound};
    }

    bool found() const { return propType(tag) != typeError; }
    // The value as its type holds it; a default when the property is missing or of
    // another type.
    uint32_t asNumber() const;
    uint64_t asTime() const;
    std::u16string asText() const;
    std::vector<uint8_t> asBinary() const;
    // Whether the value's kind is the one the tag's type asks for.
    bool wellTyped() const;
};
using Row = std::vector<Property>;

// ---------------------------------------------------------------------------- tables

// Rows read a few at a time, in the order of the folder: oldest message first (by its
// creation time, else delivery time, then by arrival), unless sorted newest first.
// Columns the caller did not set are entry id, display name, sender address, flags.
class Table {
public:
    virtual ~Table() = default;
    virtual bool setColumns(std::vector<PropTag> columns) = 0;
    // Keeps only messages whose sender or a recipient may match `number` by the
    // reduced-number rule (see ReducedNumber.h); the caller applies the rule itself.
    // Tables other than a folder's contents refuse (false).
    virtual bool restrictToNumber(std::u16string_view number) = 0;
    virtual bool sortNewestFirst(bool newestFirst) = 0;
    // Keeps only messages stored after the one whose tag::rowId is `rowId`, in the
    // order they were stored (row ids only grow, and a moved message keeps its own), so
    // a reader that remembers the last row id it saw reads each message once. Tables
    // other than a folder's contents refuse (false).
    virtual bool restrictToRowsAfter(uint32_t rowId) = 0;
    // Up to `count` next rows; none at the end. A failed read also returns none.
    virtual std::vector<Row> queryRows(size_t count) = 0;
    virtual uint32_t rowCount() = 0;
};

// ---------------------------------------------------------------------------- objects

class Message {
public:
    virtual ~Message() = default;
    // One property per tag, in order; missing ones marked (Property::missing).
    virtual std::vector<Property> getProps(const std::vector<PropTag>& tags) = 0;
    Property getProp(PropTag tag) { return getProps({tag}).front(); }
    // False, changing nothing, when a property has the wrong kind of value or is one
    // the store computes (entry id, parent entry id).
    virtual bool setProps(const std::vector<Property>& properties) = 0;

    enum class RecipientChange { replaceAll, add };
    // Each row holds the recipient's properties (recipient type, address type, address,
    // display name, in any order).
    virtual bool modifyRecipients(RecipientChange change, const std::vector<Row>& recipients) = 0;
    virtual std::unique_ptr<Table> recipientTable() = 0;
    // Stores a created message; a stored one has nothing pending.
    virtual bool saveChanges() = 0;
    // Empty for a created message not yet saved.
    virtual EntryId entryId() const = 0;
};

class Folder {
public:
    virtual ~Folder() = default;
    virtual std::vector<Property> getProps(const std::vector<PropTag>& tags) = 0;
    virtual std::unique_ptr<Table> contentsTable() = 0;
    virtual std::unique_ptr<Message> openMessage(const EntryId& id) = 0;
    // Nothing is stored until the message's saveChanges.
    virtual std::unique_ptr<Message> createMessage() = 0;
    // False, deleting nothing, when an id is not of a message in this folder.
    virtual bool deleteMessages(const std::vector<EntryId>& ids) = 0;
    // False, moving nothing, when an id is not of a message in this folder.
    virtual bool moveMessages(const std::vector<EntryId>& ids, const Folder& destination) = 0;
    virtual EntryId entryId() const = 0;
};

class MsgStore {
public:
    virtual ~MsgStore() = default;
    // Display name, entry id and the folder entry ids (tag::inboxEntryId, …).
    virtual std::vector<Property> getProps(const std::vector<PropTag>& tags) = 0;
    virtual std::unique_ptr<Folder> openFolder(const EntryId& id) = 0;
};

class Session {
public:
    // nullptr when the store cannot be opened.
    static std::unique_ptr<Session> logon();
    virtual ~Session() = default;
    // One row a store: display name, entry id.
    virtual std::unique_ptr<Table> storesTable() = 0;
    virtual std::unique_ptr<MsgStore> openStore(const EntryId& id) = 0;
    virtual std::unique_ptr<Folder> openFolder(const EntryId& id) = 0;
    virtual std::unique_ptr<Message> openMessage(const EntryId& id) = 0;
};

// Holds every write of this thread in one transaction until it ends, and writes the
// unread count once: seeding a device with thousands of messages takes a second, not
// minutes. Other writers of the device wait meanwhile; readers of other processes see
// the batch when it commits, readers of this process as it goes.
class WriteBatch {
public:
    WriteBatch();
    ~WriteBatch(); // commits
    WriteBatch(const WriteBatch&) = delete;
    WriteBatch& operator=(const WriteBatch&) = delete;
    // False when the transaction could not be committed (nothing of it is stored).
    bool commit();

private:
    bool open_ = false;
};

} // namespace vantrel::platform::msgstore
