// The cache file: what a record looks like on disk, that every field comes back, and
// that a damaged, foreign or cut file never shows anything it should not.

#include "contacts/ContactCache.h"
#include "platform/core/Paths.h"
#include "platform/core/Utf.h"
#include "tests/support/TestFolders.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>

using namespace vantrel;
namespace fs = std::filesystem;

namespace {

ContactRecord sample() {
    ContactRecord record;
    record.objectId = 42;
    record.favorite = true;
    record.sortKey = u"MÜLLER, ANNA";
    record.firstLine = u"Müller, Anna";
    record.secondLine = u"+41 79 555 01 01 (µ-Tech)";
    record.emails[0] = u"anna@example.ch";
    record.emails[2] = u"a@b";
    record.header = u"Müller, Anna";
    record.detailLines = u"Family\nHauptstr. 1\r\nBern 3000";
    record.company = u"µ-Tech";
    record.city = u"Bern";
    record.categories = u"Family, Work";
    record.phones = {{u"031 555 01 02", 0x0099001F}, {u"+41 79 555 01 01", 0x0096001F}};
    return record;
}

} // namespace

TEST(ContactCache, ARecordIsFourteenEscapedLinesWithThePhonesInStoredOrder) {
    ContactRecord record = sample();
    std::string bytes = ContactCache::format({&record});
    EXPECT_TRUE(bytes.starts_with("v0.15\r\n#42\r\n#1\r\n#MÜLLER, ANNA\r\n"));
    // Both kinds of line break inside a value are written as backslash and "n".
    EXPECT_NE(bytes.find("\r\n#Family\\nHauptstr. 1\\nBern 3000\r\n"), std::string::npos);
    EXPECT_TRUE(bytes.ends_with("\r\n#10027039µ031 555 01 02µ9830431µ+41 79 555 01 01µ\r\n"));

    std::vector<ContactRecord> read = ContactCache::parse(bytes);
    ASSERT_EQ(read.size(), 1u);
    ContactRecord expected = record;
    expected.detailLines = u"Family\nHauptstr. 1\nBern 3000";
    expected.valid = false; // unconfirmed until the store has it
    EXPECT_EQ(read[0], expected);
    EXPECT_EQ(read[0].preferredNumber(), u"+41 79 555 01 01");
}

TEST(ContactCache, AContactWithoutPhonesAndLongLinesComeBackWhole) {
    ContactRecord record = sample();
    record.phones.clear();
    // Far beyond the old 300-character reader.
    record.detailLines = std::u16string(5000, u'x');
    std::string bytes = ContactCache::format({&record, &record});
    EXPECT_TRUE(bytes.ends_with("\r\n#\r\n"));
    std::vector<ContactRecord> read = ContactCache::parse(bytes);
    ASSERT_EQ(read.size(), 2u);
    EXPECT_TRUE(read[1].phones.empty());
    EXPECT_EQ(read[1].detailLines.size(), 5000u);
}

TEST(ContactCache, AnotherHeaderOrACutRecordShowsNothingOfIt) {
    ContactRecord record = sample();
    std::string bytes = ContactCache::format({&record, &record});
    for (std::string header : {"v0.16\r\n", "v0.15 \r\n", "v0.15\n", "V0.15\r\n"}) {
        std::string other = header + bytes.substr(7);
        EXPECT_TRUE(ContactCache::parse(other).empty()) << header;
    }
    // Cut inside the second record's line 13: only the first comes back.
    size_t lastLine = bytes.rfind("\r\n#10027039");
    EXPECT_EQ(ContactCache::parse(bytes.substr(0, lastLine - 3)).size(), 1u);
    // Cut after line 13: the record counts as whole only with data after that line.
    EXPECT_EQ(ContactCache::parse(bytes.substr(0, lastLine + 2)).size(), 1u);
    EXPECT_EQ(ContactCache::parse(bytes.substr(0, lastLine + 3)).size(), 2u);
}

