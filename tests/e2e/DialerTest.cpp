// The dialer on the demo device: a contact's number opened for editing, changed with the
// phone pad and a keyboard, then called or dropped; what the phone was asked to dial is
// read back from the device's modem and call log. A call the phone refuses is shown and
// leaves the dialer open with the number the user typed.

#include "platform/core/Paths.h"
#include "tests/support/Process.h"
#include "tests/support/TestFolders.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

using namespace vantrel;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

// Where the dialer puts things on the demo screen (480 x 800): the pad's keys in rows of
// 75 pixels from y 420, the Call and Cancel buttons below it.
constexpr const char* keyOne = "tap 80 457\n";
constexpr const char* keyTwo = "tap 240 457\n";
constexpr const char* keyErase = "tap 400 682\n";
constexpr const char* keyZeroHeld = "tap 240 682 600\n";
constexpr const char* call = "tap 120 760\nwait 2000\n";
constexpr const char* cancel = "tap 360 760\nwait 1000\n";
// On the main screen, the row of "Abächerli, Jörg" (home, then mobile "+41 79 568 53 46")
// and, on his detail screen, the button of his home number.
constexpr const char* tapJoerg = "tap 200 215\nwait 1000\n";
constexpr const char* holdHomeButton = "tap 240 614 800\nwait 1500\n";

constexpr const char* loaded = "expect-rows 20 10000\nexpect-loaded 10000\n";

class Dialer : public testing::Test {
protected:
    void SetUp() override {
        test::useFreshDevice();
        auto seeded = device({"seed-demo"});
        ASSERT_EQ(seeded.exitCode, 0) << seeded.err;
        joerg_ = idOf("Abächerli, Jörg");
        ASSERT_FALSE(joerg_.empty());
    }

    static test::ProcessResult device(std::vector<std::string> words) {
        return test::runDevice(std::move(words), 20s);
    }

    static test::ProcessResult run(const std::string& text) {
        fs::path file = platform::programFolder() / "dialer.script";
        fs::create_directories(file.parent_path());
        std::ofstream(file) << loaded << text;
        return test::runProcess({(test::binaryFolder() / "app" / "vantrel").string(),
                                 "--headless", "--script", file.string()},
                                60s);
    }

    static std::string idOf(const std::string& name) {
        std::istringstream lines(device({"contacts", "list"}).out);
        for (std::string line; std::getline(lines, line);)
            if (line.find("\t" + name + "\t") != std::string::npos)
                return line.substr(0, line.find('\t'));
        return {};
    }

    // The numbers the modem was asked to dial, one a line.
    static std::string dialled() {
        auto dials = device({"modem", "dials"});
        EXPECT_EQ(dials.exitCode, 0) << dials.err;
        std::istringstream lines(dials.out);
        std::string numbers;
        for (std::string line; std::getline(lines, line);) {
            size_t from = line.find('\t') + 1;
            numbers += line.substr(from, line.find('\t', from) - from) + "\n";
        }
        return numbers;
    }

    std::string joerg_;
};

} // namespace

TEST_F(Dialer, AnEditedNumberIsWhatThePhoneDialsAndTheCallLogKeeps) {
    auto result = run("call-contact " + joerg_ +
                      "\nwait 1000\n"
                      "expect phonecalledit.visible true\n"
                      "expect contactcontainer.visible false\n"
                      "expect phonecalledit/phonecalledit.texts#0 \"Abächerli, Jörg\"\n"
                      "expect phonecalledit.number \"+41 79 568 53 46\"\n" +
                      keyErase + keyErase + keyOne + keyTwo +
                      "wait 300\n"
                      "expect phonecalledit.number \"+41 79 568 53 12\"\n" +
                      call +
                      "expect-missing phonecalledit\n"
                      "expect contactcontainer.visible true\n"
                      "quit\n");
    ASSERT_EQ(result.exitCode, 0) << result.err;
    // The dialer names no called party: the phone gets the number alone.
    EXPECT_EQ(dialled(), "+41 79 568 53 12\n");
    auto log = device({"call", "list"});
    ASSERT_EQ(log.exitCode, 0) << log.err;
    EXPECT_NE(log.out.find("+41 79 568 53 12"), std::string::npos) << log.out;
    EXPECT_EQ(log.out.find("+41 79 568 53 46"), std::string::npos) << log.out;
}

TEST_F(Dialer, TheDetailOpensItForANumberAndCancelDialsNothing) {
    auto result = run(
        std::string(tapJoerg) + holdHomeButton +
        "expect contactdetail.visible false\n"
        "expect phonecalledit.number \"+41 44 743 83 17\"\n"
        "expect phonecalledit/phonecalleditpanel.numberedit.focused true\n"
        // Everything selected goes with one erase; a held 0 starts an international
        // number and a keyboard types the rest into the same field.
        "key ctrl+a\n" +
        keyErase + keyZeroHeld +
        "text \"41445550000\"\nwait 300\n"
        "expect phonecalledit.number +41445550000\n" +
        cancel +
        "expect-missing phonecalledit\n"
        "expect contactcontainer.visible true\n"
        "expect contactdetail.visible false\n"
        "quit\n");
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(dialled(), "");
}

TEST_F(Dialer, ARefusedCallIsShownAndTheNumberStaysForAnotherTry) {
    auto told = device({"modem", "fail-next-dial", "0x80004005"});
    ASSERT_EQ(told.exitCode, 0) << told.err;
    auto result = run("call-contact " + joerg_ + "\nwait 1000\n" + keyErase + keyOne + call +
                      "expect-box \"Call: The call could not be placed.\"\n"
                      "expect phonecalledit.visible true\n"
                      "expect phonecalledit.number \"+41 79 568 53 41\"\n"
                      "expect phonecalledit.callResult -2147467259\n"
                      "expect phonecalledit/phonecalleditpanel.numberedit.focused true\n" +
                      keyTwo + "wait 300\n" + call +
                      "expect-missing phonecalledit\n"
                      "quit\n");
    ASSERT_EQ(result.exitCode, 0) << result.err;
    // The refused attempt reached no one; the second one is the only dial.
    EXPECT_EQ(dialled(), "+41 79 568 53 412\n");
    auto log = device({"call", "list"});
    ASSERT_EQ(log.exitCode, 0) << log.err;
    EXPECT_NE(log.out.find("+41 79 568 53 412\t"), std::string::npos) << log.out;
    EXPECT_EQ(log.out.find("+41 79 568 53 41\t"), std::string::npos) << log.out;
}
