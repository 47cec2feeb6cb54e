// The contact editor on the demo device: a new contact typed in with its city picked
// from the cities of the other contacts, and a contact renamed from its detail screen,
// both found afterwards by the device tool as another program would see them.

#include "platform/core/Paths.h"
#include "tests/support/Process.h"
#include "tests/support/TestFolders.h"
#include "tests/support/ToneFile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>

using namespace vantrel;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

// Where the demo screen puts things (480 x 800): "<New Contact>" and "Abächerli, Jörg"
// in the list, the detail screen's Edit, the editor's first rows, its home city's choice
// button once the rows are dragged up twice, the first choice, and OK.
constexpr const char* loaded = "expect-rows 20 10000\nexpect-loaded 10000\n";
constexpr const char* tapNewContact = "tap 240 116\nwait 1000\n";
constexpr const char* tapJoerg = "tap 200 215\nwait 1000\n";
constexpr const char* detailEdit = "tap 180 770\nwait 1000\n";
constexpr const char* firstName = "tap 315 156\nwait 200\n";
// A tap beside an open field only takes the focus back; the second one opens the next.
constexpr const char* lastName = "tap 315 220\nwait 200\ntap 315 220\nwait 200\n";
// A tap on a section title gives the focus back: the field closes, and with it the
// input panel that had pushed the answers up.
constexpr const char* closeField = "tap 240 104\nwait 1000\n";
constexpr const char* dragUpTwice = "drag 240 700 240 100 3000\nwait 1000\n"
                                    "drag 240 700 240 100 3000\nwait 1000\n";
constexpr const char* homeCityChoices = "tap 438 356\nwait 1000\n";
constexpr const char* firstChoice = "tap 240 116\nwait 1000\n";
constexpr const char* ok = "tap 120 760\nwait 1000\n";

class EditContact : public testing::Test {
protected:
    void SetUp() override {
        test::useFreshDevice();
        auto seeded = device({"seed-demo"});
        ASSERT_EQ(seeded.exitCode, 0) << seeded.err;
    }

    static test::ProcessResult device(std::vector<std::string> words) {
        return test::runDevice(std::move(words), 20s);
    }

    static test::ProcessResult run(const std::string& text) {
        fs::path file = platform::programFolder() / "edit.script";
        fs::create_directories(file.parent_path());
        std::ofstream(file) << loaded << text << "quit\n";
        return test::runProcess({(test::binaryFolder() / "app" / "vantrel").string(),
                                 "--headless", "--script", file.string()},
                                60s);
    }

    // The home cities of the exported contacts, by the file-as name of each.
    static std::map<std::string, std::string> homeCities() {
        const fs::path vcf = platform::programFolder() / "all.vcf";
        EXPECT_EQ(device({"contacts", "export", vcf.string()}).exitCode, 0);
        std::ifstream in(vcf);
        std::map<std::string, std::string> cities;
        std::string line, name;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (line.starts_with("FN:"))
                name = line.substr(3);
            if (line.starts_with("ADR;TYPE=HOME:")) {
                // ;;street;city;state;zip;country
                std::vector<std::string> parts;
                std::stringstream fields(line.substr(14));
                for (std::string part; std::getline(fields, part, ';');)
                    parts.push_back(part);
                if (parts.size() > 3)
                    cities[name] = parts[3];
            }
        }
        return cities;
    }
};

TEST_F(EditContact, ANewContactGetsACityPickedFromTheOtherContacts) {
    const std::string edit = std::string(tapNewContact) + "expect editcontact.visible true\n" +
                             firstName + "text \"Zora\"\n" + lastName + "text \"Quist\"\n" +
                             closeField + dragUpTwice + homeCityChoices +
                             "expect choices.visible true\n" + firstChoice +
                             "expect-missing choices\n" +
                             "screenshot " + (platform::programFolder() / "edit.png").string() +
                             "\n" + ok + "expect-missing editcontact\n";
    auto result = run(edit);
    ASSERT_EQ(result.exitCode, 0) << result.out << result.err;

    const std::string list = device({"contacts", "list"}).out;
    EXPECT_NE(list.find("\tQuist, Zora\t"), std::string::npos) << list;

    auto cities = homeCities();
    ASSERT_TRUE(cities.count("Zora Quist")) << "the new contact has a home city";
    const std::string picked = cities["Zora Quist"];
    std::set<std::string> others;
    for (const auto& [name, city] : cities)
        if (name != "Zora Quist" && !city.empty())
            others.insert(city);
    ASSERT_FALSE(others.empty());
    EXPECT_TRUE(others.count(picked)) << picked << " is the city of another contact";

    std::ifstream png(platform::programFolder() / "edit.png", std::ios::binary);
    char signature[4] = {};
    png.read(signature, 4);
    EXPECT_EQ(std::string(signature + 1, 3), "PNG") << "the editor's screenshot";
}

TEST_F(EditContact, TheDetailScreensEditRenamesTheContactAndCancelLeavesIt) {
    auto cancelled = run(std::string(tapJoerg) + detailEdit + "expect editcontact.visible true\n" +
                         firstName + "key back back back back\ntext \"Ida\"\n" + closeField +
                         "tap 355 760\nwait 1000\nexpect-missing editcontact\n");
    ASSERT_EQ(cancelled.exitCode, 0) << cancelled.out << cancelled.err;
    EXPECT_NE(device({"contacts", "list"}).out.find("\tAbächerli, Jörg\t"), std::string::npos);

    auto saved = run(std::string(tapJoerg) + detailEdit + firstName +
                     "key back back back back\ntext \"Ida\"\n" + closeField + ok +
                     "expect-missing editcontact\n");
    ASSERT_EQ(saved.exitCode, 0) << saved.out << saved.err;
    const std::string list = device({"contacts", "list"}).out;
    EXPECT_NE(list.find("\tAbächerli, Ida\t"), std::string::npos) << list;
    EXPECT_EQ(list.find("\tAbächerli, Jörg\t"), std::string::npos) << list;
}

