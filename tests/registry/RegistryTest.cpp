// The registry's values, keys and names, and its recovery from a broken file.
#include "platform/registry/Registry.h"
#include "platform/core/Paths.h"
#include "platform/core/Utf.h"
#include "tests/support/TestFolders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>

using namespace vantrel::platform;
using namespace vantrel::platform::registry;
namespace fs = std::filesystem;

namespace {

constexpr Root cu = Root::currentUser;
constexpr Root lm = Root::localMachine;

// Points the device at another folder for one test and back afterwards.
class DeviceFolderSwitch {
public:
    explicit DeviceFolderSwitch(const fs::path& folder) : previous_(std::getenv("VANTREL_DEVICE")) {
        setenv("VANTREL_DEVICE", folder.c_str(), 1);
    }
    ~DeviceFolderSwitch() { setenv("VANTREL_DEVICE", previous_.c_str(), 1); }

private:
    std::string previous_;
};

std::string randomBytes(size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random());
    return bytes;
}

std::vector<fs::path> movedAside(const fs::path& folder) {
    std::vector<fs::path> found;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().filename().string().starts_with("registry.db.broken-") &&
            !entry.path().string().ends_with("-wal"))
            found.push_back(entry.path());
    return found;
}

} // namespace

TEST(Registry, ValuesRoundTripByType) {
    for (uint32_t number : {0u, 1u, 0x80000000u, 0xFFFFFFFFu}) {
        ASSERT_TRUE(writeDword(cu, u"Software\\Vantrel\\Contact", u"Number", number));
        uint32_t read = 7;
        ASSERT_TRUE(readDword(cu, u"Software\\Vantrel\\Contact", u"Number", read));
        EXPECT_EQ(read, number);
    }
    // Empty, non-ASCII, a pair of surrogates, an embedded NUL and an unpaired surrogate
    // must all come back code unit for code unit.
    for (std::u16string text : {std::u16string(), std::u16string(u"Th\u00e8me \u4e2d\U0001F600"),
                                std::u16string(u"a\0b", 3), std::u16string(1, char16_t(0xD800))}) {
        ASSERT_TRUE(writeString(cu, u"Software\\Vantrel\\Contact", u"Theme", text));
        std::u16string read = u"stale";
        ASSERT_TRUE(readString(cu, u"Software\\Vantrel\\Contact", u"Theme", read));
        EXPECT_EQ(read, text);
    }
    std::string noise = randomBytes(70000, 1);
    for (std::vector<uint8_t> bytes : {std::vector<uint8_t>(), std::vector<uint8_t>{0, 0, 0},
                                       std::vector<uint8_t>(noise.begin(), noise.end())}) {
        ASSERT_TRUE(writeBinary(cu, u"Software\\Vantrel\\Contact", u"Blob", bytes));
        std::vector<uint8_t> read{9};
        ASSERT_TRUE(readBinary(cu, u"Software\\Vantrel\\Contact", u"Blob", read));
        EXPECT_EQ(read, bytes);
    }
}

TEST(Registry, ValueOfAnotherTypeOrMissingReadsAsMissing) {
    ASSERT_TRUE(writeDword(cu, u"Types", u"Value", 5));
    std::u16string text;
    std::vector<uint8_t> bytes;
    EXPECT_FALSE(readString(cu, u"Types", u"Value", text));
    EXPECT_FALSE(readBinary(cu, u"Types", u"Value", bytes));

    // A write of another type replaces the value, which then reads only as its new type.
    ASSERT_TRUE(writeString(cu, u"Types", u"Value", u"five"));
    uint32_t number = 0;
    EXPECT_FALSE(readDword(cu, u"Types", u"Value", number));
    ASSERT_TRUE(readString(cu, u"Types", u"Value", text));
    EXPECT_EQ(text, u"five");

    EXPECT_FALSE(readDword(cu, u"Types", u"Absent", number));
    EXPECT_FALSE(readDword(cu, u"No\\Such\\Key", u"Value", number));
}

