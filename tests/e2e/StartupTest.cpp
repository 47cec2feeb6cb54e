// The program as a user starts it: a first instance driven by a script, second starts
// forwarding their command line to it, and the system state reaching it through the
// registry.

#include "platform/core/Paths.h"
#include "platform/imaging/ImageDecoder.h"
#include "platform/imaging/PngWriter.h"
#include "platform/registry/Registry.h"
#include "tests/support/Process.h"
#include "tests/support/TestFolders.h"
#include "tests/zip/ZipBuilder.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace vantrel;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

class Startup : public testing::Test {
protected:
    void SetUp() override { test::useFreshDevice(); }

    static std::string vantrel() { return (test::binaryFolder() / "app" / "vantrel").string(); }

    std::string script(const std::string& text) {
        fs::path file = platform::programFolder() / ("script-" + std::to_string(scripts_++) + ".txt");
        fs::create_directories(file.parent_path());
        std::ofstream(file) << text;
        return file.string();
    }

    // Starts the first instance; it prints "ready" once its window exists.
    std::unique_ptr<test::BackgroundProcess> startFirst(const std::string& rest) {
        auto first = std::make_unique<test::BackgroundProcess>(std::vector<std::string>{
            vantrel(), "--headless", "--script", script("print ready\n" + rest + "received\nquit\n")});
        EXPECT_TRUE(first->waitForLine("ready", 10s)) << first->errors();
        return first;
    }

    test::ProcessResult secondStart(const std::string& commandLine) {
        return test::runProcess({vantrel(), "--headless", commandLine}, 10s);
    }

    int scripts_ = 0;
};

} // namespace

TEST_F(Startup, SecondStartForwardsItsOptionToTheRunningWindowAndEndsWithZero) {
    auto first = startFirst("expect-message g_vtrGoToFavorite 10000\n");
    auto second = secondStart("-favorites");
    EXPECT_EQ(second.exitCode, 0);
    EXPECT_EQ(second.err, "");
    EXPECT_EQ(first->wait(10s), 0) << first->errors();
    EXPECT_NE(first->output().find("received: VantrelDoFullScreen g_vtrGoToFavorite\n"),
              std::string::npos)
        << first->output();
}

TEST_F(Startup, InvalidOrUnknownCommandLinesPostNothing) {
    auto first = startFirst("expect-message g_vtrGoToContacts 10000\n");

    auto invalid = secondStart("-sms -dialpad");
    EXPECT_EQ(invalid.exitCode, 0);
    EXPECT_EQ(invalid.err, "MESSAGEBOX Error: Invalid command line argument: -sms -dialpad\n");
    for (const char* ignored : {"-SMS", "hello", "-sms "}) {
        auto result = secondStart(ignored);
        EXPECT_EQ(result.exitCode, 0) << ignored;
        EXPECT_EQ(result.err, "") << ignored;
    }
    // Something valid last: everything before it has been delivered by the time it is.
    EXPECT_EQ(secondStart("-contacts").exitCode, 0);
    EXPECT_EQ(first->wait(10s), 0) << first->errors();
    EXPECT_NE(first->output().find("received: VantrelDoFullScreen g_vtrGoToContacts\n"),
              std::string::npos)
        << first->output();
}

TEST_F(Startup, TheFirstInstanceHandlesItsOwnOptionAfterInitialising) {
    auto result = test::runProcess(
        {vantrel(), "--headless", "--script", script("received\n"), "-dialpad"}, 10s);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "received: VantrelDoFullScreen g_vtrGoToDialpad\n");
}

TEST_F(Startup, AnUnreadCountWrittenByAnotherProcessReachesTheWindow) {
    auto first = startFirst("expect-message VantrelRefreshSMSCounter 5000\n");
    using platform::registry::Root;
    ASSERT_TRUE(platform::registry::writeDword(Root::currentUser,
                                               u"System\\State\\Messages\\SMS\\Unread", u"Count", 3));
    EXPECT_EQ(first->wait(10s), 0) << first->errors();
}

TEST_F(Startup, ABadScriptLineStopsTheRunNamingTheLine) {
    auto result = test::runProcess(
        {vantrel(), "--headless", "--script", script("wait 10\n\nfrobnicate 3\nquit\n")}, 10s);
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.err, "script: line 3: unknown command 'frobnicate': frobnicate 3\n");

    for (const char* bad : {"tap 10\n", "wait -1\n", "text \"open\n", "size 10x10\n",
                            "key nosuchkey\n", "drag 1 2 3\n"}) {
        auto r = test::runProcess({vantrel(), "--headless", "--script", script(bad)}, 10s);
        EXPECT_EQ(r.exitCode, 2) << bad;
        EXPECT_EQ(r.err.rfind("script: line 1: ", 0), 0u) << r.err;
    }
}

