#pragma once
// Theme archives: a zip file holding "settings.ini" and the images it names. Entries are
// found by name without regard to ASCII letter case (and with '\' and '/' taken as the
// same separator, since theme lines were written on a system that used '\'), and read
// whole into memory. Nothing is ever extracted to disk.
//
// Every call records its outcome in one process-wide result code, which callers that
// only learn "no" can consult to say why.

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vantrel::platform {

enum class ZipResult : int {
    Ok = 0,
    NoArchive,     // no archive was given
    CannotOpen,    // the file is missing or unreadable
    NotAnArchive,  // the file is not a zip archive
    EntryNotFound, // no entry has that name
    UnsafeName,    // the name is empty, absolute or climbs out with ".."
    TooLarge,      // the entry is larger than kMaxZipEntrySize
    Damaged,       // the entry cannot be read back intact (or is encrypted)
};

// The outcome of the last archive call made in this process.
ZipResult lastZipResult();

// NOTE: the largest entry read into memory. A theme holds a settings file of some
// kilobytes and images for a 480 x 800 screen (a full-screen 32-bit bitmap is 1.5 MiB),
// so 32 MiB is generous; the cap keeps a hostile archive that declares (or inflates to)
// gigabytes from exhausting memory.
inline constexpr size_t kMaxZipEntrySize = 32u << 20;

// One open archive. Not shared between threads; closing is destroying.
class ZipArchive {
public:
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    // Opens the archive at `file`; none when it is missing or not a zip archive.
    static std::unique_ptr<ZipArchive> open(const std::filesystem::path& file);

    // Makes the entry named `name` (UTF-16, matched as UTF-8 ignoring ASCII case) the
    // current one.
    bool locate(std::u16string_view name);
    // The current entry's name as the archive spells it.
    const std::u16string& currentName() const { return currentName_; }
    // Reads the current entry whole, checking its size cap and checksum.
    bool readCurrent(std::string& out);
    // locate() then readCurrent().
    bool read(std::u16string_view name, std::string& out);

    // Every entry's name, in archive order.
    std::vector<std::u16string> entryNames();

private:
    explicit ZipArchive(void* handle);
    void buildIndex();

    struct IndexedEntry;
    void* handle_;
    // Folded entry name to its place in the archive, made on the first lookup.
    std::unique_ptr<std::unordered_map<std::string, IndexedEntry>> index_;
    bool located_ = false;
    std::u16string currentName_;
};

// True when the name stays inside the archive's folder: not empty, not absolute, no drive
// letter, no ".." segment. Names failing it are never looked up.
bool isSafeZipEntryName(std::string_view utf8Name);

} // namespace vantrel::platform
