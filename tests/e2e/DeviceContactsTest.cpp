// The device tool's contact commands as a user runs them: demo data made the same way
// for one seed, vCard files with a broken card imported around it, an export that
// imports into another device unchanged, single adds and deletes, and registry values.

#include "platform/core/Paths.h"
#include "tests/support/Process.h"
#include "tests/support/TestFolders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>

using namespace vantrel;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

class DeviceContacts : public testing::Test {
protected:
    void SetUp() override { test::useFreshDevice(); }

    static test::ProcessResult device(std::vector<std::string> words) {
        return test::runDevice(std::move(words), 60s);
    }

    // The list without the first column (object ids) and the favourite mark.
    static std::string withoutIdsAndFavourites(const std::string& list) {
        std::string out;
        for (size_t start = 0, end; (end = list.find('\n', start)) != std::string::npos;
             start = end + 1) {
            std::string line = list.substr(start, end - start);
            size_t name = line.find('\t') + 1, mark = line.find('\t', name);
            out += line.substr(name, mark - name) + line.substr(mark + 2) + "\n";
        }
        return out;
    }

    static void useDevice(const fs::path& folder) { ::setenv("VANTREL_DEVICE", folder.c_str(), 1); }
};

TEST_F(DeviceContacts, SeedDemoMakesTheSameManyScriptedContactsForOneSeed) {
    fs::path first = platform::deviceFolder();
    auto seeded = device({"seed-demo", "--contacts", "120", "--seed", "42"});
    ASSERT_EQ(seeded.exitCode, 0) << seeded.err;
    EXPECT_EQ(seeded.out, "seeded 120 contacts\n");
    std::string list = device({"contacts", "list"}).out;
    EXPECT_EQ(std::count(list.begin(), list.end(), '\n'), 120);
    // Accented Latin, Cyrillic, Greek, Chinese, Japanese and Korean family names.
    const std::vector<std::vector<std::string>> scripts = {
        {"Müller", "Schäfer", "Zürcher", "Häberli", "Brändli", "Kühn", "Fässler", "Großmann"},
        {"Ковальчук", "Шевченко", "Ким", "Бондаренко", "Мельник", "Лысенко", "Ткаченко"},
        {"Οικονόμου", "Αλεξίου", "Γεωργίου", "Νικολάου", "Ιωάννου", "Δημητρίου"},
        {"\t王", "\t李", "\t张", "\t刘", "\t陈"},
        {"\t佐藤", "\t鈴木", "\t高橋", "\t田中", "\t渡辺"},
        {"\t김", "\t이", "\t박", "\t최"}};
    for (const auto& names : scripts)
        EXPECT_TRUE(std::any_of(names.begin(), names.end(), [&](const std::string& name) {
            return list.find(name) != list.npos;
        })) << names[0];
    EXPECT_NE(list.find("\t*\t"), std::string::npos); // favourites
    EXPECT_NE(list.find("\temail="), std::string::npos);
    EXPECT_NE(list.find("\thome1="), std::string::npos);

    // A second device with the same seed gets the very same contacts, ids included.
    useDevice(first.parent_path() / "second");
    ASSERT_EQ(device({"seed-demo", "--contacts", "120", "--seed", "42"}).exitCode, 0);
    EXPECT_EQ(device({"contacts", "list"}).out, list);
    useDevice(first.parent_path() / "third");
    ASSERT_EQ(device({"seed-demo", "--contacts", "120", "--seed", "43"}).exitCode, 0);
    EXPECT_NE(device({"contacts", "list"}).out, list);

    // A device that has contacts is not seeded over.
    useDevice(first);
    auto again = device({"seed-demo"});
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_NE(again.err.find("already has 120 contacts"), std::string::npos) << again.err;
    EXPECT_EQ(device({"contacts", "list"}).out, list);
}