TEST_F(Startup, HeadlessScreenshotsAreWrittenAsPng) {
    fs::path shot = platform::programFolder() / "shot.png";
    auto result = test::runProcess(
        {vantrel(), "--headless", "--size", "240x320", "--script",
         script("screenshot " + shot.string() + "\n")},
        10s);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    std::ifstream in(shot, std::ios::binary);
    char header[24] = {};
    in.read(header, sizeof header);
    ASSERT_TRUE(in) << "no screenshot";
    EXPECT_EQ(std::string(header + 1, 3), "PNG");
    auto be32 = [&](int at) {
        return (uint8_t(header[at]) << 24) | (uint8_t(header[at + 1]) << 16) |
               (uint8_t(header[at + 2]) << 8) | uint8_t(header[at + 3]);
    };
    EXPECT_EQ(be32(16), 240);
    EXPECT_EQ(be32(20), 320);
}

TEST_F(Startup, TheInterceptorIsRegisteredOnlyWhileItsRuleIsMissing) {
    fs::path library = test::binaryFolder() / "tests" / "e2e" / "libsmsintercept_fixture.so";
    ASSERT_TRUE(fs::exists(library));
    fs::copy_file(library, platform::programFolder() / "libsmsintercept.so");
    std::string quit = script("quit\n");
    for (int run = 0; run < 2; ++run)
        EXPECT_EQ(test::runProcess({vantrel(), "--headless", "--script", quit}, 10s).exitCode, 0);
    std::string calls;
    EXPECT_TRUE(platform::readWholeFile(platform::programFolder() / "register-calls.txt", calls));
    EXPECT_EQ(calls, "x") << "the second start found the rule and loaded nothing";
}

TEST_F(Startup, TheLanguageOverrulesTheThemeAndTheUserFileBothFromAnyDirectory) {
    fs::path home = platform::programFolder();
    const std::string theme = "panel.contactcontainer.background=fill(#FF0000)\r\n"
                              "header.*.background=fill(#00FF00)\r\n"
                              "header.*.nonetwork.text=Theme net\r\n";
    ASSERT_TRUE(test::writeZip(home / "look.zip", {{"settings.ini", theme}}));
    std::ofstream(home / "fr.lang.ini", std::ios::binary)
        << "header.*.nonetwork.text=Pas de r\xC3\xA9seau\r\n";
    // A path with folders, as themes for the phone wrote them.
    std::ofstream(home / "settings.ini", std::ios::binary)
        << "panel.contactcontainer.background=stretchimage(images\\blue.png)\r\n"
        << "iconpanel.*.background=none\r\n";
    fs::create_directories(home / "images");
    ASSERT_TRUE(platform::writePng(home / "images" / "blue.png",
                                   platform::ArgbImage(4, 4, platform::argb(255, 0, 0, 255))));
    using platform::registry::Root;
    for (auto [name, value] : {std::pair{u"Theme", u"look.zip"}, {u"Language", u"fr.lang.ini"}})
        ASSERT_TRUE(platform::registry::writeString(Root::currentUser,
                                                    u"Software\\Vantrel\\Contact", name, value));

    fs::path shot = home / "look.png", dump = home / "look.json";
    std::string commands = script("screenshot " + shot.string() + "\ndump " + dump.string() + "\n");
    // Started from elsewhere: nothing may depend on the current directory.
    fs::path elsewhere = test::freshFolder("cwd");
    auto result = test::runProcess({"/usr/bin/env", "-C", elsewhere.string(), vantrel(),
                                    "--headless", "--script", commands},
                                   10s);
    ASSERT_EQ(result.exitCode, 0) << result.err;

    std::string json;
    ASSERT_TRUE(platform::readWholeFile(dump, json));
    EXPECT_NE(json.find("\"texts\":[\"\",\"Pas de r\xC3\xA9seau\","), std::string::npos) << json;
    platform::DecodedImage screen = platform::decodeImageFile(shot);
    ASSERT_TRUE(screen.ok()) << screen.error;
    // The theme alone sets the header; the user's image hides the theme's red panel.
    EXPECT_EQ(screen.image.at(240, 60), platform::argb(255, 0, 255, 0));
    // The contact list covers the middle of the panel; its background shows below it,
    // through the icon bar made transparent.
    EXPECT_EQ(screen.image.at(240, 798), platform::argb(255, 0, 0, 255));
}