TEST_F(EditContact, ANumberIsAddedToAnExistingContactOrToANewOneThroughTheEditor) {
    auto replaced = run("open-add +41799990000\nwait 1000\n" + std::string(tapJoerg) +
                        "expect addcontact/addcontact.phonetype.items#0.text "
                        "\"Replace Mobile - +41 79 568 53 46\"\n"
                        "expect addcontact/addcontact.phonetype.items#1.text "
                        "\"Add as Business - \"\n"
                        "tap 240 116\nwait 1000\nexpect-missing addcontact\n");
    ASSERT_EQ(replaced.exitCode, 0) << replaced.out << replaced.err;
    std::string list = device({"contacts", "list"}).out;
    EXPECT_NE(list.find("\tAbächerli, Jörg\t-\tmobile=+41799990000\t"), std::string::npos)
        << list;

    auto created = run("open-add +41799990001\nwait 1000\n" + std::string(tapNewContact) +
                       "tap 240 116\nwait 1000\nexpect-missing addcontact\n"
                       "expect editcontact.objectId -1\n" + firstName + "text \"Pia\"\n" +
                       closeField + ok + "expect-missing editcontact\n");
    ASSERT_EQ(created.exitCode, 0) << created.out << created.err;
    list = device({"contacts", "list"}).out;
    EXPECT_NE(list.find("\tPia\t-\tmobile=+41799990001"), std::string::npos) << list;
}

// The ringtone row's choices play what is highlighted, on the silent driver of a
// headless run: a sound from the user's sound folder, then one from the program's
// folder in its place; OK puts the second into the row and stops it, and Cancel of a
// second visit stops the sound and keeps the row.
TEST_F(EditContact, TheRingtoneChoicesPlayTheHighlightedSoundUntilClosed) {
    const fs::path data = test::freshFolder("xdg");
    setenv("XDG_DATA_HOME", data.c_str(), 1);
    setenv("HOME", test::freshFolder("user").c_str(), 1);
    fs::create_directories(data / "sounds");
    test::writeToneWav(data / "sounds" / "bell.wav", 30);
    test::writeToneWav(platform::programFolder() / "chime.wav", 30, 880);

    // The ringtone row is the 22nd; its choice button once the rows are dragged up. The
    // choices are "Default", bell.wav and chime.wav, one under the other.
    const std::string row = "editcontact/editcontact.propertylist.items#21.control#0";
    const std::string openChoices = "tap 438 588\nwait 1000\nexpect choices.visible true\n";
    const std::string bell = "tap 240 210\nwait 100\n";
    const std::string chime = "tap 240 294\nwait 100\n";
    const std::string take = "tap 120 760\nwait 1000\nexpect-missing choices\n";
    const std::string cancel = "tap 360 760\nwait 1000\nexpect-missing choices\n";
    auto plays = [](const std::string& name) {
        return "expect-soon editcontact.preview \"" + name + "\" 5000\n";
    };
    std::string script = std::string(tapNewContact) + "drag 240 700 240 100 3000\nwait 1000\n" +
                         "drag 240 600 240 400 3000\nwait 1000\n" + "expect " + row +
                         ".name edit.ringtone\n";
    script += openChoices + "expect choices/choices.list.items#1.text bell.wav\n" +
              "expect choices/choices.list.items#2.text chime.wav\n" + plays("");
    script += bell + "expect choices.highlighted bell.wav\n" + plays("bell.wav");
    script += chime + "expect choices.highlighted chime.wav\n" + plays("chime.wav");
    script += take + plays("") + "expect " + row + ".children#1.text chime.wav\n";
    // The cursor keys highlight as a tap does; Cancel keeps what the row had.
    script += openChoices + bell + plays("bell.wav") + "key down\nwait 100\n" +
              "expect choices.highlighted chime.wav\n" + plays("chime.wav");
    script += cancel + plays("") + "expect " + row + ".children#1.text chime.wav\n";
    auto result = run(script);
    EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
}

// The add page's index strip: lifting the finger on a letter jumps the page's own list
// there (in the contacts' collation order: "Álvarez" stays among the A's), the screen's
// right edge at a letter's height does the same, and a contact chosen where the jump
// led shows its telephone types in place of the list and its strip.
TEST_F(EditContact, TheAddPagesIndexStripJumpsWithinItsContacts) {
    // The strip's letters share 640 pixels from y = 80; M is the 13th, B the 2nd.
    auto expect = [](const std::string& path, const std::string& value) {
        return "expect addcontact/addcontact." + path + " " + value + "\n";
    };
    std::string script = "open-add +41799990000\nwait 1000\n" +
                         expect("list.top", "\"<New Contact>\"") + expect("index.current", "A");
    script += "tap 8 387\nwait 1000\n" + expect("list.top", "M") + expect("index.current", "M") +
              "expect contactcontainer/contactlist.top \"<New Contact>\"\n";
    script += "tap 470 117\nwait 1000\n" + expect("list.top", "B");
    script += "tap 8 387\nwait 1000\ntap 240 135\nwait 1000\n" + expect("index.visible", "false") +
              expect("phonetype.visible", "true") +
              "tap 240 116\nwait 1000\nexpect-missing addcontact\n";
    auto result = run(script);
    ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
    // The first row after the jump to M was the contact that got the number.
    const std::string list = device({"contacts", "list"}).out;
    EXPECT_NE(list.find("\tMeier, Noah\t-\tmobile=+41799990000"), std::string::npos) << list;
}

} // namespace
