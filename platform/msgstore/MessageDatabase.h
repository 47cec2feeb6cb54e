#pragma once
// The message store's SQLite file ("messages.db"), private to platform/msgstore: the
// rows behind the session, folder and message objects of MessageStore.h.
//
// Every write is one transaction taken under a device-wide writer lock, and the Inbox's
// unread count is counted inside it and written to the registry before the lock is let
// go, so the registry follows the store's commits in their order even when several
// processes write.

#include "platform/msgstore/MessageStore.h"
#include "platform/registry/SqliteFile.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace vantrel::platform::msgstore {

enum class FolderId : int { inbox = 1, sent = 2, outbox = 3, drafts = 4, deleted = 5 };
inline constexpr int folderCount = 5;
const char16_t* folderName(FolderId folder);

enum class EntryKind : uint8_t { store = 1, folder = 2, message = 3 };

// Where a contents table has got to: the sort time and id of the last row handed out.
struct ContentsCursor {
    int64_t time = 0;
    int64_t id = 0;
    bool started = false;
};

class MessageDatabase {
public:
    static MessageDatabase& instance();

    // Opens the file when needed; false when it cannot be used.
    bool available();

    EntryId makeEntryId(EntryKind kind, int64_t id);
    // False for bytes that are no entry id of this store (another store's, a replaced
    // store's, malformed).
    bool parseEntryId(const EntryId& entry, EntryKind& kind, int64_t& id);

    bool messageFolder(int64_t id, FolderId& folder);
    bool readProps(int64_t id, const std::vector<PropTag>& tags, std::vector<Property>& out);
    bool writeProps(int64_t id, const std::vector<Property>& properties);
    bool insertMessage(FolderId folder, const std::vector<Property>& properties,
                       const std::vector<Row>& recipients, int64_t& id);
    bool writeRecipients(int64_t id, bool add, const std::vector<Row>& recipients);
    bool readRecipients(int64_t id, std::vector<Row>& out);
    bool deleteMessages(FolderId folder, const std::vector<int64_t>& ids);
    bool moveMessages(FolderId from, FolderId to, const std::vector<int64_t>& ids);
    bool folderCounts(FolderId folder, uint32_t& count, uint32_t& unread);

    // Up to `limit` rows after the cursor, which moves to the last one.
    bool readContents(FolderId folder, const std::vector<PropTag>& columns, bool newestFirst,
                      ContentsCursor& cursor, size_t limit, std::vector<Row>& out);
    // Up to `limit` rows stored after the row `afterId`, by row id; `afterId` moves to
    // the last one.
    bool readArrivals(FolderId folder, const std::vector<PropTag>& columns, int64_t& afterId,
                      size_t limit, std::vector<Row>& out);
    // Every row whose sender or a recipient has one of the reduced forms.
    bool readMatching(FolderId folder, const std::vector<PropTag>& columns, bool newestFirst,
                      const std::vector<std::string>& reducedForms, std::vector<Row>& out);

    // WriteBatch's transaction, held by this thread.
    bool beginBatch();
    bool endBatch();

private:
    MessageDatabase();
    using Outcome = SqliteFile::Outcome;

    EntryId encodeEntryId(EntryKind kind, int64_t id) const;
    // Opens the device-wide writer lock file when needed; false when it cannot be.
    bool writerLock();
    void lockWriter();
    // Publishes the unread count when the outermost write committed.
    void unlockWriter(bool committed, uint32_t unread);
    bool write(const char* what, const std::function<Outcome()>& body);
    Outcome writePropsIn(int64_t id, const std::vector<Property>& properties);
    Outcome writeRecipientsIn(int64_t id, bool add, const std::vector<Row>& recipients);
    Outcome countUnread(uint32_t& count);
    // Whether every id is of a message in the folder.
    Outcome allInFolder(FolderId folder, const std::vector<int64_t>& ids, bool& all);
    Outcome loadStoreId();
    Outcome reconcileUnread();
    void publishUnread(uint32_t count);
    // The select list for the columns, in their order, after the message's id.
    std::string selectList(const std::vector<PropTag>& columns) const;
    Row readRow(sqlite3_stmt* statement, const std::vector<PropTag>& columns, int64_t id);

    SqliteFile file_;
    uint64_t storeId_ = 0;

    // One writer of the device at a time, and in this process one thread.
    std::recursive_mutex writeMutex_;
    int writeDepth_ = 0;
    int writerLock_ = -1;
    std::filesystem::path writerLockPath_;
    uint32_t unread_ = 0;
};

} // namespace vantrel::platform::msgstore