TEST(Registry, NamesCompareWithoutAsciiCase) {
    ASSERT_TRUE(writeDword(cu, u"Software\\Vantrel\\Contact", u"Fullscreen", 1));
    ASSERT_TRUE(writeDword(cu, u"SOFTWARE\\vantrel\\CONTACT", u"fullscreen", 2));
    uint32_t number = 0;
    ASSERT_TRUE(readDword(cu, u"software\\VANTREL\\contact", u"FULLSCREEN", number));
    EXPECT_EQ(number, 2u);

    // Case folding is ASCII only: other letters stay distinct.
    ASSERT_TRUE(writeDword(cu, u"Case", u"\u00c9tat", 1));
    EXPECT_FALSE(readDword(cu, u"Case", u"\u00e9tat", number));
}

TEST(Registry, KeyPathsIgnoreLeadingAndRepeatedBackslashes) {
    ASSERT_TRUE(writeDword(cu, u"\\Software\\Microsoft\\Inbox\\Svc\\SMS\\Rules", u"Rule", 3));
    uint32_t number = 0;
    EXPECT_TRUE(readDword(cu, u"Software\\Microsoft\\Inbox\\Svc\\SMS\\Rules", u"Rule", number));
    EXPECT_TRUE(readDword(cu, u"Software\\\\Microsoft\\Inbox\\Svc\\SMS\\Rules\\", u"Rule", number));
    EXPECT_EQ(number, 3u);
}

TEST(Registry, HivesAreSeparate) {
    ASSERT_TRUE(writeDword(lm, u"System\\State", u"Battery", 80));
    uint32_t number = 0;
    EXPECT_FALSE(readDword(cu, u"System\\State", u"Battery", number));
    EXPECT_FALSE(keyExists(cu, u"System\\State"));
    EXPECT_TRUE(keyExists(lm, u"System\\State"));
    EXPECT_FALSE(deleteKey(cu, u"System"));
    EXPECT_TRUE(readDword(lm, u"System\\State", u"Battery", number));
}

TEST(Registry, WritesAndCreateKeyMakeEveryParentKey) {
    ASSERT_TRUE(writeDword(cu, u"Parents\\A\\B\\C", u"Value", 1));
    EXPECT_TRUE(keyExists(cu, u"parents"));
    EXPECT_TRUE(keyExists(cu, u"Parents\\a"));
    EXPECT_TRUE(keyExists(cu, u"Parents\\A\\B"));
    EXPECT_FALSE(keyExists(cu, u"Parents\\A\\B\\C\\D"));

    ASSERT_TRUE(createKey(cu, u"Empty\\Child"));
    EXPECT_TRUE(keyExists(cu, u"Empty"));
    EXPECT_TRUE(keyExists(cu, u"EMPTY\\CHILD"));
    EXPECT_TRUE(keyExists(cu, u"")) << "the hive itself always exists";
}

TEST(Registry, DeleteKeyRemovesItsValuesAndSubKeysOnly) {
    ASSERT_TRUE(writeDword(cu, u"Tree\\Branch", u"Own", 1));
    ASSERT_TRUE(writeDword(cu, u"Tree\\Branch\\Leaf\\Deep", u"Below", 2));
    // Siblings whose names start like the deleted key must survive, as must the parent.
    ASSERT_TRUE(writeDword(cu, u"Tree\\BranchTwo", u"Sibling", 3));
    ASSERT_TRUE(writeDword(cu, u"Tree\\Branch_", u"Sibling", 4));
    ASSERT_TRUE(writeDword(cu, u"Tree", u"Parent", 5));
    ASSERT_TRUE(writeDword(lm, u"Tree\\Branch", u"OtherHive", 6));

    EXPECT_TRUE(deleteKey(cu, u"tree\\BRANCH"));
    uint32_t number = 0;
    EXPECT_FALSE(keyExists(cu, u"Tree\\Branch"));
    EXPECT_FALSE(keyExists(cu, u"Tree\\Branch\\Leaf"));
    EXPECT_FALSE(readDword(cu, u"Tree\\Branch", u"Own", number));
    EXPECT_FALSE(readDword(cu, u"Tree\\Branch\\Leaf\\Deep", u"Below", number));
    EXPECT_TRUE(readDword(cu, u"Tree\\BranchTwo", u"Sibling", number));
    EXPECT_TRUE(readDword(cu, u"Tree\\Branch_", u"Sibling", number));
    EXPECT_TRUE(readDword(cu, u"Tree", u"Parent", number));
    EXPECT_TRUE(readDword(lm, u"Tree\\Branch", u"OtherHive", number));

    EXPECT_FALSE(deleteKey(cu, u"Tree\\Branch")) << "nothing left to delete";
    EXPECT_FALSE(deleteKey(cu, u"")) << "the hive itself cannot be deleted";
}

