#include "platform/core/Paths.h"
#include "platform/core/PrivateFiles.h"
#include "platform/core/Utf.h"
#include "tests/support/TestFolders.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>

using namespace vantrel::platform;

TEST(Utf, RoundTripsEveryPlaneAndReplacesWhatIsIllFormed) {
    std::u16string text = u"Zoë 😀 \u4E2D";
    EXPECT_EQ(toUtf16(toUtf8(text)), text);
    EXPECT_EQ(toUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD") << "lone high surrogate";
    EXPECT_EQ(toUtf8(std::u16string{char16_t(0xDC00), u'a'}), "\xEF\xBF\xBD" "a");
    EXPECT_EQ(toUtf16("\xC3"), u"\uFFFD") << "truncated sequence";
    EXPECT_EQ(toUtf16("\xC0\xAF"), u"\uFFFD\uFFFD") << "overlong form";
    EXPECT_EQ(toUtf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD") << "encoded surrogate";
    EXPECT_EQ(toUtf16("a\xF4\x90\x80\x80z"), u"a\uFFFD\uFFFD\uFFFD\uFFFDz") << "beyond U+10FFFF";
}

TEST(Utf, AsciiCaseHelpersLeaveOtherLettersAlone) {
    EXPECT_TRUE(equalsIgnoreAsciiCase(u"FullScreen", u"fullscreen"));
    EXPECT_FALSE(equalsIgnoreAsciiCase(u"Ä", u"ä"));
    EXPECT_FALSE(equalsIgnoreAsciiCase(u"ab", u"abc"));
}

TEST(Paths, RelativePathsResolveInTheProgramFolderAndAbsoluteOnesStay) {
    EXPECT_EQ(resolveProgramPath(u"settings.ini"), programFolder() / "settings.ini");
    EXPECT_EQ(resolveProgramPath(u"/tmp/x.ini"), std::filesystem::path("/tmp/x.ini"));
    EXPECT_EQ(resolveProgramPath(u"\\tmp\\x.ini"), std::filesystem::path("/tmp/x.ini"));
    EXPECT_EQ(resolveProgramPath(u"themes\\dark.zip"), programFolder() / "themes/dark.zip");
    EXPECT_EQ(resolveProgramPath(u"images/x.png"), programFolder() / "images/x.png");
    EXPECT_EQ(deviceFolder(), std::filesystem::path(std::getenv("VANTREL_DEVICE")));
}

TEST(Paths, AtomicWritesReplaceWholeFilesAndReadBack) {
    auto file = programFolder() / "atomic.txt";
    ASSERT_TRUE(ensureFolder(programFolder()));
    ASSERT_TRUE(writeFileAtomically(file, "first"));
    ASSERT_TRUE(writeFileAtomically(file, "second, longer"));
    std::string content;
    ASSERT_TRUE(readWholeFile(file, content));
    EXPECT_EQ(content, "second, longer");
    EXPECT_FALSE(readWholeFile(programFolder() / "missing.txt", content));
    EXPECT_FALSE(writeFileAtomically(programFolder() / "no" / "such" / "folder.txt", "x"));
}

TEST(PrivateFiles, FoldersAndFilesOfThisUserAreTightenedAndLinksRefused) {
    namespace fs = std::filesystem;
    fs::path root = vantrel::test::freshFolder("private");
    fs::path folder = root / "device";
    fs::create_directory(folder);
    ::chmod(folder.c_str(), 0755);
    std::string error;
    ASSERT_TRUE(makePrivateFolder(folder, &error)) << error;
    EXPECT_EQ(fs::status(folder).permissions(), fs::perms::owner_all);
    ASSERT_TRUE(makePrivateFile(folder / "store.db", &error)) << error;
    EXPECT_EQ(fs::status(folder / "store.db").permissions(),
              fs::perms::owner_read | fs::perms::owner_write);
    // A file its owner made read-only stays read-only; only the others lose access.
    ::chmod((folder / "store.db").c_str(), 0444);
    ASSERT_TRUE(makePrivateFile(folder / "store.db", &error)) << error;
    EXPECT_EQ(fs::status(folder / "store.db").permissions(), fs::perms::owner_read);
    EXPECT_TRUE(checkPrivateFileIfPresent(folder / "store.db-wal", &error));
    EXPECT_FALSE(fs::exists(folder / "store.db-wal"));

    fs::create_symlink("/etc/passwd", folder / "link.db");
    EXPECT_FALSE(makePrivateFile(folder / "link.db", &error));
    EXPECT_EQ(error, (folder / "link.db").string() + ": a symbolic link");
    fs::create_directory_symlink(root, root / "linked");
    EXPECT_FALSE(makePrivateFolder(root / "linked", &error));
    EXPECT_EQ(error, (root / "linked").string() + ": not a folder");
}

TEST(Paths, WholeFilesAreReadOnlyWhenRegularAndWithinTheCap) {
    std::filesystem::path file = vantrel::test::freshFolder("read") / "ten.txt";
    ASSERT_TRUE(writeFileAtomically(file, "0123456789"));
    std::string content, error;
    EXPECT_TRUE(readWholeFile(file, content, 10));
    EXPECT_EQ(content, "0123456789");
    EXPECT_FALSE(readWholeFile(file, content, 9, &error));
    EXPECT_EQ(error, "larger than 9 bytes");
    EXPECT_FALSE(readWholeFile("/dev/zero", content, 1 << 20, &error));
    EXPECT_EQ(error, "not a regular file");
}
