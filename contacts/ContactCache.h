#pragma once
// "contact.cache.txt": the records the list showed last time, so the next start shows
// them before the store has answered. UTF-8 text without a byte-order mark, lines ended
// by CR LF: the header "v0.15", then 14 lines a contact, each "#" and the escaped value
// (a line break inside a value is written as backslash and "n"): object id, favourite,
// sort key, first line, second line, three e-mails, header, detail lines, company,
// city, categories, and the phones as "<property id>µ<number>µ" pairs on one line.
//
// Read and written on the contact loader's thread only. Writing goes through
// "contact.cache.tmp.txt", flushed to disk and renamed over the old file, so a crash at
// any moment leaves the old cache or the new one.

#include "contacts/ContactRecord.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

class ContactCache {
public:
    static constexpr std::string_view header = "v0.15";
    static constexpr std::u16string_view fileName = u"contact.cache.txt";
    static constexpr std::u16string_view tempFileName = u"contact.cache.tmp.txt";
    // Budgets against a damaged or hostile file: what lies beyond them is not read.
    static constexpr size_t maxFileBytes = 256u << 20;
    static constexpr size_t maxLineBytes = 64u << 10;
    static constexpr size_t maxPhones = 64;

    // The cache beside the program: "contact.cache.txt" in the program's folder.
    static std::filesystem::path defaultPath();

    // Reads the records one at a time, so the first screen of them can be shown while
    // the rest are still read.
    class Reader {
    public:
        // A missing, foreign or unreadable file reads as empty.
        explicit Reader(const std::filesystem::path& file);
        // Over the file's bytes.
        explicit Reader(std::string bytes);
        Reader(const Reader&) = delete;
        Reader& operator=(const Reader&) = delete;
        // The next record that was written whole, marked unconfirmed (valid = false);
        // false at the end, and at once for a file with another header.
        bool next(ContactRecord& record);

    private:
        // False at the end of the data, or at a line beyond the budget (a cache is only
        // a head start, never the source of truth: what follows such a line is dropped).
        bool nextLine(std::string_view& line);
        bool atEnd() const { return rest_.empty() || broken_; }

        std::string bytes_;
        std::string_view rest_;
        bool broken_ = false;
    };

    // Reads every record that was written whole, in file order, each marked unconfirmed
    // (valid = false). A missing, foreign, unreadable file or one with another header
    // gives none.
    static std::vector<ContactRecord> read(const std::filesystem::path& file);
    // The same over the file's bytes.
    static std::vector<ContactRecord> parse(std::string_view bytes);

    // Writes the records through the temporary file and a rename; false when the new
    // cache could not be written (the old one then stays).
    static bool write(const std::filesystem::path& file,
                      const std::vector<const ContactRecord*>& records);
    // The file's bytes for the records.
    static std::string format(const std::vector<const ContactRecord*>& records);
    // One record's lines, appended; the file is the header line and then these.
    static void appendRecord(std::string& out, const ContactRecord& record);
    // Writes bytes made of the header line and records as `write` does.
    static bool writeBytes(const std::filesystem::path& file, std::string_view bytes);
};

} // namespace vantrel