TEST(Registry, DeleteValueRemovesOneValue) {
    ASSERT_TRUE(writeDword(cu, u"Values", u"One", 1));
    ASSERT_TRUE(writeDword(cu, u"Values", u"Two", 2));
    EXPECT_TRUE(deleteValue(cu, u"Values", u"ONE"));
    EXPECT_FALSE(deleteValue(cu, u"Values", u"One"));
    uint32_t number = 0;
    EXPECT_FALSE(readDword(cu, u"Values", u"One", number));
    EXPECT_TRUE(readDword(cu, u"Values", u"Two", number));
    EXPECT_TRUE(keyExists(cu, u"Values"));
}

TEST(Registry, MissingDeviceFolderIsCreated) {
    fs::path device = vantrel::test::freshFolder("device") / "not" / "yet";
    DeviceFolderSwitch use(device);
    ASSERT_TRUE(writeDword(cu, u"Key", u"Value", 9));
    EXPECT_TRUE(fs::exists(device / "registry.db"));
}

TEST(Registry, UnreadableDatabaseIsMovedAsideAndReplaced) {
    // Garbage from the first byte, a sound header whose tables are garbage, and a sound
    // file with an unreadable header.
    fs::path source = vantrel::test::freshFolder("source");
    {
        DeviceFolderSwitch use(source);
        for (int n = 0; n < 200; ++n)
            ASSERT_TRUE(writeString(cu, u"Filler", u"Value" + toUtf16(std::to_string(n)),
                                    std::u16string(40, u'x')));
    }
    ASSERT_TRUE(writeDword(cu, u"Switch", u"Back", 1)) << "switching back closes the source file";
    std::string healthy;
    ASSERT_TRUE(readWholeFile(source / "registry.db", healthy));
    ASSERT_GT(healthy.size(), 3u * 4096);
    std::string damaged = healthy.substr(0, 4096) + randomBytes(healthy.size() - 4096, 3);
    // A header claiming a file format newer than SQLite reads: a sound file SQLite
    // refuses to use, not a passing state to wait out.
    std::string newerFormat = healthy;
    newerFormat[18] = 9;

    // Found by the fuzzer: tables whose rows are out of key order pass SQLite's quick
    // check, take a write, and never find it again.
    std::string outOfOrder;
    ASSERT_TRUE(readWholeFile(fs::path(VANTREL_SOURCE_DIR) / "fuzz" / "corpus" /
                                  "fuzz_registry_file" / "rows-out-of-key-order.db",
                              outOfOrder));

    for (const std::string& broken : {randomBytes(8192, 2), damaged, newerFormat, outOfOrder}) {
        fs::path device = vantrel::test::freshFolder("broken");
        ASSERT_TRUE(writeFileAtomically(device / "registry.db", broken));
        DeviceFolderSwitch use(device);

        testing::internal::CaptureStderr();
        uint32_t number = 0;
        EXPECT_FALSE(readDword(cu, u"Key", u"Value", number));
        EXPECT_TRUE(writeDword(cu, u"Key", u"Value", 11));
        std::string errors = testing::internal::GetCapturedStderr();

        EXPECT_TRUE(readDword(cu, u"Key", u"Value", number));
        EXPECT_EQ(number, 11u);
        EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
        EXPECT_NE(errors.find("moved it to"), std::string::npos) << errors;

        // Nothing is lost: the broken bytes sit beside the new database.
        auto aside = movedAside(device);
        ASSERT_EQ(aside.size(), 1u);
        std::string kept;
        ASSERT_TRUE(readWholeFile(aside[0], kept));
        EXPECT_EQ(kept, broken);
    }
}
