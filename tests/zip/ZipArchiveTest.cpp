#include "platform/zip/ZipArchive.h"

#include "tests/support/TestFolders.h"
#include "tests/zip/ZipBuilder.h"

#include <gtest/gtest.h>

using namespace vantrel::platform;
using namespace vantrel::test;

namespace {

std::filesystem::path themeWith(const std::vector<ZipEntry>& entries) {
    auto file = freshFolder("zip") / "theme.zip";
    EXPECT_TRUE(writeZip(file, entries));
    return file;
}

TEST(ZipArchive, FindsEntriesInAnyLetterCaseAndReadsThemWhole) {
    auto archive = ZipArchive::open(themeWith({
        {"Settings.INI", "list.*.font=Tahoma,12\r\nglobal..x=1\r\n"},
        {"Images/Background.PNG", std::string(5000, '\x7f')},
        {"Thème/Étoile.png", "star"},
    }));
    ASSERT_TRUE(archive);
    EXPECT_EQ(lastZipResult(), ZipResult::Ok);

    ASSERT_TRUE(archive->locate(u"settings.ini"));
    EXPECT_EQ(archive->currentName(), u"Settings.INI");
    std::string text;
    ASSERT_TRUE(archive->readCurrent(text));
    EXPECT_EQ(text, "list.*.font=Tahoma,12\r\nglobal..x=1\r\n");

    // Theme lines name images with either separator.
    std::string image;
    ASSERT_TRUE(archive->read(u"images\\background.png", image));
    EXPECT_EQ(image, std::string(5000, '\x7f'));
    ASSERT_TRUE(archive->read(u"THèME/Étoile.PNG", image));
    EXPECT_EQ(image, "star");

    EXPECT_FALSE(archive->read(u"missing.png", image));
    EXPECT_EQ(lastZipResult(), ZipResult::EntryNotFound);
    EXPECT_TRUE(image.empty());
    EXPECT_FALSE(archive->readCurrent(image)) << "a failed locate leaves no current entry";

    EXPECT_EQ(archive->entryNames(),
              (std::vector<std::u16string>{u"Settings.INI", u"Images/Background.PNG",
                                           u"Thème/Étoile.png"}));
}

TEST(ZipArchive, Utf16EntryComesBackByteForByte) {
    const std::string utf16("\xFF\xFEl\0i\0s\0t\0\r\0\n\0", 14);
    auto archive = ZipArchive::open(themeWith({{"settings.ini", utf16}}));
    ASSERT_TRUE(archive);
    std::string out;
    ASSERT_TRUE(archive->read(u"SETTINGS.INI", out));
    EXPECT_EQ(out, utf16);
}

TEST(ZipArchive, FilesThatAreNotArchivesAreRefused) {
    auto folder = freshFolder("notzip");
    EXPECT_FALSE(ZipArchive::open(folder / "absent.zip"));
    EXPECT_EQ(lastZipResult(), ZipResult::CannotOpen);
    EXPECT_FALSE(ZipArchive::open(folder));
    EXPECT_EQ(lastZipResult(), ZipResult::CannotOpen);
    EXPECT_FALSE(ZipArchive::open({}));
    EXPECT_EQ(lastZipResult(), ZipResult::NoArchive);

    writeBytes(folder / "text.zip", "global..x=1\r\n");
    EXPECT_FALSE(ZipArchive::open(folder / "text.zip"));
    EXPECT_EQ(lastZipResult(), ZipResult::NotAnArchive);
    writeBytes(folder / "empty.zip", "");
    EXPECT_FALSE(ZipArchive::open(folder / "empty.zip"));
    EXPECT_EQ(lastZipResult(), ZipResult::NotAnArchive);
}

TEST(ZipArchive, TruncatedOrCorruptedArchivesNeverYieldData) {
    std::string content;
    for (int i = 0; i < 20000; ++i)
        content += std::to_string(i * 7919 % 10007);
    auto file = themeWith({{"settings.ini", content}});
    const std::string whole = readBytes(file);

    // Cut at many points: either the archive does not open or the entry is refused.
    for (size_t cut = 0; cut < whole.size(); cut += whole.size() / 37 + 1) {
        writeBytes(file, whole.substr(0, cut));
        if (auto archive = ZipArchive::open(file)) {
            std::string out;
            EXPECT_FALSE(archive->read(u"settings.ini", out)) << "cut at " << cut;
        }
    }
    // A flipped byte in the compressed data fails the checksum or the inflate.
    std::string flipped = whole;
    flipped[whole.size() / 3] ^= 0x55;
    writeBytes(file, flipped);
    auto archive = ZipArchive::open(file);
    ASSERT_TRUE(archive);
    std::string out;
    EXPECT_FALSE(archive->read(u"settings.ini", out));
    EXPECT_EQ(lastZipResult(), ZipResult::Damaged);
    EXPECT_TRUE(out.empty());
}

TEST(ZipArchive, NamesThatClimbOutAreRefused) {
    auto archive = ZipArchive::open(themeWith({{"../../evil.ini", "x"}, {"ok.png", "y"}}));
    ASSERT_TRUE(archive);
    std::string out;
    EXPECT_FALSE(archive->read(u"../../evil.ini", out));
    EXPECT_EQ(lastZipResult(), ZipResult::UnsafeName);
    EXPECT_FALSE(archive->read(u"images/../../ok.png", out));
    EXPECT_EQ(lastZipResult(), ZipResult::UnsafeName);
    EXPECT_TRUE(archive->read(u"ok.png", out));

    for (const char* bad : {"", "/etc/passwd", "\\x", "C:\\x.png", "..", "a/..", "a\\..\\b"})
        EXPECT_FALSE(isSafeZipEntryName(bad)) << bad;
    for (const char* good : {"a.png", "images/a.png", "...", "..a", "a..b/c"})
        EXPECT_TRUE(isSafeZipEntryName(good)) << good;
}

TEST(ZipArchive, HugeEntriesAreRefusedWithoutReadingThemIn) {
    // Declared as 2 GiB but holding a few bytes: refused on the declaration alone.
    auto declared = themeWith({{"big.png", "tiny"}});
    patchDeclaredSize(declared, 0x7FFFFFFF);
    auto archive = ZipArchive::open(declared);
    ASSERT_TRUE(archive);
    std::string out;
    EXPECT_FALSE(archive->read(u"big.png", out));
    EXPECT_EQ(lastZipResult(), ZipResult::TooLarge);

    // Honestly larger than the cap (it deflates to a few kilobytes).
    const std::string bomb(kMaxZipEntrySize + 1, '\0');
    archive = ZipArchive::open(themeWith({{"bomb.bmp", bomb}}));
    ASSERT_TRUE(archive);
    EXPECT_FALSE(archive->read(u"bomb.bmp", out));
    EXPECT_EQ(lastZipResult(), ZipResult::TooLarge);

    // Declared small but inflating to more: never more than declared comes out, and the
    // short read fails its checksum.
    auto lying = themeWith({{"lie.png", std::string(1 << 20, 'a')}});
    patchDeclaredSize(lying, 100);
    archive = ZipArchive::open(lying);
    ASSERT_TRUE(archive);
    EXPECT_FALSE(archive->read(u"lie.png", out));
    EXPECT_EQ(lastZipResult(), ZipResult::Damaged);
    EXPECT_TRUE(out.empty());
}

} // namespace