TEST_F(DeviceContacts, ImportSkipsABrokenCardByLineAndKeepsEverythingElse) {
    auto kept = device({"contacts", "add", "--first", "Kept", "--last", "Before", "--mobile", "1"});
    ASSERT_EQ(kept.exitCode, 0) << kept.err;
    fs::path file = platform::programFolder() / "phone.vcf";
    fs::create_directories(file.parent_path());
    std::ofstream(file) << "BEGIN:VCARD\r\nVERSION:2.1\r\n"
                           "N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:M=C3=BCller;Hans\r\n"
                           "TEL;CELL:+41791112233\r\nEND:VCARD\r\n"
                           "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Broken;Card;;;\r\n"
                           "TEL;TYPE=CELL +41\r\nEND:VCARD\r\n"
                           "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Novák;Jiří;;;\r\n"
                           "TEL;TYPE=HOME:+420 2 1234 5678\r\nEND:VCARD\r\n";
    auto imported = device({"contacts", "import", file.string()});
    EXPECT_EQ(imported.exitCode, 1);
    EXPECT_EQ(imported.out, "imported 2 contacts\n");
    EXPECT_EQ(imported.err, file.string() + ":9: a line without a colon; the card was skipped\n");
    std::string list = device({"contacts", "list"}).out;
    EXPECT_EQ(withoutIdsAndFavourites(list), "Before, Kept\tmobile=1\n"
                                             "Müller, Hans\tmobile=+41791112233\n"
                                             "Novák, Jiří\thome1=+420 2 1234 5678\n");
}

TEST_F(DeviceContacts, AnExportImportsIntoAnotherDeviceUnchanged) {
    ASSERT_EQ(device({"seed-demo", "--contacts", "60", "--seed", "5"}).exitCode, 0);
    fs::path file = platform::programFolder() / "all.vcf";
    auto exported = device({"contacts", "export", file.string()});
    ASSERT_EQ(exported.exitCode, 0) << exported.err;
    EXPECT_EQ(exported.out, "exported 60 contacts\n");
    std::string list = device({"contacts", "list"}).out;

    useDevice(platform::deviceFolder().parent_path() / "other");
    auto imported = device({"contacts", "import", file.string()});
    ASSERT_EQ(imported.exitCode, 0) << imported.err;
    EXPECT_EQ(withoutIdsAndFavourites(device({"contacts", "list"}).out),
              withoutIdsAndFavourites(list));
    // And out again, byte for byte: pictures, dates and addresses came through.
    fs::path again = platform::programFolder() / "again.vcf";
    ASSERT_EQ(device({"contacts", "export", again.string()}).exitCode, 0);
    std::string one, two;
    ASSERT_TRUE(platform::readWholeFile(file, one) && platform::readWholeFile(again, two));
    EXPECT_EQ(one, two);
    EXPECT_NE(one.find("PHOTO;ENCODING=b;TYPE=PNG:"), std::string::npos);
}

TEST_F(DeviceContacts, AddDeleteAndRegistryValuesFromTheCommandLine) {
    auto added =
        device({"contacts", "add", "--fileas", "Taxi", "--work", "0800 123", "--favorite"});
    ASSERT_EQ(added.exitCode, 0) << added.err;
    std::string id = added.out.substr(0, added.out.size() - 1);
    EXPECT_EQ(device({"contacts", "list"}).out, id + "\tTaxi\t*\tbusiness1=0800 123\n");
    EXPECT_EQ(device({"contacts", "delete", id}).exitCode, 0);
    EXPECT_EQ(device({"contacts", "list"}).out, "");
    EXPECT_EQ(device({"contacts", "delete", id}).exitCode, 1);
    EXPECT_EQ(device({"contacts", "add", "--nonsense", "x"}).exitCode, 2);

    ASSERT_EQ(device({"registry", "set", "HKCU", "Software\\Vantrel\\Contact", "Theme", "string",
                      "Dark Ölive"})
                  .exitCode,
              0);
    EXPECT_EQ(device({"registry", "get", "HKCU", "software\\vantrel\\contact", "theme"}).out,
              "string Dark Ölive\n");
    ASSERT_EQ(device({"registry", "set", "HKLM", "System\\State\\Phone", "Signal", "dword", "77"})
                  .exitCode,
              0);
    EXPECT_EQ(device({"registry", "get", "HKLM", "System\\State\\Phone", "Signal"}).out,
              "dword 77\n");
    EXPECT_EQ(device({"registry", "get", "HKLM", "System\\State\\Phone", "Missing"}).exitCode, 1);
}

} // namespace