TEST(ContactCache, WritingReplacesTheFileWholeAndPrivately) {
    test::useFreshDevice();
    fs::path file = ContactCache::defaultPath();
    EXPECT_EQ(file.filename(), "contact.cache.txt");
    ContactRecord first = sample();
    ASSERT_TRUE(ContactCache::write(file, {&first}));
    ContactRecord second = sample();
    second.objectId = 7;
    ASSERT_TRUE(ContactCache::write(file, {&second, &first}));
    EXPECT_FALSE(fs::exists(file.parent_path() / "contact.cache.tmp.txt"));
    EXPECT_EQ((fs::status(file).permissions() & fs::perms::all),
              fs::perms::owner_read | fs::perms::owner_write);
    std::vector<ContactRecord> read = ContactCache::read(file);
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[0].objectId, 7u);

    // A cache that others may write decides nothing about the list.
    chmod(file.c_str(), 0666);
    EXPECT_TRUE(ContactCache::read(file).empty());
    // A folder that cannot take the temporary file leaves the old cache alone.
    chmod(file.c_str(), 0600);
    fs::path blocked = file.parent_path() / "contact.cache.tmp.txt";
    fs::create_directory(blocked);
    EXPECT_FALSE(ContactCache::write(file, {&first}));
    EXPECT_EQ(ContactCache::read(file).size(), 2u);
}

// Texts beyond plain ASCII and line breaks: each value line is the value's UTF-8 with
// its line breaks escaped, and reads back as written; broken UTF-8 in a file reads as
// the converters read it, one U+FFFD a bad byte.
TEST(ContactCache, EveryKindOfCharacterIsWrittenAsUtf8AndReadBack) {
    const std::u16string values[] = {
        u"Zoë Ångström 東京 \U0001F600!", // two- to four-byte sequences between ASCII
        u"\U0001F600\U0001F601",          // surrogate pairs, nothing else
        u"a\rb\r\r\nc\n\nd\r",            // lone CRs stay, CR LF and LF become "\n"
        u"ü\nü\r\nü"};
    for (const std::u16string& value : values) {
        ContactRecord record = sample();
        record.company = value;
        record.phones = {{value, 0x0096001F}};
        std::string bytes = ContactCache::format({&record});
        std::u16string escaped;
        for (size_t i = 0; i < value.size(); ++i) {
            if (value[i] == u'\r' && i + 1 < value.size() && value[i + 1] == u'\n')
                continue; // the LF that follows is written as the break
            escaped += value[i] == u'\n' ? std::u16string(u"\\n") : std::u16string(1, value[i]);
        }
        const std::string line = "#" + platform::toUtf8(escaped) + "\r\n";
        EXPECT_NE(bytes.find("\r\n" + line + "#Bern\r\n"), std::string::npos);
        EXPECT_TRUE(bytes.ends_with("#9830431µ" + line.substr(1, line.size() - 3) + "µ\r\n"));
        std::vector<ContactRecord> read = ContactCache::parse(bytes);
        ASSERT_EQ(read.size(), 1u);
        std::u16string back;
        for (size_t i = 0; i < value.size(); ++i)
            if (!(value[i] == u'\r' && i + 1 < value.size() && value[i + 1] == u'\n'))
                back += value[i];
        EXPECT_EQ(read[0].company, back);
        EXPECT_EQ(read[0].phones[0].number, back);
    }
    // A lone surrogate cannot be written: it becomes U+FFFD.
    ContactRecord lone = sample();
    lone.company = std::u16string(u"x") + char16_t(0xD800) + u"y";
    EXPECT_EQ(ContactCache::parse(ContactCache::format({&lone}))[0].company, u"x\uFFFDy");
    // Broken sequences in a file: a lead byte before ASCII, a stray continuation, a cut
    // three-byte sequence at the end of the line.
    ContactRecord plain = sample();
    std::string bytes = ContactCache::format({&plain});
    const std::string broken = "#\xC3(\x80z\xE2\x82";
    bytes.replace(bytes.find("#µ-Tech\r\n"), 8, broken);
    std::vector<ContactRecord> read = ContactCache::parse(bytes);
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0].company, platform::toUtf16(broken.substr(1)));
}
