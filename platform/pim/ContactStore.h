#pragma once
// The contact store's file, private to platform/pim: items (one row each: object id,
// type, collation key of the file-as name, property blob), pictures apart so a pass over
// the items never reads them, named properties, and a journal of changes that watchers
// of every process read to post notifications. One connection per store object, guarded
// by one mutex; collections and watchers read through connections of their own.

#include "platform/pim/PropertyBlob.h"
#include "platform/registry/SqliteFile.h"

#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

struct sqlite3;

namespace vantrel::platform::pim {

enum class ChangeKind : int { created = 0, deleted = 1, changed = 2 };

class ContactStore {
public:
    explicit ContactStore(std::filesystem::path path);
    ~ContactStore();

    static constexpr const char* fileName = "contacts.db";
    // Bumped after every commit; watchers of every process sleep on it.
    static constexpr const char* changeSignalName = "contacts.changed";
    const std::filesystem::path& path() const { return path_; }

    // Opens (and, when the locale's collation changed, re-sorts) the file.
    bool ready();

    // found = false when there is no such item.
    bool load(Oid oid, PropertyMap& props, bool& found);
    // Applies `changes` (values with propDelete remove) to the stored item, or makes a
    // new one when oid is invalidOid (and sets it). `picture`, when given, is stored
    // with a new item. False when the item is gone or the store cannot be written.
    bool save(Oid& oid, const PropertyMap& changes, const std::vector<uint8_t>* picture);
    bool remove(Oid oid, bool& existed);
    bool readPicture(Oid oid, std::vector<uint8_t>& bytes, bool& found);
    // An empty picture removes it; false when the item is gone.
    bool writePicture(Oid oid, std::span<const uint8_t> bytes);
    bool namedIds(std::span<const std::u16string_view> names, uint32_t flags,
                  std::vector<PropId>& ids);

    // A connection of its own for a reader that holds a snapshot (a collection, a
    // watcher); null when the file cannot be opened. Closed with sqlite3_close_v2.
    sqlite3* openReader();
    // The sequence number of the newest journal entry (0 when none).
    bool lastChange(uint64_t& sequence);

    // Identifies this process's writes in the journal, so its own watcher tells them
    // from other processes' ones.
    static int64_t writerToken();

    // The file-as name a contact gets when none was written: "Last, First Middle", else
    // the company, else the first e-mail address.
    static std::u16string derivedFileAs(const PropertyMap& props);

private:
    using Outcome = SqliteFile::Outcome;
    // Callers hold mutex_.
    bool run(const char* what, const std::function<Outcome()>& operation);
    Outcome checkCollation();
    Outcome journal(Oid oid, ChangeKind kind);
    // Runs the one-row query `sql` for `oid` and hands the row's first column to `use`;
    // `found` says whether there was a row.
    Outcome readBlob(const char* sql, Oid oid, bool& found,
                     const std::function<void(std::span<const uint8_t>)>& use);
    void announce(Oid oid, ChangeKind kind);
    std::string sortKey(const PropertyMap& props);

    std::filesystem::path path_;
    std::mutex mutex_;
    SqliteFile file_;
    sqlite3* collationCheckedOn_ = nullptr;
    struct Collation;
    std::unique_ptr<Collation> collation_;
    int changeSignal_ = -1;
};

} // namespace vantrel::platform::pim
